// What a live viewer relies on in an app: it hears of the screen only while
// it watches and only when the picture changed; the picture alone or what
// is presented over it; and a hand at the screen (touch phases, keys).

#include "sim/uikit/Display.h"

#include "sim/graphics/Image.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIView.h"
#include "tests/sim/uikit/MainLoopFixture.h"

#include <gtest/gtest.h>

using fnd::Dictionary;
using fnd::Value;
using rt::Ref;
using namespace rt::literals;
using uikit::automation::handle;

namespace {

struct Display : uitest::MainLoopTest {
    Ref<rt::Object> window, root, label, field, target;
    int told = 0;
    void SetUp() override {
        MainLoopTest::SetUp();
        auto [w, r] = uitest::showKeyWindow();
        window = w;
        root = r;
        auto page = rt::send<Ref<rt::Object>>(root, "view"_sel);
        rt::send(page, "setBackgroundColor:"_sel,
                 rt::sendClass<Ref<rt::Object>>(rt::getClass("UIColor"), "whiteColor"_sel));
        label = uikit::makeView(gfx::CGRectMake(20, 100, 200, 30), rt::getClass("UILabel"));
        rt::send(label, "setText:"_sel, std::string("Trips"));
        rt::send(page, "addSubview:"_sel, label);
        field = uikit::makeView(gfx::CGRectMake(20, 300, 200, 30), rt::getClass("UITextField"));
        rt::send(page, "addSubview:"_sel, field);
        target = uitest::makeRecognisedTarget();
        for (auto [cls, action] :
             {std::pair{"UITapGestureRecognizer", "tap:"}, {"UILongPressGestureRecognizer", "press:"}}) {
            auto r = rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass(cls), "alloc"_sel),
                                               "initWithTarget:action:"_sel, target, rt::sel(action));
            rt::send(label, "addGestureRecognizer:"_sel, r);
        }
        rt::send(label, "setUserInteractionEnabled:"_sel, true);
        uikit::display::install([this] { ++told; });
        // After the display's observer: the loop stops where it would sleep.
        loop.addBeforeWaitingObserver([this] { loop.stop(); });
    }
    // One spell of work, then the loop is about to sleep: what the display sees then.
    void turn(std::function<void()> work = [] {}) {
        loop.post(std::move(work));
        loop.run();
    }
    static bool ok(const Dictionary& d) { return fnd::valueForKey(d, "ok").boolValue(); }
    static std::string error(const Dictionary& d) {
        const std::string* e = fnd::valueForKey(d, "error").string();
        return e ? *e : "";
    }
};

} // namespace

TEST_F(Display, AViewerHearsOfTheScreenOnlyWhileItWatchesAndOnlyWhenThePictureChanged) {
    turn([&] { rt::send(label, "setText:"_sel, std::string("Rome")); });
    EXPECT_EQ(told, 0) << "no one watches";

    ASSERT_TRUE(ok(handle({{"command", Value("watch")}, {"seconds", Value(30)}})));
    turn();
    EXPECT_EQ(told, 1) << "a new watcher hears of the screen at once";
    turn([] {});
    turn([&] { rt::send(label, "setText:"_sel, std::string("Rome")); });
    EXPECT_EQ(told, 1) << "turns that leave the picture as it was say nothing";
    turn([&] { rt::send(label, "setText:"_sel, std::string("Oslo")); });
    EXPECT_EQ(told, 2);
    turn([&] { rt::send(label, "setHidden:"_sel, true); });
    EXPECT_EQ(told, 3);

    ASSERT_TRUE(ok(handle({{"command", Value("watch")}, {"seconds", Value(30)}})));
    turn();
    EXPECT_EQ(told, 3) << "a renewal is not a new watcher";

    clock->advanceBy(dsp::seconds(31));
    turn([&] { rt::send(label, "setHidden:"_sel, false); });
    EXPECT_EQ(told, 3) << "the lease ran out";
    EXPECT_NE(error(handle({{"command", Value("watch")}, {"seconds", Value(601)}})).find("0 to 600"),
              std::string::npos);
}

TEST_F(Display, TheFrameIsTheWindowOrOnlyWhatIsPresentedOverIt) {
    Dictionary frame = handle({{"command", Value("frame")}});
    ASSERT_TRUE(ok(frame));
    EXPECT_EQ(fnd::valueForKey(frame, "width"), Value(375.0));
    auto image = gfx::Image::decode(*fnd::valueForKey(frame, "png").data());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 750);
    EXPECT_EQ(image->pixel(5, 5) >> 24, 255u) << "the window's white page";

    Dictionary none = handle({{"command", Value("frame")}, {"presented-only", Value(true)}});
    ASSERT_TRUE(ok(none));
    EXPECT_FALSE(fnd::valueForKey(none, "png").data()) << "nothing is presented";

    auto alert = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIAlertController"),
                                                "alertControllerWithTitle:message:preferredStyle:"_sel,
                                                std::string("Enter Passcode"), std::string(""), 1L);
    rt::send(root, "presentViewController:animated:completion:"_sel, alert, false, rt::Block<void()>());
    Dictionary over = handle({{"command", Value("frame")}, {"presented-only", Value(true)}});
    auto overlay = gfx::Image::decode(*fnd::valueForKey(over, "png").data());
    ASSERT_TRUE(overlay);
    EXPECT_EQ(overlay->width(), 750);
    std::uint32_t corner = overlay->pixel(5, 5) >> 24;
    EXPECT_GT(corner, 80u);
    EXPECT_LT(corner, 130u) << "the alert's dimming alone, without the page under it";
    EXPECT_EQ(overlay->pixel(375, 667) >> 24, 255u) << "the alert's box";
}

TEST_F(Display, AHandAtTheScreenTapsHoldsAndTypes) {
    auto touch = [&](const char* phase) {
        return handle({{"command", Value("touch")}, {"phase", Value(phase)}, {"x", Value(40)}, {"y", Value(110)}});
    };
    EXPECT_NE(error(touch("up")).find("no finger is down"), std::string::npos);
    ASSERT_TRUE(ok(touch("down")));
    EXPECT_NE(error(touch("down")).find("a finger is still down"), std::string::npos);
    ASSERT_TRUE(ok(touch("up")));
    EXPECT_EQ(uitest::recognised(), (std::vector<std::string>{"tap 3"}));

    uitest::recognised().clear();
    ASSERT_TRUE(ok(touch("down")));
    loop.runFor(dsp::seconds(1.2)); // held: a long press for as long as it is held
    EXPECT_EQ(uitest::recognised(), (std::vector<std::string>{"press 1"}));
    ASSERT_TRUE(ok(touch("up")));
    EXPECT_EQ(uitest::recognised(), (std::vector<std::string>{"press 1", "press 3"}));
    EXPECT_NE(error(handle({{"command", Value("touch")}, {"phase", Value("hover")}, {"x", Value(1)}, {"y", Value(1)}}))
                  .find("down, move or up"),
              std::string::npos);

    EXPECT_NE(error(handle({{"command", Value("keys")}, {"text", Value("a")}})).find("no alert"), std::string::npos);
    rt::send<bool>(field, "becomeFirstResponder"_sel);
    ASSERT_TRUE(ok(handle({{"command", Value("keys")}, {"text", Value("Ros")}})));
    ASSERT_TRUE(ok(handle({{"command", Value("keys")}, {"text", Value("\xc3\xa9")}}))); // é
    EXPECT_EQ(rt::send<std::string>(field, "text"_sel), "Ros\xc3\xa9");
    ASSERT_TRUE(ok(handle({{"command", Value("keys")}, {"delete", Value(2)}})));
    EXPECT_EQ(rt::send<std::string>(field, "text"_sel), "Ro") << "characters, not bytes";
    ASSERT_TRUE(ok(handle({{"command", Value("keys")}, {"delete", Value(9)}})));
    EXPECT_EQ(rt::send<std::string>(field, "text"_sel), "");

    // With an alert up, the keys go to its field, and a tap on its button presses it.
    std::string answered;
    uitest::presentFieldAlert(root, "Enter Passcode", answered);
    ASSERT_TRUE(ok(handle({{"command", Value("keys")}, {"text", Value("12")}})));
    ASSERT_TRUE(ok(handle({{"command", Value("keys")}, {"text", Value("34")}})));
    Dictionary ok34 = handle({{"command", Value("find")}, {"text", Value("OK")}});
    ASSERT_TRUE(ok(ok34));
    double x = *fnd::valueForKey(ok34, "x").real(), y = *fnd::valueForKey(ok34, "y").real();
    for (const char* phase : {"down", "up"})
        ASSERT_TRUE(
            ok(handle({{"command", Value("touch")}, {"phase", Value(phase)}, {"x", Value(x)}, {"y", Value(y)}})));
    loop.runFor(dsp::seconds(1));
    EXPECT_EQ(answered, "1234");
}
