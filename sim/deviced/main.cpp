// deviced: the simulated device. `lumisim boot` starts it; it runs until
// `lumisim shutdown` (or SIGTERM).

#include "sim/deviced/Daemon.h"
#include "sim/foundation/Spawn.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    deviced::Options options;
    options.binFolder = fnd::executableFolder();
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "deviced: %s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--root")
            options.root = value();
        else if (a == "--model")
            options.model = value();
        else if (a == "--time-scale")
            options.timeScale = std::atof(value().c_str());
        else if (a == "--passcode")
            options.passcode = value();
        else if (a == "--touch-id")
            options.fingerEnrolled = true;
        else if (a == "--advisory-walls")
            options.advisoryWalls = true;
        else {
            std::fprintf(stderr, "deviced: unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    if (options.root.empty() || !deviced::isKnownModel(options.model) || options.timeScale <= 0) {
        std::fprintf(stderr, "usage: deviced --root DIR [--model iphone8|iphone8plus|iphonexs|ipad] "
                             "[--time-scale N] [--passcode CODE] [--touch-id] [--advisory-walls]\n");
        return 2;
    }
    return deviced::Daemon(options).run();
}
