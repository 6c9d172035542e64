#pragma once
// Finding a user album by its title and putting the newest photo into it,
// through PhotoKit's classes (so that the query filter's hooks apply to the
// lookup as to any app's). Any thread; nothing is shown or logged.
//
// The newest image is the visible image with the latest creation date:
// hidden images and videos are never chosen. It is chosen when the add is
// made: at once for an album that exists, after the creation has completed
// for one that does not. With no visible image in the library, nothing is
// added.

#include "sim/photos/kit/PhotoKit.h"

#include <string>

namespace lc {

// The first user album titled exactly `name`, hidden assets counted, or nil.
photos::PHAssetCollection collectionWithName(const std::string& name);
// The newest visible images, newest first by creation date, at most
// `limit` of them (a fetch result). The first is the last of the visible
// images sorted by creation date ascending; asking the library for the
// newest few rather than for all of them keeps this cheap at any library
// size. `hiddenOptionSet` sets the fetch options' hidden-assets option to
// NO explicitly rather than leaving its default.
photos::PHFetchResult<photos::PHAsset> newestImages(unsigned long limit, bool hiddenOptionSet = false);
// The newest-image query: the last visible image by creation date, or nil.
photos::PHAsset newestImage();
// Adds the newest image to the album titled `name`, creating the album first
// (one change) when there is none; the add is a second change, started only
// once the creation has succeeded. Returns before the library changes.
void moveLatestPhotoToAlbumWithName(const std::string& name);
// Adds the newest image to `album` in one change (`name` is not used).
void saveLatestPHAssetToCollection(const photos::PHAssetCollection& album, const std::string& name);
// Adds this asset (chosen by the caller, once) to the album titled `name`,
// creating the album first as moveLatestPhotoToAlbumWithName does. A nil
// asset adds nothing and creates nothing.
void moveAssetToAlbumWithName(const photos::PHAsset& asset, const std::string& name);

} // namespace lc
