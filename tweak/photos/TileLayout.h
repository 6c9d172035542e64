#pragma once
// How an album tile (PUAlbumListCellContentView, in the full list and in the
// strip) draws with lumicrate12, at each of its layout passes:
//
//   - a long-press recognizer (1 s) bound to the strip's gadget, which locks
//     and unlocks, attached once to a tile that has none;
//   - the thumbnail size recorded from a stack view taller than 100 points;
//   - a user album's subtitle counts its hidden photos too, when it is a
//     number;
//   - a locked album carries the padlock overlay: an LCLockView (tag 200)
//     over the thumbnail, a dark blur of what lies under it and the white
//     padlock (tag 202) in its middle; built once, re-framed in the full
//     list, removed once the album is unlocked;
//   - in edit mode, beside the delete button, the move button (tag 213, at
//     y 40) and the lock button (tag 214, at y 70), 22 points square, which
//     fade in; gone at the first pass after editing ends, and never on a
//     tile that cannot be deleted;
//   - the title and subtitle fonts of the settings (15 leaves them stock),
//     size 0 for a title or subtitle switched off.
//
// The album is the one the tile stands for (its title as the library has
// it), and the locked list is read again only when its file changed, so a
// lock written by SpringBoard shows at the next pass of every tile.

#include "sim/runtime/Runtime.h"

namespace lc {

inline constexpr long kLockViewTag = 200, kLockImageTag = 202, kMoveButtonTag = 213, kLockButtonTag = 214;
inline constexpr const char* kWhiteLockImage = "/Library/Application Support/lumicrate12/whitelock.png";
inline constexpr const char* kMoveImage = "/Library/Application Support/lumicrate12/move.png";
inline constexpr const char* kGreenLockImage = "/Library/Application Support/lumicrate12/greenlock.png";

extern rt::Orig<void()> g_tileLayout;
void tileLayoutSubviews(rt::Id self, rt::Sel);
extern rt::Orig<void(bool, bool)> g_tileSetEditing;
void tileSetEditing(rt::Id self, rt::Sel, bool editing, bool animated);
extern rt::Orig<void()> g_buttonLayout;
void buttonLayoutSubviews(rt::Id self, rt::Sel);
// Added: the move and lock buttons, when missing.
void createButtons(rt::Id self, rt::Sel);

// The padlock's frame in an overlay for this thumbnail width.
struct IconFrame {
    double x, y, width, height;
};
IconFrame lockIconFrame(std::int32_t width);

} // namespace lc
