#pragma once
// The identity of this process: the main bundle's identifier (NSBundle
// mainBundle.bundleIdentifier), and whether the process runs in a sandbox
// with a data container.
//
// The device daemon sets it for every app it spawns through the environment
// (LUMI_BUNDLE_ID, LUMI_CONTAINER); a test plays an app with setProcessIdentity().

#include <optional>
#include <string>

namespace fnd {

struct ProcessIdentity {
    std::optional<std::string> bundleIdentifier; // none for a process without a bundle
    bool sandboxed = false;
    std::string container; // device path of the data container, when sandboxed
};

const ProcessIdentity& processIdentity();
void setProcessIdentity(ProcessIdentity identity);

// NSBundle.mainBundle.bundleIdentifier.
inline const std::optional<std::string>& mainBundleIdentifier() { return processIdentity().bundleIdentifier; }

} // namespace fnd
