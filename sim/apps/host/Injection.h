#pragma once
// Library injection, as the code-injection framework does it: every library
// in /Library/MobileSubstrate/DynamicLibraries comes with a property list of
// the same name whose Filter names the bundle identifiers it is for:
//
//   { Filter = { Bundles = ( "com.apple.camera", "com.apple.springboard" ); }; }
//
// A filter may also name a framework's bundle: "com.apple.UIKit" is every
// process that loads UIKit, which here is every app.
//
// The app process loads the matching libraries in name order before any of
// its own code runs; each library's constructor runs then, once.

#include <string>
#include <vector>

namespace apps {

inline constexpr const char* kInjectionFolder = "/Library/MobileSubstrate/DynamicLibraries";

inline constexpr const char* kUIKitBundle = "com.apple.UIKit";

// Whether a filter property list names this app (its bundle identifier, or
// a framework every app loads). A filter that cannot be read names nothing.
bool filterMatches(const std::string& filterPlistDevicePath, const std::string& bundleIdentifier);

// Loads every library whose filter matches; returns the names loaded.
std::vector<std::string> loadInjectedLibraries(const std::string& bundleIdentifier);

} // namespace apps
