#pragma once
// UIView and its CALayer as runtime classes, so that a hook on any view
// method (layoutSubviews above all) reaches every view of the process.
//
// UIView:
//   -initWithFrame: -frame -setFrame: -bounds -setBounds: -center -setCenter:
//   -tag -setTag: -viewWithTag: (self first, then the subviews depth-first,
//   in the order they were added) -subviews -superview -addSubview:
//   -insertSubview:atIndex: -removeFromSuperview -bringSubviewToFront:
//   -isHidden -setHidden: -alpha -setAlpha: -backgroundColor -setBackgroundColor:
//   -clipsToBounds -setClipsToBounds: -layer -isUserInteractionEnabled
//   -setUserInteractionEnabled: -gestureRecognizers -addGestureRecognizer:
//   -removeGestureRecognizer: -setNeedsLayout -layoutIfNeeded -layoutSubviews
//   -hitTest:withEvent: -pointInside:withEvent: -convertPoint:toView:
//   -accessibilityLabel -setAccessibilityLabel:
//   -canBecomeFirstResponder (NO; a text field says YES) -becomeFirstResponder
//   -resignFirstResponder -isFirstResponder -endEditing: (the first
//   responder inside the view, itself included, resigns)
//   -_viewControllerForAncestor (UIViewController.cpp): the controller that
//   owns this view or the nearest ancestor a controller owns
//   +animateWithDuration:delay:options:animations:completion: (Animation.cpp)
// CALayer: -cornerRadius -setCornerRadius: -masksToBounds -setMasksToBounds:
//   -isOpaque -setOpaque:
//
// Layout passes run on the main run loop: setNeedsLayout marks the view and
// asks for one pass on the loop's next turn; the pass sends layoutIfNeeded to
// each marked view, which sends layoutSubviews to the views of its subtree
// that need it, parents before children. Adding a subview, and a change of a
// view's size, mark the view. Views belong to the main thread.

#include "sim/graphics/Geometry.h"
#include "sim/runtime/Runtime.h"
#include "sim/runtime/Weak.h"

#include <string>
#include <vector>

namespace uikit {

using gfx::CGPoint;
using gfx::CGRect;
using gfx::CGSize;

class LayerObject : public rt::Object {
public:
    using Object::Object;
    double cornerRadius = 0;
    bool masksToBounds = false;
    bool opaque = false;
};

class ViewObject : public rt::Object {
public:
    explicit ViewObject(rt::Class* cls);
    ~ViewObject() override;

    CGRect frame;
    CGPoint boundsOrigin; // a scroll view's content offset; zero otherwise
    long tag = 0;
    unsigned long autoresizingMask = 0; // kept; the device's layout does not resize by it
    bool hidden = false;
    double alpha = 1;
    bool clipsToBounds = false;
    bool userInteractionEnabled = true;
    bool needsLayout = true;
    bool queuedForLayout = false; // in the next layout pass's list already
    rt::Ref<rt::Object> backgroundColor;
    rt::Ref<rt::Object> layer;
    std::vector<rt::Ref<rt::Object>> subviews; // back to front
    ViewObject* superview = nullptr;           // not retained: the superview owns its subviews
    std::vector<rt::Ref<rt::Object>> gestureRecognizers;
    std::string accessibilityLabel;
    rt::Weak<rt::Object> viewController; // the controller whose view this is
};

void defineUIView();
void defineAnimations(); // UIView's animation class methods (Animation.cpp)

// The C++ side of a view; null for nil or another kind of object.
ViewObject* viewOf(rt::Id obj);
LayerObject* layerOf(rt::Id obj);
// A new view of the class (UIView when null) with the frame.
rt::Ref<rt::Object> makeView(CGRect frame, rt::Class* cls = nullptr);
// Runs the layout pass now (what the run loop's next turn would do).
void runLayoutPass();
// The view that takes typing (a text field being edited), or nil.
rt::Ref<rt::Object> firstResponder();

} // namespace uikit
