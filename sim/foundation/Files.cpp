#include "sim/foundation/Files.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/ProcessIdentity.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fnd {

namespace fs = std::filesystem;

namespace {
bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A writer's temporary file: ".<name>.lumitmp-<pid>-" and a unique tail, so
// that the files a writer left when it died can be told from the ones a
// live writer is writing.
constexpr std::string_view kTemporaryTag = ".lumitmp-";
std::string temporaryName(const std::string& name) {
    return "." + name + std::string(kTemporaryTag) + std::to_string(::getpid()) + "-";
}

// Whether a file in a folder is a temporary file that no live writer will
// finish: its writer's process is gone, or (`ownToo`, when this process's
// writer starts) it is this process's own.
bool staleTemporary(std::string_view file, bool ownToo) {
    std::size_t tag = file.find(kTemporaryTag);
    if (file.empty() || file[0] != '.' || tag == std::string_view::npos) return false;
    std::string_view rest = file.substr(tag + kTemporaryTag.size());
    std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos || dash == 0) return false;
    long pid = std::strtol(std::string(rest.substr(0, dash)).c_str(), nullptr, 10);
    if (pid <= 0) return false;
    if (pid == ::getpid()) return ownToo;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

void removeStaleTemporaryFilesAt(int dirFd, bool ownToo) {
    int copy = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return;
    DIR* dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return;
    }
    std::vector<std::string> stale;
    while (dirent* e = ::readdir(dir))
        if (staleTemporary(e->d_name, ownToo)) stale.emplace_back(e->d_name);
    ::closedir(dir);
    for (const auto& f : stale)
        ::unlinkat(dirFd, f.c_str(), 0);
}

void syncFolder(const fs::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
} // namespace

bool mayWrite(std::string_view devicePath) {
    const ProcessIdentity& id = processIdentity();
    if (!id.sandboxed) return true;
    std::string path = normalizeDevicePath(devicePath);
    std::string container = normalizeDevicePath(id.container);
    return path.size() > container.size() && path.compare(0, container.size(), container) == 0 &&
           path[container.size()] == '/';
}

std::optional<std::string> readFile(std::string_view devicePath, std::size_t maxBytes) {
    // Non-blocking, so that a FIFO or a device put where a file goes cannot
    // hold the reader in open(); not through a link in the file's own place,
    // where no file of the device has one; and only a regular file is read.
    int fd = ::open(hostPath(devicePath).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return std::nullopt;
    }
    std::string out;
    out.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        if (out.size() + static_cast<std::size_t>(n) > maxBytes) { // grew while we read
            ::close(fd);
            return std::nullopt;
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return out;
}

bool writeFileAtomically(std::string_view devicePath, std::string_view bytes) {
    return mayWrite(devicePath) && writeFileAtomicallyAsSystem(devicePath, bytes);
}

bool writeFileAtomicallyAsSystem(std::string_view devicePath, std::string_view bytes) {
    fs::path target = hostPath(devicePath);
    fs::path folder = target.parent_path();
    std::string pattern = (folder / temporaryName(target.filename().string())).string() + "XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(pattern.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(pattern.c_str());
        removeStaleTemporaryFiles(devicePath.substr(0, devicePath.rfind('/') + 1));
        return false;
    }
    syncFolder(folder);
    return true;
}

namespace {
// A descriptor that closes itself.
struct Fd {
    int fd = -1;
    explicit Fd(int f)
        : fd(f) {}
    Fd(Fd&& o) noexcept
        : fd(std::exchange(o.fd, -1)) {}
    Fd& operator=(Fd&& o) noexcept {
        std::swap(fd, o.fd);
        return *this;
    }
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

// The folders and the file name of a device path, "/var" read as "/private/var".
bool splitDevicePath(std::string_view devicePath, std::vector<std::string>& folders, std::string& name) {
    std::string path = normalizeDevicePath(devicePath);
    if (path == "/var" || path.starts_with("/var/")) path = "/private" + path;
    std::size_t start = 1;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        folders.push_back(std::move(part));
        start = end + 1;
    }
    if (folders.empty()) return false;
    name = folders.back();
    folders.pop_back();
    return true;
}
} // namespace

WriteResult writeFileAtomicallyNoFollow(std::string_view devicePath, std::string_view bytes, Durability durability) {
    const bool synced = durability == Durability::Synced;
    if (!mayWrite(devicePath)) return {false, "the sandbox refuses it"};
    std::vector<std::string> folders;
    std::string name;
    if (!splitDevicePath(devicePath, folders, name)) return {false, "not a file path"};
    // The folders on the way are only walked through (O_PATH: a sandbox
    // that lets this process write the last folder need not let it list
    // those above); the last is opened to be listed and synced.
    Fd dir(::open(deviceRoot().c_str(), (folders.empty() ? O_RDONLY : O_PATH) | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd < 0) return {false, "no device root"};
    std::string walked;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const std::string& folder = folders[i];
        walked += "/" + folder;
        int access = i + 1 == folders.size() ? O_RDONLY : O_PATH;
        Fd next(::openat(dir.fd, folder.c_str(), access | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (next.fd < 0) {
            struct stat st {};
            bool link = ::fstatat(dir.fd, folder.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
            return {false, link ? walked + " is a symbolic link" : walked + " is not a folder"};
        }
        dir = std::move(next);
    }
    struct stat st {};
    if (::fstatat(dir.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode))
        return {false, S_ISLNK(st.st_mode) ? "the file is a symbolic link" : "the file is not a regular file"};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = temporaryName(name) + std::to_string(::random());
        fd = ::openat(dir.fd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return {false, "no temporary file: " + std::string(std::strerror(errno))};
    bool ok = writeAll(fd, bytes) && (!synced || ::fsync(fd) == 0);
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::renameat(dir.fd, temp.c_str(), dir.fd, name.c_str()) == 0;
    if (!ok) {
        std::string why = std::strerror(errno);
        ::unlinkat(dir.fd, temp.c_str(), 0);
        removeStaleTemporaryFilesAt(dir.fd, false);
        return {false, "the write failed: " + why};
    }
    if (synced) ::fsync(dir.fd);
    return {true, {}};
}

void removeStaleTemporaryFiles(std::string_view deviceFolder, bool ownToo) {
    int fd = ::open(hostPath(deviceFolder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    removeStaleTemporaryFilesAt(fd, ownToo);
    ::close(fd);
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t len;
        std::uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else
            return false;
        if (i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        static constexpr std::uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

std::optional<std::string> readTextFile(std::string_view devicePath, std::size_t maxBytes) {
    auto bytes = readFile(devicePath, maxBytes);
    if (!bytes || !isValidUtf8(*bytes)) return std::nullopt;
    return bytes;
}

bool writeTextFileAtomically(std::string_view devicePath, std::string_view text) {
    return isValidUtf8(text) && writeFileAtomically(devicePath, text);
}

FileStamp fileStamp(std::string_view devicePath) {
    struct stat st {};
    FileStamp stamp;
    if (::lstat(hostPath(devicePath).c_str(), &st) != 0) {
        stamp.kind = errno == ENOENT ? FileStamp::Kind::Absent : FileStamp::Kind::Other;
        return stamp;
    }
    stamp.kind = S_ISREG(st.st_mode) ? FileStamp::Kind::Regular : FileStamp::Kind::Other;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modifiedNs = st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec;
    stamp.changedNs = st.st_ctim.tv_sec * 1'000'000'000LL + st.st_ctim.tv_nsec;
    return stamp;
}

bool FileStamp::settled() const {
    // Absent is as settled as can be: any file that appears has a stamp of
    // its own. Anything else but a regular file is never cached.
    if (kind == Kind::Absent) return true;
    if (kind != Kind::Regular) return false;
    constexpr long long kMargin = 50'000'000; // five ticks at the slowest kernel clock
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    long long nowNs = now.tv_sec * 1'000'000'000LL + now.tv_nsec;
    return nowNs - std::max(modifiedNs, changedNs) > kMargin;
}

bool fileExists(std::string_view devicePath) {
    std::error_code ec;
    return fs::exists(hostPath(devicePath), ec);
}

bool isDirectory(std::string_view devicePath) {
    std::error_code ec;
    return fs::is_directory(hostPath(devicePath), ec);
}

bool createDirectory(std::string_view devicePath, bool withIntermediates) {
    if (!mayWrite(devicePath)) return false;
    std::error_code ec;
    fs::path p = hostPath(devicePath);
    if (withIntermediates) {
        fs::create_directories(p, ec);
        return !ec && fs::is_directory(p, ec);
    }
    return fs::create_directory(p, ec) && !ec;
}

bool removeFile(std::string_view devicePath) {
    if (!mayWrite(devicePath)) return false;
    std::error_code ec;
    return fs::remove(hostPath(devicePath), ec);
}

} // namespace fnd
