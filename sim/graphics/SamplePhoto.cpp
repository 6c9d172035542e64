#include "sim/graphics/SamplePhoto.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>

namespace gfx {

namespace {
struct Rgb {
    double r, g, b;
};

// A colour of full saturation for a hue in [0, 1).
Rgb hue(double h, double value) {
    double r = std::fabs(h * 6 - 3) - 1, g = 2 - std::fabs(h * 6 - 2), b = 2 - std::fabs(h * 6 - 4);
    auto c = [&](double v) { return std::clamp(v, 0.0, 1.0) * value; };
    return {c(r), c(g), c(b)};
}

void centredText(cairo_t* cr, const std::string& text, double size, double cx, double baseline) {
    cairo_set_font_size(cr, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    cairo_move_to(cr, cx - ext.width / 2 - ext.x_bearing, baseline);
    cairo_show_text(cr, text.c_str());
}
} // namespace

Image makeSamplePhoto(const SamplePhotoSpec& spec) {
    auto image = Image::blank(std::clamp(spec.width, 16, 8192), std::clamp(spec.height, 16, 8192));
    int w = image->width(), h = image->height();
    cairo_t* cr = cairo_create(image->surface());
    // Golden-ratio steps keep neighbouring numbers far apart in hue.
    double h1 = std::fmod(spec.index * 0.618033988749895, 1.0);
    double h2 = std::fmod(h1 + 0.25, 1.0);
    Rgb top = hue(h1, 0.9), bottom = hue(h2, 0.45);
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(sky, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(sky, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);
    // A sun whose place also depends on the number.
    cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    cairo_arc(cr, w * (0.2 + 0.6 * std::fmod(spec.index * 0.37, 1.0)), h * 0.3, std::min(w, h) * 0.12, 0, 2 * M_PI);
    cairo_fill(cr);

    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_source_rgb(cr, 1, 1, 1);
    double unit = std::min(w, h);
    centredText(cr, "#" + std::to_string(spec.index), unit * 0.32, w / 2.0, h * 0.58);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    if (!spec.label.empty()) centredText(cr, spec.label, unit * 0.09, w / 2.0, h * 0.74);
    if (!spec.dateText.empty()) centredText(cr, spec.dateText, unit * 0.06, w / 2.0, h * 0.92);
    cairo_destroy(cr);
    cairo_surface_flush(image->surface());
    return *image;
}

} // namespace gfx
