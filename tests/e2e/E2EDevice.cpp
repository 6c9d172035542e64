#include "tests/e2e/E2EDevice.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {

namespace fs = std::filesystem;
using fnd::Array;
using fnd::Dictionary;
using fnd::Value;

CommandResult lumisim(const std::vector<std::string>& args) {
    std::string cmd = std::string(LUMI_BIN_DIR) + "/lumisim";
    for (const auto& a : args)
        cmd += " '" + a + "'";
    cmd += " 2>&1";
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return {-1, ""};
    std::string out;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p))
        out.append(buf, n);
    int status = ::pclose(p);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

Device::Device(bool withTweak, const std::string& model, const std::vector<std::string>& bootOptions) {
    char tmpl[] = "/tmp/lumi-e2e-XXXXXX";
    if (!::mkdtemp(tmpl)) throw std::runtime_error("mkdtemp");
    m_root = tmpl;
    fnd::setDeviceRoot(m_root);
    auto r = lumisim({"inject", LUMI_PROBE_PATH, "--root", m_root, "--bundles",
                      "com.apple.springboard,com.apple.camera,com.apple.mobileslideshow,com.example.gallery"});
    if (r.status != 0) throw std::runtime_error("inject failed: " + r.output);
    std::vector<std::string> boot{"boot", "--root", m_root, "--model", model};
    boot.insert(boot.end(), bootOptions.begin(), bootOptions.end());
    r = lumisim(boot);
    if (r.status != 0) throw std::runtime_error("boot failed: " + r.output);
    m_control = connect();
    // The probe in SpringBoard serves its centre once SpringBoard has started.
    if (!waitFor([&] { return serves("com.lumi.probe"); }))
        throw std::runtime_error("SpringBoard's probe never served its centre");
    if (withTweak) {
        // As a person would: the package into the booted device, which
        // restarts SpringBoard; the new SpringBoard serves the product's centre.
        m_installOutput = lumisim({"install", LUMI_PACKAGE_PATH, "--root", m_root}).output;
        if (!waitFor([&] { return serves("com.zel.lumicrate12"); }))
            throw std::runtime_error("the installed package never served its centre: " + m_installOutput);
    }
}

// What must never happen on a device: a sanitizer's report in any log, or a
// process that died of a signal the device did not send (the device ends
// processes with SIGKILL: terminate's grace period, killall).
std::vector<std::string> Device::crashes() {
    std::vector<std::string> found;
    static const char* kReports[] = {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer",
                                     "runtime error:", "WARNING: ThreadSanitizer", "UndefinedBehaviorSanitizer"};
    std::error_code ec;
    for (const auto& f : fs::directory_iterator(fnd::hostPath("/var/log"), ec)) {
        std::ifstream in(f.path());
        for (std::string l; std::getline(in, l);) {
            for (const char* report : kReports)
                if (l.find(report) != std::string::npos) found.push_back(f.path().filename().string() + ": " + l);
            std::size_t signal = l.find("exited (signal ");
            if (signal != std::string::npos && l.find("(signal 9)") == std::string::npos) found.push_back(l);
        }
    }
    return found;
}

Device::~Device() {
    for (const auto& line : crashes())
        ADD_FAILURE() << "the device logged: " << line;
    m_control.reset();
    auto pidText = fnd::readTextFile("/private/var/run/deviced.pid");
    lumisim({"shutdown", "--root", m_root});
    // Whatever happened above, nothing this test started survives it.
    if (pidText) {
        pid_t pid = static_cast<pid_t>(std::atoi(pidText->c_str()));
        if (pid > 0 && ::kill(pid, 0) == 0) ::kill(pid, SIGKILL);
    }
    std::error_code ec;
    fs::remove_all(m_root, ec);
}

std::unique_ptr<ipc::DeviceSocket> Device::connect(Dictionary hello) {
    auto s = ipc::DeviceSocket::connectAsOperator();
    if (!s) throw std::runtime_error("cannot connect to the device");
    hello["op"] = Value("hello");
    s->send(hello);
    return s;
}

Dictionary Device::status() {
    auto r = m_control->request({{"op", Value("status")}}, std::chrono::seconds(10));
    if (!r) throw std::runtime_error("the device did not answer status");
    return *r;
}

std::optional<pid_t> Device::pidOf(const std::string& bundle) {
    auto st = status();
    for (const Value& a : *fnd::valueForKey(st, "apps").array()) {
        const Dictionary& d = *a.dictionary();
        if (fnd::valueForKey(d, "bundle") == Value(bundle) && fnd::valueForKey(d, "connected") == Value(true))
            return static_cast<pid_t>(*fnd::valueForKey(d, "pid").integer());
    }
    return std::nullopt;
}

bool Device::observes(const std::string& bundle, const std::string& name) {
    auto st = status();
    for (const Value& a : *fnd::valueForKey(st, "apps").array()) {
        const Dictionary& d = *a.dictionary();
        if (fnd::valueForKey(d, "bundle") != Value(bundle)) continue;
        for (const Value& n : *fnd::valueForKey(d, "observing").array())
            if (n == Value(name)) return true;
    }
    return false;
}

void Device::awaitObservers(const std::vector<std::string>& bundles, const std::string& name) {
    if (!waitFor([&] {
            for (const auto& b : bundles)
                if (!observes(b, name)) return false;
            return true;
        }))
        throw std::runtime_error("not every app came to observe " + name);
}

bool Device::serves(const std::string& centre) {
    auto st = status();
    for (const Value& c : *fnd::valueForKey(st, "centres").array())
        if (c == Value(centre)) return true;
    return false;
}

void Device::launch(const std::string& bundle) {
    auto r = m_control->request({{"op", Value("launch")}, {"bundle", Value(bundle)}}, std::chrono::seconds(10));
    if (!r || !fnd::valueForKey(*r, "ok").boolValue()) throw std::runtime_error("launch failed");
    if (!waitFor([&] { return pidOf(bundle).has_value(); }))
        throw std::runtime_error(bundle + " never joined the device");
}

void Device::post(const std::string& name) { m_control->send({{"op", Value("post")}, {"name", Value(name)}}); }

void Device::send(const std::string& message, Dictionary info, const std::string& centre) {
    m_control->send({{"op", Value("send")},
                     {"center", Value(centre)},
                     {"message", Value(message)},
                     {"userInfo", Value(std::move(info))}});
}

std::vector<std::string> Device::samplePhotos(int count) {
    std::string dir = m_root + "/samples";
    std::vector<std::string> files;
    if (lumisim({"sample-photos", dir, "--count", std::to_string(count)}).status != 0) return files;
    for (const auto& f : std::filesystem::directory_iterator(dir))
        files.push_back(f.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

bool Device::lockAlbums(const std::vector<std::string>& titles) {
    constexpr const char* kLocked = "/var/mobile/Library/lumicrate/lockedAlbums.plist";
    Array list;
    for (const auto& t : titles)
        list.push_back(Value(t));
    send("savearray", {{"array", Value(list)}, {"path", Value(kLocked)}}, "com.zel.lumicrate12");
    return waitFor([&] { return fnd::readArrayFile(kLocked) == list; });
}

Dictionary Device::ui(const std::string& bundle, Dictionary request) {
    auto r =
        m_control->request({{"op", Value("ui")}, {"bundle", Value(bundle)}, {"request", Value(std::move(request))}},
                           std::chrono::seconds(20));
    if (!r) throw std::runtime_error("the device did not answer a ui request for " + bundle);
    return *r;
}

bool Device::shows(const std::string& bundle, const char* key, const Value& value) {
    return ok(ui(bundle, {{"command", Value("find")}, {key, value}}));
}

bool Device::tapWhenShown(const std::string& bundle, const char* key, const Value& value) {
    return waitFor([&] { return ok(ui(bundle, {{"command", Value("tap")}, {key, value}})); });
}

bool Device::pressWhenShown(const std::string& bundle, const std::string& button) {
    return waitFor([&] { return ok(ui(bundle, {{"command", Value("alert")}, {"button", Value(button)}})); });
}

std::vector<std::string> Device::logLines() {
    std::ifstream in(fnd::hostPath("/var/log/system.log"));
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

std::size_t Device::countLog(const std::string& needle) {
    std::size_t n = 0;
    for (const auto& l : logLines())
        if (l.find(needle) != std::string::npos) ++n;
    return n;
}

bool Device::waitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
    return m_loop.runUntil(done, limit);
}

} // namespace e2e
