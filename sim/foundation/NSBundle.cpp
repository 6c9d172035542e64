#include "sim/foundation/NSBundle.h"

#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
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
    bool main = false; // the running app's, whatever folder it was installed in
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
rt::Ref<rt::Object> mainBundle(rt::Id, rt::Sel) {
    static rt::Ref<rt::Object> shared = [] {
        auto b = rt::createInstance<BundleObject>(g_class);
        b->main = true;
        return rt::Ref<rt::Object>(b);
    }();
    return shared;
}
std::string bundleIdentifier(BundleObject* self, rt::Sel) {
    if (self->main) return mainBundleIdentifier().value_or("");
    auto info = readDictionaryFile(self->path + "/Info.plist");
    const std::string* id = info ? valueForKey(*info, "CFBundleIdentifier").string() : nullptr;
    return id ? *id : "";
}

std::string localizedString(BundleObject* self, rt::Sel, std::string key, std::string value, std::string table) {
    if (!self->path.empty()) {
        std::string file = self->path + "/en.lproj/" + (table.empty() ? "Localizable" : table) + ".strings";
        if (auto strings = readDictionaryFile(file))
            if (const std::string* found = valueForKey(*strings, key).string()) return *found;
    }
    return value.empty() ? key : value;
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
        rt::addMethod<&mainBundle>(rt::objectGetClass(g_class), "mainBundle"_sel);
        rt::addMethod<&localizedString>(g_class, "localizedStringForKey:value:table:"_sel);
    });
}

rt::Ref<rt::Object> makeBundle(const std::string& devicePath) {
    registerNSBundle();
    return rt::sendClass<rt::Ref<rt::Object>>(g_class, "bundleWithPath:"_sel, devicePath);
}

} // namespace fnd
