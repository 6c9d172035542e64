#include "sim/dispatch/Queue.h"

#include "sim/dispatch/RunLoop.h"

namespace dsp {

namespace {
thread_local const WorkerQueue* t_currentQueue = nullptr;

RunLoop& requireMain() {
    RunLoop* main = RunLoop::main();
    if (!main) rt::fatal("main queue used before the process set its main run loop");
    return *main;
}
} // namespace

void MainQueue::async(std::function<void()> fn) { requireMain().post(std::move(fn)); }

void MainQueue::after(Duration delay, std::function<void()> fn) {
    RunLoop& main = requireMain();
    // Timers belong to their loop's thread; from elsewhere, schedule from there.
    auto schedule = [&main, delay, fn = std::move(fn)]() mutable {
        main.scheduleTimer(delay, false, [fn = std::move(fn)](Timer&) { fn(); });
    };
    if (&RunLoop::current() == &main)
        schedule();
    else
        main.post(std::move(schedule));
}

MainQueue& mainQueue() {
    static MainQueue q;
    return q;
}

WorkerQueue::WorkerQueue(std::string label, int threads)
    : m_label(std::move(label)) {
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { work(); });
}

WorkerQueue::~WorkerQueue() {
    {
        std::lock_guard guard(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (auto& t : m_threads)
        t.join();
}

void WorkerQueue::async(std::function<void()> fn) {
    {
        std::lock_guard guard(m_lock);
        m_tasks.push_back(std::move(fn));
    }
    m_wake.notify_one();
}

void WorkerQueue::waitUntilIdle() {
    std::unique_lock guard(m_lock);
    m_idle.wait(guard, [this] { return m_tasks.empty() && m_running == 0; });
}

bool WorkerQueue::isCurrent() const { return t_currentQueue == this; }

void WorkerQueue::work() {
    t_currentQueue = this;
    std::unique_lock guard(m_lock);
    for (;;) {
        m_wake.wait(guard, [this] { return m_stopping || !m_tasks.empty(); });
        if (m_tasks.empty()) return; // stopping, and everything submitted has run
        auto fn = std::move(m_tasks.front());
        m_tasks.pop_front();
        ++m_running;
        guard.unlock();
        fn();
        fn = nullptr; // captured state dies before the queue reports idle
        guard.lock();
        --m_running;
        if (m_tasks.empty() && m_running == 0) m_idle.notify_all();
    }
}

void SerialQueue::sync(const std::function<void()>& fn) {
    if (isCurrent()) rt::fatal("dispatch_sync onto the current serial queue '" + label() + "'");
    std::mutex done;
    std::condition_variable cv;
    bool finished = false;
    async([&] {
        fn();
        std::lock_guard g(done);
        finished = true;
        cv.notify_one();
    });
    std::unique_lock g(done);
    cv.wait(g, [&] { return finished; });
}

WorkerQueue& globalQueue() {
    static auto* q = new WorkerQueue("com.apple.root.default-qos", 2); // process lifetime
    return *q;
}

} // namespace dsp
