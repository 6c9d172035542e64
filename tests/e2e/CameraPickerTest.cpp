// The camera's album picker on a booted device with real processes: the
// choice made through the Camera app's screen, album.tct written by
// SpringBoard (the camera's sandbox keeps it from writing there itself),
// three photos handed off into the album and out of the camera roll, and a
// relaunch that starts with the remembered album.

#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "sim/graphics/Geometry.h"
#include "tests/e2e/E2EDevice.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using e2e::Device;
using e2e::kCamera;
using e2e::ok;
using fnd::Array;
using fnd::Dictionary;
using fnd::Value;

namespace {

constexpr const char* kAlbumTct = "/var/mobile/Library/lumicrate/album.tct";

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

namespace {

// Chooses an album in the camera's chooser, through its screen.
void chooseOnScreen(Device& d, const std::string& title) {
    ASSERT_TRUE(d.waitFor([&] { return ok(d.ui(kCamera, {{"command", Value("tap")}, {"tag", Value(int64_t{77})}})); }));
    ASSERT_TRUE(d.waitFor([&] { return ok(d.ui(kCamera, {{"command", Value("alert")}, {"button", Value(title)}})); }));
    ASSERT_TRUE(d.waitFor([&] {
        return ok(d.ui(kCamera, {{"command", Value("find")}, {"tag", Value(int64_t{78})}, {"text", Value(title)}}));
    }));
}

bool takePicture(Device& d) { return ok(d.ui(kCamera, {{"command", Value("tap")}, {"label", Value("Take Picture")}})); }

// A sample photo file, made by the command line.
std::string samplePhoto(const Device& d) {
    std::string dir = d.root() + "/samples";
    e2e::lumisim({"sample-photos", dir, "--count", "1"});
    for (const auto& f : std::filesystem::directory_iterator(dir))
        return f.path().string();
    return "";
}

gfx::CGRect frameOf(const Dictionary& found) {
    const Array* f = fnd::valueForKey(found, "frame").array();
    auto n = [&](std::size_t i) { return f && i < f->size() && (*f)[i].real() ? *(*f)[i].real() : -1.0; };
    return {{n(0), n(1)}, {n(2), n(3)}};
}

} // namespace

TEST(CameraPicker, AFutureDatedPhotoDoesNotStopTheCapturesGoingIntoTheChosenAlbum) {
    Device d(true);
    std::string photo = samplePhoto(d);
    ASSERT_FALSE(photo.empty());
    ASSERT_EQ(e2e::lumisim({"addmedia", photo, "--date", "2030-01-01", "--root", d.root()}).status, 0);
    ASSERT_EQ(e2e::lumisim({"addmedia", photo, "--root", d.root()}).status, 0);
    ASSERT_EQ(e2e::lumisim({"mkalbum", "Trips", "--root", d.root()}).status, 0);
    d.launch(kCamera);
    chooseOnScreen(d, "Trips");
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(takePicture(d));
    ASSERT_TRUE(d.waitFor([&] { return library(d).find("Trips  0 visible, 3 hidden") != std::string::npos; }))
        << library(d);
    EXPECT_NE(library(d).find("Camera Roll        2 visible, 3 hidden"), std::string::npos)
        << "both imported photos stay in the camera roll\n"
        << library(d);
}

TEST(CameraPicker, UnderImportsFromAnotherProcessEveryCaptureReachesTheAlbumAndNoImportIsTouched) {
    Device d(true);
    std::string photo = samplePhoto(d);
    ASSERT_FALSE(photo.empty());
    ASSERT_EQ(e2e::lumisim({"mkalbum", "Trips", "--root", d.root()}).status, 0);
    d.launch(kCamera);
    chooseOnScreen(d, "Trips");
    constexpr int kCaptures = 50, kImports = 60;
    // Another process imports photos while the shutter is tapped.
    std::atomic<int> imported{0};
    std::thread importer([&] {
        for (int i = 0; i < kImports; ++i)
            if (e2e::lumisim({"addmedia", photo, "--root", d.root()}).status == 0) ++imported;
    });
    int taken = 0;
    for (int i = 0; i < kCaptures; ++i)
        taken += takePicture(d);
    importer.join();
    ASSERT_EQ(taken, kCaptures);
    ASSERT_EQ(imported.load(), kImports);
    std::string want = "Trips  0 visible, " + std::to_string(kCaptures) + " hidden";
    ASSERT_TRUE(d.waitFor([&] { return library(d).find(want) != std::string::npos; })) << library(d);
    EXPECT_NE(library(d).find("Camera Roll        " + std::to_string(kImports) + " visible, " +
                              std::to_string(kCaptures) + " hidden"),
              std::string::npos)
        << "every import is still in the camera roll, every capture out of it\n"
        << library(d);
}

TEST(CameraPicker, TheCaptionOfALongTitleStaysOnTheScreenAndOffTheShutterOnAnIphone8AndAnIphoneXs) {
    const std::string longTitle = "Summer holidays at the lake, July 2026 x";
    for (const char* model : {"iphone8", "iphonexs"}) {
        Device d(true, model);
        ASSERT_EQ(e2e::lumisim({"mkalbum", longTitle, "--root", d.root()}).status, 0);
        d.launch(kCamera);
        for (const std::string& title : {std::string("Camera Roll"), longTitle}) {
            if (title != "Camera Roll") chooseOnScreen(d, title);
            Dictionary caption = d.ui(kCamera, {{"command", Value("find")}, {"tag", Value(int64_t{78})}});
            ASSERT_TRUE(d.waitFor([&] {
                caption = d.ui(kCamera, {{"command", Value("find")}, {"tag", Value(int64_t{78})}});
                return ok(caption);
            }));
            Dictionary shutter = d.ui(kCamera, {{"command", Value("find")}, {"label", Value("Take Picture")}});
            ASSERT_TRUE(ok(shutter));
            gfx::CGRect c = frameOf(caption), s = frameOf(shutter);
            EXPECT_GE(c.origin.x, 4 - 1e-9) << model << ": " << title;
            EXPECT_LE(c.origin.x + c.size.width, s.origin.x - 4 + 1e-9) << model << ": " << title;
        }
    }
}
