#include "sim/uikit/UIViewController.h"

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIView.h"

namespace uikit {

using rt::Ref;
using namespace rt::literals;

namespace {

rt::Class* g_controller = nullptr;
rt::Class* g_window = nullptr;
Ref<rt::Object> g_keyWindow;

// Runs `fn` when a transition of `animated` ends on the main loop's clock.
void afterTransition(bool animated, std::function<void()> fn) {
    dsp::RunLoop* main = dsp::RunLoop::main();
    if (!main) return fn();
    if (animated)
        main->scheduleTimer(dsp::seconds(0.3), false, [fn](dsp::Timer&) { fn(); });
    else
        main->post(std::move(fn));
}

// The view knows the controller that owns it (_viewControllerForAncestor).
void own(ControllerObject* self) {
    if (ViewObject* v = viewOf(self->view.get())) v->viewController = self;
}

Ref<rt::Object> view(ControllerObject* self, rt::Sel) {
    if (!self->view) {
        rt::send(self, "loadView"_sel);
        if (!self->view) self->view = makeView({{0, 0}, screenModel().size});
        own(self);
        rt::send(self, "viewDidLoad"_sel);
    }
    return self->view;
}
void setView(ControllerObject* self, rt::Sel, Ref<rt::Object> v) {
    if (ViewObject* old = viewOf(self->view.get())) old->viewController = nullptr;
    self->view = std::move(v);
    own(self);
}

Ref<rt::Object> parentController(ControllerObject* self, rt::Sel) { return self->parent.load(); }
Ref<rt::Object> nearestContainer(ControllerObject* self, const char* cls) {
    rt::Class* wanted = rt::getClass(cls);
    for (Ref<rt::Object> c = self->parent.load(); c; c = controllerOf(c.get())->parent.load())
        if (rt::isKindOf(c.get(), wanted)) return c;
    return nullptr;
}
Ref<rt::Object> navigationController(ControllerObject* self, rt::Sel) {
    return nearestContainer(self, "UINavigationController");
}
Ref<rt::Object> tabBarController(ControllerObject* self, rt::Sel) {
    return nearestContainer(self, "UITabBarController");
}

// The controller of the nearest view, from this one up, that a controller owns.
Ref<rt::Object> viewControllerForAncestor(ViewObject* self, rt::Sel) {
    for (ViewObject* v = self; v; v = v->superview)
        if (Ref<rt::Object> c = v->viewController.load()) return c;
    return nullptr;
}
bool isViewLoaded(ControllerObject* self, rt::Sel) { return static_cast<bool>(self->view); }
void loadView(ControllerObject* self, rt::Sel) { self->view = makeView({{0, 0}, screenModel().size}); }
void noop(ControllerObject*, rt::Sel) {}
void noopAnimated(ControllerObject*, rt::Sel, bool) {}
std::string title(ControllerObject* self, rt::Sel) { return self->title; }
void setTitle(ControllerObject* self, rt::Sel, std::string t) { self->title = std::move(t); }
Ref<rt::Object> presented(ControllerObject* self, rt::Sel) { return self->presented; }
Ref<rt::Object> presenting(ControllerObject* self, rt::Sel) { return Ref<rt::Object>(self->presenting); }

void present(ControllerObject* self, rt::Sel sel, Ref<rt::Object> other, bool animated, rt::Block<void()> completion) {
    // A controller shown inside a container presents from the container at
    // the root, which then is the presenting controller (full screen).
    if (Ref<rt::Object> parent = self->parent.load())
        return rt::send(parent, sel, std::move(other), animated, std::move(completion));
    ControllerObject* next = controllerOf(other.get());
    if (!next || self->presented) return; // UIKit warns and presents nothing
    if (rt::respondsTo(other.get(), "_checkBeforePresentation"_sel)) rt::send(other, "_checkBeforePresentation"_sel);
    Ref<rt::Object> window = windowOf(rt::send<Ref<rt::Object>>(self, "view"_sel).get());
    if (!window) window = keyWindow();
    self->presented = other;
    next->presenting = self;
    auto v = rt::send<Ref<rt::Object>>(other, "view"_sel);
    rt::send(other, "viewWillAppear:"_sel, animated);
    if (window) {
        rt::send(v, "setFrame:"_sel, rt::send<gfx::CGRect>(window, "bounds"_sel));
        rt::send(window, "addSubview:"_sel, v);
    }
    rt::send(other, "viewDidAppear:"_sel, animated);
    if (completion) afterTransition(animated, [completion] { completion(); });
}

void dismiss(ControllerObject* self, rt::Sel, bool animated, rt::Block<void()> completion) {
    // Sent to a presented controller, it asks its presenter.
    ControllerObject* presenter = self->presented ? self : self->presenting;
    if (!presenter || !presenter->presented) {
        if (completion) afterTransition(false, [completion] { completion(); });
        return;
    }
    Ref<rt::Object> gone = presenter->presented;
    rt::send(gone, "viewWillDisappear:"_sel, animated);
    rt::send(rt::send<Ref<rt::Object>>(gone, "view"_sel), "removeFromSuperview"_sel);
    controllerOf(gone.get())->presenting = nullptr;
    presenter->presented = nullptr;
    rt::send(gone, "viewDidDisappear:"_sel, animated);
    if (completion) afterTransition(animated, [completion] { completion(); });
}

// ---- UIWindow ------------------------------------------------------------------------------------
class WindowState : public rt::Object {
public:
    using Object::Object;
    Ref<rt::Object> root;
    Ref<rt::Object> tint;
};
const char kWindowState = 0;
rt::Class* g_windowState = nullptr;

// A window's own state, kept beside its view storage.
WindowState& stateOf(rt::Id window) {
    auto s = refCast<WindowState>(window->associated(&kWindowState));
    if (!s) {
        s = rt::createInstance<WindowState>(g_windowState);
        window->setAssociated(&kWindowState, s);
    }
    return *s;
}

Ref<rt::Object> rootViewController(rt::Id self, rt::Sel) { return stateOf(self).root; }
void setRootViewController(rt::Id self, rt::Sel, Ref<rt::Object> controller) {
    WindowState& s = stateOf(self);
    if (s.root) rt::send(rt::send<Ref<rt::Object>>(s.root, "view"_sel), "removeFromSuperview"_sel);
    s.root = controller;
    if (!controller) return;
    auto v = rt::send<Ref<rt::Object>>(controller, "view"_sel);
    rt::send(v, "setFrame:"_sel, rt::send<gfx::CGRect>(self, "bounds"_sel));
    rt::send(self, "insertSubview:atIndex:"_sel, v, 0L);
}
void makeKeyAndVisible(rt::Id self, rt::Sel) {
    g_keyWindow = Ref<rt::Object>(self);
    rt::send(self, "setHidden:"_sel, false);
}
Ref<rt::Object> tintColor(rt::Id self, rt::Sel) { return stateOf(self).tint; }
void setTintColor(rt::Id self, rt::Sel, Ref<rt::Object> c) { stateOf(self).tint = std::move(c); }

} // namespace

void defineUIViewController() {
    g_controller = rt::defineClass("UIViewController", nullptr, rt::factoryOf<ControllerObject>);
    rt::Class* c = g_controller;
    rt::addMethod<&view>(c, "view"_sel);
    rt::addMethod<&setView>(c, "setView:"_sel);
    rt::addMethod<&isViewLoaded>(c, "isViewLoaded"_sel);
    rt::addMethod<&loadView>(c, "loadView"_sel);
    rt::addMethod<&noop>(c, "viewDidLoad"_sel);
    rt::addMethod<&noop>(c, "viewDidLayoutSubviews"_sel);
    for (const char* s : {"viewWillAppear:", "viewDidAppear:", "viewWillDisappear:", "viewDidDisappear:"})
        rt::addMethod<&noopAnimated>(c, rt::sel(s));
    rt::addMethod<&title>(c, "title"_sel);
    rt::addMethod<&setTitle>(c, "setTitle:"_sel);
    rt::addMethod<&present>(c, "presentViewController:animated:completion:"_sel);
    rt::addMethod<&presented>(c, "presentedViewController"_sel);
    rt::addMethod<&presenting>(c, "presentingViewController"_sel);
    rt::addMethod<&dismiss>(c, "dismissViewControllerAnimated:completion:"_sel);
    rt::addMethod<&viewControllerForAncestor>(rt::getClass("UIView"), "_viewControllerForAncestor"_sel);
    rt::addMethod<&parentController>(c, "parentViewController"_sel);
    rt::addMethod<&navigationController>(c, "navigationController"_sel);
    rt::addMethod<&tabBarController>(c, "tabBarController"_sel);
}

void defineUIWindow() {
    g_windowState = rt::defineClass("_UIWindowState", nullptr, rt::factoryOf<WindowState>);
    g_window = rt::defineClass("UIWindow", rt::getClass("UIView"), rt::factoryOf<ViewObject>);
    rt::addMethod<&rootViewController>(g_window, "rootViewController"_sel);
    rt::addMethod<&setRootViewController>(g_window, "setRootViewController:"_sel);
    rt::addMethod<&makeKeyAndVisible>(g_window, "makeKeyAndVisible"_sel);
    rt::addMethod<&tintColor>(g_window, "tintColor"_sel);
    rt::addMethod<&setTintColor>(g_window, "setTintColor:"_sel);
}

ControllerObject* controllerOf(rt::Id obj) { return rt::objectAs<ControllerObject>(obj, g_controller); }

Ref<rt::Object> keyWindow() { return g_keyWindow; }

Ref<rt::Object> windowOf(rt::Id view) {
    for (ViewObject* v = viewOf(view); v; v = v->superview)
        if (rt::isKindOf(v, g_window)) return Ref<rt::Object>(v);
    return nullptr;
}

} // namespace uikit
