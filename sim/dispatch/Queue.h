#pragma once
// Dispatch queues (libdispatch's shapes).
//
// mainQueue() runs blocks on the main run loop, in the order they were
// submitted. A SerialQueue runs blocks one at a time, in order, on a thread of
// its own. globalQueue() is the process's concurrent queue. Tests wait for a
// queue with waitUntilIdle() rather than sleeping.

#include "sim/dispatch/Clock.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dsp {

class MainQueue {
public:
    // dispatch_async(dispatch_get_main_queue(), ...): from any thread.
    void async(std::function<void()> fn);
    // dispatch_after on the main queue, on the main loop's clock.
    void after(Duration delay, std::function<void()> fn);
};
MainQueue& mainQueue();

class WorkerQueue {
public:
    WorkerQueue(std::string label, int threads);
    WorkerQueue(const WorkerQueue&) = delete;
    WorkerQueue& operator=(const WorkerQueue&) = delete;
    // Runs what was submitted, then joins the threads.
    ~WorkerQueue();

    void async(std::function<void()> fn);
    // Blocks until nothing is queued or running. Not from one of its own threads.
    void waitUntilIdle();
    const std::string& label() const { return m_label; }
    bool isCurrent() const; // called from one of this queue's threads

private:
    void work();
    std::string m_label;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_tasks;
    int m_running = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

// One thread: blocks run one at a time, in submission order.
class SerialQueue : public WorkerQueue {
public:
    explicit SerialQueue(std::string label)
        : WorkerQueue(std::move(label), 1) {}
    // dispatch_sync: runs `fn` on the queue and waits for it. Not from the queue itself.
    void sync(const std::function<void()>& fn);
};

// dispatch_get_global_queue: two threads, as the machine has two cores.
WorkerQueue& globalQueue();

} // namespace dsp
