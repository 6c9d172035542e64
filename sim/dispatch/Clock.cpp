#include "sim/dispatch/Clock.h"

#include <cstdlib>
#include <mutex>

namespace dsp {

TimePoint SystemClock::now() const {
    return TimePoint(std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now().time_since_epoch()));
}

ScaledClock::ScaledClock(double scale)
    : m_scale(scale > 0 ? scale : 1.0)
    , m_start(std::chrono::steady_clock::now()) {}

TimePoint ScaledClock::now() const {
    auto real = std::chrono::steady_clock::now() - m_start;
    return TimePoint(std::chrono::duration_cast<Duration>(std::chrono::duration<double, std::nano>(
        static_cast<double>(std::chrono::duration_cast<Duration>(real).count()) * m_scale)));
}

Duration ScaledClock::realTimeFor(Duration d) const {
    return Duration(static_cast<Duration::rep>(static_cast<double>(d.count()) / m_scale));
}

void ManualClock::advanceTo(TimePoint t) {
    auto cur = m_now.load(std::memory_order_relaxed);
    const Duration::rep target = t.time_since_epoch().count();
    while (target > cur && !m_now.compare_exchange_weak(cur, target, std::memory_order_acq_rel)) {
    }
}

namespace {
std::mutex g_lock;
std::shared_ptr<Clock>* g_clock = nullptr;
} // namespace

std::shared_ptr<Clock> processClock() {
    std::lock_guard guard(g_lock);
    if (!g_clock) {
        const char* scale = std::getenv("LUMI_TIME_SCALE");
        double s = scale ? std::atof(scale) : 0.0;
        g_clock = new std::shared_ptr<Clock>(s > 0 && s != 1.0 ? std::shared_ptr<Clock>(new ScaledClock(s))
                                                               : std::shared_ptr<Clock>(new SystemClock));
    }
    return *g_clock;
}

void setProcessClock(std::shared_ptr<Clock> clock) {
    std::lock_guard guard(g_lock);
    if (!g_clock) g_clock = new std::shared_ptr<Clock>;
    *g_clock = std::move(clock);
}

} // namespace dsp
