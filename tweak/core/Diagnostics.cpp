#include "tweak/core/Diagnostics.h"

#include "sim/foundation/SystemLog.h"

namespace lc {

void logDebug(int line, const std::string& message) {
    fnd::systemLog(fnd::LogLevel::Notice, fnd::colouredLogLine("lumicrate12", "Tweak", line, "DEBUG", message));
}

} // namespace lc
