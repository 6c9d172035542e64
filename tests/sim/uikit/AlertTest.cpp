// Alerts and action sheets: text entered, a handler that runs once the
// alert has closed, cancel that runs nothing, the iPad's popover rule.

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/Render.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIView.h"
#include "tests/sim/uikit/MainLoopFixture.h"

#include <gtest/gtest.h>

using rt::Ref;
using namespace rt::literals;

namespace {
struct Alerts : uitest::MainLoopTest {
    Ref<rt::Object> window, root;
    void SetUp() override {
        MainLoopTest::SetUp();
        auto [w, r] = uitest::showKeyWindow();
        window = w;
        root = r;
    }
    static Ref<rt::Object> alert(const std::string& title, const std::string& message, long style) {
        return rt::sendClass<Ref<rt::Object>>(rt::getClass("UIAlertController"),
                                              "alertControllerWithTitle:message:preferredStyle:"_sel, title, message,
                                              style);
    }
    static Ref<rt::Object> action(const std::string& title, long style, rt::Block<void(Ref<rt::Object>)> handler) {
        return rt::sendClass<Ref<rt::Object>>(rt::getClass("UIAlertAction"), "actionWithTitle:style:handler:"_sel,
                                              title, style, handler);
    }
};
} // namespace

TEST_F(Alerts, TextEnteredReachesTheHandlerWhichRunsAfterTheAlertHasClosed) {
    auto a = alert("Enter new album title", "", uikit::UIAlertControllerStyleAlert);
    rt::send(a, "addTextFieldWithConfigurationHandler:"_sel, rt::Block<void(Ref<rt::Object>)>([](Ref<rt::Object> f) {
                 rt::send(f, "setPlaceholder:"_sel, std::string("Album title"));
             }));
    std::vector<std::string> seen;
    rt::send(a, "addAction:"_sel, action("Cancel", uikit::UIAlertActionStyleCancel, nullptr));
    // The handler holds the field, not the alert: an alert holding its own
    // action's handler would be a cycle that never ends.
    auto field = rt::send<std::vector<Ref<rt::Object>>>(a, "textFields"_sel)[0];
    rt::send(a, "addAction:"_sel, action("OK", uikit::UIAlertActionStyleDefault, [&, field](Ref<rt::Object> act) {
                 seen.push_back(rt::send<std::string>(act, "title"_sel) + ":" +
                                rt::send<std::string>(field, "text"_sel));
             }));
    rt::send(root, "presentViewController:animated:completion:"_sel, a, true, rt::Block<void()>());
    EXPECT_FALSE(uikit::pressAlertButton(a, "Maybe"));
    ASSERT_TRUE(uikit::typeIntoAlertField(a, 0, "Trips"));
    EXPECT_FALSE(uikit::typeIntoAlertField(a, 1, "x"));

    gfx::Image shot = uikit::renderView(window.get());
    EXPECT_GT((shot.pixel(187, 333) >> 16) & 0xFF, 200u) << "the alert's light box in the middle";
    EXPECT_LT((shot.pixel(10, 10) >> 16) & 0xFF, 10u) << "the dimmed window around it";

    ASSERT_TRUE(uikit::pressAlertButton(a, "OK"));
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(root, "presentedViewController"_sel)) << "the alert closes at once";
    EXPECT_TRUE(seen.empty()) << "the handler waits until it has closed";
    loop.runFor(dsp::seconds(0.3));
    EXPECT_EQ(seen, (std::vector<std::string>{"OK:Trips"}));
    EXPECT_FALSE(uikit::pressAlertButton(a, "OK")) << "a closed alert has no buttons to press";

    // Cancel runs nothing.
    auto b = alert("Choose Album", "Choose the album to save the photo to.", uikit::UIAlertControllerStyleActionSheet);
    rt::send(b, "addAction:"_sel, action("Cancel", uikit::UIAlertActionStyleCancel, nullptr));
    rt::send(root, "presentViewController:animated:completion:"_sel, b, true, rt::Block<void()>());
    ASSERT_TRUE(uikit::pressAlertButton(b, "Cancel"));
    loop.runFor(dsp::seconds(1));
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_DEATH(rt::send(b, "addTextFieldWithConfigurationHandler:"_sel, rt::Block<void(Ref<rt::Object>)>()),
                 "only be added to an alert");
}

TEST_F(Alerts, AnActionSheetOnAnIPadNeedsAPopoverSource) {
    uikit::setScreenModel("ipad");
    auto sheet = alert("Choose Album", "", uikit::UIAlertControllerStyleActionSheet);
    EXPECT_DEATH(rt::send(root, "presentViewController:animated:completion:"_sel, sheet, false, rt::Block<void()>()),
                 "needs a popover source view");
    auto popover = rt::send<Ref<rt::Object>>(sheet, "popoverPresentationController"_sel);
    rt::send(popover, "setSourceView:"_sel, rt::send<Ref<rt::Object>>(root, "view"_sel));
    rt::send(popover, "setSourceRect:"_sel, gfx::CGRectMake(10, 10, 28, 28));
    rt::send(root, "presentViewController:animated:completion:"_sel, sheet, false, rt::Block<void()>());
    EXPECT_EQ(rt::send<Ref<rt::Object>>(root, "presentedViewController"_sel).get(), sheet.get());
}
