#pragma once
// lumicrate12's diagnostic line, at notice level: "[lumicrate12] Tweak:<line>
// DEBUG: <message>" in the colours of the system's debug lines, where the
// line number names the statement that logged it.

#include <string>

namespace lc {

void logDebug(int line, const std::string& message);

} // namespace lc
