#include "sim/uikit/UIScrollView.h"

#include "sim/uikit/UIGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace uikit {

using rt::Ref;
using namespace rt::literals;

namespace {

rt::Class* g_scrollView = nullptr;

void tellDelegate(ScrollViewObject* s, rt::Sel sel) {
    Ref<rt::Object> d = s->delegate.load();
    if (d && rt::respondsTo(d.get(), sel)) rt::send(d, sel, Ref<rt::Object>(s));
}

void moveTo(ScrollViewObject* s, CGPoint offset) {
    if (offset == s->boundsOrigin) return;
    s->boundsOrigin = offset;
    rt::send(s, "setNeedsLayout"_sel);
    tellDelegate(s, "scrollViewDidScroll:"_sel);
}

ScrollViewObject* pannedView(rt::Id recognizer) {
    return scrollViewOf(rt::send<Ref<rt::Object>>(recognizer, "view"_sel).get());
}

bool panShouldBegin(rt::Id recognizer) {
    ScrollViewObject* s = pannedView(recognizer);
    if (!s || !s->scrollEnabled) return false;
    CGPoint t = rt::send<CGPoint>(recognizer, "translationInView:"_sel, Ref<rt::Object>(s));
    bool sideways = std::fabs(t.x) > std::fabs(t.y);
    return sideways ? s->contentSize.width > s->frame.size.width : s->contentSize.height > s->frame.size.height;
}

void panChanged(rt::Id recognizer, long state) {
    ScrollViewObject* s = pannedView(recognizer);
    if (!s) return;
    Ref<rt::Object> keep(s);
    if (state == UIGestureRecognizerStateBegan) {
        s->dragging = true;
        s->dragStartOffset = s->boundsOrigin;
        tellDelegate(s, "scrollViewWillBeginDragging:"_sel);
    }
    if (state == UIGestureRecognizerStateBegan || state == UIGestureRecognizerStateChanged) {
        CGPoint t = rt::send<CGPoint>(recognizer, "translationInView:"_sel, Ref<rt::Object>(s));
        moveTo(s, clampedOffset(s, {s->dragStartOffset.x - t.x, s->dragStartOffset.y - t.y}));
    } else if (state == UIGestureRecognizerStateEnded || state == UIGestureRecognizerStateCancelled) {
        s->dragging = false;
        Ref<rt::Object> d = s->delegate.load();
        if (d && rt::respondsTo(d.get(), "scrollViewDidEndDragging:willDecelerate:"_sel))
            rt::send(d, "scrollViewDidEndDragging:willDecelerate:"_sel, keep, false);
    }
}

constexpr BuiltInAction kPan{&panShouldBegin, &panChanged};

CGSize contentSize(ScrollViewObject* self, rt::Sel) { return self->contentSize; }
void setContentSize(ScrollViewObject* self, rt::Sel, CGSize size) {
    self->contentSize = size;
    self->boundsOrigin = clampedOffset(self, self->boundsOrigin);
}
CGPoint contentOffset(ScrollViewObject* self, rt::Sel) { return self->boundsOrigin; }
void setContentOffset(ScrollViewObject* self, rt::Sel, CGPoint offset) { moveTo(self, offset); }
void setContentOffsetAnimated(ScrollViewObject* self, rt::Sel, CGPoint offset, bool) { moveTo(self, offset); }
Ref<rt::Object> delegate(ScrollViewObject* self, rt::Sel) { return self->delegate.load(); }
void setDelegate(ScrollViewObject* self, rt::Sel, Ref<rt::Object> d) { self->delegate = d.get(); }
bool isScrollEnabled(ScrollViewObject* self, rt::Sel) { return self->scrollEnabled; }
void setScrollEnabled(ScrollViewObject* self, rt::Sel, bool e) { self->scrollEnabled = e; }
bool isDragging(ScrollViewObject* self, rt::Sel) { return self->dragging; }
Ref<rt::Object> panGestureRecognizer(ScrollViewObject* self, rt::Sel) { return self->pan; }

} // namespace

ScrollViewObject::ScrollViewObject(rt::Class* cls)
    : ViewObject(cls) {
    clipsToBounds = true;
    pan = makeBuiltInRecognizer("UIPanGestureRecognizer", &kPan);
    attachRecognizer(pan.get(), this);
    gestureRecognizers.push_back(pan);
}

CGPoint clampedOffset(const ScrollViewObject* s, CGPoint o) {
    double maxX = std::max(0.0, s->contentSize.width - s->frame.size.width);
    double maxY = std::max(0.0, s->contentSize.height - s->frame.size.height);
    return {std::clamp(o.x, 0.0, maxX), std::clamp(o.y, 0.0, maxY)};
}

void defineUIScrollView() {
    g_scrollView = rt::defineClass("UIScrollView", rt::getClass("UIView"), rt::factoryOf<ScrollViewObject>);
    rt::Class* c = g_scrollView;
    rt::addMethod<&contentSize>(c, "contentSize"_sel);
    rt::addMethod<&setContentSize>(c, "setContentSize:"_sel);
    rt::addMethod<&contentOffset>(c, "contentOffset"_sel);
    rt::addMethod<&setContentOffset>(c, "setContentOffset:"_sel);
    rt::addMethod<&setContentOffsetAnimated>(c, "setContentOffset:animated:"_sel);
    rt::addMethod<&delegate>(c, "delegate"_sel);
    rt::addMethod<&setDelegate>(c, "setDelegate:"_sel);
    rt::addMethod<&isScrollEnabled>(c, "isScrollEnabled"_sel);
    rt::addMethod<&setScrollEnabled>(c, "setScrollEnabled:"_sel);
    rt::addMethod<&isDragging>(c, "isDragging"_sel);
    rt::addMethod<&panGestureRecognizer>(c, "panGestureRecognizer"_sel);
}

ScrollViewObject* scrollViewOf(rt::Id obj) { return rt::objectAs<ScrollViewObject>(obj, g_scrollView); }

} // namespace uikit
