// Another app process of the same device, for the tests that share one
// library between processes: it opens the library on its own and makes one
// change through PhotoKit.
//
//   photos_test_peer ROOT create-album TITLE   a new album holding the camera roll
// Exits 0 when the change succeeded.

#include "sim/foundation/DevicePaths.h"
#include "sim/photos/kit/Internals.h"

#include <cstdio>
#include <string>

using rt::Ref;
using namespace rt::literals;

int main(int argc, char** argv) {
    if (argc != 4 || std::string(argv[2]) != "create-album") {
        std::fprintf(stderr, "usage: photos_test_peer ROOT create-album TITLE\n");
        return 2;
    }
    fnd::setDeviceRoot(argv[1]);
    photos::registerPhotoKit();
    std::string title = argv[3];
    bool success = false;
    auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
    rt::send(
        library, "performChanges:completionHandler:"_sel, rt::Block<void()>([title] {
            auto cameraRoll = rt::send<Ref<rt::Object>>(
                rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                               "fetchAssetCollectionsWithType:subtype:options:"_sel, 2L, 209L,
                                               Ref<rt::Object>()),
                "firstObject"_sel);
            auto assets = rt::sendClass<Ref<rt::Object>>(
                rt::getClass("PHAsset"), "fetchAssetsInAssetCollection:options:"_sel, cameraRoll, Ref<rt::Object>());
            auto request = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                                          "creationRequestForAssetCollectionWithTitle:"_sel, title);
            rt::send(request, "addAssets:"_sel, rt::send<std::vector<Ref<rt::Object>>>(assets, "fetchedObjects"_sel));
        }),
        rt::Block<void(bool, Ref<rt::Object>)>([&](bool ok, Ref<rt::Object>) { success = ok; }));
    photos::Library::shared().waitUntilIdle();
    return success ? 0 : 1;
}
