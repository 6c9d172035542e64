#pragma once
// UILabel and UIImageView as runtime classes (subclasses of UIView).
//
// UILabel: -text -setText: -font -setFont: -textColor -setTextColor:
//   -textAlignment -setTextAlignment: -numberOfLines -setNumberOfLines:
//   -lineBreakMode -setLineBreakMode: -baselineAdjustment -setBaselineAdjustment:
//   -adjustsFontSizeToFitWidth -setAdjustsFontSizeToFitWidth:
//   -minimumScaleFactor -setMinimumScaleFactor: -sizeThatFits: -sizeToFit
// UIImageView: -initWithImage: -image -setImage: -contentMode -setContentMode:
//
// Both take no touches by default, as on the device.

#include "sim/uikit/UIFont.h"
#include "sim/uikit/UIKitConstants.h"
#include "sim/uikit/UIView.h"

#include <string>

namespace uikit {

class LabelObject : public ViewObject {
public:
    explicit LabelObject(rt::Class* cls)
        : ViewObject(cls) {
        userInteractionEnabled = false;
    }
    std::string text;
    rt::Ref<rt::Object> font;      // nil: the system font of 17 points
    rt::Ref<rt::Object> textColor; // nil: black
    long alignment = 0;
    long numberOfLines = 1;
    long lineBreakMode = NSLineBreakByTruncatingTail;
    long baselineAdjustment = 0;
    bool adjustsFontSizeToFitWidth = false;
    double minimumScaleFactor = 0;

    TextStyle style() const;
    // The font size the label draws with: smaller than its font's when it
    // shrinks a one-line text to fit its width, down to its minimum scale.
    double effectivePointSize() const;
};

class ImageViewObject : public ViewObject {
public:
    explicit ImageViewObject(rt::Class* cls)
        : ViewObject(cls) {
        userInteractionEnabled = false;
    }
    rt::Ref<rt::Object> image;
    long contentMode = UIViewContentModeScaleToFill;
};

void defineUILabel();
void defineUIImageView();
LabelObject* labelOf(rt::Id obj);
ImageViewObject* imageViewOf(rt::Id obj);

} // namespace uikit
