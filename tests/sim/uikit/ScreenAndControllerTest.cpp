// The screen by device model, the taptic engine, windows and controllers
// with presentation, the spinner and the blur view.

#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/PropertyList.h"
#include "sim/uikit/Render.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/UIViewController.h"
#include "tests/sim/uikit/MainLoopFixture.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

using rt::Ref;
using namespace rt::literals;

namespace {

struct Screens : uitest::MainLoopTest {
    testsupport::TempDeviceRoot root;
    static Ref<rt::Object> make(const char* cls) {
        return rt::sendClass<Ref<rt::Object>>(rt::getClass(cls), "new"_sel);
    }
};

int g_loads = 0;
void countLoad(rt::Id, rt::Sel) { ++g_loads; }

} // namespace

TEST_F(Screens, TheScreenAndIdiomFollowTheDeviceModel) {
    fnd::writePlistFile("/System/Library/device.plist",
                        fnd::Value(fnd::Dictionary{{"model", fnd::Value("iphone8plus")}}));
    auto screen = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIScreen"), "mainScreen"_sel);
    EXPECT_EQ(rt::send<gfx::CGRect>(screen, "bounds"_sel), gfx::CGRectMake(0, 0, 414, 736));
    EXPECT_EQ(rt::send<double>(screen, "scale"_sel), 3);
    auto device = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIDevice"), "currentDevice"_sel);
    EXPECT_EQ(rt::send<long>(device, "userInterfaceIdiom"_sel), 0);
    uikit::setScreenModel("ipad");
    EXPECT_EQ(rt::send<gfx::CGRect>(screen, "bounds"_sel), gfx::CGRectMake(0, 0, 768, 1024));
    EXPECT_EQ(rt::send<long>(device, "userInterfaceIdiom"_sel), 1);
    uikit::setScreenModel("no such phone");
    EXPECT_EQ(rt::send<gfx::CGRect>(screen, "bounds"_sel), gfx::CGRectMake(0, 0, 375, 667))
        << "an unknown model is an iPhone 8";
    uikit::setScreenModel("iphonexs");
    EXPECT_EQ(rt::send<gfx::CGRect>(screen, "bounds"_sel).size.height, 812);

    rt::send(rt::send<Ref<rt::Object>>(device, "_tapticEngine"_sel), "actuateFeedback:"_sel, 1001L);
    EXPECT_EQ(uikit::tapticActuations(), 1);
    EXPECT_EQ(uikit::lastTapticFeedback(), 1001);
}

TEST_F(Screens, AWindowShowsItsRootAndAPresentedControllerCoversIt) {
    rt::Class* mine = rt::defineClass("TestController", rt::getClass("UIViewController"));
    rt::addMethod<&countLoad>(mine, "viewDidLoad"_sel);
    auto window = uikit::makeView(gfx::CGRectMake(0, 0, 375, 667), rt::getClass("UIWindow"));
    auto root = rt::sendClass<Ref<rt::Object>>(mine, "new"_sel);
    EXPECT_FALSE(rt::send<bool>(root, "isViewLoaded"_sel));
    rt::send(window, "setRootViewController:"_sel, root);
    rt::send(window, "makeKeyAndVisible"_sel);
    EXPECT_EQ(g_loads, 1) << "the view loads once, when first asked for";
    rt::send<Ref<rt::Object>>(root, "view"_sel);
    EXPECT_EQ(g_loads, 1);
    EXPECT_EQ(uikit::keyWindow().get(), window.get());
    EXPECT_EQ(uikit::windowOf(rt::send<Ref<rt::Object>>(root, "view"_sel).get()).get(), window.get());

    auto sheet = make("UIViewController");
    bool done = false;
    rt::send(root, "presentViewController:animated:completion:"_sel, sheet, true,
             rt::Block<void()>([&] { done = true; }));
    EXPECT_EQ(rt::send<Ref<rt::Object>>(root, "presentedViewController"_sel).get(), sheet.get());
    EXPECT_EQ(rt::send<Ref<rt::Object>>(sheet, "presentingViewController"_sel).get(), root.get());
    auto top = rt::send<std::vector<Ref<rt::Object>>>(window, "subviews"_sel).back();
    EXPECT_EQ(top.get(), rt::send<Ref<rt::Object>>(sheet, "view"_sel).get()) << "the presented view is frontmost";
    loop.runFor(dsp::seconds(0.2));
    EXPECT_FALSE(done) << "the animated transition lasts 0.3 s";
    loop.runFor(dsp::seconds(0.1));
    EXPECT_TRUE(done);
    // Presenting twice at once presents nothing more.
    rt::send(root, "presentViewController:animated:completion:"_sel, make("UIViewController"), false,
             rt::Block<void()>());
    EXPECT_EQ(rt::send<Ref<rt::Object>>(root, "presentedViewController"_sel).get(), sheet.get());
    bool dismissed = false;
    rt::send(sheet, "dismissViewControllerAnimated:completion:"_sel, false,
             rt::Block<void()>([&] { dismissed = true; }));
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(root, "presentedViewController"_sel));
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(rt::send<Ref<rt::Object>>(sheet, "view"_sel), "superview"_sel));
    loop.runUntilIdle();
    EXPECT_TRUE(dismissed);
}

TEST_F(Screens, TheSpinnerHidesWhenStoppedAndTheDarkBlurBlursAndDarkensWhatIsBelow) {
    auto spinner =
        rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("UIActivityIndicatorView"), "alloc"_sel),
                                  "initWithActivityIndicatorStyle:"_sel, 1L);
    EXPECT_EQ(rt::send<gfx::CGRect>(spinner, "frame"_sel).size, (gfx::CGSize{20, 20}));
    EXPECT_TRUE(rt::send<bool>(spinner, "isHidden"_sel));
    rt::send(spinner, "startAnimating"_sel);
    EXPECT_TRUE(rt::send<bool>(spinner, "isAnimating"_sel));
    EXPECT_FALSE(rt::send<bool>(spinner, "isHidden"_sel));
    rt::send(spinner, "stopAnimating"_sel);
    EXPECT_TRUE(rt::send<bool>(spinner, "isHidden"_sel));

    auto page = uikit::makeView(gfx::CGRectMake(0, 0, 100, 100));
    rt::send(page, "setBackgroundColor:"_sel,
             rt::sendClass<Ref<rt::Object>>(rt::getClass("UIColor"), "whiteColor"_sel));
    auto blur = rt::send<Ref<rt::Object>>(
        rt::sendClass<Ref<rt::Object>>(rt::getClass("UIVisualEffectView"), "alloc"_sel), "initWithEffect:"_sel,
        rt::sendClass<Ref<rt::Object>>(rt::getClass("UIBlurEffect"), "effectWithStyle:"_sel, 2L));
    rt::send(blur, "setFrame:"_sel, gfx::CGRectMake(0, 0, 50, 100));
    auto stripe = uikit::makeView(gfx::CGRectMake(20, 0, 5, 100)); // a sharp black edge under the blur
    rt::send(stripe, "setBackgroundColor:"_sel,
             rt::sendClass<Ref<rt::Object>>(rt::getClass("UIColor"), "blackColor"_sel));
    rt::send(page, "addSubview:"_sel, stripe);
    rt::send(page, "addSubview:"_sel, blur);
    loop.runUntilIdle();
    EXPECT_EQ(rt::send<gfx::CGRect>(rt::send<Ref<rt::Object>>(blur, "contentView"_sel), "frame"_sel),
              gfx::CGRectMake(0, 0, 50, 100));
    gfx::Image shot = uikit::renderView(page.get());
    auto red = [](std::uint32_t px) { return static_cast<int>((px >> 16) & 0xFF); };
    EXPECT_LT(red(shot.pixel(45, 50)), 100) << "dark where the blur is";
    EXPECT_LT(red(shot.pixel(30, 50)), red(shot.pixel(45, 50))) << "the black edge spreads under the blur";
    EXPECT_GT(red(shot.pixel(22, 50)), red(shot.pixel(45, 50)) / 4) << "and the white around it into the edge";
    EXPECT_EQ(shot.pixel(75, 50), 0xFFFFFFFFu) << "white beside it";
}
