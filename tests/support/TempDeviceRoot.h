#pragma once
// A fresh device root in a temporary folder, installed as this process's
// root and removed afterwards.

#include <filesystem>
#include <string>

namespace testsupport {

class TempDeviceRoot {
public:
    TempDeviceRoot();
    ~TempDeviceRoot();
    const std::filesystem::path& path() const { return m_path; }
    // The host path of a device path under this root.
    std::filesystem::path host(const std::string& devicePath) const;

private:
    std::filesystem::path m_path;
};

} // namespace testsupport
