#pragma once
// The container controllers, as runtime classes.
//
// UINavigationController: -initWithRootViewController: -viewControllers
//   -topViewController -visibleViewController -pushViewController:animated:
//   -popViewControllerAnimated: -popToRootViewControllerAnimated:
//   -navigationBar (a UINavigationBar, 44 points high, over the top
//   controller's view)
// UITabBarController: -viewControllers -setViewControllers: -selectedIndex
//   -setSelectedIndex: -selectedViewController -tabBar (a UITabBar, 49
//   points high, at the bottom)
// UITabBar (a UIView): -items -setItems: -layoutSubviews (lays the items out
//   side by side); hidden through UIView's -isHidden, so a hook on
//   UITabBar's isHidden or layoutSubviews reaches every tab bar
// UITabBarItem: -initWithTitle:image:tag: -title -tag
//
// The shown controller's view fills the container's view below the bar;
// appearance callbacks go to the controllers shown and hidden.

#include "sim/runtime/Runtime.h"

namespace uikit {

void defineContainers();

} // namespace uikit
