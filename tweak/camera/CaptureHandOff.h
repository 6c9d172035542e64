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
// Which photo a hand-off acts on: it is picked once, when -movePhoto starts,
// and that one asset goes both into the album and to the hiding, also when
// the album must be created first. Captures in quick succession start one
// timer each, and each hand-off takes the photo of its own capture: of the
// visible images no earlier hand-off took, and no older than the last one
// taken, the k-th newest, where k is the number of hand-offs still to run
// (this one included). So a burst of three puts each of its three photos
// into the album once, in capture order, whether or not they are hidden
// meanwhile, and a failed capture after an earlier hand-off finds nothing
// new and moves nothing (the first hand-off of the process takes the newest
// visible image). With no visible image, nothing is added or hidden.
//
// A chosenAlbum that names a locked album (chosen before it was locked, and
// restored at start) still receives the photos: the album lookup finds the
// locked album by its title, so no album is created per capture.
//
// Main thread only.

#include "sim/photos/kit/PhotoKit.h"

namespace lc {

inline constexpr double kHandOffDelay = 1.5;  // seconds
inline constexpr double kWellImageSide = 175; // points

extern rt::Orig<void(rt::Ref<rt::Object>, rt::Ref<rt::Object>, rt::Ref<rt::Object>)> g_captureDidFinish;
void captureDidFinish(rt::Id self, rt::Sel cmd, rt::Ref<rt::Object> output, rt::Ref<rt::Object> settings,
                      rt::Ref<rt::Object> error);
void movePhoto(rt::Id self, rt::Sel cmd);

extern rt::Orig<rt::Ref<rt::Object>()> g_wellThumbnailImage;
rt::Ref<rt::Object> wellThumbnailImage(rt::Id self, rt::Sel cmd);

// Picks the photo of the hand-off now starting, with `pending` hand-offs
// still to run counting this one (see above), and marks it taken; nil when
// there is none.
photos::PHAsset takeCapturedPhoto(long pending);

} // namespace lc
