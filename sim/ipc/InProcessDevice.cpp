#include "sim/ipc/InProcessDevice.h"

namespace ipc {

InProcessDevice::Process InProcessDevice::connect(PeerIdentity identity, dsp::RunLoop* mainLoop) {
    // The endpoint and the hub refer to each other; the peer id is known only
    // once the peer is added, so the uplink reads it from a shared cell.
    auto peerCell = std::make_shared<Hub::PeerId>(0);
    auto endpoint = std::make_unique<Endpoint>(
        [this, peerCell](const fnd::Dictionary& op) { m_hub.handle(*peerCell, op); }, mainLoop);
    Endpoint* raw = endpoint.get();
    *peerCell = m_hub.addPeer(std::move(identity), [raw](const fnd::Dictionary& op) { raw->receive(op); });
    return Process{*peerCell, std::move(endpoint)};
}

void InProcessDevice::disconnect(Process& p) {
    m_hub.removePeer(p.peer);
    p.endpoint.reset();
}

} // namespace ipc
