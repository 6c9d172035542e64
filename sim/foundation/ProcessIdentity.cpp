#include "sim/foundation/ProcessIdentity.h"

#include <cstdlib>
#include <mutex>

namespace fnd {

namespace {
std::mutex g_lock;
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
    if (!g_identity) g_identity = new ProcessIdentity(fromEnvironment());
    return *g_identity;
}

void setProcessIdentity(ProcessIdentity identity) {
    std::lock_guard guard(g_lock);
    // The old identity is kept alive: a caller may still hold a reference to it.
    g_identity = new ProcessIdentity(std::move(identity));
}

} // namespace fnd
