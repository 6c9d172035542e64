#pragma once
// A UIKit test: the classes defined, and a main run loop on a manual clock
// that the test steps (layout passes, animations, timers, transitions).

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/UIKit.h"

#include <gtest/gtest.h>

namespace uitest {

struct MainLoopTest : ::testing::Test {
    std::shared_ptr<dsp::ManualClock> clock = std::make_shared<dsp::ManualClock>();
    dsp::RunLoop loop{clock};
    void SetUp() override {
        uikit::registerUIKit();
        dsp::RunLoop::setMain(&loop);
    }
    void TearDown() override { dsp::RunLoop::setMain(nullptr); }
};

} // namespace uitest
