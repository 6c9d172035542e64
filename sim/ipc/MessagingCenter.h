#pragma once
// Named one-way messages in the shape of AppSupport's
// CPDistributedMessagingCenter, with RocketBootstrap's step that lets a
// sandboxed app reach a server that a system process runs.
//
// sendMessageName:userInfo: returns at once; delivery is not confirmed, and a
// message sent while no server runs is lost. A server registers handlers by
// message name; each handler is sent its selector with the name and the user
// info ("v@:@@") on the server's main thread, one message at a time, in the
// order the device received them.

#include "sim/foundation/Value.h"
#include "sim/ipc/PeerIdentity.h"
#include "sim/runtime/Runtime.h"

#include <optional>
#include <string>

namespace ipc {

class MessagingCenter : public rt::Object {
public:
    // centerNamed:
    static rt::Ref<MessagingCenter> centerNamed(const std::string& name);

    const std::string& name() const { return m_name; }
    void runServerOnCurrentThread();
    void registerForMessageName(const std::string& message, rt::Ref<rt::Object> target, rt::Sel selector);
    // sendMessageName:userInfo: — the user info must hold property-list values only.
    void sendMessageName(const std::string& message, fnd::Dictionary userInfo);
    // Inside a handler, on the server's main thread: who sent the message
    // being handled, as the device knows it (it spawned the sender). None
    // outside a handler, and for a sender that is not an app the device
    // started. What the user info says about its sender proves nothing.
    static std::optional<PeerIdentity> currentSender();
    // Whether the bootstrap step was applied.
    bool bootstrapApplied() const { return m_bootstrapped; }

private:
    friend void rocketbootstrap_distributedmessagingcenter_apply(MessagingCenter*);
    explicit MessagingCenter(std::string name);
    std::string m_name;
    bool m_bootstrapped = false;
};

// The RocketBootstrap step: without it, a sandboxed process's sends to a
// system server are refused by the sandbox and lost.
void rocketbootstrap_distributedmessagingcenter_apply(MessagingCenter* center);

} // namespace ipc
