// The system log and the coloured diagnostic line.

#include "sim/foundation/SystemLog.h"

#include "tests/support/TempDeviceRoot.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

TEST(SystemLog, ColouredLineIsExactToTheByte) {
    std::string line =
        fnd::colouredLogLine("lumicrate12", "Tweak", 412, "DEBUG", "-[<X: 0x1> y]: reloading camera roll");
    EXPECT_EQ(line, "\x1b[1;36m[lumicrate12] \x1b[m\x1b[0;36mTweak:412\x1b[m \x1b[0;30;46mDEBUG:"
                    "\x1b[m -[<X: 0x1> y]: reloading camera roll");
}

TEST(SystemLog, LinesGoToTheInstalledSinkWithTheirLevel) {
    std::vector<std::pair<fnd::LogLevel, std::string>> lines;
    fnd::setLogSink([&](fnd::LogLevel l, const std::string& m) { lines.emplace_back(l, m); });
    fnd::systemLog(fnd::LogLevel::Notice, "one");
    fnd::systemLog(fnd::LogLevel::Error, "two");
    fnd::setLogSink(nullptr);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(static_cast<int>(lines[0].first), 5);
    EXPECT_EQ(lines[0].second, "one");
    EXPECT_EQ(lines[1].second, "two");
}

// Queues and socket threads log while the main thread installs and removes
// sinks: every line reaches exactly one place, whole.
TEST(SystemLog, LinesFromManyThreadsWhileSinksChange) {
    testsupport::TempDeviceRoot root;
    std::filesystem::create_directories(root.host("/var/log"));
    constexpr int kThreads = 4;
    constexpr int kLines = 300;
    std::mutex lock;
    std::vector<std::string> caught;
    auto sink = [&](fnd::LogLevel, const std::string& m) {
        std::lock_guard guard(lock);
        caught.push_back(m);
    };
    std::atomic<int> started{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, &started] {
            started.fetch_add(1);
            for (int i = 0; i < kLines; ++i)
                fnd::systemLog(fnd::LogLevel::Notice, "thread " + std::to_string(t) + " line " + std::to_string(i));
        });
    while (started.load() < kThreads)
        std::this_thread::yield();
    for (int swap = 0; swap < 200; ++swap)
        fnd::setLogSink(swap % 2 ? fnd::LogSink() : fnd::LogSink(sink));
    for (auto& t : threads)
        t.join();
    fnd::setLogSink(nullptr);

    // What the test sink did not catch went to the device's log file.
    std::ifstream file(root.host("/var/log/system.log"));
    std::vector<std::string> all = caught;
    for (std::string line; std::getline(file, line);) {
        auto body = line.find("> ");
        ASSERT_NE(body, std::string::npos) << line;
        all.push_back(line.substr(body + 2));
    }
    ASSERT_EQ(all.size(), static_cast<size_t>(kThreads * kLines));
    std::set<std::string> distinct(all.begin(), all.end());
    EXPECT_EQ(distinct.size(), all.size());
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kLines; i += 37)
            EXPECT_TRUE(distinct.count("thread " + std::to_string(t) + " line " + std::to_string(i))) << t << " " << i;
}
