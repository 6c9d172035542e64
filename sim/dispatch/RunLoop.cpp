#include "sim/dispatch/RunLoop.h"

#include <atomic>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace dsp {

namespace {
std::atomic<RunLoop*> g_main{nullptr};
thread_local std::unique_ptr<RunLoop> t_current;

int toPollTimeoutMs(Duration d) {
    if (d <= Duration::zero()) return 0;
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(d).count();
    return ms > 60'000 ? 60'000 : static_cast<int>(ms);
}
} // namespace

RunLoop::RunLoop(std::shared_ptr<Clock> clock)
    : m_clock(clock ? std::move(clock) : processClock())
    , m_owner(std::this_thread::get_id())
    , m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (m_wakeFd < 0) rt::fatal("run loop: eventfd failed");
}

RunLoop::~RunLoop() {
    RunLoop* self = this;
    g_main.compare_exchange_strong(self, nullptr);
    std::vector<std::shared_ptr<Timer>> timers;
    {
        std::lock_guard guard(m_lock);
        timers.swap(m_heap);
    }
    for (auto& t : timers) {
        t->m_valid.store(false, std::memory_order_release);
        t->m_loop = nullptr;
    }
    ::close(m_wakeFd);
}

RunLoop& RunLoop::current() {
    if (!t_current) t_current = std::make_unique<RunLoop>();
    return *t_current;
}

RunLoop* RunLoop::main() { return g_main.load(std::memory_order_acquire); }
void RunLoop::setMain(RunLoop* loop) { g_main.store(loop, std::memory_order_release); }

void RunLoop::wake() {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(m_wakeFd, &one, sizeof one);
}

void RunLoop::post(std::function<void()> fn) {
    {
        std::lock_guard guard(m_lock);
        m_posted.push_back(std::move(fn));
    }
    if (std::this_thread::get_id() != m_owner) wake();
}

std::shared_ptr<Timer> RunLoop::scheduleTimer(Duration interval, bool repeats, std::function<void(Timer&)> fire) {
    auto t = std::make_shared<Timer>();
    t->m_fire = std::move(fire);
    t->m_interval = interval < Duration::zero() ? Duration::zero() : interval;
    t->m_repeats = repeats;
    t->m_loop = this;
    {
        std::lock_guard guard(m_lock);
        t->m_deadline = m_clock->now() + t->m_interval;
        heapPushLocked(t);
    }
    wake();
    return t;
}

std::shared_ptr<Timer> RunLoop::scheduleTimer(Duration interval, bool repeats, rt::Ref<rt::Object> target,
                                              rt::Sel sel) {
    return scheduleTimer(interval, repeats, [target = std::move(target), sel](Timer&) { rt::send<void>(target, sel); });
}

std::size_t RunLoop::timerCount() const {
    std::lock_guard guard(m_lock);
    return m_heap.size();
}

void Timer::invalidate() {
    if (!m_valid.exchange(false, std::memory_order_acq_rel)) return;
    if (RunLoop* loop = m_loop) loop->cancel(*this);
}

void RunLoop::cancel(Timer& t) {
    std::lock_guard guard(m_lock);
    if (t.m_heapIndex < m_heap.size() && m_heap[t.m_heapIndex].get() == &t) heapRemoveLocked(t.m_heapIndex);
}

int RunLoop::addWatch(int fd, short events, std::function<void(short)> callback) {
    int id;
    {
        std::lock_guard guard(m_lock);
        id = m_nextWatchId++;
        m_watches.push_back(Watch{id, fd, events, std::make_shared<std::function<void(short)>>(std::move(callback))});
    }
    wake();
    return id;
}

void RunLoop::removeWatch(int id) {
    std::lock_guard guard(m_lock);
    std::erase_if(m_watches, [id](const Watch& w) { return w.id == id; });
}

void RunLoop::stop() {
    {
        std::lock_guard guard(m_lock);
        m_stopped = true;
    }
    wake();
}

void RunLoop::run() {
    {
        std::lock_guard guard(m_lock);
        m_stopped = false;
    }
    for (;;) {
        {
            std::lock_guard guard(m_lock);
            if (m_stopped) return;
        }
        runOnce(true);
    }
}

bool RunLoop::runPosted() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard guard(m_lock);
        batch.swap(m_posted);
    }
    for (auto& fn : batch)
        fn();
    return !batch.empty();
}

bool RunLoop::fireDueTimers() {
    bool fired = false;
    TimePoint now = m_clock->now();
    for (;;) {
        std::shared_ptr<Timer> t;
        {
            std::lock_guard guard(m_lock);
            if (m_heap.empty() || m_heap.front()->m_deadline > now) break;
            t = m_heap.front();
            heapRemoveLocked(0);
            if (t->repeats()) {
                // Missed firings are skipped, as NSTimer does: the next one is
                // the first deadline after now on the timer's grid.
                TimePoint next = t->m_deadline + t->m_interval;
                if (next <= now) next += ((now - next) / t->m_interval + 1) * t->m_interval;
                t->m_deadline = next;
                heapPushLocked(t);
            }
        }
        fired = true;
        if (!t->isValid()) continue;
        if (!t->repeats()) t->m_valid.store(false, std::memory_order_release);
        t->m_fire(*t);
    }
    return fired;
}

std::optional<TimePoint> RunLoop::nextDeadlineLocked() const {
    if (m_heap.empty()) return std::nullopt;
    return m_heap.front()->m_deadline;
}

bool RunLoop::pollOnce(Duration timeout, bool block) {
    std::vector<Watch> watches;
    {
        std::lock_guard guard(m_lock);
        watches = m_watches;
    }
    std::vector<pollfd> fds;
    fds.push_back({m_wakeFd, POLLIN, 0});
    for (const Watch& w : watches)
        fds.push_back({w.fd, w.events, 0});
    int ms = block ? (timeout == Duration::max() ? -1 : toPollTimeoutMs(timeout)) : 0;
    int n = ::poll(fds.data(), fds.size(), ms);
    if (n <= 0) return false;
    bool did = false;
    if (fds[0].revents) {
        uint64_t count;
        [[maybe_unused]] ssize_t r = ::read(m_wakeFd, &count, sizeof count);
    }
    for (std::size_t i = 1; i < fds.size(); ++i) {
        if (!fds[i].revents) continue;
        const Watch& w = watches[i - 1];
        bool stillWatched;
        {
            std::lock_guard guard(m_lock);
            stillWatched =
                std::any_of(m_watches.begin(), m_watches.end(), [&](const Watch& x) { return x.id == w.id; });
        }
        if (!stillWatched) continue; // removed by an earlier callback of this turn
        (*w.callback)(fds[i].revents);
        did = true;
    }
    return did;
}

bool RunLoop::runOnce(bool mayBlock) {
    bool did = runPosted();
    did = fireDueTimers() || did;
    Duration timeout = Duration::max();
    bool block = mayBlock && !did;
    {
        std::lock_guard guard(m_lock);
        if (!m_posted.empty() || m_stopped) block = false;
        if (auto next = nextDeadlineLocked()) {
            if (m_clock->isManual()) {
                // Time only moves when a test moves it: never sleep for it.
                if (*next <= m_clock->now()) block = false;
            } else {
                timeout = m_clock->realTimeFor(*next - m_clock->now());
            }
        }
    }
    did = pollOnce(timeout, block) || did;
    return did;
}

void RunLoop::runUntilIdle() {
    while (runOnce(false)) {
    }
}

void RunLoop::runFor(Duration d) {
    TimePoint end = m_clock->now() + d;
    auto* manual = dynamic_cast<ManualClock*>(m_clock.get());
    if (!manual) {
        runUntil([] { return false; }, m_clock->realTimeFor(d));
        return;
    }
    for (;;) {
        runUntilIdle();
        std::optional<TimePoint> next;
        {
            std::lock_guard guard(m_lock);
            next = nextDeadlineLocked();
        }
        if (!next || *next > end) break;
        manual->advanceTo(*next);
    }
    manual->advanceTo(end);
    runUntilIdle();
}

bool RunLoop::runUntil(const std::function<bool()>& done, Duration realTimeout) {
    auto deadline = std::chrono::steady_clock::now() + realTimeout;
    for (;;) {
        if (done()) return true;
        auto left = deadline - std::chrono::steady_clock::now();
        if (left <= Duration::zero()) return done();
        bool did = runPosted();
        did = fireDueTimers() || did;
        if (done()) return true;
        // The condition may change on another thread without waking this
        // loop, so it is looked at again at least every 10 ms.
        Duration wait = std::min(std::chrono::duration_cast<Duration>(left), Duration(std::chrono::milliseconds(10)));
        {
            std::lock_guard guard(m_lock);
            if (!m_posted.empty()) wait = Duration::zero();
            if (auto next = nextDeadlineLocked(); next && !m_clock->isManual())
                wait = std::min(wait, m_clock->realTimeFor(*next - m_clock->now()));
        }
        pollOnce(did ? Duration::zero() : wait, !did);
    }
}

// ---- timer heap ----------------------------------------------------------------------

bool RunLoop::lessLocked(std::size_t a, std::size_t b) const {
    const Timer& x = *m_heap[a];
    const Timer& y = *m_heap[b];
    return x.m_deadline != y.m_deadline ? x.m_deadline < y.m_deadline : x.m_sequence < y.m_sequence;
}

void RunLoop::swapLocked(std::size_t a, std::size_t b) {
    std::swap(m_heap[a], m_heap[b]);
    m_heap[a]->m_heapIndex = a;
    m_heap[b]->m_heapIndex = b;
}

void RunLoop::siftUpLocked(std::size_t i) {
    while (i > 0) {
        std::size_t parent = (i - 1) / 2;
        if (!lessLocked(i, parent)) break;
        swapLocked(i, parent);
        i = parent;
    }
}

void RunLoop::siftDownLocked(std::size_t i) {
    for (;;) {
        std::size_t l = 2 * i + 1, r = l + 1, best = i;
        if (l < m_heap.size() && lessLocked(l, best)) best = l;
        if (r < m_heap.size() && lessLocked(r, best)) best = r;
        if (best == i) return;
        swapLocked(i, best);
        i = best;
    }
}

void RunLoop::heapPushLocked(const std::shared_ptr<Timer>& t) {
    t->m_sequence = m_nextSequence++;
    t->m_heapIndex = m_heap.size();
    m_heap.push_back(t);
    siftUpLocked(m_heap.size() - 1);
}

void RunLoop::heapRemoveLocked(std::size_t index) {
    std::size_t last = m_heap.size() - 1;
    if (index != last) swapLocked(index, last);
    m_heap.back()->m_heapIndex = SIZE_MAX;
    m_heap.pop_back();
    if (index < m_heap.size()) {
        siftUpLocked(index);
        siftDownLocked(index);
    }
}

} // namespace dsp
