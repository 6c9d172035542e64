#include "sim/deviced/Daemon.h"

#include "sim/foundation/AppCatalog.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "sim/foundation/SystemLog.h"
#include "sim/ipc/DeviceSocket.h"
#include "sim/ipc/Operations.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace deviced {

using fnd::Dictionary;
using fnd::Value;
namespace fs = std::filesystem;

bool isKnownModel(const std::string& model) {
    return model == "iphone8" || model == "iphone8plus" || model == "iphonexs" || model == "ipad";
}

Daemon::Daemon(Options options)
    : m_options(std::move(options))
    , m_sandboxes(m_options.binFolder) {
    m_clock = m_options.timeScale != 1.0 ? std::shared_ptr<dsp::Clock>(new dsp::ScaledClock(m_options.timeScale))
                                         : std::shared_ptr<dsp::Clock>(new dsp::SystemClock);
    m_loop = std::make_unique<dsp::RunLoop>(m_clock);
}

Daemon::~Daemon() {
    m_server.reset();
    if (m_signalFd >= 0) ::close(m_signalFd);
}

bool Daemon::boot() {
    if (!fnd::prepareDeviceRoot(m_options.root)) return false;
    fnd::setDeviceRoot(m_options.root);
    fnd::createDirectory("/private/var/run", true);
    fnd::createDirectory("/var/mobile/Containers/Data/Application", true);
    fnd::writePlistFile("/System/Library/device.plist",
                        Value(Dictionary{{"model", Value(m_options.model)},
                                         {"timeScale", Value(m_options.timeScale)},
                                         {"passcode", Value(m_options.passcode)},
                                         {"fingerEnrolled", Value(m_options.fingerEnrolled)}}));
    // The device's own programs: /usr/bin/killall is the device tool.
    std::error_code ec;
    fs::path killall = fnd::hostPath("/usr/bin/killall");
    fs::remove(killall, ec);
    fs::create_symlink(fs::path(m_options.binFolder) / "lumi_killall", killall, ec);
    // The log every app appends to; it is there before any app's walls are drawn.
    std::ofstream(fnd::hostPath("/var/log/system.log"), std::ios::app);

    m_walls = m_options.advisoryWalls ? Walls::Advisory : wallsOnThisKernel();
    if (m_walls != Walls::Kernel)
        fnd::systemLog(fnd::LogLevel::Error,
                       m_walls == Walls::FilesOnly
                           ? "deviced: the kernel's Landlock has no scopes (ABI " + std::to_string(landlockAbi()) +
                                 "): apps' files are walled, their signals and the operator's channel are advisory"
                           : std::string("deviced: ") +
                                 (m_options.advisoryWalls ? "--advisory-walls" : "the kernel has no Landlock") +
                                 ": the walls are advisory");

    // Whatever an app starts stays in the daemon's tree when its parent dies:
    // its exit is reaped here, and a device program it started, orphaned,
    // has no app to take its rights from.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    // Children are reaped through a signalfd on the loop.
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGCHLD);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    ::sigprocmask(SIG_BLOCK, &mask, nullptr);
    m_signalFd = ::signalfd(-1, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
    m_loop->addWatch(m_signalFd, POLLIN, [this](short) {
        signalfd_siginfo info;
        bool stop = false;
        while (::read(m_signalFd, &info, sizeof info) == sizeof info)
            if (info.ssi_signo == SIGTERM || info.ssi_signo == SIGINT) stop = true;
        onChildrenExited();
        if (stop && !m_shuttingDown) {
            m_shuttingDown = true;
            for (const auto& [pid, app] : m_apps)
                terminate(pid, 2.0);
            if (m_apps.empty()) m_loop->stop();
        }
    });

    m_server = std::make_unique<ipc::SocketServer>(
        *m_loop, m_hub, [this](ipc::SocketServer::ConnectionId id, const Dictionary&) { return resolve(id); },
        [this](ipc::SocketServer::ConnectionId from, const ipc::PeerIdentity&, const Dictionary& op) {
            return control(from, op);
        });
    // Who a connection is is settled here, once, from the door it came
    // through and the process the kernel names; never again from a pid.
    m_server->setOnAccept([this](ipc::SocketServer::ConnectionId id, const ipc::SocketServer::Accepted& accepted) {
        m_callers[id] = accepted.door == ipc::SocketServer::Door::Operator ? Caller::Operator : classify(accepted);
    });
    m_server->setOnClose([this](ipc::SocketServer::ConnectionId closed, pid_t) {
        m_callers.erase(closed);
        // Only the app's own connection ending leaves its requests unanswered
        // (another connection from the same process may come and go).
        std::vector<std::int64_t> orphaned;
        for (const auto& [request, p] : m_pendingUi)
            if (p.appConnection == closed) orphaned.push_back(request);
        for (auto request : orphaned)
            failUi(request, m_pendingUi.at(request).bundle + " ended before it answered");
    });
    if (!m_server->listen(ipc::deviceSocketPath())) {
        std::fprintf(stderr, "deviced: cannot listen on %s\n", ipc::deviceSocketPath().c_str());
        return false;
    }
    if (!m_server->listen(ipc::operatorChannelName(), ipc::SocketServer::Door::Operator, true)) {
        std::fprintf(stderr, "deviced: cannot open the operator's channel %s (a device is booted at this root?)\n",
                     ipc::operatorChannelName().c_str());
        return false;
    }
    fnd::writeTextFileAtomically("/private/var/run/deviced.pid", std::to_string(::getpid()));
    return spawn(fnd::kSpringBoard).has_value();
}

int Daemon::run() {
    if (!boot()) return 1;
    fnd::systemLog(fnd::LogLevel::Notice, "deviced: booted (" + m_options.model + ")");
    m_loop->run();
    fnd::removeFile("/private/var/run/deviced.pid");
    fnd::systemLog(fnd::LogLevel::Notice, "deviced: shut down");
    return 0;
}

// A connection through a door was not born with an app: it has no app
// identity, whatever its pid or its hello say (a pid can be reused; a
// process can open more connections than the one it was given). One that
// came through the operator's channel is the operator's; any other is
// nobody in particular.
ipc::PeerIdentity Daemon::resolve(ipc::SocketServer::ConnectionId id) const {
    ipc::PeerIdentity identity{m_server->pidOf(id).value_or(0), std::nullopt, true, false};
    auto caller = m_callers.find(id);
    identity.isOperator = caller != m_callers.end() && caller->second == Caller::Operator;
    return identity;
}

// A process's parent, from /proc; none for a process that is gone.
std::optional<pid_t> Daemon::parentOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::size_t close = text.rfind(')'); // the command name may hold anything
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(text.substr(close + 1));
    std::string state;
    long parent = 0;
    if (!(fields >> state >> parent)) return std::nullopt;
    return static_cast<pid_t>(parent);
}

// The app that started a device program: the nearest app among its
// ancestors; none when no app is (its app ended and it was adopted).
const Daemon::App* Daemon::startingApp(pid_t pid) const {
    for (int depth = 0; depth < 256 && pid > 1 && pid != ::getpid(); ++depth) {
        auto parent = parentOf(pid);
        if (!parent) return nullptr;
        pid = *parent;
        if (auto it = m_apps.find(pid); it != m_apps.end()) return &it->second;
    }
    return nullptr;
}

std::optional<pid_t> Daemon::spawn(const std::string& bundle) {
    const fnd::AppInfo* info = fnd::findApp(bundle);
    if (!info) return std::nullopt;
    if (info->sandboxed) fnd::createDirectory(fnd::containerPath(bundle) + "/tmp", true);

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string_view v(*e);
        if (!v.starts_with("LUMI_") && !v.starts_with("TMPDIR=")) env.emplace_back(v);
    }
    env.push_back("LUMI_DEVICE_ROOT=" + fnd::deviceRoot().string());
    env.push_back("LUMI_BUNDLE_ID=" + bundle);
    env.push_back("LUMI_DEVICED_SOCKET=" + ipc::deviceSocketPath());
    env.push_back("LUMI_DEVICED_FD=" + std::to_string(kInheritedConnectionFd));
    env.push_back("LUMI_TIME_SCALE=" + std::to_string(m_options.timeScale));
    env.push_back("LUMI_DEVICE_MODEL=" + m_options.model);
    if (info->sandboxed) env.push_back("LUMI_CONTAINER=" + fnd::containerPath(bundle));
    // Its temporary folder (SQLite's spill files go there): the container's
    // for a sandboxed app, the device's /tmp for the others.
    env.push_back("TMPDIR=" +
                  fnd::hostPath(info->sandboxed ? fnd::containerPath(bundle) + "/tmp" : std::string("/tmp")).string());
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    // The app's connection to the device is born here: one end stays with
    // the daemon, bound to the app's identity; the other is the app's
    // descriptor 3. Who the app is never depends on its pid.
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        fnd::systemLog(fnd::LogLevel::Error, "deviced: no connection for " + bundle);
        return std::nullopt;
    }
    if (pair[1] == kInheritedConnectionFd) { // dup2 onto itself would keep close-on-exec set
        int moved = ::fcntl(pair[1], F_DUPFD_CLOEXEC, kInheritedConnectionFd + 1);
        ::close(pair[1]);
        pair[1] = moved;
    }
    std::string exe = m_options.binFolder + "/lumi_app";
    std::string log = fnd::hostPath("/var/log/" + bundle + ".log").string();
    const AppSandbox* walls = nullptr;
    if (m_walls != Walls::Advisory) {
        walls = m_sandboxes.forApp(*info);
        if (!walls) { // never an app outside its walls where the kernel draws them
            ::close(pair[0]);
            ::close(pair[1]);
            fnd::systemLog(fnd::LogLevel::Error, "deviced: cannot spawn " + bundle + ": no sandbox");
            return std::nullopt;
        }
    }
    std::optional<pid_t> spawned = spawnProcess(exe, envp, log, pair[1], walls);
    ::close(pair[1]);
    if (!spawned) {
        ::close(pair[0]);
        fnd::systemLog(fnd::LogLevel::Error, "deviced: cannot spawn " + exe);
        return std::nullopt;
    }
    pid_t pid = *spawned;
    ::fcntl(pair[0], F_SETFL, ::fcntl(pair[0], F_GETFL) | O_NONBLOCK);
    auto connection = m_server->adopt(pair[0], pid, ipc::PeerIdentity{pid, bundle, info->sandboxed, info->system});
    m_callers[connection] = bundle == fnd::kSpringBoard ? Caller::SpringBoard : Caller::App;
    m_apps[pid] = App{pid, bundle, info->sandboxed, info->system, connection};
    m_apps[pid].cameForward = ++m_forwardCount;
    fnd::systemLog(fnd::LogLevel::Notice, "deviced: launched " + bundle + " pid " + std::to_string(pid));
    appsChanged();
    return pid;
}

std::optional<pid_t> Daemon::pidOf(const std::string& bundle) const {
    for (const auto& [pid, app] : m_apps)
        if (app.bundle == bundle) return pid;
    return std::nullopt;
}

void Daemon::sendLifecycle(pid_t pid, const char* event) {
    if (auto it = m_apps.find(pid); it != m_apps.end())
        m_server->sendTo(it->second.connection,
                         Dictionary{{ipc::op::kKey, Value(ipc::op::kLifecycle)}, {"event", Value(event)}});
}

std::optional<ipc::Hub::PeerId> Daemon::peerOfApp(pid_t pid) const {
    auto it = m_apps.find(pid);
    return it == m_apps.end() ? std::nullopt : m_server->peerOf(it->second.connection);
}

void Daemon::terminate(pid_t pid, double graceSeconds) {
    sendLifecycle(pid, ipc::op::kEventTerminate);
    m_loop->scheduleTimer(dsp::seconds(graceSeconds), false, [this, pid](dsp::Timer&) {
        if (m_apps.count(pid)) ::kill(pid, SIGKILL);
    });
}

void Daemon::scheduleSpringBoard(double delaySeconds) {
    if (m_springboardPending) return;
    m_springboardPending = true;
    m_loop->scheduleTimer(dsp::seconds(delaySeconds), false, [this](dsp::Timer&) {
        m_springboardPending = false;
        if (!m_shuttingDown && !pidOf(fnd::kSpringBoard)) spawn(fnd::kSpringBoard);
    });
}

void Daemon::onChildrenExited() {
    for (;;) {
        int status = 0;
        pid_t pid = ::waitpid(-1, &status, WNOHANG);
        if (pid <= 0) break;
        auto it = m_apps.find(pid);
        if (it == m_apps.end()) continue;
        std::string bundle = it->second.bundle;
        m_apps.erase(it);
        std::string how = WIFSIGNALED(status) ? " (signal " + std::to_string(WTERMSIG(status)) + ")"
                          : WIFEXITED(status) && WEXITSTATUS(status) != 0
                              ? " (status " + std::to_string(WEXITSTATUS(status)) + ")"
                              : "";
        fnd::systemLog(fnd::LogLevel::Notice, "deviced: " + bundle + " pid " + std::to_string(pid) + " exited" + how);
        appsChanged();
        if (m_shuttingDown) continue;
        if (m_launchAfterExit.erase(bundle) && !pidOf(bundle)) spawn(bundle);
        if (m_restartingUI) {
            // The interface comes back once the processes it ended are gone
            // (an app launched meanwhile does not hold it back).
            m_endingForRestart.erase(pid);
            if (m_endingForRestart.empty()) {
                m_restartingUI = false;
                if (!pidOf(fnd::kSpringBoard)) spawn(fnd::kSpringBoard);
            }
        } else if (bundle == fnd::kSpringBoard) {
            scheduleSpringBoard(m_options.springboardRelaunchDelay);
        }
    }
    if (m_shuttingDown && m_apps.empty()) m_loop->stop();
}

std::string Daemon::frontApp() const {
    const App* front = nullptr;
    for (const auto& [pid, app] : m_apps)
        if (app.bundle != fnd::kSpringBoard && app.state == ipc::op::kEventForeground &&
            (!front || app.cameForward > front->cameForward))
            front = &app;
    if (front) return front->bundle;
    return pidOf(fnd::kSpringBoard) ? fnd::kSpringBoard : "";
}

void Daemon::appsChanged() { m_hub.post(kAppsChanged); }

fnd::Dictionary Daemon::status() const {
    fnd::Array list;
    for (const auto& [pid, app] : m_apps) {
        auto peer = peerOfApp(pid);
        fnd::Array observing;
        if (peer)
            for (const auto& name : m_hub.observedNames(*peer))
                observing.push_back(Value(name));
        list.push_back(Value(Dictionary{{"pid", Value(static_cast<int64_t>(pid))},
                                        {"observing", Value(observing)},
                                        {"bundle", Value(app.bundle)},
                                        {"state", Value(app.state)},
                                        {"connected", Value(peer.has_value())},
                                        {"sandboxed", Value(app.sandboxed)}}));
    }
    fnd::Array centres;
    for (const auto& c : m_hub.centres())
        centres.push_back(Value(c));
    return Dictionary{{"apps", Value(list)},
                      {"front", Value(frontApp())},
                      {"centres", Value(centres)},
                      {"model", Value(m_options.model)},
                      {"walls", Value(describe(m_walls))},
                      {"dropped", Value(static_cast<int64_t>(m_server->droppedCount()))}};
}

void Daemon::reply(ipc::SocketServer::ConnectionId to, bool ok, Dictionary body) {
    body[ipc::op::kKey] = Value(ipc::op::kReply);
    body["ok"] = Value(ok);
    m_server->sendTo(to, body);
}

// The device's control operations: name -> handler. Each answers its asker;
// false means the operation could not be read and the peer is dropped.
// The device's control operations: name -> handler, and who may ask. Each
// answers its asker; false means the operation could not be read and the
// peer is dropped. An app's own connections ask nothing here (they post,
// observe, send and serve through the hub); what the platform lets any app
// do, it does through the device's programs (/usr/bin/killall, which any app
// may start); SpringBoard may also launch apps (its home screen); the
// operator (the command line, the tests: processes outside the device) may
// ask anything.
const std::map<std::string_view, Daemon::ControlEntry>& Daemon::controls() {
    static const std::map<std::string_view, ControlEntry> table{
        {ipc::op::kStatus, {&Daemon::statusOp, Allowed::Operator}},
        {ipc::op::kLaunch, {&Daemon::launchOp, Allowed::OperatorAndSpringBoard}},
        {ipc::op::kTerminate, {&Daemon::terminateOp, Allowed::Operator}},
        {ipc::op::kBackground, {&Daemon::lifecycleOp, Allowed::Operator}},
        {ipc::op::kForeground, {&Daemon::lifecycleOp, Allowed::Operator}},
        {ipc::op::kKillall, {&Daemon::killallOp, Allowed::OperatorAndDevicePrograms}},
        {ipc::op::kUi, {&Daemon::uiOp, Allowed::Operator}},
        {ipc::op::kUiAnswer, {&Daemon::answerUi, Allowed::Anyone}}, // checked against the request's app
        {ipc::op::kShutdown, {&Daemon::shutdownOp, Allowed::Operator}},
    };
    return table;
}

bool Daemon::permits(Allowed allowed, Caller caller) {
    switch (allowed) {
    case Allowed::Anyone:
        return true;
    case Allowed::OperatorAndSpringBoard:
        return caller == Caller::Operator || caller == Caller::SpringBoard;
    case Allowed::OperatorAndDevicePrograms:
        return caller == Caller::Operator || caller == Caller::DeviceProgram;
    case Allowed::Operator:
        return caller == Caller::Operator;
    }
    return false;
}

bool Daemon::control(ipc::SocketServer::ConnectionId from, const Dictionary& op) {
    const std::string& kind = *fnd::valueForKey(op, ipc::op::kKey).string();
    auto it = controls().find(kind);
    if (it == controls().end()) {
        reply(from, false, {{"error", Value(ipc::op::unknownOperation(kind))}}); // the peer is kept
        return true;
    }
    auto caller = m_callers.find(from);
    Caller who = caller == m_callers.end() ? Caller::Inside : caller->second;
    if (!permits(it->second.allowed, who)) {
        std::string asker = describeCaller(from, who);
        fnd::systemLog(fnd::LogLevel::Error, "deviced: refused \"" + kind + "\" from " + asker);
        reply(from, false, {{"error", Value("\"" + kind + "\" is not for " + asker + " to ask")}});
        return true;
    }
    return (this->*it->second.handler)(from, kind, op);
}

// A connection through the device socket's path: a device program (the
// device's killall, started by an app whose role may start it), or else a
// process with no rights of its own.
Daemon::Caller Daemon::classify(const ipc::SocketServer::Accepted& accepted) const {
    pid_t pid = accepted.pid;
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
    fs::path killall = fs::weakly_canonical(fs::path(m_options.binFolder) / "lumi_killall", ec);
    if (exe.empty() || exe != killall) return Caller::Inside;
    // A device program has the rights of the app that started it: a
    // sandboxed app may not start a program at all, so its killall is
    // refused; SpringBoard's and the Settings app's are the device's own.
    const App* starter = startingApp(pid);
    if (!starter || starter->sandboxed) return Caller::Inside;
    // What /proc said was about the process that connected only if it is
    // still alive now: a pid freed and taken again in between names another.
    if (accepted.pidfd >= 0 && ::syscall(SYS_pidfd_send_signal, accepted.pidfd, 0, nullptr, 0) != 0)
        return Caller::Inside;
    return Caller::DeviceProgram;
}

std::string Daemon::describeCaller(ipc::SocketServer::ConnectionId id, Caller who) const {
    auto pid = m_server->pidOf(id);
    std::string process = pid ? "pid " + std::to_string(*pid) : "a closed connection";
    for (const auto& [appPid, app] : m_apps)
        if (app.connection == id) return app.bundle + " (" + process + ")";
    return who == Caller::Operator ? "the operator (" + process + ")" : "a process inside the device (" + process + ")";
}

// The running app that `op` names by its bundle, or none (the asker is answered why).
std::optional<pid_t> Daemon::runningApp(ipc::SocketServer::ConnectionId from, const Dictionary& op) {
    const std::string* bundle = fnd::valueForKey(op, "bundle").string();
    if (!bundle || !fnd::findApp(*bundle)) {
        reply(from, false, {{"error", Value("no app named " + (bundle ? *bundle : std::string("''")))}});
        return std::nullopt;
    }
    auto pid = pidOf(*bundle);
    if (!pid) reply(from, false, {{"error", Value(*bundle + " is not running")}});
    return pid;
}

bool Daemon::statusOp(ipc::SocketServer::ConnectionId from, const std::string&, const Dictionary&) {
    reply(from, true, status());
    return true;
}

bool Daemon::launchOp(ipc::SocketServer::ConnectionId from, const std::string&, const Dictionary& op) {
    const std::string* bundle = fnd::valueForKey(op, "bundle").string();
    if (!bundle || !fnd::findApp(*bundle)) {
        reply(from, false, {{"error", Value("no app named " + (bundle ? *bundle : std::string("''")))}});
        return true;
    }
    auto pid = pidOf(*bundle);
    if (pid && !peerOfApp(*pid)) { // ending: a new process once this one is gone
        m_launchAfterExit.insert(*bundle);
        reply(from, true, {{"after", Value(static_cast<int64_t>(*pid))}});
        return true;
    }
    if (pid) { // already running: bring it to the foreground
        m_apps[*pid].state = ipc::op::kEventForeground;
        m_apps[*pid].cameForward = ++m_forwardCount;
        if (auto peer = peerOfApp(*pid)) m_hub.setSuspended(*peer, false);
        appsChanged();
    } else
        pid = spawn(*bundle);
    if (pid)
        reply(from, true, {{"pid", Value(static_cast<int64_t>(*pid))}});
    else
        reply(from, false, {{"error", Value("cannot spawn " + *bundle)}});
    return true;
}

bool Daemon::terminateOp(ipc::SocketServer::ConnectionId from, const std::string&, const Dictionary& op) {
    if (auto pid = runningApp(from, op)) {
        terminate(*pid, 2.0);
        reply(from, true, {{"pid", Value(static_cast<int64_t>(*pid))}});
    }
    return true;
}

bool Daemon::lifecycleOp(ipc::SocketServer::ConnectionId from, const std::string& kind, const Dictionary& op) {
    auto pid = runningApp(from, op);
    if (!pid) return true;
    bool back = kind == ipc::op::kBackground;
    App& app = m_apps[*pid];
    if (app.state != kind) {
        app.state = kind;
        if (!back) app.cameForward = ++m_forwardCount;
        auto peer = peerOfApp(*pid);
        // Going to the background, the app hears of it first, then is
        // suspended; coming back, what it was owed arrives before the event.
        if (back) {
            sendLifecycle(*pid, ipc::op::kEventBackground);
            if (peer) m_hub.setSuspended(*peer, true);
        } else {
            if (peer) m_hub.setSuspended(*peer, false);
            sendLifecycle(*pid, ipc::op::kEventForeground);
        }
        appsChanged();
    }
    reply(from, true, {{"pid", Value(static_cast<int64_t>(*pid))}});
    return true;
}

bool Daemon::killallOp(ipc::SocketServer::ConnectionId from, const std::string&, const Dictionary& op) {
    const std::string* name = fnd::valueForKey(op, "name").string();
    if (name && (*name == "backboardd" || *name == "SpringBoard")) {
        m_restartingUI = !m_apps.empty();
        for (const auto& [pid, app] : m_apps) {
            m_endingForRestart.insert(pid);
            ::kill(pid, SIGKILL);
        }
        if (m_apps.empty()) spawn(fnd::kSpringBoard);
        reply(from, true);
    } else {
        reply(from, false, {{"error", Value("No matching processes")}});
    }
    return true;
}

bool Daemon::uiOp(ipc::SocketServer::ConnectionId from, const std::string&, const Dictionary& op) {
    const Dictionary* request = fnd::valueForKey(op, "request").dictionary();
    if (!request) {
        reply(from, false, {{"error", Value("ui needs a request")}});
        return true;
    }
    if (auto pid = runningApp(from, op)) forwardUi(from, *pid, *fnd::valueForKey(op, "bundle").string(), *request);
    return true;
}

bool Daemon::shutdownOp(ipc::SocketServer::ConnectionId from, const std::string&, const Dictionary&) {
    m_shuttingDown = true;
    reply(from, true);
    for (const auto& [pid, app] : m_apps)
        terminate(pid, 2.0);
    if (m_apps.empty()) m_loop->post([this] { m_loop->stop(); });
    return true;
}

void Daemon::forwardUi(ipc::SocketServer::ConnectionId from, pid_t pid, const std::string& bundle,
                       const Dictionary& request) {
    auto app = m_apps.find(pid);
    if (app == m_apps.end() || !m_server->peerOf(app->second.connection)) {
        reply(from, false, {{"error", Value(bundle + " has not joined the device yet")}});
        return;
    }
    ipc::SocketServer::ConnectionId connection = app->second.connection;
    std::int64_t id = m_nextUi++;
    auto timeout = m_loop->scheduleTimer(dsp::seconds(10), false, [this, id](dsp::Timer&) {
        auto it = m_pendingUi.find(id);
        if (it != m_pendingUi.end()) failUi(id, it->second.bundle + " did not answer");
    });
    m_pendingUi[id] = PendingUi{from, pid, connection, bundle, timeout};
    m_server->sendTo(connection,
                     Dictionary{{ipc::op::kKey, Value(ipc::op::kUi)}, {"id", Value(id)}, {"request", Value(request)}});
}

bool Daemon::answerUi(ipc::SocketServer::ConnectionId from, const std::string&, const Dictionary& op) {
    const std::int64_t* id = fnd::valueForKey(op, "id").integer();
    const Dictionary* answer = fnd::valueForKey(op, "answer").dictionary();
    if (!id || !answer) return false; // malformed: the peer is dropped
    auto it = m_pendingUi.find(*id);
    // An answer nobody waits for any more (it came too late) is dropped;
    // one from any connection but the app's the request went to is refused.
    if (it == m_pendingUi.end()) return true;
    if (from != it->second.appConnection) return false;
    PendingUi pending = it->second;
    m_pendingUi.erase(it);
    pending.timeout->invalidate();
    Dictionary body = *answer;
    bool ok = fnd::valueForKey(body, "ok").boolValue();
    reply(pending.asker, ok, std::move(body));
    return true;
}

void Daemon::failUi(std::int64_t id, const std::string& why) {
    auto it = m_pendingUi.find(id);
    if (it == m_pendingUi.end()) return;
    PendingUi pending = it->second;
    m_pendingUi.erase(it);
    pending.timeout->invalidate();
    reply(pending.asker, false, {{"error", Value(why)}});
}

} // namespace deviced
