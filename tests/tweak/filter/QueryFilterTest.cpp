// The privacy filter as an app sees it: each hook's rules, by process.

#include "tests/tweak/filter/FilterFixture.h"

using namespace filtertest;

namespace {

// A locked album reaches a third-party app by no reading of an album fetch,
// nor by its assets or its key photo; unlocked, every path shows it again.
TEST_F(Filter, ALockedAlbumIsLeftOutOfEveryReadingOfAnAlbumFetchAndItsPhotosAreNoResult) {
    auto p = addPhoto();
    auto trips = addAlbum("Trips", {p}), rome = addAlbum("Rome", {p});
    lock({"Trips"});
    start();
    auto albums = regularAlbums();
    EXPECT_EQ(titles(albums.fetchedObjects()), (Titles{"Rome"}));
    EXPECT_EQ(albums.count(), 1u);
    EXPECT_EQ(albums.firstObject().localizedTitle(), "Rome");
    EXPECT_EQ(albums.lastObject().localizedTitle(), "Rome");
    EXPECT_EQ(albums.objectAtIndex(0).localizedTitle(), "Rome");
    Titles enumerated;
    albums.enumerateObjectsUsingBlock(
        [&](PHAssetCollection c, unsigned long, bool*) { enumerated.push_back(c.localizedTitle()); });
    EXPECT_EQ(enumerated, (Titles{"Rome"}));
    EXPECT_FALSE(albums.containsObject(album(trips)));
    EXPECT_EQ(albums.indexOfObject(album(rome)), 0);
    EXPECT_FALSE(albums.fetchedObjectIDsSet()) << "no set outside Photos";

    auto byId = PHAssetCollection::fetchAssetCollectionsWithLocalIdentifiers_options(
        {album(trips).localIdentifier(), album(rome).localIdentifier()}, nullptr);
    EXPECT_EQ(byId.count(), 1u) << "a remembered identifier does not bring it back";
    auto containing = PHAssetCollection::fetchAssetCollectionsContainingAsset_withType_options(
        PHAsset(makeAsset(p)), PHAssetCollectionTypeAlbum, nullptr);
    EXPECT_EQ(titles(containing.fetchedObjects()), (Titles{"Rome"}));
    EXPECT_EQ(containing.count(), 1u);

    EXPECT_EQ(uuids(assetsIn(album(trips))), (std::vector<std::string>{"none"}));
    EXPECT_FALSE(PHAsset::fetchKeyAssetsInAssetCollection_options(album(trips), nullptr));
    EXPECT_EQ(uuids(assetsIn(album(rome))), (std::vector<std::string>{p.uuid}));

    lock({});
    EXPECT_EQ(titles(regularAlbums().fetchedObjects()), (Titles{"Trips", "Rome"}));
    EXPECT_EQ(albums.count(), 2u) << "a result kept by the app shows the change at its next reading";
    EXPECT_EQ(uuids(assetsIn(album(trips))), (std::vector<std::string>{p.uuid}));
    EXPECT_EQ(PHAsset::fetchKeyAssetsInAssetCollection_options(album(trips), nullptr).count(), 1u);
}

TEST_F(Filter, TheTopListLeavesALockedAlbumOutOnlyWhileHideLockedFromAppsIsOn) {
    addAlbum("Trips", {addPhoto()});
    addAlbum("Rome", {});
    lock({"Trips"});
    start();
    EXPECT_EQ(topList(), (Titles{"Rome"}));
    EXPECT_EQ(titles(PHCollection::fetchTopLevelUserCollectionsWithOptions(nullptr).fetchedObjects()),
              (Titles{"Rome"}));
    prefs({{"hideLockedFromApps", Value(false)}});
    EXPECT_EQ(topList(), (Titles{"Trips", "Rome"}));
    EXPECT_EQ(titles(regularAlbums().fetchedObjects()), (Titles{"Rome"})) << "the album fetch drops it whatever";
}

// Albums in folders come into the list as transient copies with their
// photos, hidden ones too; a locked one's copy is empty, and one switched
// off stays out while hideFoldersInApps is on.
TEST_F(Filter, AlbumsInFoldersAppearAsTransientCopiesEmptyWhenLockedAndOutWhenSwitchedOff) {
    auto shown = addPhoto(), hidden = addPhoto({.hidden = true});
    auto travel = store->createFolder("Travel").value();
    addAlbum("Top", {shown});
    addAlbum("Rome", {shown, hidden}, travel.id);
    addAlbum("Paris", {shown}, travel.id);
    addAlbum("Oslo", {shown}, travel.id);
    prefs({{"albumNameOslo", Value(false)}});
    start();
    auto list = userCollectionsList().collections();
    EXPECT_EQ(titles(list), (Titles{"Top", "Travel", "Rome", "Paris"}));
    PHAssetCollection rome = list[2].as<PHAssetCollection>();
    EXPECT_EQ(uuids(assetsIn(rome)), (std::vector<std::string>{shown.uuid, hidden.uuid}));

    lock({"Rome"});
    EXPECT_EQ(topList(), (Titles{"Top", "Travel", "Paris"})) << "a locked album's title stays out";
    prefs({{"albumNameOslo", Value(false)}, {"hideLockedFromApps", Value(false)}});
    list = userCollectionsList().collections();
    EXPECT_EQ(titles(list), (Titles{"Top", "Travel", "Rome", "Paris"}));
    EXPECT_EQ(list[2].as<PHAssetCollection>().estimatedAssetCount(), 0u) << "the locked album's copy is empty";
    EXPECT_EQ(uuids(assetsIn(list[2].as<PHAssetCollection>())), (std::vector<std::string>{"none"}))
        << "and its title is locked";

    prefs({{"albumNameOslo", Value(false)}, {"hideFoldersInApps", Value(false)}});
    EXPECT_EQ(topList(), (Titles{"Top", "Travel", "Paris", "Oslo"}));
}

// A folder's own list gets the copies of every album it does not hold.
TEST_F(Filter, AFolderListsItsOwnAlbumsThenCopiesOfTheOthers) {
    auto travel = store->createFolder("Travel").value();
    addAlbum("Top", {});
    addAlbum("Rome", {}, travel.id);
    start();
    auto folder = PHCollectionList::fetchCollectionListsWithType_subtype_options(PHCollectionListTypeFolder,
                                                                                 PHCollectionListSubtypeAny, nullptr)
                      .firstObject();
    EXPECT_EQ(titles(folder.collections()), (Titles{"Rome", "Top"}));
}

TEST_F(Filter, SmartAlbumsFollowTheirSettingsAndTheirLockedNamesAndTheHiddenAlbumItsOwnRule) {
    start();
    auto list = [] {
        std::vector<PHCollection> smart;
        for (long subtype : {209L, 211L, 203L, 205L, 1000000201L, 215L})
            smart.push_back(smartAlbum(subtype));
        return PHCollectionList::transientCollectionListWithCollections_title(smart, "Smart").collections();
    };
    EXPECT_EQ(titles(list()), (Titles{"Camera Roll", "Screenshots", "Favorites", "Recently Deleted", "Long Exposure"}))
        << "Hidden is out while showHidden is off";
    lock({"Screenshots", "Favourites"});
    EXPECT_EQ(titles(list()), (Titles{"Camera Roll", "Recently Deleted", "Long Exposure"}))
        << "locking a title of the table removes its smart album, even with its setting on";
    lock({});
    prefs({{"showHidden", Value(true)}, {"showDeleted", Value(false)}, {"showScreenshots", Value(false)}});
    EXPECT_EQ(titles(list()), (Titles{"Camera Roll", "Favorites", "Hidden", "Long Exposure"}));

    Titles fetched = titles(smartAlbums().fetchedObjects());
    EXPECT_EQ(std::count(fetched.begin(), fetched.end(), "Hidden"), 0) << "fetchedObjects drops it whatever";
    EXPECT_EQ(std::count(fetched.begin(), fetched.end(), "Screenshots"), 1) << "fetchedObjects has no table";
}

// The only album an explicit switch brings back is one the filter dropped
// for no lock; a user album titled "Hidden" switched on does not bring the
// Hidden smart album with it.
TEST_F(Filter, AnAlbumSwitchedOnNeverBringsBackTheHiddenSmartAlbum) {
    addAlbum("Hidden", {});
    prefs({{"albumNameHidden", Value(true)}, {"showHidden", Value(true)}});
    start();
    Titles fetched = titles(smartAlbums().fetchedObjects());
    EXPECT_EQ(std::count(fetched.begin(), fetched.end(), "Hidden"), 0);
    EXPECT_EQ(titles(regularAlbums().fetchedObjects()), (Titles{"Hidden"})) << "the user's album itself stays";
}

// An untitled object is never locked and never switched, whatever the
// lists hold for an empty title.
TEST_F(Filter, AnObjectWithoutATitleIsNeverLockedNorSwitched) {
    auto p = addPhoto();
    addAlbum("", {p});
    addAlbum("Trips", {p});
    lock({"", "Trips"});
    prefs({{"albumName", Value(false)}});
    start();
    auto albums = regularAlbums().fetchedObjects();
    ASSERT_EQ(titles(albums), (Titles{""}));
    EXPECT_EQ(uuids(assetsIn(albums[0])), (std::vector<std::string>{p.uuid}));
    auto untitled = PHAssetCollection::transientAssetCollectionWithAssets_title({PHAsset(makeAsset(p))}, "");
    // The untitled album stays, and the list gets the copy of the untitled
    // album (the locked one's stays out).
    EXPECT_EQ(titles(PHCollectionList::transientCollectionListWithCollections_title({untitled}, "").collections()),
              (Titles{"", ""}));
}

TEST_F(Filter, AlbumsListTheirHiddenPhotosAndTheCameraRollNeverDoes) {
    auto shown = addPhoto(), hidden = addPhoto({.hidden = true});
    auto trips = addAlbum("Trips", {shown, hidden});
    start();
    auto ask = PHFetchOptions::new_();
    ask.setIncludeHiddenAssets(true);
    EXPECT_EQ(uuids(assetsIn(smartAlbum(209), ask)), (std::vector<std::string>{shown.uuid}));
    EXPECT_FALSE(ask.includeHiddenAssets()) << "the caller's own options are changed in place";
    EXPECT_EQ(uuids(assetsIn(smartAlbum(1000000205))), (std::vector<std::string>{shown.uuid}));
    auto off = PHFetchOptions::new_();
    EXPECT_EQ(uuids(assetsIn(album(trips), off)), (std::vector<std::string>{shown.uuid, hidden.uuid}));
    EXPECT_TRUE(off.includeHiddenAssets());
    EXPECT_EQ(uuids(assetsIn(album(trips))), (std::vector<std::string>{shown.uuid, hidden.uuid})) << "no options";
    EXPECT_EQ(PHAsset::fetchKeyAssetsInAssetCollection_options(smartAlbum(209), ask).firstObject().localIdentifier(),
              PHAsset(makeAsset(shown)).localIdentifier());

    // Moments list hidden photos; with hideHiddenStock every smart album leaves them out.
    auto moments = PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(PHAssetCollectionTypeMoment,
                                                                                    PHAssetCollectionSubtypeAny, off);
    EXPECT_TRUE(off.includeHiddenAssets()) << "the collection fetch asks for hidden assets";
    EXPECT_EQ(uuids(assetsIn(moments.firstObject())), (std::vector<std::string>{shown.uuid, hidden.uuid}));
    EXPECT_EQ(uuids(assetsIn(smartAlbum(205))), (std::vector<std::string>{hidden.uuid}));
    prefs({{"hideHiddenStock", Value(true)}});
    EXPECT_EQ(uuids(assetsIn(smartAlbum(205))), (std::vector<std::string>{hidden.uuid}))
        << "the Hidden album lists its own whatever the flag";
    EXPECT_EQ(uuids(assetsIn(smartAlbum(203))), (std::vector<std::string>{}));
}

// Photos filters for itself: there the list, fetchedObjects and the
// identifier set are stock, but the class methods still set the flag.
TEST_F(Filter, InPhotosTheListAndTheResultsAreStockButTheFetchesStillAskForHiddenPhotos) {
    auto shown = addPhoto(), hidden = addPhoto({.hidden = true});
    auto trips = addAlbum("Trips", {shown, hidden});
    auto travel = store->createFolder("Travel").value();
    addAlbum("Rome", {}, travel.id);
    lock({"Trips"});
    start("com.apple.mobileslideshow");
    EXPECT_EQ(topList(), (Titles{"Camera Roll", "Trips", "Travel"})) << "the Photos app's own list, the roll first";
    auto albums = regularAlbums();
    EXPECT_EQ(titles(albums.fetchedObjects()), (Titles{"Trips", "Rome"}));
    EXPECT_EQ(albums.fetchedObjectIDsSet().count(), 2u);
    EXPECT_EQ(uuids(assetsIn(album(trips))), (std::vector<std::string>{shown.uuid, hidden.uuid}));
    auto off = PHFetchOptions::new_();
    PHAsset::fetchKeyAssetsInAssetCollection_options(album(trips), off);
    EXPECT_FALSE(off.includeHiddenAssets()) << "a collection's key assets keep the caller's flag";
    EXPECT_EQ(PHAsset::fetchKeyAssetsInAssetCollection_options(album(trips), nullptr).count(), 1u);
}

TEST_F(Filter, InSettingsFetchedObjectsIsStockWhileTheListIsFiltered) {
    addAlbum("Trips", {});
    addAlbum("Rome", {});
    lock({"Trips"});
    start("com.apple.Preferences");
    EXPECT_EQ(titles(regularAlbums().fetchedObjects()), (Titles{"Trips", "Rome"}));
    EXPECT_EQ(regularAlbums().count(), 2u);
    EXPECT_EQ(topList(), (Titles{"Rome"}));
    EXPECT_FALSE(regularAlbums().fetchedObjectIDsSet());
}

// In the Camera the chooser's fetchedObjects is filtered, but a lookup by
// title (firstObject) still finds a locked album for the capture hand-off.
TEST_F(Filter, InTheCameraOnlyFetchedObjectsIsFilteredAndShowLockedInCameraLiftsIt) {
    addAlbum("Trips", {});
    addAlbum("Rome", {});
    lock({"Trips"});
    start("com.apple.camera");
    EXPECT_EQ(titles(regularAlbums().fetchedObjects()), (Titles{"Rome"}));
    auto byTitle = PHFetchOptions::new_();
    byTitle.setPredicate(fnd::NSPredicate::predicateWithFormat_argumentArray("title = %@", {"Trips"}));
    EXPECT_EQ(regularAlbums(byTitle).firstObject().localizedTitle(), "Trips");
    EXPECT_EQ(regularAlbums().count(), 2u);
    prefs({{"showLockedinCamera", Value(true)}});
    EXPECT_EQ(titles(regularAlbums().fetchedObjects()), (Titles{"Trips", "Rome"}));
}

TEST_F(Filter, TheStoreAppGetsNoHookAndEnabledOffListsEverything) {
    addAlbum("Trips", {addPhoto()});
    lock({"Trips"});
    start("com.apple.store.Jolly");
    EXPECT_EQ(titles(regularAlbums().fetchedObjects()), (Titles{"Trips"}));
    EXPECT_EQ(regularAlbums().fetchedObjectIDsSet().count(), 1u);
    EXPECT_EQ(topList(), (Titles{"Trips"}));
}

TEST_F(Filter, WithEnabledSwitchedOffLaterTheListIsStockAtOnce) {
    addAlbum("Trips", {addPhoto()});
    lock({"Trips"});
    start();
    EXPECT_EQ(topList(), (Titles{}));
    prefs({{"enabled", Value(false)}});
    EXPECT_EQ(topList(), (Titles{"Trips"})) << "the list tests enabled at each call";
    EXPECT_EQ(titles(regularAlbums().fetchedObjects()), (Titles{})) << "fetchedObjects does not";
}

// An app that counted a result before a lock and indexes past the new end
// gets nil, not a crash; past the stock end it is the app's own fault.
// A walk by index reads the list its count saw: a lock made meanwhile
// shows at the next whole reading (count, fetchedObjects, enumeration),
// never halfway through the walk; what the walk reads the app was already
// shown. After that, an index the list lost reads as nil, and a fetch never
// read whole is filtered at its first element.
TEST_F(Filter, AWalkByIndexReadsTheListItsCountSawAndTheNextCountShowsTheLock) {
    addAlbum("Trips", {});
    addAlbum("Rome", {});
    start();
    auto albums = regularAlbums();
    ASSERT_EQ(albums.count(), 2u);
    lock({"Rome"});
    EXPECT_EQ(albums.objectAtIndex(0).localizedTitle(), "Trips");
    EXPECT_EQ(albums.objectAtIndex(1).localizedTitle(), "Rome") << "the walk the count began";
    ASSERT_EQ(albums.count(), 1u);
    EXPECT_FALSE(albums.objectAtIndex(1)) << "lost since the app counted 2";
    EXPECT_DEATH(albums.objectAtIndex(2), "beyond bounds");
    EXPECT_FALSE(regularAlbums().objectAtIndex(1)) << "a fresh fetch, read by index first";

    // A change of the settings shows at once, even mid-walk.
    ASSERT_EQ(albums.count(), 1u);
    prefs({{"albumNameTrips", Value(false)}});
    EXPECT_FALSE(albums.objectAtIndex(0)) << "Trips switched off";
}

} // namespace
