#pragma once
// Starting an app's process: its output to its log, its connection to the
// device as descriptor 3, no signal blocked, and, when given, its walls
// entered before the program runs.

#include "sim/deviced/Sandbox.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace deviced {

inline constexpr int kInheritedConnectionFd = 3;

// Starts `exe` with the environment `envp` (null-terminated), its stdout and
// stderr appended to `logPath` and `connectionFd` as its descriptor 3. With
// `walls`, the child enters them after clone and before exec (an app whose
// walls cannot be entered never runs: it exits with status 126); without,
// it is posix_spawn. The pid, or none when no process was started.
std::optional<pid_t> spawnProcess(const std::string& exe, const std::vector<char*>& envp, const std::string& logPath,
                                  int connectionFd, const AppSandbox* walls);

} // namespace deviced
