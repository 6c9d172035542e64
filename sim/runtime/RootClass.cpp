// NSObject: the root class every process has, with the few methods that
// every object answers.

#include "sim/runtime/Runtime.h"

#include <cstdint>
#include <cstdio>

namespace rt {

namespace {
Ref<Object> alloc(Object* self, Sel) { return createInstanceErased(static_cast<Class*>(self)); }
Ref<Object> newObject(Object* self, Sel) {
    Ref<Object> obj = createInstanceErased(static_cast<Class*>(self));
    return send<Ref<Object>>(obj, "init"_sel);
}
Ref<Object> init(Object* self, Sel) { return Ref<Object>(self); }
Class* classOf(Object* self, Sel) { return self->isa(); }
Class* classOfClass(Object* self, Sel) { return static_cast<Class*>(self); }
std::string description(Object* self, Sel) {
    char buf[64];
    std::snprintf(buf, sizeof buf, ": %p>", static_cast<void*>(self));
    return "<" + self->isa()->name() + buf;
}
std::string classDescription(Object* self, Sel) { return static_cast<Class*>(self)->name(); }
bool respondsToSelector(Object* self, Sel, Sel query) { return respondsTo(self, query); }
bool isKindOfClass(Object* self, Sel, Class* cls) { return isKindOf(self, cls); }
// Identity, until a class says what makes two of its objects equal.
bool isEqual(Object* self, Sel, Ref<Object> other) { return self == other.get(); }
unsigned long hash(Object* self, Sel) { return reinterpret_cast<std::uintptr_t>(self); }
} // namespace

void registerRootClass(Class* root) {
    Class* meta = root->metaclass();
    addMethod<&alloc>(meta, "alloc"_sel);
    addMethod<&newObject>(meta, "new"_sel);
    addMethod<&classOfClass>(meta, "class"_sel);
    addMethod<&classDescription>(meta, "description"_sel);
    addMethod<&init>(root, "init"_sel);
    addMethod<&classOf>(root, "class"_sel);
    addMethod<&description>(root, "description"_sel);
    addMethod<&respondsToSelector>(root, "respondsToSelector:"_sel);
    addMethod<&isKindOfClass>(root, "isKindOfClass:"_sel);
    addMethod<&isEqual>(root, "isEqual:"_sel);
    addMethod<&hash>(root, "hash"_sel);
}

} // namespace rt
