// The camera's bottom bar: its background view, the shutter button and the
// image well.

#include "sim/apps/camera/Camera.h"
#include "sim/apps/host/Views.h"
#include "sim/uikit/UILabel.h"
#include "sim/uikit/UIScreen.h"

namespace camera {

using rt::Ref;
using namespace rt::literals;
namespace views = apps::views;

namespace {

rt::Class* g_bar = nullptr;
rt::Class* g_well = nullptr;

class BottomBarObject : public uikit::ViewObject {
public:
    using ViewObject::ViewObject;
    Ref<rt::Object> backgroundView, shutterButton, imageWell;
};

class ImageWellObject : public uikit::ViewObject {
public:
    using ViewObject::ViewObject;
    Ref<rt::Object> thumbnail;     // the last capture's picture
    Ref<rt::Object> thumbnailView; // _thumbnailImageView
};

// The bar builds its parts once, at its first layout, for its width.
void barLayout(BottomBarObject* self, rt::Sel) {
    gfx::CGSize size = self->frame.size;
    if (!self->backgroundView) {
        self->backgroundView = views::box({{0, 0}, size}, {0, 0, 0, 0.85});
        rt::send(self->backgroundView, "setUserInteractionEnabled:"_sel, false);
        views::add(Ref<rt::Object>(self), self->backgroundView);
        views::add(Ref<rt::Object>(self), views::label({{0, 6}, {size.width, 16}}, "PHOTO", 13, {1, 0.8, 0, 1}, 1));

        const char* shutterClass = uikit::screenModel().model == "iphonexs" ? "CustomDrawButton" : "CUShutterButton";
        self->shutterButton = views::box({{0, 0}, {66, 66}}, views::kWhite, shutterClass);
        views::round(self->shutterButton, 33);
        auto ring = views::box({{4, 4}, {58, 58}}, views::kBlack);
        views::round(ring, 29);
        rt::send(ring, "setUserInteractionEnabled:"_sel, false);
        auto core = views::box({{3, 3}, {52, 52}}, views::kWhite);
        views::round(core, 26);
        rt::send(core, "setUserInteractionEnabled:"_sel, false);
        views::add(ring, core);
        views::add(self->shutterButton, ring);
        rt::send(self->shutterButton, "setAccessibilityLabel:"_sel, std::string("Take Picture"));
        views::add(Ref<rt::Object>(self), self->shutterButton);

        self->imageWell = uikit::makeView({{0, 0}, {46, 46}}, g_well);
        rt::send(self->imageWell, "setAccessibilityLabel:"_sel, std::string("Camera Roll"));
        views::add(Ref<rt::Object>(self), self->imageWell);
    }
    rt::send(self->backgroundView, "setFrame:"_sel, gfx::CGRect{{0, 0}, size});
    double midY = size.height / 2 + 5;
    rt::send(self->shutterButton, "setCenter:"_sel, gfx::CGPoint{size.width / 2, midY});
    rt::send(self->imageWell, "setCenter:"_sel, gfx::CGPoint{45, midY});
}

Ref<rt::Object> backgroundView(BottomBarObject* self, rt::Sel) { return self->backgroundView; }
Ref<rt::Object> shutterButton(BottomBarObject* self, rt::Sel) { return self->shutterButton; }
Ref<rt::Object> imageWell(BottomBarObject* self, rt::Sel) { return self->imageWell; }

Ref<rt::Object> thumbnailImage(ImageWellObject* self, rt::Sel) { return self->thumbnail; }
void setThumbnailImage(ImageWellObject* self, rt::Sel, Ref<rt::Object> image, bool) {
    self->thumbnail = std::move(image);
    rt::send(self, "setNeedsLayout"_sel);
}
// The picture is whatever -thumbnailImage answers now.
void wellLayout(ImageWellObject* self, rt::Sel) {
    if (!self->thumbnailView) {
        self->thumbnailView = uikit::makeView({{0, 0}, self->frame.size}, rt::getClass("UIImageView"));
        rt::send(self->thumbnailView, "setContentMode:"_sel, uikit::UIViewContentModeScaleAspectFill);
        rt::send(self, "setBackgroundColor:"_sel, uikit::makeColor({0.15, 0.15, 0.15, 1}));
        views::round(Ref<rt::Object>(self), 4);
        views::add(Ref<rt::Object>(self), self->thumbnailView);
    }
    rt::send(self->thumbnailView, "setFrame:"_sel, gfx::CGRect{{0, 0}, self->frame.size});
    rt::send(self->thumbnailView, "setImage:"_sel, rt::send<Ref<rt::Object>>(self, "thumbnailImage"_sel));
}

} // namespace

void defineBottomBar() {
    rt::Class* view = rt::getClass("UIView");
    g_bar = rt::defineClass("CAMBottomBar", view, rt::factoryOf<BottomBarObject>);
    rt::addMethod<&barLayout>(g_bar, "layoutSubviews"_sel);
    rt::addMethod<&backgroundView>(g_bar, "backgroundView"_sel);
    rt::addMethod<&shutterButton>(g_bar, "shutterButton"_sel);
    rt::addMethod<&imageWell>(g_bar, "imageWell"_sel);
    rt::Class* shutter = rt::defineClass("CUShutterButton", view);
    rt::defineClass("CustomDrawButton", shutter);
    g_well = rt::defineClass("CAMImageWell", view, rt::factoryOf<ImageWellObject>);
    rt::addMethod<&thumbnailImage>(g_well, "thumbnailImage"_sel);
    rt::addMethod<&setThumbnailImage>(g_well, "setThumbnailImage:animated:"_sel);
    rt::addMethod<&wellLayout>(g_well, "layoutSubviews"_sel);
}

} // namespace camera
