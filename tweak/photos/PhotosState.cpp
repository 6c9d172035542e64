#include "tweak/photos/PhotosState.h"

namespace lc {

PhotosState& photosState() {
    // Never destroyed: hooks may still run while the process exits.
    static PhotosState* state = new PhotosState;
    return *state;
}

std::vector<photos::PHAsset> selectedPhotos() {
    const PhotosState& s = photosState();
    if (s.albumViewController && !s.isZoomController) return s.albumViewController.selectedAssets();
    if (s.zoomGridController) return s.zoomGridController.selectedAssets();
    return {};
}

std::string libraryTitle(const photos::PHCollection& collection) {
    return collection ? collection.localizedTitle() : std::string();
}

photos::PHAssetCollection deletedCollection(const rt::NSObject& action, const PUAlbumListCellContentView& tile) {
    // The host's action names the album it deletes; the tile it came from
    // may show another album by the time a gated delete is replayed.
    if (action) {
        auto named = rt::trySend<photos::PHAssetCollection>(action.get(), "collection"_sel);
        if (named.ok() && named.value()) return named.value();
    }
    photos::PHCollection shown = tile.collection();
    return shown && shown.canContainAssets() ? shown.as<photos::PHAssetCollection>() : photos::PHAssetCollection();
}

} // namespace lc
