// The capture hand-off (each photo into the chosen album 1.5 s after its
// capture, and out of the camera roll) and the image well's picture, on the
// stock Camera app with the test's clock.

#include "sim/foundation/Dates.h"
#include "tests/tweak/camera/CameraFixture.h"

#include <set>

using namespace camtest;

namespace {

struct HandOff : CameraWithTweak {
    double now = fnd::nowSinceReferenceDate();

    void remember(const std::string& album, fnd::Dictionary more = {}) {
        writeAsSystem(lc::kAlbumTctPath, Value(fnd::Array{Value(album)}));
        more["rememberDefault"] = Value(true);
        prefs(std::move(more));
    }
    Ref<rt::Object> albumTitled(const std::string& title) {
        for (const auto& a : albums())
            if (rt::send<std::string>(a, "localizedTitle"_sel) == title) return a;
        return nullptr;
    }
    int albumsTitled(const std::string& title) {
        int n = 0;
        for (const auto& a : albums())
            n += rt::send<std::string>(a, "localizedTitle"_sel) == title;
        return n;
    }
    // Presses the shutter; the photo it saved (the one new asset, whatever its date).
    Ref<rt::Object> capture() {
        std::set<std::string> before;
        for (const auto& a : allImages())
            before.insert(idOf(a));
        pressShutter();
        Objects fresh;
        for (const auto& a : allImages())
            if (!before.count(idOf(a))) fresh.push_back(a);
        EXPECT_EQ(fresh.size(), 1u) << "the capture saved one photo";
        return fresh.empty() ? nullptr : fresh.front();
    }
    std::vector<std::string> ids(const Objects& assets) {
        std::vector<std::string> out;
        for (const auto& a : assets)
            out.push_back(idOf(a));
        return out;
    }
    Ref<rt::Object> wellImage() { return rt::send<Ref<rt::Object>>(part("imageWell"), "thumbnailImage"_sel); }
    gfx::CGSize sizeOf(const Ref<rt::Object>& image) { return rt::send<gfx::CGSize>(image, "size"_sel); }
};

constexpr gfx::CGSize kLandscapeInWell{175, 131}; // a capture (1200 × 900), aspect fit
constexpr gfx::CGSize kPortraitInWell{131, 175};  // a 300 × 400 photo

} // namespace

TEST_F(HandOff, WithCameraRollChosenACaptureChangesNothing) {
    launch(); // pickerMovePhotos is on by default
    auto photo = capture();
    wait(3);
    EXPECT_TRUE(albums().empty());
    EXPECT_FALSE(hidden(photo));
}

TEST_F(HandOff, ACaptureGoesIntoTheAlbumAndOutOfTheCameraRollAfterOneAndAHalfSeconds) {
    remember("Trips");
    launch();
    auto trips = addAlbum("Trips");
    addPhoto(now - 100, false, 300, 400);
    auto photo = capture();
    wait(1.4);
    EXPECT_TRUE(idsIn(trips).empty()) << "nothing before the timer";
    EXPECT_FALSE(hidden(photo));
    wait(0.2);
    EXPECT_EQ(idsIn(trips), std::vector<std::string>{idOf(photo)});
    EXPECT_TRUE(hidden(photo));
    EXPECT_EQ(albums().size(), 1u);
    ASSERT_TRUE(wellImage());
    EXPECT_EQ(sizeOf(wellImage()), kPortraitInWell) << "the well shows the photo before, the newest still visible";
}

TEST_F(HandOff, AfterTheOnlyPhotoIsHiddenTheWellIsEmpty) {
    remember("Trips");
    launch();
    capture();
    EXPECT_EQ(sizeOf(wellImage()), kLandscapeInWell) << "175 × 175, aspect fit, exact";
    wait(2);
    EXPECT_FALSE(wellImage());
}

TEST_F(HandOff, WithThePickerOffCapturesStayButTheWellShowsTheNewestVisibleImage) {
    remember("Trips", {{"enableCameraPicker", Value(false)}});
    launch();
    auto trips = addAlbum("Trips");
    auto photo = capture();
    wait(3);
    EXPECT_TRUE(idsIn(trips).empty());
    EXPECT_FALSE(hidden(photo));
    addPhoto(now + 100, true, 300, 400); // newer, but hidden
    EXPECT_EQ(sizeOf(wellImage()), kLandscapeInWell);

    // With the tweak turned off, the well answers as it does without it.
    prefs({{"enabled", Value(false)}});
    lc::reloadSettings();
    ASSERT_TRUE(wellImage());
    EXPECT_NE(sizeOf(wellImage()), kLandscapeInWell);
}

TEST_F(HandOff, AMissingAlbumIsCreatedOnceAndGetsTheSamePhotoThatIsHidden) {
    remember("Rome");
    launch();
    auto first = capture();
    wait(2);
    ASSERT_EQ(albumsTitled("Rome"), 1);
    EXPECT_EQ(idsIn(albumTitled("Rome")), std::vector<std::string>{idOf(first)});
    EXPECT_TRUE(hidden(first));
    auto second = capture();
    wait(2);
    EXPECT_EQ(albumsTitled("Rome"), 1) << "the album made for the first capture takes the second";
    EXPECT_EQ(idsIn(albumTitled("Rome")), (std::vector<std::string>{idOf(first), idOf(second)}));
}

TEST_F(HandOff, ThreeCapturesInsideOneAndAHalfSecondsEachHandOffTheirOwnPhoto) {
    remember("Trips", {{"pickerMovePhotos", Value(false)}});
    launch();
    auto trips = addAlbum("Trips");
    Objects taken;
    taken.push_back(capture());
    wait(0.5);
    taken.push_back(capture());
    wait(0.5);
    taken.push_back(capture());
    wait(1.4);
    EXPECT_EQ(idsIn(trips).size(), 2u) << "the first two timers have fired";
    wait(1);
    EXPECT_EQ(idsIn(trips), ids(taken)) << "each photo once, in the order taken";
    for (const auto& p : taken)
        EXPECT_FALSE(hidden(p));
}

TEST_F(HandOff, ThreeQuickCapturesAreAllHiddenWhenThePickerMovesPhotos) {
    remember("Trips");
    launch();
    auto trips = addAlbum("Trips");
    Objects taken;
    for (int i = 0; i < 3; ++i) {
        taken.push_back(capture());
        wait(0.4);
    }
    wait(2);
    EXPECT_EQ(idsIn(trips), ids(taken));
    for (const auto& p : taken)
        EXPECT_TRUE(hidden(p));
}

TEST_F(HandOff, WithNoNewVisibleImageAHandOffAddsAndHidesNothing) {
    remember("Rome", {{"pickerMovePhotos", Value(false)}});
    launch();
    auto hiddenPhoto = addPhoto(now - 100, true);
    auto engine = rt::sendClass<Ref<rt::Object>>(rt::getClass("CAMCaptureEngine"), "new"_sel);
    rt::send(engine, "movePhoto"_sel); // a hand-off with only a hidden image in the library
    settle();
    EXPECT_TRUE(albums().empty()) << "no album made for nothing";

    // A capture handed off, then a hand-off with no new photo (a failed
    // capture's): the photo already moved is not moved again, nor an older one.
    auto older = addPhoto(now - 50);
    auto photo = capture();
    wait(2);
    ASSERT_TRUE(albumTitled("Rome"));
    rt::send(engine, "movePhoto"_sel);
    settle();
    EXPECT_EQ(idsIn(albumTitled("Rome")), std::vector<std::string>{idOf(photo)});
    EXPECT_TRUE(hidden(hiddenPhoto));
    EXPECT_FALSE(hidden(older));
}

TEST_F(HandOff, ARememberedAlbumLockedSinceStillReceivesThePhotosAndNoAlbumIsCreatedPerCapture) {
    writeAsSystem(lc::kdataPath, Value(fnd::Array{Value("Trips")}));
    remember("Trips");
    launch();
    ASSERT_FALSE(lc::showLockedinCamera);
    auto trips = addAlbum("Trips");
    auto first = capture();
    wait(2);
    auto second = capture();
    wait(2);
    EXPECT_EQ(albumsTitled("Trips"), 1);
    EXPECT_EQ(idsIn(trips), (std::vector<std::string>{idOf(first), idOf(second)}));
    EXPECT_TRUE(hidden(first) && hidden(second));
    EXPECT_EQ(captionText(), "Trips");
}

// A hand-off acts on the photo its own capture saved: not on the newest photo
// in the library, which another process may have put there since, or which
// may be dated in the future.
TEST_F(HandOff, AFutureDatedPhotoInTheLibraryDoesNotStopLaterCapturesGoingIntoTheAlbum) {
    remember("Trips");
    launch();
    auto trips = addAlbum("Trips");
    auto tomorrow = addPhoto(now + 86400);
    Objects taken;
    for (int i = 0; i < 3; ++i) {
        taken.push_back(capture());
        wait(2);
    }
    EXPECT_EQ(idsIn(trips), ids(taken));
    for (const auto& p : taken)
        EXPECT_TRUE(hidden(p));
    EXPECT_FALSE(hidden(tomorrow)) << "a photo no capture made is left alone";
}

TEST_F(HandOff, PhotosImportedBetweenACaptureAndItsHandOffAreLeftAlone) {
    remember("Trips");
    launch();
    auto trips = addAlbum("Trips");
    Objects taken, imported;
    for (int i = 0; i < 3; ++i) {
        taken.push_back(capture());
        // Newer than the capture, saved before its timer fires.
        imported.push_back(addPhoto(now + 1000 + i));
        wait(0.5);
    }
    wait(2);
    EXPECT_EQ(idsIn(trips), ids(taken));
    for (const auto& p : imported)
        EXPECT_FALSE(hidden(p));
}

TEST_F(HandOff, AFailedCaptureHandsOffNothing) {
    remember("Trips");
    launch();
    auto trips = addAlbum("Trips");
    auto newest = addPhoto(now + 100);
    // The capture cannot be written: a file stands where its folder goes.
    fnd::setProcessIdentity({"com.apple.springboard", false, ""});
    ASSERT_TRUE(fnd::createDirectory(kCameraIdentity.container, true));
    ASSERT_TRUE(fnd::writeFileAtomically(std::string(kCameraIdentity.container) + "/tmp", "not a folder"));
    fnd::setProcessIdentity(kCameraIdentity);
    std::size_t before = allImages().size();
    pressShutter();
    wait(3);
    EXPECT_EQ(allImages().size(), before) << "the capture saved nothing";
    EXPECT_TRUE(idsIn(trips).empty());
    EXPECT_FALSE(hidden(newest));
}
