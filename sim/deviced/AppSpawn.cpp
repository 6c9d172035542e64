#include "sim/deviced/AppSpawn.h"

#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
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

// What the child needs, prepared by the parent: the child shares the
// parent's memory until it execs, so it allocates nothing and calls no
// library function but the raw system calls.
struct ChildPlan {
    const char* exe;
    char* const* argv;
    char* const* envp;
    const char* log;
    int connectionFd;
    int rulesetFd;
};

// The child, on a stack of its own, sharing the daemon's memory while the
// daemon waits (CLONE_VM | CLONE_VFORK, as posix_spawn does): the log as
// stdout and stderr, the connection as descriptor 3, no signal blocked, the
// walls, then the program. Not instrumented: a sanitizer's bookkeeping in
// shared memory would be the parent's.
__attribute__((no_sanitize("address", "thread", "undefined"))) int enterWallsAndExec(void* arg) {
    const auto* plan = static_cast<const ChildPlan*>(arg);
    long log = ::syscall(SYS_openat, AT_FDCWD, plan->log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log < 0 || ::syscall(SYS_dup2, log, 1) < 0 || ::syscall(SYS_dup2, 1, 2) < 0) ::syscall(SYS_exit, 126);
    if (::syscall(SYS_dup2, plan->connectionFd, kInheritedConnectionFd) < 0) ::syscall(SYS_exit, 126);
    std::uint64_t none = 0; // the daemon blocks SIGCHLD; the app must not
    ::syscall(SYS_rt_sigprocmask, SIG_SETMASK, &none, nullptr, sizeof none);
    if (::syscall(SYS_prctl, PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        ::syscall(SYS_landlock_restrict_self, plan->rulesetFd, 0) != 0)
        ::syscall(SYS_exit, 126);
    ::syscall(SYS_execve, plan->exe, plan->argv, plan->envp);
    ::syscall(SYS_exit, 127);
    return 127;
}

} // namespace

std::optional<pid_t> spawnProcess(const std::string& exe, const std::vector<char*>& envp, const std::string& logPath,
                                  int connectionFd, const AppSandbox* walls) {
    if (!walls) return spawnPlain(exe, envp, logPath, connectionFd);
    // posix_spawn has no step for a Landlock ruleset: the same clone it
    // makes, with that step.
    char* argv[] = {const_cast<char*>("lumi_app"), nullptr};
    ChildPlan plan{exe.c_str(), argv, envp.data(), logPath.c_str(), connectionFd, walls->rulesetFd()};
    constexpr std::size_t kStack = 64 * 1024;
    void* stack = ::mmap(nullptr, kStack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (stack == MAP_FAILED) return std::nullopt;
    pid_t pid = ::clone(enterWallsAndExec, static_cast<char*>(stack) + kStack, CLONE_VM | CLONE_VFORK | SIGCHLD, &plan);
    ::munmap(stack, kStack);
    if (pid < 0) return std::nullopt;
    return pid;
}

} // namespace deviced
