#pragma once
// The stock Photos app in a test process: a fresh device with photos and
// albums, the app launched on a manual clock, and what a person does
// (taps by accessibility label, alert buttons) through automation.

#include "sim/apps/host/Application.h"
#include "sim/apps/photos/Photos.h"
#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/Files.h"
#include "sim/graphics/SamplePhoto.h"
#include "sim/photos/Import.h"
#include "sim/photos/kit/Internals.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIViewController.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

namespace photostest {

using rt::Ref;
using Objects = std::vector<Ref<rt::Object>>;
using namespace rt::literals;

struct PhotosApp : ::testing::Test {
    testsupport::TempDeviceRoot root;
    std::shared_ptr<dsp::ManualClock> clock = std::make_shared<dsp::ManualClock>();
    dsp::RunLoop loop{clock};
    photos::PhotoStore* store = nullptr;
    Ref<rt::Object> app;

    void SetUp() override {
        dsp::RunLoop::setMain(&loop);
        uikit::registerUIKit();
        photos::registerPhotoKit();
        photos::registerPhotosUI();
        store = photos::Library::shared().store();
        ASSERT_NE(store, nullptr);
        rt::Class* appClass = apps::registerApplicationClasses("com.apple.mobileslideshow");
        photosapp::registerClasses();
        app = rt::sendClass<Ref<rt::Object>>(appClass, "new"_sel);
    }
    void TearDown() override {
        photos::Library::shared().waitUntilIdle();
        dsp::RunLoop::setMain(nullptr);
    }

    photos::AssetRecord addPhoto(int index, photos::AssetRecord attrs = {}) {
        std::string path = "/sample-" + std::to_string(index) + ".png";
        gfx::makeSamplePhoto({index, "", "", 80, 60}).writePng(path);
        std::string bytes = *fnd::readFile(path);
        attrs.creationDate = 1000.0 * index;
        std::optional<photos::AssetRecord> a;
        store->transaction(
            [&](photos::Writer& w) { return (a = photos::importImage(w, bytes, "s.png", attrs)).has_value(); });
        return a.value_or(photos::AssetRecord{});
    }
    photos::AlbumRecord addAlbum(const std::string& title, const std::vector<photos::AssetRecord>& assets) {
        auto album = store->createAlbum(title, std::nullopt);
        std::vector<int64_t> ids;
        for (const auto& a : assets)
            ids.push_back(a.id);
        store->addMembers(album->id, ids);
        return *album;
    }

    void launch() {
        rt::send(app, "applicationDidFinishLaunching:"_sel, app);
        settle();
    }
    // The main loop, the library's queue and the animation clock until all is still.
    void settle() {
        for (int i = 0; i < 4; ++i) {
            photos::Library::shared().waitUntilIdle();
            loop.runFor(dsp::seconds(0.5));
        }
    }
    Ref<rt::Object> tabs() { return rt::send<Ref<rt::Object>>(app, "_tabbedLibraryViewController"_sel); }
    fnd::Dictionary ui(fnd::Dictionary request) {
        auto answer = uikit::automation::handle(request);
        settle();
        return answer;
    }
    bool tap(const std::string& label) {
        return fnd::valueForKey(ui({{"command", fnd::Value("tap")}, {"label", fnd::Value(label)}}), "ok").boolValue();
    }
    // From the library: the Albums tab, the album, "Select" and one photo chosen.
    bool chooseIn(const std::string& album, const std::string& photo) {
        return tap("Albums") && tap(album) && tap("Select") && tap(photo);
    }
    // Scrolls the page up, as a finger does, until the element shows.
    bool scrollTo(const std::string& label) {
        for (int i = 0; i < 12; ++i) {
            auto found = ui({{"command", fnd::Value("find")}, {"label", fnd::Value(label)}});
            if (fnd::valueForKey(found, "hittable").boolValue()) return true;
            ui({{"command", fnd::Value("drag")},
                {"x", fnd::Value(200.0)},
                {"y", fnd::Value(500.0)},
                {"toX", fnd::Value(200.0)},
                {"toY", fnd::Value(250.0)}});
        }
        return false;
    }
    bool press(const std::string& button) {
        return fnd::valueForKey(ui({{"command", fnd::Value("alert")}, {"button", fnd::Value(button)}}), "ok")
            .boolValue();
    }
    Ref<rt::Object> top() {
        auto nav = rt::send<Ref<rt::Object>>(tabs(), "selectedNavigationController"_sel);
        return rt::send<Ref<rt::Object>>(nav, "topViewController"_sel);
    }
    // The controller presented over the library, front last.
    Ref<rt::Object> presented() {
        Ref<rt::Object> c = tabs(), front;
        while ((c = rt::send<Ref<rt::Object>>(c, "presentedViewController"_sel)))
            front = c;
        return front;
    }
    unsigned long albumCount(const std::string& title, bool includeHidden = true) {
        auto options = photos::makeFetchOptions(includeHidden);
        auto found = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                                    "fetchAssetCollectionsWithType:subtype:options:"_sel, 1L, 2L,
                                                    Ref<rt::Object>());
        for (const auto& c : rt::send<Objects>(found, "fetchedObjects"_sel))
            if (rt::send<std::string>(c, "localizedTitle"_sel) == title)
                return rt::send<unsigned long>(
                    rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsInAssetCollection:options:"_sel,
                                                   c, options),
                    "count"_sel);
        return 0;
    }
};

} // namespace photostest
