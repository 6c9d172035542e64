#pragma once
// Clocks behind every timer, animation and delay of the device.
//
// The system clock is real monotonic time. A scaled clock runs faster than
// real time (a booted device's --time-scale, for end-to-end runs). A manual
// clock moves only when told: tests advance it, and a run loop on a manual
// clock never waits for time to pass.

#include <atomic>
#include <chrono>
#include <memory>

namespace dsp {

using Duration = std::chrono::nanoseconds;
// The timeline every device clock measures: a point on it is the time since
// the clock's epoch. A point and a duration are distinct types, so a delay
// cannot be passed where a deadline is meant (nor the other way round).
struct DeviceTimeline;
using TimePoint = std::chrono::time_point<DeviceTimeline, Duration>;

inline constexpr Duration seconds(double s) {
    return std::chrono::duration_cast<Duration>(std::chrono::duration<double>(s));
}
inline double toSeconds(Duration d) { return std::chrono::duration<double>(d).count(); }
// Seconds since the clock's epoch.
inline double toSeconds(TimePoint t) { return toSeconds(t.time_since_epoch()); }

class ManualClock;

class Clock {
public:
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    // The clock as a manual one, or null: the one way to ask whether time
    // moves by itself (a run loop never sleeps for a manual clock's time).
    virtual ManualClock* manual() { return nullptr; }
    // How long to wait in real time for `d` of this clock's time to pass.
    virtual Duration realTimeFor(Duration d) const { return d; }
};

class SystemClock final : public Clock {
public:
    TimePoint now() const override;
};

class ScaledClock final : public Clock {
public:
    explicit ScaledClock(double scale);
    TimePoint now() const override;
    Duration realTimeFor(Duration d) const override;

private:
    double m_scale;
    std::chrono::steady_clock::time_point m_start;
};

class ManualClock final : public Clock {
public:
    TimePoint now() const override { return TimePoint(Duration(m_now.load(std::memory_order_acquire))); }
    ManualClock* manual() override { return this; }
    // Time never goes back: advancing to an earlier point does nothing.
    void advanceTo(TimePoint t);
    void advanceBy(Duration d) { advanceTo(now() + d); }

private:
    std::atomic<Duration::rep> m_now{0};
};

// The clock new run loops use. By default the system clock, or a scaled one
// when LUMI_TIME_SCALE is set; tests install a manual clock before any run
// loop is made.
std::shared_ptr<Clock> processClock();
void setProcessClock(std::shared_ptr<Clock> clock);

} // namespace dsp
