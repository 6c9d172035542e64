// lumisim view: a live window onto the booted device, in the browser.
//
//   view [--port N]
//
// Serves the page on 127.0.0.1 (port 8412 unless --port says otherwise; 0
// takes any free port), prints its address, and runs until the device shuts
// down (exit 0) or the viewer is interrupted. The page shows the front app
// as the device draws it, with the device's status beside it, and turns
// clicks, held clicks, drags and typing into touches and keys (view/).

#include "sim/foundation/DevicePaths.h"
#include "sim/lumisim/Commands.h"
#include "sim/lumisim/view/ViewServer.h"
#include "sim/lumisim/view/ViewSession.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace lumisim {

namespace {

constexpr int kDefaultPort = 8412;

int runView(const Parsed& p) {
    int port = kDefaultPort;
    if (p.options.count("--port")) {
        char* end = nullptr;
        long n = std::strtol(p.options.at("--port").c_str(), &end, 10);
        if (*end || n < 0 || n > 65535) fail("view: --port must be a number from 0 to 65535", 2);
        port = static_cast<int>(n);
    }
    auto device = connectOrFail(p);
    // Ctrl-C or a TERM ends the viewer (not the device). Blocked before the
    // server's thread starts, so that it inherits the mask and the loop alone
    // hears them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    ::sigprocmask(SIG_BLOCK, &signals, nullptr);
    dsp::RunLoop loop;
    dsp::RunLoop::setMain(&loop);
    // The server's thread hands what viewers send to the session once there
    // is one (a viewer may connect before it is made).
    std::atomic<view::ViewSession*> current{nullptr};
    std::string error;
    auto server = view::ViewServer::start(
        port,
        [&current](std::string message) {
            if (view::ViewSession* s = current.load()) s->input(std::move(message));
        },
        error);
    if (!server) fail("view: " + error);
    auto session = std::make_unique<view::ViewSession>(loop, std::move(device), *server,
                                                       fnd::hostPath("/var/log/system.log").string());
    current = session.get();

    int sfd = ::signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (sfd >= 0) loop.addWatch(sfd, POLLIN, [&loop](short) { loop.stop(); });

    std::printf("lumisim view: http://127.0.0.1:%d/ shows the device at %s\n", server->port(), p.root.c_str());
    std::fflush(stdout);
    session->start();
    loop.run();
    bool gone = session->deviceGone();
    server.reset(); // its thread joined: nothing hands the session a message any more
    session.reset();
    if (sfd >= 0) ::close(sfd);
    std::printf("lumisim view: %s\n", gone ? "the device shut down" : "stopped");
    return 0;
}

} // namespace

CommandSpec viewCommand() { return {"view [--port N]", {"--port"}, {}, 0, 0, runView}; }

} // namespace lumisim
