#include "sim/foundation/AppCatalog.h"

namespace fnd {

const std::vector<AppInfo>& installedApps() {
    static const std::vector<AppInfo> apps{
        {kSpringBoard, "SpringBoard", "SpringBoard", false, true, false},
        {"com.apple.camera", "Camera", "CAMApplication", true, false, true},
        {"com.apple.mobileslideshow", "Photos", "PhotosApplication", true, false, true},
        {"com.apple.Preferences", "Settings", "PreferencesAppController", false, false, false},
        {"com.example.gallery", "Gallery", "GalleryApplication", true, false, false},
        {"com.apple.store.Jolly", "Apple Store", "JollyApplication", true, false, false},
    };
    return apps;
}

const AppInfo* findApp(const std::string& bundleIdentifier) {
    for (const auto& a : installedApps())
        if (a.bundleIdentifier == bundleIdentifier) return &a;
    return nullptr;
}

std::string containerPath(const std::string& bundleIdentifier) {
    return "/var/mobile/Containers/Data/Application/" + bundleIdentifier;
}

} // namespace fnd
