#pragma once
// Image: a bitmap in memory (a cairo image surface, 32-bit ARGB), read from
// and written to PNG and JPEG files on the device.
//
// Reading tolerates anything: a missing, empty, truncated or foreign file
// gives no image, never a crash. Images are immutable once made and may be
// shared between threads.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

namespace gfx {

class Image {
public:
    // A blank (transparent) image; none for a size that is not positive or is
    // larger than 16384 on a side.
    static std::optional<Image> blank(int width, int height);
    // PNG or JPEG, told by the file's first bytes. Device path. With a size
    // it must be at least, a JPEG may come out smaller than stored (by
    // eighths, in the decoder), never below that size nor above its own.
    static std::optional<Image> load(const std::string& devicePath, int atLeastWidth = 0, int atLeastHeight = 0);
    static std::optional<Image> decode(const std::vector<std::uint8_t>& bytes, int atLeastWidth = 0,
                                       int atLeastHeight = 0);

    int width() const;
    int height() const;
    // The pixel at (x, y) as 0xAARRGGBB (premultiplied, as cairo keeps it).
    std::uint32_t pixel(int x, int y) const;

    // Scaled to fit inside the box, keeping the aspect ratio; each side is
    // rounded to whole pixels and at least 1. An image that already fits is
    // scaled up only when `exact` is asked for.
    Image scaledToFit(int boxWidth, int boxHeight, bool exact = true) const;
    // Scaled to fill the box, keeping the aspect ratio, then cropped to it.
    Image scaledToFill(int boxWidth, int boxHeight) const;

    bool writePng(const std::string& devicePath) const;
    // The image as a PNG file's bytes (a screenshot sent over the device
    // socket). `Fast` trades a larger file for an encoding some times
    // quicker (deflate's fastest level, no row filters): a live viewer's
    // frames, which are shown once and thrown away.
    enum class PngEncoding { Small, Fast };
    std::optional<std::string> pngBytes(PngEncoding encoding = PngEncoding::Small) const;
    bool writeJpeg(const std::string& devicePath, int quality = 90) const;
    // The image as a JPEG file's bytes; none when it cannot be encoded.
    std::optional<std::string> jpegBytes(int quality = 90) const;

    cairo_surface_t* surface() const { return m_surface.get(); }

private:
    explicit Image(cairo_surface_t* s);
    std::shared_ptr<cairo_surface_t> m_surface;
};

} // namespace gfx
