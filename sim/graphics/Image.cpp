#include "sim/graphics/Image.h"

#include "sim/foundation/Files.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <png.h>
#include <vector>

namespace gfx {

namespace {

constexpr int kMaxSide = 16384;

bool sane(int w, int h) { return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide; }

cairo_surface_t* checked(cairo_surface_t* s) {
    if (s && cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) return s;
    if (s) cairo_surface_destroy(s);
    return nullptr;
}

// ---- PNG, through cairo ---------------------------------------------------------------

struct ByteReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

cairo_status_t readBytes(void* closure, unsigned char* out, unsigned int length) {
    auto* r = static_cast<ByteReader*>(closure);
    if (r->size - r->at < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, r->data + r->at, length);
    r->at += length;
    return CAIRO_STATUS_SUCCESS;
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

cairo_surface_t* decodePng(const std::vector<std::uint8_t>& bytes) {
    ByteReader r{bytes.data(), bytes.size()};
    cairo_surface_t* s = checked(cairo_image_surface_create_from_png_stream(readBytes, &r));
    if (s && !sane(cairo_image_surface_get_width(s), cairo_image_surface_get_height(s))) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return s;
}

// ---- JPEG, through libjpeg --------------------------------------------------------------
// libjpeg reports errors by calling error_exit, which must not return: it
// jumps back to the decoder's start, so a bad file gives no image.

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

[[noreturn]] void jpegErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }
void jpegSilence(j_common_ptr, int) {}
void jpegNoMessage(j_common_ptr) {}

// Decodes into `out` (rows of 0xFFRRGGBB); false on any error. Kept free of
// C++ objects with destructors between setjmp and longjmp.
// With `atLeastWidth`/`atLeastHeight`, the decoder scales by the smallest
// eighth that keeps the picture at least that large (libjpeg's DCT
// scaling: far cheaper than decoding whole and scaling after).
bool decodeJpegInto(const std::vector<std::uint8_t>& bytes, cairo_surface_t** out, int atLeastWidth,
                    int atLeastHeight) {
    jpeg_decompress_struct info;
    JpegError err;
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    err.mgr.emit_message = jpegSilence;
    err.mgr.output_message = jpegNoMessage;
    cairo_surface_t* volatile surface = nullptr;
    unsigned char* volatile row = nullptr;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        if (surface) cairo_surface_destroy(surface);
        std::free(row);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    if (atLeastWidth > 0 && atLeastHeight > 0) {
        for (unsigned eighths = 1; eighths <= 8; ++eighths) {
            info.scale_num = eighths;
            info.scale_denom = 8;
            jpeg_calc_output_dimensions(&info);
            if (info.output_width >= static_cast<JDIMENSION>(atLeastWidth) &&
                info.output_height >= static_cast<JDIMENSION>(atLeastHeight))
                break;
        }
    }
    jpeg_start_decompress(&info);
    int w = static_cast<int>(info.output_width), h = static_cast<int>(info.output_height);
    if (!sane(w, h) || info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    surface = checked(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    if (!surface) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    row = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(w) * 3));
    cairo_surface_flush(surface);
    unsigned char* base = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    while (info.output_scanline < info.output_height) {
        int y = static_cast<int>(info.output_scanline);
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(&info, rows, 1);
        auto* px = reinterpret_cast<std::uint32_t*>(base + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < w; ++x)
            px[x] =
                0xFF000000u | (std::uint32_t{row[3 * x]} << 16) | (std::uint32_t{row[3 * x + 1]} << 8) | row[3 * x + 2];
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::free(row);
    cairo_surface_mark_dirty(surface);
    *out = surface;
    return true;
}

bool encodeJpeg(cairo_surface_t* s, int quality, std::string* out) {
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    cairo_surface_flush(s);
    const unsigned char* base = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    jpeg_compress_struct info;
    JpegError err;
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    // libjpeg writes the buffer's address here; after an error it is freed.
    struct Destination {
        unsigned char* mem = nullptr;
        unsigned long size = 0;
    } dest;
    std::vector<unsigned char> row(static_cast<std::size_t>(w) * 3);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&info);
        std::free(dest.mem);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &dest.mem, &dest.size);
    info.image_width = static_cast<JDIMENSION>(w);
    info.image_height = static_cast<JDIMENSION>(h);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto* px =
            reinterpret_cast<const std::uint32_t*>(base + static_cast<std::ptrdiff_t>(info.next_scanline) * stride);
        for (int x = 0; x < w; ++x) {
            // Un-premultiply over black: JPEG has no alpha.
            row[3 * x] = static_cast<unsigned char>(px[x] >> 16);
            row[3 * x + 1] = static_cast<unsigned char>(px[x] >> 8);
            row[3 * x + 2] = static_cast<unsigned char>(px[x]);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    out->assign(reinterpret_cast<const char*>(dest.mem), dest.size);
    jpeg_destroy_compress(&info);
    std::free(dest.mem);
    return true;
}

} // namespace

Image::Image(cairo_surface_t* s)
    : m_surface(s, cairo_surface_destroy) {}

std::optional<Image> Image::blank(int width, int height) {
    if (!sane(width, height)) return std::nullopt;
    cairo_surface_t* s = checked(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (!s) return std::nullopt;
    return Image(s);
}

std::optional<Image> Image::decode(const std::vector<std::uint8_t>& bytes, int atLeastWidth, int atLeastHeight) {
    static const std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() >= sizeof kPng && std::memcmp(bytes.data(), kPng, sizeof kPng) == 0) {
        if (cairo_surface_t* s = decodePng(bytes)) return Image(s);
        return std::nullopt;
    }
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
        cairo_surface_t* s = nullptr;
        if (decodeJpegInto(bytes, &s, atLeastWidth, atLeastHeight)) return Image(s);
    }
    return std::nullopt;
}

std::optional<Image> Image::load(const std::string& devicePath, int atLeastWidth, int atLeastHeight) {
    auto bytes = fnd::readFile(devicePath);
    if (!bytes) return std::nullopt;
    return decode(std::vector<std::uint8_t>(bytes->begin(), bytes->end()), atLeastWidth, atLeastHeight);
}

int Image::width() const { return cairo_image_surface_get_width(m_surface.get()); }
int Image::height() const { return cairo_image_surface_get_height(m_surface.get()); }

std::uint32_t Image::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width() || y >= height()) return 0;
    cairo_surface_flush(m_surface.get());
    const unsigned char* base = cairo_image_surface_get_data(m_surface.get());
    return reinterpret_cast<const std::uint32_t*>(base + static_cast<std::ptrdiff_t>(y) *
                                                             cairo_image_surface_get_stride(m_surface.get()))[x];
}

namespace {
Image drawScaled(const Image& src, int w, int h, double scale, double dx, double dy) {
    auto out = Image::blank(w, h);
    cairo_t* cr = cairo_create(out->surface());
    cairo_translate(cr, dx, dy);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, src.surface(), 0, 0);
    // Bilinear reads every source pixel while the picture shrinks by less
    // than half (and is pixman's fast path); past that, the box filter of
    // GOOD, so that nothing aliases.
    cairo_pattern_set_filter(cairo_get_source(cr), scale >= 0.5 ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_destroy(cr);
    return *out;
}
} // namespace

Image Image::scaledToFit(int boxWidth, int boxHeight, bool exact) const {
    if (boxWidth <= 0 || boxHeight <= 0) return *this;
    double scale = std::min(static_cast<double>(boxWidth) / width(), static_cast<double>(boxHeight) / height());
    if (scale >= 1 && !exact) return *this;
    int w = std::clamp(static_cast<int>(std::lround(width() * scale)), 1, kMaxSide);
    int h = std::clamp(static_cast<int>(std::lround(height() * scale)), 1, kMaxSide);
    return drawScaled(*this, w, h, scale, 0, 0);
}

Image Image::scaledToFill(int boxWidth, int boxHeight) const {
    if (!sane(boxWidth, boxHeight)) return *this;
    double scale = std::max(static_cast<double>(boxWidth) / width(), static_cast<double>(boxHeight) / height());
    return drawScaled(*this, boxWidth, boxHeight, scale, (boxWidth - width() * scale) / 2,
                      (boxHeight - height() * scale) / 2);
}

namespace {

void appendPng(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

// libpng at its fastest: cairo's own writer asks for its default level.
// The rows are un-premultiplied from cairo's ARGB into RGBA, as cairo's
// writer does. libpng reports errors by longjmp: nothing with a destructor
// is made between the setjmp and the end.
bool encodePngFast(cairo_surface_t* surface, std::string* out) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    if (!data || width <= 0 || height <= 0) return false;
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 4);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, appendPng, nullptr);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
        unsigned char* o = row.data();
        for (int x = 0; x < width; ++x, o += 4) {
            std::uint32_t p = pixels[x];
            unsigned a = p >> 24;
            if (a == 255) { // opaque, as most of a screen is: nothing to undo
                o[0] = static_cast<unsigned char>(p >> 16);
                o[1] = static_cast<unsigned char>(p >> 8);
                o[2] = static_cast<unsigned char>(p);
                o[3] = 255;
                continue;
            }
            if (a == 0) {
                o[0] = o[1] = o[2] = o[3] = 0;
                continue;
            }
            o[0] = static_cast<unsigned char>((((p >> 16) & 0xFF) * 255 + a / 2) / a);
            o[1] = static_cast<unsigned char>((((p >> 8) & 0xFF) * 255 + a / 2) / a);
            o[2] = static_cast<unsigned char>(((p & 0xFF) * 255 + a / 2) / a);
            o[3] = static_cast<unsigned char>(a);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::optional<std::string> Image::pngBytes(PngEncoding encoding) const {
    std::string bytes;
    if (encoding == PngEncoding::Fast) {
        if (!encodePngFast(m_surface.get(), &bytes)) return std::nullopt;
        return bytes;
    }
    if (cairo_surface_write_to_png_stream(m_surface.get(), appendBytes, &bytes) != CAIRO_STATUS_SUCCESS)
        return std::nullopt;
    return bytes;
}

bool Image::writePng(const std::string& devicePath) const {
    auto bytes = pngBytes();
    return bytes && fnd::writeFileAtomically(devicePath, *bytes);
}

std::optional<std::string> Image::jpegBytes(int quality) const {
    std::string bytes;
    if (!encodeJpeg(m_surface.get(), std::clamp(quality, 1, 100), &bytes)) return std::nullopt;
    return bytes;
}

bool Image::writeJpeg(const std::string& devicePath, int quality) const {
    auto bytes = jpegBytes(quality);
    return bytes && fnd::writeFileAtomically(devicePath, *bytes);
}

} // namespace gfx
