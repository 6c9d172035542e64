// lumisim install PKG: installs a Debian package into a device as the
// package manager of a jailbroken phone would, then restarts SpringBoard
// when the device is booted, so that SpringBoard and every app launched
// after it load what the package brought.
//
// The package is unpacked with dpkg-deb into a scratch folder first. Only
// folders and regular files are copied into the device; a package holding
// anything else (a symbolic link, a device node) is refused before any file
// is copied, so a package cannot reach outside the device's folder. The
// files installed are listed in /var/lib/dpkg/info/<Package>.list.
//
// lumisim remove PACKAGE takes those files away again (and the folders they
// leave empty), then restarts SpringBoard as install does.

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/ipc/Operations.h"
#include "sim/lumisim/Commands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace lumisim {

namespace fs = std::filesystem;
using fnd::Value;

namespace {

// Runs a host program; its standard output, or none when it fails.
std::optional<std::string> run(const std::vector<std::string>& argv) {
    int out[2];
    if (::pipe(out) != 0) return std::nullopt;
    pid_t pid = ::fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return text;
}

std::string field(const std::string& deb, const char* name) {
    auto v = run({"dpkg-deb", "--field", deb, name});
    if (!v) return {};
    while (!v->empty() && (v->back() == '\n' || v->back() == ' '))
        v->pop_back();
    return *v;
}

void restartSpringBoard(const Parsed& p) {
    if (!tryStatus(p.root)) return; // not booted: the next boot starts without the files
    auto s = connectOrFail(p);
    requestOrFail(*s, {{ipc::op::kKey, Value(ipc::op::kKillall)}, {"name", Value("SpringBoard")}});
    std::printf("restarted SpringBoard\n");
}

struct Scratch {
    fs::path path;
    ~Scratch() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
};

int install(const Parsed& p) {
    const std::string deb = fs::absolute(p.positional[0]).string();
    std::error_code ec;
    if (!fs::is_regular_file(deb, ec)) fail("install: no package at " + deb, 2);
    const std::string package = field(deb, "Package");
    const std::string version = field(deb, "Version");
    if (package.empty() || package.find('/') != std::string::npos || package.find("..") != std::string::npos)
        fail("install: " + deb + " is not a Debian package with a plain Package name");

    char tmpl[] = "/tmp/lumisim-install-XXXXXX";
    if (!::mkdtemp(tmpl)) fail("install: cannot make a scratch folder");
    Scratch scratch{tmpl};
    if (!run({"dpkg-deb", "--extract", deb, scratch.path.string()})) fail("install: cannot unpack " + deb);

    std::vector<fs::path> files, folders;
    for (auto it = fs::recursive_directory_iterator(scratch.path, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        fs::file_status st = it->symlink_status();
        fs::path rel = fs::relative(it->path(), scratch.path);
        if (fs::is_directory(st))
            folders.push_back(rel);
        else if (fs::is_regular_file(st))
            files.push_back(rel);
        else
            fail("install: " + package + " holds " + rel.string() + ", which is neither a file nor a folder");
    }
    if (ec) fail("install: cannot read the unpacked package: " + ec.message());
    std::sort(files.begin(), files.end());

    fs::create_directories(p.root);
    fnd::prepareDeviceRoot(p.root);
    fnd::setDeviceRoot(p.root);
    for (const auto& f : folders)
        fs::create_directories(fnd::hostPath("/" + f.string()), ec);
    std::string list;
    for (const auto& f : files) {
        fs::path target = fnd::hostPath("/" + f.string());
        fs::create_directories(target.parent_path(), ec);
        // Unlinked first: a process may have the old library mapped.
        fs::remove(target, ec);
        fs::copy_file(scratch.path / f, target, fs::copy_options::overwrite_existing, ec);
        if (ec) fail("install: cannot install /" + f.string() + ": " + ec.message());
        list += "/" + f.string() + "\n";
    }
    fnd::createDirectory("/var/lib/dpkg/info", true);
    if (!fnd::writeTextFileAtomically("/var/lib/dpkg/info/" + package + ".list", list))
        fail("install: cannot record the files of " + package);
    std::printf("installed %s %s (%zu files)\n", package.c_str(), version.c_str(), files.size());

    restartSpringBoard(p); // when booted: the files load at SpringBoard's next start
    return 0;
}

int remove(const Parsed& p) {
    const std::string& package = p.positional[0];
    if (package.empty() || package.find('/') != std::string::npos || package.find("..") != std::string::npos)
        fail("remove: " + package + " is not a plain package name", 2);
    fnd::setDeviceRoot(p.root);
    const std::string listPath = "/var/lib/dpkg/info/" + package + ".list";
    auto list = fnd::readFile(listPath);
    if (!list) fail("remove: " + package + " is not installed");
    std::size_t removed = 0;
    std::vector<fs::path> folders;
    std::istringstream lines(*list);
    for (std::string line; std::getline(lines, line);) {
        // Only what install listed: absolute device paths without a way up.
        if (line.empty() || line[0] != '/' || line.find("..") != std::string::npos) continue;
        std::error_code ec;
        fs::path target = fnd::hostPath(line);
        if (fs::is_regular_file(fs::symlink_status(target, ec)) && fs::remove(target, ec)) ++removed;
        for (fs::path f = fs::path(line).parent_path(); f != "/" && !f.empty(); f = f.parent_path())
            folders.push_back(f);
    }
    // The folders the package leaves empty, deepest first.
    std::sort(folders.begin(), folders.end(),
              [](const fs::path& a, const fs::path& b) { return a.string().size() > b.string().size(); });
    for (const auto& f : folders) {
        std::error_code ec;
        fs::path host = fnd::hostPath(f.string());
        if (fs::is_directory(fs::symlink_status(host, ec)) && fs::is_empty(host, ec)) fs::remove(host, ec);
    }
    fnd::removeFile(listPath);
    std::printf("removed %s (%zu files)\n", package.c_str(), removed);
    restartSpringBoard(p);
    return 0;
}

} // namespace

CommandSpec removeCommand() { return {"remove PACKAGE [--root DIR]", {}, {}, 1, 1, remove}; }

CommandSpec installCommand() { return {"install PACKAGE.deb [--root DIR]", {}, {}, 1, 1, install}; }

} // namespace lumisim
