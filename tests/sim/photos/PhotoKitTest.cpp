// The photo library through PhotoKit's classes: the properties its callers
// rely on, each shown on a small library.

#include "sim/runtime/Runtime.h"
#include "tests/sim/photos/LibraryFixture.h"

#include <atomic>
#include <set>
#include <sqlite3.h>

using namespace phtest;
using photos::PHAssetCollectionSubtypeAny;
using photos::PHAssetCollectionTypeAlbum;
using photos::PHAssetCollectionTypeSmartAlbum;

using PhotoKit = LibraryTest;

TEST_F(PhotoKit, TitleLookupIsExactAndCaseSensitiveAndTheFirstCreatedComesFirst) {
    auto first = addAlbum("Trips");
    addAlbum("trips");
    auto second = addAlbum("Trips");
    addAlbum("Trips ");
    auto found = collections(PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAny, titled("Trips"));
    EXPECT_EQ(rt::send<std::string>(found, "fetchType"_sel), "PHAlbum");
    ASSERT_EQ(count(found), 2u);
    auto firstFound = rt::send<Ref<rt::Object>>(found, "firstObject"_sel);
    EXPECT_EQ(photos::collectionOf(firstFound.get())->key, first.id);
    EXPECT_EQ(photos::collectionOf(rt::send<Ref<rt::Object>>(found, "lastObject"_sel).get())->key, second.id);
    EXPECT_EQ(rt::send<std::string>(firstFound, "title"_sel), "Trips");
    EXPECT_EQ(rt::send<long>(firstFound, "assetCollectionType"_sel), PHAssetCollectionTypeAlbum);
    EXPECT_EQ(rt::send<long>(firstFound, "assetCollectionSubtype"_sel), photos::PHAssetCollectionSubtypeAlbumRegular);
    EXPECT_EQ(count(collections(PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAny, titled("TRIPS"))), 0u);
    EXPECT_EQ(count(collections(PHAssetCollectionTypeAlbum, photos::PHAssetCollectionSubtypeAlbumRegular)), 4u);
    // Subtypes the library has no albums of find nothing.
    EXPECT_EQ(count(collections(PHAssetCollectionTypeAlbum, 100)), 0u);
}

TEST_F(PhotoKit, HiddenAssetsStayInTheirAlbumsButLeaveTheCameraRollAndDefaultFetches) {
    auto visible = addPhoto(10, 1);
    auto hidden = addPhoto(20, 2, photos::AssetRecord{.hidden = true});
    auto elsewhere = addPhoto(30, 3);
    addAlbum("Trips", {visible, hidden});
    auto trips = rt::send<Ref<rt::Object>>(
        collections(PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAny, titled("Trips")), "firstObject"_sel);

    EXPECT_EQ(ids(assetsIn(trips)), (std::vector<int64_t>{visible.id}));
    EXPECT_EQ(ids(assetsIn(trips, options(true))), (std::vector<int64_t>{visible.id, hidden.id}));
    auto cameraRoll = smartAlbum(209);
    EXPECT_EQ(rt::send<std::string>(cameraRoll, "localizedTitle"_sel), "Camera Roll");
    EXPECT_EQ(ids(assetsIn(cameraRoll)), (std::vector<int64_t>{visible.id, elsewhere.id}));
    EXPECT_EQ(ids(assetsIn(smartAlbum(205))), (std::vector<int64_t>{hidden.id})) << "Hidden lists hidden assets";

    // Hiding through the Photos UI helper: one completion, then out of the
    // camera roll, still in the album.
    auto helper = rt::sendClass<Ref<rt::Object>>(cls("PUAssetHidingHelper"), "new"_sel);
    auto toHide = rt::send<Objects>(assetsIn(cameraRoll), "fetchedObjects"_sel);
    rt::send(helper, "setAssets:"_sel, toHide);
    EXPECT_EQ(rt::send<Objects>(helper, "assets"_sel).size(), 2u);
    auto completions = std::make_shared<int>(0);
    auto success = std::make_shared<bool>(false);
    rt::send(helper, "applyHiddenState:completionHandler:"_sel, true,
             rt::Block<void(bool, Ref<rt::Object>)>([=](bool ok, Ref<rt::Object>) {
                 ++*completions;
                 *success = ok;
             }));
    photos::Library::shared().waitUntilIdle();
    EXPECT_EQ(*completions, 1);
    EXPECT_TRUE(*success);
    EXPECT_EQ(count(assetsIn(cameraRoll)), 0u);
    EXPECT_EQ(count(assetsIn(cameraRoll, options(true))), 3u) << "the camera roll with hidden ones asked for";
    EXPECT_EQ(ids(assetsIn(trips, options(true))), (std::vector<int64_t>{visible.id, hidden.id}));
    EXPECT_EQ(count(assetsIn(smartAlbum(205))), 3u);
    EXPECT_TRUE(
        rt::send<bool>(rt::send<Ref<rt::Object>>(assetsIn(trips, options(true)), "firstObject"_sel), "isHidden"_sel));
}

TEST_F(PhotoKit, TheNewestImageIsTheLastVisibleImageByCreationDateAndSortDescriptorsApply) {
    auto older = addPhoto(100, 1);
    auto newest = addPhoto(300, 2);
    addPhoto(400, 3, photos::AssetRecord{.hidden = true});
    addPhoto(500, 4, photos::AssetRecord{.mediaType = photos::kMediaVideo});
    auto middle = addPhoto(200, 5);
    auto ascending = options();
    rt::send(ascending, "setSortDescriptors:"_sel, Objects{fnd::makeSortDescriptor("creationDate", true)});
    auto images =
        rt::sendClass<Ref<rt::Object>>(cls("PHAsset"), "fetchAssetsWithMediaType:options:"_sel, 1L, ascending);
    EXPECT_EQ(ids(images), (std::vector<int64_t>{older.id, middle.id, newest.id}));
    EXPECT_EQ(photos::assetRecordOf(rt::send<Ref<rt::Object>>(images, "lastObject"_sel).get())->id, newest.id);
    auto last = rt::send<Ref<rt::Object>>(images, "lastObject"_sel);
    EXPECT_EQ(rt::send<fnd::Date>(last, "creationDate"_sel).sinceReferenceDate, 300);
    EXPECT_EQ(rt::send<long>(last, "mediaType"_sel), 1);
    EXPECT_EQ(rt::send<unsigned long>(last, "pixelWidth"_sel), 120u);

    auto descending = options();
    rt::send(descending, "setSortDescriptors:"_sel, Objects{fnd::makeSortDescriptor("creationDate", false)});
    rt::send(descending, "setFetchLimit:"_sel, 2UL);
    EXPECT_EQ(
        ids(rt::sendClass<Ref<rt::Object>>(cls("PHAsset"), "fetchAssetsWithMediaType:options:"_sel, 1L, descending)),
        (std::vector<int64_t>{newest.id, middle.id}));
    EXPECT_EQ(count(rt::sendClass<Ref<rt::Object>>(cls("PHAsset"), "fetchAssetsWithMediaType:options:"_sel, 2L,
                                                   Ref<rt::Object>())),
              1u);
}

TEST_F(PhotoKit, ACreatedAlbumIsFoundByItsPlaceholderOnceTheChangeHasSucceeded) {
    auto photo = addPhoto(10);
    auto placeholder = std::make_shared<std::string>();
    Outcome created = perform([placeholder] {
        auto request =
            rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                           "creationRequestForAssetCollectionWithTitle:"_sel, std::string("New"));
        *placeholder = rt::send<std::string>(
            rt::send<Ref<rt::Object>>(request, "placeholderForCreatedAssetCollection"_sel), "localIdentifier"_sel);
    });
    EXPECT_EQ(created.completions, 1);
    EXPECT_TRUE(created.success) << created.error;
    EXPECT_TRUE(created.onLibraryQueue);
    auto found = rt::sendClass<Ref<rt::Object>>(cls("PHAssetCollection"),
                                                "fetchAssetCollectionsWithLocalIdentifiers:options:"_sel,
                                                std::vector<std::string>{*placeholder}, Ref<rt::Object>());
    ASSERT_EQ(count(found), 1u);
    auto album = rt::send<Ref<rt::Object>>(found, "firstObject"_sel);
    EXPECT_EQ(rt::send<std::string>(album, "title"_sel), "New");
    EXPECT_EQ(rt::send<std::string>(album, "localIdentifier"_sel), *placeholder);

    // Membership requests change membership and nothing else.
    auto cameraRoll = smartAlbum(209);
    Outcome added = perform([&] {
        auto request =
            rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                           "changeRequestForAssetCollection:assets:"_sel, album, assetsIn(album));
        rt::send(request, "addAssets:"_sel, rt::send<Objects>(assetsIn(cameraRoll), "fetchedObjects"_sel));
    });
    EXPECT_TRUE(added.success) << added.error;
    EXPECT_EQ(ids(assetsIn(album)), (std::vector<int64_t>{photo.id}));
    Outcome removed = perform([&] {
        auto request = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                                      "changeRequestForAssetCollection:"_sel, album);
        rt::send(request, "removeAssets:"_sel, rt::send<Objects>(assetsIn(album), "fetchedObjects"_sel));
    });
    EXPECT_TRUE(removed.success) << removed.error;
    EXPECT_EQ(count(assetsIn(album)), 0u);
    EXPECT_EQ(ids(assetsIn(cameraRoll)), (std::vector<int64_t>{photo.id})) << "the asset stays in the library";
}

// Hiding an asset that another process deleted meanwhile fails the whole
// change, and the assets hidden before it in the same change stay visible.
TEST_F(PhotoKit, HidingAnAssetThatIsGoneFailsTheChangeAndHidesNothing) {
    auto kept = addPhoto(10, 1), gone = addPhoto(20, 2);
    Objects both = rt::send<Objects>(assetsIn(smartAlbum(209)), "fetchedObjects"_sel);
    ASSERT_EQ(both.size(), 2u);
    store->transaction([&](photos::Writer& w) { return w.deleteAssets({gone.id}); });
    Outcome outcome = perform([&] {
        for (const auto& asset : both) {
            auto request = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetChangeRequest"),
                                                          "changeRequestForAsset:"_sel, asset);
            rt::send(request, "setHidden:"_sel, true);
        }
    });
    EXPECT_FALSE(outcome.success);
    EXPECT_NE(outcome.error.find("no longer in the library"), std::string::npos) << outcome.error;
    EXPECT_EQ(ids(assetsIn(smartAlbum(209))), (std::vector<int64_t>{kept.id})) << "nothing hidden";
}

TEST_F(PhotoKit, AFailedChangeCommitsNothingAndItsOneCompletionSaysWhy) {
    auto photo = addPhoto(10);
    auto doomed = addAlbum("Doomed");
    auto handle = rt::send<Ref<rt::Object>>(
        collections(PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAny, titled("Doomed")), "firstObject"_sel);
    store->transaction([&](photos::Writer& w) { return w.deleteAlbum(doomed.id); });
    Outcome outcome = perform([&] {
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                       "creationRequestForAssetCollectionWithTitle:"_sel, std::string("Half"));
        auto request = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                                      "changeRequestForAssetCollection:"_sel, handle);
        rt::send(request, "addAssets:"_sel, rt::send<Objects>(assetsIn(smartAlbum(209)), "fetchedObjects"_sel));
    });
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_FALSE(outcome.success);
    EXPECT_NE(outcome.error.find("no longer in the library"), std::string::npos) << outcome.error;
    EXPECT_EQ(count(collections(PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAny, titled("Half"))), 0u)
        << "half of the change was kept";

    // A picture that is no image fails its creation, and leaves no file behind.
    std::string notImage = "/notes.txt";
    fnd::writeFileAtomically(notImage, "hello");
    Outcome bad = perform([&] {
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetChangeRequest"),
                                       "creationRequestForAssetFromImageAtFileURL:"_sel, notImage);
    });
    EXPECT_FALSE(bad.success);
    EXPECT_EQ(count(assetsIn(smartAlbum(209))), 1u);
    (void)photo;
}

namespace {
int failEveryStep(void*) { return 1; }
} // namespace

// A read that fails (here every statement is interrupted, as a busy or
// damaged database would fail it) is told apart from an empty answer: the
// store marks the rows failed and logs it, a fetch is empty, and a change
// whose block read the library then fails whole, with its error.
TEST_F(PhotoKit, AFailedReadIsAnErrorTheCallerSeesNotAnEmptyAnswer) {
    auto photo = addPhoto(10);
    auto trips = addAlbum("Trips");
    auto failReads = [&](bool on) {
        store->read([on](photos::Database& db) {
            sqlite3_progress_handler(db.handle(), on ? 1 : 0, on ? &failEveryStep : nullptr, nullptr);
            return 0;
        });
    };
    failReads(true);
    auto rows = store->albumsWithTitle("Trips");
    auto counted = store->countAssets(photos::AssetQuery{});
    auto all = store->assets(photos::AssetQuery{});
    auto moments = store->moments(true);
    failReads(false);
    EXPECT_TRUE(rows.failed);
    EXPECT_TRUE(rows.empty());
    EXPECT_FALSE(counted.has_value());
    EXPECT_TRUE(all.failed);
    EXPECT_TRUE(moments.failed);
    EXPECT_FALSE(store->albumsWithTitle("Trips").failed) << "the next read is whole again";

    std::atomic<bool> readInBlock{false};
    Outcome outcome = perform([&] {
        failReads(true);
        auto found = collections(PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAny, titled("Trips"));
        failReads(false);
        readInBlock = count(found) == 0;
        // Decided on the partial read: a new Trips, as if there were none.
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                       "creationRequestForAssetCollectionWithTitle:"_sel, std::string("Trips"));
    });
    EXPECT_TRUE(readInBlock);
    EXPECT_FALSE(outcome.success);
    EXPECT_NE(outcome.error.find("a read of the library failed"), std::string::npos) << outcome.error;
    EXPECT_EQ(store->albumsWithTitle("Trips").size(), 1u) << "nothing of the change applied";
    (void)photo;
    (void)trips;
}

namespace {
std::atomic<int> g_changesHeard{0};
void heard(rt::Id, rt::Sel, Ref<rt::Object> change) {
    if (rt::className(change.get()) == "PHChange") ++g_changesHeard;
}
} // namespace

TEST_F(PhotoKit, ObserversHearEachCommittedChangeUntilTheyGo) {
    rt::Class* cls = rt::defineClass("ChangeListener");
    rt::addMethod<&heard>(cls, "photoLibraryDidChange:"_sel);
    auto listener = rt::sendClass<Ref<rt::Object>>(cls, "new"_sel);
    auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
    rt::send(library, "registerChangeObserver:"_sel, listener);
    auto create = [] {
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                       "creationRequestForAssetCollectionWithTitle:"_sel, std::string("Trips"));
    };
    perform(create);
    EXPECT_EQ(g_changesHeard, 1);
    perform([] {}); // nothing changed: nothing to hear
    perform([] {    // a failed change is not heard either
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetChangeRequest"),
                                       "creationRequestForAssetFromImageAtFileURL:"_sel, std::string("/none.jpg"));
    });
    EXPECT_EQ(g_changesHeard, 1);
    listener = nullptr; // not retained by the library: gone, and not called
    perform(create);
    EXPECT_EQ(g_changesHeard, 1);
    auto second = rt::sendClass<Ref<rt::Object>>(cls, "new"_sel);
    rt::send(library, "registerChangeObserver:"_sel, second);
    rt::send(library, "unregisterChangeObserver:"_sel, second);
    perform(create);
    EXPECT_EQ(g_changesHeard, 1);
}

TEST_F(PhotoKit, AChangeRequestOutsideAChangeBlockIsAProgrammingError) {
    EXPECT_DEATH(rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                                "creationRequestForAssetCollectionWithTitle:"_sel, std::string("x")),
                 "only be used inside a change block");
    EXPECT_DEATH(fnd::makePredicate("title CONTAINS %@", {"x"}), "cannot parse the format");
}

TEST_F(PhotoKit, SmartAlbumsGatherAssetsByTraitAndTheTrashIsRecentlyDeleted) {
    auto screenshot = addPhoto(10, 1, photos::AssetRecord{.traits = photos::kTraitScreenshot});
    auto favourite = addPhoto(20, 2, photos::AssetRecord{.favorite = true});
    auto placed = addPhoto(30, 3, photos::AssetRecord{.hasLocation = true});
    auto video = addPhoto(40, 4, photos::AssetRecord{.mediaType = photos::kMediaVideo});
    EXPECT_EQ(ids(assetsIn(smartAlbum(211))), (std::vector<int64_t>{screenshot.id}));
    EXPECT_EQ(ids(assetsIn(smartAlbum(203))), (std::vector<int64_t>{favourite.id}));
    EXPECT_EQ(ids(assetsIn(smartAlbum(1000000203))), (std::vector<int64_t>{placed.id}));
    EXPECT_EQ(ids(assetsIn(smartAlbum(202))), (std::vector<int64_t>{video.id}));
    EXPECT_EQ(count(assetsIn(smartAlbum(1000000205))), 4u) << "treated like the camera roll";
    auto all = collections(PHAssetCollectionTypeSmartAlbum, PHAssetCollectionSubtypeAny);
    EXPECT_EQ(rt::send<std::string>(all, "fetchType"_sel), "PHSmartAlbum");
    std::set<long> subtypes;
    Ref<rt::Object> trash;
    for (auto& c : rt::send<Objects>(all, "fetchedObjects"_sel)) {
        subtypes.insert(rt::send<long>(c, "assetCollectionSubtype"_sel));
        if (rt::send<bool>(c, "isTrashBin"_sel)) trash = c;
    }
    for (long s : {201L, 202L, 203L, 204L, 205L, 207L, 208L, 209L, 210L, 211L, 212L, 213L, 214L, 215L, 1000000203L,
                   1000000205L, 1000000207L})
        EXPECT_EQ(subtypes.count(s), 1u) << s;
    ASSERT_TRUE(trash);
    EXPECT_EQ(rt::send<std::string>(trash, "localizedTitle"_sel), "Recently Deleted");
    EXPECT_FALSE(rt::send<bool>(smartAlbum(209), "isTrashBin"_sel));

    Outcome deleted = perform([&] {
        rt::sendClass(rt::getClass("PHAssetChangeRequest"), "deleteAssets:"_sel,
                      rt::send<Objects>(assetsIn(smartAlbum(211)), "fetchedObjects"_sel));
    });
    EXPECT_TRUE(deleted.success) << deleted.error;
    EXPECT_EQ(ids(assetsIn(trash)), (std::vector<int64_t>{screenshot.id}));
    EXPECT_EQ(count(assetsIn(smartAlbum(211))), 0u);
    EXPECT_EQ(count(assetsIn(smartAlbum(209))), 3u);

    auto containing = rt::sendClass<Ref<rt::Object>>(
        cls("PHAssetCollection"), "fetchAssetCollectionsContainingAsset:withType:options:"_sel,
        rt::send<Ref<rt::Object>>(assetsIn(smartAlbum(203)), "firstObject"_sel), PHAssetCollectionTypeSmartAlbum,
        Ref<rt::Object>());
    EXPECT_EQ(titles(containing), (std::vector<std::string>{"Camera Roll", "All Photos", "Favorites"}));
}

TEST_F(PhotoKit, MomentsAreDaysAndFoldersHoldAlbumsUnderTheUserCollectionsList) {
    addPhoto(86400 * 100 + 10, 1);
    addPhoto(86400 * 100 + 20, 2);
    auto nextDay = addPhoto(86400 * 101 + 5, 3);
    auto moments = collections(photos::PHAssetCollectionTypeMoment, PHAssetCollectionSubtypeAny);
    EXPECT_EQ(rt::send<std::string>(moments, "fetchType"_sel), "PHMoment");
    ASSERT_EQ(count(moments), 2u);
    EXPECT_EQ(titles(moments), (std::vector<std::string>{"11 April 2001", "12 April 2001"}));
    auto second = rt::send<Ref<rt::Object>>(moments, "lastObject"_sel);
    EXPECT_EQ(rt::send<long>(second, "assetCollectionType"_sel), photos::PHAssetCollectionTypeMoment);
    EXPECT_EQ(rt::send<std::string>(second, "title"_sel), "") << "a moment has no title";
    EXPECT_EQ(ids(assetsIn(second)), (std::vector<int64_t>{nextDay.id}));

    auto trips = store->createFolder("Trips");
    addAlbum("Loose");
    addAlbum("Rome", {nextDay}, trips->id);
    auto top = photos::userCollectionsList();
    EXPECT_EQ(rt::send<std::string>(top, "localizedTitle"_sel), "PXUserCollectionsSectionTitle");
    EXPECT_EQ(titles(top, "collections"), (std::vector<std::string>{"Loose", "Trips"}));
    auto folder = rt::send<Objects>(top, "collections"_sel)[1];
    EXPECT_FALSE(rt::respondsTo(folder.get(), "assetCollectionSubtype"_sel)) << "a folder is no asset collection";
    EXPECT_FALSE(rt::respondsTo(folder.get(), "isTrashBin"_sel));
    EXPECT_EQ(titles(folder, "collections"), (std::vector<std::string>{"Rome"}));
    // Albums in folders are albums all the same.
    EXPECT_EQ(count(collections(PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAny)), 2u);
    auto folders = rt::sendClass<Ref<rt::Object>>(
        cls("PHCollectionList"), "fetchCollectionListsWithType:subtype:options:"_sel,
        photos::PHCollectionListTypeFolder, PHAssetCollectionSubtypeAny, Ref<rt::Object>());
    EXPECT_EQ(titles(folders), (std::vector<std::string>{"Trips"}));
}

TEST_F(PhotoKit, TransientCollectionsAndFetchResultsBehaveAsLists) {
    auto a = addPhoto(10, 1, photos::AssetRecord{.hidden = true});
    auto b = addPhoto(20, 2);
    Objects both = rt::send<Objects>(assetsIn(smartAlbum(209), options(true)), "fetchedObjects"_sel);
    auto transient = rt::sendClass<Ref<rt::Object>>(
        cls("PHAssetCollection"), "transientAssetCollectionWithAssets:title:"_sel, both, std::string("Copy"));
    EXPECT_EQ(rt::send<std::string>(transient, "title"_sel), "Copy");
    EXPECT_EQ(ids(assetsIn(transient)), (std::vector<int64_t>{a.id, b.id}));

    auto result = assetsIn(smartAlbum(209), options(true));
    std::vector<unsigned long> seen;
    rt::send(
        result, "enumerateObjectsUsingBlock:"_sel,
        rt::Block<void(Ref<rt::Object>, unsigned long, bool*)>([&](Ref<rt::Object> o, unsigned long i, bool* stop) {
            EXPECT_TRUE(o);
            seen.push_back(i);
            *stop = true;
        }));
    EXPECT_EQ(seen, (std::vector<unsigned long>{0}));
    auto set = rt::send<Ref<rt::Object>>(result, "fetchedObjectIDsSet"_sel);
    EXPECT_EQ(rt::send<unsigned long>(set, "count"_sel), 2u);
    EXPECT_TRUE(rt::send<bool>(set, "containsObject:"_sel, a.uuid + "/L0/001"));
    // Objects of two fetches are equal when they name the same library object.
    auto again = rt::send<Ref<rt::Object>>(assetsIn(smartAlbum(209), options(true)), "objectAtIndex:"_sel, 1UL);
    EXPECT_TRUE(rt::send<bool>(result, "containsObject:"_sel, again));
    EXPECT_EQ(rt::send<long>(result, "indexOfObject:"_sel, again), 1);
    EXPECT_DEATH(rt::send<Ref<rt::Object>>(result, "objectAtIndex:"_sel, 2UL), "beyond bounds");
    // An asset deleted after the fetch reads as nil; the count stays.
    auto lazy = assetsIn(smartAlbum(209), options(true));
    store->transaction([&](photos::Writer& w) { return w.deleteAssets({a.id}); });
    EXPECT_EQ(count(lazy), 2u);
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(lazy, "firstObject"_sel));
    EXPECT_EQ(ids(lazy), (std::vector<int64_t>{b.id}));
}

namespace {
rt::Orig<Ref<rt::Object>(Ref<rt::Object>, Ref<rt::Object>)> g_origFetch;
Ref<rt::Object> includeHiddenFetch(rt::Id self, rt::Sel cmd, Ref<rt::Object> collection, Ref<rt::Object> options) {
    if (!options) options = photos::makeFetchOptions();
    rt::send(options, "setIncludeHiddenAssets:"_sel, true);
    return g_origFetch(self, cmd, collection, options);
}
} // namespace

TEST_F(PhotoKit, AHookOnAClassMethodReachesEveryCaller) {
    addPhoto(10, 1, photos::AssetRecord{.hidden = true});
    auto album = addAlbum("A", {*store->assetsWithIds({1}).begin()});
    ASSERT_TRUE((rt::hookMessage<&includeHiddenFetch>(rt::objectGetClass(cls("PHAsset")),
                                                      "fetchAssetsInAssetCollection:options:"_sel, &g_origFetch)));
    auto handle = rt::send<Ref<rt::Object>>(collections(PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAny),
                                            "firstObject"_sel);
    EXPECT_EQ(count(assetsIn(handle)), 1u) << "the hook's options reached the stock fetch";
    // The key-asset fetch is a separate method and stays stock.
    EXPECT_EQ(count(rt::sendClass<Ref<rt::Object>>(cls("PHAsset"), "fetchKeyAssetsInAssetCollection:options:"_sel,
                                                   handle, Ref<rt::Object>())),
              0u);
    (void)album;
}
