#include "tweak/library/MoveEngine.h"

#include "sim/dispatch/Queue.h"
#include "sim/foundation/Scanner.h"
#include "sim/foundation/SystemLog.h"
#include "tweak/library/AlbumPlacement.h"
#include "tweak/library/Overlay.h"

#include <vector>

namespace lc {

using namespace photos;

namespace {

struct Batch {
    const char* starting;
    const char* finished;
};
constexpr Batch kMoveOut{"Moving photos", "Finished moving"};
constexpr Batch kReturn{"Returning photos", "Finished returning"};
constexpr const char* kNothingToMove = "No photos to move";

// The album's photos that the direction changes, in the album's order.
std::vector<PHAsset> photosToChange(const PHAssetCollection& album, bool moveOut) {
    std::vector<PHAsset> out;
    if (!album) return out;
    PHFetchOptions withHidden = PHFetchOptions::new_();
    withHidden.setIncludeHiddenAssets(true);
    PHFetchResult<PHAsset> assets = PHAsset::fetchAssetsInAssetCollection_options(album, withHidden);
    if (!assets) return out;
    for (const PHAsset& a : assets.fetchedObjects())
        if (a.isHidden() != moveOut) out.push_back(a);
    return out;
}

void run(const std::vector<PHAsset>& photos, bool moveOut) {
    const Batch& batch = moveOut ? kMoveOut : kReturn;
    PUAssetHidingHelper helper = PUAssetHidingHelper::new_(); // nil where the class is missing
    if (!helper) {
        fnd::systemLog(fnd::LogLevel::Error, "lumicrate12: no hiding service in this app; the album's photos stay");
        return;
    }
    dsp::mainQueue().async([batch] {
        showMessage(batch.starting, 0);
        setupSpinner();
    });
    helper.setAssets(photos);
    helper.applyHiddenState_completionHandler(moveOut, [batch](bool, NSError) {
        dsp::mainQueue().async([batch] {
            showMessage(batch.finished, 1);
            stopSpinner();
        });
    });
}

} // namespace

void syncAlbum(const PHAssetCollection& album, bool moveOut) {
    std::vector<PHAsset> photos = photosToChange(album, moveOut);
    if (photos.empty()) return showMessage(kNothingToMove, 1);
    run(photos, moveOut);
}

void syncAlbum(const std::string& name, bool moveOut) { syncAlbum(collectionWithName(name), moveOut); }

bool isStringInt(const std::string& text) {
    fnd::Scanner scanner(text);
    return scanner.scanFloat().has_value() && scanner.isAtEnd();
}

} // namespace lc
