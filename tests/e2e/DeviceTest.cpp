// The device with real processes: deviced, SpringBoard and apps, each its own
// OS process, driven from outside as lumisim and the tests do.

#include "sim/foundation/PropertyList.h"
#include "tests/e2e/E2EDevice.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

using e2e::Device;
using fnd::Dictionary;
using fnd::Value;

namespace {
std::optional<fnd::Array> records() { return fnd::readArrayFile("/var/mobile/Library/probe-seq.plist"); }
} // namespace

TEST(E2E, InjectedLibraryRunsOnceBeforeAppCodeAndOnlyWhereItsFilterSays) {
    Device d;
    d.launch("com.apple.camera");
    d.launch("com.apple.mobileslideshow");
    d.launch("com.apple.Preferences");
    ASSERT_TRUE(d.waitFor([&] { return d.countLog("starts its own code") == 4; }));
    for (const std::string bundle : {"com.apple.springboard", "com.apple.camera", "com.apple.mobileslideshow"}) {
        auto lines = d.logLines();
        int constructorAt = -1, appCodeAt = -1, constructors = 0;
        for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
            if (lines[i].find("probe: constructor") != std::string::npos &&
                lines[i].find(" in " + bundle + " ") != std::string::npos) {
                ++constructors;
                constructorAt = i;
                EXPECT_NE(lines[i].find("constructor 1 "), std::string::npos) << lines[i];
                EXPECT_NE(lines[i].find("app-object none"), std::string::npos) << lines[i];
            }
            if (lines[i].find("app: " + bundle + " starts its own code") != std::string::npos) appCodeAt = i;
        }
        EXPECT_EQ(constructors, 1) << bundle;
        EXPECT_LT(constructorAt, appCodeAt) << bundle << ": the library loaded after the app's code";
    }
    EXPECT_EQ(d.countLog("in com.apple.Preferences pid"), 0u) << "the filter does not name Settings";
}

TEST(E2E, ANotificationFansOutToEveryProcessThatObservesIt) {
    Device d;
    d.launch("com.apple.camera");
    d.launch("com.apple.mobileslideshow");
    d.awaitObservers({"com.apple.camera", "com.apple.mobileslideshow", "com.apple.springboard"},
                     "com.lumi.probe.hello");
    d.post("com.lumi.probe.hello");
    ASSERT_TRUE(d.waitFor([&] {
        return d.countLog("probe: seen com.apple.camera") == 1 &&
               d.countLog("probe: seen com.apple.mobileslideshow") == 1 &&
               d.countLog("probe: seen com.apple.springboard") == 1;
    }));
}

TEST(E2E, TenThousandMessagesFromTwoSendersArriveInEachSendersOrder) {
    Device d;
    auto a = d.connect();
    auto b = d.connect();
    d.send("expect", {{"count", Value(10000)}});
    ASSERT_TRUE(d.waitFor([&] { return d.serves("com.lumi.probe"); })); // the expect is in
    for (int i = 0; i < 5000; ++i) {
        for (auto* s : {a.get(), b.get()}) {
            s->send({{"op", Value("send")},
                     {"center", Value("com.lumi.probe")},
                     {"message", Value("seq")},
                     {"userInfo", Value(Dictionary{{"lane", Value(s == a.get() ? "A" : "B")}, {"n", Value(i)}})}});
        }
    }
    ASSERT_TRUE(d.waitFor([&] { return records().has_value(); }));
    auto recs = *records();
    ASSERT_EQ(recs.size(), 10000u);
    int nextA = 0, nextB = 0;
    for (const Value& r : recs) {
        const Dictionary& rec = *r.dictionary();
        int n = fnd::valueForKey(rec, "n").intValue();
        if (fnd::valueForKey(rec, "lane") == Value("A"))
            ASSERT_EQ(n, nextA++);
        else
            ASSERT_EQ(n, nextB++);
        // Stamped by the device: this test process is no app of the device.
        EXPECT_EQ(fnd::valueForKey(rec, "sender"), Value("-"));
        EXPECT_EQ(fnd::valueForKey(rec, "pid"), Value(static_cast<int64_t>(::getpid())));
    }
    EXPECT_EQ(nextA, 5000);
    EXPECT_EQ(nextB, 5000);
}

TEST(E2E, AnUnknownOperationIsAnsweredWithAnErrorNamingItAndThePeerIsKept) {
    Device d;
    auto client = d.connect({});
    auto answer = client->request({{"op", Value("frobnicate")}}, std::chrono::seconds(10));
    ASSERT_TRUE(answer);
    EXPECT_EQ(fnd::valueForKey(*answer, "ok"), Value(false));
    EXPECT_EQ(fnd::valueForKey(*answer, "error"), Value("unknown operation \"frobnicate\""));
    // The same connection goes on being served.
    answer = client->request({{"op", Value("status")}}, std::chrono::seconds(10));
    ASSERT_TRUE(answer);
    EXPECT_EQ(fnd::valueForKey(*answer, "ok"), Value(true));
}

TEST(E2E, AProcessThatClaimsToBeSpringBoardIsNotBelieved) {
    Device d;
    auto liar = d.connect({{"bundle", Value("com.apple.springboard")},
                           {"claim", Value(Dictionary{{"pid", Value(1)},
                                                      {"bundle", Value("com.apple.springboard")},
                                                      {"sandboxed", Value(false)},
                                                      {"system", Value(true)}})}});
    liar->send({{"op", Value("register")}, {"center", Value("com.zel.lumicrate12")}});
    std::optional<Dictionary> answer;
    while ((answer = liar->readFrame(std::chrono::seconds(10))))
        if (fnd::valueForKey(*answer, "op") == Value("registered")) break;
    ASSERT_TRUE(answer);
    EXPECT_EQ(fnd::valueForKey(*answer, "ok"), Value(false));
    EXPECT_FALSE(d.serves("com.zel.lumicrate12"));

    liar->send({{"op", Value("send")},
                {"center", Value("com.lumi.probe")},
                {"message", Value("expect")},
                {"userInfo", Value(Dictionary{{"count", Value(1)}})}});
    liar->send({{"op", Value("send")},
                {"center", Value("com.lumi.probe")},
                {"message", Value("seq")},
                {"userInfo", Value(Dictionary{{"lane", Value("liar")}, {"n", Value(0)}})}});
    ASSERT_TRUE(d.waitFor([&] { return records().has_value(); }));
    EXPECT_EQ(fnd::valueForKey(*(*records())[0].dictionary(), "sender"), Value("-"));
}

TEST(E2E, MessagesWhileSpringBoardIsDownAreLostAndLaterOnesServed) {
    Device d;
    auto old = d.pidOf("com.apple.springboard");
    ASSERT_TRUE(old);
    ::kill(*old, SIGKILL);
    ASSERT_TRUE(d.waitFor([&] { return !d.serves("com.lumi.probe"); }));
    d.send("expect", {{"count", Value(1)}}); // lost, with the seq after it
    d.send("seq", {{"lane", Value("L")}, {"n", Value(1)}});
    ASSERT_TRUE(d.waitFor([&] { return d.serves("com.lumi.probe"); })); // SpringBoard is back
    auto now = d.pidOf("com.apple.springboard");
    ASSERT_TRUE(now);
    EXPECT_NE(*now, *old);
    d.send("expect", {{"count", Value(1)}});
    d.send("seq", {{"lane", Value("L")}, {"n", Value(2)}});
    ASSERT_TRUE(d.waitFor([&] { return records().has_value(); }));
    auto recs = *records();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(fnd::valueForKey(*recs[0].dictionary(), "n"), Value(2));
}

TEST(E2E, APeerSendingGarbageIsDroppedWhileTheOthersCarryOn) {
    Device d;
    d.launch("com.apple.camera");
    auto bad = d.connect();
    const char garbage[] = "\x00\x00\x00\x10not a plist at all";
    ::send(bad->fd(), garbage, sizeof garbage - 1, MSG_NOSIGNAL);
    ASSERT_TRUE(d.waitFor([&] { return fnd::valueForKey(d.status(), "dropped").intValue() == 1; }));
    d.awaitObservers({"com.apple.camera", "com.apple.springboard"}, "com.lumi.probe.hello");
    d.post("com.lumi.probe.hello");
    ASSERT_TRUE(d.waitFor([&] {
        return d.countLog("probe: seen com.apple.camera") == 1 && d.countLog("probe: seen com.apple.springboard") == 1;
    }));
}

TEST(E2E, ASuspendedAppGetsCoalescedPostsAsOneWhenItComesBack) {
    Device d;
    d.launch("com.apple.mobileslideshow");
    d.awaitObservers({"com.apple.mobileslideshow", "com.apple.springboard"}, "com.lumi.probe.coalesced");
    ASSERT_EQ(e2e::lumisim({"background", "com.apple.mobileslideshow", "--root", d.root()}).status, 0);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(e2e::lumisim({"notify", "post", "com.lumi.probe.coalesced", "--root", d.root()}).status, 0);
    ASSERT_TRUE(d.waitFor([&] { return d.countLog("probe: coalesced in com.apple.springboard") == 3; }));
    EXPECT_EQ(d.countLog("probe: coalesced in com.apple.mobileslideshow"), 0u);
    ASSERT_EQ(e2e::lumisim({"foreground", "com.apple.mobileslideshow", "--root", d.root()}).status, 0);
    d.post("com.lumi.probe.hello"); // arrives after what was owed on resume
    ASSERT_TRUE(d.waitFor([&] { return d.countLog("probe: seen com.apple.mobileslideshow") == 1; }));
    EXPECT_EQ(d.countLog("probe: coalesced in com.apple.mobileslideshow"), 1u);
    EXPECT_EQ(d.countLog("app: com.apple.mobileslideshow applicationDidEnterBackground:"), 1u);
}

// killall backboardd has the rights of the app that started it: a sandboxed
// app's is refused, with one log line, and nothing ends. (The Settings app's
// restarts the user interface: the settings pane's Respring, PaneOnADevice.)
// Both walls: the kernel's, which let the gallery start no program, and,
// on a device booted without them, the daemon's, which refuses what the
// program asks.
TEST(E2E, KillallFromASandboxedAppIsRefusedAndEndsNothing) {
    for (bool advisory : {false, true}) {
        Device d(false, "iphone8",
                 advisory ? std::vector<std::string>{"--advisory-walls"} : std::vector<std::string>{});
        Dictionary status = d.status();
        bool kernelWalls = fnd::valueForKey(status, "walls") != Value("advisory");
        d.launch("com.example.gallery");
        auto springboard = d.pidOf("com.apple.springboard");
        auto gallery = d.pidOf("com.example.gallery");
        d.awaitObservers({"com.example.gallery"}, "com.lumi.probe.respring");
        d.post("com.lumi.probe.respring");
        ASSERT_TRUE(d.waitFor([&] {
            return kernelWalls ? d.countLog("probe: spawning killall failed") == 1
                               : d.countLog("deviced: refused \"killall\"") == 1;
        })) << (advisory ? "advisory walls" : "kernel walls");
        EXPECT_EQ(d.pidOf("com.apple.springboard"), springboard);
        EXPECT_EQ(d.pidOf("com.example.gallery"), gallery);
    }
}

TEST(E2E, TheCommandLineRefusesBadArgumentsAndAMissingDevice) {
    auto r = e2e::lumisim({"ps", "--root", "/tmp/lumi-no-such-device"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("no device is booted"), std::string::npos) << r.output;
    EXPECT_EQ(e2e::lumisim({"launch", "--root", "/tmp/x"}).status, 2);
    r = e2e::lumisim({"boot", "--root", "/tmp/lumi-e2e-badmodel", "--model", "nokia"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("unknown model"), std::string::npos) << r.output;
    EXPECT_EQ(e2e::lumisim({"frobnicate"}).status, 2);
    EXPECT_EQ(e2e::lumisim({"boot", "--help"}).status, 0);
    Device d;
    r = e2e::lumisim({"boot", "--root", d.root()});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("already booted"), std::string::npos) << r.output;
    r = e2e::lumisim({"launch", "com.nobody.app", "--root", d.root()});
    EXPECT_NE(r.output.find("no app named com.nobody.app"), std::string::npos) << r.output;
    // A message's user info must be a property-list dictionary file.
    r = e2e::lumisim({"send", "com.lumi.probe", "seen", "--info", "/tmp/lumi-no-such-file", "--root", d.root()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("cannot read"), std::string::npos) << r.output;
    std::string garbage = d.root() + "/garbage.plist";
    std::ofstream(garbage) << "<plist><array><string>x</string></array></plist>";
    r = e2e::lumisim({"send", "com.lumi.probe", "seen", "--info", garbage, "--root", d.root()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("not a property-list dictionary"), std::string::npos) << r.output;
    r = e2e::lumisim({"install", "/tmp/lumi-no-such.deb", "--root", d.root()});
    EXPECT_EQ(r.status, 2);
    r = e2e::lumisim({"install", garbage, "--root", d.root()});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("not a Debian package"), std::string::npos) << r.output;
}

TEST(E2E, MediaAddedFromOutsideIsSeenByARunningAppAtItsNextFetch) {
    Device d;
    d.launch("com.apple.mobileslideshow");
    d.awaitObservers({"com.apple.mobileslideshow"}, "com.lumi.probe.library");
    d.post("com.lumi.probe.library");
    ASSERT_TRUE(d.waitFor(
        [&] { return d.countLog("probe: com.apple.mobileslideshow library camera-roll 0 hidden 0 albums -") == 1; }));
    std::string samples = d.root() + "/samples";
    ASSERT_EQ(e2e::lumisim({"sample-photos", samples, "--count", "3"}).status, 0);
    auto r = e2e::lumisim(
        {"addmedia", samples + "/sample-01.jpg", samples + "/sample-02.jpg", "--album", "Trips", "--root", d.root()});
    ASSERT_EQ(r.status, 0) << r.output;
    r = e2e::lumisim({"addmedia", samples + "/sample-03.jpg", "--album", "Trips", "--hidden", "--root", d.root()});
    ASSERT_EQ(r.status, 0) << r.output;
    // Something that is no image adds nothing, not even the files before it.
    r = e2e::lumisim(
        {"addmedia", samples + "/sample-01.jpg", d.root() + "/private/var/run/deviced.pid", "--root", d.root()});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("not a PNG or JPEG image"), std::string::npos) << r.output;

    d.post("com.lumi.probe.library");
    ASSERT_TRUE(d.waitFor([&] {
        return d.countLog("probe: com.apple.mobileslideshow library camera-roll 2 hidden 1 albums Trips=3") == 1;
    }));
    r = e2e::lumisim({"library", "--root", d.root()});
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("Trips  2 visible, 1 hidden"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("IMG_0003.JPG"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("IMG_0004"), std::string::npos) << "the refused import left an asset behind";
}

TEST(E2E, TheCommandLineSeesAndTouchesTheCameraAndItsShutterSavesAPhoto) {
    Device d;
    auto r = e2e::lumisim({"ui", "com.apple.camera", "tree", "--root", d.root()});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("com.apple.camera is not running"), std::string::npos) << r.output;
    d.launch("com.apple.camera");
    ASSERT_TRUE(d.waitFor([&] { return d.countLog("app: com.apple.camera starts its own code") == 1; }));

    r = e2e::lumisim({"ui", "com.apple.camera", "tree", "--root", d.root()});
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output.rfind("UIWindow [0 0 375 667]", 0), 0u) << r.output;
    EXPECT_NE(r.output.find("    CAMBottomBar [0 542 375 125]"), std::string::npos) << r.output;

    // The shutter, tapped from outside: a photo in the library.
    r = e2e::lumisim({"ui", "com.apple.camera", "tap", "--label", "Take Picture", "--root", d.root()});
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("tap CUShutterButton [154.5 34.5 66 66] at (187.5, 609.5)"), std::string::npos) << r.output;
    ASSERT_TRUE(d.waitFor([&] { return d.countLog("camera: capture 1 saved") == 1; }));
    r = e2e::lumisim({"library", "--root", d.root()});
    EXPECT_NE(r.output.find("IMG_0001.JPG"), std::string::npos) << r.output;
    r = e2e::lumisim({"ui", "com.apple.camera", "tap", "--text", "Shutter", "--root", d.root()});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("no element matches text \"Shutter\""), std::string::npos) << r.output;
    r = e2e::lumisim({"ui", "com.apple.camera", "alert", "OK", "--root", d.root()});
    EXPECT_NE(r.output.find("no alert is presented"), std::string::npos) << r.output;
    r = e2e::lumisim({"ui", "com.apple.camera", "drag", "10", "x", "20", "30", "--root", d.root()});
    EXPECT_EQ(r.status, 2) << r.output;

    // Garbage in the automation operations: an error, nothing relayed, and
    // a malformed answer costs the sender its connection.
    auto peer = d.connect();
    auto reply = peer->request({{"op", Value("ui")}, {"bundle", Value("com.apple.camera")}, {"request", Value("tree")}},
                               std::chrono::seconds(10));
    ASSERT_TRUE(reply);
    EXPECT_EQ(fnd::valueForKey(*reply, "error"), Value("ui needs a request"));
    ASSERT_TRUE(peer->send({{"op", Value("ui-answer")}, {"id", Value(99)}, {"answer", Value(Dictionary{})}}));
    EXPECT_TRUE(peer->request({{"op", Value("status")}}, std::chrono::seconds(10))) << "a late answer is only dropped";
    ASSERT_TRUE(peer->send({{"op", Value("ui-answer")}, {"id", Value("one")}}));
    EXPECT_FALSE(peer->request({{"op", Value("status")}}, std::chrono::seconds(10)));

    std::string shot = d.root() + "/camera.png";
    r = e2e::lumisim({"ui", "com.apple.camera", "screenshot", shot, "--root", d.root()});
    ASSERT_EQ(r.status, 0) << r.output;
    std::ifstream file(shot, std::ios::binary);
    auto png = std::make_optional(std::string(std::istreambuf_iterator<char>(file), {}));
    ASSERT_GT(png->size(), 24u);
    EXPECT_EQ(png->substr(1, 3), "PNG");
    auto be32 = [&](std::size_t at) {
        auto b = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>((*png)[at + i])); };
        return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
    };
    EXPECT_EQ(be32(16), 375u * 2) << "the screenshot is at the screen's scale";
    EXPECT_EQ(be32(20), 667u * 2);
}

TEST(E2E, SettingsOpensAnInstalledBundleWhoseSwitchWritesItsPreferenceFile) {
    Device d;
    std::string lib = std::string(LUMI_BIN_DIR) + "/../lib";
    auto r = e2e::lumisim({"install-prefs", lib + "/LumiProbeSettings.so", "--name", "LumiProbeSettings", "--label",
                           "Lumi Probe", "--detail", "LumiProbeSettingsController", "--resources",
                           lib + "/LumiProbeSettings.resources", "--root", d.root()});
    ASSERT_EQ(r.status, 0) << r.output;
    d.launch("com.apple.Preferences");
    ASSERT_TRUE(d.waitFor([&] { return d.countLog("app: com.apple.Preferences starts its own code") == 1; }));
    auto ui = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"ui", "com.apple.Preferences"});
        args.insert(args.end(), {"--root", d.root()});
        return e2e::lumisim(args);
    };
    r = ui({"tap", "--label", "Lumi Probe"});
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_TRUE(d.waitFor([&] { return ui({"find", "--label", "Enabled switch"}).status == 0; }));
    ASSERT_EQ(ui({"tap", "--label", "Enabled switch"}).status, 0);
    auto file = fnd::readDictionaryFile("/var/mobile/Library/Preferences/com.lumi.probe.plist");
    ASSERT_TRUE(file);
    EXPECT_EQ(fnd::valueForKey(*file, "enabled"), Value(false));
    ASSERT_EQ(ui({"tap", "--label", "Say Hello"}).status, 0);
    EXPECT_TRUE(d.waitFor([&] { return d.countLog("probe-settings: hello") == 1; }));
}

TEST(E2E, TheGalleryAndTheStoreSeeTheSameLibraryWithoutTheProduct) {
    Device d;
    std::string samples = d.root() + "/samples";
    ASSERT_EQ(e2e::lumisim({"sample-photos", samples, "--count", "2"}).status, 0);
    ASSERT_EQ(e2e::lumisim({"addmedia", samples + "/sample-01.jpg", samples + "/sample-02.jpg", "--album", "Trips",
                            "--root", d.root()})
                  .status,
              0);
    d.launch("com.example.gallery");
    d.launch("com.apple.store.Jolly");
    ASSERT_TRUE(d.waitFor([&] { return d.countLog("starts its own code") == 3; }));
    auto gallery = e2e::lumisim({"ui", "com.example.gallery", "report", "--root", d.root()});
    auto store = e2e::lumisim({"ui", "com.apple.store.Jolly", "report", "--root", d.root()});
    ASSERT_EQ(gallery.status, 0) << gallery.output;
    EXPECT_NE(gallery.output.find("albums: Trips(2)"), std::string::npos) << gallery.output;
    EXPECT_EQ(gallery.output, store.output);
}

TEST(E2E, InstallRefusesAPackageHoldingALinkAndCopiesNothingOfIt) {
    char tmpl[] = "/tmp/lumi-e2e-deb-XXXXXX";
    ASSERT_TRUE(::mkdtemp(tmpl));
    const std::string work = tmpl, stage = work + "/stage", deb = work + "/evil.deb", root = work + "/device";
    std::filesystem::create_directories(stage + "/DEBIAN");
    std::filesystem::create_directories(stage + "/Library/MobileSubstrate/DynamicLibraries");
    std::ofstream(stage + "/DEBIAN/control") << "Package: com.example.evil\nVersion: 1\nArchitecture: all\n"
                                                "Maintainer: x\nDescription: x\n";
    std::ofstream(stage + "/Library/MobileSubstrate/DynamicLibraries/evil.plist") << "<plist/>";
    std::filesystem::create_symlink("/etc", stage + "/Library/escape");
    ASSERT_EQ(std::system(("dpkg-deb --root-owner-group --build " + stage + " " + deb + " >/dev/null").c_str()), 0);
    auto r = e2e::lumisim({"install", deb, "--root", root});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("neither a file nor a folder"), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(root + "/Library/MobileSubstrate/DynamicLibraries/evil.plist"));
    EXPECT_FALSE(std::filesystem::exists(root + "/Library/escape"));
    std::filesystem::remove_all(work);
}
