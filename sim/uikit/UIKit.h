#pragma once
// UIKit on the device: its classes as runtime classes. Built so far: UIColor,
// UIView with CALayer, layout passes, hit-testing and block animations.

namespace uikit {

// Defines the classes once per process (and UIImage, which graphics holds).
void registerUIKit();

} // namespace uikit
