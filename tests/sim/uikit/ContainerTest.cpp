// Navigation and tab bar controllers: the stack, the shown view, the tab
// bar's items and a hook on the tab bar's layout.

#include <gtest/gtest.h>

#include "tests/sim/uikit/MainLoopFixture.h"

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIView.h"

using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

namespace {

int g_barLayouts = 0;
rt::Orig<void()> g_origBarLayout;
void hideBarAfterLayout(rt::Id self, rt::Sel cmd) {
    g_origBarLayout(self, cmd);
    ++g_barLayouts;
    rt::send(self, "setHidden:"_sel, true);
}

struct Containers : uitest::MainLoopTest {
    static Ref<rt::Object> controller(const std::string& title) {
        auto c = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIViewController"), "new"_sel);
        rt::send(c, "setTitle:"_sel, title);
        return c;
    }
    static Ref<rt::Object> superviewOfView(const Ref<rt::Object>& c) {
        return rt::send<Ref<rt::Object>>(rt::send<Ref<rt::Object>>(c, "view"_sel), "superview"_sel);
    }
};

} // namespace

TEST_F(Containers, ANavigationStackShowsItsTopAndPopsBackToItsRoot) {
    auto albums = controller("Albums");
    auto nav = rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("UINavigationController"), "alloc"_sel),
                                         "initWithRootViewController:"_sel, albums);
    auto container = rt::send<Ref<rt::Object>>(nav, "view"_sel);
    EXPECT_EQ(superviewOfView(albums).get(), container.get());
    EXPECT_EQ(rt::send<gfx::CGRect>(rt::send<Ref<rt::Object>>(albums, "view"_sel), "frame"_sel).origin.y, 44);
    auto trip = controller("Trips");
    auto photo = controller("Photo");
    rt::send(nav, "pushViewController:animated:"_sel, trip, true);
    rt::send(nav, "pushViewController:animated:"_sel, photo, false);
    EXPECT_EQ(rt::send<Ref<rt::Object>>(nav, "topViewController"_sel).get(), photo.get());
    EXPECT_FALSE(superviewOfView(trip)) << "only the top controller's view is shown";
    auto popped = rt::send<Objects>(nav, "popToRootViewControllerAnimated:"_sel, true);
    EXPECT_EQ(popped.size(), 2u);
    EXPECT_EQ(rt::send<Objects>(nav, "viewControllers"_sel).size(), 1u);
    EXPECT_EQ(superviewOfView(albums).get(), container.get());
    EXPECT_FALSE(superviewOfView(photo));
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(nav, "popViewControllerAnimated:"_sel, false)) << "the root stays";
}

TEST_F(Containers, TheTabBarListsOneItemPerTabAndAHookOnItsLayoutRunsEachPass) {
    ASSERT_TRUE((rt::hookMessage<&hideBarAfterLayout>(rt::getClass("UITabBar"), "layoutSubviews"_sel, &g_origBarLayout)));
    auto tabs = rt::sendClass<Ref<rt::Object>>(rt::getClass("UITabBarController"), "new"_sel);
    auto photos = controller("Photos"), albums = controller("Albums");
    rt::send(tabs, "setViewControllers:"_sel, Objects{photos, albums});
    auto bar = rt::send<Ref<rt::Object>>(tabs, "tabBar"_sel);
    auto items = rt::send<Objects>(bar, "items"_sel);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(rt::send<std::string>(items[1], "title"_sel), "Albums");
    EXPECT_EQ(superviewOfView(photos).get(), rt::send<Ref<rt::Object>>(tabs, "view"_sel).get());
    rt::send(tabs, "setSelectedIndex:"_sel, 1L);
    EXPECT_EQ(rt::send<Ref<rt::Object>>(tabs, "selectedViewController"_sel).get(), albums.get());
    EXPECT_FALSE(superviewOfView(photos));
    EXPECT_FALSE(rt::send<bool>(bar, "isHidden"_sel));
    loop.runUntilIdle();
    EXPECT_GE(g_barLayouts, 1);
    EXPECT_TRUE(rt::send<bool>(bar, "isHidden"_sel)) << "the hook ran after the stock layout";
    EXPECT_EQ(rt::send<Objects>(bar, "subviews"_sel).size(), 2u) << "one label per item";
}
