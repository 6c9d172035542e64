#pragma once
// The stock Camera app in this process with lumicrate12 started in it, and
// SpringBoard's message server on the same in-process device, so that the
// picker's album.tct goes through SpringBoard as on the phone. Time is the
// test's: the main loop runs on a manual clock.

#include "sim/apps/camera/Camera.h"
#include "sim/apps/host/Application.h"
#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "sim/graphics/SamplePhoto.h"
#include "sim/ipc/InProcessDevice.h"
#include "sim/photos/kit/Classes.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIGestureRecognizer.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UILabel.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIViewController.h"
#include "tests/sim/apps/CameraProcess.h"
#include "tests/support/TempDeviceRoot.h"
#include "tweak/Tweak.h"
#include "tweak/camera/AlbumPicker.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/springboard/MessageServer.h"

#include <gtest/gtest.h>

namespace camtest {

using fnd::Value;
using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

inline const fnd::ProcessIdentity kCameraIdentity{"com.apple.camera", true,
                                                  "/var/mobile/Containers/Data/Application/com.apple.camera"};

struct CameraWithTweak : ::testing::Test {
    testsupport::TempDeviceRoot root;
    std::shared_ptr<dsp::ManualClock> clock = std::make_shared<dsp::ManualClock>();
    dsp::RunLoop loop{clock};
    dsp::RunLoop springboardLoop{clock}; // SpringBoard's main loop: it runs only in deliver()
    ipc::InProcessDevice device;
    ipc::InProcessDevice::Process springboard, camera;
    Ref<rt::Object> springboardApp, bar;

    void SetUp() override {
        dsp::RunLoop::setMain(&loop);
        fnd::createDirectory(lc::kStateFolder, true);
        springboard = device.connect({101, std::string("com.apple.springboard"), false, true}, &springboardLoop);
        camera = device.connect({102, std::string("com.apple.camera"), true, false}, &loop);
        rt::Class* cls = rt::defineClass("PickerTestSpringBoard");
        rt::addMethod<&lc::handleMessageNamedWithUserInfo>(cls, "handleMessageNamed:withUserInfo:"_sel, "v@:@@");
        springboardApp = rt::sendClass<Ref<rt::Object>>(cls, "new"_sel);
        ipc::Endpoint::setShared(springboard.endpoint.get());
        lc::startMessageServer(springboardApp);
        springboardLoop.runUntilIdle();
        ipc::Endpoint::setShared(camera.endpoint.get());
        fnd::setProcessIdentity(kCameraIdentity);
    }
    void TearDown() override {
        photos::Library::shared().waitUntilIdle();
        ipc::Endpoint::setShared(nullptr);
        dsp::RunLoop::setMain(nullptr);
    }

    // Files the settings pane and SpringBoard write, written as they would.
    void writeAsSystem(const char* path, Value v) {
        fnd::setProcessIdentity({"com.apple.springboard", false, ""});
        ASSERT_TRUE(fnd::writePlistFile(path, std::move(v)));
        fnd::setProcessIdentity(kCameraIdentity);
    }
    void prefs(fnd::Dictionary d) { writeAsSystem(lc::kPreferencePath, Value(std::move(d))); }

    // The app's classes, lumicrate12's start-up (as the device injects it),
    // then the launch.
    void launch(const std::string& model = "iphone8") {
        rt::Class* appClass = apptest::registerCameraProcess(model);
        lc::startUp();
        auto app = rt::sendClass<Ref<rt::Object>>(appClass, "new"_sel);
        rt::send(app, "applicationDidFinishLaunching:"_sel, app);
        settle();
        auto viewfinder = rt::send<Ref<rt::Object>>(uikit::keyWindow(), "rootViewController"_sel);
        for (const auto& v : rt::send<Objects>(rt::send<Ref<rt::Object>>(viewfinder, "view"_sel), "subviews"_sel))
            if (rt::className(v.get()) == "CAMBottomBar") bar = v;
        ASSERT_TRUE(bar);
    }

    // Runs the main loop and the library's queue until neither has work left.
    void settle() {
        for (int i = 0; i < 4; ++i) {
            photos::Library::shared().waitUntilIdle();
            loop.runUntilIdle();
        }
    }
    // Time passes on the main loop (timers fire), the library keeping up.
    void wait(double seconds) {
        loop.runFor(dsp::seconds(seconds));
        settle();
    }
    // SpringBoard's main loop handles what the camera sent, as SpringBoard.
    void deliver() {
        settle();
        fnd::setProcessIdentity({"com.apple.springboard", false, ""});
        springboardLoop.runUntilIdle();
        fnd::setProcessIdentity(kCameraIdentity);
    }

    Ref<rt::Object> part(const char* name) { return rt::send<Ref<rt::Object>>(bar, rt::sel(name)); }
    Ref<rt::Object> background() { return part("backgroundView"); }
    Ref<rt::Object> tagged(long tag) {
        auto v = rt::send<Ref<rt::Object>>(background(), "viewWithTag:"_sel, tag);
        return v && v != background() ? v : nullptr;
    }
    std::string captionText() {
        auto caption = tagged(lc::kLabelTag);
        return caption ? rt::send<std::string>(caption, "text"_sel) : "(no caption)";
    }
    gfx::CGRect frameOf(const Ref<rt::Object>& v) { return rt::send<gfx::CGRect>(v, "frame"_sel); }

    // A person's tap at the centre of a view.
    void tap(const Ref<rt::Object>& view) {
        gfx::CGRect bounds = rt::send<gfx::CGRect>(view, "bounds"_sel);
        gfx::CGPoint c =
            rt::send<gfx::CGPoint>(view, "convertPoint:toView:"_sel,
                                   gfx::CGPoint{bounds.size.width / 2, bounds.size.height / 2}, Ref<rt::Object>());
        uikit::touchDown(uikit::keyWindow(), c);
        uikit::touchUp(c);
        settle();
    }
    void pressShutter() { tap(part("shutterButton")); }
    Ref<rt::Object> presented() {
        auto root = rt::send<Ref<rt::Object>>(uikit::keyWindow(), "rootViewController"_sel);
        return rt::send<Ref<rt::Object>>(root, "presentedViewController"_sel);
    }
    // Taps the album button and presses one of the chooser's buttons.
    void choose(const std::string& title) {
        tap(tagged(lc::kAlbumTag));
        ASSERT_TRUE(uikit::isAlert(presented().get()));
        ASSERT_TRUE(uikit::pressAlertButton(presented().get(), title)) << title;
        closeAlert();
    }
    // A pressed alert runs its handler once it has closed (animated).
    void closeAlert() { wait(1); }
    std::optional<fnd::Array> albumTct() { return fnd::readArrayFile(lc::kAlbumTctPath); }

    // ---- the library ---------------------------------------------------------------------------
    Ref<rt::Object> fetchOptions(bool includeHidden) {
        auto o = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHFetchOptions"), "new"_sel);
        rt::send(o, "setIncludeHiddenAssets:"_sel, includeHidden);
        return o;
    }
    // What the library holds, read from the store: the app's own queries
    // pass through lumicrate12's filter, which may leave albums out.
    Objects albums() {
        Objects out;
        for (const auto& a : photos::Library::shared().store()->albums())
            out.push_back(photos::kit::makeAlbum(a));
        return out;
    }
    Ref<rt::Object> addAlbum(const std::string& title) {
        auto id = std::make_shared<std::string>();
        auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
        rt::send(library, "performChanges:completionHandler:"_sel, rt::Block<void()>([title, id] {
                     auto r = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                                             "creationRequestForAssetCollectionWithTitle:"_sel, title);
                     *id =
                         rt::send<std::string>(rt::send<Ref<rt::Object>>(r, "placeholderForCreatedAssetCollection"_sel),
                                               "localIdentifier"_sel);
                 }),
                 rt::Block<void(bool, Ref<rt::Object>)>());
        settle();
        auto found = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                                    "fetchAssetCollectionsWithLocalIdentifiers:options:"_sel,
                                                    std::vector<std::string>{*id}, Ref<rt::Object>());
        return rt::send<Ref<rt::Object>>(found, "firstObject"_sel);
    }
    // The local identifiers of an album's assets (hidden ones too), in album
    // order, from the store.
    std::vector<std::string> idsIn(const Ref<rt::Object>& album) {
        std::vector<std::string> out;
        const photos::CollectionObject* c = photos::collectionOf(album.get());
        if (!c) return out;
        for (const auto& a : photos::Library::shared().store()->assetsInAlbum(c->key, true))
            out.push_back(a.uuid + photos::kit::kAssetIdSuffix);
        return out;
    }
    // Every image, oldest first, hidden ones too.
    Objects allImages() {
        auto o = fetchOptions(true);
        auto byDate =
            rt::sendClass<Ref<rt::Object>>(rt::getClass("NSSortDescriptor"), "sortDescriptorWithKey:ascending:"_sel,
                                           std::string("creationDate"), true);
        rt::send(o, "setSortDescriptors:"_sel, Objects{byDate});
        return rt::send<Objects>(
            rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsWithMediaType:options:"_sel, 1L, o),
            "fetchedObjects"_sel);
    }
    // A photo saved from outside the camera, hidden or not, taken at `date`
    // (seconds since the reference date); the new asset.
    Ref<rt::Object> addPhoto(double date, bool hide = false, int width = 400, int height = 300) {
        static int n = 0;
        std::string path = "/var/mobile/Media/incoming-" + std::to_string(++n) + ".jpg";
        fnd::setProcessIdentity({"com.apple.springboard", false, ""});
        fnd::createDirectory("/var/mobile/Media", true);
        EXPECT_TRUE(gfx::makeSamplePhoto({n, "Sample", "", width, height}).writeJpeg(path));
        fnd::setProcessIdentity(kCameraIdentity);
        auto id = std::make_shared<std::string>();
        auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
        rt::send(library, "performChanges:completionHandler:"_sel, rt::Block<void()>([path, id, date, hide] {
                     auto r = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetChangeRequest"),
                                                             "creationRequestForAssetFromImageAtFileURL:"_sel, path);
                     rt::send(r, "setCreationDate:"_sel, fnd::Date{date});
                     rt::send(r, "setHidden:"_sel, hide);
                     *id = rt::send<std::string>(rt::send<Ref<rt::Object>>(r, "placeholderForCreatedAsset"_sel),
                                                 "localIdentifier"_sel);
                 }),
                 rt::Block<void(bool, Ref<rt::Object>)>());
        settle();
        for (const auto& a : allImages())
            if (idOf(a) == *id) return a;
        ADD_FAILURE() << "the photo was not added";
        return nullptr;
    }
    std::string idOf(const Ref<rt::Object>& asset) { return rt::send<std::string>(asset, "localIdentifier"_sel); }
    bool hidden(const Ref<rt::Object>& asset) {
        // A fresh fetch: the asset object holds the state it was fetched with.
        for (const auto& a : allImages())
            if (idOf(a) == idOf(asset)) return rt::send<bool>(a, "isHidden"_sel);
        ADD_FAILURE() << "no asset " << idOf(asset);
        return false;
    }
};

} // namespace camtest
