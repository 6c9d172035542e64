// Run loops on a manual clock: timer order, cancellation, repeating timers,
// posts from other threads and descriptor watches.

#include "sim/dispatch/RunLoop.h"

#include "sim/dispatch/TimerSet.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace dsp;
using namespace rt::literals;

namespace {
struct ManualLoop {
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    RunLoop loop{clock};
};
} // namespace

TEST(RunLoop, TimersFireByDeadlineAndEqualDeadlinesInScheduleOrder) {
    ManualLoop m;
    std::vector<std::string> order;
    m.loop.scheduleTimer(seconds(2), false, [&](Timer&) { order.push_back("late"); });
    m.loop.scheduleTimer(seconds(1), false, [&](Timer&) { order.push_back("first"); });
    m.loop.scheduleTimer(seconds(1), false, [&](Timer&) { order.push_back("second"); });
    m.loop.scheduleTimer(seconds(1), false, [&](Timer&) { order.push_back("third"); });
    m.loop.runFor(seconds(0.999));
    EXPECT_TRUE(order.empty()) << "a timer fired before its deadline";
    m.loop.runFor(seconds(0.001));
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "third"}));
    m.loop.runFor(seconds(5));
    EXPECT_EQ(order.back(), "late");
    EXPECT_EQ(m.loop.timerCount(), 0u);
}

TEST(RunLoop, RunForStepsTheClockToEachDeadlineInTurn) {
    ManualLoop m;
    std::vector<double> firedAt;
    m.loop.scheduleTimer(seconds(1.5), false, [&](Timer&) {
        firedAt.push_back(toSeconds(m.clock->now()));
        // scheduled from inside a timer: still within this runFor
        m.loop.scheduleTimer(seconds(1), false, [&](Timer&) { firedAt.push_back(toSeconds(m.clock->now())); });
    });
    m.loop.runFor(seconds(3));
    ASSERT_EQ(firedAt.size(), 2u);
    EXPECT_DOUBLE_EQ(firedAt[0], 1.5);
    EXPECT_DOUBLE_EQ(firedAt[1], 2.5);
    EXPECT_DOUBLE_EQ(toSeconds(m.clock->now()), 3.0);
}

TEST(RunLoop, InvalidatedTimersNeverFire) {
    ManualLoop m;
    int fired = 0;
    auto a = m.loop.scheduleTimer(seconds(1), false, [&](Timer&) { ++fired; });
    auto b = m.loop.scheduleTimer(seconds(1), false, [&](Timer&) { fired += 10; });
    std::shared_ptr<Timer> c;
    m.loop.scheduleTimer(seconds(0.5), false, [&](Timer&) { b->invalidate(); }); // from a timer
    a->invalidate();
    EXPECT_FALSE(a->isValid());
    m.loop.runFor(seconds(2));
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(m.loop.timerCount(), 0u);
}

TEST(RunLoop, RepeatingTimersKeepTheirGridAndStopWhenInvalidated) {
    ManualLoop m;
    std::vector<double> at;
    auto t = m.loop.scheduleTimer(seconds(1), true, [&](Timer& self) {
        at.push_back(toSeconds(m.clock->now()));
        if (at.size() == 3) self.invalidate();
    });
    m.loop.runFor(seconds(10));
    EXPECT_EQ(at, (std::vector<double>{1, 2, 3}));
    EXPECT_FALSE(t->isValid());

    // Firings missed while the loop was not running are skipped, not replayed.
    int count = 0;
    auto r = m.loop.scheduleTimer(seconds(1), true, [&](Timer&) { ++count; });
    m.clock->advanceBy(seconds(5.5));
    m.loop.runUntilIdle();
    EXPECT_EQ(count, 1);
    m.loop.runFor(seconds(0.5));
    EXPECT_EQ(count, 2);
    r->invalidate();
}

namespace {
int g_moves = 0;
void movePhoto(rt::Id, rt::Sel) { ++g_moves; }
} // namespace

TEST(RunLoop, TargetSelectorTimersSendThroughTheRuntime) {
    int& moves = g_moves;
    rt::Class* cls = rt::defineClass("LCTimerTarget");
    rt::addMethod<&movePhoto>(cls, "movePhoto"_sel);
    ManualLoop m;
    auto target = rt::createInstance(cls);
    m.loop.scheduleTimer(seconds(1.5), false, target, "movePhoto"_sel);
    EXPECT_EQ(target->retainCount(), 2); // the timer keeps its target
    m.loop.runFor(seconds(1.4));
    EXPECT_EQ(moves, 0);
    m.loop.runFor(seconds(0.1));
    EXPECT_EQ(moves, 1);
}

TEST(RunLoop, PostsFromOtherThreadsRunOnTheLoopInOrder) {
    ManualLoop m;
    std::vector<int> got;
    std::thread::id loopThread = std::this_thread::get_id();
    bool allOnLoop = true;
    std::thread producer([&] {
        for (int i = 0; i < 100; ++i)
            m.loop.post([&, i] {
                got.push_back(i);
                allOnLoop = allOnLoop && std::this_thread::get_id() == loopThread;
            });
    });
    producer.join();
    m.loop.runUntilIdle();
    ASSERT_EQ(got.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(got[i], i);
    EXPECT_TRUE(allOnLoop);
}

TEST(RunLoop, RunWakesForAPostAndStopsWhenAskedFromAnotherThread) {
    ManualLoop m;
    std::atomic<int> ran{0};
    std::thread other([&] {
        m.loop.post([&] { ++ran; });
        m.loop.post([&] { m.loop.stop(); });
    });
    m.loop.run(); // blocks until the posted stop runs
    other.join();
    EXPECT_EQ(ran.load(), 1);
}

TEST(RunLoop, DescriptorWatchesCallBackWhenReadable) {
    ManualLoop m;
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::string got;
    int id = m.loop.addWatch(fds[0], POLLIN, [&](short) {
        char buf[16];
        ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n > 0) got.append(buf, static_cast<std::size_t>(n));
    });
    m.loop.runUntilIdle();
    EXPECT_TRUE(got.empty());
    ASSERT_EQ(::write(fds[1], "hi", 2), 2);
    EXPECT_TRUE(m.loop.runUntil([&] { return got == "hi"; }, std::chrono::seconds(10)));
    m.loop.removeWatch(id);
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    m.loop.runUntilIdle();
    EXPECT_EQ(got, "hi");
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(RunLoop, RunUntilGivesUpAfterItsRealTimeout) {
    ManualLoop m;
    EXPECT_FALSE(m.loop.runUntil([] { return false; }, std::chrono::milliseconds(20)));
}

TEST(Clock, ScaledClockRunsFasterAndManualClockNeverGoesBack) {
    ScaledClock fast(100);
    EXPECT_EQ(fast.realTimeFor(seconds(10)), seconds(0.1));
    ManualClock m;
    m.advanceTo(TimePoint(seconds(5)));
    m.advanceTo(TimePoint(seconds(3)));
    EXPECT_EQ(m.now(), TimePoint(seconds(5)));
    m.advanceBy(seconds(1));
    EXPECT_EQ(m.now(), TimePoint(seconds(6)));
    // A deadline and a delay are different types: neither stands for the other.
    static_assert(!std::is_convertible_v<Duration, TimePoint>);
    static_assert(!std::is_convertible_v<TimePoint, Duration>);
}

TEST(TimerSet, TakesDueTimersByDeadlineThenInsertionOrderAndRemovesAnyTimer) {
    TimerSet set;
    auto a = std::make_shared<Timer>(), b = std::make_shared<Timer>(), c = std::make_shared<Timer>(),
         d = std::make_shared<Timer>();
    TimePoint t0(seconds(10));
    set.add(a, t0 + seconds(2));
    set.add(b, t0 + seconds(1));
    set.add(c, t0 + seconds(1));
    set.add(d, t0 + seconds(3));
    EXPECT_EQ(set.nextEvent(), t0 + seconds(1));
    EXPECT_EQ(set.timeToNextEvent(t0), seconds(1));
    EXPECT_EQ(set.timeToNextEvent(t0 + seconds(5)), Duration::zero()) << "a late deadline is due now, not negative";
    set.remove(*a);
    set.remove(*a); // not in the set any more: nothing happens
    EXPECT_EQ(set.takeDue(t0), nullptr);
    EXPECT_EQ(set.takeDue(t0 + seconds(3)), b);
    EXPECT_EQ(set.takeDue(t0 + seconds(3)), c);
    EXPECT_EQ(set.takeDue(t0 + seconds(3)), d);
    EXPECT_EQ(set.takeDue(t0 + seconds(3)), nullptr);
    EXPECT_FALSE(set.timeToNextEvent(t0));
}

TEST(RunLoop, BeforeWaitingObserversRunOnceTheTurnsWorkIsDoneAndWhatTheyPostRunsBeforeSleep) {
    auto clock = std::make_shared<dsp::ManualClock>();
    dsp::RunLoop loop(clock);
    std::vector<std::string> seen;
    int id = loop.addBeforeWaitingObserver([&] {
        seen.push_back("observer");
        if (seen.size() < 4) loop.post([&] { seen.push_back("posted by the observer"); });
    });
    loop.addBeforeWaitingObserver([&] { loop.stop(); });
    loop.post([&] { seen.push_back("a"); });
    loop.post([&] { seen.push_back("b"); });
    loop.run();
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "observer", "posted by the observer"}));

    // What the observer posted was work: the observers look again before the next sleep.
    loop.run();
    EXPECT_EQ(seen.back(), "observer");
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "observer"), 2);

    loop.removeBeforeWaitingObserver(id);
    loop.post([&] { seen.push_back("c"); });
    loop.run();
    EXPECT_EQ(seen.back(), "c") << "a removed observer is not called";
}
