#pragma once
// Endpoint: one process's end of the device's messaging, below the
// CoreFoundation and AppSupport shapes (Notify.h, MessagingCenter.h).
//
// It keeps the process's notification callbacks and message handlers and
// speaks to the hub in operations (Hub.h) through an uplink, which is the hub
// itself (in-process transport) or the device socket. Whatever the hub
// delivers is queued onto the process's main run loop and dispatched there,
// one delivery at a time: callbacks and handlers always run on the main
// thread, never re-entrantly from the transport. Calls that send (post,
// sendMessage, observe) may come from any thread.

#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/Value.h"
#include "sim/ipc/Hub.h"
#include "sim/ipc/PeerIdentity.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ipc {

class Endpoint {
public:
    using Uplink = std::function<void(const fnd::Dictionary& op)>;
    using NotificationCallback = std::function<void(const std::string& name)>;

    // `mainLoop` null: the process's main loop at delivery time.
    explicit Endpoint(Uplink uplink, dsp::RunLoop* mainLoop = nullptr);
    Endpoint(const Endpoint&) = delete;
    Endpoint& operator=(const Endpoint&) = delete;

    // The endpoint of this process, as the app process (or a test) set it up.
    static Endpoint* shared();
    static void setShared(Endpoint* endpoint);

    int addObserver(const std::string& name, Suspension behavior, NotificationCallback callback);
    void removeObserver(int token);
    void post(const std::string& name);

    // Asks the hub for the centre name; whether it was granted is known once
    // the answer arrives on the main loop (isServing). A refusal is logged
    // and the request made again after 1 s, then 2, 4, ... up to a minute.
    void runServer(const std::string& center);
    bool isServing(const std::string& center) const;
    // The handler is sent `selector` with the message name and the user info
    // ("v@:@@"), on the main thread.
    void registerHandler(const std::string& center, const std::string& message, rt::Ref<rt::Object> target,
                         rt::Sel selector);
    void sendMessage(const std::string& center, const std::string& message, fnd::Dictionary userInfo);
    // Inside a message handler: who sent the message, as the device stamped it.
    const std::optional<PeerIdentity>& currentSender() const { return m_currentSender; }
    // The same for the message this thread is handling, whichever endpoint
    // delivered it (a test plays several processes on one thread); none
    // outside a handler.
    static std::optional<PeerIdentity> senderBeingHandled();

    // An operation for the device itself rather than the hub (the answer
    // to an automation request); any thread.
    void sendToDevice(const fnd::Dictionary& op) { m_uplink(op); }

    // From the transport, on any thread: queued for the main loop.
    void receive(fnd::Dictionary op);
    // Operations the hub sent that this endpoint does not know (lifecycle
    // events for the app process); run on the main loop.
    void setExtraHandler(std::function<void(const fnd::Dictionary&)> handler);

private:
    struct Observer {
        std::string name;
        Suspension behavior;
        std::shared_ptr<NotificationCallback> callback;
    };
    struct Handler {
        rt::Ref<rt::Object> target;
        rt::Sel selector;
    };

    dsp::RunLoop& mainLoop() const;
    void dispatch(const fnd::Dictionary& op);
    void dispatchNotification(const fnd::Dictionary& op);
    void dispatchMessage(const fnd::Dictionary& op);
    void dispatchRegistered(const fnd::Dictionary& op);
    void notifyObservers(const std::string& name, const std::string& scope);

    Uplink m_uplink;
    dsp::RunLoop* m_mainLoop;
    mutable std::mutex m_lock; // observers, handlers, serving: touched from any thread
    std::map<int, Observer> m_observers;
    int m_nextToken = 1;
    std::map<std::pair<std::string, std::string>, Handler> m_handlers;
    std::set<std::string> m_serving;
    std::map<std::string, double> m_registerDelays; // seconds before the next request, by refused centre
    std::function<void(const fnd::Dictionary&)> m_extra;
    std::optional<PeerIdentity> m_currentSender; // main thread only
    // Deliveries still queued on the main loop when the endpoint goes away are dropped.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace ipc
