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
