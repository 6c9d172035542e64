#include "sim/apps/host/Injection.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/PropertyList.h"
#include "sim/foundation/SystemLog.h"

#include <algorithm>
#include <dlfcn.h>
#include <filesystem>

namespace apps {

bool filterMatches(const std::string& filterPlist, const std::string& bundleIdentifier) {
    auto root = fnd::readDictionaryFile(filterPlist);
    if (!root) return false;
    const fnd::Dictionary* filter = fnd::valueForKey(*root, "Filter").dictionary();
    if (!filter) return false;
    const fnd::Array* bundles = fnd::valueForKey(*filter, "Bundles").array();
    if (!bundles) return false;
    return std::any_of(bundles->begin(), bundles->end(), [&](const fnd::Value& v) {
        return v.string() && (*v.string() == bundleIdentifier || *v.string() == kUIKitBundle);
    });
}

std::vector<std::string> loadInjectedLibraries(const std::string& bundleIdentifier) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    fs::path folder = fnd::hostPath(kInjectionFolder);
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.path().extension() == ".dylib") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    std::vector<std::string> loaded;
    for (const auto& name : names) {
        std::string base = std::string(kInjectionFolder) + "/" + name;
        if (!filterMatches(base + ".plist", bundleIdentifier)) continue;
        std::string host = fnd::hostPath(base + ".dylib").string();
        if (!::dlopen(host.c_str(), RTLD_NOW | RTLD_GLOBAL)) {
            const char* err = ::dlerror();
            fnd::systemLog(fnd::LogLevel::Error, "injection: cannot load " + name + ": " + (err ? err : "?"));
            continue;
        }
        loaded.push_back(name);
    }
    return loaded;
}

} // namespace apps
