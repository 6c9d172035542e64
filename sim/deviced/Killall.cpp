// /usr/bin/killall on the device: asks the device to end processes by name.
// "killall backboardd" restarts the user interface: SpringBoard and every app
// end, and SpringBoard starts again.

#include "sim/ipc/DeviceSocket.h"
#include "sim/ipc/Operations.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: killall name\n");
        return 2;
    }
    auto socket = ipc::DeviceSocket::connect(ipc::deviceSocketPath());
    if (!socket || !socket->send({{ipc::op::kKey, fnd::Value(ipc::op::kHello)}})) {
        std::fprintf(stderr, "killall: the device is not running\n");
        return 1;
    }
    auto r = socket->request({{ipc::op::kKey, fnd::Value(ipc::op::kKillall)}, {"name", fnd::Value(argv[1])}},
                             std::chrono::seconds(10));
    const bool* ok = r ? fnd::valueForKey(*r, "ok").boolean() : nullptr;
    if (!ok || !*ok) {
        std::fprintf(stderr, "No matching processes were found\n");
        return 1;
    }
    return 0;
}
