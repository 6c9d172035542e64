#pragma once
// SocketServer: the device daemon's end of the device socket.
//
// It listens on Unix sockets (its doors: a path, or a name in the abstract
// namespace), reads frames from every connection on one run loop, and hands
// each connection's operations to the hub as a peer. What is known of a
// connection is settled when it is accepted: the door it came through, and
// the peer the kernel reports (SO_PEERCRED, with a pidfd where the kernel
// gives one, so that a pid reused later is not taken for the peer). Its
// first frame must be "hello"; its identity then comes from the resolver,
// so a process cannot claim to be another. Operations that
// are not the hub's go to the control handler (the device's own). A
// connection that sends a malformed frame, an operation its receiver cannot
// read, or stops reading while the server's buffer for it grows past a limit
// is dropped; the others carry on.
//
// Reading and handling are two steps, as in SerenityOS's IPC connections
// (drain the messages from the peer, then handle them): the read callback
// only parses frames into the connection's inbox and asks the loop for a
// turn; on that turn the inbox is handled while the handler holds a strong
// reference to the connection, so a handler that drops its own connection
// (or any other) never leaves a frame being handled on freed state.

#include "sim/dispatch/RunLoop.h"
#include "sim/ipc/Frame.h"
#include "sim/ipc/Hub.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace ipc {

class SocketServer {
public:
    using ConnectionId = Hub::PeerId;
    // The door a connection came through: the device socket's path, which
    // any process may reach, or the operator's channel.
    enum class Door { Device, Operator };
    // What the kernel says of an accepted connection's peer.
    struct Accepted {
        pid_t pid = 0;
        int pidfd = -1; // the peer process itself, valid during the accept call; -1 when the kernel gives none
        Door door = Door::Device;
    };
    // Who an accepted connection is, asked at its hello (connections adopted
    // with their identity skip it).
    using IdentityResolver = std::function<PeerIdentity(ConnectionId, const fnd::Dictionary& hello)>;
    // Returns false for an operation it does not know: the connection is dropped.
    using ControlHandler = std::function<bool(ConnectionId, const PeerIdentity&, const fnd::Dictionary& op)>;

    SocketServer(dsp::RunLoop& loop, Hub& hub, IdentityResolver resolver, ControlHandler control);
    ~SocketServer();
    SocketServer(const SocketServer&) = delete;
    SocketServer& operator=(const SocketServer&) = delete;

    // Listens at a path (a socket left there by a server that died is
    // replaced) or, with `abstract`, at a name in the abstract namespace.
    bool listen(const std::string& address, Door door = Door::Device, bool abstract = false);
    // A connection born with its identity: one end of a socket pair whose
    // other end the daemon handed to a process it spawned. Its "hello" is
    // still the first frame, but who it is comes from here, never from the
    // resolver or from what it says.
    ConnectionId adopt(int fd, pid_t pid, PeerIdentity identity);
    // Told of every connection through a door as it is accepted, before it
    // can say anything.
    void setOnAccept(std::function<void(ConnectionId, const Accepted&)> onAccept) { m_onAccept = std::move(onAccept); }
    // The hub's peer of a connection, once it has said hello.
    std::optional<Hub::PeerId> peerOf(ConnectionId id) const;

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
    // Input held for frames not yet complete, across all connections: past
    // it, the connection whose read went over is dropped, never the daemon.
    // One connection alone holds at most one frame (16 MiB) and its header.
    static constexpr std::size_t kMaxBufferedInput = 64u << 20;
    std::size_t bufferedInput() const { return m_bufferedInput; }

private:
    struct Connection {
        ConnectionId id;
        int fd;
        pid_t pid;
        bool open = true;
        bool helloed = false;
        std::optional<PeerIdentity> born;        // the identity of an adopted connection
        bool handling = false;                   // a turn to handle the inbox is asked for
        FrameReader reader{kInboundFrameLimits}; // room left for the sender's record when forwarded
        std::size_t buffered = 0;                // what the reader held after the last read
        std::deque<fnd::Dictionary> inbox;       // parsed, not yet handled
        std::string out;
        int watch = 0;
        bool wantsWrite = false;
    };
    using ConnectionRef = std::shared_ptr<Connection>;

    struct Listener {
        int fd = -1;
        int watch = 0;
        Door door;
        std::string unlinkAtEnd; // the path bound, for a path listener
    };
    void accept(const Listener& listener);
    void onEvent(const ConnectionRef& c, short events);
    void drainMessagesFromPeer(const ConnectionRef& c);
    void handleMessages(const ConnectionRef& c);
    void handleFrame(const ConnectionRef& c, const fnd::Dictionary& op);
    void flush(Connection& c);
    void updateWatch(const ConnectionRef& c);
    ConnectionRef find(ConnectionId id) const;

    dsp::RunLoop& m_loop;
    Hub& m_hub;
    IdentityResolver m_resolver;
    ControlHandler m_control;
    std::function<void(ConnectionId, pid_t)> m_onClose;
    std::function<void(ConnectionId, const Accepted&)> m_onAccept;
    std::vector<Listener> m_listeners;
    ConnectionId m_nextId = 1;
    std::map<ConnectionId, ConnectionRef> m_connections;
    std::map<ConnectionId, Hub::PeerId> m_peers;
    std::size_t m_dropped = 0;
    std::size_t m_bufferedInput = 0; // the sum of every open connection's `buffered`
    // Turns the server asked the loop for see whether it still exists.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace ipc
