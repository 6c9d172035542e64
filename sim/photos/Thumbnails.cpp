#include "sim/photos/Thumbnails.h"

#include "sim/foundation/SystemLog.h"

#include <algorithm>
#include <cmath>

namespace photos {

std::optional<ThumbnailRecord> makeThumbnail(const gfx::Image& original) {
    int shortSide = std::min(original.width(), original.height());
    if (shortSide <= 0) return std::nullopt;
    double scale = std::min(1.0, static_cast<double>(kThumbnailShortSide) / shortSide);
    int width = std::max(1, static_cast<int>(std::lround(original.width() * scale)));
    int height = std::max(1, static_cast<int>(std::lround(original.height() * scale)));
    gfx::Image small = scale < 1.0 ? original.scaledToFit(width, height) : original;
    auto jpeg = small.jpegBytes(kThumbnailQuality);
    if (!jpeg) return std::nullopt;
    return ThumbnailRecord{small.width(), small.height(), std::move(*jpeg)};
}

std::optional<gfx::Image> thumbnailImage(PhotoStore& store, const AssetRecord& asset, int atLeastWidth,
                                         int atLeastHeight) {
    if (auto stored = store.thumbnail(asset.id)) {
        if (auto image = gfx::Image::decode(std::vector<std::uint8_t>(stored->jpeg.begin(), stored->jpeg.end()),
                                            atLeastWidth, atLeastHeight))
            return image;
    }
    // Missing (a library from before thumbnails) or damaged: made again.
    auto original = gfx::Image::load(asset.imagePath);
    if (!original) return std::nullopt;
    auto made = makeThumbnail(*original);
    if (!made) return original;
    // Stored where this process may write the library; a reader that may
    // not still shows the photo.
    if (!store.setThumbnail(asset.id, *made))
        fnd::systemLog(fnd::LogLevel::Info, "photos: the thumbnail of asset " + std::to_string(asset.id) +
                                                " was made again but could not be stored");
    auto image = gfx::Image::decode(std::vector<std::uint8_t>(made->jpeg.begin(), made->jpeg.end()));
    return image ? image : original;
}

} // namespace photos
