#pragma once
// The Camera app's album picker: an album button and a caption under it in
// the bottom bar (CAMBottomBar), a chooser that lists the user albums, and
// an alert that creates a new album. The choice is the process-wide
// chosenAlbum ("Camera Roll": none), written to album.tct through
// SpringBoard so that the next start of the Camera app can begin with it.
//
// Installed by the "camera" hook group: -layoutSubviews replaced, and
// -chooseAlbum and -createNewAlbum ("v@:") added. Main thread only.
//
// Both views live in the bar's background view and are found again by
// their tags; nothing else keeps them. They are made once, at the first
// layout pass with `enabled` and `enableCameraPicker` on; later passes only
// refresh the caption's text.

#include "sim/uikit/UIKit.h"

#include <string>

namespace lc {

inline constexpr long kAlbumTag = 77; // the album button
inline constexpr long kLabelTag = 78; // the caption
inline constexpr const char* kAlbumImagePath = "/Library/Application Support/lumicrate12/album.png";
inline constexpr double kAlbumButtonSize = 28;
inline constexpr double kCaptionFontSize = 12;
// 5/6, as a single-precision float holds it.
inline constexpr double kCaptionMinimumScale = 0.8333333134651184;
inline constexpr gfx::CGSize kCaptionBox{380, 20};
inline constexpr gfx::CGSize kCustomDrawCaptionBox{100, 40}; // at creation, beside a CustomDrawButton
inline constexpr const char* kCameraRoll = "Camera Roll";

// The camera's target album; "Camera Roll" means none. Set at start-up (from
// album.tct when `rememberDefault` is on) and by the picker.
extern std::string chosenAlbum;

// ---- geometry (points) ---------------------------------------------------------------------------
// The button's centre in a background view of this size: x two sevenths of
// the width (28 further right beside a CustomDrawButton), y 5 below the middle.
gfx::CGPoint albumButtonCentre(gfx::CGSize background, bool customDrawButton);
// Where the caption may lie, across the background view: from the screen's
// left edge to the shutter's left edge, each with a margin of 4 points. A
// caption outside it would be cut off by the screen or lie under the shutter.
struct CaptionRoom {
    double left = -1e9, right = 1e9;
};
inline constexpr double kCaptionMargin = 4;
// The room in this bar's background view (unbounded on a side it cannot tell).
CaptionRoom captionRoom(const uikit::UIView& bar);
// The caption's frame: `text` measured in the system font of 12 points
// inside `box`, truncated at the tail, centred 28 below the button's centre.
// A caption wider than the room is as wide as the room (the label shrinks,
// then truncates the title's tail with an ellipsis in that width); one that
// would cross the room's edge when centred moves inside it, as little as it
// must. A short title keeps the plain geometry.
gfx::CGRect captionFrame(const std::string& text, gfx::CGSize box, gfx::CGPoint buttonCentre, CaptionRoom room = {});
// Whether one of the bar's direct subviews is a CustomDrawButton (the class
// looked up by name; a process without it has none).
bool holdsCustomDrawButton(const uikit::UIView& bar);

// ---- the methods the camera group installs on CAMBottomBar ----------------------------------------
extern rt::Orig<void()> g_bottomBarLayout;
void bottomBarLayoutSubviews(rt::Id self, rt::Sel cmd);
void chooseAlbum(rt::Id self, rt::Sel cmd);
void createNewAlbum(rt::Id self, rt::Sel cmd);

// What choosing `name` in the chooser does: chosenAlbum, the caption (text
// and frame, measured against 380 × 20), and album.tct.
void chooseAlbumNamed(const uikit::UIView& bar, const std::string& name);
// The titles the chooser lists: the regular user albums, in library order.
std::vector<std::string> regularAlbumTitles();

} // namespace lc
