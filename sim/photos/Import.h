#pragma once
// Bringing an image file into the library: the bytes are checked to be an
// image (PNG or JPEG), copied into the media folder as the next
// "/var/mobile/Media/DCIM/100APPLE/IMG_NNNN.JPG" (or .PNG), and recorded as
// an asset with the image's size and its thumbnail (Thumbnails.h). One place for the camera's saves, change
// requests and lumisim's addmedia.

#include "sim/photos/PhotoStore.h"

#include <optional>
#include <string>

namespace photos {

inline constexpr const char* kMediaFolder = "/var/mobile/Media/DCIM/100APPLE";

// Within the writer's transaction. `attributes` gives the asset's flags,
// media type and date; its id, uuid (unless set), image path and size are
// filled in. None, with nothing written, when the bytes are not an image or
// the file cannot be stored. `written` receives the device path of the
// copied file, so that a caller whose transaction then fails can remove it.
std::optional<AssetRecord> importImage(Writer& w, const std::string& bytes, const std::string& originalName,
                                       AssetRecord attributes, std::string* written = nullptr);

} // namespace photos
