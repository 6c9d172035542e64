#include "sim/foundation/NSBundle.h"

#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"

#include <mutex>

namespace fnd {

using namespace rt::literals;

namespace {

rt::Class* g_class = nullptr;

class BundleObject : public rt::Object {
public:
    using Object::Object;
    std::string path;
};

rt::Ref<rt::Object> bundleWithPath(rt::Id, rt::Sel, std::string path) {
    if (!isDirectory(path)) return nullptr;
    auto b = rt::createInstance<BundleObject>(g_class);
    b->path = std::move(path);
    return b;
}
std::string bundlePath(BundleObject* self, rt::Sel) { return self->path; }
std::string pathForResource(BundleObject* self, rt::Sel, std::string name, std::string type) {
    std::string p = self->path + "/" + name + (type.empty() ? "" : "." + type);
    return fileExists(p) ? p : "";
}
std::string bundleIdentifier(BundleObject* self, rt::Sel) {
    auto info = readDictionaryFile(self->path + "/Info.plist");
    const std::string* id = info ? valueForKey(*info, "CFBundleIdentifier").string() : nullptr;
    return id ? *id : "";
}

} // namespace

void registerNSBundle() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_class = rt::defineClass("NSBundle", nullptr, rt::factoryOf<BundleObject>);
        rt::addMethod<&bundleWithPath>(rt::objectGetClass(g_class), "bundleWithPath:"_sel);
        rt::addMethod<&bundlePath>(g_class, "bundlePath"_sel);
        rt::addMethod<&pathForResource>(g_class, "pathForResource:ofType:"_sel);
        rt::addMethod<&bundleIdentifier>(g_class, "bundleIdentifier"_sel);
    });
}

rt::Ref<rt::Object> makeBundle(const std::string& devicePath) {
    registerNSBundle();
    return rt::sendClass<rt::Ref<rt::Object>>(g_class, "bundleWithPath:"_sel, devicePath);
}

} // namespace fnd
