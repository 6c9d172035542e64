// The preference file's reader: any file where the settings pane writes
// reloads the settings (each key its value or its default, the per-album
// switches), never a crash.

#include "fuzz/FuzzDevice.h"
#include "tweak/core/Settings.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::setUpDevice();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::plant(lc::kPreferencePath, std::string_view(reinterpret_cast<const char*>(data), size));
    lc::reloadSettings();
    return 0;
}
