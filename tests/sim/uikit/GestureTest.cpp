// Tap and long-press recognition from touch sequences, on the manual clock.

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/UIGestureRecognizer.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIView.h"
#include "tests/sim/uikit/MainLoopFixture.h"

#include <gtest/gtest.h>

using rt::Ref;
using namespace rt::literals;
using gfx::CGPoint;

namespace {

std::vector<long> g_states;
void handle(rt::Id, rt::Sel, Ref<rt::Object> recognizer) {
    g_states.push_back(rt::send<long>(recognizer, "state"_sel));
}
bool refuse(rt::Id, rt::Sel, Ref<rt::Object>) { return false; }
int g_bare = 0;
void bare(rt::Id, rt::Sel) { ++g_bare; }

struct Gestures : uitest::MainLoopTest {
    Ref<rt::Object> window, tile, sink;

    void SetUp() override {
        MainLoopTest::SetUp();
        rt::Class* cls = rt::getClass("GestureSink");
        if (!cls) {
            cls = rt::defineClass("GestureSink");
            rt::addMethod<&handle>(cls, "handle:"_sel, "v@:@");
            rt::addMethod<&bare>(cls, "bare"_sel, "v@:");
        }
        sink = rt::sendClass<Ref<rt::Object>>(cls, "new"_sel);
        window = uikit::makeView(gfx::CGRectMake(0, 0, 375, 667), rt::getClass("UIWindow"));
        tile = uikit::makeView(gfx::CGRectMake(100, 100, 100, 100));
        rt::send(window, "addSubview:"_sel, tile);
    }

    Ref<rt::Object> recognizer(const char* cls) {
        auto r = rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass(cls), "alloc"_sel),
                                           "initWithTarget:action:"_sel, sink, rt::sel("handle:"));
        rt::send(tile, "addGestureRecognizer:"_sel, r);
        return r;
    }
};

} // namespace

TEST_F(Gestures, ALongPressBeginsOnlyAfterItsMinimumDurationThenChangesAndEnds) {
    auto press = recognizer("UILongPressGestureRecognizer");
    EXPECT_EQ(rt::send<Ref<rt::Object>>(press, "view"_sel).get(), tile.get());
    rt::send(press, "setMinimumPressDuration:"_sel, 0.5);
    uikit::touchDown(window, {150, 150});
    loop.runFor(dsp::seconds(0.49));
    EXPECT_EQ(rt::send<long>(press, "state"_sel), uikit::UIGestureRecognizerStatePossible);
    EXPECT_TRUE(g_states.empty()) << "nothing before the minimum duration";
    loop.runFor(dsp::seconds(0.01));
    EXPECT_EQ(g_states, (std::vector<long>{uikit::UIGestureRecognizerStateBegan}));
    uikit::touchMove({160, 150});
    uikit::touchUp({160, 150});
    EXPECT_EQ(g_states, (std::vector<long>{uikit::UIGestureRecognizerStateBegan, uikit::UIGestureRecognizerStateChanged,
                                           uikit::UIGestureRecognizerStateEnded}));
    EXPECT_EQ(rt::send<CGPoint>(press, "locationInView:"_sel, tile), (CGPoint{60, 50}));

    // Lifted early: it fails and says nothing; once the touch is over it is
    // ready again, as after a press that ended.
    g_states.clear();
    uikit::touchDown(window, {150, 150});
    loop.runFor(dsp::seconds(0.3));
    uikit::touchUp({150, 150});
    loop.runFor(dsp::seconds(1));
    EXPECT_TRUE(g_states.empty());
    EXPECT_EQ(rt::send<long>(press, "state"_sel), uikit::UIGestureRecognizerStatePossible);
}

TEST_F(Gestures, ATapIsADownAndUpInPlaceAndGoesThroughViewsThatTakeNoTouches) {
    auto tap = recognizer("UITapGestureRecognizer");
    auto overlay = uikit::makeView(gfx::CGRectMake(0, 0, 375, 667));
    rt::send(overlay, "setUserInteractionEnabled:"_sel, false);
    rt::send(window, "addSubview:"_sel, overlay);
    uikit::touchDown(window, {120, 120});
    uikit::touchUp({122, 121});
    EXPECT_EQ(g_states, (std::vector<long>{uikit::UIGestureRecognizerStateEnded}));
    uikit::touchDown(window, {120, 120});
    uikit::touchMove({150, 120});
    uikit::touchUp({150, 120});
    EXPECT_EQ(g_states.size(), 1u) << "a drag is no tap";
    uikit::touchDown(window, {20, 20}); // outside the tile
    uikit::touchUp({20, 20});
    EXPECT_EQ(g_states.size(), 1u);

    rt::Class* refuser = rt::defineClass("RefusingDelegate");
    rt::addMethod<&refuse>(refuser, "gestureRecognizerShouldBegin:"_sel);
    auto delegate = rt::sendClass<Ref<rt::Object>>(refuser, "new"_sel); // not retained by the recogniser
    rt::send(tap, "setDelegate:"_sel, delegate);
    uikit::touchDown(window, {120, 120});
    uikit::touchUp({120, 120});
    EXPECT_EQ(g_states.size(), 1u) << "a delegate that says no stops it";
    rt::send(tile, "removeGestureRecognizer:"_sel, tap);
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(tap, "view"_sel));
}

TEST_F(Gestures, ADoubleTapNeedsTwoTapsCloseTogetherAndAnActionWithoutColonGetsNoArgument) {
    auto doubleTap = recognizer("UITapGestureRecognizer");
    EXPECT_EQ(rt::send<long>(doubleTap, "numberOfTapsRequired"_sel), 1);
    rt::send(doubleTap, "setNumberOfTapsRequired:"_sel, 2L);
    auto tapOnce = [&] {
        uikit::touchDown(window, {150, 150});
        uikit::touchUp({150, 150});
    };
    tapOnce();
    EXPECT_TRUE(g_states.empty()) << "one tap of two";
    loop.runFor(dsp::seconds(0.5));
    tapOnce();
    EXPECT_TRUE(g_states.empty()) << "too long after the first: a new first tap";
    loop.runFor(dsp::seconds(0.2));
    tapOnce();
    EXPECT_EQ(g_states, (std::vector<long>{uikit::UIGestureRecognizerStateEnded}));

    auto single =
        rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("UITapGestureRecognizer"), "alloc"_sel),
                                  "initWithTarget:action:"_sel, sink, rt::sel("bare"));
    auto other = uikit::makeView(gfx::CGRectMake(0, 300, 100, 100));
    rt::send(window, "addSubview:"_sel, other);
    rt::send(other, "addGestureRecognizer:"_sel, single);
    uikit::touchDown(window, {50, 350});
    uikit::touchUp({50, 350});
    EXPECT_EQ(g_bare, 1) << "sent as \"v@:\"";
}
