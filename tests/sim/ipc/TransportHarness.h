#pragma once
// The two transports behind one face, so that one semantic suite runs
// against both: the in-process hub, and real sockets to a socket server that
// runs the hub on a thread of its own (as the device daemon does).

#include "sim/ipc/InProcessDevice.h"
#include "sim/ipc/SocketServer.h"
#include "sim/ipc/SocketTransport.h"

#include <memory>
#include <thread>

namespace testsupport {

struct TestProcess {
    ipc::Endpoint* endpoint = nullptr;
    ipc::Hub::PeerId peer = 0;
    ipc::PeerIdentity identity;
};

class TransportHarness {
public:
    virtual ~TransportHarness() = default;
    virtual TestProcess connect(ipc::PeerIdentity identity) = 0;
    virtual void disconnect(TestProcess& p) = 0;
    virtual ipc::Hub& hub() = 0;
    virtual const char* name() const = 0;
    // The socket a raw client can connect to (socket harness only).
    virtual std::string socketPath() const { return {}; }
};

std::unique_ptr<TransportHarness> makeInProcessHarness(dsp::RunLoop& main);
std::unique_ptr<TransportHarness> makeSocketHarness(dsp::RunLoop& main);

} // namespace testsupport
