#pragma once
// posix_spawn of a device program ("/usr/bin/killall"): the path is a device
// path, resolved under the device root; the child inherits this process's
// environment, so it joins the same device.

#include <string>
#include <sys/types.h>
#include <vector>

namespace fnd {

// 0 on success, as posix_spawn answers; the child's pid in `pid`.
int posixSpawn(pid_t* pid, const std::string& devicePath, const std::vector<std::string>& argv);

// The folder of the running executable, on the host.
std::string executableFolder();

} // namespace fnd
