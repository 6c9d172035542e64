#include "sim/foundation/Spawn.h"

#include "sim/foundation/DevicePaths.h"

#include <limits.h>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace fnd {

int posixSpawn(pid_t* pid, const std::string& devicePath, const std::vector<std::string>& argv) {
    std::string host = hostPath(devicePath).string();
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t child = 0;
    int rc = ::posix_spawn(&child, host.c_str(), nullptr, nullptr, args.data(), environ);
    if (pid) *pid = child;
    return rc;
}

std::string executableFolder() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string path(buf, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/'));
}

} // namespace fnd
