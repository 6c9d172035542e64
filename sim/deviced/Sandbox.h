#pragma once
// Sandbox: the walls of an app process, enforced by the kernel (Landlock), as
// the platform's sandbox is on the phone.
//
// Every app the daemon spawns enters its role's ruleset in the child, after
// fork and before exec, so none of its code (nor anything injected into it)
// runs outside it. A role says what the app may write beyond its own
// container (the photo library's files, the mobile user's Library, the
// device's temporary folder) and whether it may start the device's programs
// (/usr/bin/killall); every app may read the host's system folders, the
// device's programs and libraries, and the device's files but the other
// apps' containers, and write the device's system log. Nothing else: no
// other file, no TCP, no abstract Unix socket made outside its own domain
// (the operator's channel is one) and no signal to a process outside it.
//
// The profiles are the table kRoles in Sandbox.cpp, one row per app;
// docs/robustness.md shows the same table.
//
// A kernel without Landlock leaves the walls advisory (the platform's file
// functions still refuse a sandboxed app's writes outside its container);
// one without its scopes (ABI < 6) leaves signals and the operator's
// channel open. The daemon says which in one line at boot.

#include "sim/foundation/AppCatalog.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace deviced {

// The Landlock ABI this kernel offers; 0 when it has none (or it is off).
int landlockAbi();

// What the walls are on this kernel, for the boot line and the status.
enum class Walls { Advisory, FilesOnly, Kernel };
Walls wallsOnThisKernel();
const char* describe(Walls walls);

// One app role's profile.
struct RoleProfile {
    const char* bundle;
    bool photoLibrary;   // reads and writes the photo library's files (/var/mobile/Media)
    bool mobileLibrary;  // writes the mobile user's Library (preferences, state) and the device's /tmp
    bool devicePrograms; // may start the device's programs (/usr/bin/killall)
};
// The profile of an app; an app with no row gets the narrowest (its container).
const RoleProfile& profileOf(const std::string& bundle);
const std::vector<RoleProfile>& roleProfiles();

// A prepared ruleset: built in the daemon before fork, entered in the child.
class AppSandbox {
public:
    // The ruleset of the app's role for the device at the current root, with
    // the device's programs in `binFolder`; none when the kernel has no
    // Landlock or the ruleset cannot be built (logged).
    static std::optional<AppSandbox> prepare(const fnd::AppInfo& app, const std::filesystem::path& binFolder);
    AppSandbox(AppSandbox&& other) noexcept;
    AppSandbox& operator=(AppSandbox&&) = delete;
    ~AppSandbox();

    // The ruleset, for the child to enter after clone and before exec (no
    // new privileges, then landlock_restrict_self).
    int rulesetFd() const { return m_fd; }

    // The paths the ruleset names, for the docs and the tests: the host
    // path (links resolved) and what it allows ("read", "write", "execute").
    struct Grant {
        std::filesystem::path path;
        std::string access;
    };
    const std::vector<Grant>& grants() const { return m_grants; }

private:
    AppSandbox() = default;
    bool allow(const std::filesystem::path& path, std::uint64_t access, const char* what);
    void allowDeviceReadsBut(const std::filesystem::path& root, const std::filesystem::path& walled);
    int m_fd = -1;
    std::uint64_t m_handled = 0;
    std::vector<Grant> m_grants;
};

// The rulesets of the apps the daemon starts, each built once and entered
// by every process of that app (the kernel copies a ruleset into the new
// domain; the ruleset itself is not consumed). One is built again when a
// folder whose entries it lists has changed since (an entry made or
// removed beside the path down to the containers).
class SandboxCache {
public:
    explicit SandboxCache(std::filesystem::path binFolder)
        : m_binFolder(std::move(binFolder)) {}
    const AppSandbox* forApp(const fnd::AppInfo& app);

private:
    struct Entry {
        AppSandbox sandbox;
        std::vector<std::int64_t> stamp;
    };
    static std::vector<std::int64_t> stampOfListedFolders();
    std::filesystem::path m_binFolder;
    std::map<std::string, Entry> m_entries;
};

} // namespace deviced
