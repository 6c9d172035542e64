#pragma once
// The stock Photos app in this process with lumicrate12 started in it, and
// SpringBoard's message server (with the authentication broker) on the same
// in-process device, so that the gate's request and answer travel as on the
// phone: a message to SpringBoard, authenticate.plist, a Darwin
// notification. Time is the test's: the main loop runs on a manual clock;
// SpringBoard's loop runs only in deliver().

#include "sim/apps/host/Application.h"
#include "sim/apps/photos/Photos.h"
#include "sim/auth/LocalAuthentication.h"
#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/NSIndexPath.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "sim/graphics/SamplePhoto.h"
#include "sim/ipc/InProcessDevice.h"
#include "sim/photos/Import.h"
#include "sim/photos/kit/Internals.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIViewController.h"
#include "tests/support/TempDeviceRoot.h"
#include "tweak/Tweak.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/library/Overlay.h"
#include "tweak/photos/PhotosState.h"
#include "tweak/springboard/AuthBroker.h"
#include "tweak/springboard/MessageServer.h"

#include <gtest/gtest.h>

namespace photostest {

using fnd::Value;
using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

inline const fnd::ProcessIdentity kPhotosIdentity{"com.apple.mobileslideshow", true,
                                                  "/var/mobile/Containers/Data/Application/com.apple.mobileslideshow"};
inline const fnd::ProcessIdentity kSpringBoardIdentity{"com.apple.springboard", false, ""};

struct PhotosWithTweak : ::testing::Test {
    testsupport::TempDeviceRoot root;
    std::shared_ptr<dsp::ManualClock> clock = std::make_shared<dsp::ManualClock>();
    dsp::RunLoop loop{clock};
    dsp::RunLoop springboardLoop{clock};
    ipc::InProcessDevice device;
    ipc::InProcessDevice::Process springboard, photosProcess;
    photos::PhotoStore* store = nullptr;
    Ref<rt::Object> springboardApp, app;

    void SetUp() override {
        dsp::RunLoop::setMain(&loop);
        fnd::createDirectory(lc::kStateFolder, true);
        springboard = device.connect({101, std::string("com.apple.springboard"), false, true}, &springboardLoop);
        photosProcess = device.connect({103, std::string("com.apple.mobileslideshow"), true, false}, &loop);
        uikit::registerUIKit();
        auth::registerLocalAuthentication();
        rt::Class* sb = rt::defineClass("GateTestSpringBoard");
        rt::addMethod<&lc::handleMessageNamedWithUserInfo>(sb, "handleMessageNamed:withUserInfo:"_sel, "v@:@@");
        rt::addMethod<&lc::authenticateWithUserInfo>(sb, "authenticate:withUserInfo:"_sel, "v@:@@");
        springboardApp = rt::sendClass<Ref<rt::Object>>(sb, "new"_sel);
        asSpringBoard([&] {
            lc::startMessageServer(springboardApp);
            springboardLoop.runUntilIdle();
        });
        photos::registerPhotoKit();
        photos::registerPhotosUI();
        store = photos::Library::shared().store();
        ASSERT_NE(store, nullptr);
    }
    void TearDown() override {
        photos::Library::shared().waitUntilIdle();
        apps::setSharedApplication(nullptr);
        ipc::Endpoint::setShared(nullptr);
        dsp::RunLoop::setMain(nullptr);
    }

    // Runs `f` as SpringBoard: its identity and its connection.
    template <class F> void asSpringBoard(F&& f) {
        ipc::Endpoint::setShared(springboard.endpoint.get());
        fnd::setProcessIdentity(kSpringBoardIdentity);
        f();
        ipc::Endpoint::setShared(photosProcess.endpoint.get());
        fnd::setProcessIdentity(kPhotosIdentity);
    }
    // Files the settings pane and SpringBoard write.
    void writeAsSystem(const char* path, Value v) {
        asSpringBoard([&] { ASSERT_TRUE(fnd::writePlistFile(path, std::move(v))); });
    }
    void prefs(fnd::Dictionary d) { writeAsSystem(lc::kPreferencePath, Value(std::move(d))); }
    void lock(std::vector<std::string> titles) {
        fnd::Array a;
        for (auto& t : titles)
            a.push_back(Value(t));
        writeAsSystem(lc::kdataPath, Value(a));
    }
    void setPassword(const std::string& p) {
        asSpringBoard([&] { ASSERT_TRUE(fnd::writeFileAtomically(lc::kSettingsTctPath, p)); });
    }

    photos::AssetRecord addPhoto(int index, int64_t traits = 0) {
        std::string path = "/sample-" + std::to_string(index) + ".png";
        std::string bytes;
        asSpringBoard([&] {
            gfx::makeSamplePhoto({index, "", "", 80, 60}).writePng(path);
            bytes = fnd::readFile(path).value_or("");
        });
        photos::AssetRecord attrs;
        attrs.creationDate = 1000.0 * index;
        attrs.traits = traits;
        std::optional<photos::AssetRecord> a;
        store->transaction(
            [&](photos::Writer& w) { return (a = photos::importImage(w, bytes, "s.png", attrs)).has_value(); });
        return a.value_or(photos::AssetRecord{});
    }
    void addAlbum(const std::string& title, const std::vector<photos::AssetRecord>& assets) {
        auto album = store->createAlbum(title, std::nullopt);
        std::vector<int64_t> ids;
        for (const auto& a : assets)
            ids.push_back(a.id);
        store->addMembers(album->id, ids);
    }

    // The app's classes, lumicrate12's start-up (as the device injects it), the launch.
    void launch() {
        fnd::setProcessIdentity(kPhotosIdentity);
        ipc::Endpoint::setShared(photosProcess.endpoint.get());
        rt::Class* appClass = apps::registerApplicationClasses("com.apple.mobileslideshow");
        photosapp::registerClasses();
        lc::startUp();
        app = rt::sendClass<Ref<rt::Object>>(appClass, "new"_sel);
        apps::setSharedApplication(app);
        rt::send(app, "applicationDidFinishLaunching:"_sel, app);
        settle();
        deliver(); // the list's writes of lockedAlbums.plist
    }
    // The main loop, the library's queue and the animation clock until all is still.
    void settle() {
        for (int i = 0; i < 4; ++i) {
            photos::Library::shared().waitUntilIdle();
            loop.runFor(dsp::seconds(0.5));
        }
        photos::Library::shared().waitUntilIdle();
        loop.runUntilIdle();
    }
    // SpringBoard handles what the app sent; the app then hears the answer.
    void deliver() {
        photos::Library::shared().waitUntilIdle();
        loop.runUntilIdle();
        asSpringBoard([&] { springboardLoop.runUntilIdle(); });
        settle();
    }

    fnd::Dictionary ui(fnd::Dictionary request, bool andSettle = true) {
        auto answer = uikit::automation::handle(request);
        if (andSettle) settle();
        return answer;
    }
    bool ok(const fnd::Dictionary& answer) { return fnd::valueForKey(answer, "ok").boolValue(); }
    bool tap(const std::string& label) {
        auto answer = ui({{"command", Value("tap")}, {"label", Value(label)}});
        if (getenv("LUMI_DEBUG_TAPS") && !ok(answer))
            std::cerr << "tap " << label << ": " << *fnd::valueForKey(answer, "error").string() << "\n";
        return ok(answer);
    }
    // Presses an alert's button; with `andSettle` false, only the alert's
    // closing passes (so a brief notice that follows is still on screen).
    bool press(const std::string& button, bool andSettle = true) {
        auto answer = ui({{"command", Value("alert")}, {"button", Value(button)}}, false);
        bool pressed = ok(answer);
        if (getenv("LUMI_DEBUG_TAPS") && !pressed)
            std::cerr << "press " << button << ": " << *fnd::valueForKey(answer, "error").string() << "\n";
        if (andSettle)
            settle();
        else
            loop.runFor(dsp::seconds(1.0));
        return pressed;
    }
    bool type(const std::string& text) {
        return ok(ui({{"command", Value("type")}, {"index", Value(0)}, {"text", Value(text)}}, false));
    }
    // Whether the brief notice on screen says `text`.
    bool shows(const std::string& text) {
        auto root = rt::send<Ref<rt::Object>>(uikit::keyWindow(), "rootViewController"_sel);
        auto overlay =
            rt::send<Ref<rt::Object>>(rt::send<Ref<rt::Object>>(root, "view"_sel), "viewWithTag:"_sel, lc::kOverlayTag);
        if (!overlay) return false;
        for (const auto& v : rt::send<Objects>(overlay, "subviews"_sel))
            if (rt::send<std::string>(v, "text"_sel) == text) return true;
        return false;
    }
    Ref<rt::Object> tabs() { return rt::send<Ref<rt::Object>>(app, "_tabbedLibraryViewController"_sel); }
    Ref<rt::Object> top() {
        auto nav = rt::send<Ref<rt::Object>>(tabs(), "selectedNavigationController"_sel);
        return rt::send<Ref<rt::Object>>(nav, "topViewController"_sel);
    }
    std::string topTitle() { return rt::send<std::string>(top(), "title"_sel); }
    Ref<rt::Object> presented() {
        Ref<rt::Object> c = tabs(), front;
        while ((c = rt::send<Ref<rt::Object>>(c, "presentedViewController"_sel)))
            front = c;
        return front;
    }
    std::string presentedTitle() {
        auto p = presented();
        return p && uikit::isAlert(p.get()) ? rt::send<std::string>(p, "title"_sel) : std::string("(none)");
    }
    // The Albums tab (with only that tab left its bar is hidden, and it is
    // what the app shows), then its full list.
    bool openAlbumsTab() { return onlyAlbumsTabLeft() || tap("Albums"); }
    bool onlyAlbumsTabLeft() {
        auto controllers = rt::send<std::vector<Ref<rt::Object>>>(tabs(), "viewControllers"_sel);
        return controllers.size() == 1 && rt::send<std::string>(controllers[0], "title"_sel) == "Albums";
    }
    bool openList() { return openAlbumsTab() && tap("See All"); }
    bool back() {
        auto nav = rt::send<Ref<rt::Object>>(tabs(), "selectedNavigationController"_sel);
        rt::send<Ref<rt::Object>>(nav, "popViewControllerAnimated:"_sel, false);
        settle();
        return true;
    }

    // ---- the library, as the store holds it -------------------------------------------------------
    std::vector<std::string> albumTitlesOf(int64_t asset) {
        std::vector<std::string> titles;
        for (const auto& album : store->albumsContaining(asset))
            titles.push_back(album.title);
        return titles;
    }
    std::vector<photos::AssetRecord> everyAsset() {
        photos::AssetQuery all;
        all.includeHidden = true;
        return store->assets(all);
    }
    bool hidden(int64_t asset) {
        auto found = store->assetsWithIds({asset});
        return !found.empty() && found.front().hidden;
    }
    std::size_t membersOf(const std::string& title) {
        auto albums = store->albumsWithTitle(title);
        return albums.empty() ? 0 : store->assetsInAlbum(albums.front().id, true).size();
    }
    // The rule the product keeps: a hidden photo is in some user album.
    std::vector<int64_t> stranded() {
        std::vector<int64_t> out;
        for (const auto& a : everyAsset())
            if (a.hidden && albumTitlesOf(a.id).empty()) out.push_back(a.id);
        return out;
    }
};

} // namespace photostest
