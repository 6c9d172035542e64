#pragma once
// UISwitch as a runtime class (a UIView, 51 x 31 points).
//
//   -isOn -setOn: -setOn:animated: -onTintColor -setOnTintColor:
//   -addTarget:action:forControlEvents: (UIControlEventValueChanged, 4096)
//
// A tap flips it and sends each value-changed action ("v@:@", the switch)
// to its target, which is not retained. It draws as a track in the on-tint
// (green unless set) or light grey, with a white knob at the side it is on.

#include "sim/uikit/UIKitConstants.h"

namespace uikit {

void defineUISwitch();

} // namespace uikit
