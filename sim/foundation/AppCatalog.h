#pragma once
// The apps installed on the device (plain data, below every framework and
// the daemon): bundle identifier, the application class
// the app process makes, and how the system treats the app. The device daemon
// reads it to spawn and trust processes; the app process reads it to know
// which app it is.

#include <string>
#include <vector>

namespace fnd {

struct AppInfo {
    std::string bundleIdentifier;
    std::string displayName;
    std::string applicationClass;
    bool sandboxed;
    bool system;        // may serve named message centres
    bool linksPhotosUI; // has the Photos UI framework's classes (PUAssetHidingHelper)
};

const std::vector<AppInfo>& installedApps();
const AppInfo* findApp(const std::string& bundleIdentifier);

// The data container of a sandboxed app, as a device path.
std::string containerPath(const std::string& bundleIdentifier);

inline constexpr const char* kSpringBoard = "com.apple.springboard";

} // namespace fnd
