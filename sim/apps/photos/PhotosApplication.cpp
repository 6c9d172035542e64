// The Photos app's frame: PhotosApplication, the tabbed library with its
// four tabs by content mode, the navigation controller of each tab, and the
// two plain tabs (For You, Shared).

#include "sim/apps/host/Views.h"
#include "sim/apps/photos/Photos.h"
#include "sim/foundation/Foundation.h"
#include "sim/foundation/Value.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIScreen.h"

namespace photosapp {

using namespace uikit;
using rt::Ref;
namespace views = apps::views;

namespace {

rt::Class* g_tabs = nullptr;
rt::Class* g_nav = nullptr;
rt::Class* g_app = nullptr;
const char kTabbedKey = 0;

// Content modes: the Photos (moments) tab is 0 up to iOS 12 and 10 on later
// systems (CoreFoundation above 1620); 11 For You, 12 Shared, 13 Albums.
struct Tab {
    long mode;
    const char* title;
    const char* rootClass;
};
constexpr long kMomentsMode = fnd::kCFCoreFoundationVersionNumber > 1620.0 ? 10 : 0;
constexpr Tab kTabs[] = {{kMomentsMode, "Photos", "PUZoomableGridViewController"},
                         {11, "For You", "PUForYouViewController"},
                         {12, "Shared", "PUCloudFeedViewController"},
                         {13, "Albums", "PUAlbumsGadgetViewController"}};

void didFinishLaunching(rt::Id self, rt::Sel cmd, Ref<rt::Object> app) {
    rt::sendSuper(g_app, self, cmd, app);
    UIViewController tabs = rt::sendClass<Ref<rt::Object>>(g_tabs, "new"_sel);
    self->setAssociated(&kTabbedKey, tabs);
    views::showWindow(tabs);
}
Ref<rt::Object> tabbedLibrary(rt::Id self, rt::Sel) { return self->associated(&kTabbedKey); }

fnd::Array excludedContentModes(rt::Id, rt::Sel) { return {}; }

// The tabs are the content modes the library does not exclude.
void tabsDidLoad(rt::Id self, rt::Sel) {
    UITabBarController me(self);
    fnd::Array excluded = rt::send<fnd::Array>(me, "excludedContentModes"_sel);
    auto isExcluded = [&](long mode) {
        for (const auto& v : excluded)
            if (v.integer() && *v.integer() == mode) return true;
        return false;
    };
    std::vector<UIViewController> controllers;
    for (const Tab& t : kTabs) {
        if (isExcluded(t.mode)) continue;
        UIViewController root = rt::sendClass<Ref<rt::Object>>(rt::getClass(t.rootClass), "new"_sel);
        root.setTitle(t.title);
        UINavigationController nav =
            UINavigationController(rt::sendClass<Ref<rt::Object>>(g_nav, "alloc"_sel)).initWithRootViewController(root);
        nav.setTitle(t.title);
        controllers.push_back(nav);
    }
    me.setViewControllers(controllers);
    if (!controllers.empty()) updateTabBarFor(UINavigationController(controllers[0]).topViewController());
}

UIViewController selectedNavigationController(rt::Id self, rt::Sel) {
    return UITabBarController(self).selectedViewController();
}
void selectTab(rt::Id self, rt::Sel cmd, long index) {
    rt::sendSuper(g_tabs, self, cmd, index);
    if (UINavigationController nav{UITabBarController(self).selectedViewController()})
        updateTabBarFor(nav.topViewController());
}

// A tab's navigation: the tab bar follows the controller on top.
void navPush(rt::Id self, rt::Sel cmd, UIViewController next, bool animated) {
    rt::sendSuper(g_nav, self, cmd, next, animated);
    updateTabBarFor(next);
}
UIViewController navPop(rt::Id self, rt::Sel cmd, bool animated) {
    UIViewController gone = rt::sendSuper<Ref<rt::Object>>(g_nav, self, cmd, animated);
    updateTabBarFor(UINavigationController(self).topViewController());
    return gone;
}
std::vector<UIViewController> navPopToRoot(rt::Id self, rt::Sel cmd, bool animated) {
    auto gone = rt::sendSuper<std::vector<UIViewController>>(g_nav, self, cmd, animated);
    updateTabBarFor(UINavigationController(self).topViewController());
    return gone;
}

// For You and Shared: pages with a line of text, as on a library with no
// memories or shared activity.
void plainPage(rt::Id self, const std::string& heading, const std::string& line) {
    CGSize screen = screenModel().size;
    UIView page = views::box({{0, 0}, screen}, views::kWhite);
    page.addSubview(
        views::label({{20, 120}, {screen.width - 40, 34}}, heading, 28, views::kBlack, NSTextAlignmentCenter, true));
    page.addSubview(
        views::label({{20, 164}, {screen.width - 40, 22}}, line, 15, views::kSecondaryText, NSTextAlignmentCenter));
    UIViewController(self).setView(page);
}
void forYouLoad(rt::Id self, rt::Sel) { plainPage(self, "For You", "Memories and suggestions appear here."); }
void sharedLoad(rt::Id self, rt::Sel) { plainPage(self, "Shared", "No shared activity."); }

} // namespace

void updateTabBarFor(const UIViewController& controller) {
    if (!controller) return;
    UITabBarController tabs = controller.tabBarController();
    if (!tabs) return;
    bool visible = true;
    if (controller.respondsToSelector("pu_wantsTabBarVisible"_sel))
        visible = rt::send<bool>(controller, "pu_wantsTabBarVisible"_sel);
    if (controller.respondsToSelector("alwaysHideTabBar"_sel) && rt::send<bool>(controller, "alwaysHideTabBar"_sel))
        visible = false;
    tabs.tabBar().setHidden(!visible);
}

void openAlbum(const UIViewController& from, const PHCollection& collection) {
    UINavigationController nav = from.navigationController();
    if (!nav || !collection) return;
    if (isFolder(collection)) {
        UIViewController list = rt::sendClass<Ref<rt::Object>>(rt::getClass("PUAlbumListViewController"), "new"_sel);
        rt::send(list, "setCollectionList:"_sel, collection);
        nav.pushViewController_animated(list, true);
        return;
    }
    UIViewController grid = rt::sendClass<Ref<rt::Object>>(rt::getClass("PUPhotosAlbumViewController"), "new"_sel);
    rt::send(grid, "setAssetCollection:fetchResultContainingAssetCollection:filterPredicate:existingFetchResults:"_sel,
             collection, nullptr, nullptr, nullptr);
    nav.pushViewController_animated(grid, true);
}

void presentSheet(const UIViewController& from, const std::string& title, const std::string& message,
                  UIAlertControllerStyle style, std::vector<SheetAction> actions, const UIView& anchor) {
    auto sheet = UIAlertController::alertControllerWithTitle_message_preferredStyle(title, message, style);
    for (auto& a : actions) {
        auto handler = std::move(a.handler);
        sheet.addAction(UIAlertAction::actionWithTitle_style_handler(a.title, a.style, [handler](UIAlertAction) {
            if (handler) handler();
        }));
    }
    if (style == UIAlertControllerStyleActionSheet && screenModel().idiom == UIUserInterfaceIdiomPad) {
        UIView source = anchor ? anchor : from.view();
        UIPopoverPresentationController popover = sheet.popoverPresentationController();
        popover.setSourceView(source);
        popover.setSourceRect(source.bounds());
    }
    from.presentViewController_animated_completion(sheet, true);
}

void defineTabs() {
    rt::Class* base = UIApplication::cls();
    g_app = rt::getClass("PhotosApplication");
    if (!g_app) g_app = rt::defineClass("PhotosApplication", base);
    rt::addMethod<&didFinishLaunching>(g_app, "applicationDidFinishLaunching:"_sel);
    rt::addMethod<&tabbedLibrary>(g_app, "_tabbedLibraryViewController"_sel);

    g_tabs = rt::defineClass("PUTabbedLibraryViewController", UITabBarController::cls());
    rt::addMethod<&excludedContentModes>(g_tabs, "excludedContentModes"_sel);
    rt::addMethod<&tabsDidLoad>(g_tabs, "viewDidLoad"_sel);
    rt::addMethod<&selectedNavigationController>(g_tabs, "selectedNavigationController"_sel);
    rt::addMethod<&selectTab>(g_tabs, "setSelectedIndex:"_sel);

    g_nav = rt::defineClass("PUNavigationController", UINavigationController::cls());
    rt::addMethod<&navPush>(g_nav, "pushViewController:animated:"_sel);
    rt::addMethod<&navPop>(g_nav, "popViewControllerAnimated:"_sel);
    rt::addMethod<&navPopToRoot>(g_nav, "popToRootViewControllerAnimated:"_sel);

    rt::Class* forYou = rt::defineClass("PUForYouViewController", UIViewController::cls());
    rt::addMethod<&forYouLoad>(forYou, "loadView"_sel);
    rt::Class* shared = rt::defineClass("PUCloudFeedViewController", UIViewController::cls());
    rt::addMethod<&sharedLoad>(shared, "loadView"_sel);
}

} // namespace photosapp
