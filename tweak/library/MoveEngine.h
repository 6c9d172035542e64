#pragma once
// Moving an album's photos out of the camera roll (hiding the visible ones:
// a hidden photo stays in its albums and leaves the camera roll) and back
// (showing the hidden ones again), in the Photos app, with the progress on
// screen:
//
//   moving out   "Moving photos" (staying, with the spinner), then
//                "Finished moving" (brief) once the change is done
//   returning    "Returning photos", then "Finished returning"
//   nothing to do in either direction, or no such album: "No photos to move"
//
// The start message and the spinner come up on the next turn of the main
// queue (the change is already under way by then); the done message and the
// spinner's removal follow the hiding change's one completion, whatever its
// outcome. Two batches started before the first completes each show and
// remove their own (Overlay.h). Where the platform's hiding service is
// missing no batch can run: nothing staying is shown, and a line goes to the
// log. Main thread.

#include "sim/photos/kit/PhotoKit.h"

#include <string>

namespace lc {

// The album's photos out of the camera roll (moveOut) or back into it.
void syncAlbum(const photos::PHAssetCollection& album, bool moveOut);
// The same for the first user album titled exactly `name` (none: nothing to move).
void syncAlbum(const std::string& name, bool moveOut);

// Whether the text reads whole as one decimal number, as the platform's
// scanner reads a float: digits, a sign, a fraction, an exponent; white
// space around it is skipped. "12", "1.5" and " 7 " pass; "", "12 photos"
// and "abc" do not.
bool isStringInt(const std::string& text);

} // namespace lc
