// lumi_app: the process of one app on the device (UIApplicationMain).
//
// The device daemon spawns it with the app's identity in the environment and
// its end of a connection to the device as an inherited descriptor. In
// order: join the device (the main run loop, that connection), register
// the classes of the frameworks and of the app, load the injected libraries
// whose filter names the app (their constructors run here, before any app
// code), make the application object, tell it that launching finished, and
// run the main loop until the app is terminated or the device goes away.

#include "sim/apps/host/Application.h"
#include "sim/apps/host/Injection.h"
#include "sim/apps/host/MethodListing.h"
#include "sim/apps/host/StockApps.h"
#include "sim/auth/LocalAuthentication.h"
#include "sim/foundation/AppCatalog.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/SystemLog.h"
#include "sim/ipc/Operations.h"
#include "sim/ipc/SocketTransport.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/Display.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIViewController.h"

#include <csignal>
#include <cstdio>
#include <map>
#include <string_view>
#include <sys/prctl.h>

using namespace rt::literals;

namespace {

using uikit::UIApplication;

// An automation request, answered to the device with the request's id.
void answerUi(ipc::Endpoint& endpoint, const fnd::Dictionary& op) {
    const std::int64_t* id = fnd::valueForKey(op, "id").integer();
    const fnd::Dictionary* request = fnd::valueForKey(op, "request").dictionary();
    if (!id) return;
    fnd::Dictionary answer = request ? uikit::automation::handle(*request) : uikit::automation::failure("no request");
    endpoint.sendToDevice(
        {{ipc::op::kKey, fnd::Value(ipc::op::kUiAnswer)}, {"id", fnd::Value(*id)}, {"answer", fnd::Value(answer)}});
}

// A lifecycle event: the application object hears of it; "terminate" then ends the run loop.
void onLifecycle(dsp::RunLoop& loop, const fnd::Dictionary& op) {
    using Event = void (*)(dsp::RunLoop&, const UIApplication&);
    static const std::map<std::string_view, Event> events{
        {ipc::op::kEventBackground,
         [](dsp::RunLoop&, const UIApplication& app) { app.applicationDidEnterBackground(app); }},
        {ipc::op::kEventForeground,
         [](dsp::RunLoop&, const UIApplication& app) { app.applicationWillEnterForeground(app); }},
        {ipc::op::kEventTerminate,
         [](dsp::RunLoop& loop, const UIApplication& app) {
             app.applicationWillTerminate(app);
             loop.stop();
         }},
    };
    const std::string* event = fnd::valueForKey(op, "event").string();
    auto it = event ? events.find(*event) : events.end();
    if (it != events.end()) it->second(loop, apps::sharedApplication());
}

// What the device asks of the app, by operation: lifecycle events and
// automation of its user interface. Others are not the app's and are ignored.
void onDeviceOp(dsp::RunLoop& loop, ipc::Endpoint& endpoint, const fnd::Dictionary& op) {
    using Handler = void (*)(dsp::RunLoop&, ipc::Endpoint&, const fnd::Dictionary&);
    static const std::map<std::string_view, Handler> table{
        {ipc::op::kUi, [](dsp::RunLoop&, ipc::Endpoint& e, const fnd::Dictionary& o) { answerUi(e, o); }},
        {ipc::op::kLifecycle, [](dsp::RunLoop& l, ipc::Endpoint&, const fnd::Dictionary& o) { onLifecycle(l, o); }},
    };
    const std::string* kind = fnd::valueForKey(op, ipc::op::kKey).string();
    auto it = kind ? table.find(*kind) : table.end();
    if (it != table.end()) it->second(loop, endpoint, op);
}

} // namespace

int main() {
    // An app does not outlive the device that spawned it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const auto& bundle = fnd::mainBundleIdentifier();
    if (!bundle || !fnd::findApp(*bundle)) {
        std::fprintf(stderr, "lumi_app: no installed app named by LUMI_BUNDLE_ID\n");
        return 2;
    }
    dsp::RunLoop mainLoop;
    dsp::RunLoop::setMain(&mainLoop);
    // The connection the device handed this process when it spawned it: who
    // the process is to the device is bound to it, never to its pid.
    auto inherited = ipc::inheritedDeviceConnection();
    auto transport = inherited ? ipc::SocketTransport::adopt(ipc::DeviceSocket::adopt(*inherited), mainLoop,
                                                             fnd::Dictionary{{"bundle", fnd::Value(*bundle)}})
                               : nullptr;
    if (!transport) {
        std::fprintf(stderr, "lumi_app: not spawned by a running device (no inherited connection)\n");
        return 1;
    }
    ipc::Endpoint::setShared(&transport->endpoint());
    transport->setOnClose([&mainLoop] { mainLoop.stop(); });
    transport->endpoint().setExtraHandler([&mainLoop, &endpoint = transport->endpoint()](const fnd::Dictionary& op) {
        onDeviceOp(mainLoop, endpoint, op);
    });

    // The frameworks' classes exist before any injected library looks for them.
    uikit::registerUIKit();
    // A live viewer of the device hears when this app's screen changes.
    uikit::display::install([&endpoint = transport->endpoint()] { endpoint.post(uikit::display::kDisplayChanged); });
    photos::registerPhotoKit();
    if (fnd::findApp(*bundle)->linksPhotosUI) photos::registerPhotosUI();
    auth::registerLocalAuthentication();
    apps::addMethodListing();
    rt::Class* appClass = apps::registerApplicationClasses(*bundle);
    apps::registerStockApp(*bundle); // the app's own code: its classes and methods
    for (const auto& name : apps::loadInjectedLibraries(*bundle))
        fnd::systemLog(fnd::LogLevel::Info, "injection: loaded " + name + " into " + *bundle);

    fnd::systemLog(fnd::LogLevel::Notice, "app: " + *bundle + " starts its own code");
    apps::setSharedApplication(rt::sendClass<rt::Ref<rt::Object>>(appClass, "new"_sel));
    UIApplication app = apps::sharedApplication();
    app.applicationDidFinishLaunching(app);
    if (!uikit::keyWindow()) apps::showLaunchScreen(*bundle);
    // Its first screen is up: a viewer of the device looks at it.
    transport->endpoint().post(uikit::display::kDisplayChanged);
    mainLoop.run();
    ipc::Endpoint::setShared(nullptr);
    return 0;
}
