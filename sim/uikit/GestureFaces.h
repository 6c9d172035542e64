#pragma once
// The faces (Face.h) of UIKit's gesture recognisers (UIGestureRecognizer.h
// describes how they recognise).

#include "sim/uikit/ViewFaces.h"

namespace uikit {

struct UIGestureRecognizer : NSObject {
    RT_FACE(UIGestureRecognizer, NSObject)
    // The action takes the recogniser when its name ends in ':', and nothing otherwise.
    UIGestureRecognizer initWithTarget_action(const NSObject& target, rt::Sel action) const {
        return msg<rt::Ref<rt::Object>>("initWithTarget:action:"_sel, target, action);
    }
    void addTarget_action(const NSObject& target, rt::Sel action) const {
        msg("addTarget:action:"_sel, target, action);
    }
    UIGestureRecognizerState state() const { return msg<UIGestureRecognizerState>("state"_sel); }
    UIView view() const { return msg<rt::Ref<rt::Object>>("view"_sel); }
    NSObject delegate() const { return msg<rt::Ref<rt::Object>>("delegate"_sel); }
    void setDelegate(const NSObject& delegate) const { msg("setDelegate:"_sel, delegate); }
    bool isEnabled() const { return msg<bool>("isEnabled"_sel); }
    void setEnabled(bool on) const { msg("setEnabled:"_sel, on); }
    CGPoint locationInView(const UIView& view) const { return msg<CGPoint>("locationInView:"_sel, view); }
};

struct UITapGestureRecognizer : UIGestureRecognizer {
    RT_FACE(UITapGestureRecognizer, UIGestureRecognizer)
    NSInteger numberOfTapsRequired() const { return msg<NSInteger>("numberOfTapsRequired"_sel); }
    void setNumberOfTapsRequired(NSInteger taps) const { msg("setNumberOfTapsRequired:"_sel, taps); }
};

struct UILongPressGestureRecognizer : UIGestureRecognizer {
    RT_FACE(UILongPressGestureRecognizer, UIGestureRecognizer)
    double minimumPressDuration() const { return msg<double>("minimumPressDuration"_sel); }
    void setMinimumPressDuration(double seconds) const { msg("setMinimumPressDuration:"_sel, seconds); }
    double allowableMovement() const { return msg<double>("allowableMovement"_sel); }
};

struct UIPanGestureRecognizer : UIGestureRecognizer {
    RT_FACE(UIPanGestureRecognizer, UIGestureRecognizer)
    CGPoint translationInView(const UIView& view) const { return msg<CGPoint>("translationInView:"_sel, view); }
};

inline std::vector<UIGestureRecognizer> UIView::gestureRecognizers() const {
    return msg<std::vector<UIGestureRecognizer>>("gestureRecognizers"_sel);
}
inline void UIView::addGestureRecognizer(const UIGestureRecognizer& recognizer) const {
    msg("addGestureRecognizer:"_sel, recognizer);
}
inline void UIView::removeGestureRecognizer(const UIGestureRecognizer& recognizer) const {
    msg("removeGestureRecognizer:"_sel, recognizer);
}

} // namespace uikit
