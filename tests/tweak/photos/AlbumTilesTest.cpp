// Album tiles with lumicrate12, driven as a person would: the padlock on a
// locked album's tile, the long press that locks and unlocks, the edit-mode
// move and lock buttons, the strip's gate, the counts and the fonts.

#include "sim/uikit/UIScreen.h"
#include "tests/tweak/photos/PhotosFixture.h"
#include "tweak/photos/AlbumGadget.h"
#include "tweak/photos/TileLayout.h"

#include <functional>

using namespace photostest;

namespace {

struct Tiles : PhotosWithTweak {
    photos::AssetRecord a, b, c, d, e;
    void SetUp() override {
        PhotosWithTweak::SetUp();
        a = addPhoto(1), b = addPhoto(2), c = addPhoto(3), d = addPhoto(4), e = addPhoto(5);
        addAlbum("Trips", {a, b, c, d, e});
        store->setHidden({d.id, e.id}, true); // 3 visible, 2 moved out of the camera roll
        addAlbum("Rome", {a});
    }
    // Every tile on screen (the strip's, or the list's) that stands for the album titled so.
    static std::vector<Ref<rt::Object>> tilesOf(const std::string& title) {
        std::vector<Ref<rt::Object>> out;
        std::function<void(const Ref<rt::Object>&)> walk = [&](const Ref<rt::Object>& v) {
            if (rt::className(v.get()) == "PUAlbumListCellContentView") {
                auto shown = rt::send<Ref<rt::Object>>(v, "collection"_sel);
                if (shown && rt::send<std::string>(shown, "localizedTitle"_sel) == title) out.push_back(v);
            }
            for (const auto& s : rt::send<Objects>(v, "subviews"_sel))
                walk(s);
        };
        walk(uikit::keyWindow());
        return out;
    }
    static Ref<rt::Object> tileOf(const std::string& title) {
        auto all = tilesOf(title);
        return all.empty() ? nullptr : all.front();
    }
    static Ref<rt::Object> tagged(const Ref<rt::Object>& tile, long tag) {
        auto v = rt::send<Ref<rt::Object>>(tile, "viewWithTag:"_sel, tag);
        return v == tile ? nullptr : v;
    }
    static gfx::CGRect frameOf(const Ref<rt::Object>& v) { return rt::send<gfx::CGRect>(v, "frame"_sel); }
    bool longPress(const std::string& label) {
        bool pressed = ok(ui({{"command", Value("long-press")}, {"label", Value(label)}, {"seconds", Value(1.2)}}));
        settle();
        return pressed;
    }
    bool lockedInFile(const std::string& title) {
        deliver();
        lc::reloadLockedAlbums();
        return lc::isLocked(title);
    }
};

} // namespace

TEST_F(Tiles, ShowingTheStripSizesTheThumbnailsFromTheScreen) {
    EXPECT_EQ(lc::stripThumbnailSide(375), 164);
    EXPECT_EQ(lc::stripThumbnailSide(414), 181);
    uikit::setScreenModel("iphone8plus");
    launch();
    ASSERT_TRUE(tap("Albums"));
    EXPECT_EQ(lc::photoWidth.load(), lc::photoHeight.load());
    EXPECT_GE(lc::photoWidth.load(), 100);
    auto lockIcon = lc::lockIconFrame(163);
    EXPECT_EQ((gfx::CGRect{{lockIcon.x, lockIcon.y}, {lockIcon.width, lockIcon.height}}),
              (gfx::CGRect{{56, 56}, {50, 50}}));
}

// A long press on an unlocked tile locks it at once, with a pulse; the
// padlock comes with the next layout, 0.1 s later. A long press on the
// locked tile asks (here the tweak's password), and once granted unlocks it.
TEST_F(Tiles, ALongPressLocksAtOnceAndUnlocksThroughTheGate) {
    prefs({{"passOption", Value(1)}});
    setPassword("pw");
    launch();
    ASSERT_TRUE(tap("Albums"));
    int pulses = uikit::tapticActuations();
    ASSERT_TRUE(longPress("Trips"));
    EXPECT_TRUE(lockedInFile("Trips"));
    EXPECT_EQ(uikit::tapticActuations(), pulses + 1);
    Ref<rt::Object> tile = tileOf("Trips");
    Ref<rt::Object> overlay = tagged(tile, lc::kLockViewTag);
    ASSERT_TRUE(overlay) << "the padlock";
    EXPECT_EQ(rt::className(overlay.get()), "LCLockView");
    EXPECT_EQ(rt::send<Ref<rt::Object>>(overlay, "photoView"_sel), rt::send<Ref<rt::Object>>(tile, "stackView"_sel));
    auto sub = rt::send<Objects>(overlay, "subviews"_sel);
    ASSERT_EQ(sub.size(), 2u);
    EXPECT_EQ(rt::className(sub[0].get()), "UIVisualEffectView");
    EXPECT_EQ(rt::send<long>(sub[1], "tag"_sel), lc::kLockImageTag);
    EXPECT_EQ(rt::className(sub[1].get()), "UIImageView") << "whitelock.png (drawn when the package is installed)";

    ASSERT_TRUE(longPress("Trips"));
    deliver();
    ASSERT_EQ(presentedTitle(), "Unlock album");
    ASSERT_TRUE(type("pw"));
    ASSERT_TRUE(press("OK"));
    EXPECT_FALSE(lockedInFile("Trips"));
    EXPECT_FALSE(tagged(tileOf("Trips"), lc::kLockViewTag)) << "the padlock goes with the next layout";
    EXPECT_FALSE(lc::photosState().unlocked);
}

// The strip's tap on a locked album passes the gate; the tile's name and its
// picture alike.
TEST_F(Tiles, ATapOnALockedAlbumInTheStripAsksFirst) {
    prefs({{"passOption", Value(1)}});
    setPassword("pw");
    lock({"Trips"});
    launch();
    ASSERT_TRUE(tap("Albums"));
    ASSERT_TRUE(tap("Trips"));
    deliver();
    ASSERT_EQ(presentedTitle(), "Unlock album") << "the strip asks";
    ASSERT_TRUE(press("Cancel"));
    EXPECT_EQ(topTitle(), "Albums");
    ASSERT_TRUE(tap("Trips"));
    deliver();
    ASSERT_TRUE(type("pw"));
    ASSERT_TRUE(press("OK"));
    EXPECT_EQ(topTitle(), "Trips");
    EXPECT_TRUE(lc::photosState().inLockedAlbum);
}

// Counts, fonts and the single long-press recognizer.
TEST_F(Tiles, ATileCountsItsHiddenPhotosFollowsTheFontsAndGetsOneLongPress) {
    launch();
    ASSERT_TRUE(openList());
    Ref<rt::Object> tile = tileOf("Trips");
    ASSERT_TRUE(tile);
    rt::send(tile, "layoutSubviews"_sel);
    EXPECT_EQ(rt::send<std::string>(tile, "subtitle"_sel), "5") << "3 visible and 2 moved out";
    store->addMembers(store->albumsWithTitle("Trips").front().id, {addPhoto(6).id});
    rt::send(tile, "setSubtitle:"_sel, std::string("1")); // as the stock count would say it
    rt::send(tile, "layoutSubviews"_sel);
    EXPECT_EQ(rt::send<std::string>(tile, "subtitle"_sel), "6") << "counted again after a change of the library";
    store->setHidden({a.id}, true);
    rt::send(tile, "setSubtitle:"_sel, std::string("1"));
    rt::send(tile, "layoutSubviews"_sel);
    EXPECT_EQ(rt::send<std::string>(tile, "subtitle"_sel), "6") << "a hidden photo still counts";
    auto subtitleSize = [&] {
        auto font = rt::send<Ref<rt::Object>>(rt::send<Ref<rt::Object>>(tile, "_subtitleLabel"_sel), "font"_sel);
        return rt::send<double>(font, "pointSize"_sel);
    };
    EXPECT_EQ(subtitleSize(), 14) << "the settings' default size";
    prefs({{"layoutFontSize", Value(14)}, {"layoutShowSubtitle", Value(false)}});
    lc::reloadSettings();
    rt::send(tile, "layoutSubviews"_sel);
    auto titleFont = rt::send<Ref<rt::Object>>(rt::send<Ref<rt::Object>>(tile, "_titleTextField"_sel), "font"_sel);
    auto subtitleFont = rt::send<Ref<rt::Object>>(rt::send<Ref<rt::Object>>(tile, "_subtitleLabel"_sel), "font"_sel);
    EXPECT_EQ(rt::send<double>(titleFont, "pointSize"_sel), 14);
    EXPECT_EQ(rt::send<double>(subtitleFont, "pointSize"_sel), 0) << "subtitles off";
    rt::send(tile, "layoutSubviews"_sel);
    EXPECT_EQ(rt::send<Objects>(tile, "gestureRecognizers"_sel).size(), 1u);
    Ref<rt::Object> roll = tileOf("Camera Roll");
    ASSERT_TRUE(roll);
    EXPECT_NE(rt::send<std::string>(roll, "subtitle"_sel), "5") << "a smart album keeps its stock count";
}

// Edit mode: the move and lock buttons, added once, gone when editing ends,
// never on a tile that cannot be deleted.
TEST_F(Tiles, EditModeAddsTheMoveAndLockButtonsOnceAndLeavingItRemovesThem) {
    launch();
    ASSERT_TRUE(openList());
    ASSERT_TRUE(tap("Edit"));
    Ref<rt::Object> tile = tileOf("Trips");
    Ref<rt::Object> move = tagged(tile, lc::kMoveButtonTag), lockButton = tagged(tile, lc::kLockButtonTag);
    ASSERT_TRUE(move && lockButton);
    EXPECT_EQ(frameOf(move), (gfx::CGRect{{0, 40}, {22, 22}}));
    EXPECT_EQ(frameOf(lockButton), (gfx::CGRect{{0, 70}, {22, 22}}));
    rt::send(tile, "setEditing:animated:"_sel, true, false);
    rt::send(tile, "createButtons"_sel);
    std::size_t buttons = 0;
    for (const auto& v : rt::send<Objects>(tile, "subviews"_sel)) {
        long tag = rt::send<long>(v, "tag"_sel);
        buttons += tag == lc::kMoveButtonTag || tag == lc::kLockButtonTag;
    }
    EXPECT_EQ(buttons, 2u) << "no second pair";
    EXPECT_FALSE(tagged(tileOf("Camera Roll"), lc::kMoveButtonTag)) << "a tile that cannot be deleted";
    ASSERT_TRUE(tap("Done"));
    rt::send(tileOf("Trips"), "layoutSubviews"_sel);
    EXPECT_FALSE(tagged(tileOf("Trips"), lc::kMoveButtonTag));
    EXPECT_FALSE(tagged(tileOf("Trips"), lc::kLockButtonTag));
}

// The lock button locks at once (no pulse); on a locked album it asks, and
// unlocks with a pulse. The move button asks before the sheet for a locked
// album; "Move out of camera roll" moves the tile's own album.
TEST_F(Tiles, TheLockAndMoveButtonsLockUnlockAndMoveThroughTheGate) {
    prefs({{"passOption", Value(1)}});
    setPassword("pw");
    launch();
    ASSERT_TRUE(openList());
    ASSERT_TRUE(tap("Edit"));
    int pulses = uikit::tapticActuations();
    ASSERT_TRUE(tap("Lock Rome"));
    EXPECT_TRUE(lockedInFile("Rome"));
    EXPECT_EQ(uikit::tapticActuations(), pulses);
    EXPECT_TRUE(tagged(tileOf("Rome"), lc::kLockViewTag)) << "the padlock after the refresh";

    ASSERT_TRUE(tap("Move Rome"));
    deliver();
    ASSERT_EQ(presentedTitle(), "Unlock album") << "a locked album's move asks first";
    ASSERT_TRUE(type("pw"));
    ASSERT_TRUE(press("OK"));
    ASSERT_EQ(presentedTitle(), "Move Album");
    ASSERT_TRUE(press("Move out of camera roll"));
    EXPECT_TRUE(hidden(a.id)) << "Rome's photo left the camera roll";
    EXPECT_EQ(membersOf("Rome"), 1u);

    ASSERT_TRUE(tap("Lock Rome"));
    deliver();
    ASSERT_TRUE(type("pw"));
    ASSERT_TRUE(press("OK"));
    EXPECT_FALSE(lockedInFile("Rome"));
    EXPECT_EQ(uikit::tapticActuations(), pulses + 1) << "the unlock's pulse";

    ASSERT_TRUE(tap("Move Trips")); // not locked: the sheet at once
    ASSERT_EQ(presentedTitle(), "Move Album");
    ASSERT_TRUE(press("Return to camera roll"));
    EXPECT_FALSE(hidden(d.id));
    EXPECT_FALSE(hidden(e.id));
    EXPECT_TRUE(stranded().empty());
}

// Two albums with one title: the list holds titles, so they lock together;
// each tile moves its own album's photos.
TEST_F(Tiles, TwoAlbumsWithOneTitleLockTogetherAndEachMovesItsOwnPhotos) {
    addAlbum("Rome", {b});
    launch();
    ASSERT_TRUE(openList());
    ASSERT_TRUE(tap("Edit"));
    auto romes = tilesOf("Rome");
    ASSERT_EQ(romes.size(), 2u);
    rt::send(romes[1], "lockAlbum"_sel);
    EXPECT_TRUE(lockedInFile("Rome"));
    for (const auto& t : tilesOf("Rome"))
        EXPECT_TRUE(tagged(t, lc::kLockViewTag));
    prefs({{"passOption", Value(2)}});
    rt::send(tilesOf("Rome")[1], "askToMoveAlbum"_sel);
    deliver();
    ASSERT_TRUE(press("Move out of camera roll"));
    EXPECT_TRUE(hidden(b.id)) << "the second Rome's photo";
    EXPECT_FALSE(hidden(a.id)) << "the first Rome's stays";
}
