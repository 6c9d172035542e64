#include "tweak/photos/PhotoMoves.h"

#include "sim/foundation/SystemLog.h"

#include <algorithm>

namespace lc {

using namespace photos;

bool isCameraRoll(const PHAssetCollection& collection) {
    return collection && collection.assetCollectionSubtype() == PHAssetCollectionSubtypeSmartAlbumUserLibrary;
}

unsigned long userAlbumCount(const PHAsset& photo) {
    return PHAssetCollection::fetchAssetCollectionsContainingAsset_withType_options(photo, PHAssetCollectionTypeAlbum,
                                                                                    nullptr)
        .count();
}

Photos photosInAtMostOneAlbum(const Photos& photos) {
    Photos only;
    for (const PHAsset& p : photos)
        if (userAlbumCount(p) < 2) only.push_back(p);
    return only;
}

Photos photosOnlyIn(const PHAssetCollection& album) {
    PHFetchOptions withHidden = PHFetchOptions::new_();
    withHidden.setIncludeHiddenAssets(true);
    return photosInAtMostOneAlbum(PHAsset::fetchAssetsInAssetCollection_options(album, withHidden).fetchedObjects());
}

void applyHiddenState(const Photos& photos, bool hidden, std::function<void(bool)> done) {
    PUAssetHidingHelper helper = PUAssetHidingHelper::new_();
    helper.setAssets(photos);
    if (!done) return helper.applyHiddenState_completionHandler(hidden);
    helper.applyHiddenState_completionHandler(hidden, [done](bool ok, NSError) { done(ok); });
}

void removeFromAlbum(const PHAssetCollection& album, const Photos& photos, std::function<void(bool)> done) {
    PHFetchResult<PHAsset> shown = PHAsset::fetchAssetsInAssetCollection_options(album, nullptr);
    PHPhotoLibrary::sharedPhotoLibrary().performChanges_completionHandler(
        [album, shown, photos] {
            PHAssetCollectionChangeRequest::changeRequestForAssetCollection_assets(album, shown).removeAssets(photos);
        },
        [done](bool ok, NSError error) {
            fnd::systemLog(fnd::LogLevel::Notice, std::string("Finished removing asset from the album. ") +
                                                      (ok ? std::string("Success") : error.description()));
            if (done) done(ok);
        });
}

namespace {

// Whether a user album other than `leaving` holds the photo now.
bool heldElsewhere(const PHAsset& photo, const PHAssetCollection& leaving) {
    auto albums = PHAssetCollection::fetchAssetCollectionsContainingAsset_withType_options(
                      photo, PHAssetCollectionTypeAlbum, nullptr)
                      .fetchedObjects();
    return std::any_of(albums.begin(), albums.end(), [&](const PHAssetCollection& a) {
        return !leaving || a.localIdentifier() != leaving.localIdentifier();
    });
}

} // namespace

void moveOutOfCameraRoll(const Photos& photos, const PHAssetCollection& source) {
    if (photos.empty()) return;
    // A change with nothing in it: the library's queue is serial, so its
    // completion runs once every change queued before it (the host's add)
    // has been applied, and sees the library as they left it.
    PHPhotoLibrary::sharedPhotoLibrary().performChanges_completionHandler(
        [] {},
        [photos, source](bool, NSError) {
            Photos reached;
            for (const PHAsset& p : photos)
                if (heldElsewhere(p, source)) reached.push_back(p);
            if (reached.size() != photos.size())
                fnd::systemLog(fnd::LogLevel::Notice,
                               "lumicrate12: " + std::to_string(photos.size() - reached.size()) +
                                   " photo(s) not moved out of the camera roll: no other album holds them");
            if (reached.empty()) return;
            if (source && !isCameraRoll(source)) removeFromAlbum(source, reached);
            applyHiddenState(reached, true);
        });
}

void returnToCameraRoll(const Photos& photos, const PHAssetCollection& removeFrom) {
    bool remove = removeFrom && !isCameraRoll(removeFrom);
    if (!remove) return applyHiddenState(photos, false);
    applyHiddenState(photos, false, [photos, removeFrom](bool shown) {
        if (shown) return removeFromAlbum(removeFrom, photos);
        fnd::systemLog(fnd::LogLevel::Error,
                       "lumicrate12: the photos could not be shown again, so they stay in their album");
    });
}

} // namespace lc
