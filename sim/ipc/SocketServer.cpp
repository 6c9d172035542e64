#include "sim/ipc/SocketServer.h"

#include "sim/foundation/SystemLog.h"
#include "sim/ipc/Operations.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ipc {

namespace {
// SO_PEERPIDFD (Linux 6.5); this distribution's headers predate it. An older
// kernel answers ENOPROTOOPT and the connection has no pidfd.
#ifdef SO_PEERPIDFD
constexpr int kPeerPidFdOption = SO_PEERPIDFD;
#else
constexpr int kPeerPidFdOption = 77;
#endif
} // namespace

SocketServer::SocketServer(dsp::RunLoop& loop, Hub& hub, IdentityResolver resolver, ControlHandler control)
    : m_loop(loop)
    , m_hub(hub)
    , m_resolver(std::move(resolver))
    , m_control(std::move(control)) {}

SocketServer::~SocketServer() {
    while (!m_connections.empty())
        drop(m_connections.begin()->first);
    for (const Listener& l : m_listeners) {
        m_loop.removeWatch(l.watch);
        ::close(l.fd);
        if (!l.unlinkAtEnd.empty()) ::unlink(l.unlinkAtEnd.c_str());
    }
}

bool SocketServer::listen(const std::string& address, Door door, bool abstract) {
    sockaddr_un addr{};
    // An abstract name starts with a NUL and has no terminator of its own.
    std::size_t offset = abstract ? 1 : 0;
    if (address.empty() || address.size() + offset >= sizeof addr.sun_path) return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path + offset, address.data(), address.size());
    auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + address.size() + (abstract ? 0 : 1));
    if (!abstract) ::unlink(address.c_str()); // a socket left by a daemon that died
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0 || ::listen(fd, 64) != 0) {
        ::close(fd);
        return false;
    }
    Listener l{fd, 0, door, abstract ? std::string() : address};
    std::size_t index = m_listeners.size();
    l.watch = m_loop.addWatch(fd, POLLIN, [this, index](short) { accept(m_listeners[index]); });
    m_listeners.push_back(std::move(l));
    return true;
}

void SocketServer::accept(const Listener& listener) {
    for (;;) {
        int fd = ::accept4(listener.fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;
        ucred cred{};
        socklen_t len = sizeof cred;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) {
            ::close(fd);
            continue;
        }
        // The peer as a process, not a number: it tells later whether the
        // process a pid names is still the one that connected.
        int pidfd = -1;
        len = sizeof pidfd;
        if (::getsockopt(fd, SOL_SOCKET, kPeerPidFdOption, &pidfd, &len) != 0) pidfd = -1;
        auto c = std::make_shared<Connection>();
        c->id = m_nextId++;
        c->fd = fd;
        c->pid = cred.pid;
        m_connections[c->id] = c;
        updateWatch(c);
        if (m_onAccept) m_onAccept(c->id, Accepted{cred.pid, pidfd, listener.door});
        if (pidfd >= 0) ::close(pidfd);
    }
}

SocketServer::ConnectionId SocketServer::adopt(int fd, pid_t pid, PeerIdentity identity) {
    auto c = std::make_shared<Connection>();
    c->id = m_nextId++;
    c->fd = fd;
    c->pid = pid;
    c->born = std::move(identity);
    m_connections[c->id] = c;
    updateWatch(c);
    return c->id;
}

std::optional<Hub::PeerId> SocketServer::peerOf(ConnectionId id) const {
    auto it = m_peers.find(id);
    if (it == m_peers.end()) return std::nullopt;
    return it->second;
}

SocketServer::ConnectionRef SocketServer::find(ConnectionId id) const {
    auto it = m_connections.find(id);
    return it == m_connections.end() ? nullptr : it->second;
}

void SocketServer::onEvent(const ConnectionRef& c, short events) {
    if (!c->open) return;
    if (events & POLLOUT) flush(*c);
    if (c->open && (events & (POLLIN | POLLHUP | POLLERR))) drainMessagesFromPeer(c);
}

// The read step: parse what arrived into the inbox and ask for a turn to
// handle it. Nothing is handled here.
void SocketServer::drainMessagesFromPeer(const ConnectionRef& c) {
    char buf[65536];
    ssize_t n = ::recv(c->fd, buf, sizeof buf, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        drop(c->id);
        return;
    }
    c->reader.append(std::string_view(buf, static_cast<std::size_t>(n)));
    while (auto frame = c->reader.next())
        c->inbox.push_back(std::move(*frame));
    m_bufferedInput = m_bufferedInput - c->buffered + c->reader.bufferedBytes();
    c->buffered = c->reader.bufferedBytes();
    if (m_bufferedInput > kMaxBufferedInput) {
        // The peer that took the daemon past what it holds for everyone goes.
        ++m_dropped;
        drop(c->id);
        return;
    }
    if (c->handling || (c->inbox.empty() && !c->reader.failed())) return;
    c->handling = true;
    std::weak_ptr<int> alive = m_alive;
    m_loop.post([this, alive, c] {
        if (alive.lock()) handleMessages(c);
    });
}

// The handling step, on a later turn of the loop: `c` is a strong reference,
// so the connection's state outlives a handler that drops it.
void SocketServer::handleMessages(const ConnectionRef& c) {
    c->handling = false;
    while (c->open && !c->inbox.empty()) {
        fnd::Dictionary op = std::move(c->inbox.front());
        c->inbox.pop_front();
        handleFrame(c, op);
    }
    // A malformed frame ends the connection once the good ones before it are handled.
    if (c->open && c->reader.failed()) {
        ++m_dropped;
        drop(c->id);
    }
}

void SocketServer::handleFrame(const ConnectionRef& c, const fnd::Dictionary& op) {
    const std::string* kind = fnd::valueForKey(op, op::kKey).string();
    if (!c->helloed) {
        if (!kind || *kind != op::kHello) {
            ++m_dropped;
            drop(c->id);
            return;
        }
        c->helloed = true;
        PeerIdentity identity = c->born ? *c->born : m_resolver(c->id, op);
        ConnectionId id = c->id;
        m_peers[id] = m_hub.addPeer(identity, [this, id](const fnd::Dictionary& d) { sendTo(id, d); });
        return;
    }
    Hub::PeerId peer = m_peers.at(c->id);
    bool ok;
    if (kind && Hub::handles(*kind))
        ok = m_hub.handle(peer, op);
    else {
        auto identity = m_hub.identity(peer);
        ok = kind && identity && m_control(c->id, *identity, op);
    }
    if (!ok && c->open) {
        ++m_dropped;
        drop(c->id);
    }
}

void SocketServer::sendTo(ConnectionId id, const fnd::Dictionary& op) {
    ConnectionRef c = find(id);
    if (!c) return;
    auto frame = encodeFrame(op);
    if (!frame) {
        // Past what any reader takes: refused here rather than by the receiver.
        fnd::systemLog(fnd::LogLevel::Error, "deviced: a frame for pid " + std::to_string(c->pid) +
                                                 " is past the frame limits; it was not sent");
        return;
    }
    c->out += *frame;
    if (c->out.size() > kMaxPendingBytes) {
        // A peer that does not read is dropped before it can exhaust the daemon.
        // The drop happens on the next turn: sinks run inside hub calls.
        std::weak_ptr<int> alive = m_alive;
        m_loop.post([this, alive, c] {
            if (!alive.lock() || !c->open) return;
            ++m_dropped;
            drop(c->id);
        });
        return;
    }
    flush(*c);
}

void SocketServer::flush(Connection& c) {
    while (!c.out.empty()) {
        ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) break;
            c.out.clear(); // the peer is gone; its hang-up arrives as a read
            break;
        }
        c.out.erase(0, static_cast<std::size_t>(n));
    }
    bool want = !c.out.empty();
    if (want != c.wantsWrite) {
        c.wantsWrite = want;
        if (ConnectionRef ref = find(c.id)) updateWatch(ref);
    }
}

void SocketServer::updateWatch(const ConnectionRef& c) {
    if (c->watch) m_loop.removeWatch(c->watch);
    short events = POLLIN | (c->wantsWrite ? POLLOUT : 0);
    std::weak_ptr<Connection> weak = c;
    c->watch = m_loop.addWatch(c->fd, events, [this, weak](short ev) {
        if (ConnectionRef strong = weak.lock()) onEvent(strong, ev);
    });
}

void SocketServer::drop(ConnectionId id) {
    auto it = m_connections.find(id);
    if (it == m_connections.end()) return;
    ConnectionRef c = it->second;
    m_connections.erase(it);
    c->open = false;
    m_bufferedInput -= c->buffered;
    c->buffered = 0;
    c->inbox.clear();
    m_loop.removeWatch(c->watch);
    ::close(c->fd);
    if (auto p = m_peers.find(id); p != m_peers.end()) {
        m_hub.removePeer(p->second);
        m_peers.erase(p);
    }
    if (m_onClose) m_onClose(id, c->pid);
}

std::optional<pid_t> SocketServer::pidOf(ConnectionId id) const {
    ConnectionRef c = find(id);
    if (!c) return std::nullopt;
    return c->pid;
}

std::vector<SocketServer::ConnectionId> SocketServer::connectionsOf(pid_t pid) const {
    std::vector<ConnectionId> out;
    for (const auto& [id, c] : m_connections)
        if (c->pid == pid) out.push_back(id);
    return out;
}

} // namespace ipc
