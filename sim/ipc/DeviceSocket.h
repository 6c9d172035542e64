#pragma once
// The client end of the device socket: a connection to the device daemon
// that sends frames (from any thread, each frame written whole under a lock)
// and reads them on a run loop.

#include "sim/dispatch/RunLoop.h"
#include "sim/ipc/Frame.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace ipc {

// The socket of the device at `root`: LUMI_DEVICED_SOCKET when set, else
// <root>/private/var/run/deviced.sock.
std::string deviceSocketPath();
// The operator's channel of the device at the current root: a name in the
// abstract namespace, derived from the root's canonical path, which no app's
// sandbox lets it reach. Whoever connects through it is the operator.
std::string operatorChannelName();
// The descriptor of the connection the device handed this process when it
// spawned it (LUMI_DEVICED_FD), or none.
std::optional<int> inheritedDeviceConnection();

class DeviceSocket {
public:
    ~DeviceSocket();
    // Null when nothing listens at `path`.
    static std::unique_ptr<DeviceSocket> connect(const std::string& path);
    // Null when no device listens on its operator's channel, or this
    // process may not reach it.
    static std::unique_ptr<DeviceSocket> connectAsOperator();
    // A connected stream socket this process already holds (the one the
    // device handed it at spawn); it becomes close-on-exec here, so that no
    // program this process starts inherits it.
    static std::unique_ptr<DeviceSocket> adopt(int fd);

    // False once the connection is gone.
    bool send(const fnd::Dictionary& op);
    // Reads on `loop`: every frame goes to onFrame; the end of the stream or
    // a malformed one to onClose, once.
    void attach(dsp::RunLoop& loop, std::function<void(fnd::Dictionary)> onFrame, std::function<void()> onClose);
    // For command-line requests: sends `op` and waits for the first frame
    // whose "op" is "reply", up to `timeout`.
    std::optional<fnd::Dictionary> request(const fnd::Dictionary& op, dsp::Duration timeout);
    // Blocks for the next frame of any kind, up to `timeout`.
    std::optional<fnd::Dictionary> readFrame(dsp::Duration timeout);
    int fd() const { return m_fd; }

private:
    explicit DeviceSocket(int fd)
        : m_fd(fd) {}
    void onReadable();
    int m_fd;
    std::mutex m_writeLock;
    bool m_broken = false;
    // A frame this end cannot read is skipped with a log line; it never closes the connection.
    FrameReader m_reader{kFrameLimits, FrameReader::OnUnreadable::Skip};
    std::size_t m_skippedLogged = 0;
    void logSkipped();
    dsp::RunLoop* m_loop = nullptr;
    int m_watch = 0;
    std::function<void(fnd::Dictionary)> m_onFrame;
    std::function<void()> m_onClose;
};

} // namespace ipc
