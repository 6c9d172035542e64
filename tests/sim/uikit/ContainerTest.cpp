// Navigation and tab bar controllers: the stack, the shown view, the tab
// bar's items and a hook on the tab bar's layout.

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIView.h"
#include "tests/sim/uikit/MainLoopFixture.h"

#include <gtest/gtest.h>

using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;
using fnd::Dictionary;
using fnd::Value;

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
    auto nav =
        rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("UINavigationController"), "alloc"_sel),
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
    ASSERT_TRUE(
        (rt::hookMessage<&hideBarAfterLayout>(rt::getClass("UITabBar"), "layoutSubviews"_sel, &g_origBarLayout)));
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

namespace {
int g_edits = 0;
void edit(rt::Id, rt::Sel, Ref<rt::Object> item) {
    if (rt::className(item.get()) == "UIBarButtonItem") ++g_edits;
}
Dictionary tapLabel(const std::string& label) {
    return uikit::automation::handle({{"command", Value("tap")}, {"label", Value(label)}});
}
} // namespace

TEST_F(Containers, TabsAreTappedAndBarsGoBackAndPressTheirItems) {
    auto window = uikit::makeView(gfx::CGRectMake(0, 0, 375, 667), rt::getClass("UIWindow"));
    auto tabs = rt::sendClass<Ref<rt::Object>>(rt::getClass("UITabBarController"), "new"_sel);
    auto albums = controller("Albums");
    auto nav =
        rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("UINavigationController"), "alloc"_sel),
                                  "initWithRootViewController:"_sel, albums);
    rt::send(nav, "setTitle:"_sel, std::string("Albums"));
    rt::send(tabs, "setViewControllers:"_sel, Objects{controller("Photos"), nav});
    rt::send(window, "setRootViewController:"_sel, tabs);
    rt::send(window, "makeKeyAndVisible"_sel);
    loop.runUntilIdle();

    ASSERT_TRUE(fnd::valueForKey(tapLabel("Albums"), "ok").boolValue());
    EXPECT_EQ(rt::send<long>(tabs, "selectedIndex"_sel), 1);
    EXPECT_FALSE(rt::send<bool>(rt::send<Ref<rt::Object>>(tabs, "tabBar"_sel), "hidden"_sel));

    rt::Class* editor = rt::defineClass("TestEditor");
    rt::addMethod<&edit>(editor, "edit:"_sel);
    auto target = rt::sendClass<Ref<rt::Object>>(editor, "new"_sel);
    auto trip = controller("Trips");
    auto item = rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("UIBarButtonItem"), "alloc"_sel),
                                          "initWithTitle:style:target:action:"_sel, std::string("Select"), 0L, target,
                                          rt::sel("edit:"));
    rt::send(rt::send<Ref<rt::Object>>(trip, "navigationItem"_sel), "setRightBarButtonItem:"_sel, item);
    rt::send(nav, "pushViewController:animated:"_sel, trip, false);
    loop.runUntilIdle();
    ASSERT_TRUE(fnd::valueForKey(tapLabel("Select"), "ok").boolValue());
    EXPECT_EQ(g_edits, 1);
    ASSERT_TRUE(fnd::valueForKey(tapLabel("\u2039 Albums"), "ok").boolValue());
    EXPECT_EQ(rt::send<Ref<rt::Object>>(nav, "topViewController"_sel).get(), albums.get());
    EXPECT_FALSE(fnd::valueForKey(tapLabel("Select"), "ok").boolValue()) << "the item left with its controller";
}
