// The album list with lumicrate12: the picker's Move and Copy, the Camera
// Roll target, the count of hidden photos, a deleted album's photos brought
// back, and the switches, driven as a person would.

#include "tweak/photos/AlbumList.h"

#include "tests/tweak/photos/PhotosFixture.h"
#include "tweak/photos/PhotoMoves.h"

#include <sqlite3.h>

using namespace photostest;

namespace {

struct List : PhotosWithTweak {
    photos::AssetRecord a, b, c;
    void SetUp() override {
        PhotosWithTweak::SetUp();
        a = addPhoto(1);
        b = addPhoto(2);
        c = addPhoto(3);
    }
    // In the album (through the Albums page), "Select", a photo, "Add To".
    void pickFrom(const std::string& album, const std::string& photo = "Photo 1") {
        ASSERT_TRUE(tap("Albums"));
        ASSERT_TRUE(tap(album)) << album;
        ASSERT_TRUE(tap("Select"));
        ASSERT_TRUE(tap(photo));
        ASSERT_TRUE(tap("Add To"));
        ASSERT_EQ(rt::className(picker().get()), "PUAlbumListViewController");
    }
    // The same from the Photos tab (the camera roll's zoomable grid).
    void pickFromCameraRoll(const std::string& photo = "Photo 1") {
        ASSERT_TRUE(tap("Select"));
        ASSERT_TRUE(tap(photo));
        ASSERT_TRUE(tap("Add To"));
    }
    Ref<rt::Object> picker() { return rt::send<Ref<rt::Object>>(presented(), "topViewController"_sel); }
    Ref<rt::Object> tileIn(const Ref<rt::Object>& list, const std::string& title) {
        long n =
            rt::send<long>(rt::send<Ref<rt::Object>>(list, "collectionView"_sel), "numberOfItemsInSection:"_sel, 0L);
        for (long i = 0; i < n; ++i) {
            auto tile = rt::send<Ref<rt::Object>>(list, "_preparedAlbumListCellContentViewAtIndexPath:"_sel,
                                                  fnd::makeIndexPath(i, 0));
            if (tile && rt::send<std::string>(tile, "title"_sel) == title) return tile;
        }
        return nullptr;
    }
    bool in(const photos::AssetRecord& p, const std::string& album) {
        auto titles = albumTitlesOf(p.id);
        return std::find(titles.begin(), titles.end(), album) != titles.end();
    }
};

bool listEveryAlbum(rt::Id, rt::Sel, photos::PHCollection) { return true; }

} // namespace

TEST_F(List, PickerMoveTakesPhotosOutOfTheirAlbumAndTheCameraRollAndCopyOnlyAdds) {
    addAlbum("Trips", {a, b});
    addAlbum("Rome", {c});
    launch();
    pickFrom("Trips");
    ASSERT_TRUE(tap("Rome"));
    ASSERT_EQ(presentedTitle(), "Add photos to album");
    EXPECT_EQ(rt::send<std::string>(presented(), "message"_sel), "Move or copy photos to the album?");
    ASSERT_TRUE(press("Move"));
    EXPECT_TRUE(in(a, "Rome"));
    EXPECT_FALSE(in(a, "Trips"));
    EXPECT_TRUE(hidden(a.id)) << "out of the camera roll";
    EXPECT_TRUE(in(b, "Trips"));
    EXPECT_FALSE(hidden(b.id));
    EXPECT_EQ(presentedTitle(), "(none)") << "the picker closed";

    back();
    pickFrom("Trips"); // b is Trips' only photo now
    ASSERT_TRUE(tap("Rome"));
    ASSERT_TRUE(press("Copy"));
    EXPECT_TRUE(in(b, "Rome"));
    EXPECT_TRUE(in(b, "Trips"));
    EXPECT_FALSE(hidden(b.id));
    EXPECT_TRUE(stranded().empty());
}

TEST_F(List, PickerMoveFromTheCameraRollHidesAndAddsAndRemovesNothing) {
    addAlbum("Trips", {a});
    addAlbum("Rome", {c});
    launch();
    pickFromCameraRoll();
    EXPECT_FALSE(rt::send<bool>(tileIn(picker(), "Camera Roll"), "isEnabled"_sel))
        << "the camera roll is no target for its own photos";
    ASSERT_TRUE(tap("Rome"));
    ASSERT_TRUE(press("Move"));
    EXPECT_TRUE(in(a, "Rome"));
    EXPECT_TRUE(in(a, "Trips"));
    EXPECT_TRUE(hidden(a.id));
}

TEST_F(List, TheCameraRollTargetReturnsPhotosWithMoveOutOfTheirAlbumWithCopyKeepingThem) {
    addAlbum("Rome", {a, b, c});
    store->setHidden({a.id, b.id}, true);
    launch();
    pickFrom("Rome");
    auto target = tileIn(picker(), "Camera Roll");
    ASSERT_TRUE(target);
    EXPECT_TRUE(rt::send<bool>(target, "isEnabled"_sel));
    ASSERT_TRUE(tap("Camera Roll"));
    ASSERT_EQ(presentedTitle(), "Move photos");
    EXPECT_EQ(rt::send<std::string>(presented(), "message"_sel), "Move photos back to camera roll?");
    ASSERT_TRUE(press("Move"));
    EXPECT_FALSE(hidden(a.id));
    EXPECT_FALSE(in(a, "Rome"));
    EXPECT_EQ(presentedTitle(), "(none)") << "the picker closed";
    EXPECT_TRUE(rt::send<Objects>(top(), "selectedAssets"_sel).empty()) << "the album view left selection";

    back();
    pickFrom("Rome"); // b, before c
    ASSERT_TRUE(tap("Camera Roll"));
    ASSERT_TRUE(press("Copy"));
    EXPECT_FALSE(hidden(b.id));
    EXPECT_TRUE(in(b, "Rome"));
}

TEST_F(List, ALockedAlbumInThePickerAsksFirstThenOffersMoveOrCopy) {
    prefs({{"passOption", Value(2)}});
    addAlbum("Trips", {a});
    addAlbum("Rome", {c});
    lock({"Rome"});
    launch();
    pickFrom("Trips");
    ASSERT_TRUE(tap("Rome"));
    EXPECT_EQ(presentedTitle(), "(none)") << "no sheet before the answer";
    deliver();
    ASSERT_EQ(presentedTitle(), "Add photos to album");
    ASSERT_TRUE(press("Copy"));
    EXPECT_TRUE(in(a, "Rome"));
}

TEST_F(List, TilesCountHiddenPhotosAndRecordTheThumbnailSize) {
    addAlbum("Rome", {a, b});
    store->setHidden({a.id, b.id}, true);
    addAlbum("Trips", {a});
    lc::photoWidth = 0;
    lc::photoHeight = 0;
    launch();
    // Albums of hidden photos only are listed once the album filter is in;
    // here the list is told so directly.
    static rt::Orig<bool(photos::PHCollection)> stock;
    ASSERT_TRUE(rt::hookMessage<&listEveryAlbum>(rt::getClass("PXPhotoKitCollectionsDataSourceManager"),
                                                 "_containsAnyAssets:"_sel, &stock));
    ASSERT_TRUE(openList());
    EXPECT_EQ(rt::send<std::string>(tileIn(top(), "Rome"), "subtitle"_sel), "2") << "the stock count says 0";
    EXPECT_EQ(lc::photoWidth.load(), lc::photoHeight.load()) << "set together, from the strip and the tiles' passes";
    // A drag reloads the tiles (the stock list, then lumicrate12's reload):
    // the reused tiles have been laid out.
    ui({{"command", Value("drag")},
        {"x", Value(200.0)},
        {"y", Value(400.0)},
        {"toX", Value(200.0)},
        {"toY", Value(380.0)}});
    EXPECT_GT(lc::photoWidth.load(), 100);
    EXPECT_EQ(lc::photoWidth.load(), lc::photoHeight.load());
}

TEST_F(List, PhotosThatOnlyADeletedAlbumHeldComeBackEvenWhenEditingEndsBeforeTheDelete) {
    addAlbum("Trips", {a, b, c});
    addAlbum("Rome", {b, c});
    store->setHidden({a.id, b.id}, true);
    launch();
    ASSERT_TRUE(openList());
    ASSERT_TRUE(tap("Edit"));
    EXPECT_TRUE(lc::photosState().viewIsEditing);
    ASSERT_TRUE(tap("Delete Trips"));
    // "Done" before the confirmation's handler has deleted the album (it
    // runs once the sheet has closed): the photos still come back.
    ok(ui({{"command", Value("alert")}, {"button", Value("Delete Album")}}, false));
    ASSERT_TRUE(tap("Done"));
    EXPECT_FALSE(lc::photosState().viewIsEditing);
    EXPECT_TRUE(store->albumsWithTitle("Trips").empty());
    EXPECT_FALSE(hidden(a.id)) << "back in the camera roll";
    EXPECT_TRUE(hidden(b.id)) << "still in Rome";
    EXPECT_TRUE(lc::photosState().albumToDelete.empty());

    // A delete the user cancels shows nothing again.
    ASSERT_TRUE(tap("Edit"));
    ASSERT_TRUE(tap("Delete Rome"));
    ASSERT_TRUE(press("Cancel"));
    ASSERT_TRUE(tap("Done"));
    EXPECT_TRUE(hidden(b.id));
}

TEST_F(List, DeletingALockedAlbumAsksFirst) {
    prefs({{"passOption", Value(1)}});
    setPassword("pw");
    addAlbum("Trips", {a});
    lock({"Trips"});
    launch();
    ASSERT_TRUE(openList());
    ASSERT_TRUE(tap("Edit"));
    ASSERT_TRUE(tap("Delete Trips"));
    deliver();
    ASSERT_EQ(presentedTitle(), "Unlock album");
    ASSERT_TRUE(type("pw"));
    ASSERT_TRUE(press("OK"));
    ASSERT_TRUE(press("Delete Album")) << "the host's confirmation, after the grant";
    EXPECT_EQ(membersOf("Trips"), 0u);
    EXPECT_TRUE(store->albumsWithTitle("Trips").empty());
}

TEST_F(List, TheSwitchesHidePeoplePlacesTitlesAndTheTabBar) {
    addAlbum("Trips", {a});
    prefs({{"showPeople", Value(false)},
           {"showPlaces", Value(true)},
           {"layoutShowTitle", Value(false)},
           {"showTabMoments", Value(false)},
           {"showTabMemories", Value(false)},
           {"showTabShared", Value(false)},
           {"showTabAlbums", Value(true)}});
    launch();
    ASSERT_TRUE(openList());
    auto list = top();
    EXPECT_FALSE(rt::send<bool>(list, "showPeople"_sel));
    EXPECT_TRUE(rt::send<bool>(list, "showPlaces"_sel));
    auto trips = store->albumsWithTitle("Trips");
    auto album = photos::PHAssetCollection::fetchAssetCollectionsWithLocalIdentifiers_options({trips[0].uuid}, nullptr)
                     .firstObject();
    EXPECT_EQ(rt::send<std::string>(list, "titleForCollection:"_sel, album), "");
    EXPECT_EQ(rt::send<std::string>(list, "subtitleForCollection:"_sel, album), "1");
    EXPECT_TRUE(rt::send<bool>(list, "alwaysHideTabBar"_sel));
    EXPECT_TRUE(rt::send<bool>(list, "pu_wantsTabBarVisible"_sel));
}

// The rule the product keeps when an add does not happen: a Move whose add
// never reached an album hides nothing and takes nothing out.
TEST_F(List, AMoveWhoseAddNeverHappenedLeavesThePhotosWhereTheyWere) {
    addAlbum("Trips", {a});
    launch();
    ASSERT_TRUE(tap("Albums"));
    ASSERT_TRUE(tap("Trips"));
    ASSERT_TRUE(tap("Select"));
    ASSERT_TRUE(tap("Photo 1"));
    auto list = rt::sendClass<Ref<rt::Object>>(rt::getClass("PUAlbumListViewController"), "new"_sel);
    rt::send(list, "reloadCameraRollWithMove:"_sel, true);
    settle();
    EXPECT_TRUE(in(a, "Trips"));
    EXPECT_FALSE(hidden(a.id));
}

namespace {

// The list's tiles, in order (Camera Roll first).
std::vector<Ref<rt::Object>> tilesOf(const Ref<rt::Object>& list) {
    std::vector<Ref<rt::Object>> out;
    long n = rt::send<long>(rt::send<Ref<rt::Object>>(list, "collectionView"_sel), "numberOfItemsInSection:"_sel, 0L);
    for (long i = 0; i < n; ++i)
        out.push_back(rt::send<Ref<rt::Object>>(list, "_preparedAlbumListCellContentViewAtIndexPath:"_sel,
                                                fnd::makeIndexPath(i, 0)));
    return out;
}

// A finger on the item, as UIKit hands it to the list.
void select(const Ref<rt::Object>& list, long item) {
    rt::send(list, "collectionView:didSelectItemAtIndexPath:"_sel,
             rt::send<Ref<rt::Object>>(list, "collectionView"_sel), fnd::makeIndexPath(item, 0));
}

int failEveryStep(void*) { return 1; }

} // namespace

// Titles switched off blank every tile's title: the gate must still know
// the locked album, for opening it and for deleting it.
TEST_F(List, WithTitlesOffALockedAlbumStillAsksBeforeItOpensOrIsDeleted) {
    prefs({{"passOption", Value(1)}, {"layoutShowTitle", Value(false)}});
    setPassword("pw");
    addAlbum("Trips", {a});
    addAlbum("Rome", {b});
    lock({"Trips"});
    launch();
    ASSERT_TRUE(openList());
    auto tiles = tilesOf(top());
    ASSERT_GE(tiles.size(), 3u); // and People, Places
    EXPECT_EQ(rt::send<std::string>(tiles[1], "title"_sel), "") << "the tile shows no title";
    select(top(), 1);
    deliver();
    EXPECT_EQ(presentedTitle(), "Unlock album");
    EXPECT_EQ(topTitle(), "Albums") << "Trips waits for the password";
    ASSERT_TRUE(press("Cancel"));

    ASSERT_TRUE(tap("Edit"));
    rt::send(tilesOf(top())[1], "_deleteButtonTapped:"_sel, Ref<rt::Object>());
    deliver();
    EXPECT_EQ(presentedTitle(), "Unlock album") << "the delete asks too";
    ASSERT_TRUE(press("Cancel"));
    EXPECT_EQ(store->albumsWithTitle("Trips").size(), 1u);

    // An album that is not locked opens at once, titles or not.
    ASSERT_TRUE(tap("Done"));
    select(top(), 2);
    EXPECT_EQ(topTitle(), "Rome");
}

// Two albums may share a title: deleting one brings back the photos that
// only it held, and leaves the other's as they are.
TEST_F(List, DeletingOneOfTwoAlbumsWithOneTitleBringsBackOnlyItsOwnPhotos) {
    addAlbum("Trips", {a});
    addAlbum("Trips", {b});
    store->setHidden({a.id, b.id}, true);
    launch();
    ASSERT_TRUE(openList());
    ASSERT_TRUE(tap("Edit"));
    rt::send(tilesOf(top())[2], "_deleteButtonTapped:"_sel, Ref<rt::Object>());
    settle();
    ASSERT_TRUE(press("Delete Album"));
    ASSERT_TRUE(tap("Done"));
    ASSERT_EQ(store->albumsWithTitle("Trips").size(), 1u);
    EXPECT_TRUE(in(a, "Trips"));
    EXPECT_TRUE(hidden(a.id)) << "the other Trips still holds it";
    EXPECT_FALSE(hidden(b.id)) << "only the deleted Trips held it";
    EXPECT_TRUE(stranded().empty());
    EXPECT_TRUE(lc::photosState().albumToDelete.empty());
}

// A read of the library that fails while a deletion is settled (a locked or
// damaged database) is not taken for "the album is gone, its photos are in
// no album": nothing is acted on, and the deletion stays pending until a
// later check reads the library whole.
TEST_F(List, APendingDeleteIsNotSettledOnAFailedRead) {
    addAlbum("Trips", {a});
    store->setHidden({a.id}, true);
    launch();
    ASSERT_TRUE(openList());
    ASSERT_TRUE(tap("Edit"));
    ASSERT_TRUE(tap("Delete Trips"));
    ASSERT_TRUE(press("Cancel"));
    ASSERT_TRUE(tap("Done"));
    ASSERT_FALSE(lc::photosState().albumToDelete.empty()) << "pending while the album is there";
    // The album goes (as another device process would delete it) while the
    // library cannot be read; the list redraws.
    int64_t trips = store->albumsWithTitle("Trips").front().id;
    store->transaction([&](photos::Writer& w) { return w.deleteAlbum(trips); });
    auto failReads = [&](bool on) {
        store->read([on](photos::Database& db) {
            sqlite3_progress_handler(db.handle(), on ? 1 : 0, on ? &failEveryStep : nullptr, nullptr);
            return 0;
        });
    };
    failReads(true);
    rt::send(top(), "reloadContentView"_sel);
    settle();
    failReads(false);
    EXPECT_TRUE(hidden(a.id)) << "nothing acted on while the library could not be read";
    EXPECT_FALSE(lc::photosState().albumToDelete.empty()) << "still pending";

    rt::send(top(), "reloadContentView"_sel); // the next redraw reads the library whole
    settle();
    EXPECT_FALSE(hidden(a.id));
    EXPECT_TRUE(lc::photosState().albumToDelete.empty());
    EXPECT_TRUE(stranded().empty());
}

// The app ends between the delete and the photos' return: the next run
// finds the pending deletion in the app's container and brings the photos
// back. (A new run is played by forgetting what this one held in memory.)
TEST_F(List, APendingDeleteOutlivesTheAppAndIsSettledByTheNextRun) {
    addAlbum("Trips", {a, b});
    addAlbum("Rome", {b});
    store->setHidden({a.id, b.id}, true);
    launch();
    ASSERT_TRUE(openList());
    ASSERT_TRUE(tap("Edit"));
    ASSERT_TRUE(tap("Delete Trips"));
    ASSERT_TRUE(press("Cancel")); // pending: the album is still there
    ASSERT_TRUE(lc::readPendingDelete());
    EXPECT_EQ(lc::readPendingDelete()->photos.size(), 1u) << "only a: b is also in Rome";
    // The app ends; the album is deleted meanwhile (as the host's delete
    // landing just before the end would leave it).
    lc::photosState() = lc::PhotosState{};
    int64_t trips = store->albumsWithTitle("Trips").front().id;
    store->transaction([&](photos::Writer& w) { return w.deleteAlbum(trips); });
    ASSERT_TRUE(hidden(a.id));
    ASSERT_EQ(stranded(), (std::vector<int64_t>{a.id})) << "hidden in no album, for now";

    lc::resumePendingDelete(); // the next run's start-up
    settle();
    EXPECT_FALSE(hidden(a.id)) << "back in the camera roll";
    EXPECT_TRUE(hidden(b.id)) << "still in Rome";
    EXPECT_TRUE(stranded().empty());
    EXPECT_FALSE(lc::readPendingDelete()) << "settled, the file is gone";
}
