#include "sim/ipc/MessagingCenter.h"

#include "sim/foundation/ProcessIdentity.h"
#include "sim/ipc/Endpoint.h"

namespace ipc {

namespace {
Endpoint& endpoint() {
    Endpoint* e = Endpoint::shared();
    if (!e) rt::fatal("messaging centre used before the process joined the device");
    return *e;
}

rt::Class* centerClass() {
    static rt::Class* cls = [] {
        rt::Class* c = rt::getClass("CPDistributedMessagingCenter");
        return c ? c : rt::defineClass("CPDistributedMessagingCenter");
    }();
    return cls;
}
} // namespace

MessagingCenter::MessagingCenter(std::string name)
    : rt::Object(centerClass())
    , m_name(std::move(name)) {}

rt::Ref<MessagingCenter> MessagingCenter::centerNamed(const std::string& name) {
    return rt::Ref<MessagingCenter>::adopt(new MessagingCenter(name));
}

void MessagingCenter::runServerOnCurrentThread() { endpoint().runServer(m_name); }

void MessagingCenter::registerForMessageName(const std::string& message, rt::Ref<rt::Object> target, rt::Sel selector) {
    endpoint().registerHandler(m_name, message, std::move(target), selector);
}

void MessagingCenter::sendMessageName(const std::string& message, fnd::Dictionary userInfo) {
    // A sandboxed app may look up only the services its sandbox allows; a
    // tweak's centre is reachable only through the bootstrap step.
    if (fnd::processIdentity().sandboxed && !m_bootstrapped) return;
    endpoint().sendMessage(m_name, message, std::move(userInfo));
}

std::optional<PeerIdentity> MessagingCenter::currentSender() { return Endpoint::senderBeingHandled(); }

void rocketbootstrap_distributedmessagingcenter_apply(MessagingCenter* center) {
    if (center) center->m_bootstrapped = true;
}

} // namespace ipc
