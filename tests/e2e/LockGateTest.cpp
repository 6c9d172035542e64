// The lock gate on a booted device with real processes: the package
// installed, an album locked through SpringBoard, a tap in the Photos app's
// album list, SpringBoard's owner prompt answered by the finger or the
// passcode, the tweak's own password, and photos moved with the picker.

#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "tests/e2e/E2EDevice.h"

#include <gtest/gtest.h>

using e2e::Device;
using e2e::kPhotos;
using e2e::kSpringBoard;
using e2e::ok;
using fnd::Dictionary;
using fnd::Value;

namespace {

constexpr const char* kPrefs = "/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist";

struct GateDevice {
    Device d{true, "iphone8", {"--passcode", "1234", "--touch-id"}};

    // Trips holds two photos, Rome one; `locked` are locked through SpringBoard.
    void prepare(const std::vector<std::string>& locked) {
        std::vector<std::string> files = d.samplePhotos(3);
        ASSERT_EQ(files.size(), 3u);
        ASSERT_EQ(e2e::lumisim({"addmedia", files[0], files[1], "--album", "Trips", "--root", d.root()}).status, 0);
        ASSERT_EQ(e2e::lumisim({"addmedia", files[2], "--album", "Rome", "--root", d.root()}).status, 0);
        ASSERT_TRUE(d.lockAlbums(locked));
        d.launch(kPhotos);
        ASSERT_TRUE(d.waitFor([&] { return find(kPhotos, "label", "Albums"); }));
    }
    bool find(const char* app, const char* key, const std::string& value) { return d.shows(app, key, Value(value)); }
    bool tap(const std::string& label) { return d.tapWhenShown(kPhotos, "label", Value(label)); }
    bool press(const char* app, const std::string& button) { return d.pressWhenShown(app, button); }
    bool type(const char* app, const std::string& text) {
        return ok(d.ui(app, {{"command", Value("type")}, {"index", Value(0)}, {"text", Value(text)}}));
    }
    // The album's grid is on screen: its photos are there to tap.
    bool albumOpen() {
        return d.waitFor([&] { return find(kPhotos, "label", "Photo 1") && find(kPhotos, "label", "Select"); });
    }
    bool ownerPromptShows(const std::string& reason) {
        return d.waitFor([&] { return find(kSpringBoard, "text", reason); });
    }
    void setPrefs(Dictionary prefs) {
        ASSERT_TRUE(fnd::writePlistFile(kPrefs, Value(std::move(prefs))));
        d.post("com.zel.lumicrate12prefs/reloadPrefs");
    }
    // The library as the command line lists it.
    std::string library() { return e2e::lumisim({"library", "--root", d.root()}).output; }
};

} // namespace

TEST(LockGateOnADevice, ALockedAlbumOpensAfterTheOwnersFingerOrPasscodeAndNotOnCancel) {
    GateDevice g;
    g.prepare({"Trips"});
    ASSERT_TRUE(g.tap("Albums"));
    ASSERT_TRUE(g.tap("See All"));
    ASSERT_TRUE(g.tap("Trips"));
    ASSERT_TRUE(g.ownerPromptShows("Trips needs to be unlocked."));
    EXPECT_FALSE(g.find(kPhotos, "label", "Select")) << "the album waits for the owner";
    ASSERT_TRUE(ok(g.d.ui(kSpringBoard, {{"command", Value("touch-id")}, {"finger", Value("enrolled")}})));
    ASSERT_TRUE(g.albumOpen());

    // Again: the pass was used up. This time the passcode, typed.
    ASSERT_TRUE(g.tap("\u2039 Albums")); // back to the list
    ASSERT_TRUE(g.tap("Trips"));
    ASSERT_TRUE(g.ownerPromptShows("Trips needs to be unlocked."));
    ASSERT_TRUE(g.press(kSpringBoard, "Enter Passcode"));
    ASSERT_TRUE(g.d.waitFor([&] { return g.type(kSpringBoard, "1234"); }));
    ASSERT_TRUE(g.press(kSpringBoard, "OK"));
    ASSERT_TRUE(g.albumOpen());

    // Cancelled: no answer at all, the album stays closed.
    ASSERT_TRUE(g.tap("\u2039 Albums")); // back to the list
    ASSERT_TRUE(g.tap("Trips"));
    ASSERT_TRUE(g.ownerPromptShows("Trips needs to be unlocked."));
    ASSERT_TRUE(g.press(kSpringBoard, "Cancel"));
    ASSERT_TRUE(g.d.waitFor([&] { return !g.find(kSpringBoard, "text", "Trips needs to be unlocked."); }));
    EXPECT_FALSE(g.find(kPhotos, "label", "Select"));
    EXPECT_EQ(g.d.countLog("authenticate refused"), 0u);
}

TEST(LockGateOnADevice, WithPassOptionOneThePasswordPromptOpensTheAlbum) {
    GateDevice g;
    ASSERT_TRUE(fnd::writeFileAtomically("/var/mobile/Library/lumicrate/settings.tct", "pw"));
    g.setPrefs({{"passOption", Value(1)}});
    g.prepare({"Trips"});
    g.d.awaitObservers({kPhotos}, "com.zel.lumicrate12prefs/reloadPrefs");
    ASSERT_TRUE(g.tap("Albums"));
    ASSERT_TRUE(g.tap("See All"));
    ASSERT_TRUE(g.tap("Trips"));
    ASSERT_TRUE(g.d.waitFor([&] { return g.find(kPhotos, "text", "Enter password to unlock album."); }));
    EXPECT_FALSE(g.find(kSpringBoard, "text", "Trips needs to be unlocked.")) << "the owner is not asked";
    ASSERT_TRUE(g.type(kPhotos, "pw"));
    ASSERT_TRUE(g.press(kPhotos, "OK"));
    ASSERT_TRUE(g.albumOpen());
}

TEST(LockGateOnADevice, PickerMoveAndCopyAndADeletedAlbumsPhotosBackInTheCameraRoll) {
    GateDevice g;
    g.prepare({});
    // Move Trips' first photo into Rome: out of Trips and of the camera roll.
    ASSERT_TRUE(g.tap("Albums"));
    ASSERT_TRUE(g.tap("Trips"));
    ASSERT_TRUE(g.tap("Select"));
    ASSERT_TRUE(g.tap("Photo 1"));
    ASSERT_TRUE(g.tap("Add To"));
    ASSERT_TRUE(g.tap("Rome"));
    ASSERT_TRUE(g.press(kPhotos, "Move"));
    ASSERT_TRUE(g.d.waitFor([&] { return g.library().find("Rome  1 visible, 1 hidden") != std::string::npos; }))
        << g.library();
    EXPECT_NE(g.library().find("Trips  1 photo\n"), std::string::npos) << g.library();

    // Copy Trips' other photo into Rome: it stays where it was.
    ASSERT_TRUE(g.tap("Select"));
    ASSERT_TRUE(g.tap("Photo 1"));
    ASSERT_TRUE(g.tap("Add To"));
    ASSERT_TRUE(g.tap("Rome"));
    ASSERT_TRUE(g.press(kPhotos, "Copy"));
    ASSERT_TRUE(g.d.waitFor([&] { return g.library().find("Rome  2 visible, 1 hidden") != std::string::npos; }))
        << g.library();

    // Delete Rome: the photo only Rome held comes back into the camera roll.
    ASSERT_TRUE(g.tap("\u2039 Albums")); // back to the Albums page
    ASSERT_TRUE(g.tap("See All"));
    ASSERT_TRUE(g.tap("Edit"));
    ASSERT_TRUE(g.tap("Delete Rome"));
    ASSERT_TRUE(g.press(kPhotos, "Delete Album"));
    ASSERT_TRUE(g.tap("Done"));
    ASSERT_TRUE(g.d.waitFor([&] { return g.library().find("Rome ") == std::string::npos; })) << g.library();
    EXPECT_TRUE(g.d.waitFor([&] { return g.library().find("hidden  albums") == std::string::npos; }))
        << "every photo visible again\n"
        << g.library();
}

// With titles switched off the tiles show no title, and a locked album
// must still ask: the gate reads the album a tile stands for, not its label.
// Trips is found by its subtitle (its count, 2), which the setting keeps.
TEST(LockGateOnADevice, WithTitlesOffALockedAlbumStillAsksBeforeItOpensOrIsDeleted) {
    GateDevice g;
    ASSERT_TRUE(fnd::writeFileAtomically("/var/mobile/Library/lumicrate/settings.tct", "pw"));
    g.setPrefs({{"passOption", Value(1)}, {"layoutShowTitle", Value(false)}});
    g.prepare({"Trips"});
    g.d.awaitObservers({kPhotos}, "com.zel.lumicrate12prefs/reloadPrefs");
    ASSERT_TRUE(g.tap("Albums"));
    ASSERT_TRUE(g.tap("See All"));
    ASSERT_TRUE(g.d.waitFor([&] { return g.find(kPhotos, "text", "2"); }));
    EXPECT_FALSE(g.find(kPhotos, "text", "Trips")) << "titles are off";
    ASSERT_TRUE(ok(g.d.ui(kPhotos, {{"command", Value("tap")}, {"text", Value("2")}})));
    ASSERT_TRUE(g.d.waitFor([&] { return g.find(kPhotos, "text", "Enter password to unlock album."); }));
    EXPECT_FALSE(g.find(kPhotos, "label", "Select")) << "the album waits for the password";
    ASSERT_TRUE(g.press(kPhotos, "Cancel"));

    // The delete button asks too. Its label names no album with titles off:
    // it is tapped where it sits, over the corner of Trips' tile, whose
    // subtitle lies under the square thumbnail (width w) and the title.
    ASSERT_TRUE(g.tap("Edit"));
    Dictionary count = g.d.ui(kPhotos, {{"command", Value("find")}, {"text", Value("2")}});
    ASSERT_TRUE(ok(count));
    auto number = [](const Value& v) { return v.real() ? *v.real() : 0.0; };
    const fnd::Array* frame = fnd::valueForKey(count, "frame").array();
    ASSERT_TRUE(frame && frame->size() == 4);
    double w = number((*frame)[2]);
    double x = number(fnd::valueForKey(count, "x")), y = number(fnd::valueForKey(count, "y"));
    double left = x - w / 2, top = y - 9 - (w + 24);
    ASSERT_TRUE(g.d.waitFor([&] {
        return ok(g.d.ui(kPhotos, {{"command", Value("tap")}, {"x", Value(left + 16)}, {"y", Value(top + 16)}}));
    }));
    ASSERT_TRUE(g.d.waitFor([&] { return g.find(kPhotos, "text", "Enter password to unlock album."); }));
    ASSERT_TRUE(g.press(kPhotos, "Cancel"));
    EXPECT_NE(g.library().find("Trips"), std::string::npos) << "not deleted without the password";
}

// A locked album open in the Albums tab closes when the app leaves the
// screen, even when another tab is the one on screen then.
TEST(LockGateOnADevice, ALockedAlbumOpenInATabNotOnScreenClosesWhenTheAppLeaves) {
    GateDevice g;
    g.setPrefs({{"passOption", Value(2)}, {"returnToMainLocked", Value(true)}});
    g.prepare({"Trips"});
    g.d.awaitObservers({kPhotos}, "com.zel.lumicrate12prefs/reloadPrefs");
    ASSERT_TRUE(g.tap("Albums"));
    ASSERT_TRUE(g.tap("See All"));
    ASSERT_TRUE(g.tap("Trips"));
    ASSERT_TRUE(g.albumOpen());
    ASSERT_TRUE(g.tap("Photos")); // the Photos tab
    ASSERT_EQ(e2e::lumisim({"background", kPhotos, "--root", g.d.root()}).status, 0);
    ASSERT_EQ(e2e::lumisim({"foreground", kPhotos, "--root", g.d.root()}).status, 0);
    ASSERT_TRUE(g.tap("Albums"));
    ASSERT_TRUE(g.d.waitFor([&] { return g.find(kPhotos, "label", "See All"); }))
        << "the Albums tab is back at its root";
    EXPECT_FALSE(g.find(kPhotos, "label", "Photo 1"));
}
