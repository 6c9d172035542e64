#include "sim/lumisim/view/ViewSession.h"

#include "sim/deviced/Daemon.h"
#include "sim/foundation/AppCatalog.h"
#include "sim/ipc/Operations.h"
#include "sim/uikit/Display.h"

#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumisim::view {

using fnd::Dictionary;
using fnd::Value;

namespace {

constexpr std::size_t kLogLines = 12;
constexpr std::size_t kLogTailBytes = 16 * 1024;

bool ok(const Dictionary& reply) { return fnd::valueForKey(reply, "ok").boolValue(); }

std::string errorOf(const Dictionary& reply) {
    const std::string* e = fnd::valueForKey(reply, "error").string();
    return e ? *e : "the device refused the request";
}

std::string pngOf(const Dictionary& reply) {
    const fnd::Data* png = fnd::valueForKey(reply, "png").data();
    return png ? std::string(png->begin(), png->end()) : std::string();
}

double numberOf(const Dictionary& d, const char* key) { return fnd::valueForKey(d, key).number().value_or(0); }

// The running apps of a status, pid -> bundle.
std::map<std::int64_t, std::string> runningApps(const Dictionary& status) {
    std::map<std::int64_t, std::string> out;
    if (const fnd::Array* apps = fnd::valueForKey(status, "apps").array())
        for (const Value& a : *apps)
            if (const Dictionary* d = a.dictionary()) {
                const std::int64_t* pid = fnd::valueForKey(*d, "pid").integer();
                const std::string* bundle = fnd::valueForKey(*d, "bundle").string();
                if (pid && bundle) out[*pid] = *bundle;
            }
    return out;
}

std::string text(const Dictionary& d, const char* key) {
    const std::string* s = fnd::valueForKey(d, key).string();
    return s ? *s : std::string();
}

} // namespace

ViewSession::ViewSession(dsp::RunLoop& loop, std::unique_ptr<ipc::DeviceSocket> device, ViewServer& server,
                         std::string logPath)
    : m_loop(loop)
    , m_device(std::move(device))
    , m_server(server)
    , m_logPath(std::move(logPath)) {}

ViewSession::~ViewSession() {
    if (m_renewal) m_renewal->invalidate();
    if (m_logWatch >= 0) m_loop.removeWatch(m_logWatch);
    if (m_inotify >= 0) ::close(m_inotify);
}

void ViewSession::start() {
    m_device->attach(
        m_loop, [this](Dictionary frame) { onDeviceFrame(frame); },
        [this] {
            m_deviceGone = true;
            m_loop.stop();
        });
    for (const char* name : {deviced::kAppsChanged, uikit::display::kDisplayChanged})
        m_device->send({{ipc::op::kKey, Value(ipc::op::kObserve)},
                        {"name", Value(name)},
                        {"behavior", Value(ipc::suspensionName(ipc::Suspension::DeliverImmediately))}});
    // The log's last lines, whenever it grows (the kernel says when).
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify >= 0) {
        ::inotify_add_watch(m_inotify, m_logPath.c_str(), IN_MODIFY | IN_CLOSE_WRITE);
        m_logWatch = m_loop.addWatch(m_inotify, POLLIN, [this](short) {
            char events[4096];
            while (::read(m_inotify, events, sizeof events) > 0) {
            }
            readLogTail();
        });
    }
    readLogTail();
    m_renewal =
        m_loop.scheduleTimer(dsp::seconds(kWatchLeaseSeconds / 3), true, [this](dsp::Timer&) { renewWatches(); });
    look();
}

void ViewSession::ask(Dictionary op, Reply done) {
    m_queue.push_back({std::move(op), std::move(done)});
    sendNext();
}

void ViewSession::askUi(const std::string& bundle, Dictionary request, Reply done) {
    ask({{ipc::op::kKey, Value(ipc::op::kUi)}, {"bundle", Value(bundle)}, {"request", Value(std::move(request))}},
        std::move(done));
}

void ViewSession::sendNext() {
    if (m_inFlight || m_queue.empty() || m_deviceGone) return;
    m_inFlight = true;
    if (!m_device->send(m_queue.front().op)) {
        m_deviceGone = true;
        m_loop.stop();
    }
}

void ViewSession::onDeviceFrame(const Dictionary& frame) {
    const std::string kind = text(frame, ipc::op::kKey);
    if (kind == ipc::op::kReply) {
        if (!m_inFlight || m_queue.empty()) return; // an answer to nothing asked: ignored
        Pending done = std::move(m_queue.front());
        m_queue.pop_front();
        m_inFlight = false;
        if (done.done) done.done(frame);
        sendNext();
    } else if (kind == ipc::op::kNotify) {
        look();
    }
}

void ViewSession::look() {
    if (m_looking) {
        m_lookAgain = true; // one more look afterwards, however many changes come meanwhile
        return;
    }
    m_looking = true;
    ask({{ipc::op::kKey, Value(ipc::op::kStatus)}}, [this](const Dictionary& reply) {
        if (!ok(reply)) {
            notice(errorOf(reply));
            m_looking = false;
            return;
        }
        m_status = reply;
        m_front = text(reply, "front");
        publishStatus();
        lookAtFrames(reply);
    });
}

void ViewSession::lookAtFrames(const Dictionary& status) {
    auto finish = [this] {
        m_looking = false;
        if (m_lookAgain) {
            m_lookAgain = false;
            look();
        }
    };
    auto running = runningApps(status);
    // Watches are by process: an app started again is a new process to watch.
    std::erase_if(m_watched, [&](const std::string& key) {
        auto colon = key.rfind(':');
        auto it = running.find(std::stoll(key.substr(colon + 1)));
        return it == running.end() || it->second != key.substr(0, colon);
    });
    for (const auto& [pid, bundle] : running) {
        if (bundle != m_front && bundle != fnd::kSpringBoard) continue;
        std::string key = bundle + ":" + std::to_string(pid);
        if (m_watched.count(key)) continue;
        askUi(bundle, {{"command", Value("watch")}, {"seconds", Value(kWatchLeaseSeconds)}},
              [this, key](const Dictionary& r) {
                  if (ok(r)) m_watched.insert(key);
              });
    }
    if (m_front.empty()) return finish();
    std::string front = m_front;
    askUi(front, {{"command", Value("frame")}}, [this, front, finish](const Dictionary& r) {
        if (!ok(r)) return finish(); // not drawn yet (starting): its first picture will say so
        auto shown = std::make_shared<Frame>();
        nlohmann::json meta{{"type", "frame"},
                            {"app", front},
                            {"width", numberOf(r, "width")},
                            {"height", numberOf(r, "height")},
                            {"scale", numberOf(r, "scale")}};
        shown->layers.push_back(std::string(1, '\0') + pngOf(r));
        auto publish = [this, shown, meta, finish](std::string overlay) mutable {
            bool hasOverlay = !overlay.empty();
            m_overlay = hasOverlay;
            meta["overlay"] = hasOverlay;
            shown->meta = meta.dump();
            shown->layers.push_back(std::string(1, '\1') + overlay);
            std::uint64_t digest = std::hash<std::string>{}(shown->meta);
            for (const auto& l : shown->layers)
                digest = digest * 1099511628211ull ^ std::hash<std::string>{}(l);
            if (digest != m_shownDigest) {
                m_shownDigest = digest;
                m_server.publishFrame(std::move(*shown));
            }
            finish();
        };
        if (front == fnd::kSpringBoard) return publish({});
        askUi(fnd::kSpringBoard, {{"command", Value("frame")}, {"presented-only", Value(true)}},
              [publish](const Dictionary& o) mutable { publish(ok(o) ? pngOf(o) : std::string()); });
    });
}

void ViewSession::renewWatches() {
    for (const auto& key : m_watched) {
        std::string bundle = key.substr(0, key.rfind(':'));
        askUi(bundle, {{"command", Value("watch")}, {"seconds", Value(kWatchLeaseSeconds)}}, nullptr);
    }
}

void ViewSession::readLogTail() {
    int fd = ::open(m_logPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    std::string tail;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        off_t from =
            st.st_size > static_cast<off_t>(kLogTailBytes) ? st.st_size - static_cast<off_t>(kLogTailBytes) : 0;
        tail.resize(kLogTailBytes);
        ssize_t n = ::pread(fd, tail.data(), tail.size(), from);
        tail.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    ::close(fd);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < tail.size()) {
        std::size_t end = tail.find('\n', start);
        if (end == std::string::npos) break; // a line still being written
        lines.push_back(tail.substr(start, end - start));
        start = end + 1;
    }
    if (!lines.empty() && tail.size() == kLogTailBytes) lines.erase(lines.begin()); // cut at the front
    if (lines.size() > kLogLines) lines.erase(lines.begin(), lines.end() - kLogLines);
    if (lines == m_logTail) return;
    m_logTail = std::move(lines);
    publishStatus();
}

void ViewSession::notice(const std::string& text) {
    m_notice = text;
    publishStatus();
}

void ViewSession::publishStatus() {
    nlohmann::json apps = nlohmann::json::array();
    if (const fnd::Array* list = fnd::valueForKey(m_status, "apps").array())
        for (const Value& a : *list)
            if (const Dictionary* d = a.dictionary())
                apps.push_back(
                    {{"bundle", text(*d, "bundle")}, {"pid", numberOf(*d, "pid")}, {"state", text(*d, "state")}});
    nlohmann::json status{{"type", "status"},
                          {"front", m_front},
                          {"model", text(m_status, "model")},
                          {"walls", text(m_status, "walls")},
                          {"apps", apps},
                          {"log", m_logTail},
                          {"notice", m_notice}};
    // Log lines are the apps' text: whatever bytes they hold are replaced, never thrown on.
    std::string json = status.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    if (json == m_lastStatusJson) return;
    m_lastStatusJson = json;
    m_server.publishStatus(std::move(json));
}

void ViewSession::input(std::string message) {
    ParsedInput parsed = parseInput(message);
    m_loop.post([this, parsed = std::move(parsed)] {
        if (!parsed.input) return notice("refused: " + parsed.error);
        act(*parsed.input);
    });
}

void ViewSession::act(const Input& input) {
    auto answered = [this](const Dictionary& r) {
        if (!ok(r)) notice(errorOf(r));
    };
    // Touches and typing go to what is on top: SpringBoard's alert over the app, or the app.
    std::string top = m_overlay ? std::string(fnd::kSpringBoard) : m_front;
    if (const Touch* t = std::get_if<Touch>(&input)) {
        const char* phase = t->phase == Touch::Phase::Down ? "down" : t->phase == Touch::Phase::Move ? "move" : "up";
        if (t->phase == Touch::Phase::Down) m_touchTarget = top;
        if (m_touchTarget.empty()) return;
        Dictionary request{
            {"command", Value("touch")}, {"phase", Value(phase)}, {"x", Value(t->x)}, {"y", Value(t->y)}};
        // A finger moving faster than the app answers: only where it is now matters.
        if (t->phase == Touch::Phase::Move && m_queue.size() > 1) {
            Pending& last = m_queue.back();
            const Dictionary* r = fnd::valueForKey(last.op, "request").dictionary();
            if (r && text(*r, "command") == "touch" && text(*r, "phase") == "move") {
                last.op["request"] = Value(request);
                return;
            }
        }
        std::string target = m_touchTarget;
        if (t->phase == Touch::Phase::Up) m_touchTarget.clear();
        askUi(target, request, answered);
    } else if (const Keys* k = std::get_if<Keys>(&input)) {
        askUi(top, {{"command", Value("keys")}, {"text", Value(k->text)}}, answered);
    } else if (const Delete* d = std::get_if<Delete>(&input)) {
        askUi(top, {{"command", Value("keys")}, {"delete", Value(static_cast<std::int64_t>(d->count))}}, answered);
    } else if (std::holds_alternative<Return>(input)) {
        askUi(top, {{"command", Value("return")}}, answered);
    } else if (std::holds_alternative<Home>(input)) {
        if (m_front.empty() || m_front == fnd::kSpringBoard) return;
        ask({{ipc::op::kKey, Value(ipc::op::kBackground)}, {"bundle", Value(m_front)}}, answered);
    } else if (const Lifecycle* l = std::get_if<Lifecycle>(&input)) {
        ask({{ipc::op::kKey, Value(l->toForeground ? ipc::op::kForeground : ipc::op::kBackground)},
             {"bundle", Value(l->bundle)}},
            answered);
    } else if (const TouchId* f = std::get_if<TouchId>(&input)) {
        askUi(fnd::kSpringBoard,
              {{"command", Value("touch-id")}, {"finger", Value(f->enrolled ? "enrolled" : "other")}}, answered);
    }
}

} // namespace lumisim::view
