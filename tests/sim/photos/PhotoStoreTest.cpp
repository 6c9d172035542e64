// The photo library's SQLite store: opening whatever is on disk without
// losing it, exact titles, hidden assets, transactions, and a change made in
// another process seen at the next read.

#include "sim/photos/PhotoStore.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/SystemLog.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDeviceRoot.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace photos;

namespace {
AssetRecord photoAt(double date, bool hidden = false) {
    AssetRecord a;
    a.creationDate = date;
    a.hidden = hidden;
    return a;
}

std::vector<int64_t> ids(const std::vector<AssetRecord>& v) {
    std::vector<int64_t> out;
    for (const auto& a : v)
        out.push_back(a.id);
    return out;
}

struct LogCapture {
    std::vector<std::string> lines;
    LogCapture() {
        fnd::setLogSink([this](fnd::LogLevel, const std::string& l) { lines.push_back(l); });
    }
    ~LogCapture() { fnd::setLogSink(nullptr); }
};
} // namespace

TEST(PhotoStore, AMissingLibraryStartsFreshInWalModeAndReopensWithItsContent) {
    testsupport::TempDeviceRoot root;
    {
        auto store = PhotoStore::open();
        ASSERT_TRUE(store);
        EXPECT_EQ(store->schemaVersion(), kSchemaVersion);
        EXPECT_EQ(store->read([](Database& db) {
            Statement s = db.prepare("PRAGMA journal_mode");
            return s.step() ? s.text(0) : std::string();
        }),
                  "wal");
        ASSERT_TRUE(store->createAlbum("Trips"));
        EXPECT_FALSE(store->setAside());
    }
    auto again = PhotoStore::open();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->albumsWithTitle("Trips").size(), 1u);
}

TEST(PhotoStore, AnUnreadableLibraryIsMovedAsideNeverDeletedAndAFreshOneStarts) {
    testsupport::TempDeviceRoot root;
    auto host = root.host(kLibraryPath);
    std::filesystem::create_directories(host.parent_path());
    const std::string garbage = "this is not a database, but somebody's photos may be in it";
    std::ofstream(host) << garbage;
    LogCapture log;
    auto store = PhotoStore::open();
    ASSERT_TRUE(store);
    ASSERT_TRUE(store->setAside());
    std::ifstream kept(*store->setAside());
    std::string content((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, garbage) << "the damaged file was changed or lost";
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("moved aside"), std::string::npos) << log.lines[0];
    EXPECT_TRUE(store->createAlbum("Fresh"));
    EXPECT_TRUE(store->cameraRoll().empty());
}

TEST(PhotoStore, ALibraryFromANewerBuildIsSetAsideRatherThanMisread) {
    testsupport::TempDeviceRoot root;
    {
        auto store = PhotoStore::open();
        store->read([](Database& db) { return db.exec("PRAGMA user_version = 99"); });
    }
    LogCapture log;
    auto store = PhotoStore::open();
    ASSERT_TRUE(store);
    EXPECT_TRUE(store->setAside());
    EXPECT_EQ(store->schemaVersion(), kSchemaVersion);
}

TEST(PhotoStore, AnOlderLibraryIsMigratedWithEveryRowAndRowIdsAreNeverReused) {
    testsupport::TempDeviceRoot root;
    auto host = root.host(kLibraryPath);
    std::filesystem::create_directories(host.parent_path());
    {
        // A library as the first schema wrote it.
        auto db = Database::open(host.string());
        ASSERT_TRUE(db->exec(R"(
            CREATE TABLE assets (id INTEGER PRIMARY KEY, uuid TEXT NOT NULL UNIQUE, media_type INTEGER NOT NULL,
                creation_date REAL NOT NULL, hidden INTEGER NOT NULL DEFAULT 0, trashed INTEGER NOT NULL DEFAULT 0,
                favorite INTEGER NOT NULL DEFAULT 0, traits INTEGER NOT NULL DEFAULT 0,
                has_location INTEGER NOT NULL DEFAULT 0, image_path TEXT NOT NULL DEFAULT '');
            CREATE TABLE folders (id INTEGER PRIMARY KEY, uuid TEXT NOT NULL UNIQUE, title TEXT NOT NULL,
                parent INTEGER REFERENCES folders (id));
            CREATE TABLE albums (id INTEGER PRIMARY KEY, uuid TEXT NOT NULL UNIQUE, title TEXT NOT NULL,
                folder INTEGER REFERENCES folders (id));
            CREATE TABLE memberships (album INTEGER NOT NULL REFERENCES albums (id) ON DELETE CASCADE,
                asset INTEGER NOT NULL REFERENCES assets (id) ON DELETE CASCADE, PRIMARY KEY (album, asset))
                WITHOUT ROWID;
            INSERT INTO assets (id, uuid, media_type, creation_date, hidden) VALUES (1, 'A1', 1, 5, 1), (2, 'A2', 1, 6, 0);
            INSERT INTO folders (id, uuid, title) VALUES (1, 'F1', 'Trips');
            INSERT INTO albums (id, uuid, title, folder) VALUES (1, 'B1', 'Rome', 1);
            INSERT INTO memberships VALUES (1, 1), (1, 2);
            PRAGMA user_version = 1;
        )"));
    }
    auto store = PhotoStore::open();
    ASSERT_TRUE(store);
    EXPECT_FALSE(store->setAside());
    EXPECT_EQ(store->schemaVersion(), kSchemaVersion);
    auto rome = store->albumsWithTitle("Rome");
    ASSERT_EQ(rome.size(), 1u);
    EXPECT_EQ(rome[0].folder, std::optional<int64_t>(1));
    EXPECT_EQ(ids(store->assetsInAlbum(rome[0].id, true)), (std::vector<int64_t>{1, 2}));
    EXPECT_EQ(ids(store->cameraRoll()), (std::vector<int64_t>{2}));
    // A deleted album's id is not given to the next one: a stale handle can
    // never name a newer album.
    ASSERT_TRUE(store->transaction([&](Writer& w) { return w.deleteAlbum(rome[0].id); }));
    EXPECT_NE(store->createAlbum("Paris")->id, rome[0].id);
    EXPECT_EQ(store->assetsWithIds({1, 2}).size(), 2u) << "deleting an album keeps its assets";
}

namespace {
// An app's process: opens the library of the device at ARGS[0] and adds an
// album "From ARGS[1]".
int openLibraryChild(const std::vector<std::string>& args) {
    if (args.size() != 2) return 2;
    fnd::setDeviceRoot(args[0]);
    auto store = PhotoStore::open();
    return store && store->createAlbum("From " + args[1]) ? 0 : 1;
}
const testsupport::ChildRegistration kOpenLibrary("open-library", &openLibraryChild);

// Another app's process: fifty photos into album ARGS[1] of the library of
// the device at ARGS[0].
int addPhotosChild(const std::vector<std::string>& args) {
    if (args.size() != 2) return 2;
    fnd::setDeviceRoot(args[0]);
    auto other = PhotoStore::open();
    bool ok = other != nullptr;
    int64_t album = std::stoll(args[1]);
    for (int i = 0; ok && i < 50; ++i) {
        auto a = other->insertAsset(photoAt(i));
        ok = a && other->addMembers(album, {a->id});
    }
    return ok ? 0 : 1;
}
const testsupport::ChildRegistration kAddPhotos("add-photos", &addPhotosChild);
} // namespace

TEST(PhotoStore, AppsOpeningANewLibraryAtOnceAllGetIt) {
    testsupport::TempDeviceRoot root;
    std::vector<pid_t> children;
    for (int i = 0; i < 4; ++i) {
        pid_t child = testsupport::spawnChild("open-library", {root.path().string(), std::to_string(i)});
        ASSERT_GE(child, 0);
        children.push_back(child);
    }
    for (pid_t c : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(c, &status, 0), c);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "an app could not open the new library";
    }
    auto store = PhotoStore::open();
    EXPECT_FALSE(store->setAside());
    EXPECT_EQ(store->albums().size(), 4u);
}

TEST(PhotoStore, TitlesMatchExactlyAndCaseSensitivelyInCreationOrder) {
    testsupport::TempDeviceRoot root;
    auto store = PhotoStore::open();
    auto first = store->createAlbum("Trips");
    store->createAlbum("trips");
    auto second = store->createAlbum("Trips");
    store->createAlbum("Trips / 2019 ü");
    auto found = store->albumsWithTitle("Trips");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].uuid, first->uuid);
    EXPECT_EQ(found[1].uuid, second->uuid);
    EXPECT_EQ(store->albumsWithTitle("trips").size(), 1u);
    EXPECT_TRUE(store->albumsWithTitle("Trip").empty());
    EXPECT_EQ(store->albumsWithTitle("Trips / 2019 ü").size(), 1u);
}

TEST(PhotoStore, HiddenAssetsLeaveTheCameraRollButStayInTheirAlbums) {
    testsupport::TempDeviceRoot root;
    auto store = PhotoStore::open();
    auto a = store->insertAsset(photoAt(30));
    auto b = store->insertAsset(photoAt(10));
    auto c = store->insertAsset(photoAt(20));
    auto album = store->createAlbum("Trips");
    ASSERT_TRUE(store->addMembers(album->id, {a->id, b->id}));
    ASSERT_TRUE(store->addMembers(album->id, {a->id}));                               // already a member: no change
    EXPECT_EQ(ids(store->cameraRoll()), (std::vector<int64_t>{b->id, c->id, a->id})); // by date
    ASSERT_TRUE(store->setHidden({a->id, b->id}, true));
    EXPECT_EQ(ids(store->cameraRoll()), (std::vector<int64_t>{c->id}));
    EXPECT_TRUE(store->assetsInAlbum(album->id, false).empty());
    EXPECT_EQ(ids(store->assetsInAlbum(album->id, true)), (std::vector<int64_t>{b->id, a->id}));
    ASSERT_TRUE(store->setHidden({a->id}, false));
    EXPECT_EQ(ids(store->cameraRoll()), (std::vector<int64_t>{c->id, a->id}));
    ASSERT_TRUE(store->removeMembers(album->id, {a->id}));
    EXPECT_EQ(ids(store->assetsInAlbum(album->id, true)), (std::vector<int64_t>{b->id}));
}

TEST(PhotoStore, AFailedTransactionCommitsNothing) {
    testsupport::TempDeviceRoot root;
    auto store = PhotoStore::open();
    auto asset = store->insertAsset(photoAt(1));
    EXPECT_FALSE(store->transaction([](Writer& w) { return w.createAlbum("Half") && false; }));
    EXPECT_TRUE(store->albumsWithTitle("Half").empty());
    // A membership naming an album that does not exist breaks a foreign key:
    // the whole batch is refused.
    auto album = store->createAlbum("Real");
    EXPECT_FALSE(store->addMembers(9999, {asset->id}));
    EXPECT_TRUE(store->addMembers(album->id, {asset->id}));
    EXPECT_FALSE(store->transaction([&](Writer& w) {
        return w.removeMembers(album->id, {asset->id}) && w.db().exec("INSERT INTO nowhere VALUES (1)");
    }));
    EXPECT_EQ(store->assetsInAlbum(album->id, true).size(), 1u);
}

TEST(PhotoStore, AChangeCommittedInAnotherProcessIsSeenAtTheNextRead) {
    testsupport::TempDeviceRoot root;
    auto store = PhotoStore::open();
    auto album = store->createAlbum("Shared");
    EXPECT_TRUE(store->assetsInAlbum(album->id, true).empty());
    pid_t child = testsupport::spawnChild("add-photos", {root.path().string(), std::to_string(album->id)});
    ASSERT_GE(child, 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(store->assetsInAlbum(album->id, true).size(), 50u);
    EXPECT_EQ(store->cameraRoll().size(), 50u);
}

TEST(PhotoStore, ThreadsWritingAndReadingAtOnceLoseNothing) {
    testsupport::TempDeviceRoot root;
    auto store = PhotoStore::open();
    auto second = PhotoStore::open(); // another connection to the same file
    auto album = store->createAlbum("Busy");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        PhotoStore* s = t % 2 ? second.get() : store.get();
        threads.emplace_back([s, t, id = album->id] {
            for (int i = 0; i < 25; ++i) {
                auto a = s->insertAsset(photoAt(t * 100 + i));
                if (a) s->addMembers(id, {a->id});
                (void)s->cameraRoll();
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(store->assetsInAlbum(album->id, true).size(), 100u);
    EXPECT_EQ(second->cameraRoll().size(), 100u);
}
