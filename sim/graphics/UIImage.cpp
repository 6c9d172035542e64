#include "sim/graphics/UIImage.h"

#include <mutex>

namespace gfx {

using namespace rt::literals;

namespace {
rt::Class* g_class = nullptr;

rt::Ref<rt::Object> imageWithContentsOfFile(rt::Id, rt::Sel, std::string path) {
    auto image = Image::load(path);
    if (!image) return nullptr;
    return makeUIImage(std::move(*image));
}

CGSize size(UIImageObject* self, rt::Sel) {
    if (!self->image) return {};
    return {self->image->width() / self->scale, self->image->height() / self->scale};
}

double scale(UIImageObject* self, rt::Sel) { return self->scale; }
} // namespace

void registerUIImage() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_class = rt::defineClass("UIImage", nullptr, rt::factoryOf<UIImageObject>);
        rt::addMethod<&imageWithContentsOfFile>(rt::objectGetClass(g_class), "imageWithContentsOfFile:"_sel);
        rt::addMethod<&size>(g_class, "size"_sel);
        rt::addMethod<&scale>(g_class, "scale"_sel);
    });
}

rt::Ref<rt::Object> makeUIImage(Image image, double scale) {
    registerUIImage();
    auto obj = rt::createInstance<UIImageObject>(g_class);
    obj->image = std::move(image);
    obj->scale = scale > 0 ? scale : 1;
    return obj;
}

const Image* imageOf(rt::Id uiImage) {
    auto* o = rt::objectAs<UIImageObject>(uiImage, g_class);
    return o && o->image ? &*o->image : nullptr;
}

} // namespace gfx
