#pragma once
// UIKit as apps and libraries see it: its constants and the faces of its
// classes (Face.h), whose methods are message sends, so that every hook of
// a UIKit method reaches every caller. This is what a library injected into
// an app includes; the framework's own headers (UIView.h, UILabel.h, ...)
// hold the classes' storage and definitions, which callers never need.
//
// The classes: UIColor, UIFont, CALayer, UIView and its subclasses
// (UILabel, UIImageView, UIScrollView, UITextField, UISwitch, the spinner,
// the blur view, UITableView and its cells, UICollectionView and its cells
// and flow layout, UIWindow, the bars), gesture recognisers, controllers
// (plain, navigation, tab bar, alert with its actions and popover),
// UIApplication, UIScreen and UIDevice with its taptic engine; UIImage is
// defined below UIKit (graphics) and named here.

#include "sim/uikit/CollectionFaces.h"
#include "sim/uikit/ControllerFaces.h"
#include "sim/uikit/GestureFaces.h"
#include "sim/uikit/UIKitConstants.h"
#include "sim/uikit/ViewFaces.h"

namespace uikit {

// Defines the classes once per process (and UIImage, which graphics holds).
void registerUIKit();

} // namespace uikit
