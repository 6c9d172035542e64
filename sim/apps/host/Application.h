#pragma once
// The application object of an app process (UIApplication:
// +sharedApplication, -keyWindow, -openURL:), with the lifecycle messages
// the process sends it. Each installed app has its own
// subclass, named in the app catalog (SpringBoard, PhotosApplication, ...);
// the stock apps override these methods with their own behaviour.

#include "sim/runtime/Runtime.h"

namespace apps {

// Defines UIApplication and the catalog app's application class, unless the
// app's own code already defined them.
rt::Class* registerApplicationClasses(const std::string& bundleIdentifier);

// The window an app shows when its own code made none: its launch screen,
// white, with the app's name in the middle. Made key.
void showLaunchScreen(const std::string& bundleIdentifier);

// [UIApplication sharedApplication]
rt::Ref<rt::Object> sharedApplication();
void setSharedApplication(rt::Ref<rt::Object> app);

} // namespace apps
