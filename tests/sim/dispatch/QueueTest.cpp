// The main queue, serial queues and the global queue.

#include "sim/dispatch/Queue.h"

#include "sim/dispatch/RunLoop.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

using namespace dsp;

namespace {
struct MainLoopFixture : testing::Test {
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    RunLoop loop{clock};
    void SetUp() override { RunLoop::setMain(&loop); }
    void TearDown() override { RunLoop::setMain(nullptr); }
};
} // namespace

using MainQueueTest = MainLoopFixture;

TEST_F(MainQueueTest, BlocksFromWorkerThreadsRunOnTheMainThreadInOrder) {
    SerialQueue worker("com.apple.photos.changes");
    std::vector<int> order;
    const auto mainThread = std::this_thread::get_id();
    std::atomic<bool> offMain{false};
    for (int i = 0; i < 20; ++i)
        worker.async([&, i] {
            mainQueue().async([&, i] {
                order.push_back(i);
                if (std::this_thread::get_id() != mainThread) offMain = true;
            });
        });
    worker.waitUntilIdle();
    EXPECT_TRUE(order.empty()); // nothing runs until the main loop turns
    loop.runUntilIdle();
    ASSERT_EQ(order.size(), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_FALSE(offMain.load());
}

TEST_F(MainQueueTest, AfterRunsOnTheMainLoopsClockEvenWhenAskedFromAnotherThread) {
    int ran = 0;
    mainQueue().after(seconds(1), [&] { ran = 1; });
    std::thread([&] { mainQueue().after(seconds(2), [&] { ran = 2; }); }).join();
    loop.runFor(seconds(0.5));
    EXPECT_EQ(ran, 0);
    loop.runFor(seconds(0.5));
    EXPECT_EQ(ran, 1);
    loop.runFor(seconds(1));
    EXPECT_EQ(ran, 2);
}

TEST(MainQueueDeathTest, UsingTheMainQueueWithoutAMainLoopIsFatal) {
    EXPECT_DEATH(mainQueue().async([] {}), "main queue used before");
}

TEST(SerialQueue, RunsOneAtATimeInSubmissionOrder) {
    SerialQueue q("serial");
    std::vector<int> order;
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    for (int i = 0; i < 200; ++i)
        q.async([&, i] {
            if (inside.fetch_add(1) != 0) overlapped = true;
            order.push_back(i); // unsynchronised on purpose: TSan would flag overlap
            inside.fetch_sub(1);
        });
    q.waitUntilIdle();
    EXPECT_FALSE(overlapped.load());
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(order[i], i);
}

TEST(SerialQueue, SyncWaitsForTheBlockAndTheQueueKnowsItsOwnThread) {
    SerialQueue q("sync");
    bool onQueue = false;
    int value = 0;
    q.sync([&] {
        value = 7;
        onQueue = q.isCurrent();
    });
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(onQueue);
    EXPECT_FALSE(q.isCurrent());
}

TEST(SerialQueue, DestructionRunsWhatWasAlreadySubmitted) {
    std::atomic<int> ran{0};
    {
        SerialQueue q("drain");
        for (int i = 0; i < 50; ++i)
            q.async([&] { ++ran; });
    }
    EXPECT_EQ(ran.load(), 50);
}

TEST(GlobalQueue, RunsBlocksConcurrentlyAndWaitsUntilIdle) {
    std::mutex m;
    std::condition_variable cv;
    int arrived = 0;
    // Two blocks that each wait for the other can only finish if they run at once.
    for (int i = 0; i < 2; ++i)
        globalQueue().async([&] {
            std::unique_lock g(m);
            ++arrived;
            cv.notify_all();
            cv.wait(g, [&] { return arrived == 2; });
        });
    globalQueue().waitUntilIdle();
    EXPECT_EQ(arrived, 2);
}
