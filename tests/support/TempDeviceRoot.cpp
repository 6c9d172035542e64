#include "tests/support/TempDeviceRoot.h"

#include "sim/foundation/DevicePaths.h"

#include <cstdlib>
#include <stdexcept>

namespace testsupport {

TempDeviceRoot::TempDeviceRoot() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "lumi-device-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    m_path = tmpl;
    if (!fnd::prepareDeviceRoot(m_path)) throw std::runtime_error("cannot prepare device root");
    fnd::setDeviceRoot(m_path);
}

TempDeviceRoot::~TempDeviceRoot() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::filesystem::path TempDeviceRoot::host(const std::string& devicePath) const { return fnd::hostPath(devicePath); }

} // namespace testsupport
