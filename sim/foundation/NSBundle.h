#pragma once
// NSBundle as a runtime class: a folder of code and resources on the device.
//
//   +bundleWithPath: (nil when there is no such folder) -bundlePath
//   -pathForResource:ofType: (the device path, or "" when the file is missing)
//   -bundleIdentifier (from its Info.plist's CFBundleIdentifier, or "")

#include "sim/runtime/Runtime.h"

#include <string>

namespace fnd {

void registerNSBundle();
rt::Ref<rt::Object> makeBundle(const std::string& devicePath);

} // namespace fnd
