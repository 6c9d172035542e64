#pragma once
// Device paths: every absolute path the system uses ("/var/mobile/Library/...")
// names a file under the booted device's root folder on the host. Only this
// file knows the root; everything above it uses device paths as written.
//
// The root comes from setDeviceRoot() (the device daemon, a test fixture) or
// else from the environment variable LUMI_DEVICE_ROOT, which the daemon sets
// for every process it spawns. "/var" and "/private/var" are one folder: the
// device root holds a link var -> private/var, made by prepareDeviceRoot().

#include <filesystem>
#include <string>
#include <string_view>

namespace fnd {

void setDeviceRoot(const std::filesystem::path& root);
// The root in force; fatal when no root has been set: a file operation with no
// device is a programming error, not a file that is missing.
const std::filesystem::path& deviceRoot();
bool hasDeviceRoot();

// Host path of a device path. ".." cannot climb above the device root; a
// relative path is taken as relative to the device root.
std::filesystem::path hostPath(std::string_view devicePath);

// Lexical normal form of a device path: absolute, no ".", "..", or repeated
// slashes, "/private/var/..." spelt "/var/...".
std::string normalizeDevicePath(std::string_view devicePath);

// Creates the folders of a device root, with the var link.
bool prepareDeviceRoot(const std::filesystem::path& root);

} // namespace fnd
