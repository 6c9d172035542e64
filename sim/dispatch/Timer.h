#pragma once
// Timer: a one-shot or repeating timer scheduled on one run loop (NSTimer).
// It fires on that loop's thread; invalidate() may be called from any thread
// and guarantees that the timer does not fire after it returns, unless it is
// firing at that very moment on the loop's thread.

#include "sim/dispatch/Clock.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace dsp {

class RunLoop;

class Timer {
public:
    void invalidate();
    bool isValid() const { return m_valid.load(std::memory_order_acquire); }
    bool repeats() const { return m_interval.count() > 0 && m_repeats; }
    Duration interval() const { return m_interval; }
    TimePoint fireDate() const { return m_deadline; }

private:
    friend class RunLoop;
    friend class TimerSet;
    std::function<void(Timer&)> m_fire;
    Duration m_interval{};
    bool m_repeats = false;
    // Guarded by the owning loop's lock.
    TimePoint m_deadline{};
    std::uint64_t m_sequence = 0;
    std::size_t m_heapIndex = SIZE_MAX;
    std::atomic<RunLoop*> m_loop{nullptr};
    std::atomic<bool> m_valid{true};
};

} // namespace dsp
