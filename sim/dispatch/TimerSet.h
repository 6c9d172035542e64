#pragma once
// TimerSet: the timers of one run loop, ordered by deadline (equal deadlines
// in the order they were added), as KJ's timer keeps them: the loop asks for
// the next event and the time until it, and takes the timers that are due.
//
// A binary heap that records each timer's index in it, so removing a timer
// is O(log n). Not locked: the run loop calls it under its own lock.

#include "sim/dispatch/Clock.h"
#include "sim/dispatch/Timer.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace dsp {

class TimerSet {
public:
    void add(const std::shared_ptr<Timer>& t, TimePoint deadline);
    // Takes the timer out, if it is in the set.
    void remove(Timer& t);
    // The earliest deadline, or none.
    std::optional<TimePoint> nextEvent() const;
    // From `now` to the next deadline, zero when one is due; none without timers.
    std::optional<Duration> timeToNextEvent(TimePoint now) const;
    // The first timer due at `now`, taken out; a repeating one goes back in
    // at its next deadline after `now` on its interval's grid (missed
    // firings are skipped, as NSTimer does). Null when none is due.
    std::shared_ptr<Timer> takeDue(TimePoint now);
    std::size_t size() const { return m_heap.size(); }
    // Empties the set, answering what it held.
    std::vector<std::shared_ptr<Timer>> takeAll();

private:
    bool less(std::size_t a, std::size_t b) const;
    void swap(std::size_t a, std::size_t b);
    void siftUp(std::size_t i);
    void siftDown(std::size_t i);
    void removeAt(std::size_t index);

    std::vector<std::shared_ptr<Timer>> m_heap;
    std::uint64_t m_nextSequence = 0;
};

} // namespace dsp
