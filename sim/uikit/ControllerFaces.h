#pragma once
// The faces (Face.h) of UIKit's controllers, alerts, bars, window,
// application, screen and device (their behaviour is described with their
// definitions: UIViewController.h, UINavigationController.h,
// UIAlertController.h, UIScreen.h).

#include "sim/uikit/ViewFaces.h"

namespace uikit {

struct UINavigationController;
struct UITabBarController;
struct UIPopoverPresentationController;

struct UIBarButtonItem : NSObject {
    RT_FACE(UIBarButtonItem, NSObject)
    UIBarButtonItem initWithTitle_style_target_action(const std::string& title, UIBarButtonItemStyle style,
                                                      const NSObject& target, rt::Sel action) const {
        return msg<rt::Ref<rt::Object>>("initWithTitle:style:target:action:"_sel, title, style, target, action);
    }
    std::string title() const { return msg<std::string>("title"_sel); }
    void setTitle(const std::string& title) const { msg("setTitle:"_sel, title); }
};

struct UINavigationItem : NSObject {
    RT_FACE(UINavigationItem, NSObject)
    UIBarButtonItem rightBarButtonItem() const { return msg<rt::Ref<rt::Object>>("rightBarButtonItem"_sel); }
    void setRightBarButtonItem(const UIBarButtonItem& item) const { msg("setRightBarButtonItem:"_sel, item); }
};

struct UIViewController : NSObject {
    RT_FACE(UIViewController, NSObject)
    UIView view() const { return msg<rt::Ref<rt::Object>>("view"_sel); }
    void setView(const UIView& view) const { msg("setView:"_sel, view); }
    bool isViewLoaded() const { return msg<bool>("isViewLoaded"_sel); }
    void loadView() const { msg("loadView"_sel); }
    void viewDidLoad() const { msg("viewDidLoad"_sel); }
    void viewWillAppear(bool animated) const { msg("viewWillAppear:"_sel, animated); }
    void viewDidAppear(bool animated) const { msg("viewDidAppear:"_sel, animated); }
    void viewWillDisappear(bool animated) const { msg("viewWillDisappear:"_sel, animated); }
    void viewDidDisappear(bool animated) const { msg("viewDidDisappear:"_sel, animated); }
    void viewDidLayoutSubviews() const { msg("viewDidLayoutSubviews"_sel); }
    std::string title() const { return msg<std::string>("title"_sel); }
    void setTitle(const std::string& title) const { msg("setTitle:"_sel, title); }
    UINavigationItem navigationItem() const { return msg<rt::Ref<rt::Object>>("navigationItem"_sel); }
    UINavigationController navigationController() const;
    UITabBarController tabBarController() const;
    UIViewController parentViewController() const { return msg<rt::Ref<rt::Object>>("parentViewController"_sel); }
    UIViewController presentedViewController() const { return msg<rt::Ref<rt::Object>>("presentedViewController"_sel); }
    UIViewController presentingViewController() const {
        return msg<rt::Ref<rt::Object>>("presentingViewController"_sel);
    }
    void presentViewController_animated_completion(const UIViewController& controller, bool animated,
                                                   rt::Block<void()> completion = {}) const {
        msg("presentViewController:animated:completion:"_sel, controller, animated, std::move(completion));
    }
    void dismissViewControllerAnimated_completion(bool animated, rt::Block<void()> completion = {}) const {
        msg("dismissViewControllerAnimated:completion:"_sel, animated, std::move(completion));
    }
};

struct UINavigationBar : UIView {
    RT_FACE(UINavigationBar, UIView)
};

struct UINavigationController : UIViewController {
    RT_FACE(UINavigationController, UIViewController)
    UINavigationController initWithRootViewController(const UIViewController& root) const {
        return msg<rt::Ref<rt::Object>>("initWithRootViewController:"_sel, root);
    }
    void pushViewController_animated(const UIViewController& controller, bool animated) const {
        msg("pushViewController:animated:"_sel, controller, animated);
    }
    UIViewController popViewControllerAnimated(bool animated) const {
        return msg<rt::Ref<rt::Object>>("popViewControllerAnimated:"_sel, animated);
    }
    std::vector<UIViewController> popToRootViewControllerAnimated(bool animated) const {
        return msg<std::vector<UIViewController>>("popToRootViewControllerAnimated:"_sel, animated);
    }
    UIViewController topViewController() const { return msg<rt::Ref<rt::Object>>("topViewController"_sel); }
    UIViewController visibleViewController() const { return msg<rt::Ref<rt::Object>>("visibleViewController"_sel); }
    std::vector<UIViewController> viewControllers() const {
        return msg<std::vector<UIViewController>>("viewControllers"_sel);
    }
    UINavigationBar navigationBar() const { return msg<rt::Ref<rt::Object>>("navigationBar"_sel); }
};

struct UITabBarItem : NSObject {
    RT_FACE(UITabBarItem, NSObject)
    UITabBarItem initWithTitle_image_tag(const std::string& title, const UIImage& image, NSInteger tag) const {
        return msg<rt::Ref<rt::Object>>("initWithTitle:image:tag:"_sel, title, image, tag);
    }
    std::string title() const { return msg<std::string>("title"_sel); }
    NSInteger tag() const { return msg<NSInteger>("tag"_sel); }
};

struct UITabBar : UIView {
    RT_FACE(UITabBar, UIView)
    std::vector<UITabBarItem> items() const { return msg<std::vector<UITabBarItem>>("items"_sel); }
    void setItems(const std::vector<UITabBarItem>& items) const { msg("setItems:"_sel, items); }
    // The device's tab bar answers -hidden as well as -isHidden.
    bool hidden() const { return msg<bool>("hidden"_sel); }
};

struct UITabBarController : UIViewController {
    RT_FACE(UITabBarController, UIViewController)
    std::vector<UIViewController> viewControllers() const {
        return msg<std::vector<UIViewController>>("viewControllers"_sel);
    }
    void setViewControllers(const std::vector<UIViewController>& controllers) const {
        msg("setViewControllers:"_sel, controllers);
    }
    NSInteger selectedIndex() const { return msg<NSInteger>("selectedIndex"_sel); }
    void setSelectedIndex(NSInteger index) const { msg("setSelectedIndex:"_sel, index); }
    UIViewController selectedViewController() const { return msg<rt::Ref<rt::Object>>("selectedViewController"_sel); }
    UITabBar tabBar() const { return msg<rt::Ref<rt::Object>>("tabBar"_sel); }
};

inline UINavigationController UIViewController::navigationController() const {
    return msg<rt::Ref<rt::Object>>("navigationController"_sel);
}
inline UITabBarController UIViewController::tabBarController() const {
    return msg<rt::Ref<rt::Object>>("tabBarController"_sel);
}
inline UIViewController UIView::_viewControllerForAncestor() const {
    return msg<rt::Ref<rt::Object>>("_viewControllerForAncestor"_sel);
}

struct UIAlertAction : NSObject {
    RT_FACE(UIAlertAction, NSObject)
    static UIAlertAction actionWithTitle_style_handler(const std::string& title, UIAlertActionStyle style,
                                                       rt::Block<void(UIAlertAction)> handler) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), "actionWithTitle:style:handler:"_sel, title, style,
                                                  std::move(handler));
    }
    std::string title() const { return msg<std::string>("title"_sel); }
    UIAlertActionStyle style() const { return msg<UIAlertActionStyle>("style"_sel); }
};

struct UIPopoverPresentationController : NSObject {
    RT_FACE(UIPopoverPresentationController, NSObject)
    UIView sourceView() const { return msg<rt::Ref<rt::Object>>("sourceView"_sel); }
    void setSourceView(const UIView& view) const { msg("setSourceView:"_sel, view); }
    CGRect sourceRect() const { return msg<CGRect>("sourceRect"_sel); }
    void setSourceRect(CGRect rect) const { msg("setSourceRect:"_sel, rect); }
};

struct UIAlertController : UIViewController {
    RT_FACE(UIAlertController, UIViewController)
    static UIAlertController alertControllerWithTitle_message_preferredStyle(const std::string& title,
                                                                             const std::string& message,
                                                                             UIAlertControllerStyle style) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), "alertControllerWithTitle:message:preferredStyle:"_sel, title,
                                                  message, style);
    }
    std::string message() const { return msg<std::string>("message"_sel); }
    UIAlertControllerStyle preferredStyle() const { return msg<UIAlertControllerStyle>("preferredStyle"_sel); }
    void addAction(const UIAlertAction& action) const { msg("addAction:"_sel, action); }
    std::vector<UIAlertAction> actions() const { return msg<std::vector<UIAlertAction>>("actions"_sel); }
    void addTextFieldWithConfigurationHandler(rt::Block<void(UITextField)> configure) const {
        msg("addTextFieldWithConfigurationHandler:"_sel, std::move(configure));
    }
    std::vector<UITextField> textFields() const { return msg<std::vector<UITextField>>("textFields"_sel); }
    UIPopoverPresentationController popoverPresentationController() const {
        return msg<rt::Ref<rt::Object>>("popoverPresentationController"_sel);
    }
};

struct UIWindow : UIView {
    RT_FACE(UIWindow, UIView)
    void makeKeyAndVisible() const { msg("makeKeyAndVisible"_sel); }
    UIViewController rootViewController() const { return msg<rt::Ref<rt::Object>>("rootViewController"_sel); }
    void setRootViewController(const UIViewController& controller) const {
        msg("setRootViewController:"_sel, controller);
    }
    UIColor tintColor() const { return msg<rt::Ref<rt::Object>>("tintColor"_sel); }
    void setTintColor(const UIColor& colour) const { msg("setTintColor:"_sel, colour); }
};

// The application object: each app's own class (SpringBoard, PhotosApplication, ...) is a
// UIApplication. The app host defines the class (sim/apps/host/Application.h).
struct UIApplication : NSObject {
    RT_FACE(UIApplication, NSObject)
    static UIApplication sharedApplication() { return rt::sendClass<UIApplication>(cls(), "sharedApplication"_sel); }
    UIWindow keyWindow() const;
    bool openURL(const std::string& url) const { return msg<bool>("openURL:"_sel, url); }
    void applicationDidFinishLaunching(const UIApplication& app) const {
        msg("applicationDidFinishLaunching:"_sel, app);
    }
    void applicationDidEnterBackground(const UIApplication& app) const {
        msg("applicationDidEnterBackground:"_sel, app);
    }
    void applicationWillEnterForeground(const UIApplication& app) const {
        msg("applicationWillEnterForeground:"_sel, app);
    }
    void applicationWillTerminate(const UIApplication& app) const { msg("applicationWillTerminate:"_sel, app); }
};

inline UIWindow UIApplication::keyWindow() const { return msg<UIWindow>("keyWindow"_sel); }

struct UIScreen : NSObject {
    RT_FACE(UIScreen, NSObject)
    static UIScreen mainScreen() { return rt::sendClass<rt::Ref<rt::Object>>(cls(), "mainScreen"_sel); }
    CGRect bounds() const { return msg<CGRect>("bounds"_sel); }
    double scale() const { return msg<double>("scale"_sel); }
};

// The private engine behind UIDevice's -_tapticEngine (1001 and up: the peek and pop pulses).
struct _UITapticEngine : NSObject {
    RT_FACE(_UITapticEngine, NSObject)
    void actuateFeedback(NSInteger feedback) const { msg("actuateFeedback:"_sel, feedback); }
};

struct UIDevice : NSObject {
    RT_FACE(UIDevice, NSObject)
    static UIDevice currentDevice() { return rt::sendClass<rt::Ref<rt::Object>>(cls(), "currentDevice"_sel); }
    UIUserInterfaceIdiom userInterfaceIdiom() const { return msg<UIUserInterfaceIdiom>("userInterfaceIdiom"_sel); }
    std::string model() const { return msg<std::string>("model"_sel); }
    _UITapticEngine _tapticEngine() const { return msg<rt::Ref<rt::Object>>("_tapticEngine"_sel); }
};

} // namespace uikit
