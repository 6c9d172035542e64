#pragma once
// Gesture recognisers as runtime classes, fed by touch sequences on the main
// run loop's clock.
//
// UIGestureRecognizer: -initWithTarget:action: -addTarget:action: -state
//   -view -delegate -setDelegate: -isEnabled -setEnabled: -locationInView:
//   An action whose name ends in ':' is sent "v@:@" (the recogniser); one
//   without, "v@:" (no argument).
//   A delegate answering gestureRecognizerShouldBegin: with NO stops it.
// UITapGestureRecognizer: -numberOfTapsRequired (1) -setNumberOfTapsRequired:
//   recognised (state 3, ended) when that many touches went down and up
//   without moving more than 10 points, each within 0.35 s of the last.
// UILongPressGestureRecognizer: -minimumPressDuration (0.5 s)
//   -setMinimumPressDuration: -allowableMovement (10): nothing before the
//   duration; then began (1), changed (2) as the finger moves, ended (3)
//   when it lifts; lifted or moved too far before that, it fails.
// UIPanGestureRecognizer: -translationInView: began once the finger has
//   moved more than 10 points, changed with each move, ended when it lifts.
//
// Targets and the delegate are not retained (weak references), as in UIKit.
//
// When one recogniser takes a touch (begins or recognises), the others that
// see it fail: no two recognise the same touch.
//
// States: 0 possible, 1 began, 2 changed, 3 ended (recognised),
// 4 cancelled, 5 failed.

#include "sim/graphics/Geometry.h"
#include "sim/runtime/Runtime.h"
#include "sim/uikit/UIKitConstants.h"

namespace uikit {

void defineGestureRecognizers();

class ViewObject;

// What a view's own recogniser does (a scroll view's pan, a collection
// view's tap): plain functions, reaching the view through the recogniser's
// -view, so that the recogniser holds no reference to the view that owns it.
struct BuiltInAction {
    bool (*shouldBegin)(rt::Id recognizer); // null: always
    void (*changed)(rt::Id recognizer, long state);
};
// A new recogniser of the class ("UIPanGestureRecognizer", ...) with the action.
rt::Ref<rt::Object> makeBuiltInRecognizer(const char* className, const BuiltInAction* action);
// The view a recogniser was added to (null when removed); UIView calls it.
void attachRecognizer(rt::Id recognizer, ViewObject* view);

// Touches on a window (window coordinates): the view under the point
// (hit-testing) and its ancestors' recognisers see the sequence. One finger
// at a time.
void touchDown(rt::Id window, gfx::CGPoint p);
void touchMove(gfx::CGPoint p);
void touchUp(gfx::CGPoint p);

} // namespace uikit
