// The camera's album picker on a booted device with real processes: the
// choice made through the Camera app's screen, album.tct written by
// SpringBoard (the camera's sandbox keeps it from writing there itself),
// three photos handed off into the album and out of the camera roll, and a
// relaunch that starts with the remembered album.

#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "tests/e2e/E2EDevice.h"

#include <gtest/gtest.h>

using e2e::Device;
using fnd::Array;
using fnd::Dictionary;
using fnd::Value;

namespace {

constexpr const char* kCamera = "com.apple.camera";
constexpr const char* kAlbumTct = "/var/mobile/Library/lumicrate/album.tct";

bool ok(const Dictionary& answer) { return fnd::valueForKey(answer, "ok").boolValue(); }

std::string library(const Device& d) { return e2e::lumisim({"library", "--root", d.root()}).output; }

} // namespace

TEST(CameraPicker, AnAlbumChosenOnScreenIsStoredBySpringBoardTakesThreePhotosAndIsThereAfterARelaunch) {
    Device d(true);
    ASSERT_TRUE(fnd::writePlistFile("/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist",
                                    Value(Dictionary{{"rememberDefault", Value(true)}})));
    ASSERT_EQ(e2e::lumisim({"mkalbum", "Trips", "--root", d.root()}).status, 0);
    d.launch(kCamera);
    Dictionary button{{"command", Value("find")}, {"tag", Value(int64_t{77})}};
    ASSERT_TRUE(d.waitFor([&] { return ok(d.ui(kCamera, button)); }));
    EXPECT_TRUE(fnd::valueForKey(d.ui(kCamera, button), "hittable").boolValue());

    auto direct = d.ui(kCamera, {{"command", Value("probe-write")},
                                 {"path", Value("/private/var/mobile/Library/lumicrate/album.tct")},
                                 {"text", Value("x")}});
    EXPECT_FALSE(ok(direct)) << "the camera's sandbox refuses the state folder";
    EXPECT_FALSE(fnd::fileExists(kAlbumTct));

    ASSERT_TRUE(ok(d.ui(kCamera, {{"command", Value("tap")}, {"tag", Value(int64_t{77})}})));
    ASSERT_TRUE(d.waitFor([&] {
        return ok(d.ui(kCamera, {{"command", Value("alert")}, {"button", Value("Trips")}}));
    }));
    ASSERT_TRUE(d.waitFor([&] { return fnd::readArrayFile(kAlbumTct) == Array{Value("Trips")}; }))
        << "SpringBoard writes the choice";
    ASSERT_TRUE(d.waitFor([&] {
        return ok(d.ui(kCamera, {{"command", Value("find")}, {"tag", Value(int64_t{78})}, {"text", Value("Trips")}}));
    }));

    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(ok(d.ui(kCamera, {{"command", Value("tap")}, {"label", Value("Take Picture")}})));
    ASSERT_TRUE(d.waitFor([&] { return library(d).find("Trips  0 visible, 3 hidden") != std::string::npos; }))
        << library(d);
    EXPECT_NE(library(d).find("Camera Roll        0 visible, 3 hidden"), std::string::npos) << library(d);

    // The next start of the Camera app begins with the album (rememberDefault).
    auto pid = d.pidOf(kCamera);
    ASSERT_TRUE(pid);
    ASSERT_EQ(e2e::lumisim({"terminate", kCamera, "--root", d.root()}).status, 0);
    // Gone once the device has reaped it (a launch before that finds it running).
    ASSERT_TRUE(d.waitFor(
        [&] { return d.countLog("deviced: com.apple.camera pid " + std::to_string(*pid) + " exited") == 1; }));
    d.launch(kCamera);
    EXPECT_TRUE(d.waitFor([&] {
        return ok(d.ui(kCamera, {{"command", Value("find")}, {"tag", Value(int64_t{78})}, {"text", Value("Trips")}}));
    }));
}
