#include "sim/foundation/SystemLog.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/ProcessIdentity.h"

#include <cstdio>
#include <mutex>

namespace fnd {

namespace {
std::mutex g_lock;
LogSink g_sink;

void defaultSink(LogLevel level, const std::string& message) {
    const auto& bundle = processIdentity().bundleIdentifier;
    std::string line = "[" + (bundle ? *bundle : std::string("-")) + "] <" + std::to_string(static_cast<int>(level)) +
                       "> " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    if (!hasDeviceRoot()) return;
    // Appends are small single writes, so lines from several processes do not interleave.
    if (FILE* f = std::fopen(hostPath("/var/log/system.log").c_str(), "a")) {
        std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
    }
}
} // namespace

void systemLog(LogLevel level, std::string_view message) {
    LogSink sink;
    {
        std::lock_guard guard(g_lock);
        sink = g_sink;
    }
    if (sink)
        sink(level, std::string(message));
    else
        defaultSink(level, std::string(message));
}

LogSink setLogSink(LogSink sink) {
    std::lock_guard guard(g_lock);
    std::swap(g_sink, sink);
    return sink;
}

std::string colouredLogLine(std::string_view tag, std::string_view file, int line, std::string_view level,
                            std::string_view message) {
    std::string out;
    out += "\x1b[1;36m[";
    out += tag;
    out += "] \x1b[m\x1b[0;36m";
    out += file;
    out += ':';
    out += std::to_string(line);
    out += "\x1b[m \x1b[0;30;46m";
    out += level;
    out += ":\x1b[m ";
    out += message;
    return out;
}

} // namespace fnd
