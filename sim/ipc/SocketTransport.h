#pragma once
// The socket transport: this process's endpoint wired to the device daemon
// over the device socket. Frames are read on the given run loop (the main
// loop of an app process); the endpoint then dispatches each delivery on its
// next turn.

#include "sim/ipc/DeviceSocket.h"
#include "sim/ipc/Endpoint.h"

#include <functional>
#include <memory>

namespace ipc {

class SocketTransport {
public:
    // Connects and says hello. `hello` may carry anything; the daemon decides
    // who this process is from its own records. Null when nothing listens.
    static std::unique_ptr<SocketTransport> connect(const std::string& path, dsp::RunLoop& loop,
                                                    fnd::Dictionary hello = {});
    // The same over a socket this process already holds (the connection the
    // device handed it at spawn, which is who it is to the device).
    static std::unique_ptr<SocketTransport> adopt(std::unique_ptr<DeviceSocket> socket, dsp::RunLoop& loop,
                                                  fnd::Dictionary hello = {});
    Endpoint& endpoint() { return *m_endpoint; }
    DeviceSocket& socket() { return *m_socket; }
    // Called once when the daemon goes away or the stream breaks.
    void setOnClose(std::function<void()> onClose) { m_onClose = std::move(onClose); }

private:
    SocketTransport() = default;
    std::unique_ptr<DeviceSocket> m_socket;
    std::unique_ptr<Endpoint> m_endpoint;
    std::function<void()> m_onClose;
};

} // namespace ipc
