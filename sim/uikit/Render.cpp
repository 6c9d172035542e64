#include "sim/uikit/Render.h"

#include "sim/graphics/UIImage.h"
#include "sim/uikit/UIActivityIndicatorView.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UILabel.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>

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

// The blur of an effect view, approximated by a translucent layer of its tint.
void drawEffect(cairo_t* cr, const EffectViewObject& e, double radius) {
    long style = blurStyleOf(e.effect.get());
    if (style < 0) return;
    Rgba tint = style == 2   ? Rgba{0.11, 0.11, 0.11, 0.73}
                : style == 1 ? Rgba{1, 1, 1, 0.6}
                             : Rgba{0.97, 0.97, 0.97, 0.8};
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
