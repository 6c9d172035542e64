#include "tweak/camera/CaptureHandOff.h"

#include "sim/dispatch/NSTimer.h"
#include "tweak/camera/AlbumPicker.h"
#include "tweak/core/Settings.h"
#include "tweak/library/AlbumPlacement.h"

#include <deque>

namespace lc {

using namespace photos;
using rt::Ref;

constinit rt::Orig<void(Ref<rt::Object>, Ref<rt::Object>, Ref<rt::Object>)> g_captureDidFinish;
constinit rt::Orig<Ref<rt::Object>()> g_wellThumbnailImage;

namespace {

// The resolved settings of a capture, as the device's Camera hands them to
// the engine's delegate.
struct AVCaptureResolvedPhotoSettings : NSObject {
    RT_FACE(AVCaptureResolvedPhotoSettings, NSObject)
    std::string savedAssetLocalIdentifier() const { return msg<std::string>("savedAssetLocalIdentifier"_sel); }
};

// The photos of the captures whose timers have not fired yet, oldest first.
std::deque<std::string>& pendingHandOffs() {
    static std::deque<std::string> pending;
    return pending;
}

PHAsset assetWithIdentifier(const std::string& identifier) {
    auto options = PHFetchOptions::new_();
    options.setIncludeHiddenAssets(true);
    return PHAsset::fetchAssetsWithLocalIdentifiers_options({identifier}, options).firstObject();
}

void hide(const PHAsset& asset) {
    if (!PUAssetHidingHelper::cls()) return; // no hiding here: the album still has the photo
    auto helper = PUAssetHidingHelper::new_();
    helper.setAssets({asset});
    helper.applyHiddenState_completionHandler(true);
}

} // namespace

PHAsset savedAssetOf(const Ref<rt::Object>& settings, const Ref<rt::Object>& error) {
    if (error) return nullptr;
    AVCaptureResolvedPhotoSettings resolved(settings);
    if (resolved && resolved.respondsToSelector("savedAssetLocalIdentifier"_sel)) {
        std::string saved = resolved.savedAssetLocalIdentifier();
        return saved.empty() ? nullptr : assetWithIdentifier(saved);
    }
    return newestImage(); // a camera that does not say: the newest visible image now
}

void captureDidFinish(rt::Id self, rt::Sel cmd, Ref<rt::Object> output, Ref<rt::Object> settings,
                      Ref<rt::Object> error) {
    g_captureDidFinish(self, cmd, output, settings, error);
    if (!enabled || !enableCameraPicker) return;
    PHAsset photo = savedAssetOf(settings, error);
    if (!photo) return; // a failed capture: nothing to hand off
    pendingHandOffs().push_back(photo.localIdentifier());
    dsp::NSTimer::scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(kHandOffDelay, Ref<rt::Object>(self),
                                                                                  rt::sel("movePhoto"), nullptr, false);
}

void movePhoto(rt::Id, rt::Sel) {
    auto& pending = pendingHandOffs();
    if (pending.empty()) return; // sent by something other than a capture's timer
    std::string identifier = pending.front();
    pending.pop_front();
    handOff(identifier);
}

void handOff(const std::string& localIdentifier) {
    if (chosenAlbum == kCameraRoll) return; // the photo stays where the camera put it
    PHAsset photo = assetWithIdentifier(localIdentifier);
    if (!photo) return; // deleted since the capture
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
