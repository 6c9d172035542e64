#pragma once
// Daemon: the device. One event loop that owns the device socket, the hub,
// and every app process, which it spawns itself and so knows for sure.
//
// Identity is bound at spawn: the daemon hands each app one end of a socket
// pair (its descriptor 3) and keeps the other, bound to the app's identity.
// Each app runs inside the walls of its role (Sandbox.h), entered between
// fork and exec. A connection through a door has no app identity (no
// bundle, sandboxed, not a system process), whatever its pid or hello say;
// who it is is settled when it is accepted: the operator's when it came
// through the operator's channel (an abstract socket no app's sandbox lets
// it reach), a device program's when the kernel names the device's killall
// started by an app that may run it, and nobody's otherwise. Each control
// operation says who may ask it; a refusal is answered with an error and
// logged in one line.
//
// Control operations (ipc/Operations.h; each answered with a "reply", an
// unknown one with an error that names it): status, launch, terminate,
// background, foreground, killall, shutdown (status names the front app:
// the one that came to the foreground last, else SpringBoard), and ui {bundle, request}: an
// automation request (uikit/Automation.h) carried to the app as {op "ui",
// id, request}; the app's {op "ui-answer", id, answer} is relayed as the
// reply. Only the process the request went to may answer
// it; an app that ends or stays silent for 10 seconds of device time gets
// the asker an error. SpringBoard is
// started at boot and started again, after a short delay, whenever it dies;
// "killall backboardd" ends SpringBoard and every app and starts SpringBoard
// again, as a user-interface restart does on the phone.

#include "sim/deviced/AppSpawn.h"
#include "sim/deviced/Sandbox.h"
#include "sim/ipc/Hub.h"
#include "sim/ipc/SocketServer.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace deviced {

struct Options {
    std::filesystem::path root;
    std::string model = "iphone8";
    double timeScale = 1.0;
    std::string binFolder;                 // where lumi_app and the device tools are
    double springboardRelaunchDelay = 1.0; // seconds of device time
    std::string passcode;                  // the owner's passcode; empty: none set
    bool fingerEnrolled = false;           // a finger enrolled for Touch ID
    bool advisoryWalls = false;            // no kernel sandbox even where the kernel has one (benchmarks)
};

bool isKnownModel(const std::string& model);

// Posted by the device whenever an app starts, ends or changes state (status
// then names the new "front" app: the one a person sees).
inline constexpr const char* kAppsChanged = "com.lumi.sim.apps-changed";

class Daemon {
public:
    explicit Daemon(Options options);
    ~Daemon();
    // Boots the device and serves until shutdown. The exit status.
    int run();

private:
    struct App {
        pid_t pid;
        std::string bundle;
        bool sandboxed;
        bool system;
        ipc::SocketServer::ConnectionId connection; // born with the app: its identity
        std::string state = "foreground";
        std::uint64_t cameForward = 0; // when it last came to the foreground, in the daemon's count
    };
    // The app a person sees: the one that came to the foreground last and is
    // still there, else SpringBoard (its home screen); empty with neither.
    std::string frontApp() const;
    // Tells observers (a live viewer) that the apps or their states changed.
    void appsChanged();
    std::uint64_t m_forwardCount = 0;
    // Who asks, as the daemon knows it: the operator (a client on the
    // operator's channel: the command line, the tests), SpringBoard or
    // another app (by the connection each was born with), or a process on a
    // connection of its own through the device socket's path (an app's, or a
    // program an app started).
    // A device program (the device's /usr/bin/killall) is inside the device
    // and runs the platform's own code, which any app may start.
    enum class Caller { Operator, SpringBoard, App, DeviceProgram, Inside };
    enum class Allowed { Operator, OperatorAndSpringBoard, OperatorAndDevicePrograms, Anyone };

    bool boot();
    ipc::PeerIdentity resolve(ipc::SocketServer::ConnectionId id) const;
    bool control(ipc::SocketServer::ConnectionId from, const fnd::Dictionary& op);
    using Control = bool (Daemon::*)(ipc::SocketServer::ConnectionId from, const std::string& kind,
                                     const fnd::Dictionary& op);
    struct ControlEntry {
        Control handler;
        Allowed allowed;
    };
    static const std::map<std::string_view, ControlEntry>& controls();
    static bool permits(Allowed allowed, Caller caller);
    static std::optional<pid_t> parentOf(pid_t pid);
    Caller classify(const ipc::SocketServer::Accepted& accepted) const;
    const App* startingApp(pid_t pid) const;
    std::string describeCaller(ipc::SocketServer::ConnectionId id, Caller who) const;
    std::optional<ipc::Hub::PeerId> peerOfApp(pid_t pid) const;
    std::optional<pid_t> runningApp(ipc::SocketServer::ConnectionId from, const fnd::Dictionary& op);
    bool statusOp(ipc::SocketServer::ConnectionId from, const std::string& kind, const fnd::Dictionary& op);
    bool launchOp(ipc::SocketServer::ConnectionId from, const std::string& kind, const fnd::Dictionary& op);
    bool terminateOp(ipc::SocketServer::ConnectionId from, const std::string& kind, const fnd::Dictionary& op);
    bool lifecycleOp(ipc::SocketServer::ConnectionId from, const std::string& kind, const fnd::Dictionary& op);
    bool killallOp(ipc::SocketServer::ConnectionId from, const std::string& kind, const fnd::Dictionary& op);
    bool uiOp(ipc::SocketServer::ConnectionId from, const std::string& kind, const fnd::Dictionary& op);
    bool shutdownOp(ipc::SocketServer::ConnectionId from, const std::string& kind, const fnd::Dictionary& op);
    void reply(ipc::SocketServer::ConnectionId to, bool ok, fnd::Dictionary body = {});
    fnd::Dictionary status() const;

    std::optional<pid_t> spawn(const std::string& bundle);
    std::optional<pid_t> pidOf(const std::string& bundle) const;
    void sendLifecycle(pid_t pid, const char* event);
    void terminate(pid_t pid, double graceSeconds);
    void onChildrenExited();
    void scheduleSpringBoard(double delaySeconds);
    void forwardUi(ipc::SocketServer::ConnectionId from, pid_t pid, const std::string& bundle,
                   const fnd::Dictionary& request);
    bool answerUi(ipc::SocketServer::ConnectionId from, const std::string& kind, const fnd::Dictionary& op);
    void failUi(std::int64_t id, const std::string& why);

    Options m_options;
    std::shared_ptr<dsp::Clock> m_clock;
    std::unique_ptr<dsp::RunLoop> m_loop;
    ipc::Hub m_hub;
    std::unique_ptr<ipc::SocketServer> m_server;
    std::map<pid_t, App> m_apps;
    std::map<ipc::SocketServer::ConnectionId, Caller> m_callers;
    int m_signalFd = -1;
    Walls m_walls = Walls::Advisory;
    SandboxCache m_sandboxes;
    bool m_restartingUI = false;
    std::set<pid_t> m_endingForRestart; // what a restart of the interface waits for
    bool m_shuttingDown = false;
    bool m_springboardPending = false;
    // Apps asked to launch while their last process was ending (its
    // connection gone, not yet reaped): started again once it is.
    std::set<std::string> m_launchAfterExit;

    struct PendingUi {
        ipc::SocketServer::ConnectionId asker;
        pid_t app;
        ipc::SocketServer::ConnectionId appConnection;
        std::string bundle;
        std::shared_ptr<dsp::Timer> timeout;
    };
    std::map<std::int64_t, PendingUi> m_pendingUi;
    std::int64_t m_nextUi = 1;
};

} // namespace deviced
