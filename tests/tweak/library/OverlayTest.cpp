// The feedback overlay and spinner on the manual clock, and the pulse.

#include "tweak/library/Overlay.h"

#include "sim/apps/host/Application.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/UIViewController.h"
#include "tests/sim/uikit/MainLoopFixture.h"

#include <gtest/gtest.h>

using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

namespace {

struct Overlay : uitest::MainLoopTest {
    Ref<rt::Object> window, host;
    void SetUp() override {
        MainLoopTest::SetUp();
        uikit::setScreenModel("iphone8");
        rt::Class* cls = apps::registerApplicationClasses("com.apple.mobileslideshow");
        apps::setSharedApplication(rt::sendClass<Ref<rt::Object>>(cls, "new"_sel));
        window = uikit::makeView(gfx::CGRectMake(0, 0, 375, 667), rt::getClass("UIWindow"));
        auto root = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIViewController"), "new"_sel);
        rt::send(window, "setRootViewController:"_sel, root);
        rt::send(window, "makeKeyAndVisible"_sel);
        host = rt::send<Ref<rt::Object>>(root, "view"_sel);
    }
    void TearDown() override { apps::setSharedApplication(nullptr); }
    std::size_t count(const char* cls) {
        std::size_t n = 0;
        for (const auto& v : rt::send<Objects>(host, "subviews"_sel))
            if (rt::className(v.get()) == cls ||
                (std::string(cls) == "overlay" && rt::send<long>(v, "tag"_sel) == lc::kOverlayTag))
                ++n;
        return n;
    }
};

} // namespace

TEST_F(Overlay, ABriefMessageIsGoneAfterOneSixSecondsAndTakesNoTouches) {
    lc::showMessage("Incorrect password", 1);
    ASSERT_EQ(count("overlay"), 1u);
    auto overlay = rt::send<Ref<rt::Object>>(host, "viewWithTag:"_sel, lc::kOverlayTag);
    EXPECT_EQ(rt::send<gfx::CGRect>(overlay, "frame"_sel), gfx::CGRectMake(97.5, 303.5, 180, 45));
    EXPECT_EQ(rt::send<double>(rt::send<Ref<rt::Object>>(overlay, "layer"_sel), "cornerRadius"_sel), 15);
    auto hit = rt::send<Ref<rt::Object>>(window, "hitTest:withEvent:"_sel, gfx::CGPoint{187, 320}, Ref<rt::Object>());
    EXPECT_EQ(hit.get(), host.get()) << "the touch goes to the view below";
    loop.runFor(dsp::seconds(1.59));
    EXPECT_EQ(count("overlay"), 1u);
    loop.runFor(dsp::seconds(0.02));
    EXPECT_EQ(count("overlay"), 0u);
}

TEST_F(Overlay, AStayingMessageWithItsSpinnerStaysUntilStopSpinnerAndTheDoneMessageFadesByItself) {
    lc::showMessage("Moving photos", 0);
    lc::setupSpinner();
    auto s = lc::spinner();
    ASSERT_TRUE(s);
    EXPECT_EQ(rt::send<gfx::CGPoint>(s, "center"_sel), (gfx::CGPoint{187.5, 351.5}));
    EXPECT_TRUE(rt::send<bool>(s, "isAnimating"_sel));
    loop.runFor(dsp::seconds(5));
    EXPECT_EQ(count("overlay"), 1u) << "a staying overlay stays";
    lc::showMessage("Done", 1);
    lc::stopSpinner();
    EXPECT_EQ(count("UIActivityIndicatorView"), 0u);
    loop.runFor(dsp::seconds(0.31));
    ASSERT_EQ(count("overlay"), 1u) << "only the done message is left";
    EXPECT_EQ(rt::send<gfx::CGRect>(rt::send<Ref<rt::Object>>(host, "viewWithTag:"_sel, lc::kOverlayTag), "frame"_sel)
                  .size.height,
              45);
    loop.runFor(dsp::seconds(1.3));
    EXPECT_EQ(count("overlay"), 0u);
}

TEST_F(Overlay, OverlappingBatchesLeaveNoSpinnerBehindAndThePulseIs1001) {
    lc::setupSpinner();
    lc::setupSpinner();
    EXPECT_EQ(count("UIActivityIndicatorView"), 2u);
    lc::stopSpinner();
    lc::stopSpinner();
    lc::stopSpinner(); // one more than started: nothing to stop, nothing breaks
    EXPECT_EQ(count("UIActivityIndicatorView"), 0u);
    lc::vibrate();
    EXPECT_EQ(uikit::tapticActuations(), 1);
    EXPECT_EQ(uikit::lastTapticFeedback(), 1001);
}
