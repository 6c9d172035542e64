#pragma once
// Reaper: a watchdog that ends the test process when a test runs past its
// limit, so that a hang fails at once with the test's name instead of
// stalling the whole suite. Every test gets one (support/main.cpp).

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

class Reaper {
public:
    Reaper(std::string what, std::chrono::seconds limit);
    ~Reaper();
    Reaper(const Reaper&) = delete;
    Reaper& operator=(const Reaper&) = delete;

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

} // namespace testsupport
