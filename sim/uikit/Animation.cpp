// UIView's block animations. The model values change at once, inside the
// animations block, as on the device (the screen would show them in
// between); the completion runs with finished = YES on the main run loop's
// clock once the delay and the duration have passed, so that tests step a
// manual clock through an animation. With no main loop the completion runs
// at once.

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/UIView.h"

#include <algorithm>

namespace uikit {

using namespace rt::literals;

namespace {

using Animations = rt::Block<void()>;
using Completion = rt::Block<void(bool)>;

void animate(rt::Id, rt::Sel, double duration, double delay, unsigned long, Animations animations,
             Completion completion) {
    animations();
    if (!completion) return;
    dsp::RunLoop* main = dsp::RunLoop::main();
    if (!main) {
        completion(true);
        return;
    }
    main->scheduleTimer(dsp::seconds(std::max(0.0, delay) + std::max(0.0, duration)), false,
                        [completion](dsp::Timer&) { completion(true); });
}

void animateWithCompletion(rt::Id self, rt::Sel, double duration, Animations animations, Completion completion) {
    animate(self, nullptr, duration, 0, 0, std::move(animations), std::move(completion));
}

void animateOnly(rt::Id self, rt::Sel, double duration, Animations animations) {
    animate(self, nullptr, duration, 0, 0, std::move(animations), nullptr);
}

} // namespace

void defineAnimations() {
    rt::Class* meta = rt::objectGetClass(rt::getClass("UIView"));
    rt::addMethod<&animate>(meta, "animateWithDuration:delay:options:animations:completion:"_sel);
    rt::addMethod<&animateWithCompletion>(meta, "animateWithDuration:animations:completion:"_sel);
    rt::addMethod<&animateOnly>(meta, "animateWithDuration:animations:"_sel);
}

} // namespace uikit
