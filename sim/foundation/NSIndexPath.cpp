#include "sim/foundation/NSIndexPath.h"

#include <mutex>

namespace fnd {

using namespace rt::literals;

namespace {
rt::Class* g_class = nullptr;

rt::Ref<rt::Object> indexPathFor(rt::Id, rt::Sel, long item, long section) { return makeIndexPath(item, section); }
long item(IndexPathObject* self, rt::Sel) { return self->item; }
long section(IndexPathObject* self, rt::Sel) { return self->section; }
long compare(IndexPathObject* self, rt::Sel, rt::Ref<rt::Object> other) {
    const IndexPathObject* o = indexPathOf(other.get());
    if (!o) return 1;
    auto a = std::pair(self->section, self->item), b = std::pair(o->section, o->item);
    return a < b ? -1 : a == b ? 0 : 1;
}
bool isEqual(IndexPathObject* self, rt::Sel, rt::Ref<rt::Object> other) {
    const IndexPathObject* o = indexPathOf(other.get());
    return o && o->section == self->section && o->item == self->item;
}
unsigned long hash(IndexPathObject* self, rt::Sel) {
    return static_cast<unsigned long>(self->section) * 1000003u ^ static_cast<unsigned long>(self->item);
}
std::string description(IndexPathObject* self, rt::Sel) {
    return "<NSIndexPath> {length = 2, path = " + std::to_string(self->section) + " - " + std::to_string(self->item) +
           "}";
}
} // namespace

void registerNSIndexPath() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_class = rt::defineClass("NSIndexPath", nullptr, rt::factoryOf<IndexPathObject>);
        rt::Class* meta = rt::objectGetClass(g_class);
        rt::addMethod<&indexPathFor>(meta, "indexPathForItem:inSection:"_sel);
        rt::addMethod<&indexPathFor>(meta, "indexPathForRow:inSection:"_sel);
        rt::addMethod<&item>(g_class, "item"_sel);
        rt::addMethod<&item>(g_class, "row"_sel);
        rt::addMethod<&section>(g_class, "section"_sel);
        rt::addMethod<&compare>(g_class, "compare:"_sel);
        rt::addMethod<&isEqual>(g_class, "isEqual:"_sel);
        rt::addMethod<&hash>(g_class, "hash"_sel);
        rt::addMethod<&description>(g_class, "description"_sel);
    });
}

rt::Ref<rt::Object> makeIndexPath(long item, long section) {
    registerNSIndexPath();
    auto p = rt::createInstance<IndexPathObject>(g_class);
    p->item = item;
    p->section = section;
    return p;
}

IndexPathObject* indexPathOf(rt::Id obj) { return rt::objectAs<IndexPathObject>(obj, g_class); }

} // namespace fnd
