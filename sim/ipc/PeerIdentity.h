#pragma once
// Who a process is, as the device knows it: the device daemon spawned it, so
// the pid, the bundle identifier and the sandbox come from its own records,
// never from what the process says about itself.

#include "sim/foundation/Value.h"

#include <optional>
#include <string>
#include <sys/types.h>

namespace ipc {

struct PeerIdentity {
    pid_t pid = 0;
    std::optional<std::string> bundleIdentifier; // none: not an app the device spawned
    bool sandboxed = true;
    bool system = false; // a system process (SpringBoard): may serve named centres
    // The operator: a client that reached the device through the operator's
    // channel (the command line, the tests), which no app's sandbox lets it
    // reach: the device's owner, as on a phone a person at its screen or a
    // debugger attached to it.
    bool isOperator = false;

    fnd::Dictionary toDictionary() const;
    static std::optional<PeerIdentity> fromDictionary(const fnd::Dictionary& d);
};

} // namespace ipc
