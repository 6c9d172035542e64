#include "sim/dispatch/TimerSet.h"

#include <utility>

namespace dsp {

void TimerSet::add(const std::shared_ptr<Timer>& t, TimePoint deadline) {
    t->m_deadline = deadline;
    t->m_sequence = m_nextSequence++;
    t->m_heapIndex = m_heap.size();
    m_heap.push_back(t);
    siftUp(m_heap.size() - 1);
}

void TimerSet::remove(Timer& t) {
    if (t.m_heapIndex < m_heap.size() && m_heap[t.m_heapIndex].get() == &t) removeAt(t.m_heapIndex);
}

std::optional<TimePoint> TimerSet::nextEvent() const {
    if (m_heap.empty()) return std::nullopt;
    return m_heap.front()->m_deadline;
}

std::optional<Duration> TimerSet::timeToNextEvent(TimePoint now) const {
    auto next = nextEvent();
    if (!next) return std::nullopt;
    return *next <= now ? Duration::zero() : *next - now;
}

std::shared_ptr<Timer> TimerSet::takeDue(TimePoint now) {
    if (m_heap.empty() || m_heap.front()->m_deadline > now) return nullptr;
    std::shared_ptr<Timer> t = m_heap.front();
    removeAt(0);
    if (t->repeats()) {
        TimePoint next = t->m_deadline + t->m_interval;
        if (next <= now) next += ((now - next) / t->m_interval + 1) * t->m_interval;
        add(t, next);
    }
    return t;
}

std::vector<std::shared_ptr<Timer>> TimerSet::takeAll() {
    for (auto& t : m_heap)
        t->m_heapIndex = SIZE_MAX;
    return std::exchange(m_heap, {});
}

bool TimerSet::less(std::size_t a, std::size_t b) const {
    const Timer& x = *m_heap[a];
    const Timer& y = *m_heap[b];
    return x.m_deadline != y.m_deadline ? x.m_deadline < y.m_deadline : x.m_sequence < y.m_sequence;
}

void TimerSet::swap(std::size_t a, std::size_t b) {
    std::swap(m_heap[a], m_heap[b]);
    m_heap[a]->m_heapIndex = a;
    m_heap[b]->m_heapIndex = b;
}

void TimerSet::siftUp(std::size_t i) {
    while (i > 0) {
        std::size_t parent = (i - 1) / 2;
        if (!less(i, parent)) break;
        swap(i, parent);
        i = parent;
    }
}

void TimerSet::siftDown(std::size_t i) {
    for (;;) {
        std::size_t l = 2 * i + 1, r = l + 1, best = i;
        if (l < m_heap.size() && less(l, best)) best = l;
        if (r < m_heap.size() && less(r, best)) best = r;
        if (best == i) return;
        swap(i, best);
        i = best;
    }
}

void TimerSet::removeAt(std::size_t index) {
    std::size_t last = m_heap.size() - 1;
    if (index != last) swap(index, last);
    m_heap.back()->m_heapIndex = SIZE_MAX;
    m_heap.pop_back();
    if (index < m_heap.size()) {
        siftUp(index);
        siftDown(index);
    }
}

} // namespace dsp
