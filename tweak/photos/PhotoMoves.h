#pragma once
// Moving photos out of the camera roll and back, in the Photos app: a photo
// "moved out" is hidden (which takes it out of the camera roll) and kept in
// a user album. Every step keeps one rule: a photo this code hides stays in
// a user album, so the user can always open it (or it returns to the
// camera roll). So a photo is hidden only once the library shows it in a
// user album other than the one it leaves, and is taken out of an album
// only once it is visible again or in another album.
//
// All of it starts library changes and returns; the changes run in order on
// the library's queue, where the completions below run too.

#include "sim/photos/kit/PhotoKit.h"

#include <functional>
#include <vector>

namespace lc {

using Photos = std::vector<photos::PHAsset>;

// The user-library smart album (subtype 209). A nil collection is not it.
bool isCameraRoll(const photos::PHAssetCollection& collection);
// How many user albums (type 1) hold the photo.
unsigned long userAlbumCount(const photos::PHAsset& photo);
// The photos that at most one user album holds, in their order.
Photos photosInAtMostOneAlbum(const Photos& photos);

// The photos of the album (hidden ones too) that no other user album holds,
// in the album's order: what a delete of the album would leave in no album.
Photos photosOnlyIn(const photos::PHAssetCollection& album);

// PUAssetHidingHelper: hides or shows the photos in one change.
void applyHiddenState(const Photos& photos, bool hidden, std::function<void(bool)> done = {});

// Takes the photos out of the album, over the album's full fetch, and logs
// "Finished removing asset from the album. %@" with "Success" or the error.
void removeFromAlbum(const photos::PHAssetCollection& album, const Photos& photos, std::function<void(bool)> done = {});

// The picker's Move, after the host's add to the target album has been
// queued: once the library has applied it, each photo that a user album
// other than `source` now holds is taken out of `source` (unless that is the
// camera roll or nil) and hidden. A photo the add did not reach is left as
// it was, in its album and its place.
void moveOutOfCameraRoll(const Photos& photos, const photos::PHAssetCollection& source);

// Shows the photos again and, with `removeFrom` (not the camera roll), takes
// them out of that album once they are visible: a failed show removes
// nothing.
void returnToCameraRoll(const Photos& photos, const photos::PHAssetCollection& removeFrom);

} // namespace lc
