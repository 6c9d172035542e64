// The main of every test program: GoogleTest plus a reaper around each test.

#include "tests/support/ChildProcess.h"
#include "tests/support/Reaper.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {
class ReaperListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& info) override {
        const char* env = std::getenv("LUMI_TEST_REAPER_SECONDS");
        int limit = env ? std::atoi(env) : 60;
        m_reaper = std::make_unique<testsupport::Reaper>(std::string(info.test_suite_name()) + "." + info.name(),
                                                         std::chrono::seconds(limit));
    }
    void OnTestEnd(const testing::TestInfo&) override { m_reaper.reset(); }
    std::unique_ptr<testsupport::Reaper> m_reaper;
};
} // namespace

int main(int argc, char** argv) {
    if (int code = testsupport::runChildIfAsked(argc, argv); code >= 0) return code;
    testing::InitGoogleTest(&argc, argv);
    // The reaper's thread is running when a death test forks.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testing::UnitTest::GetInstance()->listeners().Append(new ReaperListener);
    return RUN_ALL_TESTS();
}
