#include "sim/apps/host/StockApps.h"

#include "sim/apps/camera/Camera.h"
#include "sim/apps/gallery/Gallery.h"
#include "sim/apps/photos/Photos.h"
#include "sim/apps/settings/Settings.h"
#include "sim/apps/springboard/SpringBoard.h"

#include <map>

namespace apps {

void registerStockApp(const std::string& bundleIdentifier) {
    static const std::map<std::string, void (*)()> apps{
        {"com.apple.springboard", &springboard::registerClasses},
        {"com.apple.camera", &camera::registerClasses},
        {"com.apple.mobileslideshow", &photosapp::registerClasses},
        {"com.apple.Preferences", &settings::registerClasses},
    };
    if (auto it = apps.find(bundleIdentifier); it != apps.end()) it->second();
    // The third-party gallery, under both of its identifiers.
    if (bundleIdentifier == "com.example.gallery") gallery::registerClasses("GalleryApplication");
    if (bundleIdentifier == "com.apple.store.Jolly") gallery::registerClasses("JollyApplication");
}

} // namespace apps
