// lumicrate12.dylib: the injected library. Its constructor runs the start-up
// routine once, as the code-injection framework loads it into a process.

#include "tweak/Tweak.h"

namespace {
__attribute__((constructor)) void lumicrate12Loaded() { lc::startUp(); }
} // namespace
