#include "sim/ipc/DeviceSocket.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/SystemLog.h"
#include "sim/ipc/Operations.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ipc {

std::string deviceSocketPath() {
    if (const char* p = std::getenv("LUMI_DEVICED_SOCKET"); p && *p) return p;
    return fnd::hostPath("/private/var/run/deviced.sock").string();
}

std::string operatorChannelName() {
    std::error_code ec;
    std::string root = std::filesystem::weakly_canonical(fnd::deviceRoot(), ec).string();
    if (ec) root = fnd::deviceRoot().string();
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a: stable across builds and processes
    for (unsigned char ch : root) {
        hash ^= ch;
        hash *= 1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "lumicrate12-device-operator-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

std::optional<int> inheritedDeviceConnection() {
    const char* text = std::getenv("LUMI_DEVICED_FD");
    if (!text || !*text) return std::nullopt;
    char* end = nullptr;
    long fd = std::strtol(text, &end, 10);
    if (*end || fd < 3 || fd > 1024) return std::nullopt;
    int type = 0;
    socklen_t len = sizeof type;
    if (::getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_TYPE, &type, &len) != 0 || type != SOCK_STREAM)
        return std::nullopt;
    return static_cast<int>(fd);
}

std::unique_ptr<DeviceSocket> DeviceSocket::adopt(int fd) {
    if (fd < 0) return nullptr;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    return std::unique_ptr<DeviceSocket>(new DeviceSocket(fd));
}

namespace {
// A connected stream socket to a Unix address: a path, or (with `abstract`)
// a name in the abstract namespace, which starts with a NUL and has no
// terminator of its own. -1 when nothing listens there or it may not be reached.
int connectUnix(const std::string& address, bool abstract) {
    sockaddr_un addr{};
    std::size_t offset = abstract ? 1 : 0;
    if (address.size() + offset >= sizeof addr.sun_path) return -1;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path + offset, address.data(), address.size());
    auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + address.size() + (abstract ? 0 : 1));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
} // namespace

std::unique_ptr<DeviceSocket> DeviceSocket::connect(const std::string& path) {
    int fd = connectUnix(path, false);
    return fd < 0 ? nullptr : std::unique_ptr<DeviceSocket>(new DeviceSocket(fd));
}

std::unique_ptr<DeviceSocket> DeviceSocket::connectAsOperator() {
    int fd = connectUnix(operatorChannelName(), true);
    return fd < 0 ? nullptr : std::unique_ptr<DeviceSocket>(new DeviceSocket(fd));
}

DeviceSocket::~DeviceSocket() {
    if (m_loop && m_watch) m_loop->removeWatch(m_watch);
    ::close(m_fd);
}

bool DeviceSocket::send(const fnd::Dictionary& op) {
    auto frame = encodeFrame(op);
    if (!frame) return false;
    std::lock_guard guard(m_writeLock);
    if (m_broken) return false;
    std::string_view rest = *frame;
    while (!rest.empty()) {
        ssize_t n = ::send(m_fd, rest.data(), rest.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            m_broken = true;
            return false;
        }
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void DeviceSocket::attach(dsp::RunLoop& loop, std::function<void(fnd::Dictionary)> onFrame,
                          std::function<void()> onClose) {
    m_loop = &loop;
    m_onFrame = std::move(onFrame);
    m_onClose = std::move(onClose);
    m_watch = loop.addWatch(m_fd, POLLIN, [this](short) { onReadable(); });
}

void DeviceSocket::onReadable() {
    char buf[65536];
    ssize_t n = ::recv(m_fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    bool ok = n > 0 && m_reader.append(std::string_view(buf, static_cast<std::size_t>(n)));
    logSkipped();
    while (auto frame = m_reader.next())
        m_onFrame(std::move(*frame));
    if (!ok) {
        m_loop->removeWatch(m_watch);
        m_watch = 0;
        if (auto close = std::move(m_onClose)) close();
    }
}

void DeviceSocket::logSkipped() {
    for (; m_skippedLogged < m_reader.skipped(); ++m_skippedLogged)
        fnd::systemLog(fnd::LogLevel::Error, "ipc: a frame from the device could not be read; it was dropped");
}

std::optional<fnd::Dictionary> DeviceSocket::readFrame(dsp::Duration timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (auto f = m_reader.next()) return f;
        if (m_reader.failed()) return std::nullopt;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd p{m_fd, POLLIN, 0};
        int r = ::poll(&p, 1, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return std::nullopt;
        char buf[65536];
        ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
        bool ok = n > 0 && m_reader.append(std::string_view(buf, static_cast<std::size_t>(n)));
        logSkipped();
        if (!ok) return m_reader.next();
    }
}

std::optional<fnd::Dictionary> DeviceSocket::request(const fnd::Dictionary& op, dsp::Duration timeout) {
    if (!send(op)) return std::nullopt;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        auto left = deadline - std::chrono::steady_clock::now();
        if (left <= dsp::Duration::zero()) return std::nullopt;
        auto f = readFrame(std::chrono::duration_cast<dsp::Duration>(left));
        if (!f) return std::nullopt;
        const std::string* kind = fnd::valueForKey(*f, op::kKey).string();
        if (kind && *kind == op::kReply) return f;
    }
}

} // namespace ipc
