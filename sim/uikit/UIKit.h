#pragma once
// UIKit on the device: its classes as runtime classes. Built so far: UIColor,
// UIView with CALayer, layout passes, hit-testing and block animations,
// UIFont with text measured by Pango, UILabel, UIImageView, the spinner
// and the blur view, UIScreen and UIDevice by device model, UIWindow and
// UIViewController with presentation, and the renderer that draws a view
// tree (Render.h).

namespace uikit {

// Defines the classes once per process (and UIImage, which graphics holds).
void registerUIKit();

} // namespace uikit
