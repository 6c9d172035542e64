#pragma once
// UIViewController and UIWindow as runtime classes.
//
// UIViewController: -view (loaded on first use: -loadView, then
//   -viewDidLoad) -setView: -isViewLoaded -loadView -viewDidLoad
//   -viewWillAppear: -viewDidAppear: -viewWillDisappear: -viewDidDisappear:
//   -title -setTitle: -presentViewController:animated:completion:
//   -presentedViewController -presentingViewController
//   -dismissViewControllerAnimated:completion: -parentViewController
//   -navigationController -tabBarController (the nearest such container)
// UIWindow (a UIView): -rootViewController -setRootViewController:
//   -makeKeyAndVisible -tintColor -setTintColor:
//
// A controller inside a container (navigation, tabs) presents from the
// container at the root. A presented controller's view covers the window,
// above everything in it;
// its appearance callbacks run at once and the completion on the main run
// loop's next turn (after 0.3 s of the loop's clock when animated), as the
// presentation's transition ends. The key window is the one most recently
// made key (uikit::keyWindow()).

#include "sim/runtime/Runtime.h"
#include "sim/runtime/Weak.h"

#include <string>

namespace uikit {

class ControllerObject : public rt::Object {
public:
    using Object::Object;
    rt::Ref<rt::Object> view;
    std::string title;
    rt::Ref<rt::Object> presented;
    ControllerObject* presenting = nullptr; // not retained: the presenter owns what it presents
    rt::Weak<rt::Object> parent;            // the container that shows it (navigation, tabs)
};

void defineUIViewController();
void defineUIWindow();
ControllerObject* controllerOf(rt::Id obj);
// The key window, or nil.
rt::Ref<rt::Object> keyWindow();
// The window a view is in, or nil.
rt::Ref<rt::Object> windowOf(rt::Id view);

} // namespace uikit
