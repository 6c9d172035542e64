#include "sim/uikit/UIFont.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <pango/pangocairo.h>

namespace uikit {

using rt::Ref;
using namespace rt::literals;

namespace {

rt::Class* g_class = nullptr;

Ref<rt::Object> systemFont(rt::Id, rt::Sel, double size) { return makeFont({size, false}); }
Ref<rt::Object> boldSystemFont(rt::Id, rt::Sel, double size) { return makeFont({size, true}); }
double pointSize(FontObject* self, rt::Sel) { return self->spec.pointSize; }
bool isBold(FontObject* self, rt::Sel) { return self->spec.bold; }
Ref<rt::Object> fontWithSize(FontObject* self, rt::Sel, double size) { return makeFont({size, self->spec.bold}); }

// A layout for a cairo context with metric hinting off: glyph advances are
// then the same at every scale, so a text measured at 1x fits the same box
// when the renderer draws it at 2x or 3x (hinted metrics round each advance
// to whole device pixels, and the drawn text came out wider than measured).
PangoLayout* makeLayout(cairo_t* cr) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);
    return layout;
}

// One Pango layout per thread over a small cairo surface: measuring needs a
// context, not pixels.
PangoLayout* measuringLayout() {
    thread_local struct Holder {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
        cairo_t* cr = cairo_create(surface);
        PangoLayout* layout = makeLayout(cr);
        ~Holder() {
            g_object_unref(layout);
            cairo_destroy(cr);
            cairo_surface_destroy(surface);
        }
    } holder;
    return holder.layout;
}

// Sets up a layout for the text, the style and a box (points; a side of 0
// or less is unbounded).
void configure(PangoLayout* layout, const std::string& text, gfx::CGSize box, bool wrap, const TextStyle& style) {
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, kSystemFontFamily);
    pango_font_description_set_weight(font, style.font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(font, std::max(1.0, style.font.pointSize) * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT);
    bool truncate = style.lineBreak == LineBreak::TruncateTail;
    pango_layout_set_width(layout, box.width > 0 ? static_cast<int>(box.width * PANGO_SCALE) : -1);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_ellipsize(layout, truncate && box.width > 0 ? PANGO_ELLIPSIZE_END : PANGO_ELLIPSIZE_NONE);
    if (!wrap || style.numberOfLines == 1) {
        pango_layout_set_height(layout, -1); // one line per paragraph
        if (!truncate) pango_layout_set_width(layout, -1);
    } else if (style.numberOfLines > 1) {
        pango_layout_set_height(layout, -style.numberOfLines);
    } else {
        pango_layout_set_height(layout, box.height > 0 ? static_cast<int>(box.height * PANGO_SCALE) : -1);
    }
}

gfx::CGSize layoutSize(PangoLayout* layout) {
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return {static_cast<double>(logical.width) / PANGO_SCALE, static_cast<double>(logical.height) / PANGO_SCALE};
}

} // namespace

void defineUIFont() {
    g_class = rt::defineClass("UIFont", nullptr, rt::factoryOf<FontObject>);
    rt::Class* meta = rt::objectGetClass(g_class);
    rt::addMethod<&systemFont>(meta, "systemFontOfSize:"_sel);
    rt::addMethod<&boldSystemFont>(meta, "boldSystemFontOfSize:"_sel);
    rt::addMethod<&pointSize>(g_class, "pointSize"_sel);
    rt::addMethod<&isBold>(g_class, "isBold"_sel);
    rt::addMethod<&fontWithSize>(g_class, "fontWithSize:"_sel);
}

Ref<rt::Object> makeFont(FontSpec spec) {
    auto f = rt::createInstance<FontObject>(g_class);
    f->spec = spec;
    return f;
}

FontSpec fontOf(rt::Id font) {
    auto* f = rt::objectAs<FontObject>(font, g_class);
    return f ? f->spec : FontSpec{};
}

gfx::CGRect boundingRect(const std::string& text, gfx::CGSize box, long options, const TextStyle& style) {
    PangoLayout* layout = measuringLayout();
    configure(layout, text, box, (options & NSStringDrawingUsesLineFragmentOrigin) != 0, style);
    gfx::CGSize size = layoutSize(layout);
    if (text.empty()) size.width = 0;
    if (box.width > 0) size.width = std::min(size.width, box.width);
    return {{0, 0}, size};
}

void drawText(cairo_t* cr, const std::string& text, gfx::CGRect rect, const TextStyle& style, TextAlignment alignment) {
    PangoLayout* layout = makeLayout(cr);
    configure(layout, text, rect.size, style.numberOfLines != 1, style);
    pango_layout_set_alignment(layout, alignment == TextAlignment::Center  ? PANGO_ALIGN_CENTER
                                       : alignment == TextAlignment::Right ? PANGO_ALIGN_RIGHT
                                                                           : PANGO_ALIGN_LEFT);
    pango_layout_set_width(layout, static_cast<int>(rect.size.width * PANGO_SCALE));
    gfx::CGSize size = layoutSize(layout);
    cairo_save(cr);
    cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_clip(cr);
    cairo_move_to(cr, rect.origin.x, rect.origin.y + (rect.size.height - size.height) / 2);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    g_object_unref(layout);
}

} // namespace uikit
