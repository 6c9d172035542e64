#include "sim/ipc/SocketTransport.h"

#include "sim/ipc/Operations.h"

namespace ipc {

std::unique_ptr<SocketTransport> SocketTransport::connect(const std::string& path, dsp::RunLoop& loop,
                                                          fnd::Dictionary hello) {
    return adopt(DeviceSocket::connect(path), loop, std::move(hello));
}

std::unique_ptr<SocketTransport> SocketTransport::adopt(std::unique_ptr<DeviceSocket> socket, dsp::RunLoop& loop,
                                                        fnd::Dictionary hello) {
    if (!socket) return nullptr;
    hello[op::kKey] = fnd::Value(op::kHello);
    if (!socket->send(hello)) return nullptr;
    std::unique_ptr<SocketTransport> t(new SocketTransport);
    t->m_socket = std::move(socket);
    DeviceSocket* raw = t->m_socket.get();
    t->m_endpoint = std::make_unique<Endpoint>([raw](const fnd::Dictionary& op) { raw->send(op); }, &loop);
    SocketTransport* self = t.get();
    t->m_socket->attach(
        loop, [self](fnd::Dictionary op) { self->m_endpoint->receive(std::move(op)); },
        [self] {
            if (self->m_onClose) self->m_onClose();
        });
    return t;
}

} // namespace ipc
