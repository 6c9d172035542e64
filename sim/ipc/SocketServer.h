#pragma once
// SocketServer: the device daemon's end of the device socket.
//
// It listens on a Unix socket, reads frames from every connection on one run
// loop, and hands each connection's operations to the hub as a peer. A
// connection's first frame must be "hello"; its identity then comes from the
// resolver, which is given the pid the kernel reports for the peer
// (SO_PEERCRED), so a process cannot claim to be another. Operations the hub
// does not know go to the control handler. A connection that sends a
// malformed frame, an unknown operation, or stops reading while the server's
// buffer for it grows past a limit is dropped; the others carry on.
// Parsed frames are handled after the read returns, never re-entrantly.

#include "sim/dispatch/RunLoop.h"
#include "sim/ipc/Frame.h"
#include "sim/ipc/Hub.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace ipc {

class SocketServer {
public:
    using ConnectionId = Hub::PeerId;
    using IdentityResolver = std::function<PeerIdentity(pid_t pid, const fnd::Dictionary& hello)>;
    // Returns false for an operation it does not know: the connection is dropped.
    using ControlHandler = std::function<bool(ConnectionId, const PeerIdentity&, const fnd::Dictionary& op)>;

    SocketServer(dsp::RunLoop& loop, std::string path, Hub& hub, IdentityResolver resolver, ControlHandler control);
    ~SocketServer();
    SocketServer(const SocketServer&) = delete;
    SocketServer& operator=(const SocketServer&) = delete;

    bool listen();
    const std::string& path() const { return m_path; }

    // Sends an operation to one connection (a reply, a lifecycle event).
    void sendTo(ConnectionId id, const fnd::Dictionary& op);
    void drop(ConnectionId id);
    std::optional<pid_t> pidOf(ConnectionId id) const;
    std::vector<ConnectionId> connectionsOf(pid_t pid) const;
    std::size_t connectionCount() const { return m_connections.size(); }
    std::size_t droppedCount() const { return m_dropped; }
    // Called when a connection ends, whatever the reason.
    void setOnClose(std::function<void(ConnectionId, pid_t)> onClose) { m_onClose = std::move(onClose); }

    static constexpr std::size_t kMaxPendingBytes = 64u << 20;

private:
    struct Connection {
        int fd;
        pid_t pid;
        bool helloed = false;
        FrameReader reader;
        std::string out;
        int watch = 0;
        bool wantsWrite = false;
    };

    void accept();
    void onEvent(ConnectionId id, short events);
    void handleFrame(ConnectionId id, const fnd::Dictionary& op);
    void flush(ConnectionId id);
    void updateWatch(ConnectionId id);

    dsp::RunLoop& m_loop;
    std::string m_path;
    Hub& m_hub;
    IdentityResolver m_resolver;
    ControlHandler m_control;
    std::function<void(ConnectionId, pid_t)> m_onClose;
    int m_listenFd = -1;
    int m_listenWatch = 0;
    ConnectionId m_nextId = 1;
    std::map<ConnectionId, Connection> m_connections;
    std::map<ConnectionId, Hub::PeerId> m_peers;
    std::size_t m_dropped = 0;
};

} // namespace ipc
