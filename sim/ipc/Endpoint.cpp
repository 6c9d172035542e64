#include "sim/ipc/Endpoint.h"

#include "sim/foundation/SystemLog.h"
#include "sim/ipc/Operations.h"

#include <atomic>
#include <map>
#include <string_view>

namespace ipc {

namespace {
thread_local Endpoint* t_handling = nullptr; // the endpoint whose handler this thread runs
} // namespace

using fnd::Dictionary;
using fnd::Value;

namespace {
std::atomic<Endpoint*> g_shared{nullptr};
} // namespace

Endpoint* Endpoint::shared() { return g_shared.load(std::memory_order_acquire); }
void Endpoint::setShared(Endpoint* endpoint) { g_shared.store(endpoint, std::memory_order_release); }

Endpoint::Endpoint(Uplink uplink, dsp::RunLoop* mainLoop)
    : m_uplink(std::move(uplink))
    , m_mainLoop(mainLoop) {}

dsp::RunLoop& Endpoint::mainLoop() const {
    dsp::RunLoop* loop = m_mainLoop ? m_mainLoop : dsp::RunLoop::main();
    if (!loop) rt::fatal("ipc: a delivery arrived before the process set its main run loop");
    return *loop;
}

int Endpoint::addObserver(const std::string& name, Suspension behavior, NotificationCallback callback) {
    int token;
    {
        std::lock_guard guard(m_lock);
        token = m_nextToken++;
        m_observers.emplace(token,
                            Observer{name, behavior, std::make_shared<NotificationCallback>(std::move(callback))});
    }
    m_uplink(Dictionary{
        {op::kKey, Value(op::kObserve)}, {"name", Value(name)}, {"behavior", Value(suspensionName(behavior))}});
    return token;
}

void Endpoint::removeObserver(int token) {
    std::optional<Observer> removed;
    {
        std::lock_guard guard(m_lock);
        auto it = m_observers.find(token);
        if (it == m_observers.end()) return;
        removed = std::move(it->second);
        m_observers.erase(it);
    }
    m_uplink(Dictionary{{op::kKey, Value(op::kUnobserve)},
                        {"name", Value(removed->name)},
                        {"behavior", Value(suspensionName(removed->behavior))}});
}

void Endpoint::post(const std::string& name) {
    if (name.empty()) return;
    m_uplink(Dictionary{{op::kKey, Value(op::kPost)}, {"name", Value(name)}});
}

void Endpoint::runServer(const std::string& center) {
    m_uplink(Dictionary{{op::kKey, Value(op::kRegister)}, {"center", Value(center)}});
}

bool Endpoint::isServing(const std::string& center) const {
    std::lock_guard guard(m_lock);
    return m_serving.count(center) != 0;
}

void Endpoint::registerHandler(const std::string& center, const std::string& message, rt::Ref<rt::Object> target,
                               rt::Sel selector) {
    std::lock_guard guard(m_lock);
    m_handlers[{center, message}] = Handler{std::move(target), selector};
}

void Endpoint::sendMessage(const std::string& center, const std::string& message, Dictionary userInfo) {
    m_uplink(Dictionary{{op::kKey, Value(op::kSend)},
                        {"center", Value(center)},
                        {"message", Value(message)},
                        {"userInfo", Value(std::move(userInfo))}});
}

void Endpoint::setExtraHandler(std::function<void(const Dictionary&)> handler) {
    std::lock_guard guard(m_lock);
    m_extra = std::move(handler);
}

void Endpoint::receive(Dictionary op) {
    std::weak_ptr<int> alive = m_alive;
    mainLoop().post([this, alive, op = std::move(op)] {
        if (alive.lock()) dispatch(op);
    });
}

// What the hub and the device send a process: name -> handler. Operations
// this endpoint does not know go to the extra handler (the app host's).
void Endpoint::dispatch(const Dictionary& op) {
    using Handler = void (Endpoint::*)(const Dictionary&);
    static const std::map<std::string_view, Handler> table{
        {op::kNotify, &Endpoint::dispatchNotification},
        {op::kMessage, &Endpoint::dispatchMessage},
        {op::kRegistered, &Endpoint::dispatchRegistered},
    };
    const std::string* kind = fnd::valueForKey(op, op::kKey).string();
    if (!kind) return;
    if (auto it = table.find(*kind); it != table.end()) return (this->*it->second)(op);
    std::function<void(const Dictionary&)> extra;
    {
        std::lock_guard guard(m_lock);
        extra = m_extra;
    }
    if (extra) extra(op);
}

void Endpoint::dispatchRegistered(const Dictionary& op) {
    const std::string* center = fnd::valueForKey(op, "center").string();
    const bool* ok = fnd::valueForKey(op, "ok").boolean();
    if (!center || !ok) return;
    if (*ok) {
        std::lock_guard guard(m_lock);
        m_serving.insert(*center);
        m_registerDelays.erase(*center);
        return;
    }
    // Refused: the name may still be held by a server that is going away
    // (the previous SpringBoard), so the request is made again, less often
    // each time, and each refusal is one line in the log.
    double delay;
    {
        std::lock_guard guard(m_lock);
        double& next = m_registerDelays[*center];
        next = next == 0 ? 1 : std::min(next * 2, 60.0);
        delay = next;
    }
    fnd::systemLog(fnd::LogLevel::Error, "ipc: the device refused the centre " + *center +
                                             " to this process; asking again in " +
                                             std::to_string(static_cast<int>(delay)) + " s");
    std::weak_ptr<int> alive = m_alive;
    std::string name = *center;
    mainLoop().scheduleTimer(dsp::seconds(delay), false, [this, alive, name](dsp::Timer&) {
        if (alive.lock()) runServer(name);
    });
}

void Endpoint::dispatchNotification(const Dictionary& op) {
    const std::string* name = fnd::valueForKey(op, "name").string();
    const std::string* scope = fnd::valueForKey(op, "scope").string();
    if (name && scope) notifyObservers(*name, *scope);
}

void Endpoint::notifyObservers(const std::string& name, const std::string& scope) {
    // The callbacks are copied out first: a callback may add or remove observers.
    std::vector<std::shared_ptr<NotificationCallback>> due;
    {
        std::lock_guard guard(m_lock);
        for (const auto& [token, o] : m_observers) {
            if (o.name != name) continue;
            bool matches = scope == "all" || scope == suspensionName(o.behavior);
            if (matches) due.push_back(o.callback);
        }
    }
    for (const auto& cb : due)
        (*cb)(name);
}

void Endpoint::dispatchMessage(const Dictionary& op) {
    const std::string* center = fnd::valueForKey(op, "center").string();
    const std::string* message = fnd::valueForKey(op, "message").string();
    const Dictionary* info = fnd::valueForKey(op, "userInfo").dictionary();
    const Dictionary* sender = fnd::valueForKey(op, "sender").dictionary();
    if (!center || !message || !info) return;
    Handler handler;
    {
        std::lock_guard guard(m_lock);
        auto it = m_handlers.find({*center, *message});
        if (it == m_handlers.end()) return; // no handler for that name: dropped, as on the phone
        handler = it->second;
    }
    m_currentSender = sender ? PeerIdentity::fromDictionary(*sender) : std::nullopt;
    Endpoint* outer = t_handling;
    t_handling = this;
    // Which handler runs is another process's choice, so the send is checked:
    // a handler the target lacks, or one of another signature, drops the
    // message with one line, and this process carries on.
    auto sent = rt::trySend(handler.target, handler.selector, *message, *info);
    t_handling = outer;
    m_currentSender.reset();
    if (!sent.ok())
        fnd::systemLog(fnd::LogLevel::Error, "ipc: dropped \"" + *message + "\" to " + *center + ": " + sent.error());
}

std::optional<PeerIdentity> Endpoint::senderBeingHandled() {
    return t_handling ? t_handling->m_currentSender : std::nullopt;
}

} // namespace ipc
