// Views: tag search order, hit-testing, layout passes on the run loop, and
// block animations on the loop's clock.

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIView.h"
#include "tests/sim/uikit/MainLoopFixture.h"

#include <gtest/gtest.h>

using rt::Ref;
using namespace rt::literals;
using uikit::CGPoint;
using uikit::CGRect;

namespace {

struct Ui : uitest::MainLoopTest {

    static Ref<rt::Object> view(double x, double y, double w, double h, long tag = 0) {
        auto v = uikit::makeView(gfx::CGRectMake(x, y, w, h));
        rt::send(v, "setTag:"_sel, tag);
        return v;
    }
    static void add(const Ref<rt::Object>& parent, const Ref<rt::Object>& child) {
        rt::send(parent, "addSubview:"_sel, child);
    }
    static Ref<rt::Object> hit(const Ref<rt::Object>& root, double x, double y) {
        return rt::send<Ref<rt::Object>>(root, "hitTest:withEvent:"_sel, CGPoint{x, y}, Ref<rt::Object>());
    }
};

int g_layouts = 0;
rt::Orig<void()> g_origLayout;
void countingLayout(rt::Id self, rt::Sel cmd) {
    if (rt::send<long>(self, "tag"_sel) == 7) ++g_layouts;
    g_origLayout(self, cmd);
}

} // namespace

TEST_F(Ui, ViewWithTagLooksAtSelfThenSubviewsDepthFirstInTheOrderAdded) {
    auto root = view(0, 0, 375, 667, 1);
    auto older = view(0, 0, 10, 10);
    auto nested = view(0, 0, 5, 5, 204);
    auto newer = view(0, 0, 10, 10, 204);
    add(root, older);
    add(older, nested);
    add(root, newer);
    EXPECT_EQ(rt::send<Ref<rt::Object>>(root, "viewWithTag:"_sel, 1L).get(), root.get());
    EXPECT_EQ(rt::send<Ref<rt::Object>>(root, "viewWithTag:"_sel, 204L).get(), nested.get())
        << "the first branch is searched to its depth before the next sibling";
    rt::send(nested, "removeFromSuperview"_sel);
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(nested, "superview"_sel));
    EXPECT_EQ(rt::send<Ref<rt::Object>>(root, "viewWithTag:"_sel, 204L).get(), newer.get());
    add(root, nested); // now the youngest
    EXPECT_EQ(rt::send<Ref<rt::Object>>(root, "viewWithTag:"_sel, 204L).get(), newer.get());
    rt::send(root, "bringSubviewToFront:"_sel, older);
    auto order = rt::send<std::vector<Ref<rt::Object>>>(root, "subviews"_sel);
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order.back().get(), older.get());
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(root, "viewWithTag:"_sel, 99L));
    EXPECT_DEATH(rt::send(older, "addSubview:"_sel, root), "its own subtree");
}

TEST_F(Ui, TouchesPassThroughViewsThatTakeNoneToTheViewsBelow) {
    auto root = view(0, 0, 375, 667);
    auto button = view(100, 100, 100, 50);
    auto overlay = view(50, 50, 200, 200, 204);
    add(root, button);
    add(root, overlay);
    EXPECT_EQ(hit(root, 120, 120).get(), overlay.get());
    rt::send(overlay, "setUserInteractionEnabled:"_sel, false);
    EXPECT_EQ(hit(root, 120, 120).get(), button.get()) << "an overlay that takes no touches lets them through";
    rt::send(overlay, "setUserInteractionEnabled:"_sel, true);
    rt::send(overlay, "setAlpha:"_sel, 0.0);
    EXPECT_EQ(hit(root, 120, 120).get(), button.get());
    rt::send(overlay, "setAlpha:"_sel, 1.0);
    rt::send(overlay, "setHidden:"_sel, true);
    EXPECT_EQ(hit(root, 120, 120).get(), button.get());
    EXPECT_EQ(hit(root, 10, 10).get(), root.get());
    EXPECT_FALSE(hit(root, 400, 10));
    // A subview's own coordinates: the point converts through the frames.
    auto inner = view(10, 10, 20, 20);
    add(button, inner);
    EXPECT_EQ(hit(root, 115, 115).get(), inner.get());
    EXPECT_EQ(rt::send<CGPoint>(inner, "convertPoint:toView:"_sel, CGPoint{1, 2}, root), (CGPoint{111, 112}));
}

TEST_F(Ui, AFadeInThenADelayedFadeOutRemovesTheOverlayAfterOneSixSeconds) {
    auto host = view(0, 0, 375, 667);
    auto overlay = view(97.5, 303.5, 180, 45, 204);
    rt::send(overlay, "setAlpha:"_sel, 0.0);
    rt::send(overlay, "setBackgroundColor:"_sel,
             rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("UIColor"), "blackColor"_sel),
                                       "colorWithAlphaComponent:"_sel, 0.8));
    add(host, overlay);
    rt::Class* viewClass = rt::getClass("UIView");
    auto fadeOut = [=](bool) {
        rt::sendClass(viewClass, "animateWithDuration:delay:options:animations:completion:"_sel, 0.3, 1.0, 2UL,
                      rt::Block<void()>([=] { rt::send(overlay, "setAlpha:"_sel, 0.0); }),
                      rt::Block<void(bool)>([=](bool) { rt::send(overlay, "removeFromSuperview"_sel); }));
    };
    rt::sendClass(viewClass, "animateWithDuration:delay:options:animations:completion:"_sel, 0.3, 0.0, 2UL,
                  rt::Block<void()>([=] { rt::send(overlay, "setAlpha:"_sel, 1.0); }), rt::Block<void(bool)>(fadeOut));
    EXPECT_EQ(rt::send<double>(overlay, "alpha"_sel), 1.0) << "the model value changes at once";
    loop.runFor(dsp::seconds(0.3));
    EXPECT_EQ(rt::send<double>(overlay, "alpha"_sel), 0.0) << "the fade-out has begun";
    loop.runFor(dsp::seconds(1.2)); // 1.5 s in
    EXPECT_EQ(rt::send<Ref<rt::Object>>(host, "viewWithTag:"_sel, 204L).get(), overlay.get()) << "removed too early";
    loop.runFor(dsp::seconds(0.1)); // 1.6 s in
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(host, "viewWithTag:"_sel, 204L));
    EXPECT_EQ(uikit::rgbaOf(rt::send<Ref<rt::Object>>(overlay, "backgroundColor"_sel).get()),
              (uikit::Rgba{0, 0, 0, 0.8}));
}

TEST_F(Ui, AHookedLayoutSubviewsRunsOnEveryLayoutPass) {
    ASSERT_TRUE((rt::hookMessage<&countingLayout>(rt::getClass("UIView"), "layoutSubviews"_sel, &g_origLayout)));
    auto root = view(0, 0, 375, 667);
    auto bar = view(0, 600, 375, 67, 7);
    add(root, bar);
    EXPECT_EQ(g_layouts, 0) << "layout waits for the run loop";
    loop.runUntilIdle();
    EXPECT_EQ(g_layouts, 1);
    rt::send(bar, "setNeedsLayout"_sel);
    rt::send(bar, "setNeedsLayout"_sel);
    loop.runUntilIdle();
    EXPECT_EQ(g_layouts, 2) << "two requests before a pass make one layout";
    rt::send(bar, "setFrame:"_sel, gfx::CGRectMake(0, 500, 375, 167));
    loop.runUntilIdle();
    EXPECT_EQ(g_layouts, 3) << "a new size lays the view out again";
    rt::send(bar, "setCenter:"_sel, CGPoint{100, 100});
    loop.runUntilIdle();
    EXPECT_EQ(g_layouts, 3) << "moving it does not";
    EXPECT_EQ(rt::send<CGRect>(bar, "frame"_sel), gfx::CGRectMake(-87.5, 16.5, 375, 167));
    rt::send(bar, "setNeedsLayout"_sel);
    rt::send(root, "layoutIfNeeded"_sel);
    EXPECT_EQ(g_layouts, 4) << "layoutIfNeeded lays out the subtree at once";
    auto layer = rt::send<Ref<rt::Object>>(bar, "layer"_sel);
    rt::send(layer, "setCornerRadius:"_sel, 15.0);
    EXPECT_EQ(rt::send<double>(layer, "cornerRadius"_sel), 15.0);
}
