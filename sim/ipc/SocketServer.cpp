#include "sim/ipc/SocketServer.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ipc {

SocketServer::SocketServer(dsp::RunLoop& loop, std::string path, Hub& hub, IdentityResolver resolver,
                           ControlHandler control)
    : m_loop(loop)
    , m_path(std::move(path))
    , m_hub(hub)
    , m_resolver(std::move(resolver))
    , m_control(std::move(control)) {}

SocketServer::~SocketServer() {
    while (!m_connections.empty())
        drop(m_connections.begin()->first);
    if (m_listenWatch) m_loop.removeWatch(m_listenWatch);
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        ::unlink(m_path.c_str());
    }
}

bool SocketServer::listen() {
    sockaddr_un addr{};
    if (m_path.size() >= sizeof addr.sun_path) return false;
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listenFd < 0) return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, m_path.c_str(), m_path.size() + 1);
    ::unlink(m_path.c_str()); // a socket left by a daemon that died
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_listenFd, 64) != 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    m_listenWatch = m_loop.addWatch(m_listenFd, POLLIN, [this](short) { accept(); });
    return true;
}

void SocketServer::accept() {
    for (;;) {
        int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;
        ucred cred{};
        socklen_t len = sizeof cred;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) {
            ::close(fd);
            continue;
        }
        ConnectionId id = m_nextId++;
        Connection& c = m_connections[id];
        c.fd = fd;
        c.pid = cred.pid;
        c.watch = m_loop.addWatch(fd, POLLIN, [this, id](short ev) { onEvent(id, ev); });
    }
}

void SocketServer::onEvent(ConnectionId id, short events) {
    auto it = m_connections.find(id);
    if (it == m_connections.end()) return;
    if (events & POLLOUT) flush(id);
    it = m_connections.find(id);
    if (it == m_connections.end() || !(events & (POLLIN | POLLHUP | POLLERR))) return;
    char buf[65536];
    ssize_t n = ::recv(it->second.fd, buf, sizeof buf, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        drop(id);
        return;
    }
    bool ok = it->second.reader.append(std::string_view(buf, static_cast<std::size_t>(n)));
    // Frames parsed from this read are handled one by one; a frame may drop
    // the connection, so it is looked up again each time.
    for (;;) {
        auto conn = m_connections.find(id);
        if (conn == m_connections.end()) return;
        auto frame = conn->second.reader.next();
        if (!frame) break;
        handleFrame(id, *frame);
    }
    if (!ok) {
        ++m_dropped;
        drop(id);
    }
}

void SocketServer::handleFrame(ConnectionId id, const fnd::Dictionary& op) {
    Connection& c = m_connections.at(id);
    const std::string* kind = fnd::valueForKey(op, "op").string();
    if (!c.helloed) {
        if (!kind || *kind != "hello") {
            ++m_dropped;
            drop(id);
            return;
        }
        c.helloed = true;
        PeerIdentity identity = m_resolver(c.pid, op);
        m_peers[id] = m_hub.addPeer(identity, [this, id](const fnd::Dictionary& d) { sendTo(id, d); });
        return;
    }
    Hub::PeerId peer = m_peers.at(id);
    static const std::set<std::string> kHubOps{"observe", "unobserve", "post", "register", "send"};
    bool ok;
    if (kind && kHubOps.count(*kind))
        ok = m_hub.handle(peer, op);
    else {
        auto identity = m_hub.identity(peer);
        ok = kind && identity && m_control(id, *identity, op);
    }
    if (!ok && m_connections.count(id)) {
        ++m_dropped;
        drop(id);
    }
}

void SocketServer::sendTo(ConnectionId id, const fnd::Dictionary& op) {
    auto it = m_connections.find(id);
    if (it == m_connections.end()) return;
    auto frame = encodeFrame(op);
    if (!frame) return;
    it->second.out += *frame;
    if (it->second.out.size() > kMaxPendingBytes) {
        // A peer that does not read is dropped before it can exhaust the daemon.
        // The drop happens on the next turn: sinks run inside hub calls.
        m_loop.post([this, id] {
            if (m_connections.count(id)) {
                ++m_dropped;
                drop(id);
            }
        });
        return;
    }
    flush(id);
}

void SocketServer::flush(ConnectionId id) {
    Connection& c = m_connections.at(id);
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
        updateWatch(id);
    }
}

void SocketServer::updateWatch(ConnectionId id) {
    Connection& c = m_connections.at(id);
    m_loop.removeWatch(c.watch);
    short events = POLLIN | (c.wantsWrite ? POLLOUT : 0);
    c.watch = m_loop.addWatch(c.fd, events, [this, id](short ev) { onEvent(id, ev); });
}

void SocketServer::drop(ConnectionId id) {
    auto it = m_connections.find(id);
    if (it == m_connections.end()) return;
    pid_t pid = it->second.pid;
    m_loop.removeWatch(it->second.watch);
    ::close(it->second.fd);
    m_connections.erase(it);
    if (auto p = m_peers.find(id); p != m_peers.end()) {
        m_hub.removePeer(p->second);
        m_peers.erase(p);
    }
    if (m_onClose) m_onClose(id, pid);
}

std::optional<pid_t> SocketServer::pidOf(ConnectionId id) const {
    auto it = m_connections.find(id);
    if (it == m_connections.end()) return std::nullopt;
    return it->second.pid;
}

} // namespace ipc

namespace ipc {
std::vector<SocketServer::ConnectionId> SocketServer::connectionsOf(pid_t pid) const {
    std::vector<ConnectionId> out;
    for (const auto& [id, c] : m_connections)
        if (c.pid == pid) out.push_back(id);
    return out;
}
} // namespace ipc
