// What the filter keeps between queries is never older than a change the
// caller could have seen: locks, settings, and the library changed by this
// or another connection. And several threads may query at once.

#include "sim/foundation/DevicePaths.h"
#include "tests/tweak/filter/FilterFixture.h"
#include "tweak/filter/QueryFilter.h"

#include <atomic>
#include <set>
#include <sys/stat.h>
#include <thread>

using namespace filtertest;

namespace {

std::string idOf(const PHCollection& c) { return c.localIdentifier(); }

std::atomic<int> g_fetches{0};
rt::Orig<Ref<rt::Object>(Ref<rt::Object>, Ref<rt::Object>)> g_counted;
Ref<rt::Object> countedFetch(rt::Id cls, rt::Sel cmd, Ref<rt::Object> c, Ref<rt::Object> o) {
    ++g_fetches;
    return g_counted(cls, cmd, std::move(c), std::move(o));
}

// The copy of the album in the folder: kept while nothing changes, made
// afresh by a change of the library (from this connection or another), of
// the settings or of the locks.
TEST_F(Filter, TheFolderCopiesAreKeptUntilTheLibraryTheSettingsOrTheLocksChange) {
    auto travel = store->createFolder("Travel").value();
    auto p = addPhoto();
    auto rome = addAlbum("Rome", {p}, travel.id);
    addAlbum("Top", {}); // the copies come with the first album of the list
    start();
    auto copyOfRome = [] { return userCollectionsList().collections().back().as<PHAssetCollection>(); };
    std::string first = idOf(copyOfRome());
    EXPECT_EQ(idOf(copyOfRome()), first) << "no change: the same copy";

    auto q = addPhoto();
    store->addMembers(rome.id, {q.id});
    EXPECT_EQ(uuids(assetsIn(copyOfRome())), (std::vector<std::string>{p.uuid, q.uuid}));

    auto other = PhotoStore::open(); // another process's connection
    ASSERT_TRUE(other);
    other->removeMembers(rome.id, {p.id});
    EXPECT_EQ(uuids(assetsIn(copyOfRome())), (std::vector<std::string>{q.uuid}));
    std::string afterLibrary = idOf(copyOfRome());

    lock({"Rome"});
    EXPECT_EQ(topList(), (Titles{"Top", "Travel"}));
    lock({});
    EXPECT_EQ(uuids(assetsIn(copyOfRome())), (std::vector<std::string>{q.uuid}));

    prefs({{"albumNameRome", Value(false)}});
    EXPECT_EQ(topList(), (Titles{"Top", "Travel"}));
    prefs({{"albumNameRome", Value(true)}});
    EXPECT_EQ(topList(), (Titles{"Top", "Travel", "Rome"}));
    EXPECT_NE(idOf(copyOfRome()), afterLibrary);
}

// The locked list is read again whenever the file may have changed: each
// rewrite here comes within the same clock tick, with the same size, and
// may reuse the inode the one before freed.
TEST_F(Filter, EveryRewriteOfTheLockedListShowsAtTheNextQueryHoweverFastTheyCome) {
    addAlbum("Trips", {});
    addAlbum("Tripz", {});
    start();
    for (int i = 0; i < 200; ++i) {
        std::string locked = i % 2 ? "Trips" : "Tripz";
        lock({locked});
        ASSERT_EQ(titles(regularAlbums().fetchedObjects()), (Titles{i % 2 ? "Tripz" : "Trips"})) << "rewrite " << i;
    }
    asSystem([] { fnd::removeFile(lc::kdataPath); });
    EXPECT_EQ(titles(regularAlbums().fetchedObjects()), (Titles{"Trips", "Tripz"})) << "no file: nothing locked";
}

// A FIFO or a folder in the file's place reads as no list at once.
TEST_F(Filter, AFifoInPlaceOfTheLockedListReadsAsNoneWithoutWaiting) {
    addAlbum("Trips", {});
    asSystem([] { ASSERT_EQ(::mkfifo(fnd::hostPath(lc::kdataPath).c_str(), 0666), 0); });
    start();
    EXPECT_EQ(titles(regularAlbums().fetchedObjects()), (Titles{"Trips"}));
    EXPECT_EQ(topList(), (Titles{"Trips"}));
}

// A list needs only the copies' titles and places, so listing them fetches
// no album's assets, after a change of the library as before it; a lock or
// a switch makes the copies again from the kept albums. Asked for its
// assets (a fetch, the key photo, the count), a copy answers with its
// album's as the filter gives them then, a locked album's as none. The
// uncached list, built as each call would (each copy holding its assets),
// agrees. (The counter sits beneath the filter, where the library is.)
TEST_F(Filter, AListFetchesNoAlbumsAssetsAndACopyAnswersWithItsAlbumsAssetsWhenAsked) {
    auto travel = store->createFolder("Travel").value();
    for (int i = 0; i < 5; ++i)
        addAlbum("In " + std::to_string(i), {addPhoto()}, travel.id);
    auto top = addAlbum("Top", {addPhoto()});
    lock({"In 2"});
    ASSERT_TRUE(rt::hookMessage<&countedFetch>(rt::objectGetClass(PHAsset::cls()),
                                               "fetchAssetsInAssetCollection:options:"_sel, &g_counted));
    start();
    Titles cached = topList();
    EXPECT_EQ(cached, (Titles{"Top", "Travel", "In 0", "In 1", "In 3", "In 4"}));
    EXPECT_EQ(topList(), cached);
    lock({"In 3"});
    EXPECT_EQ(topList(), (Titles{"Top", "Travel", "In 0", "In 1", "In 2", "In 4"}));
    prefs({{"albumNameIn 0", Value(false)}});
    EXPECT_EQ(topList(), (Titles{"Top", "Travel", "In 1", "In 2", "In 4"}));
    store->addMembers(top.id, {addPhoto().id});
    Titles afterChange = topList();
    EXPECT_EQ(g_fetches.exchange(0), 0) << "no list fetched an album's assets";

    auto copyTitled = [&](const std::string& title) {
        for (const auto& c : userCollectionsList().collections())
            if (c.localizedTitle() == title) return c.as<PHAssetCollection>();
        return PHAssetCollection();
    };
    PHAssetCollection in1 = copyTitled("In 1"), in2 = copyTitled("In 2");
    ASSERT_TRUE(in1 && in2);
    // The first reading of a fetch that lists hidden photos also finds the
    // photos withheld from the app (the withholding albums' assets, once).
    EXPECT_EQ(uuids(assetsIn(in1)).size(), 1u);
    g_fetches.store(0);
    EXPECT_EQ(uuids(assetsIn(in1)).size(), 1u);
    EXPECT_EQ(g_fetches.exchange(0), 1) << "the copy asked: its album's assets, once";
    int64_t in1Id = store->albumsWithTitle("In 1").front().id;
    store->addMembers(in1Id, {addPhoto().id});
    EXPECT_EQ(uuids(assetsIn(in1)).size(), 2u) << "as the album is when asked";
    EXPECT_EQ(in1.estimatedAssetCount(), 2u);
    EXPECT_TRUE(PHAsset::fetchKeyAssetsInAssetCollection_options(in1, nullptr));
    EXPECT_TRUE(assetsIn(in2)) << "In 3 is locked now, In 2 is not: its copy answers";
    lock({"In 1"});
    EXPECT_FALSE(assetsIn(in1)) << "a copy kept from before the lock answers nothing";
    EXPECT_EQ(in1.estimatedAssetCount(), 0u);
    EXPECT_FALSE(PHAsset::fetchKeyAssetsInAssetCollection_options(in1, nullptr));
    g_fetches.store(0);

    lock({"In 3"});
    std::vector<PHCollection> uncached;
    PHCollectionList list = userCollectionsList();
    for (const auto& o : lc::listCollectionsUncached(list.get(), "collections"_sel))
        uncached.emplace_back(o);
    EXPECT_EQ(titles(uncached), topList());
    EXPECT_EQ(g_fetches.load(), 4) << "uncached, every call fetches (but for the locked and the switched-off album, "
                                      "whose filtered fetch gives no result)";
    (void)afterChange;
}

// Queries on four threads while the main thread locks and unlocks, reloads
// the settings and changes the library: each answer is one the state could
// give at some moment, and (under ThreadSanitizer) nothing races.
TEST_F(Filter, QueriesOnSeveralThreadsDuringLockAndSettingsAndLibraryChangesSeeWholeStates) {
    auto travel = store->createFolder("Travel").value();
    auto p = addPhoto();
    auto trips = addAlbum("Trips", {p});
    addAlbum("Rome", {p}, travel.id);
    start();
    std::atomic<bool> done{false};
    std::atomic<int> bad{0}, queries{0};
    auto query = [&] {
        const std::set<Titles> lists{{"Trips", "Travel", "Rome"}, {"Travel", "Rome"}, {"Trips", "Travel"}, {"Travel"}};
        const std::set<Titles> albums{{"Trips", "Rome"}, {"Rome"}, {"Trips"}, {}};
        while (!done) {
            if (!lists.contains(topList())) ++bad;
            if (!albums.contains(titles(regularAlbums().fetchedObjects()))) ++bad;
            auto assets = assetsIn(album(trips));
            if (assets && assets.count() < 1) ++bad;
            ++queries;
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back(query);
    for (int i = 0; i < 40; ++i) {
        lock(i % 2 ? Titles{"Trips"} : Titles{});
        prefs({{"albumNameRome", Value(i % 3 != 0)}});
        auto q = addPhoto();
        store->addMembers(trips.id, {q.id});
    }
    while (queries < 40)
        std::this_thread::yield();
    done = true;
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(bad.load(), 0);
    lock({});
    prefs({{"albumNameRome", Value(true)}});
    EXPECT_EQ(topList(), (Titles{"Trips", "Travel", "Rome"})) << "and after it all, the state as it is";
}

} // namespace
