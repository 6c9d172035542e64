#include "sim/ipc/PeerIdentity.h"

namespace ipc {

fnd::Dictionary PeerIdentity::toDictionary() const {
    fnd::Dictionary d{{"pid", fnd::Value(static_cast<int64_t>(pid))},
                      {"sandboxed", fnd::Value(sandboxed)},
                      {"system", fnd::Value(system)},
                      {"operator", fnd::Value(isOperator)}};
    if (bundleIdentifier) d["bundle"] = fnd::Value(*bundleIdentifier);
    return d;
}

std::optional<PeerIdentity> PeerIdentity::fromDictionary(const fnd::Dictionary& d) {
    const auto* pid = fnd::valueForKey(d, "pid").integer();
    const auto* sandboxed = fnd::valueForKey(d, "sandboxed").boolean();
    const auto* system = fnd::valueForKey(d, "system").boolean();
    if (!pid || !sandboxed || !system) return std::nullopt;
    PeerIdentity id;
    id.pid = static_cast<pid_t>(*pid);
    id.sandboxed = *sandboxed;
    id.system = *system;
    if (const auto* b = fnd::valueForKey(d, "bundle").string()) id.bundleIdentifier = *b;
    if (const auto* o = fnd::valueForKey(d, "operator").boolean()) id.isOperator = *o;
    return id;
}

} // namespace ipc
