#include "sim/uikit/UIGestureRecognizer.h"

#include "sim/dispatch/RunLoop.h"
#include "sim/runtime/Weak.h"
#include "sim/uikit/UIView.h"

#include <algorithm>
#include <cmath>

namespace uikit {

using rt::Ref;
using namespace rt::literals;

namespace {

rt::Class* g_recognizer = nullptr;
rt::Class* g_tap = nullptr;
rt::Class* g_longPress = nullptr;
rt::Class* g_pan = nullptr;

class RecognizerObject : public rt::Object {
public:
    using Object::Object;
    std::vector<std::pair<rt::Weak<rt::Object>, rt::Sel>> targets; // not retained, as in UIKit
    const BuiltInAction* builtIn = nullptr;                        // a view's own recogniser (a scroll view's pan)
    long state = UIGestureRecognizerStatePossible;
    ViewObject* view = nullptr; // not retained: the view owns its recognisers
    rt::Weak<rt::Object> delegate;
    bool enabled = true;
    gfx::CGPoint start, last; // window coordinates
    double minimumPressDuration = 0.5;
    double allowableMovement = 10;
    std::shared_ptr<dsp::Timer> pressTimer;
    long tapsRequired = 1;
    long taps = 0;            // taps counted towards tapsRequired
    dsp::TimePoint lastTap{}; // when the last counted tap lifted
};

// The longest pause between the taps of a multiple tap.
constexpr dsp::Duration kTapInterval = std::chrono::milliseconds(350);

RecognizerObject* recognizerOf(rt::Id o) { return rt::objectAs<RecognizerObject>(o, g_recognizer); }

Ref<rt::Object> initWithTarget(RecognizerObject* self, rt::Sel, Ref<rt::Object> target, rt::Sel action) {
    if (target && action) self->targets.emplace_back(std::move(target), action);
    return Ref<rt::Object>(self);
}
void addTarget(RecognizerObject* self, rt::Sel, Ref<rt::Object> target, rt::Sel action) {
    if (target && action) self->targets.emplace_back(std::move(target), action);
}
long state(RecognizerObject* self, rt::Sel) { return self->state; }
Ref<rt::Object> view(RecognizerObject* self, rt::Sel) { return Ref<rt::Object>(self->view); }
Ref<rt::Object> delegate(RecognizerObject* self, rt::Sel) { return self->delegate.load(); }
void setDelegate(RecognizerObject* self, rt::Sel, Ref<rt::Object> d) { self->delegate = d.get(); }
bool isEnabled(RecognizerObject* self, rt::Sel) { return self->enabled; }
void setEnabled(RecognizerObject* self, rt::Sel, bool e) { self->enabled = e; }
double minimumPressDuration(RecognizerObject* self, rt::Sel) { return self->minimumPressDuration; }
void setMinimumPressDuration(RecognizerObject* self, rt::Sel, double d) { self->minimumPressDuration = d; }
double allowableMovement(RecognizerObject* self, rt::Sel) { return self->allowableMovement; }
long numberOfTapsRequired(RecognizerObject* self, rt::Sel) { return self->tapsRequired; }
void setNumberOfTapsRequired(RecognizerObject* self, rt::Sel, long n) {
    self->tapsRequired = std::max(1L, n);
    self->taps = 0;
}

gfx::CGPoint translationInView(RecognizerObject* self, rt::Sel, Ref<rt::Object>) {
    return {self->last.x - self->start.x, self->last.y - self->start.y};
}

gfx::CGPoint locationInView(RecognizerObject* self, rt::Sel, Ref<rt::Object> in) {
    // The last touch, from window coordinates into the view's.
    ViewObject* target = viewOf(in.get());
    if (!target) return self->last;
    gfx::CGPoint origin = rt::send<gfx::CGPoint>(in, "convertPoint:toView:"_sel, gfx::CGPoint{0, 0}, Ref<rt::Object>());
    return {self->last.x - origin.x, self->last.y - origin.y};
}

std::vector<Ref<rt::Object>> g_tracking; // the recognisers seeing the current touch

// When one recogniser takes the touch (begins, or recognises at once), the
// others seeing it fail: by default no two recognise the same touch.
void exclude(RecognizerObject* winner) {
    for (const auto& g : g_tracking) {
        auto* other = recognizerOf(g.get());
        if (other == winner || other->state != UIGestureRecognizerStatePossible) continue;
        other->state = UIGestureRecognizerStateFailed;
        if (other->pressTimer) other->pressTimer->invalidate();
    }
}

void fire(RecognizerObject* r, long newState) {
    if (r->state == UIGestureRecognizerStatePossible) exclude(r);
    r->state = newState;
    Ref<rt::Object> keep(r);
    if (r->builtIn) r->builtIn->changed(r, newState);
    for (const auto& [target, action] : std::vector(r->targets)) {
        Ref<rt::Object> t = target.load();
        if (!t) continue;
        // "handle:" gets the recogniser; "handle" is sent with no argument.
        if (rt::argumentCount(action) > 0)
            rt::send(t, action, keep);
        else
            rt::send(t, action);
    }
}

bool shouldBegin(RecognizerObject* r) {
    if (!r->enabled) return false;
    if (r->builtIn && r->builtIn->shouldBegin && !r->builtIn->shouldBegin(r)) return false;
    Ref<rt::Object> d = r->delegate.load();
    if (d && rt::respondsTo(d.get(), "gestureRecognizerShouldBegin:"_sel))
        return rt::send<bool>(d, "gestureRecognizerShouldBegin:"_sel, Ref<rt::Object>(r));
    return true;
}

double distance(gfx::CGPoint a, gfx::CGPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

// ---- the touch sequence ------------------------------------------------------------------------

void down(RecognizerObject* r, gfx::CGPoint p) {
    r->state = UIGestureRecognizerStatePossible;
    r->start = r->last = p;
    if (!rt::isKindOf(r, g_longPress)) return;
    dsp::RunLoop* main = dsp::RunLoop::main();
    if (!main) return;
    Ref<rt::Object> keep(r);
    r->pressTimer = main->scheduleTimer(dsp::seconds(r->minimumPressDuration), false, [keep](dsp::Timer&) {
        auto* lp = recognizerOf(keep.get());
        if (lp->state == UIGestureRecognizerStatePossible && shouldBegin(lp))
            fire(lp, UIGestureRecognizerStateBegan);
        else if (lp->state == UIGestureRecognizerStatePossible)
            lp->state = UIGestureRecognizerStateFailed;
    });
}

void move(RecognizerObject* r, gfx::CGPoint p) {
    r->last = p;
    if (r->state == UIGestureRecognizerStateFailed) return;
    bool tooFar = distance(p, r->start) > r->allowableMovement;
    if (rt::isKindOf(r, g_pan)) {
        // A pan begins once the finger has moved past the hysteresis.
        if (r->state == UIGestureRecognizerStateBegan || r->state == UIGestureRecognizerStateChanged)
            fire(r, UIGestureRecognizerStateChanged);
        else if (tooFar && shouldBegin(r))
            fire(r, UIGestureRecognizerStateBegan);
        else if (tooFar)
            r->state = UIGestureRecognizerStateFailed;
    } else if (rt::isKindOf(r, g_longPress)) {
        if (r->state == UIGestureRecognizerStateBegan || r->state == UIGestureRecognizerStateChanged)
            fire(r, UIGestureRecognizerStateChanged);
        else if (tooFar) {
            r->state = UIGestureRecognizerStateFailed;
            if (r->pressTimer) r->pressTimer->invalidate();
        }
    } else if (tooFar) {
        r->state = UIGestureRecognizerStateFailed;
    }
}

void up(RecognizerObject* r, gfx::CGPoint p) {
    r->last = p;
    if (r->pressTimer) r->pressTimer->invalidate();
    r->pressTimer.reset();
    if (rt::isKindOf(r, g_longPress) || rt::isKindOf(r, g_pan)) {
        if (r->state == UIGestureRecognizerStateBegan || r->state == UIGestureRecognizerStateChanged)
            fire(r, UIGestureRecognizerStateEnded);
        else
            r->state = UIGestureRecognizerStateFailed;
    } else if (r->state == UIGestureRecognizerStatePossible && distance(p, r->start) <= r->allowableMovement) {
        // A tap: one more towards the taps required, when it follows the last
        // one closely enough; the first of a new series otherwise.
        dsp::RunLoop* main = dsp::RunLoop::main();
        dsp::TimePoint now = main ? main->now() : dsp::TimePoint{};
        r->taps = r->taps > 0 && now - r->lastTap <= kTapInterval ? r->taps + 1 : 1;
        r->lastTap = now;
        if (r->taps < r->tapsRequired) return; // waits for the next tap
        r->taps = 0;
        if (shouldBegin(r))
            fire(r, UIGestureRecognizerStateEnded);
        else
            r->state = UIGestureRecognizerStateFailed;
    } else {
        r->state = UIGestureRecognizerStateFailed;
    }
}

} // namespace

void defineGestureRecognizers() {
    g_recognizer = rt::defineClass("UIGestureRecognizer", nullptr, rt::factoryOf<RecognizerObject>);
    rt::Class* c = g_recognizer;
    rt::addMethod<&initWithTarget>(c, "initWithTarget:action:"_sel);
    rt::addMethod<&addTarget>(c, "addTarget:action:"_sel);
    rt::addMethod<&state>(c, "state"_sel);
    rt::addMethod<&view>(c, "view"_sel);
    rt::addMethod<&delegate>(c, "delegate"_sel);
    rt::addMethod<&setDelegate>(c, "setDelegate:"_sel);
    rt::addMethod<&isEnabled>(c, "isEnabled"_sel);
    rt::addMethod<&setEnabled>(c, "setEnabled:"_sel);
    rt::addMethod<&locationInView>(c, "locationInView:"_sel);
    g_tap = rt::defineClass("UITapGestureRecognizer", c, rt::factoryOf<RecognizerObject>);
    rt::addMethod<&numberOfTapsRequired>(g_tap, "numberOfTapsRequired"_sel);
    rt::addMethod<&setNumberOfTapsRequired>(g_tap, "setNumberOfTapsRequired:"_sel);
    g_longPress = rt::defineClass("UILongPressGestureRecognizer", c, rt::factoryOf<RecognizerObject>);
    rt::addMethod<&minimumPressDuration>(g_longPress, "minimumPressDuration"_sel);
    rt::addMethod<&setMinimumPressDuration>(g_longPress, "setMinimumPressDuration:"_sel);
    rt::addMethod<&allowableMovement>(g_longPress, "allowableMovement"_sel);
    g_pan = rt::defineClass("UIPanGestureRecognizer", c, rt::factoryOf<RecognizerObject>);
    rt::addMethod<&translationInView>(g_pan, "translationInView:"_sel);
}

Ref<rt::Object> makeBuiltInRecognizer(const char* className, const BuiltInAction* action) {
    auto g = rt::sendClass<Ref<rt::Object>>(rt::getClass(className), "new"_sel);
    if (RecognizerObject* r = recognizerOf(g.get())) r->builtIn = action;
    return g;
}

void attachRecognizer(rt::Id recognizer, ViewObject* view) {
    if (RecognizerObject* r = recognizerOf(recognizer)) r->view = view;
}

void touchDown(rt::Id window, gfx::CGPoint p) {
    g_tracking.clear();
    ViewObject* w = viewOf(window);
    if (!w) return;
    gfx::CGPoint local{p.x - w->frame.origin.x, p.y - w->frame.origin.y};
    auto hit = rt::send<Ref<rt::Object>>(window, "hitTest:withEvent:"_sel, local, Ref<rt::Object>());
    for (ViewObject* v = viewOf(hit.get()); v; v = v->superview)
        for (const auto& g : v->gestureRecognizers)
            if (RecognizerObject* r = recognizerOf(g.get())) {
                r->view = v;
                g_tracking.push_back(g);
                down(r, p);
            }
}

void touchMove(gfx::CGPoint p) {
    for (const auto& g : std::vector(g_tracking))
        move(recognizerOf(g.get()), p);
}

void touchUp(gfx::CGPoint p) {
    std::vector<Ref<rt::Object>> seen = g_tracking;
    for (const auto& g : seen)
        up(recognizerOf(g.get()), p);
    g_tracking.clear();
    // As UIKit does once the touch sequence is over: a recogniser that ended
    // or failed is ready again (a long press kept and replayed later reads
    // as possible, not ended).
    for (const auto& g : seen)
        recognizerOf(g.get())->state = UIGestureRecognizerStatePossible;
}

} // namespace uikit
