#include "sim/photos/Import.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/graphics/Image.h"
#include "sim/photos/Thumbnails.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace photos {

std::optional<AssetRecord> importImage(Writer& w, const std::string& bytes, const std::string& originalName,
                                       AssetRecord a, std::string* written) {
    auto image = gfx::Image::decode(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    if (!image) return std::nullopt;
    bool png = static_cast<unsigned char>(bytes[0]) == 0x89;
    Statement next = w.db().prepare("SELECT coalesce(max(id), 0) + 1 FROM assets");
    if (!next || !next.step()) return std::nullopt;
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04lld.%s", static_cast<long long>(next.integer(0)), png ? "PNG" : "JPG");
    std::string path = std::string(kMediaFolder) + "/" + name;
    std::error_code ec;
    std::filesystem::create_directories(fnd::hostPath(kMediaFolder), ec);
    // The library's own file, written as the photo service would, outside
    // the calling app's sandbox.
    if (!fnd::writeFileAtomicallyAsSystem(path, bytes)) return std::nullopt;
    a.imagePath = path;
    a.pixelWidth = image->width();
    a.pixelHeight = image->height();
    a.filename = originalName.empty() ? name : originalName;
    auto inserted = w.insertAsset(std::move(a));
    // The thumbnail comes in with the photo, in the same transaction.
    auto thumbnail = inserted ? makeThumbnail(*image) : std::nullopt;
    if (!inserted || !thumbnail || !w.setThumbnail(inserted->id, *thumbnail)) {
        std::filesystem::remove(fnd::hostPath(path), ec);
        return std::nullopt;
    }
    if (written) *written = path;
    return inserted;
}

} // namespace photos
