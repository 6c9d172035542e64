#pragma once
// The lock gate: what stands between a locked album and the action the user
// wanted (open it, delete it, unlock it, move its photos). Three host
// classes of the Photos app get the same three methods: the album list
// (PUAlbumListViewController), the Albums page's strip
// (PUHorizontalAlbumListGadget) and an album tile (PUAlbumListCellContentView).
//
//   unlockAlbum:withAlbum:  the caller has parked its action in a slot of
//                           PhotosState; this sends SpringBoard the request
//                           "authenticate" {id, method (the action code),
//                           albumName, controller (the class's name), token}
//                           and returns (the gadget and the tile first name
//                           themselves the receiver of the answer)
//   requestPassword:        the prompt "Unlock album" / "Enter password to
//                           unlock album.", a secure "Password" field, "OK"
//                           and "Cancel" (the button texts in the app's
//                           language); OK with the password of settings.tct,
//                           compared exactly, or with none set, grants;
//                           otherwise "Incorrect password" ("Incorrect
//                           password." on a tile) and the action stays parked
//   unlockAuthorised:       raises the one-shot pass `unlocked` and replays
//                           the parked action of the code, which uses the
//                           pass up as it runs
//
// The replays by class and code:
//   list    0 didSelectItemAtIndexPath: tappedIndex, then inLockedAlbum
//           1 albumListCellContentView:performDeleteAction: tempContentView, tempDeleteAction
//   gadget  0 collectionView:didSelectItemAtIndexPath: its collection view, tappedIndex, then inLockedAlbum
//           1 as the list's, when the gadget answers it
//           2 handleLongPress: tempRecognizer
//   tile    0 lockAlbum
//           1 moveAlbum, the pass cleared first (moveAlbum does not look at it)
// A code with nothing to replay (another code, an empty slot, a method the
// object lacks) raises no pass, so a pass never waits for an action that
// is not its own.

#include "sim/runtime/Runtime.h"

#include <string>

namespace lc {

enum class GateHost { List, Gadget, Tile };

// The request's "controller" of each host class.
const char* gateControllerName(GateHost host);

// The methods, as each class gets them ("v@:i@", "v@:i", "v@:i").
template <GateHost H> void unlockAlbumWithAlbum(rt::Id self, rt::Sel, int code, std::string title);
template <GateHost H> void requestPassword(rt::Id self, rt::Sel, int code);
template <GateHost H> void unlockAuthorised(rt::Id self, rt::Sel, int code);

// The password check of the prompt's OK: whether `entry` opens, given the
// stored password (none: every entry opens).
bool passwordAccepted(const std::string& entry, const std::optional<std::string>& stored);

} // namespace lc
