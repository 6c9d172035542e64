#pragma once
// The container controllers, as runtime classes.
//
// UINavigationController: -initWithRootViewController: -viewControllers
//   -topViewController -visibleViewController -pushViewController:animated:
//   -popViewControllerAnimated: -popToRootViewControllerAnimated:
//   -navigationBar (a UINavigationBar, 44 points high, over the top
//   controller's view: its title, a back button "‹ <previous title>" that
//   pops, and the top controller's right bar button item)
//   -_updateNavigationBar (after the top controller changed its title or item)
// UIViewController (here): -navigationItem (-rightBarButtonItem
//   -setRightBarButtonItem:)
// UIBarButtonItem: -initWithTitle:style:target:action: -title -setTitle:
//   (a tap sends the action, "v@:@", to the target, which is not retained)
// UITabBarController: -viewControllers -setViewControllers: -selectedIndex
//   -setSelectedIndex: -selectedViewController -tabBar (a UITabBar, 49
//   points high, at the bottom)
// UITabBar (a UIView): -items -setItems: -layoutSubviews (one button per
//   item, side by side, the selected one in the tint; a tap selects its
//   tab) -hidden (whether the bar shows, as -isHidden)
// UITabBarItem: -initWithTitle:image:tag: -title -tag
//
// The shown controller's view fills the container's view below the bar;
// appearance callbacks go to the controllers shown and hidden.

#include "sim/runtime/Runtime.h"

namespace uikit {

void defineContainers();

} // namespace uikit
