// lumisim: the command line of the simulated device.

#include <cstdio>
#include <cstring>

#include "sim/lumisim/RuntimeTour.h"

namespace {
void usage() {
    std::fprintf(stderr, "usage: lumisim <command>\n"
                         "  runtime-tour   show the object runtime at work (class, hook, added method)\n");
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage();
        return 2;
    }
    if (std::strcmp(argv[1], "runtime-tour") == 0) return lumisim::runRuntimeTour();
    std::fprintf(stderr, "lumisim: unknown command '%s'\n", argv[1]);
    usage();
    return 2;
}
