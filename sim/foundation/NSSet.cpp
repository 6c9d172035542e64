#include "sim/foundation/NSSet.h"

#include <mutex>

namespace fnd {

using namespace rt::literals;

namespace {
rt::Class* g_class = nullptr;
unsigned long count(StringSetObject* self, rt::Sel) { return self->members.size(); }
bool containsObject(StringSetObject* self, rt::Sel, std::string s) { return self->members.count(s) != 0; }
std::vector<std::string> allObjects(StringSetObject* self, rt::Sel) {
    return {self->members.begin(), self->members.end()};
}
} // namespace

void registerNSSet() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_class = rt::defineClass("NSSet", nullptr, rt::factoryOf<StringSetObject>);
        rt::addMethod<&count>(g_class, "count"_sel);
        rt::addMethod<&containsObject>(g_class, "containsObject:"_sel);
        rt::addMethod<&allObjects>(g_class, "allObjects"_sel);
    });
}

rt::Ref<rt::Object> makeStringSet(std::set<std::string> members) {
    registerNSSet();
    auto s = rt::createInstance<StringSetObject>(g_class);
    s->members = std::move(members);
    return s;
}

} // namespace fnd
