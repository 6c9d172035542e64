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

} // namespace lc
