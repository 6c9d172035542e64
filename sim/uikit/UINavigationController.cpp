#include "sim/uikit/UINavigationController.h"

#include "sim/runtime/Weak.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIFont.h"
#include "sim/uikit/UIGestureRecognizer.h"
#include "sim/uikit/UILabel.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/UIViewController.h"

#include <algorithm>

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
    // A navigation controller whose view has just loaded has told its top
    // controller it appears; its own appearance that follows is not told again.
    bool topToldOfAppearance = false;
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
    long selected = 0;
    rt::Weak<rt::Object> controller; // the tab bar controller that owns the bar
};

// What a navigation controller's top controller shows in the bar.
class NavigationItemObject : public rt::Object {
public:
    using Object::Object;
    Ref<rt::Object> rightItem;
};

class BarButtonItemObject : public rt::Object {
public:
    using Object::Object;
    std::string title;
    rt::Weak<rt::Object> target;
    rt::Sel action = nullptr;
};

rt::Class* g_navigationItem = nullptr;
rt::Class* g_layoutContainer = nullptr;
rt::Class* g_barButtonItem = nullptr;
rt::Class* g_tabButton = nullptr;
rt::Class* g_barButton = nullptr;

// A button in a bar: a label that runs `press` (an item index or a bar
// button) when tapped.
class BarControlObject : public LabelObject {
public:
    explicit BarControlObject(rt::Class* cls)
        : LabelObject(cls) {
        userInteractionEnabled = true;
    }
    long index = 0;
    Ref<rt::Object> barItem; // a bar button's item; none for a tab or the back button
};

// Shows `next` in the container's view, in place of `shown`.
void swapShown(ContainerObject* c, const Ref<rt::Object>& shown, const Ref<rt::Object>& next, bool animated,
               bool barOnTop) {
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

// A navigation controller's C++ side; null for anything else.
ContainerObject* containerOf(rt::Id o) { return rt::objectAs<ContainerObject>(o, g_nav); }
void layoutNavigationBar(ContainerObject* nav);

// ---- bar controls: tab buttons, the back button, bar button items -------------------------------
BarControlObject* controlOf(rt::Id recognizer) {
    auto v = rt::send<Ref<rt::Object>>(recognizer, "view"_sel);
    return rt::objectAs<BarControlObject>(v.get(), g_tabButton) ? static_cast<BarControlObject*>(v.get())
                                                                : rt::objectAs<BarControlObject>(v.get(), g_barButton);
}

void controlTapped(rt::Id recognizer, long state) {
    BarControlObject* control = controlOf(recognizer);
    if (!control || state != UIGestureRecognizerStateEnded) return;
    Ref<rt::Object> keep(control);
    if (rt::isKindOf(control, g_tabButton)) {
        auto* bar = static_cast<TabBarObject*>(control->superview);
        if (Ref<rt::Object> tabs = bar ? bar->controller.load() : nullptr)
            rt::send(tabs, "setSelectedIndex:"_sel, control->index);
    } else if (auto* item = static_cast<BarButtonItemObject*>(control->barItem.get())) {
        Ref<rt::Object> target = item->target.load();
        // An action without a colon takes no sender, as UIKit sends it.
        if (target && item->action) {
            if (rt::selName(item->action).ends_with(':'))
                rt::send(target, item->action, control->barItem);
            else
                rt::send(target, item->action);
        }
    } else { // the back button
        for (ViewObject* v = control->superview; v; v = v->superview)
            if (Ref<rt::Object> owner = v->viewController.load(); owner && containerOf(owner.get())) {
                rt::send<Ref<rt::Object>>(owner, "popViewControllerAnimated:"_sel, true);
                break;
            }
    }
}
constexpr BuiltInAction kControlTap{nullptr, &controlTapped};

Ref<rt::Object> makeControl(rt::Class* cls, gfx::CGRect frame, const std::string& text, double size, Rgba colour,
                            long alignment) {
    auto c = makeView(frame, cls);
    rt::send(c, "setText:"_sel, text);
    rt::send(c, "setFont:"_sel, makeFont({size, false}));
    rt::send(c, "setTextAlignment:"_sel, alignment);
    rt::send(c, "setTextColor:"_sel, makeColor(colour));
    rt::send(c, "setAccessibilityLabel:"_sel, text);
    rt::send(c, "addGestureRecognizer:"_sel, makeBuiltInRecognizer("UITapGestureRecognizer", &kControlTap));
    return c;
}

constexpr Rgba kTint{0, 0.478, 1, 1};

// ---- the container's view: bar and shown controller follow its size --------------------------------
Ref<rt::Object> shownChild(ContainerObject* c) {
    if (c->children.empty()) return nullptr;
    if (rt::isKindOf(c, g_nav)) return c->children.back();
    return c->children[static_cast<std::size_t>(
        std::clamp<long>(c->selected, 0, static_cast<long>(c->children.size()) - 1))];
}
void layoutContainer(ViewObject* self, rt::Sel) {
    Ref<rt::Object> owner = self->viewController.load();
    auto* c = owner ? rt::objectAs<ContainerObject>(owner.get(), rt::getClass("UIViewController")) : nullptr;
    if (!c || !c->bar) return;
    gfx::CGSize size = self->frame.size;
    bool top = rt::isKindOf(c, g_nav);
    double barHeight = top ? kNavigationBarHeight : kTabBarHeight;
    rt::send(c->bar, "setFrame:"_sel,
             top ? gfx::CGRect{{0, 0}, {size.width, barHeight}}
                 : gfx::CGRect{{0, size.height - barHeight}, {size.width, barHeight}});
    if (Ref<rt::Object> child = shownChild(c); child && rt::send<bool>(child, "isViewLoaded"_sel)) {
        auto v = rt::send<Ref<rt::Object>>(child, "view"_sel);
        if (viewOf(v.get())->superview == self)
            rt::send(v, "setFrame:"_sel,
                     top ? gfx::CGRect{{0, barHeight}, {size.width, size.height - barHeight}}
                         : gfx::CGRect{{0, 0}, {size.width, size.height - barHeight}});
    }
}

// ---- UINavigationController ---------------------------------------------------------------------
void loadNavigationView(ContainerObject* self, rt::Sel) {
    gfx::CGSize screen = screenModel().size;
    self->view = makeView({{0, 0}, screen}, g_layoutContainer);
    self->bar = makeBar(rt::getClass("UINavigationBar"), {{0, 0}, {screen.width, kNavigationBarHeight}});
    rt::send(self->view, "addSubview:"_sel, self->bar);
    if (!self->children.empty()) {
        swapShown(self, nullptr, self->children.back(), false, true);
        self->topToldOfAppearance = true;
    }
    layoutNavigationBar(self);
}

// A navigation controller passes its appearance on to its top controller,
// as when its tab is selected again.
void navForwardAppearance(ContainerObject* self, rt::Sel cmd, bool animated) {
    rt::sendSuper(g_nav, self, cmd, animated);
    if (!self->children.empty()) rt::send(self->children.back(), cmd, animated);
}
void navWillAppear(ContainerObject* self, rt::Sel cmd, bool animated) {
    if (self->topToldOfAppearance) return rt::sendSuper(g_nav, self, cmd, animated);
    navForwardAppearance(self, cmd, animated);
}
void navDidAppear(ContainerObject* self, rt::Sel cmd, bool animated) {
    if (!self->topToldOfAppearance) return navForwardAppearance(self, cmd, animated);
    self->topToldOfAppearance = false;
    rt::sendSuper(g_nav, self, cmd, animated);
}

void adopt(ContainerObject* self, const Ref<rt::Object>& child) {
    if (ControllerObject* c = controllerOf(child.get())) c->parent = self;
}

Ref<rt::Object> initWithRoot(ContainerObject* self, rt::Sel, Ref<rt::Object> root) {
    adopt(self, root);
    if (root) self->children.push_back(root);
    return Ref<rt::Object>(self);
}
Objects viewControllers(ContainerObject* self, rt::Sel) { return self->children; }
// Refreshes the bar after the top controller changed its title or right item.
void updateNavigationBar(ContainerObject* self, rt::Sel) { layoutNavigationBar(self); }
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
    adopt(self, next);
    self->children.push_back(next);
    if (self->view) swapShown(self, shown, next, animated, true);
    layoutNavigationBar(self);
}
Ref<rt::Object> pop(ContainerObject* self, rt::Sel, bool animated) {
    if (self->children.size() < 2) return nullptr;
    Ref<rt::Object> gone = self->children.back();
    self->children.pop_back();
    if (self->view) swapShown(self, gone, self->children.back(), animated, true);
    layoutNavigationBar(self);
    return gone;
}
Objects popToRoot(ContainerObject* self, rt::Sel, bool animated) {
    if (self->children.size() < 2) return {};
    Ref<rt::Object> shown = self->children.back();
    Objects gone(self->children.begin() + 1, self->children.end());
    self->children.resize(1);
    if (self->view) swapShown(self, shown, self->children.front(), animated, true);
    layoutNavigationBar(self);
    return gone;
}

// ---- UITabBarController ------------------------------------------------------------------------------------
void loadTabsView(ContainerObject* self, rt::Sel) {
    gfx::CGSize screen = screenModel().size;
    self->view = makeView({{0, 0}, screen}, g_layoutContainer);
    self->bar = makeBar(g_tabBar, {{0, screen.height - kTabBarHeight}, {screen.width, kTabBarHeight}});
    static_cast<TabBarObject*>(self->bar.get())->controller = self;
    rt::send(self->view, "addSubview:"_sel, self->bar);
    if (!self->children.empty())
        swapShown(self, nullptr, self->children[static_cast<std::size_t>(self->selected)], false, false);
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
    for (const auto& c : self->children)
        adopt(self, c);
    self->selected = 0;
    if (auto* bar = static_cast<TabBarObject*>(self->bar.get())) bar->selected = 0;
    if (self->view) swapShown(self, shown, self->children.empty() ? nullptr : self->children[0], false, false);
    tabItemsFor(self);
}
long selectedIndex(ContainerObject* self, rt::Sel) { return self->selected; }
void setSelectedIndex(ContainerObject* self, rt::Sel, long index) {
    if (index < 0 || index >= static_cast<long>(self->children.size()) || index == self->selected) return;
    Ref<rt::Object> shown = self->children[static_cast<std::size_t>(self->selected)];
    self->selected = index;
    if (self->view) swapShown(self, shown, self->children[static_cast<std::size_t>(index)], false, false);
    if (auto* bar = static_cast<TabBarObject*>(self->bar.get())) {
        bar->selected = index;
        rt::send(self->bar, "setNeedsLayout"_sel);
    }
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
// One button per item, side by side across the bar; the selected one in the tint.
void layoutTabBar(TabBarObject* self, rt::Sel) {
    rt::sendSuper(g_tabBar, self, "layoutSubviews"_sel);
    for (const auto& sub : Objects(self->subviews))
        rt::send(sub, "removeFromSuperview"_sel);
    if (self->items.empty()) return;
    double w = self->frame.size.width / static_cast<double>(self->items.size());
    for (std::size_t i = 0; i < self->items.size(); ++i) {
        bool chosen = static_cast<long>(i) == self->selected;
        auto button = makeControl(g_tabButton, {{w * static_cast<double>(i), 0}, {w, self->frame.size.height}},
                                  rt::send<std::string>(self->items[i], "title"_sel), 11,
                                  chosen ? kTint : Rgba{0.56, 0.56, 0.58, 1}, 1);
        static_cast<BarControlObject*>(button.get())->index = static_cast<long>(i);
        rt::send(self, "addSubview:"_sel, button);
    }
    self->needsLayout = false; // adding the buttons asked again; this pass has placed them
}
// -hidden answers what the bar shows (UIView's -isHidden).
bool tabBarHidden(TabBarObject* self, rt::Sel) { return self->hidden; }

// ---- the navigation bar: the top controller's title, a back button, its right item ----------
void layoutNavigationBar(ContainerObject* nav) {
    ViewObject* bar = viewOf(nav->bar.get());
    if (!bar || nav->children.empty()) return;
    for (const auto& sub : Objects(bar->subviews))
        rt::send(sub, "removeFromSuperview"_sel);
    double w = bar->frame.size.width, h = bar->frame.size.height;
    const Ref<rt::Object>& top = nav->children.back();
    auto title = makeView({{w / 4, 0}, {w / 2, h}}, rt::getClass("UILabel"));
    rt::send(title, "setText:"_sel, rt::send<std::string>(top, "title"_sel));
    rt::send(title, "setFont:"_sel, makeFont({17, true}));
    rt::send(title, "setTextAlignment:"_sel, 1L);
    rt::send(nav->bar, "addSubview:"_sel, title);
    if (nav->children.size() > 1) {
        std::string previous = rt::send<std::string>(nav->children[nav->children.size() - 2], "title"_sel);
        rt::send(nav->bar, "addSubview:"_sel,
                 makeControl(g_barButton, {{8, 0}, {w / 4 - 8, h}}, "\u2039 " + (previous.empty() ? "Back" : previous),
                             17, kTint, 0));
    }
    auto navItem = rt::send<Ref<rt::Object>>(top, "navigationItem"_sel);
    if (auto* item = rt::objectAs<NavigationItemObject>(navItem.get(), g_navigationItem); item && item->rightItem) {
        auto* b = static_cast<BarButtonItemObject*>(item->rightItem.get());
        auto control = makeControl(g_barButton, {{w * 3 / 4, 0}, {w / 4 - 8, h}}, b->title, 17, kTint, 2);
        static_cast<BarControlObject*>(control.get())->barItem = item->rightItem;
        rt::send(nav->bar, "addSubview:"_sel, control);
    }
}

// UIViewController's navigation item, and UIBarButtonItem.
Ref<rt::Object> navigationItem(rt::Id self, rt::Sel) {
    static const char key = 0;
    Ref<rt::Object> item = self->associated(&key);
    if (!item) {
        item = rt::createInstance<NavigationItemObject>(g_navigationItem);
        self->setAssociated(&key, item);
    }
    return item;
}
Ref<rt::Object> rightItem(NavigationItemObject* self, rt::Sel) { return self->rightItem; }
void setRightItem(NavigationItemObject* self, rt::Sel, Ref<rt::Object> item) {
    self->rightItem = rt::objectAs<BarButtonItemObject>(item.get(), g_barButtonItem) ? item : nullptr;
}
Ref<rt::Object> initBarButton(BarButtonItemObject* self, rt::Sel, std::string title, long, Ref<rt::Object> target,
                              rt::Sel action) {
    self->title = std::move(title);
    self->target = target.get();
    self->action = action;
    return Ref<rt::Object>(self);
}
std::string barButtonTitle(BarButtonItemObject* self, rt::Sel) { return self->title; }
void setBarButtonTitle(BarButtonItemObject* self, rt::Sel, std::string t) { self->title = std::move(t); }

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
    rt::addMethod<&navWillAppear>(g_nav, "viewWillAppear:"_sel);
    rt::addMethod<&navDidAppear>(g_nav, "viewDidAppear:"_sel);
    rt::addMethod<&navForwardAppearance>(g_nav, "viewWillDisappear:"_sel);
    rt::addMethod<&navForwardAppearance>(g_nav, "viewDidDisappear:"_sel);
    rt::addMethod<&push>(g_nav, "pushViewController:animated:"_sel);
    rt::addMethod<&pop>(g_nav, "popViewControllerAnimated:"_sel);
    rt::addMethod<&popToRoot>(g_nav, "popToRootViewControllerAnimated:"_sel);
    rt::addMethod<&updateNavigationBar>(g_nav, "_updateNavigationBar"_sel);
    rt::addMethod<&navigationItem>(controller, "navigationItem"_sel);
    g_navigationItem = rt::defineClass("UINavigationItem", nullptr, rt::factoryOf<NavigationItemObject>);
    rt::addMethod<&rightItem>(g_navigationItem, "rightBarButtonItem"_sel);
    rt::addMethod<&setRightItem>(g_navigationItem, "setRightBarButtonItem:"_sel);
    g_barButtonItem = rt::defineClass("UIBarButtonItem", nullptr, rt::factoryOf<BarButtonItemObject>);
    rt::addMethod<&initBarButton>(g_barButtonItem, "initWithTitle:style:target:action:"_sel);
    rt::addMethod<&barButtonTitle>(g_barButtonItem, "title"_sel);
    rt::addMethod<&setBarButtonTitle>(g_barButtonItem, "setTitle:"_sel);
    g_barButton = rt::defineClass("_UIButtonBarButton", rt::getClass("UILabel"), rt::factoryOf<BarControlObject>);
    rt::defineClass("UINavigationBar", rt::getClass("UIView"), rt::factoryOf<ViewObject>);
    g_layoutContainer = rt::defineClass("UILayoutContainerView", rt::getClass("UIView"));
    rt::addMethod<&layoutContainer>(g_layoutContainer, "layoutSubviews"_sel);

    g_tabBar = rt::defineClass("UITabBar", rt::getClass("UIView"), rt::factoryOf<TabBarObject>);
    rt::addMethod<&items>(g_tabBar, "items"_sel);
    rt::addMethod<&setItems>(g_tabBar, "setItems:"_sel);
    rt::addMethod<&layoutTabBar>(g_tabBar, "layoutSubviews"_sel);
    rt::addMethod<&tabBarHidden>(g_tabBar, "hidden"_sel);
    g_tabButton = rt::defineClass("UITabBarButton", rt::getClass("UILabel"), rt::factoryOf<BarControlObject>);
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
