// NSTimer on the run loop's clock: one-shot and repeating, with and
// without the timer as the selector's argument, and invalidation.

#include "sim/dispatch/NSTimer.h"

#include "sim/dispatch/RunLoop.h"

#include <gtest/gtest.h>

using rt::Ref;
using namespace rt::literals;

namespace {
int g_moves = 0;
std::vector<rt::Id> g_ticks;
void movePhoto(rt::Id, rt::Sel) { ++g_moves; }
void tick(rt::Id, rt::Sel, Ref<rt::Object> timer) { g_ticks.push_back(timer.get()); }

Ref<rt::Object> schedule(double interval, const Ref<rt::Object>& target, const char* sel, bool repeats) {
    return rt::sendClass<Ref<rt::Object>>(rt::getClass("NSTimer"),
                                          "scheduledTimerWithTimeInterval:target:selector:userInfo:repeats:"_sel,
                                          interval, target, rt::sel(sel), Ref<rt::Object>(), repeats);
}
} // namespace

TEST(NSTimer, FiresOnTheLoopsClockWithOrWithoutItselfAsTheArgument) {
    dsp::RunLoop loop(std::make_shared<dsp::ManualClock>());
    dsp::RunLoop::setMain(&loop);
    dsp::defineNSTimer();
    rt::Class* cls = rt::defineClass("TimerTarget");
    rt::addMethod<&movePhoto>(cls, "movePhoto"_sel);
    rt::addMethod<&tick>(cls, "tick:"_sel);
    auto target = rt::sendClass<Ref<rt::Object>>(cls, "new"_sel);
    int before = target->retainCount();

    auto once = schedule(1.5, target, "movePhoto", false);
    EXPECT_GT(target->retainCount(), before) << "a scheduled timer keeps its target";
    loop.runFor(dsp::seconds(1.49));
    EXPECT_EQ(g_moves, 0);
    loop.runFor(dsp::seconds(0.01));
    EXPECT_EQ(g_moves, 1);
    EXPECT_FALSE(rt::send<bool>(once, "isValid"_sel)) << "a one-shot timer ends after firing";
    EXPECT_EQ(target->retainCount(), before) << "and lets its target go";
    loop.runFor(dsp::seconds(5));
    EXPECT_EQ(g_moves, 1);

    auto every = schedule(1, target, "tick:", true);
    loop.runFor(dsp::seconds(3));
    ASSERT_EQ(g_ticks.size(), 3u);
    EXPECT_EQ(g_ticks[0], every.get()) << "the timer is the argument of a one-argument selector";
    rt::send(every, "invalidate"_sel);
    loop.runFor(dsp::seconds(3));
    EXPECT_EQ(g_ticks.size(), 3u);
    dsp::RunLoop::setMain(nullptr);
}
