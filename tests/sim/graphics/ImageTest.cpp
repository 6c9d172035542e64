// Images: PNG and JPEG files read and written for real, scaling by aspect,
// sample photos that differ, and files that are no image at all.

#include "sim/foundation/Files.h"
#include "sim/graphics/SamplePhoto.h"
#include "tests/support/TempDeviceRoot.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <random>

using gfx::Image;

namespace {
std::vector<std::uint8_t> bytesOf(const std::string& devicePath) {
    auto s = fnd::readFile(devicePath);
    return std::vector<std::uint8_t>(s->begin(), s->end());
}
int channel(std::uint32_t px, int shift) { return static_cast<int>((px >> shift) & 0xFF); }
} // namespace

TEST(Image, PngAndJpegFilesRoundTripWithTheirPixels) {
    testsupport::TempDeviceRoot root;
    Image photo =
        gfx::makeSamplePhoto({.index = 3, .label = "Beach", .dateText = "2026-12-08", .width = 160, .height = 120});
    ASSERT_TRUE(photo.writePng("/p.png"));
    ASSERT_TRUE(photo.writeJpeg("/p.jpg", 95));
    auto png = Image::load("/p.png");
    auto jpg = Image::load("/p.jpg");
    ASSERT_TRUE(png && jpg);
    EXPECT_EQ(png->width(), 160);
    EXPECT_EQ(jpg->height(), 120);
    for (auto [x, y] : {std::pair{5, 5}, {80, 100}, {150, 10}}) {
        EXPECT_EQ(png->pixel(x, y), photo.pixel(x, y)) << "PNG is lossless";
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(channel(jpg->pixel(x, y), shift), channel(photo.pixel(x, y), shift), 12);
    }
}

TEST(Image, TheFastPngHoldsThePixelsTheSmallOneHolds) {
    // A photo under a half-transparent band and beside clear pixels: each
    // kind of pixel the fast encoder treats apart (opaque, clear, partly).
    auto image = Image::blank(120, 90);
    ASSERT_TRUE(image);
    Image photo =
        gfx::makeSamplePhoto({.index = 2, .label = "Rome", .dateText = "2026-12-10", .width = 80, .height = 90});
    cairo_t* cr = cairo_create(image->surface());
    cairo_set_source_surface(cr, photo.surface(), 0, 0);
    cairo_paint(cr);
    cairo_rectangle(cr, 0, 30, 120, 20);
    cairo_set_source_rgba(cr, 0.2, 0.6, 1.0, 0.37);
    cairo_fill(cr);
    cairo_destroy(cr);
    auto fast = image->pngBytes(Image::PngEncoding::Fast), small = image->pngBytes();
    ASSERT_TRUE(fast && small);
    auto fromFast = Image::decode(std::vector<std::uint8_t>(fast->begin(), fast->end()));
    auto fromSmall = Image::decode(std::vector<std::uint8_t>(small->begin(), small->end()));
    ASSERT_TRUE(fromFast && fromSmall);
    ASSERT_EQ(fromFast->width(), 120);
    ASSERT_EQ(fromFast->height(), 90);
    int differing = 0;
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x)
            differing += fromFast->pixel(x, y) != fromSmall->pixel(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(fromFast->pixel(100, 10) >> 24, 0u) << "clear stays clear";
    EXPECT_EQ(fromFast->pixel(100, 40) >> 24, 94u) << "the band's alpha";
}

TEST(Image, ScalingKeepsTheAspectRatioInWholePixels) {
    Image wide = *Image::blank(4000, 3000);
    Image fit = wide.scaledToFit(175, 175);
    EXPECT_EQ(fit.width(), 175);
    EXPECT_EQ(fit.height(), 131);
    Image tall = *Image::blank(10, 1000);
    EXPECT_EQ(tall.scaledToFit(50, 50).width(), 1) << "never below one pixel";
    EXPECT_EQ(wide.scaledToFill(100, 100).width(), 100);
    EXPECT_EQ(wide.scaledToFill(100, 100).height(), 100);
    Image small = *Image::blank(20, 10);
    EXPECT_EQ(small.scaledToFit(100, 100, false).width(), 20) << "not scaled up unless exact";
    EXPECT_EQ(small.scaledToFit(100, 100, true).width(), 100);
    EXPECT_FALSE(Image::blank(0, 10));
    EXPECT_FALSE(Image::blank(20000, 10));
}

TEST(Image, SamplePhotosDifferFromEachOther) {
    Image a = gfx::makeSamplePhoto({.index = 1, .width = 64, .height = 48});
    Image b = gfx::makeSamplePhoto({.index = 2, .width = 64, .height = 48});
    EXPECT_NE(a.pixel(2, 2), b.pixel(2, 2));
}

TEST(Image, AnythingThatIsNoImageGivesNoneNeverACrash) {
    testsupport::TempDeviceRoot root;
    Image photo = gfx::makeSamplePhoto({.index = 5, .width = 40, .height = 30});
    photo.writePng("/p.png");
    photo.writeJpeg("/p.jpg");
    EXPECT_FALSE(Image::load("/missing.png"));
    fnd::writeFileAtomically("/empty.png", "");
    EXPECT_FALSE(Image::load("/empty.png"));
    for (const char* file : {"/p.png", "/p.jpg"}) {
        auto bytes = bytesOf(file);
        // Every truncation of a real file: a short header, a cut-off stream.
        for (std::size_t n = 0; n < bytes.size(); n += std::max<std::size_t>(1, bytes.size() / 200)) {
            std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
            auto image = Image::decode(cut);
            if (image) {
                EXPECT_EQ(image->width(), 40) << file << " cut at " << n;
            }
        }
        // Random damage after the magic bytes.
        std::mt19937 rng(7);
        for (int round = 0; round < 200; ++round) {
            auto damaged = bytes;
            for (int k = 0; k < 8; ++k)
                damaged[4 + rng() % (damaged.size() - 4)] = static_cast<std::uint8_t>(rng());
            auto image = Image::decode(damaged);
            if (image) {
                EXPECT_GT(image->width(), 0);
            }
        }
    }
    std::vector<std::uint8_t> garbage(1000);
    std::mt19937 rng(11);
    for (auto& b : garbage)
        b = static_cast<std::uint8_t>(rng());
    EXPECT_FALSE(Image::decode(garbage));
}
