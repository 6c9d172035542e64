#include "tests/support/ChildProcess.h"

#include <cstring>
#include <map>
#include <spawn.h>

extern char** environ;

namespace testsupport {

namespace {
std::map<std::string, ChildMain>& children() {
    static std::map<std::string, ChildMain> registered;
    return registered;
}
constexpr const char* kFlag = "--lumi-child";
} // namespace

ChildRegistration::ChildRegistration(const char* name, ChildMain main) { children()[name] = main; }

pid_t spawnChild(const std::string& name, const std::vector<std::string>& args) {
    std::vector<std::string> all{"/proc/self/exe", kFlag, name};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    return ::posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

int runChildIfAsked(int argc, char** argv) {
    if (argc < 3 || std::strcmp(argv[1], kFlag) != 0) return -1;
    auto found = children().find(argv[2]);
    if (found == children().end()) return 127;
    return found->second(std::vector<std::string>(argv + 3, argv + argc));
}

} // namespace testsupport
