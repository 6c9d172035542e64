#include "sim/photos/PhotoStore.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/SystemLog.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace photos {

namespace fs = std::filesystem;

namespace {

// Each migration takes the schema from version i to i + 1.
const char* const kMigrations[] = {
    R"(
    CREATE TABLE assets (
        id INTEGER PRIMARY KEY,
        uuid TEXT NOT NULL UNIQUE,
        media_type INTEGER NOT NULL,
        creation_date REAL NOT NULL,
        hidden INTEGER NOT NULL DEFAULT 0,
        trashed INTEGER NOT NULL DEFAULT 0,
        favorite INTEGER NOT NULL DEFAULT 0,
        traits INTEGER NOT NULL DEFAULT 0,
        has_location INTEGER NOT NULL DEFAULT 0,
        image_path TEXT NOT NULL DEFAULT ''
    );
    CREATE INDEX assets_by_date ON assets (creation_date, id);
    CREATE INDEX assets_visible_by_date ON assets (hidden, trashed, creation_date, id);
    CREATE TABLE folders (
        id INTEGER PRIMARY KEY,
        uuid TEXT NOT NULL UNIQUE,
        title TEXT NOT NULL,
        parent INTEGER REFERENCES folders (id)
    );
    CREATE TABLE albums (
        id INTEGER PRIMARY KEY,
        uuid TEXT NOT NULL UNIQUE,
        title TEXT NOT NULL,
        folder INTEGER REFERENCES folders (id)
    );
    CREATE INDEX albums_by_title ON albums (title, id);
    CREATE TABLE memberships (
        album INTEGER NOT NULL REFERENCES albums (id) ON DELETE CASCADE,
        asset INTEGER NOT NULL REFERENCES assets (id) ON DELETE CASCADE,
        PRIMARY KEY (album, asset)
    ) WITHOUT ROWID;
    CREATE INDEX memberships_by_asset ON memberships (asset, album);
    )",
    // Version 2: row ids are never reused (AUTOINCREMENT), so that an object
    // fetched before a delete can never name a row created after it; assets
    // gain their pixel size and original name. SQLite cannot add
    // AUTOINCREMENT to a table, so each table is rebuilt and its rows copied
    // with their ids (foreign keys are off while migrations run).
    R"(
    CREATE TABLE assets2 (
        id INTEGER PRIMARY KEY AUTOINCREMENT,
        uuid TEXT NOT NULL UNIQUE,
        media_type INTEGER NOT NULL,
        creation_date REAL NOT NULL,
        hidden INTEGER NOT NULL DEFAULT 0,
        trashed INTEGER NOT NULL DEFAULT 0,
        favorite INTEGER NOT NULL DEFAULT 0,
        traits INTEGER NOT NULL DEFAULT 0,
        has_location INTEGER NOT NULL DEFAULT 0,
        image_path TEXT NOT NULL DEFAULT '',
        pixel_width INTEGER NOT NULL DEFAULT 0,
        pixel_height INTEGER NOT NULL DEFAULT 0,
        filename TEXT NOT NULL DEFAULT ''
    );
    INSERT INTO assets2 (id, uuid, media_type, creation_date, hidden, trashed, favorite, traits, has_location,
                         image_path)
        SELECT id, uuid, media_type, creation_date, hidden, trashed, favorite, traits, has_location, image_path
        FROM assets;
    DROP TABLE assets;
    ALTER TABLE assets2 RENAME TO assets;
    CREATE INDEX assets_by_date ON assets (creation_date, id);
    CREATE INDEX assets_visible_by_date ON assets (hidden, trashed, creation_date, id);

    CREATE TABLE folders2 (
        id INTEGER PRIMARY KEY AUTOINCREMENT,
        uuid TEXT NOT NULL UNIQUE,
        title TEXT NOT NULL,
        parent INTEGER REFERENCES folders (id) ON DELETE SET NULL
    );
    INSERT INTO folders2 (id, uuid, title, parent) SELECT id, uuid, title, parent FROM folders;
    DROP TABLE folders;
    ALTER TABLE folders2 RENAME TO folders;
    CREATE INDEX folders_by_parent ON folders (parent, id);

    CREATE TABLE albums2 (
        id INTEGER PRIMARY KEY AUTOINCREMENT,
        uuid TEXT NOT NULL UNIQUE,
        title TEXT NOT NULL,
        folder INTEGER REFERENCES folders (id) ON DELETE SET NULL
    );
    INSERT INTO albums2 (id, uuid, title, folder) SELECT id, uuid, title, folder FROM albums;
    DROP TABLE albums;
    ALTER TABLE albums2 RENAME TO albums;
    CREATE INDEX albums_by_title ON albums (title, id);
    CREATE INDEX albums_by_folder ON albums (folder, id);
    )",
    // Version 3: each asset's thumbnail, made when it comes in (Thumbnails.h)
    // and dropped with it. A library from before has none: each is made
    // again from its original the first time it is asked for.
    R"(
    CREATE TABLE thumbnails (
        asset INTEGER PRIMARY KEY REFERENCES assets (id) ON DELETE CASCADE,
        width INTEGER NOT NULL,
        height INTEGER NOT NULL,
        jpeg BLOB NOT NULL
    );
    )",
};
static_assert(std::size(kMigrations) == kSchemaVersion);

std::optional<int> userVersion(Database& db) {
    Statement s = db.prepare("PRAGMA user_version");
    if (!s || !s.step()) return std::nullopt;
    return static_cast<int>(s.integer(0));
}

bool foreignKeysHold(Database& db) {
    Statement s = db.prepare("PRAGMA foreign_key_check");
    return s && !s.step();
}

// A library file opened and checked: a connection, or why there is none.
// Only a file that SQLite cannot read as a library (or one of a newer
// schema) counts as unreadable; a lock held by another process does not.
struct Checked {
    std::optional<Database> db;
    bool unreadable = false;
    std::string why;
};

Checked failure(Database& db, const std::string& step) {
    return Checked{std::nullopt, !db.lastErrorWasBusy(), step + ": " + db.lastError()};
}

// WAL mode belongs to the file. Switching to it needs a moment with no other
// connection on the file, and SQLite answers "busy" at once rather than wait
// for one, so the switch is retried for a while.
bool ensureWal(Database& db) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        Statement mode = db.prepare("PRAGMA journal_mode");
        if (mode && mode.step() && mode.text(0) == "wal") return true;
        mode = Statement();
        if (db.exec("PRAGMA journal_mode=WAL")) continue; // read back above
        if (!db.lastErrorWasBusy()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

Checked openChecked(const std::string& host) {
    auto db = Database::open(host);
    if (!db) return Checked{std::nullopt, false, "cannot open the file"};
    auto version = userVersion(*db);
    if (!version) return failure(*db, "reading the schema version");
    if (*version > kSchemaVersion)
        return Checked{std::nullopt, true, "its schema " + std::to_string(*version) + " is newer than this build's"};
    if (!ensureWal(*db)) return failure(*db, "switching to WAL");
    if (!db->exec("PRAGMA foreign_keys=ON")) return failure(*db, "turning on foreign keys");
    Statement check = db->prepare("PRAGMA quick_check");
    if (!check || !check.step()) return failure(*db, "checking it");
    if (check.text(0) != "ok") return Checked{std::nullopt, true, "the check found: " + check.text(0)};
    check = Statement();
    return Checked{std::move(db), false, {}};
}

// Renames the library and its journal files aside; the new name is returned.
std::string moveAside(const std::string& host) {
    auto stamp =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    std::string aside = host + ".corrupt-" + std::to_string(stamp);
    for (int n = 1; fs::exists(aside); ++n)
        aside = host + ".corrupt-" + std::to_string(stamp) + "-" + std::to_string(n);
    std::error_code ec;
    fs::rename(host, aside, ec);
    for (const char* suffix : {"-wal", "-shm"})
        fs::rename(host + suffix, aside + suffix, ec);
    return aside;
}

} // namespace

int64_t dayOf(double d) { return static_cast<int64_t>(std::floor(d / 86400.0)); }

std::string newUuid() {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    static const char* hex = "0123456789ABCDEF";
    std::string s;
    for (int i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20) s += '-';
        s += hex[rng() % 16];
    }
    return s;
}

std::optional<std::string> PhotoStore::migrate(Database& db) {
    auto version = userVersion(db);
    if (!version) return "reading the schema version: " + db.lastError();
    if (*version == kSchemaVersion) return std::nullopt;
    // Tables are rebuilt under references to them; the check at the end of
    // each migration makes sure no reference was left dangling.
    if (!db.exec("PRAGMA foreign_keys=OFF")) return "turning off foreign keys: " + db.lastError();
    std::optional<std::string> failure;
    for (;;) {
        if (!db.exec("BEGIN IMMEDIATE")) {
            failure = "starting a migration: " + db.lastError();
            break;
        }
        // Read again under the write lock: another process opening the same
        // new library may have migrated it meanwhile.
        version = userVersion(db);
        if (!version || *version >= kSchemaVersion) {
            if (!version) failure = "reading the schema version: " + db.lastError();
            if (!db.exec("COMMIT") && !failure) failure = "ending the migration: " + db.lastError();
            break;
        }
        int v = *version;
        bool ok =
            db.exec(kMigrations[v]) && foreignKeysHold(db) && db.exec("PRAGMA user_version = " + std::to_string(v + 1));
        if (!ok) failure = "migrating to schema " + std::to_string(v + 1) + ": " + db.lastError();
        if (!db.exec(ok ? "COMMIT" : "ROLLBACK") && !failure)
            failure = "committing schema " + std::to_string(v + 1) + ": " + db.lastError();
        if (failure) break;
    }
    if (!db.exec("PRAGMA foreign_keys=ON") && !failure) failure = "turning on foreign keys: " + db.lastError();
    return failure;
}

namespace {
// Held while a process opens, checks and migrates the library: apps that
// start together would otherwise race to create it, switch it to WAL and
// migrate it. An advisory lock on a file beside the library; the kernel
// drops it if the process dies.
class OpenLock {
public:
    explicit OpenLock(const fs::path& library) {
        m_fd = ::open((library.string() + ".openlock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd >= 0)
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~OpenLock() {
        if (m_fd >= 0) ::close(m_fd);
    }
    OpenLock(const OpenLock&) = delete;
    OpenLock& operator=(const OpenLock&) = delete;

private:
    int m_fd = -1;
};
} // namespace

std::unique_ptr<PhotoStore> PhotoStore::open(const std::string& devicePath) {
    fs::path host = fnd::hostPath(devicePath);
    std::error_code ec;
    fs::create_directories(host.parent_path(), ec);
    OpenLock opening(host);
    std::optional<std::string> aside;
    Checked checked;
    if (fs::exists(host, ec)) {
        checked = openChecked(host.string());
        if (checked.unreadable) {
            aside = moveAside(host.string());
            fnd::systemLog(fnd::LogLevel::Error, "photos: the library at " + devicePath + " cannot be read (" +
                                                     checked.why + "); it was moved aside to " +
                                                     aside->substr(aside->rfind('/') + 1) +
                                                     " and a new library starts");
        }
    }
    if (!checked.db && (aside || !fs::exists(host, ec))) checked = openChecked(host.string());
    std::optional<std::string> failure = checked.db ? migrate(*checked.db) : checked.why;
    if (failure) {
        fnd::systemLog(fnd::LogLevel::Error,
                       "photos: cannot open the library at " + devicePath + " (" + *failure + ")");
        return nullptr;
    }
    std::unique_ptr<PhotoStore> store(new PhotoStore(std::move(*checked.db)));
    store->m_setAside = aside;
    return store;
}

bool PhotoStore::transaction(const std::function<bool(Writer&)>& body) {
    std::lock_guard guard(m_lock);
    if (!m_db.exec("BEGIN IMMEDIATE")) return false;
    Writer w(m_db);
    bool ok = body(w);
    ++m_ownCommits; // a rolled-back attempt counts too: a spare change is harmless, a missed one is not
    if (ok && m_db.exec("COMMIT")) return true;
    m_db.exec("ROLLBACK");
    return false;
}

PhotoStore::ChangeToken PhotoStore::changeToken() {
    std::lock_guard guard(m_lock);
    Statement s = m_db.prepare("PRAGMA data_version");
    return {s.step() ? s.integer(0) : -1, m_ownCommits};
}

int PhotoStore::schemaVersion() {
    return read([](Database& db) { return userVersion(db).value_or(0); });
}

// ---- writes ------------------------------------------------------------------------------

std::optional<AssetRecord> Writer::insertAsset(AssetRecord a) {
    if (a.uuid.empty()) a.uuid = newUuid();
    Statement s =
        m_db.prepare("INSERT INTO assets (uuid, media_type, creation_date, hidden, trashed, favorite, traits, "
                     "has_location, image_path, pixel_width, pixel_height, filename) "
                     "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    s.bind(1, a.uuid)
        .bind(2, int64_t{a.mediaType})
        .bind(3, a.creationDate)
        .bind(4, int64_t{a.hidden})
        .bind(5, int64_t{a.trashed})
        .bind(6, int64_t{a.favorite})
        .bind(7, a.traits)
        .bind(8, int64_t{a.hasLocation})
        .bind(9, a.imagePath)
        .bind(10, int64_t{a.pixelWidth})
        .bind(11, int64_t{a.pixelHeight})
        .bind(12, a.filename);
    if (!s.run()) return std::nullopt;
    a.id = m_db.lastInsertId();
    return a;
}

std::optional<AlbumRecord> Writer::createAlbum(const std::string& title, std::optional<int64_t> folder,
                                               std::string uuid) {
    AlbumRecord c{0, uuid.empty() ? newUuid() : std::move(uuid), title, folder};
    Statement s = m_db.prepare("INSERT INTO albums (uuid, title, folder) VALUES (?, ?, ?)");
    s.bind(1, c.uuid).bind(2, title);
    if (folder)
        s.bind(3, *folder);
    else
        s.bindNull(3);
    if (!s.run()) return std::nullopt;
    c.id = m_db.lastInsertId();
    return c;
}

std::optional<FolderRecord> Writer::createFolder(const std::string& title, std::optional<int64_t> parent) {
    FolderRecord f{0, newUuid(), title, parent};
    Statement s = m_db.prepare("INSERT INTO folders (uuid, title, parent) VALUES (?, ?, ?)");
    s.bind(1, f.uuid).bind(2, title);
    if (parent)
        s.bind(3, *parent);
    else
        s.bindNull(3);
    if (!s.run()) return std::nullopt;
    f.id = m_db.lastInsertId();
    return f;
}

bool Writer::perAsset(const char* sql, int64_t first, const std::vector<int64_t>& assets) {
    Statement s = m_db.prepare(sql);
    for (int64_t a : assets) {
        s.reset();
        s.bind(1, first).bind(2, a);
        if (!s.run()) return false;
    }
    return true;
}

bool Writer::addMembers(int64_t album, const std::vector<int64_t>& assets) {
    return perAsset("INSERT OR IGNORE INTO memberships (album, asset) VALUES (?, ?)", album, assets);
}

bool Writer::removeMembers(int64_t album, const std::vector<int64_t>& assets) {
    return perAsset("DELETE FROM memberships WHERE album = ? AND asset = ?", album, assets);
}

bool Writer::setHidden(const std::vector<int64_t>& assets, bool hidden) {
    return perAsset("UPDATE assets SET hidden = ? WHERE id = ?", int64_t{hidden}, assets);
}

bool Writer::setFavorite(const std::vector<int64_t>& assets, bool favorite) {
    return perAsset("UPDATE assets SET favorite = ? WHERE id = ?", int64_t{favorite}, assets);
}

bool Writer::setTrashed(const std::vector<int64_t>& assets, bool trashed) {
    return perAsset("UPDATE assets SET trashed = ? WHERE id = ?", int64_t{trashed}, assets);
}

bool Writer::renameAlbum(int64_t album, const std::string& title) {
    Statement s = m_db.prepare("UPDATE albums SET title = ? WHERE id = ?");
    s.bind(1, title).bind(2, album);
    return s.run() && m_db.changes() == 1;
}

bool Writer::deleteAlbum(int64_t album) {
    Statement s = m_db.prepare("DELETE FROM albums WHERE id = ?");
    s.bind(1, album);
    return s.run() && m_db.changes() == 1;
}

bool Writer::deleteAssets(const std::vector<int64_t>& assets) {
    Statement s = m_db.prepare("DELETE FROM assets WHERE id = ?");
    for (int64_t a : assets) {
        s.reset();
        s.bind(1, a);
        if (!s.run()) return false;
    }
    return true;
}

bool Writer::setThumbnail(int64_t asset, const ThumbnailRecord& t) {
    Statement s = m_db.prepare("INSERT OR REPLACE INTO thumbnails (asset, width, height, jpeg) VALUES (?, ?, ?, ?)");
    s.bind(1, asset).bind(2, static_cast<int64_t>(t.width)).bind(3, static_cast<int64_t>(t.height)).bindBlob(4, t.jpeg);
    return s.run();
}

bool PhotoStore::setThumbnail(int64_t asset, const ThumbnailRecord& thumbnail) {
    return transaction([&](Writer& w) { return w.setThumbnail(asset, thumbnail); });
}

std::optional<ThumbnailRecord> PhotoStore::thumbnail(int64_t asset) {
    return read([&](Database& db) -> std::optional<ThumbnailRecord> {
        Statement s = db.prepare("SELECT width, height, jpeg FROM thumbnails WHERE asset = ?");
        s.bind(1, asset);
        if (!s.step()) return std::nullopt;
        return ThumbnailRecord{static_cast<int>(s.integer(0)), static_cast<int>(s.integer(1)), s.blob(2)};
    });
}

std::optional<AssetRecord> PhotoStore::insertAsset(AssetRecord a) {
    std::optional<AssetRecord> out;
    transaction([&](Writer& w) { return (out = w.insertAsset(std::move(a))).has_value(); });
    return out;
}

std::optional<AlbumRecord> PhotoStore::createAlbum(const std::string& title, std::optional<int64_t> folder) {
    std::optional<AlbumRecord> out;
    transaction([&](Writer& w) { return (out = w.createAlbum(title, folder)).has_value(); });
    return out;
}

std::optional<FolderRecord> PhotoStore::createFolder(const std::string& title, std::optional<int64_t> parent) {
    std::optional<FolderRecord> out;
    transaction([&](Writer& w) { return (out = w.createFolder(title, parent)).has_value(); });
    return out;
}

bool PhotoStore::addMembers(int64_t album, const std::vector<int64_t>& assets) {
    return transaction([&](Writer& w) { return w.addMembers(album, assets); });
}

bool PhotoStore::removeMembers(int64_t album, const std::vector<int64_t>& assets) {
    return transaction([&](Writer& w) { return w.removeMembers(album, assets); });
}

bool PhotoStore::setHidden(const std::vector<int64_t>& assets, bool hidden) {
    return transaction([&](Writer& w) { return w.setHidden(assets, hidden); });
}

// ---- queries -----------------------------------------------------------------------------

namespace {

const char* kAssetColumns = "a.id, a.uuid, a.media_type, a.creation_date, a.hidden, a.trashed, a.favorite, a.traits, "
                            "a.has_location, a.image_path, a.pixel_width, a.pixel_height, a.filename";

// The day of a.creation_date, rounded down also before the reference date.
const char* kDaySql = "(CAST(a.creation_date / 86400 AS INTEGER) - (a.creation_date < 0 AND "
                      "a.creation_date != CAST(a.creation_date / 86400 AS INTEGER) * 86400))";

AssetRecord assetRow(const Statement& s) {
    return AssetRecord{s.integer(0),
                       s.text(1),
                       static_cast<int>(s.integer(2)),
                       s.real(3),
                       s.integer(4) != 0,
                       s.integer(5) != 0,
                       s.integer(6) != 0,
                       s.integer(7),
                       s.integer(8) != 0,
                       s.text(9),
                       static_cast<int>(s.integer(10)),
                       static_cast<int>(s.integer(11)),
                       s.text(12)};
}

std::optional<int64_t> nullableInteger(const Statement& s, int column) {
    if (s.isNull(column)) return std::nullopt;
    return s.integer(column);
}

thread_local uint64_t t_failedReads = 0;

// Every row of a statement, each made by `row`; a statement that failed at
// any point gives the rows marked failed, with a line in the system log.
template <class T, class F> Rows<T> collect(Database& db, Statement& s, F&& row) {
    Rows<T> out;
    while (s.step())
        out.push_back(row(s));
    if (s.failed()) {
        out.failed = true;
        ++t_failedReads;
        fnd::systemLog(fnd::LogLevel::Error, "photos: a read of the library failed: " + db.lastError());
    }
    return out;
}

// Rows of (id, uuid, title, containing folder): albums or folders.
template <class Record> Rows<Record> shelfRows(Database& db, Statement& s) {
    return collect<Record>(db, s, [](const Statement& r) {
        return Record{r.integer(0), r.text(1), r.text(2), nullableInteger(r, 3)};
    });
}
Rows<AlbumRecord> albumRows(Database& db, Statement& s) { return shelfRows<AlbumRecord>(db, s); }
Rows<FolderRecord> folderRows(Database& db, Statement& s) { return shelfRows<FolderRecord>(db, s); }

// "?, ?, ?" for n values.
std::string placeholders(std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += i ? ", ?" : "?";
    return out;
}

// The FROM and WHERE of an asset query, and a binder for its values.
struct AssetSql {
    std::string fromWhere;
    std::function<void(Statement&)> bind;
};

AssetSql assetSql(const AssetQuery& q) {
    // An album's assets are found from its memberships (CROSS JOIN keeps that
    // order): left to itself, SQLite walks the visible-by-date index over the
    // whole library to spare the sort, and probes the album's memberships for
    // every asset, which at 100,000 assets costs milliseconds per fetch.
    std::string from = q.source == AssetQuery::Source::Album
                           ? " FROM memberships m CROSS JOIN assets a ON a.id = m.asset WHERE m.album = ?"
                           : " FROM assets a WHERE 1";
    if (q.source == AssetQuery::Source::Sql) from += " AND (" + q.condition + ")";
    if (!q.includeHidden) from += " AND a.hidden = 0";
    if (!q.includeTrashed) from += " AND a.trashed = 0";
    if (q.mediaType) from += " AND a.media_type = " + std::to_string(*q.mediaType);
    return {from, [q](Statement& s) {
                int n = 1;
                if (q.source == AssetQuery::Source::Album) s.bind(n++, q.album);
                if (q.source == AssetQuery::Source::Sql)
                    for (char c : q.condition)
                        if (c == '?') s.bind(n++, q.conditionArg);
            }};
}

} // namespace

uint64_t PhotoStore::failedReadsOnThisThread() { return t_failedReads; }

Rows<AlbumRecord> PhotoStore::albums(const std::optional<std::string>& title) {
    return read([&](Database& db) {
        // = on TEXT compares bytes: exact and case-sensitive.
        Statement s = db.prepare(title ? "SELECT id, uuid, title, folder FROM albums WHERE title = ? ORDER BY id"
                                       : "SELECT id, uuid, title, folder FROM albums ORDER BY id");
        if (title) s.bind(1, *title);
        return albumRows(db, s);
    });
}

namespace {

// Albums and folders share a shape: id, uuid, title, and the folder each
// sits in (an album's "folder", a folder's "parent").
template <class Record> struct Shelf;
template <> struct Shelf<AlbumRecord> {
    static constexpr const char* kSelect = "SELECT id, uuid, title, folder FROM albums";
    static constexpr const char* kParent = "folder";
    static Rows<AlbumRecord> rows(Database& db, Statement& s) { return albumRows(db, s); }
};
template <> struct Shelf<FolderRecord> {
    static constexpr const char* kSelect = "SELECT id, uuid, title, parent FROM folders";
    static constexpr const char* kParent = "parent";
    static Rows<FolderRecord> rows(Database& db, Statement& s) { return folderRows(db, s); }
};

template <class Record> Rows<Record> inFolder(Database& db, std::optional<int64_t> folder) {
    using S = Shelf<Record>;
    Statement s =
        db.prepare(std::string(S::kSelect) + " WHERE " + S::kParent + (folder ? " = ?" : " IS NULL") + " ORDER BY id");
    if (folder) s.bind(1, *folder);
    return S::rows(db, s);
}

template <class Record> Rows<Record> withUuids(Database& db, const std::vector<std::string>& uuids) {
    using S = Shelf<Record>;
    Statement s =
        db.prepare(std::string(S::kSelect) + " WHERE uuid IN (" + placeholders(uuids.size()) + ") ORDER BY id");
    for (std::size_t i = 0; i < uuids.size(); ++i)
        s.bind(static_cast<int>(i + 1), uuids[i]);
    return S::rows(db, s);
}

} // namespace

Rows<AlbumRecord> PhotoStore::albumsInFolder(std::optional<int64_t> folder) {
    return read([&](Database& db) { return inFolder<AlbumRecord>(db, folder); });
}

Rows<AlbumRecord> PhotoStore::albumsWithUuids(const std::vector<std::string>& uuids) {
    return read([&](Database& db) { return withUuids<AlbumRecord>(db, uuids); });
}

Rows<AlbumRecord> PhotoStore::albumsContaining(int64_t asset) {
    return read([&](Database& db) {
        Statement s =
            db.prepare("SELECT c.id, c.uuid, c.title, c.folder FROM memberships m JOIN albums c ON c.id = m.album "
                       "WHERE m.asset = ? ORDER BY c.id");
        s.bind(1, asset);
        return albumRows(db, s);
    });
}

Rows<FolderRecord> PhotoStore::folders() {
    return read([&](Database& db) {
        Statement s = db.prepare("SELECT id, uuid, title, parent FROM folders ORDER BY id");
        return folderRows(db, s);
    });
}

Rows<FolderRecord> PhotoStore::foldersIn(std::optional<int64_t> parent) {
    return read([&](Database& db) { return inFolder<FolderRecord>(db, parent); });
}

Rows<FolderRecord> PhotoStore::foldersWithUuids(const std::vector<std::string>& uuids) {
    return read([&](Database& db) { return withUuids<FolderRecord>(db, uuids); });
}

Rows<int64_t> PhotoStore::assetIds(const AssetQuery& q) {
    AssetSql sql = assetSql(q);
    std::string order = q.descending ? " ORDER BY a.creation_date DESC, a.id DESC" : " ORDER BY a.creation_date, a.id";
    std::string limit = q.limit ? " LIMIT " + std::to_string(*q.limit) : "";
    return read([&](Database& db) {
        Statement s = db.prepare("SELECT a.id" + sql.fromWhere + order + limit);
        sql.bind(s);
        return collect<int64_t>(db, s, [](const Statement& r) { return r.integer(0); });
    });
}

std::optional<int64_t> PhotoStore::countAssets(const AssetQuery& q) {
    AssetSql sql = assetSql(q);
    Rows<int64_t> count = read([&](Database& db) {
        Statement s = db.prepare("SELECT count(*)" + sql.fromWhere);
        sql.bind(s);
        return collect<int64_t>(db, s, [](const Statement& r) { return r.integer(0); });
    });
    if (count.failed || count.empty()) return std::nullopt;
    return count.front();
}

Rows<AssetRecord> PhotoStore::assets(const AssetQuery& q) {
    Rows<int64_t> ids = assetIds(q);
    if (ids.failed) {
        Rows<AssetRecord> none;
        none.failed = true;
        return none;
    }
    return assetsWithIds(ids);
}

Rows<AssetRecord> PhotoStore::assetsWithIds(const std::vector<int64_t>& ids) {
    Rows<AssetRecord> out;
    out.reserve(ids.size());
    // SQLite takes at most 32766 values in one statement; chunks stay well below.
    constexpr std::size_t kChunk = 500;
    for (std::size_t from = 0; from < ids.size(); from += kChunk) {
        std::size_t n = std::min(kChunk, ids.size() - from);
        Rows<AssetRecord> rows = read([&](Database& db) {
            Statement s = db.prepare(std::string("SELECT ") + kAssetColumns + " FROM assets a WHERE a.id IN (" +
                                     placeholders(n) + ")");
            for (std::size_t i = 0; i < n; ++i)
                s.bind(static_cast<int>(i + 1), ids[from + i]);
            return collect<AssetRecord>(db, s, assetRow);
        });
        if (rows.failed) {
            out.clear();
            out.failed = true;
            return out;
        }
        std::sort(rows.begin(), rows.end(), [](const AssetRecord& x, const AssetRecord& y) { return x.id < y.id; });
        for (std::size_t i = 0; i < n; ++i) {
            auto it = std::lower_bound(rows.begin(), rows.end(), ids[from + i],
                                       [](const AssetRecord& r, int64_t id) { return r.id < id; });
            if (it != rows.end() && it->id == ids[from + i]) out.push_back(*it);
        }
    }
    return out;
}

Rows<AssetRecord> PhotoStore::assetsWithUuids(const std::vector<std::string>& uuids) {
    return read([&](Database& db) {
        Statement s = db.prepare(std::string("SELECT ") + kAssetColumns + " FROM assets a WHERE a.uuid IN (" +
                                 placeholders(uuids.size()) + ") ORDER BY a.creation_date, a.id");
        for (std::size_t i = 0; i < uuids.size(); ++i)
            s.bind(static_cast<int>(i + 1), uuids[i]);
        return collect<AssetRecord>(db, s, assetRow);
    });
}

Rows<MomentRecord> PhotoStore::moments(bool includeHidden) {
    return read([&](Database& db) {
        Statement s = db.prepare(std::string("SELECT ") + kDaySql +
                                 " AS day, count(*), min(a.creation_date), max(a.creation_date) FROM assets a "
                                 "WHERE a.trashed = 0" +
                                 (includeHidden ? "" : " AND a.hidden = 0") + " GROUP BY day ORDER BY day");
        return collect<MomentRecord>(db, s, [](const Statement& r) {
            return MomentRecord{r.integer(0), r.integer(1), r.real(2), r.real(3)};
        });
    });
}

Rows<AssetRecord> PhotoStore::assetsInAlbum(int64_t album, bool includeHidden) {
    AssetQuery q;
    q.source = AssetQuery::Source::Album;
    q.album = album;
    q.includeHidden = includeHidden;
    return assets(q);
}

Rows<AssetRecord> PhotoStore::cameraRoll() { return assets(AssetQuery{}); }

std::string momentCondition() { return std::string(kDaySql) + " = ?"; }

} // namespace photos
