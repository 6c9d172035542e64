#include "tweak/camera/CaptureHandOff.h"

#include "sim/dispatch/NSTimer.h"
#include "tweak/camera/AlbumPicker.h"
#include "tweak/core/Settings.h"
#include "tweak/library/AlbumPlacement.h"

#include <algorithm>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lc {

using namespace photos;
using rt::Ref;

constinit rt::Orig<void(Ref<rt::Object>, Ref<rt::Object>, Ref<rt::Object>)> g_captureDidFinish;
constinit rt::Orig<Ref<rt::Object>()> g_wellThumbnailImage;

namespace {

// What the hand-offs of this process have done so far.
struct HandOffs {
    long pending = 0; // timers scheduled whose hand-off has not started
    // The creation date of the newest photo taken; older photos are never taken.
    double watermark = -std::numeric_limits<double>::infinity();
    std::map<std::string, double> taken; // local identifier → creation date, none older than the watermark
};
HandOffs& handOffs() {
    static HandOffs state;
    return state;
}

void hide(const PHAsset& asset) {
    if (!PUAssetHidingHelper::cls()) return; // no hiding here: the album still has the photo
    auto helper = PUAssetHidingHelper::new_();
    helper.setAssets({asset});
    helper.applyHiddenState_completionHandler(true);
}

} // namespace

PHAsset takeCapturedPhoto(long pending) {
    HandOffs& state = handOffs();
    std::size_t wanted = static_cast<std::size_t>(std::max(1L, pending));
    // The untaken photos no older than the watermark, newest first, as many
    // as there are hand-offs to run: among the newest `wanted` plus however
    // many were taken (none of those is older than the watermark either).
    auto images = newestImages(wanted + state.taken.size());
    if (!images) return nullptr;
    std::vector<PHAsset> candidates;
    std::vector<double> dates;
    NSUInteger count = images.count();
    for (NSUInteger i = 0; i < count && candidates.size() < wanted; ++i) {
        PHAsset asset = images.objectAtIndex(i);
        double date = asset.creationDate().sinceReferenceDate;
        if (date < state.watermark) break;
        if (state.taken.contains(asset.localIdentifier())) continue;
        candidates.push_back(asset);
        dates.push_back(date);
    }
    if (candidates.empty()) return nullptr;
    // The oldest of them belongs to the earliest capture still waiting: this one.
    PHAsset photo = candidates.back();
    state.watermark = std::max(state.watermark, dates.back());
    state.taken[photo.localIdentifier()] = dates.back();
    std::erase_if(state.taken, [&](const auto& entry) { return entry.second < state.watermark; });
    return photo;
}

void captureDidFinish(rt::Id self, rt::Sel cmd, Ref<rt::Object> output, Ref<rt::Object> settings,
                      Ref<rt::Object> error) {
    g_captureDidFinish(self, cmd, output, settings, error);
    if (!enabled || !enableCameraPicker) return;
    // A failed capture is handed off too: its hand-off finds no new photo.
    ++handOffs().pending;
    dsp::NSTimer::scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(kHandOffDelay, Ref<rt::Object>(self),
                                                                                  rt::sel("movePhoto"), nullptr, false);
}

void movePhoto(rt::Id, rt::Sel) {
    HandOffs& state = handOffs();
    long pending = std::max(1L, state.pending);
    state.pending = pending - 1;
    if (chosenAlbum == kCameraRoll) return; // the photo stays where the camera put it
    PHAsset photo = takeCapturedPhoto(pending);
    if (!photo) return;
    moveAssetToAlbumWithName(photo, chosenAlbum);
    if (pickerMovePhotos) hide(photo);
}

Ref<rt::Object> wellThumbnailImage(rt::Id self, rt::Sel cmd) {
    if (!enabled) return g_wellThumbnailImage(self, cmd);
    PHAsset newest = newestImages(1, true).firstObject();
    if (!newest) return nullptr;
    auto options = PHImageRequestOptions::new_();
    options.setResizeMode(PHImageRequestOptionsResizeModeExact);
    options.setSynchronous(true);
    auto delivered = std::make_shared<gfx::UIImage>();
    PHImageManager::defaultManager().requestImageForAsset_targetSize_contentMode_options_resultHandler(
        newest, {kWellImageSide, kWellImageSide}, PHImageContentModeAspectFit, options,
        [delivered](gfx::UIImage image, fnd::Dictionary) { *delivered = std::move(image); });
    return *delivered; // the request is synchronous: the handler has run
}

} // namespace lc
