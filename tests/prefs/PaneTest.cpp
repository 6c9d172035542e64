// The settings pane in the Settings app: its pages as a person opens them,
// values read and written through the preference file (absent, garbage, or
// unwritable), the album switches, the password, and the banner.

#include "sim/apps/host/Application.h"
#include "sim/apps/settings/Settings.h"
#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "sim/ipc/InProcessDevice.h"
#include "sim/ipc/Notify.h"
#include "sim/photos/PhotoStore.h"
#include "sim/photos/kit/Internals.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/preferences/Preferences.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIViewController.h"
#include "tests/support/TempDeviceRoot.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

using fnd::Dictionary;
using fnd::Value;
using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;
namespace fs = std::filesystem;

namespace {

constexpr const char* kBundle = "/Library/PreferenceBundles/lumicrate12prefs.bundle";
constexpr const char* kPrefs = "/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist";
constexpr const char* kPassword = "/var/mobile/Library/lumicrate/settings.tct";

int g_reloads = 0;
void countReload(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) { ++g_reloads; }

struct Pane : ::testing::Test {
    testsupport::TempDeviceRoot root;
    std::shared_ptr<dsp::ManualClock> clock = std::make_shared<dsp::ManualClock>();
    dsp::RunLoop loop{clock};
    ipc::InProcessDevice device;
    ipc::InProcessDevice::Process settingsProcess;
    Ref<rt::Object> app;

    void SetUp() override {
        dsp::RunLoop::setMain(&loop);
        fnd::setProcessIdentity({"com.apple.Preferences", false, ""});
        settingsProcess = device.connect({104, std::string("com.apple.Preferences"), false, false}, &loop);
        ipc::Endpoint::setShared(settingsProcess.endpoint.get());
        uikit::registerUIKit();
        photos::registerPhotoKit();
        fnd::createDirectory("/var/mobile/Library/Preferences", true);
        fnd::createDirectory("/var/mobile/Library/lumicrate", true);
        installBundle(true);
    }
    void TearDown() override {
        apps::setSharedApplication(nullptr);
        ipc::Endpoint::setShared(nullptr);
        dsp::RunLoop::setMain(nullptr);
    }

    // The bundle as the package lays it out, and the loader's entry.
    void installBundle(bool withBanner) {
        fnd::createDirectory(kBundle, true);
        std::error_code ec;
        fs::path folder = fnd::hostPath(kBundle);
        fs::copy_file(LCPREFS_MODULE, folder / "lumicrate12prefs", fs::copy_options::overwrite_existing, ec);
        ASSERT_FALSE(ec) << ec.message();
        for (const char* list : {"Root", "appearance", "behaviour", "albums"}) {
            fs::copy_file(std::string(LCPREFS_RESOURCES) + "/" + list + ".plist",
                          folder / (std::string(list) + ".plist"), fs::copy_options::overwrite_existing, ec);
        }
        if (withBanner) {
            ASSERT_EQ(std::system((std::string(LCPREFS_BANNER_TOOL) + " " + folder.string()).c_str()), 0);
        }
        fnd::createDirectory("/Library/PreferenceLoader/Preferences", true);
        fs::copy_file(std::string(LCPREFS_RESOURCES) + "/lumicrate12prefs-entry.plist",
                      fnd::hostPath("/Library/PreferenceLoader/Preferences/lumicrate12prefs.plist"),
                      fs::copy_options::overwrite_existing, ec);
    }
    void launch() {
        rt::Class* appClass = apps::registerApplicationClasses("com.apple.Preferences");
        settings::registerClasses();
        app = rt::sendClass<Ref<rt::Object>>(appClass, "new"_sel);
        apps::setSharedApplication(app);
        rt::send(app, "applicationDidFinishLaunching:"_sel, app);
        settle();
    }
    void settle() {
        for (int i = 0; i < 3; ++i)
            loop.runFor(dsp::seconds(0.5));
        loop.runUntilIdle();
    }
    Dictionary ui(Dictionary request) {
        auto answer = uikit::automation::handle(request);
        settle();
        return answer;
    }
    bool ok(const Dictionary& a) { return fnd::valueForKey(a, "ok").boolValue(); }
    bool tap(const std::string& label) { return ok(ui({{"command", Value("tap")}, {"label", Value(label)}})); }
    bool shows(const std::string& label) {
        return ok(uikit::automation::handle({{"command", Value("find")}, {"label", Value(label)}}));
    }
    bool press(const std::string& button) { return ok(ui({{"command", Value("alert")}, {"button", Value(button)}})); }
    Ref<rt::Object> nav() { return rt::send<Ref<rt::Object>>(app, "rootController"_sel); }
    Ref<rt::Object> top() { return rt::send<Ref<rt::Object>>(nav(), "topViewController"_sel); }
    Ref<rt::Object> presented() { return rt::send<Ref<rt::Object>>(nav(), "presentedViewController"_sel); }
    uikit::UISwitch switchNamed(const std::string& label) {
        for (const auto& cell : rt::send<Objects>(rt::send<Ref<rt::Object>>(top(), "table"_sel), "rows"_sel))
            if (rt::respondsTo(cell.get(), "control"_sel) &&
                rt::send<std::string>(cell, "accessibilityLabel"_sel) == label)
                return uikit::UISwitch(rt::send<Ref<rt::Object>>(cell, "control"_sel));
        return nullptr;
    }
    // A tap on the row's switch, as a person flips it.
    void flip(const std::string& label) { ASSERT_TRUE(tap(label + " switch")) << label; }
    Dictionary file() { return fnd::readDictionaryFile(kPrefs).value_or(Dictionary{}); }
    Objects specifiers() { return rt::send<Objects>(top(), "specifiers"_sel); }
    std::vector<std::string> switchTitles() {
        std::vector<std::string> out;
        for (const auto& s : specifiers())
            if (rt::send<Value>(s, "propertyForKey:"_sel, std::string("cellClass")) == Value("LCSwitchTableCell"))
                out.push_back(rt::send<std::string>(s, "name"_sel));
        return out;
    }
};

} // namespace

TEST_F(Pane, SettingsListsThePaneAndItsRootPageHasTheBannerAndRespring) {
    launch();
    ASSERT_TRUE(tap("lumicrate12"));
    ASSERT_TRUE(rt::isKindOf(top().get(), rt::getClass("LCRootListController")));
    auto header = rt::send<Ref<rt::Object>>(rt::send<Ref<rt::Object>>(top(), "table"_sel), "tableHeaderView"_sel);
    ASSERT_TRUE(header);
    EXPECT_EQ(rt::send<gfx::CGRect>(header, "frame"_sel).size.height, 125.0) << "750 x 250 at 375 points";
    EXPECT_EQ(rt::send<unsigned long>(header, "autoresizingMask"_sel), 2u);
    auto item =
        rt::send<Ref<rt::Object>>(rt::send<Ref<rt::Object>>(top(), "navigationItem"_sel), "rightBarButtonItem"_sel);
    EXPECT_EQ(rt::send<std::string>(item, "title"_sel), "Respring");
    auto tint = rt::send<Ref<rt::Object>>(uikit::keyWindow(), "tintColor"_sel);
    EXPECT_TRUE(tint) << "the accent while the pane shows";
    ASSERT_TRUE(tap("Appearance"));
    EXPECT_TRUE(rt::isKindOf(top().get(), rt::getClass("LCAppearanceListController")));
    rt::send<Ref<rt::Object>>(nav(), "popViewControllerAnimated:"_sel, false);
    rt::send<Ref<rt::Object>>(nav(), "popViewControllerAnimated:"_sel, false);
    settle();
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(uikit::keyWindow(), "tintColor"_sel)) << "reset when the root page goes";
}

TEST_F(Pane, WithoutItsBannerTheRootPageStillOpens) {
    fs::remove(fnd::hostPath(std::string(kBundle) + "/banner.png"));
    launch();
    ASSERT_TRUE(tap("lumicrate12"));
    auto header = rt::send<Ref<rt::Object>>(rt::send<Ref<rt::Object>>(top(), "table"_sel), "tableHeaderView"_sel);
    EXPECT_EQ(rt::send<gfx::CGRect>(header, "frame"_sel).size.height, 0.0);
    EXPECT_TRUE(shows("Appearance"));
}

// A switch writes the file and tells running processes; an absent key shows
// its default; a garbage file reads as the defaults and the first change
// writes a sound file.
TEST_F(Pane, ASwitchWritesTheFileAndTellsRunningAppsAGarbageFileShowsTheDefaults) {
    ASSERT_TRUE(fnd::writeFileAtomically(kPrefs, "\x01garbage, not a plist"));
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, &countReload,
                                    "com.zel.lumicrate12prefs/reloadPrefs", nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    g_reloads = 0;
    launch();
    ASSERT_TRUE(tap("lumicrate12"));
    ASSERT_TRUE(tap("Appearance"));
    uikit::UISwitch shared = switchNamed("Shared");
    ASSERT_TRUE(shared);
    EXPECT_TRUE(rt::send<bool>(shared, "isOn"_sel)) << "the default, on";
    EXPECT_FALSE(rt::send<bool>(switchNamed("Hidden"), "isOn"_sel)) << "the default, off";
    flip("Shared");
    EXPECT_EQ(file(), (Dictionary{{"showTabShared", Value(false)}})) << "a sound file, with the change";
    EXPECT_EQ(g_reloads, 1) << "running apps told at once";
}

TEST_F(Pane, AFailedWriteIsSaidAndTheSwitchShowsWhatTheFileHolds) {
    ASSERT_TRUE(fnd::writePlistFile(kPrefs, Value(Dictionary{{"showTabShared", Value(true)}})));
    launch();
    ASSERT_TRUE(tap("lumicrate12"));
    ASSERT_TRUE(tap("Appearance"));
    {
        // A full disk: no file may grow past 16 bytes while the switch flips.
        struct rlimit before {};
        ::getrlimit(RLIMIT_FSIZE, &before);
        struct rlimit full = before;
        full.rlim_cur = 16;
        ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &full);
        flip("Shared");
        ::setrlimit(RLIMIT_FSIZE, &before);
    }
    auto alert = presented();
    ASSERT_TRUE(alert && uikit::isAlert(alert.get()));
    EXPECT_EQ(rt::send<std::string>(alert, "title"_sel), "Setting Not Saved");
    EXPECT_TRUE(press("OK"));
    EXPECT_TRUE(rt::send<bool>(switchNamed("Shared"), "isOn"_sel)) << "what the file holds";
    EXPECT_EQ(file(), (Dictionary{{"showTabShared", Value(true)}}));
}

TEST_F(Pane, TheAlbumsPageHasOneSwitchPerTitleOnUntilSwitchedOff) {
    photos::PhotoStore* store = photos::Library::shared().store();
    ASSERT_TRUE(store);
    ASSERT_TRUE(store->createAlbum("Trips", std::nullopt));
    ASSERT_TRUE(store->createAlbum("Rome", std::nullopt));
    ASSERT_TRUE(store->createAlbum("Trips", std::nullopt));
    launch();
    ASSERT_TRUE(tap("lumicrate12"));
    ASSERT_TRUE(tap("Albums"));
    EXPECT_EQ(switchTitles(), (std::vector<std::string>{"Trips", "Rome"})) << "the first album of a title wins";
    for (const auto& s : specifiers()) {
        if (rt::send<std::string>(s, "name"_sel) != "Trips") continue;
        EXPECT_EQ(rt::send<Value>(s, "propertyForKey:"_sel, std::string("key")), Value("albumNameTrips"));
        EXPECT_EQ(rt::send<Value>(s, "propertyForKey:"_sel, std::string("default")), Value("1"));
        EXPECT_EQ(rt::send<Value>(s, "propertyForKey:"_sel, std::string("PostNotification")), Value());
    }
    EXPECT_TRUE(rt::send<bool>(switchNamed("Trips"), "isOn"_sel)) << "an absent key: on";
    flip("Trips");
    EXPECT_EQ(fnd::valueForKey(file(), "albumNameTrips"), Value(false));
}

TEST_F(Pane, ThePasswordIsWrittenAndAnEmptyOneLeavesTheOldInPlace) {
    ASSERT_TRUE(fnd::writeFileAtomically(kPassword, "old"));
    launch();
    ASSERT_TRUE(tap("lumicrate12"));
    ASSERT_TRUE(tap("Set Album Password"));
    ASSERT_TRUE(presented());
    EXPECT_EQ(rt::send<std::string>(presented(), "title"_sel), "Enter new password");
    EXPECT_TRUE(press("OK")) << "nothing typed";
    EXPECT_EQ(fnd::readFile(kPassword), std::optional<std::string>("old"));
    ASSERT_TRUE(tap("Set Album Password"));
    ASSERT_TRUE(ok(ui({{"command", Value("type")}, {"index", Value(0)}, {"text", Value("pw")}})));
    EXPECT_TRUE(press("OK"));
    EXPECT_EQ(fnd::readFile(kPassword), std::optional<std::string>("pw"));
}
