#include "fuzz/FuzzDevice.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"

#include <cstdlib>
#include <fstream>

namespace fuzzing {

void setUpDevice() {
    static bool done = false;
    if (done) return;
    done = true;
    char tmpl[] = "/tmp/lumi-fuzz-XXXXXX";
    if (!::mkdtemp(tmpl)) std::abort();
    fnd::prepareDeviceRoot(tmpl);
    fnd::setDeviceRoot(tmpl);
    fnd::setProcessIdentity({std::string("com.apple.springboard"), false, ""});
    fnd::createDirectory("/var/mobile/Library/lumicrate", true);
    fnd::createDirectory("/var/mobile/Library/Preferences", true);
}

void plant(const std::string& devicePath, std::string_view bytes) {
    std::ofstream out(fnd::hostPath(devicePath), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace fuzzing
