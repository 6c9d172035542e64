#include "sim/dispatch/NSTimer.h"

#include "sim/dispatch/RunLoop.h"

#include <algorithm>
#include <mutex>

namespace dsp {

using rt::Ref;
using namespace rt::literals;

namespace {

rt::Class* g_class = nullptr;

class TimerObject : public rt::Object {
public:
    using Object::Object;
    std::shared_ptr<Timer> timer;
    Ref<rt::Object> target;
    rt::Sel selector = nullptr;
    Ref<rt::Object> userInfo;
    double interval = 0;
    bool repeats = false;
    bool valid = true;
};

// The scheduled timers, kept alive by the run loop as NSRunLoop keeps its
// timers, until each is invalidated.
std::mutex g_lock;
std::vector<Ref<rt::Object>> g_live;

void release(TimerObject* t) {
    std::lock_guard guard(g_lock);
    std::erase_if(g_live, [&](const Ref<rt::Object>& o) { return o.get() == t; });
}

void endTimer(TimerObject* t) {
    t->valid = false;
    t->target = nullptr;
    if (t->timer) t->timer->invalidate();
    t->timer.reset();
    release(t);
}

void deliver(TimerObject* t) {
    if (!t->valid) return;
    Ref<rt::Object> keep(t);
    Ref<rt::Object> target = t->target;
    if (!t->repeats) endTimer(t);
    if (rt::argumentCount(t->selector) == 1)
        rt::send(target, t->selector, keep);
    else
        rt::send(target, t->selector);
}

Ref<rt::Object> scheduled(rt::Id, rt::Sel, double interval, Ref<rt::Object> target, rt::Sel selector,
                          Ref<rt::Object> userInfo, bool repeats) {
    auto t = rt::createInstance<TimerObject>(g_class);
    t->target = std::move(target);
    t->selector = selector;
    t->userInfo = std::move(userInfo);
    t->interval = std::max(0.0001, interval); // NSTimer raises a non-positive interval to 0.1 ms
    t->repeats = repeats;
    TimerObject* raw = t.get();
    {
        std::lock_guard guard(g_lock);
        g_live.push_back(t);
    }
    // The closure holds no reference: the registry above keeps the object
    // alive while the run loop's timer can still fire.
    RunLoop& loop = RunLoop::main() ? *RunLoop::main() : RunLoop::current();
    t->timer = loop.scheduleTimer(seconds(t->interval), repeats, [raw](Timer&) { deliver(raw); });
    return t;
}

void invalidate(TimerObject* self, rt::Sel) {
    if (self->valid) endTimer(self);
}
bool isValid(TimerObject* self, rt::Sel) { return self->valid; }
Ref<rt::Object> userInfo(TimerObject* self, rt::Sel) { return self->userInfo; }
double timeInterval(TimerObject* self, rt::Sel) { return self->repeats ? self->interval : 0; }
void fire(TimerObject* self, rt::Sel) { deliver(self); }

} // namespace

void defineNSTimer() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_class = rt::defineClass("NSTimer", nullptr, rt::factoryOf<TimerObject>);
        rt::addMethod<&scheduled>(rt::objectGetClass(g_class),
                                  "scheduledTimerWithTimeInterval:target:selector:userInfo:repeats:"_sel);
        rt::addMethod<&invalidate>(g_class, "invalidate"_sel);
        rt::addMethod<&isValid>(g_class, "isValid"_sel);
        rt::addMethod<&userInfo>(g_class, "userInfo"_sel);
        rt::addMethod<&timeInterval>(g_class, "timeInterval"_sel);
        rt::addMethod<&fire>(g_class, "fire"_sel);
    });
}

} // namespace dsp
