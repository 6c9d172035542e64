#include "sim/deviced/AppSpawn.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

namespace deviced {

namespace {

std::optional<pid_t> spawnPlain(const std::string& exe, const std::vector<char*>& envp, const std::string& logPath,
                                int connectionFd) {
    char* argv[] = {const_cast<char*>("lumi_app"), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_adddup2(&actions, connectionFd, kInheritedConnectionFd);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none); // the daemon blocks SIGCHLD; the app must not
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    int rc = ::posix_spawn(&pid, exe.c_str(), &actions, &attr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) return std::nullopt;
    return pid;
}

} // namespace

std::optional<pid_t> spawnProcess(const std::string& exe, const std::vector<char*>& envp, const std::string& logPath,
                                  int connectionFd, const AppSandbox* walls) {
    if (!walls) return spawnPlain(exe, envp, logPath, connectionFd);
    // posix_spawn has no step for a Landlock ruleset: fork, and in the child
    // only system calls until exec.
    char* argv[] = {const_cast<char*>("lumi_app"), nullptr};
    sigset_t none;
    sigemptyset(&none);
    pid_t pid = ::fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) {
        int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (log < 0 || ::dup2(log, 1) < 0 || ::dup2(1, 2) < 0) ::_exit(126);
        if (::dup2(connectionFd, kInheritedConnectionFd) < 0) ::_exit(126);
        ::sigprocmask(SIG_SETMASK, &none, nullptr); // the daemon blocks SIGCHLD; the app must not
        if (!walls->enter()) ::_exit(126);
        ::execve(exe.c_str(), argv, envp.data());
        ::_exit(127);
    }
    return pid;
}

} // namespace deviced
