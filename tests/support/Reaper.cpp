#include "tests/support/Reaper.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace testsupport {

Reaper::Reaper(std::string what, std::chrono::seconds limit) {
    m_thread = std::thread([this, what = std::move(what), limit] {
        std::unique_lock guard(m_lock);
        if (m_done.wait_for(guard, limit, [this] { return m_finished; })) return;
        std::fprintf(stderr, "reaper: %s still running after %llds: killed\n", what.c_str(),
                     static_cast<long long>(limit.count()));
        std::fflush(stderr);
        ::_exit(124);
    });
}

Reaper::~Reaper() {
    {
        std::lock_guard guard(m_lock);
        m_finished = true;
    }
    m_done.notify_all();
    m_thread.join();
}

} // namespace testsupport
