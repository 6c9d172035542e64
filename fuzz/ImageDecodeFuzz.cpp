// The image decoder, as the photo library's readers use it: a stored
// thumbnail (any app with photo access may write the library) or an
// original, decoded whole or by eighths no smaller than asked (the first
// two bytes choose the size asked). Any input gives an image or none, never
// a crash or a hang; a picture decoded by eighths is never larger than the
// whole one, nor smaller than was asked unless the whole one is.

#include "sim/graphics/Image.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    int atLeastWidth = data[0] * 4, atLeastHeight = data[1] * 4;
    std::vector<std::uint8_t> bytes(data + 2, data + size);
    auto whole = gfx::Image::decode(bytes);
    auto scaled = gfx::Image::decode(bytes, atLeastWidth, atLeastHeight);
    // A damaged JPEG may decode at one scale and fail at another (the
    // decoder reads less of it by eighths): each is an image or none.
    if (whole && scaled) {
        if (scaled->width() > whole->width() || scaled->height() > whole->height()) std::abort();
        bool asked = atLeastWidth > 0 && atLeastHeight > 0;
        if (asked && scaled->width() < std::min(atLeastWidth, whole->width())) std::abort();
        if (asked && scaled->height() < std::min(atLeastHeight, whole->height())) std::abort();
    }
    return 0;
}
