#include "tests/e2e/Browser.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::string base64Decode(const std::string& in) {
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    std::string out;
    int bits = 0, buffer = 0;
    for (char c : in) {
        int v = value(c);
        if (v < 0) continue;
        buffer = (buffer << 6) | v;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((buffer >> bits) & 0xFF));
        }
    }
    return out;
}

} // namespace

std::optional<std::string> Browser::executable() {
    for (const char* p : {"/usr/bin/chromium", "/usr/bin/chromium-browser"})
        if (::access(p, X_OK) == 0) return std::string(p);
    return std::nullopt;
}

Browser::Browser() {
    auto exe = executable();
    if (!exe) return;
    char dir[] = "/tmp/lumi-browser-XXXXXX";
    if (!::mkdtemp(dir)) return;
    m_dataDir = dir;
    int toBrowser[2], fromBrowser[2];
    if (::pipe2(toBrowser, O_CLOEXEC) != 0 || ::pipe2(fromBrowser, O_CLOEXEC) != 0) return;
    // Out of the way of 3 and 4 before they are placed there.
    int in = ::fcntl(toBrowser[0], F_DUPFD_CLOEXEC, 100), out = ::fcntl(fromBrowser[1], F_DUPFD_CLOEXEC, 100);
    ::close(toBrowser[0]);
    ::close(fromBrowser[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in, 3);
    posix_spawn_file_actions_adddup2(&actions, out, 4);
    int devnull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    posix_spawn_file_actions_adddup2(&actions, devnull, 2); // its own warnings (no D-Bus here) are not the test's
    std::string dataArg = "--user-data-dir=" + m_dataDir;
    std::vector<std::string> args{*exe,
                                  "--headless=new",
                                  "--no-sandbox",
                                  "--disable-gpu",
                                  "--remote-debugging-pipe",
                                  dataArg,
                                  "--window-size=1000,900",
                                  "--no-first-run",
                                  "--no-default-browser-check",
                                  "--disable-extensions",
                                  "--disable-background-networking",
                                  "--disable-component-update",
                                  "--hide-scrollbars",
                                  "about:blank"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int rc = ::posix_spawn(&m_pid, exe->c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in);
    ::close(out);
    ::close(devnull);
    m_toBrowser = toBrowser[1];
    m_fromBrowser = fromBrowser[0];
    if (rc != 0) {
        m_pid = -1;
        return;
    }
    json targets = call("Target.getTargets", json::object(), false);
    for (const auto& t : targets["targetInfos"])
        if (t["type"] == "page") {
            json attached = call("Target.attachToTarget", {{"targetId", t["targetId"]}, {"flatten", true}}, false);
            m_session = attached.value("sessionId", "");
            break;
        }
}

Browser::~Browser() {
    if (m_toBrowser >= 0) ::close(m_toBrowser);
    if (m_fromBrowser >= 0) ::close(m_fromBrowser);
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    std::error_code ec;
    if (!m_dataDir.empty()) fs::remove_all(m_dataDir, ec);
}

json Browser::call(const std::string& method, json params, bool onPage) {
    int id = m_nextId++;
    json message{{"id", id}, {"method", method}, {"params", std::move(params)}};
    if (onPage) message["sessionId"] = m_session;
    std::string text = message.dump();
    text.push_back('\0');
    for (std::size_t sent = 0; sent < text.size();) {
        ssize_t n = ::write(m_toBrowser, text.data() + sent, text.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw std::runtime_error("the browser is gone (" + method + ")");
        sent += static_cast<std::size_t>(n);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        for (std::size_t end; (end = m_buffer.find('\0')) != std::string::npos;) {
            json answer = json::parse(m_buffer.substr(0, end), nullptr, false);
            m_buffer.erase(0, end + 1);
            if (answer.is_object() && answer.value("id", -1) == id) { // events and others' answers are not this call's
                if (answer.contains("error")) throw std::runtime_error(method + ": " + answer["error"].dump());
                return answer.value("result", json::object());
            }
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) throw std::runtime_error("the browser did not answer " + method);
        pollfd p{m_fromBrowser, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char chunk[65536];
        ssize_t n = ::read(m_fromBrowser, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw std::runtime_error("the browser is gone (" + method + ")");
        m_buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

void Browser::open(const std::string& url) { call("Page.navigate", {{"url", url}}); }

json Browser::evaluate(const std::string& expression) {
    json r = call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}});
    if (r.contains("exceptionDetails")) return nullptr;
    return r["result"].value("value", json());
}

void Browser::mouse(const char* type, double x, double y) {
    call("Input.dispatchMouseEvent", {{"type", type},
                                      {"x", x},
                                      {"y", y},
                                      {"button", "left"},
                                      {"clickCount", 1},
                                      {"buttons", std::string(type) == "mouseReleased" ? 0 : 1}});
}

void Browser::key(const std::string& key) {
    json down{{"type", "keyDown"}, {"key", key}};
    if (key.size() == 1) down["text"] = key;
    call("Input.dispatchKeyEvent", down);
    call("Input.dispatchKeyEvent", {{"type", "keyUp"}, {"key", key}});
}

std::string Browser::screenshot() {
    json r = call("Page.captureScreenshot", {{"format", "png"}});
    return base64Decode(r.value("data", ""));
}

} // namespace e2e
