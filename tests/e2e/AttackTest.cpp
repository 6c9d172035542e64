// The device under attack, driven the way the attacks went: connections
// that code injected into an app opens for itself (with that app's pid),
// control operations asked from inside an app, and hostile files where the
// apps read their state and preferences.

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "tests/e2e/E2EDevice.h"
#include "tests/support/HostilePlists.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using e2e::Device;
using e2e::kCamera;
using e2e::kPhotos;
using e2e::kSpringBoard;
using e2e::ok;
using fnd::Array;
using fnd::Dictionary;
using fnd::Value;

namespace {

constexpr const char* kPreferences = "/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist";

// What the device answers an operation sent on a connection the app opens itself.
Dictionary fromInside(Device& d, const std::string& app, Dictionary op) {
    Dictionary answer = d.ui(app, {{"command", Value("probe-connect")}, {"op", Value(std::move(op))}});
    const std::string* error = fnd::valueForKey(answer, "error").string();
    EXPECT_TRUE(fnd::valueForKey(answer, "ok").boolValue()) << (error ? *error : std::string("(no error)"));
    const Dictionary* inner = fnd::valueForKey(answer, "answer").dictionary();
    return inner ? *inner : Dictionary{};
}

} // namespace

TEST(Attack, AConnectionAnAppOpensForItselfHasNoIdentityEvenWithThatAppsPid) {
    Device d;
    // From inside SpringBoard's own process: the kernel reports SpringBoard's
    // pid for this connection, exactly as it would for a client that got
    // SpringBoard's pid after a restart.
    Dictionary answer = fromInside(d, kSpringBoard, {{"op", Value("register")}, {"center", Value("com.lumi.attack")}});
    EXPECT_EQ(fnd::valueForKey(answer, "ok"), Value(false)) << "only a connection born with SpringBoard serves";
    Dictionary status = d.status();
    const Array* centres = fnd::valueForKey(status, "centres").array();
    ASSERT_TRUE(centres);
    EXPECT_EQ(*centres, Array{Value("com.lumi.probe")}) << "the real SpringBoard keeps its centre";
    // The real SpringBoard still serves it.
    d.send("seen", {});
    EXPECT_TRUE(d.waitFor([&] { return d.countLog("probe: seen") >= 1; }));
}

TEST(Attack, AnAppCannotStopOrDriveOtherAppsOrTheDevice) {
    Device d;
    d.launch(kCamera);
    d.launch(kPhotos);
    auto springboard = d.pidOf(kSpringBoard), photos = d.pidOf(kPhotos);
    ASSERT_TRUE(springboard && photos);
    const std::vector<Dictionary> attacks{
        {{"op", Value("terminate")}, {"bundle", Value(kPhotos)}},
        {{"op", Value("killall")}, {"name", Value("SpringBoard")}},
        {{"op", Value("shutdown")}},
        {{"op", Value("launch")}, {"bundle", Value("com.example.gallery")}},
        {{"op", Value("background")}, {"bundle", Value(kPhotos)}},
        {{"op", Value("ui")},
         {"bundle", Value(kPhotos)},
         {"request", Value(Dictionary{{"command", Value("screenshot")}})}},
        {{"op", Value("status")}},
    };
    for (const auto& op : attacks) {
        Dictionary answer = fromInside(d, kCamera, op);
        EXPECT_EQ(fnd::valueForKey(answer, "ok"), Value(false)) << *fnd::valueForKey(op, "op").string();
        const std::string* error = fnd::valueForKey(answer, "error").string();
        ASSERT_TRUE(error);
        EXPECT_NE(error->find("is not for a process inside the device"), std::string::npos) << *error;
        EXPECT_FALSE(fnd::valueForKey(answer, "png").data()) << "no other app's screen";
    }
    EXPECT_EQ(d.countLog("deviced: refused"), attacks.size()) << "one line each";
    EXPECT_EQ(d.pidOf(kSpringBoard), springboard);
    EXPECT_EQ(d.pidOf(kPhotos), photos);
    EXPECT_TRUE(d.pidOf(kCamera));
    // The operator may still do all of it.
    EXPECT_TRUE(ok(d.ui(kPhotos, {{"command", Value("screenshot")}})));
}

TEST(Attack, AFifoWhereTheStateAndPreferenceFilesGoHangsNoApp) {
    Device d(true);
    ASSERT_EQ(::mkfifo(fnd::hostPath("/var/mobile/Library/lumicrate/album.tct").c_str(), 0644), 0);
    fnd::removeFile(kPreferences);
    ASSERT_EQ(::mkfifo(fnd::hostPath(kPreferences).c_str(), 0644), 0);
    // SpringBoard starts again (it reads the preferences at start), then the apps.
    auto before = d.pidOf(kSpringBoard);
    ASSERT_EQ(e2e::lumisim({"terminate", kSpringBoard, "--root", d.root()}).status, 0);
    ASSERT_TRUE(d.waitFor([&] {
        auto now = d.pidOf(kSpringBoard);
        return now && now != before && d.serves("com.zel.lumicrate12");
    }));
    for (const char* app : {kCamera, kPhotos}) {
        d.launch(app);
        EXPECT_TRUE(d.waitFor([&] { return ok(d.ui(app, {{"command", Value("tree")}})); })) << app << " hangs";
    }
}

TEST(Attack, AnExpandingPlistAsThePreferenceFileCrashesNothing) {
    Device d(true);
    std::string bomb = hostile::doublingBomb(26);
    ASSERT_LT(bomb.size(), 600u);
    ASSERT_TRUE(fnd::writeFileAtomically(kPreferences, bomb));
    auto before = d.pidOf(kSpringBoard);
    ASSERT_EQ(e2e::lumisim({"terminate", kSpringBoard, "--root", d.root()}).status, 0);
    ASSERT_TRUE(d.waitFor([&] {
        auto now = d.pidOf(kSpringBoard);
        return now && now != before && d.serves("com.zel.lumicrate12");
    }));
    auto springboard = d.pidOf(kSpringBoard);
    for (const char* app : {kCamera, kPhotos}) {
        d.launch(app);
        EXPECT_TRUE(d.waitFor([&] { return ok(d.ui(app, {{"command", Value("tree")}})); })) << app;
    }
    EXPECT_EQ(d.pidOf(kSpringBoard), springboard) << "SpringBoard did not crash and start again";
    EXPECT_TRUE(d.crashes().empty());
}

// A message as large as the device takes from an app, sent from inside the
// Camera to SpringBoard's centre: the device forwards it with the sender's
// record, SpringBoard reads it, and nothing ends (it used to end SpringBoard,
// whose reader refused the grown frame).
TEST(Attack, TheLargestMessageAnAppMaySendEndsNoReceiver) {
    Device d;
    d.launch(kCamera);
    auto springboard = d.pidOf(kSpringBoard);
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(ok(d.ui(kCamera, {{"command", Value("probe-send-largest")},
                                      {"center", Value("com.lumi.probe")},
                                      {"message", Value("seen")}})));
    ASSERT_TRUE(d.waitFor([&] { return d.countLog("probe: seen com.apple.camera") == 2; })) << "SpringBoard read both";
    EXPECT_EQ(d.pidOf(kSpringBoard), springboard);
    EXPECT_EQ(d.countLog("could not be read"), 0u);
}

// One connection observing ever more distinct names: the device refuses the
// names past 4096 bytes and those past the connection's share, logs each
// refusal once, and keeps the app and itself (it used to grow until the
// whole device ran out of memory).
TEST(Attack, AnAppObservingEverMoreNamesIsHeldToItsShare) {
    Device d;
    d.launch(kCamera);
    auto camera = d.pidOf(kCamera);
    ASSERT_TRUE(
        ok(d.ui(kCamera, {{"command", Value("probe-observe-many")}, {"count", Value(20)}, {"bytes", Value(1 << 20)}})));
    ASSERT_TRUE(
        ok(d.ui(kCamera, {{"command", Value("probe-observe-many")}, {"count", Value(3000)}, {"bytes", Value(1024)}})));
    ASSERT_TRUE(d.waitFor([&] { return d.countLog("observations past its share of names") == 1; }));
    EXPECT_EQ(d.countLog("refused an observation of a name past 4096 bytes from pid"), 1u);
    std::size_t observed = 0;
    Dictionary status = d.status();
    const Array* apps = fnd::valueForKey(status, "apps").array();
    ASSERT_TRUE(apps) << fnd::serializeXml(Value(status)).value_or("?").substr(0, 400);
    for (const Value& a : *apps)
        if (fnd::valueForKey(*a.dictionary(), "bundle") == Value(kCamera))
            observed = fnd::valueForKey(*a.dictionary(), "observing").array()->size();
    EXPECT_LE(observed, 1100u) << "about 1 MiB of 1 KiB names, and the app's own";
    EXPECT_GT(observed, 900u);
    EXPECT_EQ(d.pidOf(kCamera), camera) << "the app is kept";
    d.post("com.lumi.probe.hello"); // the Camera still hears what it observed before
    EXPECT_TRUE(d.waitFor([&] { return d.countLog("probe: seen com.apple.camera") == 1; }));
}
