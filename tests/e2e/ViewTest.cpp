// The live viewer on a booted device: headless Chromium opens the page,
// sees the home screen, clicks the Photos icon, holds a click on an album
// tile until it locks, and types the passcode into SpringBoard's prompt;
// and the server stays up through malformed requests, a viewer that leaves
// in the middle of a frame, and the device shutting down under it.
//
// With LUMI_VIEW_SCREENS set, the browser's screenshots are kept there with
// a line each, for the demo's report.

#include "sim/foundation/Files.h"
#include "tests/e2e/Browser.h"
#include "tests/e2e/E2EDevice.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using e2e::Device;
using e2e::kPhotos;
using e2e::kSpringBoard;
using e2e::ok;
using fnd::Dictionary;
using fnd::Value;
using nlohmann::json;

namespace {

// `lumisim view --port 0` on the device, with the address it printed.
class Viewer {
public:
    explicit Viewer(const std::string& root) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::string exe = std::string(LUMI_BIN_DIR) + "/lumisim";
        std::vector<std::string> args{exe, "view", "--port", "0", "--root", root};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&m_pid, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        m_out = out[0];
        // "lumisim view: http://127.0.0.1:PORT/ shows ..."
        std::string first = readUntil("\n", std::chrono::seconds(20));
        auto at = first.find("http://127.0.0.1:");
        if (at != std::string::npos) m_port = std::atoi(first.c_str() + at + 17);
        m_printed = first;
    }
    ~Viewer() {
        if (m_pid > 0 && !m_exited) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) ::close(m_out);
    }
    int port() const { return m_port; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }
    bool running() const { return m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0; }

    // Its exit status and everything it printed, once it ends by itself (up to `limit`).
    std::optional<std::pair<int, std::string>> awaitExit(std::chrono::seconds limit) {
        std::string rest = readUntil("", limit); // to the end of its output
        int status = 0;
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (::waitpid(m_pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
            pollfd none{-1, 0, 0};
            ::poll(&none, 0, 20); // the process is ending: its output is closed already
        }
        m_exited = true;
        return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, m_printed + rest);
    }

private:
    // Output up to `until` (empty: to its end), waiting at most `limit`.
    std::string readUntil(const std::string& until, std::chrono::seconds limit) {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (until.empty() || got.find(until) == std::string::npos) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{m_out, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            char buf[1024];
            ssize_t n = ::read(m_out, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }
    pid_t m_pid = -1;
    int m_out = -1, m_port = 0;
    bool m_exited = false;
    std::string m_printed;
};

// A connection to the server that speaks HTTP and WebSocket frames by hand,
// so that a test can send what no browser would.
class RawClient {
public:
    explicit RawClient(int port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~RawClient() { close(); }
    void close() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }
    bool connected() const { return m_fd >= 0; }
    bool send(const std::string& bytes) {
        return m_fd >= 0 &&
               ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // Up to `n` bytes, waiting at most `limit`; fewer when the server closes.
    std::string read(std::size_t n, std::chrono::seconds limit = std::chrono::seconds(20)) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (m_buffer.size() < n) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || m_fd < 0) break;
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            char buf[65536];
            ssize_t got = ::recv(m_fd, buf, sizeof buf, 0);
            if (got <= 0) break;
            m_buffer.append(buf, static_cast<std::size_t>(got));
        }
        std::string out = m_buffer.substr(0, n);
        m_buffer.erase(0, out.size());
        return out;
    }
    // The HTTP answer's head (through the blank line).
    std::string head() {
        std::string h;
        while (h.find("\r\n\r\n") == std::string::npos) {
            std::string c = read(1);
            if (c.empty()) break;
            h += c;
        }
        return h;
    }
    std::string upgrade(int port, const std::string& origin) {
        send("GET /view HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
             "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
             "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Protocol: lumi-view\r\nOrigin: " +
             origin + "\r\n\r\n");
        return head();
    }
    // One message from the server: its opcode (1 text, 2 binary) and payload; none when it closed.
    std::optional<std::pair<int, std::string>> message() {
        std::string h = read(2);
        if (h.size() < 2) return std::nullopt;
        int opcode = h[0] & 0x0F;
        std::uint64_t len = static_cast<unsigned char>(h[1]) & 0x7F;
        int extra = len == 126 ? 2 : len == 127 ? 8 : 0;
        if (extra) {
            std::string e = read(static_cast<std::size_t>(extra));
            len = 0;
            for (char c : e)
                len = len << 8 | static_cast<unsigned char>(c);
        }
        std::string payload = read(static_cast<std::size_t>(len));
        if (payload.size() != len) return std::nullopt;
        return std::make_pair(opcode, payload);
    }
    // A client's frame (masked, as the protocol requires).
    bool sendFrame(int opcode, const std::string& payload) {
        std::string f(1, static_cast<char>(0x80 | opcode));
        if (payload.size() < 126)
            f.push_back(static_cast<char>(0x80 | payload.size()));
        else {
            f.push_back(static_cast<char>(0x80 | 126));
            f.push_back(static_cast<char>(payload.size() >> 8));
            f.push_back(static_cast<char>(payload.size() & 0xFF));
        }
        const char mask[4] = {0x11, 0x22, 0x33, 0x44};
        f.append(mask, 4);
        for (std::size_t i = 0; i < payload.size(); ++i)
            f.push_back(static_cast<char>(payload[i] ^ mask[i % 4]));
        return send(f);
    }
    // Messages until a whole frame (its description and both layers) has come.
    struct Shown {
        json meta;
        std::string screen, overlay;
    };
    std::optional<Shown> frame() {
        std::optional<Shown> s;
        for (;;) {
            auto m = message();
            if (!m) return std::nullopt;
            if (m->first == 1) {
                json j = json::parse(m->second, nullptr, false);
                if (j.is_object() && j.value("type", "") == "frame") s = Shown{j, {}, {}};
            } else if (m->first == 2 && s && !m->second.empty()) {
                (m->second[0] == 0 ? s->screen : s->overlay) = m->second.substr(1);
                if (m->second[0] == 1) return s;
            }
        }
    }

private:
    int m_fd = -1;
    std::string m_buffer;
};

// The browser's page, with the device it shows.
struct Page {
    Device& d;
    e2e::Browser& b;

    // What the page shows; before it has loaded, nothing.
    json state() {
        json s =
            b.evaluate("({front: document.body.dataset.front || '', app: document.body.dataset.app || '',"
                       " frames: Number(document.body.dataset.frames), overlay: document.body.dataset.overlay || '',"
                       " bytes: Number(document.body.dataset.screenBytes || 0),"
                       " width: document.getElementById('app').naturalWidth,"
                       " left: document.getElementById('screen').getBoundingClientRect().left,"
                       " top: document.getElementById('screen').getBoundingClientRect().top})");
        if (s.is_object()) return s;
        return {{"front", ""}, {"app", ""},  {"frames", 0}, {"overlay", ""},
                {"bytes", 0},  {"width", 0}, {"left", 0},   {"top", 0}};
    }
    // The page shows the picture the app draws now (the same PNG, byte for byte in length).
    bool showsWhatTheAppDraws(const char* app) {
        return d.waitFor(
            [&] {
                Dictionary r = d.ui(app, {{"command", Value("frame")}});
                const fnd::Data* png = fnd::valueForKey(r, "png").data();
                json s = state();
                return png && s["app"] == app && s["bytes"].get<std::size_t>() == png->size();
            },
            std::chrono::seconds(30));
    }
    bool waitFor(const std::function<bool(const json&)>& seen) {
        return d.waitFor([&] { return seen(state()); }, std::chrono::seconds(30));
    }
    // Where the element the query names is on the page (its centre).
    std::optional<std::pair<double, double>> where(const char* app, const char* key, const std::string& value) {
        Dictionary r = d.ui(app, {{"command", Value("find")}, {key, Value(value)}});
        if (!ok(r)) return std::nullopt;
        json s = state();
        return std::make_pair(s["left"].get<double>() + *fnd::valueForKey(r, "x").real(),
                              s["top"].get<double>() + *fnd::valueForKey(r, "y").real());
    }
    bool click(const char* app, const char* key, const std::string& value) {
        std::optional<std::pair<double, double>> at;
        if (!d.waitFor([&] { return (at = where(app, key, value)).has_value(); })) return false;
        b.mouse("mousePressed", at->first, at->second);
        b.mouse("mouseReleased", at->first, at->second);
        return true;
    }
    void keep(const std::string& name, const std::string& note) {
        const char* dir = std::getenv("LUMI_VIEW_SCREENS");
        if (!dir) return;
        std::ofstream(std::string(dir) + "/" + name + ".png", std::ios::binary) << b.screenshot();
        std::ofstream(std::string(dir) + "/" + name + ".txt") << note << "\n";
    }
};

} // namespace

TEST(LiveView, APersonUsesTheProductThroughTheBrowser) {
    if (!e2e::Browser::executable()) GTEST_SKIP() << "Chromium is not installed";
    Device d(true, "iphone8", {"--passcode", "1234"});
    std::vector<std::string> files = d.samplePhotos(2);
    ASSERT_EQ(e2e::lumisim({"addmedia", files[0], files[1], "--album", "Trips", "--root", d.root()}).status, 0);
    Viewer viewer(d.root());
    ASSERT_GT(viewer.port(), 0) << "lumisim view printed no address";
    e2e::Browser b;
    ASSERT_TRUE(b.started()) << "Chromium did not start";
    Page page{d, b};
    b.open(viewer.url());

    // The home screen, drawn at the model's scale (375 points at 2x).
    ASSERT_TRUE(page.waitFor([](const json& s) {
        return s["front"] == kSpringBoard && s["app"] == kSpringBoard && s["width"] == 750;
    })) << page.state().dump();
    page.keep("1-home",
              "lumisim view in Chromium: the home screen, live, with the device's processes and log beside it.");

    // A click on the Photos icon opens Photos, and the page follows.
    ASSERT_TRUE(page.click(kSpringBoard, "label", "Photos"));
    ASSERT_TRUE(page.waitFor([](const json& s) { return s["front"] == kPhotos && s["app"] == kPhotos; }))
        << page.state().dump();
    ASSERT_TRUE(page.click(kPhotos, "label", "Albums"));
    ASSERT_TRUE(d.waitFor([&] { return d.shows(kPhotos, "label", Value("Trips")); }));

    // A click held on Trips' tile is a long press for as long as it is held: Trips locks.
    std::optional<std::pair<double, double>> tile;
    ASSERT_TRUE(d.waitFor([&] { return (tile = page.where(kPhotos, "label", "Trips")).has_value(); }));
    b.mouse("mousePressed", tile->first, tile->second);
    EXPECT_TRUE(d.waitFor([&] { return d.shows(kPhotos, "tag", Value(202)); })) << "the padlock";
    b.mouse("mouseReleased", tile->first, tile->second);
    ASSERT_TRUE(page.showsWhatTheAppDraws(kPhotos)) << "the page shows the padlock";
    page.keep("2-padlock",
              "A click held on Trips' tile: a long press, which locked Trips; the page shows the padlock.");

    // A click on the locked tile: SpringBoard's prompt over Photos, and the passcode typed on the keyboard.
    ASSERT_TRUE(page.click(kPhotos, "label", "Trips"));
    ASSERT_TRUE(page.waitFor([](const json& s) { return s["overlay"] == "true"; })) << "the prompt over Photos";
    for (const char* k : {"1", "2", "3", "4"})
        b.key(k);
    ASSERT_TRUE(d.waitFor([&] {
        Dictionary r = d.ui(kSpringBoard, {{"command", Value("keys")}, {"text", Value("")}});
        return ok(r) && *fnd::valueForKey(r, "text").string() == "****";
    })) << "the four digits reached the prompt's field";
    page.keep("3-passcode",
              "A click on the locked Trips: SpringBoard's passcode prompt over Photos, four digits typed.");
    ASSERT_TRUE(page.click(kSpringBoard, "text", "OK"));
    ASSERT_TRUE(d.waitFor([&] { return d.shows(kPhotos, "label", Value("Select")); })) << "Trips opened";
    ASSERT_TRUE(page.waitFor([](const json& s) { return s["overlay"] == "false"; }));
    ASSERT_TRUE(page.showsWhatTheAppDraws(kPhotos)) << "the page shows the album";
    page.keep("4-trips-open", "OK clicked: the passcode was right and Trips opens, all through the browser.");
}

TEST(LiveView, BadRequestsAViewerLeavingMidFrameAndTheDeviceEndingBreakNothing) {
    Device d;
    Viewer viewer(d.root());
    int port = viewer.port();
    ASSERT_GT(port, 0);
    std::string origin = "http://127.0.0.1:" + std::to_string(port);

    // Two viewers see the same screen.
    RawClient a(port), b(port);
    ASSERT_NE(a.upgrade(port, origin).find(" 101 "), std::string::npos);
    ASSERT_NE(b.upgrade(port, origin).find(" 101 "), std::string::npos);
    auto fa = a.frame(), fb = b.frame();
    ASSERT_TRUE(fa && fb);
    EXPECT_EQ(fa->meta["app"], kSpringBoard);
    EXPECT_FALSE(fa->screen.empty());
    EXPECT_EQ(fa->screen, fb->screen);

    // What no page would send: garbage, an endless header, another site's page, bad messages.
    {
        RawClient junk(port);
        static const char kJunk[] = "\x00\x01\x02 NOT HTTP\r\n\r\n";
        junk.send(std::string(kJunk, sizeof kJunk - 1));
        junk.read(1, std::chrono::seconds(5));
        RawClient huge(port);
        huge.send("GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                  "\r\nX-Long: " + std::string(256 * 1024, 'a') + "\r\n\r\n");
        huge.read(1, std::chrono::seconds(5));
        RawClient elsewhere(port);
        EXPECT_EQ(elsewhere.upgrade(port, "http://evil.example").find(" 101 "), std::string::npos)
            << "a page from another site may not open the socket";
        RawClient rebound(port);
        rebound.send("GET / HTTP/1.1\r\nHost: evil.example:" + std::to_string(port) + "\r\n\r\n");
        EXPECT_EQ(rebound.head().find(" 200 "), std::string::npos) << "a page served under another name";
        RawClient talker(port);
        ASSERT_NE(talker.upgrade(port, origin).find(" 101 "), std::string::npos);
        talker.sendFrame(1, "down nowhere");
        talker.sendFrame(1, "keys \x01");
        talker.sendFrame(2, std::string(100, '\xff'));
        talker.sendFrame(1, "keys " + std::string(20000, 'x'));
        talker.sendFrame(1, "up 10 10"); // no finger is down
        talker.sendFrame(1, "background com.example.not-installed");
    }

    // A viewer that leaves in the middle of a frame.
    {
        RawClient leaver(port);
        ASSERT_NE(leaver.upgrade(port, origin).find(" 101 "), std::string::npos);
        leaver.read(300);
    }

    // The server and the device carry on: Photos launched shows in the viewer that stayed.
    d.launch(kPhotos);
    std::optional<RawClient::Shown> shown;
    do
        shown = a.frame();
    while (shown && shown->meta["app"] != kPhotos);
    ASSERT_TRUE(shown) << "the viewer that stayed sees Photos";
    // Its home button: Photos to the background, and the home screen in front again.
    ASSERT_TRUE(a.sendFrame(1, "home"));
    do
        shown = a.frame();
    while (shown && shown->meta["app"] != kSpringBoard);
    ASSERT_TRUE(shown) << "home shows the home screen";
    EXPECT_EQ(fnd::valueForKey(d.status(), "front"), Value(kSpringBoard));
    RawClient page(port);
    page.send("GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n");
    EXPECT_NE(page.head().find(" 200 "), std::string::npos);
    EXPECT_TRUE(ok(d.ui(kSpringBoard, {{"command", Value("tree")}})));

    // The device shuts down under the viewer: it ends cleanly, and says why.
    ASSERT_EQ(e2e::lumisim({"shutdown", "--root", d.root()}).status, 0);
    auto ended = viewer.awaitExit(std::chrono::seconds(30));
    ASSERT_TRUE(ended) << "the viewer outlived the device";
    EXPECT_EQ(ended->first, 0);
    EXPECT_NE(ended->second.find("the device shut down"), std::string::npos) << ended->second;
}
