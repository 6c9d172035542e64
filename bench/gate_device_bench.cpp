// The lock gate on the device's transport: the device daemon's socket server
// and hub on a thread of this process (as in bench_ipc), SpringBoard's
// message server and the Photos app (the stock app with lumicrate12 started
// in it, its album list on screen) on this process's main loop, real time.
//
//   A tap on a locked album with passOption 2 (the request to SpringBoard,
//   its answer file and notification, the replayed selection) until the
//   album's view is the top of the navigation stack, beside a tap on an
//   album that is not locked.
//
//   The owner round trip: from unlockAlbum:withAlbum: until the asking
//   object gets unlockAuthorised:, passOption 0, the system's owner prompt
//   answered by an enrolled finger as soon as it shows; beside a raw round
//   trip through the same daemon: a message to a server on this loop whose
//   handler posts a Darwin notification, until the notification arrives.
//
//   The answer file by itself: written as SpringBoard writes it, read back.

#include "sim/apps/host/Application.h"
#include "sim/apps/photos/Photos.h"
#include "sim/auth/LocalAuthentication.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/graphics/SamplePhoto.h"
#include "sim/ipc/MessagingCenter.h"
#include "sim/ipc/Notify.h"
#include "sim/photos/Import.h"
#include "sim/photos/kit/Internals.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/UIKit.h"
#include "tests/sim/ipc/TransportHarness.h"
#include "tweak/Tweak.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/photos/LockGate.h"
#include "tweak/springboard/AuthBroker.h"
#include "tweak/springboard/MessageServer.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <stdexcept>

using namespace rt::literals;
using fnd::Value;
using rt::Ref;

namespace {

constexpr auto kTimeout = std::chrono::seconds(10);

bool g_authorised = false;
void benchAuthorised(rt::Id, rt::Sel, int) { g_authorised = true; }
bool g_pong = false;
void pong(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) { g_pong = true; }
void bounce(rt::Id, rt::Sel, std::string, fnd::Dictionary) { notify_post("com.lumi.bench.pong"); }

fnd::Dictionary ui(fnd::Dictionary request) { return uikit::automation::handle(request); }
bool tap(const std::string& label) {
    return fnd::valueForKey(ui({{"command", Value("tap")}, {"label", Value(label)}}), "ok").boolValue();
}

// One device for the process: made on first use, as the benchmarks' library is.
struct GateDevice {
    dsp::RunLoop loop;
    std::unique_ptr<testsupport::TransportHarness> harness;
    testsupport::TestProcess springboard, photosApp;
    Ref<rt::Object> app, receiver;

    GateDevice() {
        char tmpl[] = "/tmp/lumi-bench-gate-XXXXXX";
        if (!::mkdtemp(tmpl)) throw std::runtime_error("mkdtemp");
        fnd::prepareDeviceRoot(tmpl);
        fnd::setDeviceRoot(tmpl);
        dsp::RunLoop::setMain(&loop);
        // One process plays both sides here; the files are written as the system.
        fnd::setProcessIdentity({"com.apple.mobileslideshow", false, ""});
        harness = testsupport::makeSocketHarness(loop);
        springboard = harness->connect({1, std::string("com.apple.springboard"), false, true});
        photosApp = harness->connect({2, std::string("com.apple.mobileslideshow"), true, false});
        uikit::registerUIKit();
        auth::registerLocalAuthentication();
        auth::setCredentialsForTesting({true, "1234", true});
        photos::registerPhotoKit();
        photos::registerPhotosUI();
        makeLibrary();
        fnd::createDirectory(lc::kStateFolder, true);
        fnd::writePlistFile(lc::kdataPath, Value(fnd::Array{Value("Trips")}));

        rt::Class* sb = rt::defineClass("BenchGateSpringBoard");
        rt::addMethod<&lc::handleMessageNamedWithUserInfo>(sb, "handleMessageNamed:withUserInfo:"_sel, "v@:@@");
        rt::addMethod<&lc::authenticateWithUserInfo>(sb, "authenticate:withUserInfo:"_sel, "v@:@@");
        rt::addMethod<&bounce>(sb, "bounce:withUserInfo:"_sel, "v@:@@");
        auto springboardApp = rt::sendClass<Ref<rt::Object>>(sb, "new"_sel);
        ipc::Endpoint::setShared(springboard.endpoint);
        lc::startMessageServer(springboardApp);
        auto raw = ipc::MessagingCenter::centerNamed("com.lumi.bench.raw");
        raw->runServerOnCurrentThread();
        raw->registerForMessageName("ping", springboardApp, "bounce:withUserInfo:"_sel);
        loop.runUntil([&] { return springboard.endpoint->isServing(lc::kCenterName); }, kTimeout);

        ipc::Endpoint::setShared(photosApp.endpoint);
        rt::Class* appClass = apps::registerApplicationClasses("com.apple.mobileslideshow");
        photosapp::registerClasses();
        lc::startUp();
        app = rt::sendClass<Ref<rt::Object>>(appClass, "new"_sel);
        apps::setSharedApplication(app);
        rt::send(app, "applicationDidFinishLaunching:"_sel, app);
        loop.runFor(std::chrono::milliseconds(500));
        if (!tap("Albums") || !settleUntil([] { return tap("See All"); }))
            throw std::runtime_error("the album list did not show");
        loop.runFor(std::chrono::milliseconds(500));

        rt::Class* r = rt::defineClass("BenchGateReceiver");
        rt::addMethod<&lc::unlockAlbumWithAlbum<lc::GateHost::Gadget>>(r, "unlockAlbum:withAlbum:"_sel, "v@:i@");
        rt::addMethod<&benchAuthorised>(r, "unlockAuthorised:"_sel, "v@:i");
        receiver = rt::sendClass<Ref<rt::Object>>(r, "new"_sel);
        CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, &pong,
                                        "com.lumi.bench.pong", nullptr,
                                        CFNotificationSuspensionBehaviorDeliverImmediately);
        loop.runFor(std::chrono::milliseconds(100));
    }

    void makeLibrary() {
        photos::PhotoStore* store = photos::Library::shared().store();
        std::vector<int64_t> ids;
        for (int i = 1; i <= 4; ++i) {
            std::string path = "/bench-" + std::to_string(i) + ".png";
            gfx::makeSamplePhoto({i, "", "", 80, 60}).writePng(path);
            std::string bytes = fnd::readFile(path).value_or("");
            photos::AssetRecord attrs;
            attrs.creationDate = 1000.0 * i;
            store->transaction([&](photos::Writer& w) {
                auto a = photos::importImage(w, bytes, "s.png", attrs);
                if (a) ids.push_back(a->id);
                return a.has_value();
            });
        }
        store->addMembers(store->createAlbum("Trips", std::nullopt)->id, {ids[0], ids[1]});
        store->addMembers(store->createAlbum("Rome", std::nullopt)->id, {ids[2], ids[3]});
    }

    bool settleUntil(const std::function<bool()>& done) { return loop.runUntil(done, kTimeout); }
    Ref<rt::Object> top() {
        auto tabs = rt::send<Ref<rt::Object>>(app, "_tabbedLibraryViewController"_sel);
        auto nav = rt::send<Ref<rt::Object>>(tabs, "selectedNavigationController"_sel);
        return rt::send<Ref<rt::Object>>(nav, "topViewController"_sel);
    }
    bool albumOnTop(const std::string& title) {
        Ref<rt::Object> t = top();
        return rt::className(t.get()) == "PUPhotosAlbumViewController" &&
               rt::send<std::string>(t, "title"_sel) == title;
    }
    void backToList() {
        auto tabs = rt::send<Ref<rt::Object>>(app, "_tabbedLibraryViewController"_sel);
        auto nav = rt::send<Ref<rt::Object>>(tabs, "selectedNavigationController"_sel);
        rt::send<Ref<rt::Object>>(nav, "popViewControllerAnimated:"_sel, false);
        loop.runFor(std::chrono::milliseconds(200));
    }
};

GateDevice& device() {
    static GateDevice* d = new GateDevice; // kept: its threads outlive the benchmarks' statics
    return *d;
}

void tapUntilShown(benchmark::State& state, const std::string& title) {
    GateDevice& d = device();
    lc::passOption = 2;
    for (auto _ : state) {
        if (!tap(title) || !d.settleUntil([&] { return d.albumOnTop(title); })) {
            state.SkipWithError("the album did not open");
            break;
        }
        state.PauseTiming();
        d.backToList();
        state.ResumeTiming();
    }
}

void BM_TapLockedAlbumPassOption2(benchmark::State& state) { tapUntilShown(state, "Trips"); }
BENCHMARK(BM_TapLockedAlbumPassOption2)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_TapUnlockedAlbum(benchmark::State& state) { tapUntilShown(state, "Rome"); }
BENCHMARK(BM_TapUnlockedAlbum)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_OwnerRoundTrip(benchmark::State& state) {
    GateDevice& d = device();
    lc::passOption = 0;
    auto promptShows = [] {
        return fnd::valueForKey(ui({{"command", Value("find")}, {"text", Value("Trips needs to be unlocked.")}}), "ok")
            .boolValue();
    };
    for (auto _ : state) {
        g_authorised = false;
        rt::send(d.receiver, "unlockAlbum:withAlbum:"_sel, 0, std::string("Trips"));
        bool ok =
            d.settleUntil(promptShows) &&
            fnd::valueForKey(ui({{"command", Value("touch-id")}, {"finger", Value("enrolled")}}), "ok").boolValue() &&
            d.settleUntil([] { return g_authorised; });
        if (!ok) {
            state.SkipWithError("no answer");
            break;
        }
    }
    lc::passOption = 2;
}
BENCHMARK(BM_OwnerRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_RawMessageAndNotification(benchmark::State& state) {
    GateDevice& d = device();
    auto raw = ipc::MessagingCenter::centerNamed("com.lumi.bench.raw");
    ipc::rocketbootstrap_distributedmessagingcenter_apply(raw.get());
    for (auto _ : state) {
        g_pong = false;
        raw->sendMessageName("ping", {{"id", Value("com.apple.mobileslideshow")}});
        if (!d.settleUntil([] { return g_pong; })) {
            state.SkipWithError("no notification");
            break;
        }
    }
}
BENCHMARK(BM_RawMessageAndNotification)->Unit(benchmark::kMicrosecond)->UseRealTime();

// What the answer's file costs by itself: SpringBoard's write (atomic,
// through no link, not synced) and the Photos app's read.
void BM_AnswerFileWriteAndRead(benchmark::State& state) {
    device();
    fnd::Dictionary answer{{"id", Value("com.apple.springboard")},
                           {"type", Value("SpringBoard")},
                           {"method", Value(0)},
                           {"albumName", Value("Trips")},
                           {"controller", Value("PUAlbumListViewController")},
                           {"token", Value(std::string(32, 'a'))},
                           {"success", Value(true)}};
    for (auto _ : state) {
        lc::writeAuthenticationResult(answer);
        benchmark::DoNotOptimize(lc::readAuthenticationResult());
    }
}
BENCHMARK(BM_AnswerFileWriteAndRead)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
