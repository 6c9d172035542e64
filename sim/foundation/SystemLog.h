#pragma once
// The system log (os_log / NSLog): lines with a level, written to the device's
// log file and to standard error, or to a sink a test installs.

#include <functional>
#include <string>
#include <string_view>

namespace fnd {

enum class LogLevel { Emergency = 0, Alert, Critical, Error, Warning, Notice = 5, Info, Debug };

using LogSink = std::function<void(LogLevel, const std::string&)>;

void systemLog(LogLevel level, std::string_view message);
// Replaces where lines go; an empty sink restores the default. Returns the
// previous sink.
LogSink setLogSink(LogSink sink);

// The coloured diagnostic line: "\e[1;36m[TAG] \e[m\e[0;36mFILE:LINE\e[m
// \e[0;30;46mLEVEL:\e[m MESSAGE", \e being the escape character.
std::string colouredLogLine(std::string_view tag, std::string_view file, int line, std::string_view level,
                            std::string_view message);

} // namespace fnd
