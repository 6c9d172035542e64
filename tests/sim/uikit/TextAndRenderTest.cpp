// Text measured with the font engine, labels that shrink and truncate, and
// the renderer checked by pixel probes on a drawn screen.

#include "sim/graphics/UIImage.h"
#include "sim/uikit/Render.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UILabel.h"

#include <cairo.h>
#include <gtest/gtest.h>

using rt::Ref;
using namespace rt::literals;
using uikit::TextStyle;

namespace {
struct Text : ::testing::Test {
    void SetUp() override { uikit::registerUIKit(); }
    static Ref<rt::Object> color(double r, double g, double b, double a = 1) {
        return rt::sendClass<Ref<rt::Object>>(rt::getClass("UIColor"), "colorWithRed:green:blue:alpha:"_sel, r, g, b,
                                              a);
    }
    static TextStyle system(double size) {
        TextStyle s;
        s.font.pointSize = size;
        return s;
    }
};

int channel(std::uint32_t px, int shift) { return static_cast<int>((px >> shift) & 0xFF); }
} // namespace

TEST_F(Text, MeasurementGrowsWithTheTextAndTruncatesTheTailInsideTheBox) {
    gfx::CGSize box{380, 20};
    auto shortText = uikit::boundingRect("Trips", box, 0, system(12)).size;
    auto longerText = uikit::boundingRect("Trips to the seaside", box, 0, system(12)).size;
    EXPECT_GT(shortText.width, 10);
    EXPECT_GT(longerText.width, shortText.width);
    EXPECT_GT(shortText.height, 12);
    EXPECT_LT(shortText.height, 20);
    std::string huge(200, 'W');
    auto truncated = uikit::boundingRect(huge, box, 0, system(12)).size;
    EXPECT_LE(truncated.width, 380);
    EXPECT_GT(truncated.width, 360) << "the truncated line fills the box";
    EXPECT_DOUBLE_EQ(truncated.height, shortText.height) << "one line";
    auto bigger = uikit::boundingRect("Trips", box, 0, system(24)).size;
    EXPECT_GT(bigger.width, shortText.width * 1.8);
    // Wrapped into lines of the box's width, as many as the height holds.
    TextStyle wrapping = system(12);
    wrapping.numberOfLines = 0;
    wrapping.lineBreak = uikit::LineBreak::WordWrap;
    auto wrapped = uikit::boundingRect("one two three four five six seven eight nine ten", {60, 200},
                                       uikit::NSStringDrawingUsesLineFragmentOrigin, wrapping)
                       .size;
    EXPECT_LE(wrapped.width, 60);
    EXPECT_GT(wrapped.height, 3 * shortText.height);
    EXPECT_EQ(uikit::boundingRect("", box, 0, system(12)).size.width, 0);
}

TEST_F(Text, ALabelShrinksItsTextToFitDownToItsMinimumScale) {
    auto label = uikit::makeView(gfx::CGRectMake(0, 0, 100, 20), rt::getClass("UILabel"));
    rt::send(label, "setFont:"_sel,
             rt::sendClass<Ref<rt::Object>>(rt::getClass("UIFont"), "systemFontOfSize:"_sel, 12.0));
    rt::send(label, "setAdjustsFontSizeToFitWidth:"_sel, true);
    rt::send(label, "setMinimumScaleFactor:"_sel, 0.8333333134651184);
    rt::send(label, "setText:"_sel, std::string("Trips"));
    const uikit::LabelObject* l = uikit::labelOf(label.get());
    EXPECT_DOUBLE_EQ(l->effectivePointSize(), 12) << "a short text keeps its size";
    // A text a little too wide for 12 points fits at a smaller size.
    std::string text = "Holidays 2019";
    while (uikit::boundingRect(text, {0, 0}, 0, system(12)).size.width < 105)
        text += "x";
    rt::send(label, "setText:"_sel, text);
    double size = l->effectivePointSize();
    EXPECT_LT(size, 12);
    EXPECT_GE(size, 10 - 1e-6);
    rt::send(label, "setText:"_sel, std::string(60, 'W'));
    EXPECT_NEAR(l->effectivePointSize(), 10, 1e-6) << "never below 5/6 of 12 points";
    EXPECT_FALSE(rt::send<bool>(label, "isUserInteractionEnabled"_sel)) << "labels take no touches";
    EXPECT_EQ(rt::send<double>(rt::send<Ref<rt::Object>>(label, "font"_sel), "pointSize"_sel), 12);
}

TEST_F(Text, TheRendererDrawsColoursAlphaCornersClippingTextAndImages) {
    auto root = uikit::makeView(gfx::CGRectMake(0, 0, 200, 200));
    rt::send(root, "setBackgroundColor:"_sel, color(1, 1, 1));
    auto box = uikit::makeView(gfx::CGRectMake(20, 20, 100, 100));
    rt::send(box, "setBackgroundColor:"_sel, color(1, 0, 0));
    rt::send(rt::send<Ref<rt::Object>>(box, "layer"_sel), "setCornerRadius:"_sel, 30.0);
    rt::send(box, "setClipsToBounds:"_sel, true);
    rt::send(root, "addSubview:"_sel, box);
    auto spill = uikit::makeView(gfx::CGRectMake(60, 60, 100, 100)); // clipped by the box
    rt::send(spill, "setBackgroundColor:"_sel, color(0, 0, 1));
    rt::send(box, "addSubview:"_sel, spill);
    auto veil = uikit::makeView(gfx::CGRectMake(140, 20, 40, 40));
    rt::send(veil, "setBackgroundColor:"_sel, color(0, 0, 0));
    rt::send(veil, "setAlpha:"_sel, 0.5);
    rt::send(root, "addSubview:"_sel, veil);
    auto hidden = uikit::makeView(gfx::CGRectMake(0, 150, 50, 50));
    rt::send(hidden, "setBackgroundColor:"_sel, color(0, 1, 0));
    rt::send(hidden, "setHidden:"_sel, true);
    rt::send(root, "addSubview:"_sel, hidden);
    auto label = uikit::makeView(gfx::CGRectMake(20, 150, 160, 40), rt::getClass("UILabel"));
    rt::send(label, "setText:"_sel, std::string("MMMMMMMM"));
    rt::send(label, "setFont:"_sel,
             rt::sendClass<Ref<rt::Object>>(rt::getClass("UIFont"), "boldSystemFontOfSize:"_sel, 30.0));
    rt::send(root, "addSubview:"_sel, label);
    auto pic = gfx::Image::blank(10, 10);
    auto picture = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIImageView"), "alloc"_sel);
    {
        // A green picture, drawn into a view at (140, 100).
        auto green = gfx::makeUIImage(*pic);
        auto* img = const_cast<gfx::Image*>(gfx::imageOf(green.get()));
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(img->surface()) +
                                                 y * cairo_image_surface_get_stride(img->surface()))[x] = 0xFF00FF00;
        cairo_surface_mark_dirty(img->surface());
        picture = rt::send<Ref<rt::Object>>(picture, "initWithImage:"_sel, green);
    }
    rt::send(picture, "setFrame:"_sel, gfx::CGRectMake(140, 100, 20, 20));
    rt::send(root, "addSubview:"_sel, picture);

    gfx::Image shot = uikit::renderView(root.get(), 2);
    ASSERT_EQ(shot.width(), 400);
    EXPECT_EQ(shot.pixel(140, 140), 0xFFFF0000u) << "the box's red, inside its rounded corner";
    EXPECT_EQ(shot.pixel(44, 44), 0xFFFFFFFFu) << "the rounded corner leaves the background";
    EXPECT_EQ(shot.pixel(200, 200), 0xFF0000FFu) << "the blue subview inside the box";
    EXPECT_EQ(shot.pixel(260, 260), 0xFFFFFFFFu) << "and clipped where it leaves the box";
    EXPECT_NEAR(channel(shot.pixel(320, 80), 16), 128, 2) << "half-transparent black over white";
    EXPECT_EQ(shot.pixel(20, 320), 0xFFFFFFFFu) << "a hidden view draws nothing";
    EXPECT_EQ(shot.pixel(300, 220), 0xFF00FF00u) << "the image view's picture";
    int dark = 0;
    for (int x = 40; x < 360; ++x)
        if (channel(shot.pixel(x, 340), 16) < 80) ++dark;
    EXPECT_GT(dark, 40) << "the label's black text crosses its middle line";
}

TEST_F(Text, ALabelAsWideAsItsMeasuredTextDrawsAllOfItAtEveryScale) {
    // Measured at 1x, drawn at 2x and 3x: the glyph advances must not grow
    // with the scale, or the last letters give way to an ellipsis.
    for (const std::string text : {"Camera Roll", "Trips to the seaside", "A very long album name"}) {
        double width = uikit::boundingRect(text, {380, 20}, 0, system(12)).size.width;
        auto draw = [&](double labelWidth, double scale) {
            auto root = uikit::makeView(gfx::CGRectMake(0, 0, 400, 20));
            rt::send(root, "setBackgroundColor:"_sel, color(1, 1, 1));
            auto label = uikit::makeView(gfx::CGRectMake(0, 0, labelWidth, 20), rt::getClass("UILabel"));
            rt::send(label, "setFont:"_sel,
                     rt::sendClass<Ref<rt::Object>>(rt::getClass("UIFont"), "systemFontOfSize:"_sel, 12.0));
            rt::send(label, "setText:"_sel, text);
            rt::send(root, "addSubview:"_sel, label);
            return uikit::renderView(root.get(), scale);
        };
        for (double scale : {2.0, 3.0}) {
            gfx::Image exact = draw(width, scale), roomy = draw(width + 60, scale);
            int differing = 0;
            for (int y = 0; y < exact.height(); ++y)
                for (int x = 0; x < static_cast<int>(width * scale); ++x)
                    differing += exact.pixel(x, y) != roomy.pixel(x, y);
            EXPECT_EQ(differing, 0) << text << " at " << scale << "x";
        }
    }
}
