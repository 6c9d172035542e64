#pragma once
// The in-process transport: a hub in this process and endpoints wired to it
// directly, so a test can play one process (or several, sharing the test's
// main loop) with the device's exact semantics and no sockets.

#include "sim/ipc/Endpoint.h"
#include "sim/ipc/Hub.h"

#include <memory>

namespace ipc {

class InProcessDevice {
public:
    struct Process {
        Hub::PeerId peer;
        std::unique_ptr<Endpoint> endpoint;
    };

    // An endpoint for a process with this identity; its deliveries go to
    // `mainLoop` (null: the process's main loop).
    Process connect(PeerIdentity identity, dsp::RunLoop* mainLoop = nullptr);
    void disconnect(Process& p);
    Hub& hub() { return m_hub; }

private:
    Hub m_hub;
};

} // namespace ipc
