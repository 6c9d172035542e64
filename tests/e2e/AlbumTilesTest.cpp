// Album tiles on a booted device: a long press locks an album (its tile
// then shows the dark padlock in a screenshot) and the owner unlocks it;
// the edit-mode move button moves an album's photos out of the camera roll;
// a locked album opens from no place of the Photos app without the gate;
// the move's message and spinner stay while its batch runs; and a delete
// pending when the app is killed is settled by its next start.

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "sim/graphics/Image.h"
#include "sim/photos/PhotoStore.h"
#include "sim/photos/Sqlite.h"
#include "tests/e2e/E2EDevice.h"

#include <filesystem>
#include <gtest/gtest.h>

using e2e::Device;
using e2e::kPhotos;
using e2e::kSpringBoard;
using e2e::ok;
using fnd::Dictionary;
using fnd::Value;

namespace {

constexpr const char* kLocked = "/var/mobile/Library/lumicrate/lockedAlbums.plist";

struct TilesDevice {
    Device d{true, "iphone8", {"--passcode", "1234", "--touch-id"}};

    bool find(const char* app, const char* key, const std::string& value) { return d.shows(app, key, Value(value)); }
    bool tap(const char* key, const std::string& value) { return d.tapWhenShown(kPhotos, key, Value(value)); }
    bool tap(const std::string& label) { return tap("label", label); }
    bool press(const char* app, const std::string& button) { return d.pressWhenShown(app, button); }
    // A long press, once the finger of the last one has lifted.
    bool longPress(const std::string& label) {
        return d.waitFor([&] {
            return ok(
                d.ui(kPhotos, {{"command", Value("long-press")}, {"label", Value(label)}, {"seconds", Value(1.3)}}));
        });
    }
    bool padlockShown() { return d.shows(kPhotos, "tag", Value(202)); }
    bool locked(const std::string& title) {
        auto list = fnd::readArrayFile(kLocked);
        if (!list) return false;
        for (const auto& v : *list)
            if (v.string() && *v.string() == title) return true;
        return false;
    }
    bool ownerAsks(const std::string& title) {
        return d.waitFor([&] { return find(kSpringBoard, "text", title + " needs to be unlocked."); });
    }
    std::string library() { return e2e::lumisim({"library", "--root", d.root()}).output; }
    // The screen's pixel under a point (in points) of the Photos app's screen.
    std::optional<std::uint32_t> pixelAt(double x, double y) {
        Dictionary answer = d.ui(kPhotos, {{"command", Value("screenshot")}});
        const fnd::Data* png = fnd::valueForKey(answer, "png").data();
        if (!png) return std::nullopt;
        auto image = gfx::Image::decode(*png);
        if (!image) return std::nullopt;
        double scale = image->width() / 375.0;
        return image->pixel(static_cast<int>(x * scale), static_cast<int>(y * scale));
    }
    static int brightness(std::uint32_t px) {
        return static_cast<int>(((px >> 16) & 0xFF) + ((px >> 8) & 0xFF) + (px & 0xFF));
    }
    static double number(const Value& v) { return v.real() ? *v.real() : 0.0; }
};

} // namespace

TEST(AlbumTilesOnADevice, ALongPressLocksWithThePadlockTheOwnerUnlocksAndTheMoveButtonMovesPhotosOut) {
    TilesDevice t;
    std::vector<std::string> files = t.d.samplePhotos(3);
    ASSERT_EQ(e2e::lumisim({"addmedia", files[0], files[1], "--album", "Trips", "--root", t.d.root()}).status, 0);
    ASSERT_EQ(e2e::lumisim({"addmedia", files[2], "--album", "Rome", "--root", t.d.root()}).status, 0);
    t.d.launch(kPhotos);
    ASSERT_TRUE(t.tap("Albums"));
    ASSERT_TRUE(t.d.waitFor([&] { return t.find(kPhotos, "label", "Trips"); }));
    Dictionary tile = t.d.ui(kPhotos, {{"command", Value("find")}, {"label", Value("Trips")}});
    double x = TilesDevice::number(fnd::valueForKey(tile, "x")), y = TilesDevice::number(fnd::valueForKey(tile, "y"));
    // A point of the thumbnail away from the padlock, before the lock.
    auto before = t.pixelAt(x - 50, y - 50);
    ASSERT_TRUE(before);

    ASSERT_TRUE(t.longPress("Trips"));
    ASSERT_TRUE(t.d.waitFor([&] { return t.locked("Trips"); })) << "locked at once, through SpringBoard";
    ASSERT_TRUE(t.d.waitFor([&] { return t.padlockShown(); })) << "the padlock";
    auto after = t.pixelAt(x - 50, y - 50);
    ASSERT_TRUE(after);
    EXPECT_LT(TilesDevice::brightness(*after), TilesDevice::brightness(*before)) << "the dark blur over the photo";

    // Unlocking asks the owner.
    ASSERT_TRUE(t.longPress("Trips"));
    ASSERT_TRUE(t.ownerAsks("Trips"));
    EXPECT_TRUE(t.locked("Trips")) << "still locked while the owner is asked";
    ASSERT_TRUE(ok(t.d.ui(kSpringBoard, {{"command", Value("touch-id")}, {"finger", Value("enrolled")}})));
    ASSERT_TRUE(t.d.waitFor([&] { return !t.locked("Trips"); })) << [&] {
        std::string all;
        for (const auto& l : t.d.logLines())
            all += l + "\n";
        return all;
    }();
    ASSERT_TRUE(t.d.waitFor([&] { return !t.padlockShown(); })) << "the padlock goes";

    // The move button in edit mode: out of the camera roll, still in the album.
    ASSERT_TRUE(t.tap("See All"));
    ASSERT_TRUE(t.tap("Edit"));
    ASSERT_TRUE(t.tap("Move Trips"));
    ASSERT_TRUE(t.press(kPhotos, "Move out of camera roll"));
    ASSERT_TRUE(t.d.waitFor([&] { return t.library().find("Trips  0 visible, 2 hidden") != std::string::npos; }))
        << t.library();
    ASSERT_TRUE(t.d.waitFor([&] { return t.find(kPhotos, "text", "Finished moving"); }));
}

// Trips locked, and Oslo, in the folder Travel. Every way to open them asks
// the owner first: the strip's picture and name, the list's picture and
// name, the folder's list.
TEST(AlbumTilesOnADevice, ALockedAlbumOpensFromNoPlaceWithoutTheGate) {
    TilesDevice t;
    std::vector<std::string> files = t.d.samplePhotos(2);
    ASSERT_EQ(e2e::lumisim({"addmedia", files[0], "--album", "Trips", "--root", t.d.root()}).status, 0);
    ASSERT_EQ(e2e::lumisim({"mkalbum", "Oslo", "--folder", "Travel", "--root", t.d.root()}).status, 0);
    ASSERT_EQ(e2e::lumisim({"addmedia", files[1], "--album", "Oslo", "--root", t.d.root()}).status, 0);
    ASSERT_TRUE(t.d.lockAlbums({"Trips", "Oslo"}));
    t.d.launch(kPhotos);
    ASSERT_TRUE(t.tap("Albums"));
    auto asksAndStaysClosed = [&](const std::string& title, const char* how) {
        EXPECT_TRUE(t.ownerAsks(title)) << how;
        EXPECT_FALSE(t.find(kPhotos, "label", "Select")) << how << ": the album waits for the owner";
        EXPECT_TRUE(t.press(kSpringBoard, "Cancel")) << how;
        EXPECT_TRUE(t.d.waitFor([&] { return !t.find(kSpringBoard, "text", title + " needs to be unlocked."); }));
    };
    ASSERT_TRUE(t.tap("label", "Trips"));
    asksAndStaysClosed("Trips", "the strip's picture");
    ASSERT_TRUE(t.tap("text", "Trips"));
    asksAndStaysClosed("Trips", "the strip's name");
    ASSERT_TRUE(t.tap("See All"));
    ASSERT_TRUE(t.tap("label", "Trips"));
    asksAndStaysClosed("Trips", "the list's picture");
    ASSERT_TRUE(t.tap("text", "Trips"));
    asksAndStaysClosed("Trips", "the list's name");
    ASSERT_TRUE(t.tap("label", "Travel"));
    ASSERT_TRUE(t.tap("label", "Oslo"));
    asksAndStaysClosed("Oslo", "the folder's list");
}

// The move's staying message and spinner are on screen for as long as the
// batch runs. Another process holds the library's write lock, so the batch
// waits for it; once the lock goes, the batch lands and "Finished moving"
// replaces both.
TEST(AlbumTilesOnADevice, TheMoveShowsItsMessageAndSpinnerUntilTheBatchLands) {
    TilesDevice t;
    std::vector<std::string> files = t.d.samplePhotos(2);
    ASSERT_EQ(e2e::lumisim({"addmedia", files[0], files[1], "--album", "Trips", "--root", t.d.root()}).status, 0);
    t.d.launch(kPhotos);
    ASSERT_TRUE(t.tap("Albums"));
    ASSERT_TRUE(t.tap("See All"));
    ASSERT_TRUE(t.tap("Edit"));
    ASSERT_TRUE(t.tap("Move Trips"));
    ASSERT_TRUE(t.d.shows(kPhotos, "text", Value("Move out of camera roll")));

    auto busy = photos::Database::open(fnd::hostPath(photos::kLibraryPath).string());
    ASSERT_TRUE(busy);
    ASSERT_TRUE(busy->exec("BEGIN IMMEDIATE")) << busy->lastError();
    ASSERT_TRUE(t.press(kPhotos, "Move out of camera roll"));
    EXPECT_TRUE(t.d.waitFor([&] { return t.find(kPhotos, "text", "Moving photos"); }));
    EXPECT_TRUE(t.d.shows(kPhotos, "class", Value("UIActivityIndicatorView"))) << "the spinner";
    EXPECT_NE(t.library().find("Trips  2 photos"), std::string::npos) << "nothing moved yet";
    ASSERT_TRUE(busy->exec("ROLLBACK"));

    ASSERT_TRUE(t.d.waitFor([&] { return t.find(kPhotos, "text", "Finished moving"); }));
    EXPECT_TRUE(t.d.waitFor([&] { return !t.d.shows(kPhotos, "class", Value("UIActivityIndicatorView")); }))
        << "no spinner left";
    EXPECT_FALSE(t.find(kPhotos, "text", "Moving photos")) << "no staying message left";
    EXPECT_NE(t.library().find("Trips  0 visible, 2 hidden"), std::string::npos) << t.library();
}

// A delete asked for in the Photos app and then the app killed: the delete
// lands in the library without the app (as a delete committed just before
// the kill would), and the album's moved-out photos, hidden in no album,
// return to the camera roll at the app's next start.
TEST(AlbumTilesOnADevice, APendingDeleteSurvivesTheAppBeingKilled) {
    TilesDevice t;
    std::vector<std::string> files = t.d.samplePhotos(2);
    ASSERT_EQ(
        e2e::lumisim({"addmedia", files[0], files[1], "--album", "Trips", "--hidden", "--root", t.d.root()}).status, 0);
    t.d.launch(kPhotos);
    ASSERT_TRUE(t.tap("Albums"));
    ASSERT_TRUE(t.tap("See All"));
    ASSERT_TRUE(t.tap("Edit"));
    ASSERT_TRUE(t.tap("Delete Trips"));
    ASSERT_TRUE(t.d.shows(kPhotos, "text", Value("Delete Album")));
    auto pendingFile = [&] {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(t.d.root()))
            if (entry.path().filename() == "com.zel.lumicrate12.pendingDelete.plist") return true;
        return false;
    };
    ASSERT_TRUE(pendingFile()) << "the pending delete is on disk before the sheet's answer";

    ASSERT_EQ(e2e::lumisim({"terminate", kPhotos, "--root", t.d.root()}).status, 0);
    ASSERT_TRUE(t.d.waitFor([&] { return !t.d.pidOf(kPhotos); }));
    {
        auto store = photos::PhotoStore::open();
        ASSERT_TRUE(store);
        int64_t trips = store->albumsWithTitle("Trips").front().id;
        ASSERT_TRUE(store->transaction([&](photos::Writer& w) { return w.deleteAlbum(trips); }));
    }
    ASSERT_NE(t.library().find("hidden  albums: -"), std::string::npos) << "hidden in no album, for now\n"
                                                                        << t.library();

    t.d.launch(kPhotos);
    EXPECT_TRUE(t.d.waitFor([&] { return t.library().find("hidden") == std::string::npos; }))
        << "both back in the camera roll\n"
        << t.library();
    EXPECT_TRUE(t.d.waitFor([&] { return !pendingFile(); })) << "settled, the file is gone";
}
