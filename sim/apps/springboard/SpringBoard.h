#pragma once
// SpringBoard, the stock app "com.apple.springboard": the application class
// `SpringBoard` and the home screen.
//
// -[SpringBoard applicationDidFinishLaunching:] puts up the home screen: a
// wallpaper and one icon per installed app (SpringBoard's own excepted),
// each an SBIconView with the app's name as its accessibility label. A tap
// on an icon asks the device to launch that app (or bring it forward).
// LocalAuthentication's system prompt shows over the home screen.

namespace springboard {

// Defines SpringBoard's classes (before injected libraries load).
void registerClasses();

} // namespace springboard
