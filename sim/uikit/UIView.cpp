#include "sim/uikit/UIView.h"

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/UIGestureRecognizer.h"

#include <algorithm>
#include <mutex>

namespace uikit {

using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

namespace {

rt::Class* g_view = nullptr;
rt::Class* g_layer = nullptr;

// ---- the layout pass ----------------------------------------------------------------------
// Retained, so that a marked view lives until the pass has laid it out.
Objects g_needLayout;
bool g_passScheduled = false;

void requestLayout(ViewObject* v) {
    v->needsLayout = true;
    if (!v->queuedForLayout) {
        v->queuedForLayout = true;
        g_needLayout.push_back(Ref<rt::Object>(v));
    }
    if (g_passScheduled) return;
    if (dsp::RunLoop* main = dsp::RunLoop::main()) {
        g_passScheduled = true;
        main->post([] { runLayoutPass(); });
    }
}

// ---- geometry --------------------------------------------------------------------------------
CGRect frame(ViewObject* self, rt::Sel) { return self->frame; }
void setFrame(ViewObject* self, rt::Sel, CGRect f) {
    bool resized = f.size != self->frame.size;
    self->frame = f;
    if (resized) requestLayout(self);
}
CGRect bounds(ViewObject* self, rt::Sel) { return CGRect{self->boundsOrigin, self->frame.size}; }
void setBounds(ViewObject* self, rt::Sel, CGRect b) {
    CGPoint centre{self->frame.midX(), self->frame.midY()};
    self->boundsOrigin = b.origin;
    rt::send(self, "setFrame:"_sel, CGRect{{centre.x - b.size.width / 2, centre.y - b.size.height / 2}, b.size});
}
CGPoint center(ViewObject* self, rt::Sel) { return {self->frame.midX(), self->frame.midY()}; }
void setCenter(ViewObject* self, rt::Sel, CGPoint c) {
    self->frame.origin = {c.x - self->frame.size.width / 2, c.y - self->frame.size.height / 2};
}

Ref<rt::Object> initWithFrame(ViewObject* self, rt::Sel, CGRect f) {
    self->frame = f;
    return Ref<rt::Object>(self);
}

// ---- tags and the tree ---------------------------------------------------------------------------
long tag(ViewObject* self, rt::Sel) { return self->tag; }
unsigned long autoresizingMask(ViewObject* self, rt::Sel) { return self->autoresizingMask; }
void setAutoresizingMask(ViewObject* self, rt::Sel, unsigned long m) { self->autoresizingMask = m; }
void setTag(ViewObject* self, rt::Sel, long t) { self->tag = t; }

Ref<rt::Object> viewWithTag(ViewObject* self, rt::Sel, long t) {
    if (self->tag == t) return Ref<rt::Object>(self);
    for (const auto& sub : self->subviews)
        if (auto found = rt::send<Ref<rt::Object>>(sub, "viewWithTag:"_sel, t)) return found;
    return nullptr;
}

Objects subviews(ViewObject* self, rt::Sel) { return self->subviews; }
Ref<rt::Object> superview(ViewObject* self, rt::Sel) { return Ref<rt::Object>(self->superview); }

void detach(ViewObject* child) {
    ViewObject* parent = child->superview;
    if (!parent) return;
    Ref<rt::Object> keep(child); // the erase below may drop the last reference
    auto& list = parent->subviews;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Ref<rt::Object>& o) { return o.get() == child; }),
               list.end());
    child->superview = nullptr;
    requestLayout(parent);
}

void insertSubview(ViewObject* self, rt::Sel, Ref<rt::Object> view, long index) {
    ViewObject* child = viewOf(view.get());
    if (!child || child == self) return;
    for (ViewObject* a = self; a; a = a->superview)
        if (a == child) rt::fatal("-[UIView addSubview:]: a view cannot be added to its own subtree");
    detach(child);
    auto at = static_cast<std::size_t>(std::clamp<long>(index, 0, static_cast<long>(self->subviews.size())));
    self->subviews.insert(self->subviews.begin() + static_cast<std::ptrdiff_t>(at), view);
    child->superview = self;
    requestLayout(self);
    requestLayout(child);
}
void addSubview(ViewObject* self, rt::Sel, Ref<rt::Object> view) {
    insertSubview(self, nullptr, std::move(view), static_cast<long>(self->subviews.size()));
}
void removeFromSuperview(ViewObject* self, rt::Sel) { detach(self); }
void bringSubviewToFront(ViewObject* self, rt::Sel, Ref<rt::Object> view) {
    auto& list = self->subviews;
    auto it = std::find_if(list.begin(), list.end(), [&](const Ref<rt::Object>& o) { return o.get() == view.get(); });
    if (it == list.end()) return;
    Ref<rt::Object> v = *it;
    list.erase(it);
    list.push_back(v);
}

// ---- appearance --------------------------------------------------------------------------------------
bool isHidden(ViewObject* self, rt::Sel) { return self->hidden; }
void setHidden(ViewObject* self, rt::Sel, bool h) { self->hidden = h; }
double alpha(ViewObject* self, rt::Sel) { return self->alpha; }
void setAlpha(ViewObject* self, rt::Sel, double a) { self->alpha = std::clamp(a, 0.0, 1.0); }
Ref<rt::Object> backgroundColor(ViewObject* self, rt::Sel) { return self->backgroundColor; }
void setBackgroundColor(ViewObject* self, rt::Sel, Ref<rt::Object> c) { self->backgroundColor = std::move(c); }
bool clipsToBounds(ViewObject* self, rt::Sel) { return self->clipsToBounds; }
void setClipsToBounds(ViewObject* self, rt::Sel, bool c) { self->clipsToBounds = c; }
Ref<rt::Object> layer(ViewObject* self, rt::Sel) { return self->layer; }
bool isUserInteractionEnabled(ViewObject* self, rt::Sel) { return self->userInteractionEnabled; }
void setUserInteractionEnabled(ViewObject* self, rt::Sel, bool e) { self->userInteractionEnabled = e; }

Objects gestureRecognizers(ViewObject* self, rt::Sel) { return self->gestureRecognizers; }
void addGestureRecognizer(ViewObject* self, rt::Sel, Ref<rt::Object> g) {
    if (!g || std::find(self->gestureRecognizers.begin(), self->gestureRecognizers.end(), g) !=
                  self->gestureRecognizers.end())
        return;
    attachRecognizer(g.get(), self);
    self->gestureRecognizers.push_back(std::move(g));
}
void removeGestureRecognizer(ViewObject* self, rt::Sel, Ref<rt::Object> g) {
    attachRecognizer(g.get(), nullptr);
    auto& list = self->gestureRecognizers;
    list.erase(std::remove(list.begin(), list.end(), g), list.end());
}

double cornerRadius(LayerObject* self, rt::Sel) { return self->cornerRadius; }
void setCornerRadius(LayerObject* self, rt::Sel, double r) { self->cornerRadius = std::max(0.0, r); }
bool masksToBounds(LayerObject* self, rt::Sel) { return self->masksToBounds; }
void setMasksToBounds(LayerObject* self, rt::Sel, bool m) { self->masksToBounds = m; }
bool isOpaque(LayerObject* self, rt::Sel) { return self->opaque; }
void setOpaque(LayerObject* self, rt::Sel, bool o) { self->opaque = o; }

std::string accessibilityLabel(ViewObject* self, rt::Sel) { return self->accessibilityLabel; }
void setAccessibilityLabel(ViewObject* self, rt::Sel, std::string l) { self->accessibilityLabel = std::move(l); }

// ---- the first responder ---------------------------------------------------------------------------
rt::Weak<rt::Object> g_firstResponder;

bool canBecomeFirstResponder(ViewObject*, rt::Sel) { return false; }
bool becomeFirstResponder(ViewObject* self, rt::Sel) {
    if (!rt::send<bool>(self, "canBecomeFirstResponder"_sel)) return false;
    Ref<rt::Object> current = g_firstResponder.load();
    if (current && current.get() != self && !rt::send<bool>(current, "resignFirstResponder"_sel)) return false;
    g_firstResponder = self;
    return true;
}
bool resignFirstResponder(ViewObject* self, rt::Sel) {
    if (g_firstResponder.load().get() == self) g_firstResponder = nullptr;
    return true;
}
bool isFirstResponder(ViewObject* self, rt::Sel) { return g_firstResponder.load().get() == self; }
bool endEditing(ViewObject* self, rt::Sel, bool) {
    Ref<rt::Object> current = g_firstResponder.load();
    for (ViewObject* v = viewOf(current.get()); v; v = v->superview)
        if (v == self) return rt::send<bool>(current, "resignFirstResponder"_sel);
    return true;
}

// ---- layout ----------------------------------------------------------------------------------------------
void setNeedsLayout(ViewObject* self, rt::Sel) { requestLayout(self); }
void layoutSubviews(ViewObject*, rt::Sel) {} // a plain view places nothing
void layoutIfNeeded(ViewObject* self, rt::Sel) {
    if (self->needsLayout) {
        self->needsLayout = false;
        rt::send(self, "layoutSubviews"_sel);
        // The controller that owns the view hears of each layout of it.
        if (Ref<rt::Object> owner = self->viewController.load();
            owner && rt::respondsTo(owner.get(), "viewDidLayoutSubviews"_sel))
            rt::send(owner, "viewDidLayoutSubviews"_sel);
    }
    for (const auto& sub : Objects(self->subviews))
        rt::send(sub, "layoutIfNeeded"_sel);
}

// ---- touches ------------------------------------------------------------------------------------------------
bool pointInside(ViewObject* self, rt::Sel, CGPoint p, Ref<rt::Object>) {
    return p.x >= self->boundsOrigin.x && p.y >= self->boundsOrigin.y &&
           p.x < self->boundsOrigin.x + self->frame.size.width && p.y < self->boundsOrigin.y + self->frame.size.height;
}

// The frontmost view under the point (in the receiver's bounds) that takes
// touches; a hidden, fully transparent or non-interactive view takes none,
// nor does anything inside it, and the touch goes to the views below.
Ref<rt::Object> hitTest(ViewObject* self, rt::Sel, CGPoint p, Ref<rt::Object> event) {
    if (self->hidden || self->alpha < 0.01 || !self->userInteractionEnabled) return nullptr;
    if (!rt::send<bool>(self, "pointInside:withEvent:"_sel, p, event)) return nullptr;
    for (auto it = self->subviews.rbegin(); it != self->subviews.rend(); ++it) {
        ViewObject* sub = viewOf(it->get());
        // `p` is in the receiver's bounds, where the subviews' frames are.
        CGPoint local{p.x - sub->frame.origin.x + sub->boundsOrigin.x, p.y - sub->frame.origin.y + sub->boundsOrigin.y};
        if (auto hit = rt::send<Ref<rt::Object>>(*it, "hitTest:withEvent:"_sel, local, event)) return hit;
    }
    return Ref<rt::Object>(self);
}

// A point in the receiver's bounds, in window (root) coordinates.
CGPoint toRoot(ViewObject* v, CGPoint p) {
    for (; v; v = v->superview) {
        p.x += v->frame.origin.x - v->boundsOrigin.x;
        p.y += v->frame.origin.y - v->boundsOrigin.y;
    }
    return p;
}
CGPoint convertPoint(ViewObject* self, rt::Sel, CGPoint p, Ref<rt::Object> to) {
    CGPoint root = toRoot(self, p);
    ViewObject* target = viewOf(to.get());
    if (!target) return root;
    CGPoint origin = toRoot(target, {0, 0});
    return {root.x - origin.x, root.y - origin.y};
}

} // namespace

ViewObject::ViewObject(rt::Class* cls)
    : Object(cls)
    , layer(rt::createInstance(g_layer)) {}

ViewObject::~ViewObject() {
    for (auto& sub : subviews)
        if (ViewObject* v = viewOf(sub.get())) v->superview = nullptr;
}

void defineUIView() {
    g_layer = rt::defineClass("CALayer", nullptr, rt::factoryOf<LayerObject>);
    rt::addMethod<&cornerRadius>(g_layer, "cornerRadius"_sel);
    rt::addMethod<&setCornerRadius>(g_layer, "setCornerRadius:"_sel);
    rt::addMethod<&masksToBounds>(g_layer, "masksToBounds"_sel);
    rt::addMethod<&setMasksToBounds>(g_layer, "setMasksToBounds:"_sel);
    rt::addMethod<&isOpaque>(g_layer, "isOpaque"_sel);
    rt::addMethod<&setOpaque>(g_layer, "setOpaque:"_sel);

    g_view = rt::defineClass("UIView", nullptr, rt::factoryOf<ViewObject>);
    rt::Class* v = g_view;
    rt::addMethod<&initWithFrame>(v, "initWithFrame:"_sel);
    rt::addMethod<&frame>(v, "frame"_sel);
    rt::addMethod<&setFrame>(v, "setFrame:"_sel);
    rt::addMethod<&bounds>(v, "bounds"_sel);
    rt::addMethod<&setBounds>(v, "setBounds:"_sel);
    rt::addMethod<&center>(v, "center"_sel);
    rt::addMethod<&setCenter>(v, "setCenter:"_sel);
    rt::addMethod<&tag>(v, "tag"_sel);
    rt::addMethod<&autoresizingMask>(v, "autoresizingMask"_sel);
    rt::addMethod<&setAutoresizingMask>(v, "setAutoresizingMask:"_sel);
    rt::addMethod<&setTag>(v, "setTag:"_sel);
    rt::addMethod<&viewWithTag>(v, "viewWithTag:"_sel);
    rt::addMethod<&subviews>(v, "subviews"_sel);
    rt::addMethod<&superview>(v, "superview"_sel);
    rt::addMethod<&addSubview>(v, "addSubview:"_sel);
    rt::addMethod<&insertSubview>(v, "insertSubview:atIndex:"_sel);
    rt::addMethod<&removeFromSuperview>(v, "removeFromSuperview"_sel);
    rt::addMethod<&bringSubviewToFront>(v, "bringSubviewToFront:"_sel);
    rt::addMethod<&isHidden>(v, "isHidden"_sel);
    rt::addMethod<&setHidden>(v, "setHidden:"_sel);
    rt::addMethod<&alpha>(v, "alpha"_sel);
    rt::addMethod<&setAlpha>(v, "setAlpha:"_sel);
    rt::addMethod<&backgroundColor>(v, "backgroundColor"_sel);
    rt::addMethod<&setBackgroundColor>(v, "setBackgroundColor:"_sel);
    rt::addMethod<&clipsToBounds>(v, "clipsToBounds"_sel);
    rt::addMethod<&setClipsToBounds>(v, "setClipsToBounds:"_sel);
    rt::addMethod<&layer>(v, "layer"_sel);
    rt::addMethod<&isUserInteractionEnabled>(v, "isUserInteractionEnabled"_sel);
    rt::addMethod<&setUserInteractionEnabled>(v, "setUserInteractionEnabled:"_sel);
    rt::addMethod<&gestureRecognizers>(v, "gestureRecognizers"_sel);
    rt::addMethod<&addGestureRecognizer>(v, "addGestureRecognizer:"_sel);
    rt::addMethod<&removeGestureRecognizer>(v, "removeGestureRecognizer:"_sel);
    rt::addMethod<&setNeedsLayout>(v, "setNeedsLayout"_sel);
    rt::addMethod<&layoutIfNeeded>(v, "layoutIfNeeded"_sel);
    rt::addMethod<&layoutSubviews>(v, "layoutSubviews"_sel);
    rt::addMethod<&pointInside>(v, "pointInside:withEvent:"_sel);
    rt::addMethod<&hitTest>(v, "hitTest:withEvent:"_sel);
    rt::addMethod<&convertPoint>(v, "convertPoint:toView:"_sel);
    rt::addMethod<&accessibilityLabel>(v, "accessibilityLabel"_sel);
    rt::addMethod<&setAccessibilityLabel>(v, "setAccessibilityLabel:"_sel);
    rt::addMethod<&canBecomeFirstResponder>(v, "canBecomeFirstResponder"_sel);
    rt::addMethod<&becomeFirstResponder>(v, "becomeFirstResponder"_sel);
    rt::addMethod<&resignFirstResponder>(v, "resignFirstResponder"_sel);
    rt::addMethod<&isFirstResponder>(v, "isFirstResponder"_sel);
    rt::addMethod<&endEditing>(v, "endEditing:"_sel);
}

Ref<rt::Object> firstResponder() { return g_firstResponder.load(); }

ViewObject* viewOf(rt::Id obj) { return rt::objectAs<ViewObject>(obj, g_view); }

LayerObject* layerOf(rt::Id obj) { return rt::objectAs<LayerObject>(obj, g_layer); }

Ref<rt::Object> makeView(CGRect frame, rt::Class* cls) {
    auto v = rt::sendClass<Ref<rt::Object>>(cls ? cls : g_view, "alloc"_sel);
    return rt::send<Ref<rt::Object>>(v, "initWithFrame:"_sel, frame);
}

void runLayoutPass() {
    g_passScheduled = false;
    Objects marked;
    marked.swap(g_needLayout);
    for (const auto& v : marked)
        viewOf(v.get())->queuedForLayout = false;
    for (const auto& v : marked)
        rt::send(v, "layoutIfNeeded"_sel);
}

} // namespace uikit
