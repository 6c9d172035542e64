#include "sim/uikit/Render.h"

#include "sim/graphics/UIImage.h"
#include "sim/uikit/UIActivityIndicatorView.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UILabel.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <vector>

namespace uikit {

namespace {

void roundedRect(cairo_t* cr, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    if (r <= 0) {
        cairo_rectangle(cr, 0, 0, w, h);
        return;
    }
    cairo_new_sub_path(cr);
    cairo_arc(cr, w - r, r, r, -M_PI / 2, 0);
    cairo_arc(cr, w - r, h - r, r, 0, M_PI / 2);
    cairo_arc(cr, r, h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, r, r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void setColor(cairo_t* cr, const Rgba& c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void drawImage(cairo_t* cr, const ImageViewObject& iv) {
    const gfx::Image* image = gfx::imageOf(iv.image.get());
    if (!image || image->width() <= 0 || image->height() <= 0) return;
    double w = iv.frame.size.width, h = iv.frame.size.height;
    double sx = w / image->width(), sy = h / image->height();
    if (iv.contentMode == UIViewContentModeScaleAspectFit)
        sx = sy = std::min(sx, sy);
    else if (iv.contentMode == UIViewContentModeScaleAspectFill)
        sx = sy = std::max(sx, sy);
    cairo_save(cr);
    cairo_translate(cr, (w - image->width() * sx) / 2, (h - image->height() * sy) / 2);
    cairo_scale(cr, sx, sy);
    cairo_set_source_surface(cr, image->surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
}

void drawLabel(cairo_t* cr, const LabelObject& label) {
    if (label.text.empty()) return;
    TextStyle style = label.style();
    style.font.pointSize = label.effectivePointSize();
    setColor(cr, label.textColor ? rgbaOf(label.textColor.get()) : Rgba{0, 0, 0, 1});
    drawText(cr, label.text, {{0, 0}, label.frame.size}, style, static_cast<TextAlignment>(label.alignment));
}

// One pass of a box blur along rows (or columns) of a premultiplied ARGB
// region: each pixel becomes the mean of the 2r+1 around it, edges clamped.
void boxPass(unsigned char* data, int stride, int x0, int y0, int w, int h, int r, bool rows) {
    int lines = rows ? h : w, length = rows ? w : h;
    std::vector<unsigned char> line(static_cast<std::size_t>(length) * 4);
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int i) {
            int x = rows ? x0 + i : x0 + l, y = rows ? y0 + l : y0 + i;
            return data + static_cast<std::ptrdiff_t>(y) * stride + static_cast<std::ptrdiff_t>(x) * 4;
        };
        for (int i = 0; i < length; ++i)
            std::copy_n(at(i), 4, &line[static_cast<std::size_t>(i) * 4]);
        for (int c = 0; c < 4; ++c) {
            int sum = 0;
            for (int k = -r; k <= r; ++k)
                sum += line[static_cast<std::size_t>(std::clamp(k, 0, length - 1)) * 4 + c];
            for (int i = 0; i < length; ++i) {
                at(i)[c] = static_cast<unsigned char>(sum / (2 * r + 1));
                int out = std::clamp(i - r, 0, length - 1), in = std::clamp(i + r + 1, 0, length - 1);
                sum += line[static_cast<std::size_t>(in) * 4 + c] - line[static_cast<std::size_t>(out) * 4 + c];
            }
        }
    }
}

// Blurs what is drawn under the effect view (three box passes each way, as
// a Gaussian of about `radius` points), where the view is drawn straight
// into the image (not into a group of a translucent ancestor, whose
// surface holds only the group): false when it cannot.
bool blurUnder(cairo_t* cr, double w, double h, double radius) {
    cairo_surface_t* target = cairo_get_group_target(cr);
    if (target != cairo_get_target(cr) || cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) return false;
    double x0 = 0, y0 = 0, x1 = w, y1 = h, cx0, cy0, cx1, cy1;
    cairo_clip_extents(cr, &cx0, &cy0, &cx1, &cy1);
    x0 = std::max(x0, cx0), y0 = std::max(y0, cy0), x1 = std::min(x1, cx1), y1 = std::min(y1, cy1);
    cairo_user_to_device(cr, &x0, &y0);
    cairo_user_to_device(cr, &x1, &y1);
    double unit = 1, zero = 0;
    cairo_user_to_device_distance(cr, &unit, &zero);
    cairo_surface_flush(target);
    int sw = cairo_image_surface_get_width(target), sh = cairo_image_surface_get_height(target);
    int left = std::clamp(static_cast<int>(std::floor(std::min(x0, x1))), 0, sw);
    int top = std::clamp(static_cast<int>(std::floor(std::min(y0, y1))), 0, sh);
    int right = std::clamp(static_cast<int>(std::ceil(std::max(x0, x1))), 0, sw);
    int bottom = std::clamp(static_cast<int>(std::ceil(std::max(y0, y1))), 0, sh);
    if (right - left < 2 || bottom - top < 2) return true;
    int r = std::max(1, static_cast<int>(radius * std::abs(unit) / 3));
    unsigned char* data = cairo_image_surface_get_data(target);
    int stride = cairo_image_surface_get_stride(target);
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(data, stride, left, top, right - left, bottom - top, r, true);
        boxPass(data, stride, left, top, right - left, bottom - top, r, false);
    }
    cairo_surface_mark_dirty_rectangle(target, left, top, right - left, bottom - top);
    return true;
}

// The blur of an effect view: what lies under it blurred, then the style's
// tint over it (a stronger tint alone where it cannot blur).
void drawEffect(cairo_t* cr, const EffectViewObject& e, double radius) {
    long style = blurStyleOf(e.effect.get());
    if (style < 0) return;
    bool blurred = blurUnder(cr, e.frame.size.width, e.frame.size.height, 20);
    Rgba tint = style == 2   ? Rgba{0.11, 0.11, 0.11, blurred ? 0.7 : 0.73}
                : style == 1 ? Rgba{1, 1, 1, blurred ? 0.3 : 0.6}
                             : Rgba{0.97, 0.97, 0.97, blurred ? 0.5 : 0.8};
    roundedRect(cr, e.frame.size.width, e.frame.size.height, radius);
    setColor(cr, tint);
    cairo_fill(cr);
}

// Twelve spokes around the centre, fading, as the spinner's one frame.
void drawSpinner(cairo_t* cr, const SpinnerObject& s) {
    double w = s.frame.size.width, h = s.frame.size.height;
    double outer = std::min(w, h) / 2, inner = outer * 0.45;
    double shade = s.style == 2 ? 0.4 : 1;
    cairo_save(cr);
    cairo_translate(cr, w / 2, h / 2);
    cairo_set_line_width(cr, std::max(1.5, outer * 0.22));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < 12; ++i) {
        double a = i * M_PI / 6;
        cairo_set_source_rgba(cr, shade, shade, shade, 0.25 + 0.75 * i / 11.0);
        cairo_move_to(cr, inner * std::cos(a), inner * std::sin(a));
        cairo_line_to(cr, outer * std::cos(a), outer * std::sin(a));
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

// A text field: its text (bullets when secure) or its grey placeholder.
void drawTextField(cairo_t* cr, const TextFieldObject& f) {
    std::string shown = f.text;
    if (f.secure) {
        shown.clear();
        for (std::size_t i = 0; i < f.text.size(); ++i)
            if ((static_cast<unsigned char>(f.text[i]) & 0xC0) != 0x80) shown += "\u2022";
    }
    TextStyle style;
    style.font = f.font ? fontOf(f.font.get()) : FontSpec{17, false};
    if (style.font.pointSize <= 0) return; // a font of size 0 shows nothing
    Rgba ink = f.textColor ? rgbaOf(f.textColor.get()) : Rgba{0, 0, 0, 1};
    setColor(cr, shown.empty() ? Rgba{0.7, 0.7, 0.7, 1} : ink);
    double inset = f.borderStyle ? 6 : 0;
    drawText(cr, shown.empty() ? f.placeholder : shown,
             {{inset, 0}, {f.frame.size.width - 2 * inset, f.frame.size.height}}, style, TextAlignment::Left);
}

void drawView(cairo_t* cr, const ViewObject& v) {
    if (v.hidden || v.alpha <= 0) return;
    double w = v.frame.size.width, h = v.frame.size.height;
    const LayerObject* layer = layerOf(v.layer.get());
    double radius = layer ? layer->cornerRadius : 0;
    cairo_save(cr);
    cairo_translate(cr, v.frame.origin.x, v.frame.origin.y);
    bool group = v.alpha < 1;
    if (group) cairo_push_group(cr);
    if (v.backgroundColor) {
        roundedRect(cr, w, h, radius);
        setColor(cr, rgbaOf(v.backgroundColor.get()));
        cairo_fill(cr);
    }
    if (v.clipsToBounds || (layer && layer->masksToBounds)) {
        roundedRect(cr, w, h, radius);
        cairo_clip(cr);
    }
    auto* self = const_cast<ViewObject*>(&v);
    if (const EffectViewObject* e = effectViewOf(self)) drawEffect(cr, *e, radius);
    if (const SpinnerObject* s = spinnerOf(self)) drawSpinner(cr, *s);
    if (const LabelObject* label = labelOf(const_cast<ViewObject*>(&v))) drawLabel(cr, *label);
    if (const TextFieldObject* f = textFieldOf(self)) drawTextField(cr, *f);
    if (const ImageViewObject* iv = imageViewOf(const_cast<ViewObject*>(&v))) drawImage(cr, *iv);
    cairo_translate(cr, -v.boundsOrigin.x, -v.boundsOrigin.y);
    for (const auto& sub : v.subviews)
        if (const ViewObject* s = viewOf(sub.get())) drawView(cr, *s);
    if (group) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, v.alpha);
    }
    cairo_restore(cr);
}

} // namespace

gfx::Image renderView(rt::Id view, double scale) {
    const ViewObject* v = viewOf(view);
    int w = v ? static_cast<int>(std::ceil(v->frame.size.width * scale)) : 1;
    int h = v ? static_cast<int>(std::ceil(v->frame.size.height * scale)) : 1;
    auto image = gfx::Image::blank(std::max(1, w), std::max(1, h));
    if (!image) image = gfx::Image::blank(1, 1);
    if (!v) return *image;
    cairo_t* cr = cairo_create(image->surface());
    cairo_scale(cr, scale, scale);
    cairo_translate(cr, -v->frame.origin.x, -v->frame.origin.y); // the view at the image's origin
    drawView(cr, *v);
    cairo_destroy(cr);
    cairo_surface_flush(image->surface());
    return *image;
}

} // namespace uikit
