#pragma once
// RunLoop: the event loop of one thread (NSRunLoop / CFRunLoop).
//
// A loop runs, in each turn: the functions posted to it (from any thread, in
// the order posted), the timers that are due (by deadline; equal deadlines in
// the order scheduled), and the callbacks of file descriptors that became
// ready. It sleeps in poll() on an eventfd plus the watched descriptors.
//
// Time comes from the loop's clock. On a manual clock the loop never sleeps
// for time: runFor() steps the clock from deadline to deadline, and
// runUntilIdle() does what is due now without time passing. Timers are kept
// in a TimerSet; how long a turn may sleep is decided in one place
// (timeToWait), which every way of running the loop uses.

#include "sim/dispatch/Clock.h"
#include "sim/dispatch/Timer.h"
#include "sim/dispatch/TimerSet.h"
#include "sim/runtime/Runtime.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace dsp {

class RunLoop {
public:
    explicit RunLoop(std::shared_ptr<Clock> clock = nullptr);
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;
    ~RunLoop();

    // The loop of the calling thread, made on first use.
    static RunLoop& current();
    // The process's main loop: the one that main-thread work (notification
    // delivery, the main queue, the user interface) goes to. Null until set.
    static RunLoop* main();
    static void setMain(RunLoop* loop);

    Clock& clock() const { return *m_clock; }
    TimePoint now() const { return m_clock->now(); }

    // Thread-safe. From the loop's own thread no wake-up is needed: the loop
    // runs what was posted before it sleeps again.
    void post(std::function<void()> fn);

    std::shared_ptr<Timer> scheduleTimer(Duration interval, bool repeats, std::function<void(Timer&)> fire);
    // A timer that sends `sel` ("v@:") to `target`, which it keeps alive until
    // it is invalidated (as performSelector:afterDelay: and NSTimer do).
    std::shared_ptr<Timer> scheduleTimer(Duration interval, bool repeats, rt::Ref<rt::Object> target, rt::Sel sel);
    std::size_t timerCount() const;

    // Watches a descriptor for poll() events; the callback gets the returned
    // events. Returns an id for removeWatch. Thread-safe.
    int addWatch(int fd, short events, std::function<void(short)> callback);
    void removeWatch(int id);

    // Called on the loop's thread when it is about to sleep after turns that
    // did work (CFRunLoop's kCFRunLoopBeforeWaiting, where Core Animation
    // commits what the turns changed). Work an observer posts runs before
    // the loop sleeps. Returns an id for removeBeforeWaitingObserver.
    int addBeforeWaitingObserver(std::function<void()> observer);
    void removeBeforeWaitingObserver(int id);

    // Runs turns until stop() (from any thread, or from inside the loop).
    void run();
    void stop();
    // One turn. With `mayBlock`, sleeps until something is to do. Returns
    // whether any work was done.
    bool runOnce(bool mayBlock);
    // Does everything that is due now, until nothing is left.
    void runUntilIdle();
    // Lets `d` of loop time pass while running: on a manual clock by stepping
    // it from deadline to deadline, else in real time.
    void runFor(Duration d);
    // Runs until `done` answers true or `realTimeout` of real time passes;
    // returns `done()`. For waiting on other threads and processes: `done` is
    // asked after every turn and at least every 10 ms.
    bool runUntil(const std::function<bool()>& done, Duration realTimeout);

private:
    friend class Timer;
    struct Watch {
        int id;
        int fd;
        short events;
        std::shared_ptr<std::function<void(short)>> callback;
    };

    void wake();
    void cancel(Timer& t);
    bool runPosted();
    bool fireDueTimers();
    // How long this turn may sleep in poll(), in real time, at most `cap`:
    // nothing while work is posted or the loop is stopping; until the next
    // timer on a clock that moves by itself; on a manual clock, not at all
    // when a timer is due and otherwise for as long as the cap allows, since
    // its time only moves when a test moves it.
    Duration timeToWait(Duration cap) const;
    bool pollOnce(Duration timeout);

    // Sends the before-waiting observers when turns did work since they last ran.
    void beforeWaiting();
    std::vector<std::pair<int, std::function<void()>>> m_beforeWaiting; // the loop's thread only
    int m_nextObserver = 1;
    bool m_workSinceObservers = false;

    std::shared_ptr<Clock> m_clock;
    std::thread::id m_owner; // the thread that made the loop, and runs it
    int m_wakeFd;
    mutable std::mutex m_lock;
    std::deque<std::function<void()>> m_posted;
    TimerSet m_timers;
    std::vector<Watch> m_watches;
    int m_nextWatchId = 1;
    bool m_stopped = false;
};

} // namespace dsp
