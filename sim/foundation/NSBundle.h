#pragma once
// NSBundle as a runtime class: a folder of code and resources on the device.
//
//   +bundleWithPath: (nil when there is no such folder) -bundlePath
//   -pathForResource:ofType: (the device path, or "" when the file is missing)
//   -bundleIdentifier (from its Info.plist's CFBundleIdentifier, or "")
//   +mainBundle: the running app's bundle; its identifier is the one the
//   device gave the process (ProcessIdentity.h)
//   -localizedStringForKey:value:table: the translation in the bundle's
//   en.lproj/<table>.strings (a property-list dictionary; the device speaks
//   English); without one, `value` when it is not empty, else the key, as
//   Foundation answers for a key no table holds

#include "sim/runtime/Runtime.h"

#include <string>

namespace fnd {

void registerNSBundle();
rt::Ref<rt::Object> makeBundle(const std::string& devicePath);

} // namespace fnd
