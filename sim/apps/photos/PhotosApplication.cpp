// The Photos app's frame: PhotosApplication, the tabbed library with its
// four tabs by content mode, the navigation controller of each tab, and the
// two plain tabs (For You, Shared).

#include "sim/apps/host/Views.h"
#include "sim/apps/photos/Photos.h"
#include "sim/foundation/Value.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIScreen.h"

namespace photosapp {

using rt::Ref;
using namespace rt::literals;
namespace views = apps::views;

namespace {

rt::Class* g_tabs = nullptr;
rt::Class* g_nav = nullptr;
rt::Class* g_app = nullptr;
const char kTabbedKey = 0;

// Content modes: 0 Photos (iOS 12), 11 For You, 12 Shared, 13 Albums.
struct Tab {
    long mode;
    const char* title;
    const char* rootClass;
};
constexpr Tab kTabs[] = {{0, "Photos", "PUZoomableGridViewController"},
                         {11, "For You", "PUForYouViewController"},
                         {12, "Shared", "PUCloudFeedViewController"},
                         {13, "Albums", "PUAlbumsGadgetViewController"}};

void didFinishLaunching(rt::Id self, rt::Sel cmd, Ref<rt::Object> app) {
    rt::sendSuper(g_app, self, cmd, app);
    auto tabs = rt::sendClass<Ref<rt::Object>>(g_tabs, "new"_sel);
    self->setAssociated(&kTabbedKey, tabs);
    views::showWindow(tabs);
}
Ref<rt::Object> tabbedLibrary(rt::Id self, rt::Sel) { return self->associated(&kTabbedKey); }

fnd::Array excludedContentModes(rt::Id, rt::Sel) { return {}; }

// The tabs are the content modes the library does not exclude.
void tabsDidLoad(rt::Id self, rt::Sel) {
    fnd::Array excluded = rt::send<fnd::Array>(Ref<rt::Object>(self), "excludedContentModes"_sel);
    auto isExcluded = [&](long mode) {
        for (const auto& v : excluded)
            if (v.integer() && *v.integer() == mode) return true;
        return false;
    };
    Objects controllers;
    for (const Tab& t : kTabs) {
        if (isExcluded(t.mode)) continue;
        auto root = rt::sendClass<Ref<rt::Object>>(rt::getClass(t.rootClass), "new"_sel);
        rt::send(root, "setTitle:"_sel, std::string(t.title));
        auto nav = rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(g_nav, "alloc"_sel),
                                             "initWithRootViewController:"_sel, root);
        rt::send(nav, "setTitle:"_sel, std::string(t.title));
        controllers.push_back(nav);
    }
    rt::send(Ref<rt::Object>(self), "setViewControllers:"_sel, controllers);
    if (!controllers.empty()) updateTabBarFor(rt::send<Ref<rt::Object>>(controllers[0], "topViewController"_sel));
}

Ref<rt::Object> selectedNavigationController(rt::Id self, rt::Sel) {
    return rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "selectedViewController"_sel);
}
void selectTab(rt::Id self, rt::Sel cmd, long index) {
    rt::sendSuper(g_tabs, self, cmd, index);
    if (auto nav = rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "selectedViewController"_sel))
        updateTabBarFor(rt::send<Ref<rt::Object>>(nav, "topViewController"_sel));
}

// A tab's navigation: the tab bar follows the controller on top.
void navPush(rt::Id self, rt::Sel cmd, Ref<rt::Object> next, bool animated) {
    rt::sendSuper(g_nav, self, cmd, next, animated);
    updateTabBarFor(next);
}
Ref<rt::Object> navPop(rt::Id self, rt::Sel cmd, bool animated) {
    auto gone = rt::sendSuper<Ref<rt::Object>>(g_nav, self, cmd, animated);
    updateTabBarFor(rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "topViewController"_sel));
    return gone;
}
Objects navPopToRoot(rt::Id self, rt::Sel cmd, bool animated) {
    auto gone = rt::sendSuper<Objects>(g_nav, self, cmd, animated);
    updateTabBarFor(rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "topViewController"_sel));
    return gone;
}

// For You and Shared: pages with a line of text, as on a library with no
// memories or shared activity.
void plainPage(rt::Id self, const std::string& heading, const std::string& line) {
    gfx::CGSize screen = uikit::screenModel().size;
    auto page = views::box({{0, 0}, screen}, views::kWhite);
    views::add(page, views::label({{20, 120}, {screen.width - 40, 34}}, heading, 28, views::kBlack, 1, true));
    views::add(page, views::label({{20, 164}, {screen.width - 40, 22}}, line, 15, views::kSecondaryText, 1));
    rt::send(Ref<rt::Object>(self), "setView:"_sel, page);
}
void forYouLoad(rt::Id self, rt::Sel) { plainPage(self, "For You", "Memories and suggestions appear here."); }
void sharedLoad(rt::Id self, rt::Sel) { plainPage(self, "Shared", "No shared activity."); }

} // namespace

void updateTabBarFor(const Ref<rt::Object>& controller) {
    if (!controller) return;
    auto tabs = rt::send<Ref<rt::Object>>(controller, "tabBarController"_sel);
    if (!tabs) return;
    bool visible = true;
    if (rt::respondsTo(controller.get(), "pu_wantsTabBarVisible"_sel))
        visible = rt::send<bool>(controller, "pu_wantsTabBarVisible"_sel);
    if (rt::respondsTo(controller.get(), "alwaysHideTabBar"_sel) && rt::send<bool>(controller, "alwaysHideTabBar"_sel))
        visible = false;
    rt::send(rt::send<Ref<rt::Object>>(tabs, "tabBar"_sel), "setHidden:"_sel, !visible);
}

void openAlbum(const Ref<rt::Object>& from, const Ref<rt::Object>& collection) {
    auto nav = rt::send<Ref<rt::Object>>(from, "navigationController"_sel);
    if (!nav || !collection) return;
    if (isFolder(collection)) {
        auto list = rt::sendClass<Ref<rt::Object>>(rt::getClass("PUAlbumListViewController"), "new"_sel);
        rt::send(list, "setCollectionList:"_sel, collection);
        rt::send(nav, "pushViewController:animated:"_sel, list, true);
        return;
    }
    auto grid = rt::sendClass<Ref<rt::Object>>(rt::getClass("PUPhotosAlbumViewController"), "new"_sel);
    rt::send(grid, "setAssetCollection:fetchResultContainingAssetCollection:filterPredicate:existingFetchResults:"_sel,
             collection, Ref<rt::Object>(), Ref<rt::Object>(), Ref<rt::Object>());
    rt::send(nav, "pushViewController:animated:"_sel, grid, true);
}

void presentSheet(const Ref<rt::Object>& from, const std::string& title, const std::string& message, long style,
                  std::vector<SheetAction> actions, const Ref<rt::Object>& anchor) {
    auto sheet =
        rt::sendClass<Ref<rt::Object>>(rt::getClass("UIAlertController"),
                                       "alertControllerWithTitle:message:preferredStyle:"_sel, title, message, style);
    for (auto& a : actions) {
        auto handler = std::move(a.handler);
        rt::send(sheet, "addAction:"_sel,
                 rt::sendClass<Ref<rt::Object>>(rt::getClass("UIAlertAction"), "actionWithTitle:style:handler:"_sel,
                                                a.title, a.style,
                                                rt::Block<void(Ref<rt::Object>)>([handler](Ref<rt::Object>) {
                                                    if (handler) handler();
                                                })));
    }
    if (style == uikit::UIAlertControllerStyleActionSheet && uikit::screenModel().idiom == 1) {
        Ref<rt::Object> source = anchor ? anchor : rt::send<Ref<rt::Object>>(from, "view"_sel);
        auto popover = rt::send<Ref<rt::Object>>(sheet, "popoverPresentationController"_sel);
        rt::send(popover, "setSourceView:"_sel, source);
        rt::send(popover, "setSourceRect:"_sel, rt::send<gfx::CGRect>(source, "bounds"_sel));
    }
    rt::send(from, "presentViewController:animated:completion:"_sel, sheet, true, rt::Block<void()>());
}

void defineTabs() {
    rt::Class* base = rt::getClass("UIApplication");
    g_app = rt::getClass("PhotosApplication");
    if (!g_app) g_app = rt::defineClass("PhotosApplication", base);
    rt::addMethod<&didFinishLaunching>(g_app, "applicationDidFinishLaunching:"_sel);
    rt::addMethod<&tabbedLibrary>(g_app, "_tabbedLibraryViewController"_sel);

    g_tabs = rt::defineClass("PUTabbedLibraryViewController", rt::getClass("UITabBarController"));
    rt::addMethod<&excludedContentModes>(g_tabs, "excludedContentModes"_sel);
    rt::addMethod<&tabsDidLoad>(g_tabs, "viewDidLoad"_sel);
    rt::addMethod<&selectedNavigationController>(g_tabs, "selectedNavigationController"_sel);
    rt::addMethod<&selectTab>(g_tabs, "setSelectedIndex:"_sel);

    g_nav = rt::defineClass("PUNavigationController", rt::getClass("UINavigationController"));
    rt::addMethod<&navPush>(g_nav, "pushViewController:animated:"_sel);
    rt::addMethod<&navPop>(g_nav, "popViewControllerAnimated:"_sel);
    rt::addMethod<&navPopToRoot>(g_nav, "popToRootViewControllerAnimated:"_sel);

    rt::Class* forYou = rt::defineClass("PUForYouViewController", rt::getClass("UIViewController"));
    rt::addMethod<&forYouLoad>(forYou, "loadView"_sel);
    rt::Class* shared = rt::defineClass("PUCloudFeedViewController", rt::getClass("UIViewController"));
    rt::addMethod<&sharedLoad>(shared, "loadView"_sel);
}

} // namespace photosapp
