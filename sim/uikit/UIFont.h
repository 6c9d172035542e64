#pragma once
// UIFont as a runtime class, and text measured and drawn with a real font
// engine (Pango over cairo, with fontconfig's fonts).
//
//   +systemFontOfSize: +boldSystemFontOfSize: -pointSize -fontWithSize: -isBold
//
// The system font is DejaVu Sans here (the device's San Francisco is not on
// these machines): wider than San Francisco, so texts measure a little
// wider than on a phone.
//
// Strings are not runtime objects in this runtime, so NSString's
// boundingRectWithSize:options:attributes:context: is the function
// boundingRect below.

#include "sim/graphics/Geometry.h"
#include "sim/runtime/Runtime.h"
#include "sim/uikit/UIKitConstants.h"

#include <string>

typedef struct _cairo cairo_t;

namespace uikit {

inline constexpr const char* kSystemFontFamily = "DejaVu Sans";

struct FontSpec {
    double pointSize = 17; // UILabel's default
    bool bold = false;
    bool operator==(const FontSpec&) const = default;
};

class FontObject : public rt::Object {
public:
    using Object::Object;
    FontSpec spec;
};

void defineUIFont();
rt::Ref<rt::Object> makeFont(FontSpec spec);
// The font of a UIFont; the default font for nil.
FontSpec fontOf(rt::Id font);

// NSStringDrawingOptions

enum class LineBreak { WordWrap, TruncateTail };
enum class TextAlignment : long { Left = 0, Center = 1, Right = 2 };

struct TextStyle {
    FontSpec font;
    LineBreak lineBreak = LineBreak::TruncateTail;
    int numberOfLines = 1; // 0: as many as fit
};

// The size the text takes inside a box: on one line (truncated at the tail
// when the style says so) unless NSStringDrawingUsesLineFragmentOrigin, which wraps it into
// lines of the box's width, as many as the box's height holds. In points,
// fractional, as NSString answers (callers round up with ceil).
gfx::CGRect boundingRect(const std::string& text, gfx::CGSize box, long options, const TextStyle& style);

// Draws the text into `rect` of a cairo context (the renderer), vertically
// centred as a label draws it, in the colour already set on the context.
void drawText(cairo_t* cr, const std::string& text, gfx::CGRect rect, const TextStyle& style, TextAlignment alignment);

} // namespace uikit
