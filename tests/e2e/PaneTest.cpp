// The settings pane on a booted device, used as a person uses it: Settings
// lists lumicrate12 once the package is in; a tab switched off leaves the
// Photos app; a password set in the pane opens a locked album; an album
// switched off leaves the gallery; Respring restarts the user interface and
// every app comes back with the tweak; removing the package takes the pane
// away.

#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "tests/e2e/E2EDevice.h"

#include <gtest/gtest.h>

using e2e::Device;
using e2e::kPhotos;
using e2e::ok;
using fnd::Dictionary;
using fnd::Value;

namespace {

constexpr const char* kSettings = "com.apple.Preferences";
constexpr const char* kGallery = "com.example.gallery";
constexpr const char* kPrefs = "/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist";

struct PaneDevice {
    Device d{true, "iphone8", {"--passcode", "1234"}};
    bool shows(const char* app, const char* key, const std::string& v) { return d.shows(app, key, Value(v)); }
    bool tap(const char* app, const std::string& label) { return d.tapWhenShown(app, "label", Value(label)); }
    bool press(const char* app, const std::string& button) { return d.pressWhenShown(app, button); }
    bool type(const char* app, const std::string& text) {
        return ok(d.ui(app, {{"command", Value("type")}, {"index", Value(0)}, {"text", Value(text)}}));
    }
    Value setting(const std::string& key) {
        auto file = fnd::readDictionaryFile(kPrefs);
        return file ? fnd::valueForKey(*file, key) : Value();
    }
    void restart(const char* app) {
        if (d.pidOf(app)) {
            ASSERT_EQ(e2e::lumisim({"terminate", app, "--root", d.root()}).status, 0);
            ASSERT_TRUE(d.waitFor([&] { return !d.pidOf(app); }));
        }
        d.launch(app);
    }
    // The pane's root page, from Settings' first page.
    void openPane() {
        restart(kSettings);
        ASSERT_TRUE(tap(kSettings, "lumicrate12"));
        ASSERT_TRUE(d.waitFor([&] { return shows(kSettings, "label", "Appearance"); }));
    }
    void back() {
        ASSERT_TRUE(ok(d.ui(kSettings, {{"command", Value("tap")}, {"x", Value(40.0)}, {"y", Value(22.0)}})));
    }
};

} // namespace

TEST(PaneOnADevice, TabsPasswordAndAlbumSwitchesReachTheAppsAndRespringBringsThemBack) {
    PaneDevice t;
    std::vector<std::string> files = t.d.samplePhotos(3);
    ASSERT_EQ(e2e::lumisim({"addmedia", files[0], "--album", "Trips", "--root", t.d.root()}).status, 0);
    ASSERT_EQ(e2e::lumisim({"addmedia", files[1], "--album", "Rome", "--root", t.d.root()}).status, 0);
    ASSERT_EQ(e2e::lumisim({"addmedia", files[2], "--album", "Oslo", "--root", t.d.root()}).status, 0);

    // A tab switched off: the Photos app's next launch has no Shared tab.
    t.openPane();
    ASSERT_TRUE(t.tap(kSettings, "Appearance"));
    ASSERT_TRUE(t.tap(kSettings, "Shared switch"));
    ASSERT_TRUE(t.d.waitFor([&] { return t.setting("showTabShared") == Value(false); }));
    t.restart(kPhotos);
    ASSERT_TRUE(t.d.waitFor([&] { return t.shows(kPhotos, "text", "For You"); }));
    EXPECT_FALSE(t.shows(kPhotos, "text", "Shared")) << "the tab is gone";

    // The album password, chosen as the way to unlock, opens locked Trips.
    t.openPane();
    ASSERT_TRUE(t.tap(kSettings, "Set Album Password"));
    ASSERT_TRUE(t.d.waitFor([&] { return t.shows(kSettings, "text", "Enter new password"); }));
    ASSERT_TRUE(t.type(kSettings, "pw"));
    ASSERT_TRUE(t.press(kSettings, "OK"));
    ASSERT_TRUE(t.d.waitFor([&] { return fnd::readFile("/var/mobile/Library/lumicrate/settings.tct") == "pw"; }));
    ASSERT_TRUE(t.tap(kSettings, "Unlock With"));
    ASSERT_TRUE(t.tap(kSettings, "Album Password"));
    ASSERT_TRUE(t.d.waitFor([&] { return t.setting("passOption") == Value(1); }));
    ASSERT_TRUE(t.d.lockAlbums({"Trips"}));
    t.restart(kPhotos);
    ASSERT_TRUE(t.tap(kPhotos, "Albums"));
    ASSERT_TRUE(t.tap(kPhotos, "See All"));
    ASSERT_TRUE(t.tap(kPhotos, "Trips"));
    ASSERT_TRUE(t.d.waitFor([&] { return t.shows(kPhotos, "text", "Enter password to unlock album."); }));
    ASSERT_TRUE(t.type(kPhotos, "pw"));
    ASSERT_TRUE(t.press(kPhotos, "OK"));
    EXPECT_TRUE(t.d.waitFor([&] { return t.shows(kPhotos, "label", "Select"); })) << "Trips is open";

    // An album switched off leaves the gallery (hideFoldersInApps is on by default).
    t.openPane();
    ASSERT_TRUE(t.tap(kSettings, "Albums"));
    ASSERT_TRUE(t.tap(kSettings, "Rome switch"));
    ASSERT_TRUE(t.d.waitFor([&] { return t.setting("albumNameRome") == Value(false); }));
    t.restart(kGallery);
    ASSERT_TRUE(t.d.waitFor([&] { return t.shows(kGallery, "label", "Oslo (1)"); }));
    EXPECT_FALSE(t.shows(kGallery, "label", "Rome (1)")) << "switched off";
    EXPECT_FALSE(t.shows(kGallery, "label", "Trips (1)")) << "locked";

    // Respring: backboardd ends, SpringBoard comes back with the tweak, and so does every app.
    t.openPane();
    auto springboard = t.d.pidOf(e2e::kSpringBoard);
    std::size_t loads = t.d.countLog("injection: loaded lumicrate12 into com.apple.springboard");
    // The bar's Respring button; Settings ends with the rest, maybe before it answers.
    t.d.ui(kSettings, {{"command", Value("tap")}, {"text", Value("Respring")}, {"class", Value("_UIButtonBarButton")}});
    ASSERT_TRUE(t.d.waitFor([&] {
        auto sb = t.d.pidOf(e2e::kSpringBoard);
        return sb && sb != springboard && !t.d.pidOf(kSettings) && !t.d.pidOf(kPhotos) && !t.d.pidOf(kGallery);
    }));
    ASSERT_TRUE(t.d.waitFor(
        [&] { return t.d.countLog("injection: loaded lumicrate12 into com.apple.springboard") == loads + 1; }));
    std::size_t photosLoads = t.d.countLog("injection: loaded lumicrate12 into com.apple.mobileslideshow");
    t.d.launch(kPhotos);
    EXPECT_TRUE(t.d.waitFor([&] {
        return t.d.countLog("injection: loaded lumicrate12 into com.apple.mobileslideshow") == photosLoads + 1;
    }));
}

TEST(PaneOnADevice, RemovingThePackageTakesThePaneOutOfSettings) {
    PaneDevice t;
    t.d.launch(kSettings);
    ASSERT_TRUE(t.d.waitFor([&] { return t.shows(kSettings, "label", "lumicrate12"); }));
    auto r = e2e::lumisim({"remove", "com.zel.lumicrate12", "--root", t.d.root()});
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_FALSE(fnd::fileExists("/Library/PreferenceBundles/lumicrate12prefs.bundle/lumicrate12prefs"));
    ASSERT_TRUE(t.d.waitFor([&] { return !t.d.pidOf(kSettings); })) << "ended with the interface";
    t.d.launch(kSettings);
    ASSERT_TRUE(t.d.waitFor([&] { return t.shows(kSettings, "label", "General"); }));
    EXPECT_FALSE(t.shows(kSettings, "label", "lumicrate12"));
}
