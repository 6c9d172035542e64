#pragma once
// UIScrollView as a runtime class (a UIView whose bounds origin is the
// content offset).
//
//   -contentSize -setContentSize: -contentOffset -setContentOffset:
//   -setContentOffset:animated: -delegate -setDelegate: -isScrollEnabled
//   -setScrollEnabled: -isDragging -panGestureRecognizer
//
// A finger dragged across it pans the content, as on the device: its own
// pan recogniser begins once the finger has moved 10 points along an axis
// in which the content is larger than the view (so a horizontal list
// inside a vertical page takes the sideways drags and leaves the others
// to the page); then the delegate hears scrollViewWillBeginDragging:,
// scrollViewDidScroll: with each move (the offset kept inside the
// content), and scrollViewDidEndDragging:willDecelerate: (NO) when the
// finger lifts. The delegate is not retained. A change of the offset asks
// for a layout pass.

#include "sim/runtime/Weak.h"
#include "sim/uikit/UIView.h"

namespace uikit {

class ScrollViewObject : public ViewObject {
public:
    explicit ScrollViewObject(rt::Class* cls);
    CGSize contentSize;
    rt::Weak<rt::Object> delegate;
    bool scrollEnabled = true;
    bool dragging = false;
    CGPoint dragStartOffset;
    rt::Ref<rt::Object> pan;
};

void defineUIScrollView();
ScrollViewObject* scrollViewOf(rt::Id obj);
// The offset moved into [0, content - bounds] on each axis.
CGPoint clampedOffset(const ScrollViewObject* s, CGPoint offset);

} // namespace uikit
