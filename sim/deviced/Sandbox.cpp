#include "sim/deviced/Sandbox.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/SystemLog.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <fstream>
#include <linux/landlock.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace deviced {

namespace fs = std::filesystem;

namespace {

// The kernel's Landlock interface as of ABI 7. This distribution's header
// stops at ABI 2 (no truncate, device ioctls, network or scopes), so the
// later values are written out here as the kernel's interface defines them.
struct RulesetAttr {
    std::uint64_t handledFs = 0;
    std::uint64_t handledNet = 0; // ABI 4
    std::uint64_t scoped = 0;     // ABI 6
};
constexpr std::uint64_t kExecute = 1ull << 0, kWriteFile = 1ull << 1, kReadFile = 1ull << 2, kReadDir = 1ull << 3,
                        kRemoveDir = 1ull << 4, kRemoveFile = 1ull << 5, kMakeDir = 1ull << 7, kMakeReg = 1ull << 8,
                        kRefer = 1ull << 13, kTruncate = 1ull << 14, kIoctlDev = 1ull << 15;
constexpr std::uint64_t kNetBindTcp = 1ull << 0, kNetConnectTcp = 1ull << 1;
constexpr std::uint64_t kScopeAbstractUnixSocket = 1ull << 0, kScopeSignal = 1ull << 1;
// What a rule on a file (not a folder) may allow.
constexpr std::uint64_t kFileRights = kExecute | kWriteFile | kReadFile | kTruncate | kIoctlDev;

constexpr std::uint64_t kRead = kReadFile | kReadDir;
constexpr std::uint64_t kWrite = kWriteFile | kTruncate | kMakeReg | kMakeDir | kRemoveFile | kRemoveDir | kRefer;

// Every file right the kernel of `abi` knows: all are handled, so each is
// denied unless a rule allows it (making devices, sockets, FIFOs and links
// is allowed nowhere).
std::uint64_t handledFileRights(int abi) {
    std::uint64_t rights = (1ull << 13) - 1; // ABI 1: execute .. make-sym
    if (abi >= 2) rights |= kRefer;
    if (abi >= 3) rights |= kTruncate;
    if (abi >= 5) rights |= kIoctlDev;
    return rights;
}

// The host's folders every app reads: its libraries, its configuration, the
// process and device files, the fonts' cache.
constexpr const char* kHostReads[] = {"/usr",  "/lib", "/lib32", "/lib64", "/libx32", "/bin",
                                      "/sbin", "/etc", "/proc",  "/sys",   "/dev",    "/var/cache/fontconfig"};

// The files the sanitizers' options name (suppressions), which a sanitized
// app reads at start.
std::vector<fs::path> sanitizerFiles() {
    std::vector<fs::path> out;
    for (const char* variable : {"ASAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        const char* text = std::getenv(variable);
        if (!text) continue;
        std::stringstream options(text);
        std::string option;
        while (std::getline(options, option, ':'))
            if (option.starts_with("suppressions=")) out.emplace_back(option.substr(13));
    }
    return out;
}

// The folder an app may not read into (but its own container), and so the
// one whose way down from the root is listed entry by entry.
fs::path walledFolder() { return fnd::hostPath("/private/var/mobile/Containers/Data/Application"); }

// The program interpreter (the dynamic loader) of `program`: the kernel
// opens it for execution along with the program.
std::optional<fs::path> interpreterOf(const fs::path& program) {
    std::ifstream in(program, std::ios::binary);
    Elf64_Ehdr header{};
    if (!in.read(reinterpret_cast<char*>(&header), sizeof header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_phentsize != sizeof(Elf64_Phdr) || header.e_phnum > 256)
        return std::nullopt;
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment{};
        in.seekg(static_cast<std::streamoff>(header.e_phoff + i * sizeof segment));
        if (!in.read(reinterpret_cast<char*>(&segment), sizeof segment)) return std::nullopt;
        if (segment.p_type != PT_INTERP || segment.p_filesz == 0 || segment.p_filesz > 4096) continue;
        std::string path(segment.p_filesz, '\0');
        in.seekg(static_cast<std::streamoff>(segment.p_offset));
        if (!in.read(path.data(), static_cast<std::streamsize>(path.size()))) return std::nullopt;
        path.resize(std::strlen(path.c_str()));
        return fs::path(path);
    }
    return std::nullopt;
}

// The symbolizer a sanitized app runs to name the frames of a report.
std::optional<fs::path> sanitizerSymbolizer() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    if (const char* p = std::getenv("ASAN_SYMBOLIZER_PATH"); p && *p) return fs::path(p);
    if (const char* path = std::getenv("PATH")) {
        std::stringstream folders(path);
        std::string folder;
        std::error_code ec;
        while (std::getline(folders, folder, ':'))
            if (fs::exists(fs::path(folder) / "llvm-symbolizer", ec))
                return fs::canonical(fs::path(folder) / "llvm-symbolizer", ec);
    }
#endif
    return std::nullopt;
}

} // namespace

// The profile of every app role: what it may write beyond its own container,
// and whether it may start the device's programs. SpringBoard and the
// Settings app are the platform's unsandboxed apps: they write the mobile
// user's Library (the preference files, the state folders) and may run
// killall (a restart of the interface); the apps with photo access write the
// photo library's files; the others have their container alone.
const std::vector<RoleProfile>& roleProfiles() {
    static const std::vector<RoleProfile> kRoles{
        // bundle                      photo library  mobile Library  device programs
        {fnd::kSpringBoard, true, true, true},       {"com.apple.Preferences", false, true, true},
        {"com.apple.camera", true, false, false},    {"com.apple.mobileslideshow", true, false, false},
        {"com.example.gallery", true, false, false}, {"com.apple.store.Jolly", false, false, false},
    };
    return kRoles;
}

const RoleProfile& profileOf(const std::string& bundle) {
    static const RoleProfile kContainerOnly{"", false, false, false};
    for (const auto& role : roleProfiles())
        if (bundle == role.bundle) return role;
    return kContainerOnly;
}

int landlockAbi() {
    static const int abi = [] {
        long v = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
        return v < 0 ? 0 : static_cast<int>(v);
    }();
    return abi;
}

Walls wallsOnThisKernel() {
    int abi = landlockAbi();
    return abi >= 6 ? Walls::Kernel : abi >= 1 ? Walls::FilesOnly : Walls::Advisory;
}

const char* describe(Walls walls) {
    switch (walls) {
    case Walls::Kernel:
        return "kernel";
    case Walls::FilesOnly:
        return "files";
    case Walls::Advisory:
        return "advisory";
    }
    return "advisory";
}

AppSandbox::AppSandbox(AppSandbox&& other) noexcept
    : m_fd(other.m_fd)
    , m_handled(other.m_handled)
    , m_grants(std::move(other.m_grants)) {
    other.m_fd = -1;
}

AppSandbox::~AppSandbox() {
    if (m_fd >= 0) ::close(m_fd);
}

std::optional<AppSandbox> AppSandbox::prepare(const fnd::AppInfo& app, const fs::path& binFolder) {
    int abi = landlockAbi();
    if (abi < 1) return std::nullopt;
    AppSandbox box;
    box.m_handled = handledFileRights(abi);
    RulesetAttr attr;
    attr.handledFs = box.m_handled;
    std::size_t size = sizeof attr.handledFs;
    if (abi >= 4) {
        attr.handledNet = kNetBindTcp | kNetConnectTcp; // no rule: no TCP at all
        size += sizeof attr.handledNet;
    }
    if (abi >= 6) {
        attr.scoped = kScopeAbstractUnixSocket | kScopeSignal;
        size += sizeof attr.scoped;
    }
    long fd = ::syscall(SYS_landlock_create_ruleset, &attr, size, 0);
    if (fd < 0) {
        fnd::systemLog(fnd::LogLevel::Error,
                       "deviced: no sandbox for " + app.bundleIdentifier + ": " + std::strerror(errno));
        return std::nullopt;
    }
    box.m_fd = static_cast<int>(fd);

    for (const char* folder : kHostReads)
        box.allow(folder, kRead, "read");
    box.allow(binFolder, kRead, "read");
    box.allow(binFolder.parent_path() / "lib", kRead, "read");
    box.allow(binFolder / "lumi_app", kExecute, "execute");
    if (auto loader = interpreterOf(binFolder / "lumi_app")) box.allow(*loader, kExecute | kReadFile, "execute");
    for (const auto& file : sanitizerFiles())
        box.allow(file, kReadFile, "read");
    if (auto symbolizer = sanitizerSymbolizer()) box.allow(*symbolizer, kExecute | kReadFile, "execute");
    box.allow("/dev/null", kReadFile | kWriteFile, "write");

    const fs::path& root = fnd::deviceRoot();
    box.allowDeviceReadsBut(root, walledFolder());
    box.allow(fnd::hostPath("/private/var/log/system.log"), kWriteFile, "write");
    if (app.sandboxed) box.allow(fnd::hostPath(fnd::containerPath(app.bundleIdentifier)), kRead | kWrite, "write");
    const RoleProfile& role = profileOf(app.bundleIdentifier);
    if (role.photoLibrary) box.allow(fnd::hostPath("/private/var/mobile/Media"), kRead | kWrite, "write");
    if (role.mobileLibrary) {
        box.allow(fnd::hostPath("/private/var/mobile/Library"), kRead | kWrite, "write");
        box.allow(fnd::hostPath("/tmp"), kRead | kWrite, "write");
    }
    if (role.devicePrograms) box.allow(binFolder / "lumi_killall", kExecute, "execute");
    return box;
}

// A rule allowing `access` beneath `path` (on the file itself, for a file).
// A path that does not exist is skipped: there is nothing there to allow.
bool AppSandbox::allow(const fs::path& path, std::uint64_t access, const char* what) {
    int target = ::open(path.c_str(), O_PATH | O_CLOEXEC);
    if (target < 0) return false;
    struct stat st {};
    if (::fstat(target, &st) != 0) {
        ::close(target);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) access &= kFileRights;
    landlock_path_beneath_attr rule{};
    rule.allowed_access = access & m_handled;
    rule.parent_fd = target;
    long rc = ::syscall(SYS_landlock_add_rule, m_fd, LANDLOCK_RULE_PATH_BENEATH, &rule, 0);
    ::close(target);
    if (rc != 0) {
        fnd::systemLog(fnd::LogLevel::Error,
                       "deviced: sandbox rule for " + path.string() + ": " + std::strerror(errno));
        return false;
    }
    std::error_code ec;
    fs::path named = fs::weakly_canonical(path, ec);
    m_grants.push_back({ec ? path : named, what});
    return true;
}

// Reading everything under `root` but `walled`: each folder on the way down
// to `walled` is not itself allowed (a rule beneath it would reach inside),
// its other entries are. Links are skipped: what they name is allowed, or
// not, in its own place.
void AppSandbox::allowDeviceReadsBut(const fs::path& root, const fs::path& walled) {
    fs::path folder = root;
    for (const auto& step : walled.lexically_relative(root)) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            if (entry.path().filename() == step || entry.is_symlink(ec)) continue;
            allow(entry.path(), kRead, "read");
        }
        folder /= step;
    }
}

std::vector<std::int64_t> SandboxCache::stampOfListedFolders() {
    std::vector<std::int64_t> stamp;
    const fs::path& root = fnd::deviceRoot();
    fs::path folder = root;
    for (const auto& step : walledFolder().lexically_relative(root)) {
        struct stat st {};
        bool there = ::stat(folder.c_str(), &st) == 0;
        stamp.push_back(there ? st.st_mtim.tv_sec : -1);
        stamp.push_back(there ? st.st_mtim.tv_nsec : -1);
        folder /= step;
    }
    return stamp;
}

const AppSandbox* SandboxCache::forApp(const fnd::AppInfo& app) {
    std::vector<std::int64_t> stamp = stampOfListedFolders();
    auto it = m_entries.find(app.bundleIdentifier);
    if (it != m_entries.end() && it->second.stamp == stamp) return &it->second.sandbox;
    if (it != m_entries.end()) m_entries.erase(it);
    auto sandbox = AppSandbox::prepare(app, m_binFolder);
    if (!sandbox) return nullptr;
    return &m_entries.emplace(app.bundleIdentifier, Entry{std::move(*sandbox), std::move(stamp)}).first->second.sandbox;
}

} // namespace deviced
