#pragma once
// What an album tile's edit-mode buttons do (PUAlbumListCellContentView,
// methods lumicrate12 adds):
//
//   lockAlbum       the lock button: locks the album at once, or unlocks
//                   it through the gate (the tile asks, code 0), with a
//                   pulse, then redraws the tiles (and the strip)
//   askToMoveAlbum  the move button: the gate first for a locked album
//                   (code 1), then moveAlbum
//   moveAlbum       the sheet "Move Album" / "Return album photos to the
//                   camera roll or move them out?": "Return to camera
//                   roll", "Move out of camera roll", "Cancel"; anchored on
//                   the tile on iPad
//
// The album is the one the tile stands for: locked by its title as the
// library has it (the locked list holds titles), moved as that collection,
// even where another album bears its title.

#include "sim/runtime/Runtime.h"

namespace lc {

void lockAlbum(rt::Id self, rt::Sel);
void askToMoveAlbum(rt::Id self, rt::Sel);
void moveAlbum(rt::Id self, rt::Sel);

} // namespace lc
