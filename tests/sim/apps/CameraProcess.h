#pragma once
// What the Camera app's process holds before any of its code runs, for the
// tests that play that process: UIKit for the model, PhotoKit, the Photos UI
// framework, the application classes and the Camera's own classes. Answers
// the application class, for the launch.

#include "sim/apps/camera/Camera.h"
#include "sim/apps/host/Application.h"
#include "sim/photos/kit/Internals.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIScreen.h"

#include <string>

namespace apptest {

inline rt::Class* registerCameraProcess(const std::string& model) {
    uikit::setScreenModel(model);
    uikit::registerUIKit();
    photos::registerPhotoKit();
    photos::registerPhotosUI();
    rt::Class* appClass = apps::registerApplicationClasses("com.apple.camera");
    camera::registerClasses();
    return appClass;
}

} // namespace apptest
