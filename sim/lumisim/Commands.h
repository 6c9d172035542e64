#pragma once
// The commands of lumisim that drive a device: boot, shutdown, launch,
// terminate, background, foreground, ps, notify, log.

#include <string>
#include <vector>

namespace lumisim {

// Runs `command` with its arguments (after the command name); the exit status.
// Unknown commands, bad arguments and a device that is not booted give a
// one-line error on stderr and a non-zero status.
int runDeviceCommand(const std::string& command, const std::vector<std::string>& args);
bool isDeviceCommand(const std::string& command);
void printDeviceCommandsUsage();

} // namespace lumisim
