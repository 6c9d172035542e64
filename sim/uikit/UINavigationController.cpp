#include "sim/uikit/UINavigationController.h"

#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIFont.h"
#include "sim/uikit/UILabel.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/UIViewController.h"

namespace uikit {

using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

namespace {

rt::Class* g_nav = nullptr;
rt::Class* g_tabs = nullptr;
rt::Class* g_tabBar = nullptr;
rt::Class* g_item = nullptr;

constexpr double kNavigationBarHeight = 44;
constexpr double kTabBarHeight = 49;

class ContainerObject : public ControllerObject {
public:
    using ControllerObject::ControllerObject;
    Objects children; // the navigation stack, or the tabs
    long selected = 0;
    Ref<rt::Object> bar;
};

class ItemObject : public rt::Object {
public:
    using Object::Object;
    std::string title;
    long tag = 0;
};

class TabBarObject : public ViewObject {
public:
    using ViewObject::ViewObject;
    Objects items;
};


// Shows `next` in the container's view, in place of `shown`.
void swapShown(ContainerObject* c, const Ref<rt::Object>& shown, const Ref<rt::Object>& next, bool animated, bool barOnTop) {
    auto container = rt::send<Ref<rt::Object>>(c, "view"_sel);
    gfx::CGRect bounds = rt::send<gfx::CGRect>(container, "bounds"_sel);
    if (shown && shown != next) {
        rt::send(shown, "viewWillDisappear:"_sel, animated);
        rt::send(rt::send<Ref<rt::Object>>(shown, "view"_sel), "removeFromSuperview"_sel);
        rt::send(shown, "viewDidDisappear:"_sel, animated);
    }
    if (!next) return;
    auto v = rt::send<Ref<rt::Object>>(next, "view"_sel);
    double barHeight = barOnTop ? kNavigationBarHeight : kTabBarHeight;
    gfx::CGRect frame = barOnTop ? gfx::CGRect{{0, barHeight}, {bounds.size.width, bounds.size.height - barHeight}}
                                 : gfx::CGRect{{0, 0}, {bounds.size.width, bounds.size.height - barHeight}};
    rt::send(v, "setFrame:"_sel, frame);
    rt::send(next, "viewWillAppear:"_sel, animated);
    rt::send(container, "insertSubview:atIndex:"_sel, v, 0L);
    rt::send(next, "viewDidAppear:"_sel, animated);
}

Ref<rt::Object> makeBar(rt::Class* cls, gfx::CGRect frame) {
    auto bar = makeView(frame, cls);
    rt::send(bar, "setBackgroundColor:"_sel, makeColor({0.97, 0.97, 0.97, 1}));
    return bar;
}

// ---- UINavigationController ---------------------------------------------------------------------
void loadNavigationView(ContainerObject* self, rt::Sel) {
    gfx::CGSize screen = screenModel().size;
    self->view = makeView({{0, 0}, screen});
    self->bar = makeBar(rt::getClass("UINavigationBar"), {{0, 0}, {screen.width, kNavigationBarHeight}});
    rt::send(self->view, "addSubview:"_sel, self->bar);
    if (!self->children.empty()) swapShown(self, nullptr, self->children.back(), false, true);
}

Ref<rt::Object> initWithRoot(ContainerObject* self, rt::Sel, Ref<rt::Object> root) {
    if (root) self->children.push_back(root);
    return Ref<rt::Object>(self);
}
Objects viewControllers(ContainerObject* self, rt::Sel) { return self->children; }
Ref<rt::Object> top(ContainerObject* self, rt::Sel) { return self->children.empty() ? nullptr : self->children.back(); }
Ref<rt::Object> visible(ContainerObject* self, rt::Sel) {
    if (self->presented) return self->presented;
    return top(self, nullptr);
}
Ref<rt::Object> navigationBar(ContainerObject* self, rt::Sel) {
    rt::send<Ref<rt::Object>>(self, "view"_sel);
    return self->bar;
}
void push(ContainerObject* self, rt::Sel, Ref<rt::Object> next, bool animated) {
    if (!next) return;
    Ref<rt::Object> shown = top(self, nullptr);
    self->children.push_back(next);
    if (self->view) swapShown(self, shown, next, animated, true);
}
Ref<rt::Object> pop(ContainerObject* self, rt::Sel, bool animated) {
    if (self->children.size() < 2) return nullptr;
    Ref<rt::Object> gone = self->children.back();
    self->children.pop_back();
    if (self->view) swapShown(self, gone, self->children.back(), animated, true);
    return gone;
}
Objects popToRoot(ContainerObject* self, rt::Sel, bool animated) {
    if (self->children.size() < 2) return {};
    Ref<rt::Object> shown = self->children.back();
    Objects gone(self->children.begin() + 1, self->children.end());
    self->children.resize(1);
    if (self->view) swapShown(self, shown, self->children.front(), animated, true);
    return gone;
}

// ---- UITabBarController ------------------------------------------------------------------------------------
void loadTabsView(ContainerObject* self, rt::Sel) {
    gfx::CGSize screen = screenModel().size;
    self->view = makeView({{0, 0}, screen});
    self->bar = makeBar(g_tabBar, {{0, screen.height - kTabBarHeight}, {screen.width, kTabBarHeight}});
    rt::send(self->view, "addSubview:"_sel, self->bar);
    if (!self->children.empty()) swapShown(self, nullptr, self->children[static_cast<std::size_t>(self->selected)], false, false);
}

void tabItemsFor(ContainerObject* self) {
    Objects items;
    for (const auto& c : self->children) {
        auto item = rt::createInstance<ItemObject>(g_item);
        item->title = rt::send<std::string>(c, "title"_sel);
        items.push_back(item);
    }
    rt::send(rt::send<Ref<rt::Object>>(self, "tabBar"_sel), "setItems:"_sel, items);
}

void setViewControllers(ContainerObject* self, rt::Sel, Objects controllers) {
    Ref<rt::Object> shown = self->children.empty() ? nullptr : self->children[static_cast<std::size_t>(self->selected)];
    self->children = std::move(controllers);
    self->selected = 0;
    if (self->view) swapShown(self, shown, self->children.empty() ? nullptr : self->children[0], false, false);
    tabItemsFor(self);
}
long selectedIndex(ContainerObject* self, rt::Sel) { return self->selected; }
void setSelectedIndex(ContainerObject* self, rt::Sel, long index) {
    if (index < 0 || index >= static_cast<long>(self->children.size()) || index == self->selected) return;
    Ref<rt::Object> shown = self->children[static_cast<std::size_t>(self->selected)];
    self->selected = index;
    if (self->view) swapShown(self, shown, self->children[static_cast<std::size_t>(index)], false, false);
}
Ref<rt::Object> selectedController(ContainerObject* self, rt::Sel) {
    return self->children.empty() ? nullptr : self->children[static_cast<std::size_t>(self->selected)];
}
Ref<rt::Object> tabBar(ContainerObject* self, rt::Sel) {
    rt::send<Ref<rt::Object>>(self, "view"_sel);
    return self->bar;
}

// ---- UITabBar and its items --------------------------------------------------------------------------------------
Objects items(TabBarObject* self, rt::Sel) { return self->items; }
void setItems(TabBarObject* self, rt::Sel, Objects items) {
    self->items = std::move(items);
    rt::send(self, "setNeedsLayout"_sel);
}
// One label per item, side by side across the bar.
void layoutTabBar(TabBarObject* self, rt::Sel) {
    rt::sendSuper(g_tabBar, self, "layoutSubviews"_sel);
    for (const auto& sub : Objects(self->subviews)) rt::send(sub, "removeFromSuperview"_sel);
    if (self->items.empty()) return;
    double w = self->frame.size.width / static_cast<double>(self->items.size());
    for (std::size_t i = 0; i < self->items.size(); ++i) {
        auto label = makeView({{w * static_cast<double>(i), 0}, {w, self->frame.size.height}}, rt::getClass("UILabel"));
        rt::send(label, "setText:"_sel, rt::send<std::string>(self->items[i], "title"_sel));
        rt::send(label, "setFont:"_sel, makeFont({10, false}));
        rt::send(label, "setTextAlignment:"_sel, 1L);
        rt::send(label, "setTextColor:"_sel, makeColor({0.3, 0.3, 0.3, 1}));
        rt::send(self, "addSubview:"_sel, label);
    }
    self->needsLayout = false; // adding the labels asked again; this pass has placed them
}

Ref<rt::Object> initItem(ItemObject* self, rt::Sel, std::string title, Ref<rt::Object>, long tag) {
    self->title = std::move(title);
    self->tag = tag;
    return Ref<rt::Object>(self);
}
std::string itemTitle(ItemObject* self, rt::Sel) { return self->title; }
long itemTag(ItemObject* self, rt::Sel) { return self->tag; }

} // namespace

void defineContainers() {
    rt::Class* controller = rt::getClass("UIViewController");
    g_nav = rt::defineClass("UINavigationController", controller, rt::factoryOf<ContainerObject>);
    rt::addMethod<&loadNavigationView>(g_nav, "loadView"_sel);
    rt::addMethod<&initWithRoot>(g_nav, "initWithRootViewController:"_sel);
    rt::addMethod<&viewControllers>(g_nav, "viewControllers"_sel);
    rt::addMethod<&top>(g_nav, "topViewController"_sel);
    rt::addMethod<&visible>(g_nav, "visibleViewController"_sel);
    rt::addMethod<&navigationBar>(g_nav, "navigationBar"_sel);
    rt::addMethod<&push>(g_nav, "pushViewController:animated:"_sel);
    rt::addMethod<&pop>(g_nav, "popViewControllerAnimated:"_sel);
    rt::addMethod<&popToRoot>(g_nav, "popToRootViewControllerAnimated:"_sel);
    rt::defineClass("UINavigationBar", rt::getClass("UIView"), rt::factoryOf<ViewObject>);

    g_tabBar = rt::defineClass("UITabBar", rt::getClass("UIView"), rt::factoryOf<TabBarObject>);
    rt::addMethod<&items>(g_tabBar, "items"_sel);
    rt::addMethod<&setItems>(g_tabBar, "setItems:"_sel);
    rt::addMethod<&layoutTabBar>(g_tabBar, "layoutSubviews"_sel);
    g_item = rt::defineClass("UITabBarItem", nullptr, rt::factoryOf<ItemObject>);
    rt::addMethod<&initItem>(g_item, "initWithTitle:image:tag:"_sel);
    rt::addMethod<&itemTitle>(g_item, "title"_sel);
    rt::addMethod<&itemTag>(g_item, "tag"_sel);

    g_tabs = rt::defineClass("UITabBarController", controller, rt::factoryOf<ContainerObject>);
    rt::addMethod<&loadTabsView>(g_tabs, "loadView"_sel);
    rt::addMethod<&viewControllers>(g_tabs, "viewControllers"_sel);
    rt::addMethod<&setViewControllers>(g_tabs, "setViewControllers:"_sel);
    rt::addMethod<&selectedIndex>(g_tabs, "selectedIndex"_sel);
    rt::addMethod<&setSelectedIndex>(g_tabs, "setSelectedIndex:"_sel);
    rt::addMethod<&selectedController>(g_tabs, "selectedViewController"_sel);
    rt::addMethod<&tabBar>(g_tabs, "tabBar"_sel);
}

} // namespace uikit
