#include "sim/foundation/ProcessIdentity.h"

#include <cstdlib>
#include <deque>
#include <mutex>

namespace fnd {

namespace {
std::mutex g_lock;
// Every identity ever set stays alive: a caller may still hold a reference to
// an earlier one. Only tests set it more than once.
std::deque<ProcessIdentity> g_identities;
ProcessIdentity* g_identity = nullptr;

ProcessIdentity fromEnvironment() {
    ProcessIdentity id;
    if (const char* b = std::getenv("LUMI_BUNDLE_ID"); b && *b) id.bundleIdentifier = b;
    if (const char* c = std::getenv("LUMI_CONTAINER"); c && *c) {
        id.sandboxed = true;
        id.container = c;
    }
    return id;
}
} // namespace

const ProcessIdentity& processIdentity() {
    std::lock_guard guard(g_lock);
    if (!g_identity) g_identity = &g_identities.emplace_back(fromEnvironment());
    return *g_identity;
}

void setProcessIdentity(ProcessIdentity identity) {
    std::lock_guard guard(g_lock);
    g_identity = &g_identities.emplace_back(std::move(identity));
}

} // namespace fnd
