#pragma once
// Thumbnails as the photo library keeps them: made once, when a photo enters
// the library, kept in the library's own store (the thumbnails table of
// Photos.sqlite, one row per asset, dropped with the asset), and read in the
// place of the original whenever a request asks for a picture no larger than
// the thumbnail. A thumbnail is the picture scaled so that its short side is
// kThumbnailShortSide pixels (never enlarged), as a JPEG: enough for a tile
// (150 points at 2x: a 4:3 photo's thumbnail is its key photo as it is), a
// grid cell, the camera's image well and the gallery's cells. A photo whose
// thumbnail is missing or damaged still shows: the thumbnail is made again
// from the original, and stored where the process may write the library.

#include "sim/graphics/Image.h"
#include "sim/photos/PhotoStore.h"

#include <optional>

namespace photos {

inline constexpr int kThumbnailShortSide = 300;
inline constexpr int kThumbnailQuality = 85;

// The thumbnail of a picture; none when it cannot be encoded.
std::optional<ThumbnailRecord> makeThumbnail(const gfx::Image& original);

// The asset's thumbnail as an image, decoded no smaller than the size
// given (0: whole): the stored one, or one made again from the original
// file (and stored) when the stored one is missing or does not decode. None
// when neither the thumbnail nor the original can be read.
std::optional<gfx::Image> thumbnailImage(PhotoStore& store, const AssetRecord& asset, int atLeastWidth = 0,
                                         int atLeastHeight = 0);

} // namespace photos
