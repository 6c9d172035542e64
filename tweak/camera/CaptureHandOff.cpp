#include "tweak/camera/CaptureHandOff.h"

#include "sim/foundation/Value.h"
#include "sim/graphics/Geometry.h"
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

using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

constinit rt::Orig<void(Ref<rt::Object>, Ref<rt::Object>, Ref<rt::Object>)> g_captureDidFinish;
constinit rt::Orig<Ref<rt::Object>()> g_wellThumbnailImage;

namespace {

constexpr long kAspectFit = 0, kResizeExact = 2;

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

double creationDate(const Ref<rt::Object>& asset) {
    return rt::send<fnd::Date>(asset, "creationDate"_sel).sinceReferenceDate;
}

void hide(const Ref<rt::Object>& asset) {
    rt::Class* helperClass = rt::getClass("PUAssetHidingHelper");
    if (!helperClass) return; // no hiding here: the album still has the photo
    auto helper = rt::sendClass<Ref<rt::Object>>(helperClass, "new"_sel);
    rt::send(helper, "setAssets:"_sel, Objects{asset});
    rt::send(helper, "applyHiddenState:completionHandler:"_sel, true, rt::Block<void(bool, Ref<rt::Object>)>());
}

} // namespace

Ref<rt::Object> takeCapturedPhoto(long pending) {
    HandOffs& state = handOffs();
    std::size_t wanted = static_cast<std::size_t>(std::max(1L, pending));
    // The untaken photos no older than the watermark, newest first, as many
    // as there are hand-offs to run: among the newest `wanted` plus however
    // many were taken (none of those is older than the watermark either).
    Ref<rt::Object> images = newestImages(wanted + state.taken.size());
    if (!images) return nullptr;
    Objects candidates;
    std::vector<double> dates;
    auto count = rt::send<unsigned long>(images, "count"_sel);
    for (unsigned long i = 0; i < count && candidates.size() < wanted; ++i) {
        auto asset = rt::send<Ref<rt::Object>>(images, "objectAtIndex:"_sel, i);
        double date = creationDate(asset);
        if (date < state.watermark) break;
        if (state.taken.contains(rt::send<std::string>(asset, "localIdentifier"_sel))) continue;
        candidates.push_back(asset);
        dates.push_back(date);
    }
    if (candidates.empty()) return nullptr;
    // The oldest of them belongs to the earliest capture still waiting: this one.
    Ref<rt::Object> photo = candidates.back();
    state.watermark = std::max(state.watermark, dates.back());
    state.taken[rt::send<std::string>(photo, "localIdentifier"_sel)] = dates.back();
    std::erase_if(state.taken, [&](const auto& entry) { return entry.second < state.watermark; });
    return photo;
}

void captureDidFinish(rt::Id self, rt::Sel cmd, Ref<rt::Object> output, Ref<rt::Object> settings,
                      Ref<rt::Object> error) {
    g_captureDidFinish(self, cmd, output, settings, error);
    if (!enabled || !enableCameraPicker) return;
    // A failed capture is handed off too: its hand-off finds no new photo.
    ++handOffs().pending;
    rt::sendClass<Ref<rt::Object>>(
        rt::getClass("NSTimer"), "scheduledTimerWithTimeInterval:target:selector:userInfo:repeats:"_sel, kHandOffDelay,
        Ref<rt::Object>(self), rt::sel("movePhoto"), Ref<rt::Object>(), false);
}

void movePhoto(rt::Id, rt::Sel) {
    HandOffs& state = handOffs();
    long pending = std::max(1L, state.pending);
    state.pending = pending - 1;
    if (chosenAlbum == kCameraRoll) return; // the photo stays where the camera put it
    Ref<rt::Object> photo = takeCapturedPhoto(pending);
    if (!photo) return;
    moveAssetToAlbumWithName(photo, chosenAlbum);
    if (pickerMovePhotos) hide(photo);
}

Ref<rt::Object> wellThumbnailImage(rt::Id self, rt::Sel cmd) {
    if (!enabled) return g_wellThumbnailImage(self, cmd);
    Ref<rt::Object> images = newestImages(1, true);
    Ref<rt::Object> newest = images ? rt::send<Ref<rt::Object>>(images, "firstObject"_sel) : nullptr;
    if (!newest) return nullptr;
    auto options = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHImageRequestOptions"), "new"_sel);
    rt::send(options, "setResizeMode:"_sel, kResizeExact);
    rt::send(options, "setSynchronous:"_sel, true);
    auto manager = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHImageManager"), "defaultManager"_sel);
    auto delivered = std::make_shared<Ref<rt::Object>>();
    rt::send<int>(manager, "requestImageForAsset:targetSize:contentMode:options:resultHandler:"_sel, newest,
                  gfx::CGSize{kWellImageSide, kWellImageSide}, kAspectFit, options,
                  rt::Block<void(Ref<rt::Object>, fnd::Dictionary)>(
                      [delivered](Ref<rt::Object> image, fnd::Dictionary) { *delivered = std::move(image); }));
    return *delivered; // the request is synchronous: the handler has run
}

} // namespace lc
