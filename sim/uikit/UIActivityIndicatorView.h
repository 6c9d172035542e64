#pragma once
// UIActivityIndicatorView (the spinner) and UIVisualEffectView with
// UIBlurEffect, as runtime classes.
//
// UIActivityIndicatorView: -initWithActivityIndicatorStyle: (0 large white,
//   37 points; 1 white and 2 grey, 20 points) -activityIndicatorViewStyle
//   -startAnimating -stopAnimating -isAnimating -hidesWhenStopped
//   -setHidesWhenStopped: (YES by default: stopped, it hides)
// UIBlurEffect: +effectWithStyle: -style (0 extra light, 1 light, 2 dark)
// UIVisualEffectView: -initWithEffect: -effect -contentView; drawn as a
//   blur of what lies under it (box passes over the rendered pixels) under
//   a translucent layer of the style's tint.

#include "sim/uikit/UIView.h"

namespace uikit {

class SpinnerObject : public ViewObject {
public:
    explicit SpinnerObject(rt::Class* cls)
        : ViewObject(cls) {
        hidden = true;
    }
    long style = 1;
    bool animating = false;
    bool hidesWhenStopped = true;
};

class EffectViewObject : public ViewObject {
public:
    using ViewObject::ViewObject;
    rt::Ref<rt::Object> effect;
    rt::Ref<rt::Object> contentView;
};

void defineUIActivityIndicatorView();
void defineUIVisualEffectView();
SpinnerObject* spinnerOf(rt::Id obj);
EffectViewObject* effectViewOf(rt::Id obj);
// The blur style of a UIBlurEffect; -1 for nil or another object.
long blurStyleOf(rt::Id effect);

} // namespace uikit
