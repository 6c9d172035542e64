#pragma once
// The capture hand-off and the image well's picture, in the Camera app.
//
// When the capture engine has finished a capture (its
// captureOutput:didFinishCaptureForResolvedSettings:error:, replaced), a
// one-shot 1.5-second timer sends the engine -movePhoto (added, "v@:"): the
// photo goes into chosenAlbum and, with `pickerMovePhotos` on, out of the
// camera roll by hiding it. The image well's -thumbnailImage (replaced)
// answers the newest photo still visible, 175 × 175, aspect fit.
//
// Which photo a hand-off acts on: the one its own capture saved. The
// capture callback runs once the capture is in the library, and the
// resolved settings it carries name the asset the engine saved
// (-savedAssetLocalIdentifier, the device Camera's). The callback queues that
// identifier and starts the timer; each -movePhoto takes the oldest queued
// identifier (the timers all wait 1.5 s, so they fire in capture order) and
// acts on exactly that asset, whatever else the library holds by then:
// photos other processes import meanwhile, a photo dated in the future, a
// clock that stepped back. A capture that failed (an error, or no saved
// asset) queues nothing and starts no timer, so it hands off nothing. With a
// camera that does not say what it saved, the callback falls back to the
// newest visible image at that moment.
//
// A chosenAlbum that names a locked album (chosen before it was locked, and
// restored at start) still receives the photos: the album lookup finds the
// locked album by its title, so no album is created per capture.
//
// Main thread only.

#include "sim/photos/kit/PhotoKit.h"

#include <string>

namespace lc {

inline constexpr double kHandOffDelay = 1.5;  // seconds
inline constexpr double kWellImageSide = 175; // points

extern rt::Orig<void(rt::Ref<rt::Object>, rt::Ref<rt::Object>, rt::Ref<rt::Object>)> g_captureDidFinish;
void captureDidFinish(rt::Id self, rt::Sel cmd, rt::Ref<rt::Object> output, rt::Ref<rt::Object> settings,
                      rt::Ref<rt::Object> error);
void movePhoto(rt::Id self, rt::Sel cmd);
// What one hand-off does with its capture's photo: into chosenAlbum and,
// with `pickerMovePhotos` on, out of the camera roll.
void handOff(const std::string& localIdentifier);

extern rt::Orig<rt::Ref<rt::Object>()> g_wellThumbnailImage;
rt::Ref<rt::Object> wellThumbnailImage(rt::Id self, rt::Sel cmd);

// The asset a finished capture saved, as its callback's arguments say; nil
// for a capture that failed or saved nothing.
photos::PHAsset savedAssetOf(const rt::Ref<rt::Object>& settings, const rt::Ref<rt::Object>& error);

} // namespace lc
