// Automation requests against a window: the tree, finding one element
// (with clear errors for none and for several), taps and long presses that
// reach recognisers, alerts driven by typing and pressing, and screenshots.

#include "sim/uikit/Automation.h"

#include "sim/graphics/Image.h"
#include "sim/uikit/UIView.h"
#include "tests/sim/uikit/MainLoopFixture.h"

#include <gtest/gtest.h>

using fnd::Dictionary;
using fnd::Value;
using rt::Ref;
using namespace rt::literals;
using uikit::automation::handle;

namespace {

struct Automation : uitest::MainLoopTest {
    Ref<rt::Object> window, root, button, target; // recognisers do not retain their target
    void SetUp() override {
        MainLoopTest::SetUp();
        target = uitest::makeRecognisedTarget();
        auto [w, r] = uitest::showKeyWindow();
        window = w;
        root = r;
        auto page = rt::send<Ref<rt::Object>>(root, "view"_sel);
        rt::send(page, "setBackgroundColor:"_sel,
                 rt::sendClass<Ref<rt::Object>>(rt::getClass("UIColor"), "whiteColor"_sel));
        for (double y : {100.0, 200.0}) {
            auto l = uikit::makeView(gfx::CGRectMake(20, y, 200, 30), rt::getClass("UILabel"));
            rt::send(l, "setText:"_sel, std::string("Trips"));
            rt::send(page, "addSubview:"_sel, l);
        }
        button = uikit::makeView(gfx::CGRectMake(300, 600, 40, 40));
        rt::send(button, "setAccessibilityLabel:"_sel, std::string("album button"));
        rt::send(button, "setTag:"_sel, 77L);
        for (auto [cls, action] :
             {std::pair{"UITapGestureRecognizer", "tap:"}, {"UILongPressGestureRecognizer", "press:"}}) {
            auto r = rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass(cls), "alloc"_sel),
                                               "initWithTarget:action:"_sel, target, rt::sel(action));
            rt::send(button, "addGestureRecognizer:"_sel, r);
        }
        rt::send(page, "addSubview:"_sel, button);
    }
    static std::string error(const Dictionary& answer) {
        const std::string* e = fnd::valueForKey(answer, "error").string();
        return e ? *e : "";
    }
};

} // namespace

TEST_F(Automation, FindingSaysWhenNothingOrSeveralMatch) {
    Dictionary tree = handle({{"command", Value("tree")}});
    ASSERT_TRUE(fnd::valueForKey(tree, "ok").boolValue());
    EXPECT_EQ(fnd::valueForKey(*fnd::valueForKey(tree, "tree").dictionary(), "class"), Value("UIWindow"));
    EXPECT_NE(
        error(handle({{"command", Value("find")}, {"text", Value("Rome")}})).find("no element matches text \"Rome\""),
        std::string::npos);
    EXPECT_NE(error(handle({{"command", Value("find")}, {"text", Value("Trips")}})).find("2 elements match"),
              std::string::npos);
    Dictionary found = handle({{"command", Value("find")}, {"label", Value("album button")}});
    EXPECT_EQ(fnd::valueForKey(found, "x"), Value(320.0));
    EXPECT_TRUE(fnd::valueForKey(handle({{"command", Value("find")}, {"tag", Value(77)}}), "ok").boolValue());
    EXPECT_TRUE(fnd::valueForKey(handle({{"command", Value("find")},
                                         {"class", Value("UILabel")},
                                         {"text", Value("Trips")},
                                         {"x", Value(30)},
                                         {"y", Value(110)}}),
                                 "ok")
                    .boolValue());
    rt::send(button, "setHidden:"_sel, true);
    EXPECT_FALSE(fnd::valueForKey(handle({{"command", Value("find")}, {"tag", Value(77)}}), "ok").boolValue())
        << "a hidden element is not found";
    EXPECT_NE(error(handle({{"command", Value("fly")}})).find("unknown command"), std::string::npos);
    EXPECT_NE(error(handle({{"command", Value("find")}})).find("needs label, text, tag, class"), std::string::npos);
}

TEST_F(Automation, TapsAndLongPressesReachTheRecognisers) {
    ASSERT_TRUE(
        fnd::valueForKey(handle({{"command", Value("tap")}, {"label", Value("album button")}}), "ok").boolValue());
    EXPECT_EQ(uitest::recognised(), (std::vector<std::string>{"tap 3"}));
    uitest::recognised().clear();
    ASSERT_TRUE(
        fnd::valueForKey(handle({{"command", Value("long-press")}, {"tag", Value(77)}, {"seconds", Value(0.8)}}), "ok")
            .boolValue());
    EXPECT_TRUE(uitest::recognised().empty());
    loop.runFor(dsp::seconds(0.5));
    EXPECT_EQ(uitest::recognised(), (std::vector<std::string>{"press 1"}));
    loop.runFor(dsp::seconds(0.3));
    EXPECT_EQ(uitest::recognised(), (std::vector<std::string>{"press 1", "press 3"}))
        << "the finger lifts after 0.8 s; no tap";
}

TEST_F(Automation, AnAlertIsTypedIntoAndAnsweredAndTheScreenIsShot) {
    EXPECT_NE(error(handle({{"command", Value("alert")}, {"button", Value("OK")}})).find("no alert"),
              std::string::npos);
    std::string typed;
    auto alert = uitest::presentFieldAlert(root, "Enter new album title", typed);
    Dictionary presented = handle({{"command", Value("presented")}});
    EXPECT_EQ(fnd::valueForKey(presented, "presented").array()->size(), 1u);

    Dictionary shot = handle({{"command", Value("screenshot")}});
    const fnd::Data* png = fnd::valueForKey(shot, "png").data();
    ASSERT_TRUE(png);
    auto image = gfx::Image::decode(*png);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 750) << "the screen's points at its scale";
    EXPECT_GT((image->pixel(375, 667) >> 16) & 0xFF, 200u) << "the alert's box in the middle";

    EXPECT_NE(
        error(handle({{"command", Value("type")}, {"index", Value(3)}, {"text", Value("x")}})).find("no text field 3"),
        std::string::npos);
    ASSERT_TRUE(fnd::valueForKey(handle({{"command", Value("type")}, {"text", Value("Trips")}}), "ok").boolValue());
    EXPECT_NE(error(handle({{"command", Value("alert")}, {"button", Value("Nope")}})).find("no button \"Nope\""),
              std::string::npos);
    ASSERT_TRUE(fnd::valueForKey(handle({{"command", Value("alert")}, {"button", Value("OK")}}), "ok").boolValue());
    loop.runFor(dsp::seconds(0.3));
    EXPECT_EQ(typed, "Trips");
}
