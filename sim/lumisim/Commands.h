#pragma once
// The commands of lumisim that drive a device: boot, shutdown, launch,
// terminate, background, foreground, ps, notify, log, inject, install, install-prefs, ui,
// runtime, and the
// photo library's addmedia, mkalbum, library and sample-photos.

#include "sim/foundation/Value.h"
#include "sim/ipc/DeviceSocket.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumisim {

struct Parsed {
    std::string root;
    std::map<std::string, std::string> options; // a flag maps to "1"
    std::vector<std::string> positional;
    bool help = false;
};

struct CommandSpec {
    const char* usage;
    std::vector<std::string> options; // options that take a value, besides --root
    std::vector<std::string> flags;   // options without a value
    std::size_t minPositional;
    std::size_t maxPositional;
    std::function<int(const Parsed&)> run;
    bool needsNoDevice = false; // works on host files only (no --root)
};

// A one-line error on stderr, then exit with `status`.
[[noreturn]] void fail(const std::string& message, int status = 1);
// The booted device's status, or none when no device answers at `root`.
std::optional<fnd::Dictionary> tryStatus(const std::string& root);
// The photo library's commands (LibraryCommands.cpp).
const std::map<std::string, CommandSpec>& libraryCommands();
// ui: automation of an app's user interface (UiCommand.cpp).
CommandSpec uiCommand();
// install: a Debian package into the device (PackageCommand.cpp).
CommandSpec installCommand();
CommandSpec removeCommand();
// runtime: what the object runtime of a running app holds (RuntimeCommand.cpp).
CommandSpec runtimeCommand();
// report: the tours' screens as one page (ReportCommand.cpp).
CommandSpec reportCommand();
// view: a live window onto the device in the browser (ViewCommand.cpp).
CommandSpec viewCommand();

// A connection to the booted device at p.root, or a one-line error and exit.
std::unique_ptr<ipc::DeviceSocket> connectOrFail(const Parsed& p);
// The device's reply, or exit with its error (or with "did not answer").
fnd::Dictionary requestOrFail(ipc::DeviceSocket& s, fnd::Dictionary op,
                              std::chrono::seconds wait = std::chrono::seconds(15));

// Runs `command` with its arguments (after the command name); the exit status.
// Unknown commands, bad arguments and a device that is not booted give a
// one-line error on stderr and a non-zero status.
int runDeviceCommand(const std::string& command, const std::vector<std::string>& args);
bool isDeviceCommand(const std::string& command);
void printDeviceCommandsUsage();

} // namespace lumisim
