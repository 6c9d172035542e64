// lumisim: the command line of the simulated device.

#include "sim/lumisim/Commands.h"
#include "sim/lumisim/RuntimeTour.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {
void usage() {
    std::fprintf(stderr, "usage: lumisim <command> [arguments]   (lumisim <command> --help)\n");
    lumisim::printDeviceCommandsUsage();
    std::fprintf(stderr, "  runtime-tour   show the object runtime at work (class, hook, added method)\n");
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage();
        return 2;
    }
    std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        usage();
        return 0;
    }
    if (command == "runtime-tour") return lumisim::runRuntimeTour();
    if (lumisim::isDeviceCommand(command))
        return lumisim::runDeviceCommand(command, std::vector<std::string>(argv + 2, argv + argc));
    std::fprintf(stderr, "lumisim: unknown command '%s'\n", command.c_str());
    usage();
    return 2;
}
