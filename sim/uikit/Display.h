#pragma once
// What an app's screen shows, for a live viewer of the device (lumisim view).
//
// A viewer asks an app to be watched ("watch", for a lease of device time
// that it renews). While watched, the app looks at its screen whenever its
// main loop is about to sleep after turns that did work (a layout pass, an
// animation's end, a touch, a library change: whatever may change what is
// drawn, as Core Animation commits before the loop waits), and when the
// picture differs from the last one it told of, it calls the change
// callback; the app host posts kDisplayChanged for it. Nothing is drawn
// while no one watches. "frame" answers the picture as a PNG: the key window,
// or only what is presented over it (a system alert) on a transparent page.

#include "sim/foundation/Value.h"
#include "sim/graphics/Image.h"

#include <cstdint>
#include <functional>

namespace uikit::display {

inline constexpr const char* kDisplayChanged = "com.lumi.sim.display-changed";
inline constexpr double kLongestLeaseSeconds = 600;

// Registers the "watch" and "frame" automation commands and the main loop's
// observer. Main thread, after the main loop is set.
void install(std::function<void()> onChange);

// A digest of the picture's pixels (equal pictures, equal digests).
std::uint64_t pictureDigest(const gfx::Image& image);

// The key window (or, with `presentedOnly`, the controllers presented over
// its root, none when nothing is) drawn at the screen's scale.
std::optional<gfx::Image> picture(bool presentedOnly);

} // namespace uikit::display
