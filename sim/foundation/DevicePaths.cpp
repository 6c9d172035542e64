#include "sim/foundation/DevicePaths.h"

#include "sim/runtime/Runtime.h"

#include <cstdlib>
#include <mutex>
#include <vector>

namespace fnd {

namespace {
std::mutex g_rootLock;
std::filesystem::path* g_root = nullptr; // written at process start, read-mostly

std::vector<std::string_view> components(std::string_view path) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && path[i] == '/')
            ++i;
        std::size_t j = i;
        while (j < path.size() && path[j] != '/')
            ++j;
        if (j > i) {
            std::string_view c = path.substr(i, j - i);
            if (c == "..") {
                if (!out.empty()) out.pop_back();
            } else if (c != ".")
                out.push_back(c);
        }
        i = j;
    }
    return out;
}
} // namespace

void setDeviceRoot(const std::filesystem::path& root) {
    std::lock_guard guard(g_rootLock);
    delete g_root;
    g_root = new std::filesystem::path(std::filesystem::absolute(root));
}

bool hasDeviceRoot() {
    std::lock_guard guard(g_rootLock);
    return g_root || std::getenv("LUMI_DEVICE_ROOT");
}

const std::filesystem::path& deviceRoot() {
    std::lock_guard guard(g_rootLock);
    if (!g_root) {
        const char* env = std::getenv("LUMI_DEVICE_ROOT");
        if (!env || !*env) rt::fatal("no device root: set LUMI_DEVICE_ROOT or call setDeviceRoot()");
        g_root = new std::filesystem::path(std::filesystem::absolute(env));
    }
    return *g_root;
}

std::string normalizeDevicePath(std::string_view devicePath) {
    auto parts = components(devicePath);
    if (parts.size() >= 2 && parts[0] == "private" && parts[1] == "var") parts.erase(parts.begin());
    std::string out;
    for (auto p : parts) {
        out += '/';
        out += p;
    }
    return out.empty() ? "/" : out;
}

// Built as one string (the components are plain names: no separator, no
// dot or dot-dot), which every file operation of the device pays for.
std::filesystem::path hostPath(std::string_view devicePath) {
    std::string p = deviceRoot().native();
    for (auto c : components(devicePath)) {
        if (p.empty() || p.back() != '/') p += '/';
        p.append(c);
    }
    return std::filesystem::path(std::move(p));
}

bool prepareDeviceRoot(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const char* dir : {"private/var/mobile/Library/Preferences", "private/var/mobile/Media",
                            "private/var/mobile/Containers", "private/var/log", "Library/Application Support",
                            "Library/PreferenceBundles", "Library/PreferenceLoader/Preferences",
                            "Library/MobileSubstrate/DynamicLibraries", "System/Library", "usr/bin", "tmp"}) {
        fs::create_directories(root / dir, ec);
        if (ec) return false;
    }
    // /var is /private/var, and /User the mobile user's home, as on the phone.
    for (auto [name, target] : {std::pair{"var", "private/var"}, std::pair{"User", "private/var/mobile"}}) {
        fs::path link = root / name;
        if (!fs::is_symlink(link, ec)) {
            fs::create_directory_symlink(target, link, ec);
            if (ec) return false;
        }
    }
    return true;
}

} // namespace fnd
