// lumicrate12 on a booted device with real processes: its package installed
// with `lumisim install`, SpringBoard's message server, and what each
// process got from it.

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "tests/e2e/E2EDevice.h"

#include <filesystem>
#include <gtest/gtest.h>

using e2e::Device;
using fnd::Array;
using fnd::Dictionary;
using fnd::Value;

namespace {

constexpr const char* kLocked = "/var/mobile/Library/lumicrate/lockedAlbums.plist";
constexpr const char* kReload = "com.zel.lumicrate12prefs/reloadPrefs";

// The lines of `lumisim runtime APP methods CLASS` that name lumicrate12.
std::vector<std::string> productMethods(const Device& d, const std::string& app, const std::string& cls) {
    auto r = e2e::lumisim({"runtime", app, "methods", cls, "--root", d.root()});
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = r.output.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = r.output.substr(start, end - start);
        if (line.find("lumicrate12.dylib") != std::string::npos) lines.push_back(line);
    }
    return lines;
}

// A named message sent from inside an app's process, by the probe there.
Dictionary sendFrom(Device& d, const std::string& app, const std::string& message, Dictionary info) {
    return d.ui(app, {{"command", Value("probe-send")},
                      {"center", Value("com.zel.lumicrate12")},
                      {"message", Value(message)},
                      {"userInfo", Value(std::move(info))}});
}

} // namespace

TEST(Product, ThePackageInstalledIntoABootedDeviceHooksSpringBoardAndNoOtherProcess) {
    Device d(true);
    EXPECT_NE(d.installOutput().find("installed com.zel.lumicrate12 1.0.0 (13 files)"), std::string::npos)
        << d.installOutput();
    EXPECT_NE(d.installOutput().find("restarted SpringBoard"), std::string::npos);
    for (const char* f :
         {"/Library/MobileSubstrate/DynamicLibraries/lumicrate12.dylib",
          "/Library/MobileSubstrate/DynamicLibraries/lumicrate12.plist",
          "/Library/Application Support/lumicrate12/album.png",
          "/Library/Application Support/lumicrate12/whitelock.png",
          "/Library/Application Support/lumicrate12/greenlock.png", "/Library/Application Support/lumicrate12/move.png",
          "/Library/PreferenceBundles/lumicrate12prefs.bundle/lumicrate12prefs",
          "/Library/PreferenceBundles/lumicrate12prefs.bundle/Root.plist",
          "/Library/PreferenceBundles/lumicrate12prefs.bundle/appearance.plist",
          "/Library/PreferenceBundles/lumicrate12prefs.bundle/behaviour.plist",
          "/Library/PreferenceBundles/lumicrate12prefs.bundle/albums.plist",
          "/Library/PreferenceBundles/lumicrate12prefs.bundle/banner.png",
          "/Library/PreferenceLoader/Preferences/lumicrate12prefs.plist"})
        EXPECT_TRUE(fnd::fileExists(f)) << f;
    EXPECT_TRUE(fnd::isDirectory("/var/mobile/Library/lumicrate/"));

    auto sb = productMethods(d, "com.apple.springboard", "SpringBoard");
    ASSERT_EQ(sb.size(), 3u);
    EXPECT_NE(sb[0].find("applicationDidFinishLaunching:"), std::string::npos) << sb[0];
    EXPECT_NE(sb[1].find("authenticate:withUserInfo:"), std::string::npos) << sb[1];
    EXPECT_NE(sb[1].find("v@:@@"), std::string::npos) << sb[1];
    EXPECT_NE(sb[2].find("handleMessageNamed:withUserInfo:"), std::string::npos) << sb[2];
    EXPECT_NE(sb[2].find("v@:@@"), std::string::npos) << sb[2];

    // Loaded into every app (the filter names UIKit); the camera gets its group.
    d.launch("com.apple.camera");
    d.launch("com.example.gallery");
    // An app joins the device before it loads the injected libraries.
    ASSERT_TRUE(d.waitFor([&] {
        return d.countLog("injection: loaded lumicrate12 into com.apple.camera") == 1 &&
               d.countLog("injection: loaded lumicrate12 into com.example.gallery") == 1;
    }));
    auto bar = productMethods(d, "com.apple.camera", "CAMBottomBar");
    ASSERT_EQ(bar.size(), 3u);
    EXPECT_NE(bar[0].find("chooseAlbum"), std::string::npos) << bar[0];
    EXPECT_NE(bar[1].find("createNewAlbum"), std::string::npos) << bar[1];
    EXPECT_NE(bar[2].find("layoutSubviews"), std::string::npos) << bar[2];
    EXPECT_TRUE(productMethods(d, "com.example.gallery", "CAMBottomBar").empty());
    auto r = e2e::lumisim({"runtime", "com.apple.camera", "methods", "SpringBoard", "--root", d.root()});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("no class named SpringBoard"), std::string::npos) << r.output;
}

// Each sandboxed app's array lands through SpringBoard, only in its own state
// file: the locked list for Photos, album.tct for the Camera.
TEST(Product, ASaveArrayFromASandboxedAppLandsThroughSpringBoardOnlyInItsOwnStateFile) {
    Device d(true);
    d.launch("com.apple.camera");
    d.launch("com.apple.mobileslideshow");
    auto ok = sendFrom(d, "com.apple.mobileslideshow", "savearray",
                       {{"id", Value("com.apple.mobileslideshow")},
                        {"array", Value(Array{Value("Trips"), Value("Q3")})},
                        {"path", Value(kLocked)}});
    ASSERT_TRUE(fnd::valueForKey(ok, "ok").boolValue());
    sendFrom(
        d, "com.apple.camera", "savearray",
        {{"array", Value(Array{Value("Rome")})}, {"path", Value("/private/var/mobile/Library/lumicrate/album.tct")}});
    sendFrom(d, "com.apple.mobileslideshow", "savearray",
             {{"array", Value(Array{Value("x")})}, {"path", Value("/var/mobile/Library/Preferences/evil.plist")}});
    sendFrom(d, "com.apple.mobileslideshow", "savearray",
             {{"array", Value(Array{Value(1)})}, {"path", Value(kLocked)}});
    sendFrom(d, "com.apple.camera", "savearray",
             {{"id", Value("com.apple.mobileslideshow")}, {"array", Value(Array{})}, {"path", Value(kLocked)}});
    ASSERT_TRUE(d.waitFor([&] { return d.countLog("savearray refused") == 3; }));
    EXPECT_EQ(d.countLog("is not for com.apple.camera to write"), 1u);
    EXPECT_EQ(fnd::readArrayFile(kLocked), (Array{Value("Trips"), Value("Q3")}));
    EXPECT_EQ(fnd::readArrayFile("/var/mobile/Library/lumicrate/album.tct"), Array{Value("Rome")});
    EXPECT_FALSE(fnd::fileExists("/var/mobile/Library/Preferences/evil.plist"));
}

TEST(Product, OnlyThePhotosAppIsServedAuthenticateAndAMessageNobodyHandlesIsDroppedWithOneLine) {
    Device d(true);
    auto before = d.pidOf("com.apple.springboard");
    ASSERT_TRUE(before);
    // "authenticate" from outside the device (the command line) and from an
    // app that is not Photos, whatever its "id" says: no prompt, no result.
    auto r = e2e::lumisim({"send", "com.zel.lumicrate12", "authenticate", "--root", d.root()});
    ASSERT_EQ(r.status, 0) << r.output;
    d.launch("com.apple.camera");
    sendFrom(d, "com.apple.camera", "authenticate",
             {{"id", Value("com.apple.mobileslideshow")},
              {"method", Value(0)},
              {"albumName", Value("Trips")},
              {"controller", Value("PUAlbumListViewController")}});
    sendFrom(d, "com.apple.camera", "no such message", {});
    sendFrom(
        d, "com.apple.camera", "savearray",
        {{"array", Value(Array{Value("Rome")})}, {"path", Value("/private/var/mobile/Library/lumicrate/album.tct")}});
    ASSERT_TRUE(d.waitFor(
        [&] { return fnd::readArrayFile("/var/mobile/Library/lumicrate/album.tct") == Array{Value("Rome")}; }));
    EXPECT_EQ(d.countLog("lumicrate12: authenticate refused: sent by "), 2u);
    EXPECT_EQ(d.countLog("lumicrate12: authenticate refused: sent by com.apple.camera"), 1u);
    EXPECT_FALSE(fnd::fileExists("/var/mobile/Library/lumicrate/authenticate.plist"));
    EXPECT_EQ(d.pidOf("com.apple.springboard"), before) << "SpringBoard was restarted";
    EXPECT_EQ(d.countLog("com.apple.springboard pid " + std::to_string(*before) + " exited"), 0u);
}

TEST(Product, EveryProcessObservesTheSettingsNotificationAndEnabledOffLeavesSpringBoardStock) {
    Device d(true);
    const std::vector<std::string> apps{"com.apple.camera", "com.apple.mobileslideshow", "com.apple.Preferences",
                                        "com.example.gallery", "com.apple.store.Jolly"};
    for (const auto& a : apps)
        d.launch(a);
    std::vector<std::string> all = apps;
    all.push_back("com.apple.springboard");
    d.awaitObservers(all, kReload);

    // Switched off, and SpringBoard started again: the state folder and the
    // observer still come, the hooks do not.
    ASSERT_TRUE(fnd::writePlistFile("/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist",
                                    Value(Dictionary{{"enabled", Value(false)}})));
    std::filesystem::remove_all(fnd::hostPath("/var/mobile/Library/lumicrate/"));
    auto before = d.pidOf("com.apple.springboard");
    auto r = e2e::lumisim({"terminate", "com.apple.springboard", "--root", d.root()});
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_TRUE(d.waitFor([&] {
        auto now = d.pidOf("com.apple.springboard");
        return now && now != before && d.observes("com.apple.springboard", kReload);
    }));
    EXPECT_TRUE(productMethods(d, "com.apple.springboard", "SpringBoard").empty());
    EXPECT_FALSE(d.serves("com.zel.lumicrate12"));
    EXPECT_TRUE(fnd::isDirectory("/var/mobile/Library/lumicrate/"));

    // The Photos app started with the tweak off hears the gate's answers all
    // the same, and gets none of its hooks.
    auto photos = d.pidOf("com.apple.mobileslideshow");
    ASSERT_TRUE(photos);
    r = e2e::lumisim({"terminate", "com.apple.mobileslideshow", "--root", d.root()});
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_TRUE(d.waitFor(
        [&] { return d.countLog("com.apple.mobileslideshow pid " + std::to_string(*photos) + " exited") == 1; }));
    d.launch("com.apple.mobileslideshow");
    d.awaitObservers({"com.apple.mobileslideshow"}, "com.zel.LCAuthenticate");
    EXPECT_TRUE(productMethods(d, "com.apple.mobileslideshow", "PUAlbumListViewController").empty());
    EXPECT_FALSE(d.observes("com.apple.camera", "com.zel.LCAuthenticate")) << "the Photos app's alone";
}
