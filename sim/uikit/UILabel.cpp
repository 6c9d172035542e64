#include "sim/uikit/UILabel.h"

#include "sim/graphics/UIImage.h"
#include "sim/uikit/UIColor.h"

#include <algorithm>

namespace uikit {

using rt::Ref;
using namespace rt::literals;

namespace {

rt::Class* g_label = nullptr;
rt::Class* g_imageView = nullptr;

// A label property: its getter, and a setter that asks for a layout pass.
#define LABEL_GETTER(Type, field, getter)                                                                              \
    Type getter(LabelObject* self, rt::Sel) { return self->field; }
#define LABEL_SETTER(Type, field, setter)                                                                              \
    void setter(LabelObject* self, rt::Sel, Type v) {                                                                  \
        self->field = std::move(v);                                                                                    \
        rt::send(self, "setNeedsLayout"_sel);                                                                          \
    }
#define LABEL_PROPERTY(Type, field, getter, setter) LABEL_GETTER(Type, field, getter) LABEL_SETTER(Type, field, setter)

LABEL_PROPERTY(std::string, text, text, setText)
LABEL_SETTER(Ref<rt::Object>, font, setFont)
LABEL_SETTER(Ref<rt::Object>, textColor, setTextColor)
LABEL_PROPERTY(long, alignment, textAlignment, setTextAlignment)
LABEL_PROPERTY(long, numberOfLines, numberOfLines, setNumberOfLines)
LABEL_PROPERTY(long, lineBreakMode, lineBreakMode, setLineBreakMode)
LABEL_PROPERTY(long, baselineAdjustment, baselineAdjustment, setBaselineAdjustment)
LABEL_PROPERTY(bool, adjustsFontSizeToFitWidth, adjustsFontSizeToFitWidth, setAdjustsFontSizeToFitWidth)
LABEL_PROPERTY(double, minimumScaleFactor, minimumScaleFactor, setMinimumScaleFactor)
#undef LABEL_PROPERTY
#undef LABEL_SETTER
#undef LABEL_GETTER

Ref<rt::Object> labelFont(LabelObject* self, rt::Sel) { return self->font ? self->font : makeFont({}); }
Ref<rt::Object> labelTextColor(LabelObject* self, rt::Sel) {
    return self->textColor ? self->textColor : makeColor({0, 0, 0, 1});
}

CGSize sizeThatFits(LabelObject* self, rt::Sel, CGSize box) {
    long options = self->numberOfLines == 1 ? 0 : NSStringDrawingUsesLineFragmentOrigin;
    return boundingRect(self->text, box, options, self->style()).size;
}

void sizeToFit(LabelObject* self, rt::Sel) {
    CGSize s = sizeThatFits(self, nullptr, {0, 0});
    rt::send(self, "setFrame:"_sel, CGRect{self->frame.origin, s});
}

Ref<rt::Object> initWithImage(ImageViewObject* self, rt::Sel, Ref<rt::Object> image) {
    self->image = image;
    self->frame = {{0, 0}, image ? rt::send<CGSize>(image, "size"_sel) : CGSize{}};
    return Ref<rt::Object>(self);
}
Ref<rt::Object> image(ImageViewObject* self, rt::Sel) { return self->image; }
void setImage(ImageViewObject* self, rt::Sel, Ref<rt::Object> i) { self->image = std::move(i); }
long contentMode(ImageViewObject* self, rt::Sel) { return self->contentMode; }
void setContentMode(ImageViewObject* self, rt::Sel, long m) { self->contentMode = m; }

} // namespace

TextStyle LabelObject::style() const {
    TextStyle s;
    s.font = fontOf(font.get());
    s.lineBreak = lineBreakMode == NSLineBreakByWordWrapping ? LineBreak::WordWrap : LineBreak::TruncateTail;
    s.numberOfLines = static_cast<int>(numberOfLines);
    return s;
}

double LabelObject::effectivePointSize() const {
    TextStyle s = style();
    double full = s.font.pointSize;
    if (!adjustsFontSizeToFitWidth || numberOfLines != 1 || frame.size.width <= 0) return full;
    double smallest = full * std::clamp(minimumScaleFactor, 0.0, 1.0);
    s.lineBreak = LineBreak::WordWrap; // measure the whole text, untruncated
    for (double size = full; size >= smallest - 1e-9; size -= 0.25) {
        s.font.pointSize = size;
        if (boundingRect(text, {0, 0}, 0, s).size.width <= frame.size.width) return size;
    }
    return smallest;
}

void defineUILabel() {
    g_label = rt::defineClass("UILabel", rt::getClass("UIView"), rt::factoryOf<LabelObject>);
    rt::Class* c = g_label;
    rt::addMethod<&text>(c, "text"_sel);
    rt::addMethod<&setText>(c, "setText:"_sel);
    rt::addMethod<&labelFont>(c, "font"_sel);
    rt::addMethod<&setFont>(c, "setFont:"_sel);
    rt::addMethod<&labelTextColor>(c, "textColor"_sel);
    rt::addMethod<&setTextColor>(c, "setTextColor:"_sel);
    rt::addMethod<&textAlignment>(c, "textAlignment"_sel);
    rt::addMethod<&setTextAlignment>(c, "setTextAlignment:"_sel);
    rt::addMethod<&numberOfLines>(c, "numberOfLines"_sel);
    rt::addMethod<&setNumberOfLines>(c, "setNumberOfLines:"_sel);
    rt::addMethod<&lineBreakMode>(c, "lineBreakMode"_sel);
    rt::addMethod<&setLineBreakMode>(c, "setLineBreakMode:"_sel);
    rt::addMethod<&baselineAdjustment>(c, "baselineAdjustment"_sel);
    rt::addMethod<&setBaselineAdjustment>(c, "setBaselineAdjustment:"_sel);
    rt::addMethod<&adjustsFontSizeToFitWidth>(c, "adjustsFontSizeToFitWidth"_sel);
    rt::addMethod<&setAdjustsFontSizeToFitWidth>(c, "setAdjustsFontSizeToFitWidth:"_sel);
    rt::addMethod<&minimumScaleFactor>(c, "minimumScaleFactor"_sel);
    rt::addMethod<&setMinimumScaleFactor>(c, "setMinimumScaleFactor:"_sel);
    rt::addMethod<&sizeThatFits>(c, "sizeThatFits:"_sel);
    rt::addMethod<&sizeToFit>(c, "sizeToFit"_sel);
}

void defineUIImageView() {
    g_imageView = rt::defineClass("UIImageView", rt::getClass("UIView"), rt::factoryOf<ImageViewObject>);
    rt::Class* c = g_imageView;
    rt::addMethod<&initWithImage>(c, "initWithImage:"_sel);
    rt::addMethod<&image>(c, "image"_sel);
    rt::addMethod<&setImage>(c, "setImage:"_sel);
    rt::addMethod<&contentMode>(c, "contentMode"_sel);
    rt::addMethod<&setContentMode>(c, "setContentMode:"_sel);
}

LabelObject* labelOf(rt::Id obj) { return rt::objectAs<LabelObject>(obj, g_label); }

ImageViewObject* imageViewOf(rt::Id obj) { return rt::objectAs<ImageViewObject>(obj, g_imageView); }

} // namespace uikit
