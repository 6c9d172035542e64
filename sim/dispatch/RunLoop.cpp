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
        timers = m_timers.takeAll();
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
        m_timers.add(t, m_clock->now() + t->m_interval);
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
    return m_timers.size();
}

void Timer::invalidate() {
    if (!m_valid.exchange(false, std::memory_order_acq_rel)) return;
    if (RunLoop* loop = m_loop) loop->cancel(*this);
}

void RunLoop::cancel(Timer& t) {
    std::lock_guard guard(m_lock);
    m_timers.remove(t);
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
            t = m_timers.takeDue(now);
        }
        if (!t) break;
        fired = true;
        if (!t->isValid()) continue;
        if (!t->repeats()) t->m_valid.store(false, std::memory_order_release);
        t->m_fire(*t);
    }
    return fired;
}

Duration RunLoop::timeToWait(Duration cap) const {
    std::lock_guard guard(m_lock);
    if (!m_posted.empty() || m_stopped) return Duration::zero();
    auto next = m_timers.timeToNextEvent(m_clock->now());
    if (!next) return cap;
    if (m_clock->manual()) return *next == Duration::zero() ? Duration::zero() : cap;
    return std::min(cap, m_clock->realTimeFor(*next));
}

bool RunLoop::pollOnce(Duration timeout) {
    std::vector<Watch> watches;
    {
        std::lock_guard guard(m_lock);
        watches = m_watches;
    }
    std::vector<pollfd> fds;
    fds.push_back({m_wakeFd, POLLIN, 0});
    for (const Watch& w : watches)
        fds.push_back({w.fd, w.events, 0});
    int ms = timeout == Duration::max() ? -1 : toPollTimeoutMs(timeout);
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

int RunLoop::addBeforeWaitingObserver(std::function<void()> observer) {
    m_beforeWaiting.emplace_back(m_nextObserver, std::move(observer));
    return m_nextObserver++;
}

void RunLoop::removeBeforeWaitingObserver(int id) {
    std::erase_if(m_beforeWaiting, [id](const auto& o) { return o.first == id; });
}

void RunLoop::beforeWaiting() {
    if (!m_workSinceObservers || m_beforeWaiting.empty()) return;
    m_workSinceObservers = false;
    auto observers = m_beforeWaiting; // an observer may remove itself
    for (auto& [id, observer] : observers)
        observer();
}

bool RunLoop::runOnce(bool mayBlock) {
    bool did = runPosted();
    did = fireDueTimers() || did;
    if (did) m_workSinceObservers = true;
    if (mayBlock && !did) {
        beforeWaiting();
        did = runPosted(); // what the observers posted runs before the loop sleeps
        if (did) m_workSinceObservers = true;
    }
    Duration wait = mayBlock && !did ? timeToWait(Duration::max()) : Duration::zero();
    bool polled = pollOnce(wait);
    if (polled) m_workSinceObservers = true;
    return polled || did;
}

void RunLoop::runUntilIdle() {
    while (runOnce(false)) {
    }
}

void RunLoop::runFor(Duration d) {
    TimePoint end = m_clock->now() + d;
    ManualClock* manual = m_clock->manual();
    if (!manual) {
        runUntil([] { return false; }, m_clock->realTimeFor(d));
        return;
    }
    for (;;) {
        runUntilIdle();
        std::optional<TimePoint> next;
        {
            std::lock_guard guard(m_lock);
            next = m_timers.nextEvent();
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
        Duration cap = std::min(std::chrono::duration_cast<Duration>(left), Duration(std::chrono::milliseconds(10)));
        pollOnce(did ? Duration::zero() : timeToWait(cap));
    }
}

} // namespace dsp
