#pragma once
// The live viewer's side of the device: one operator connection, on the
// viewer's run loop. It learns that something changed from the device
// (the daemon posts "com.lumi.sim.apps-changed" when apps start, end or
// change state; a watched app posts "com.lumi.sim.display-changed" when
// what it draws changes) and then looks again: the status (the front
// app), the front app's picture, and what SpringBoard presents over it (a
// system alert, which then also takes the touches and the typing). It
// publishes what it saw to the server only when it differs from the last.
//
// Requests go one at a time (the device answers them in order), and a
// change heard while looking makes one more look afterwards, however many
// came. Watching is a lease the session renews while it runs; when the
// session ends, the apps stop drawing for it within the lease.

#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/Value.h"
#include "sim/ipc/DeviceSocket.h"
#include "sim/lumisim/view/ViewInput.h"
#include "sim/lumisim/view/ViewServer.h"

#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>

namespace lumisim::view {

inline constexpr double kWatchLeaseSeconds = 30;

class ViewSession {
public:
    // `logPath`: the device's system log on the host, whose last lines the status shows.
    ViewSession(dsp::RunLoop& loop, std::unique_ptr<ipc::DeviceSocket> device, ViewServer& server, std::string logPath);
    ~ViewSession();
    // Observes the device's changes and takes the first look. The loop stops
    // when the device goes away.
    void start();
    // A viewer's message (any thread): read, then done on the loop.
    void input(std::string message);
    bool deviceGone() const { return m_deviceGone; }

private:
    using Reply = std::function<void(const fnd::Dictionary& reply)>;
    void ask(fnd::Dictionary op, Reply done);
    void askUi(const std::string& bundle, fnd::Dictionary request, Reply done);
    void sendNext();
    void onDeviceFrame(const fnd::Dictionary& frame);
    void look();
    void lookAtFrames(const fnd::Dictionary& status);
    void publishStatus();
    void act(const Input& input);
    void renewWatches();
    void readLogTail();
    void notice(const std::string& text);

    dsp::RunLoop& m_loop;
    std::unique_ptr<ipc::DeviceSocket> m_device;
    ViewServer& m_server;
    std::string m_logPath;
    struct Pending {
        fnd::Dictionary op;
        Reply done;
    };
    std::deque<Pending> m_queue;
    bool m_inFlight = false;
    bool m_looking = false, m_lookAgain = false;
    bool m_deviceGone = false;

    fnd::Dictionary m_status;
    std::string m_front;
    bool m_overlay = false;    // SpringBoard presents something over the front app
    std::string m_touchTarget; // the app a finger went down on, until it lifts
    std::set<std::string> m_watched;
    std::uint64_t m_shownDigest = 0;
    std::vector<std::string> m_logTail;
    std::string m_notice;
    std::string m_lastStatusJson;
    std::shared_ptr<dsp::Timer> m_renewal;
    int m_inotify = -1, m_logWatch = -1;
};

} // namespace lumisim::view
