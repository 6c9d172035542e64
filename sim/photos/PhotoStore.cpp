#include "sim/photos/PhotoStore.h"

#include <chrono>
#include <filesystem>
#include <random>

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/SystemLog.h"

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
};
static_assert(std::size(kMigrations) == kSchemaVersion);

std::optional<int> userVersion(Database& db) {
    Statement s = db.prepare("PRAGMA user_version");
    if (!s || !s.step()) return std::nullopt;
    return static_cast<int>(s.integer(0));
}

// Opens and checks a library file: none when SQLite cannot read it as one.
std::optional<Database> openChecked(const std::string& host) {
    auto db = Database::open(host);
    if (!db) return std::nullopt;
    auto version = userVersion(*db);
    if (!version || *version > kSchemaVersion) return std::nullopt;
    if (!db->exec("PRAGMA journal_mode=WAL") || !db->exec("PRAGMA foreign_keys=ON")) return std::nullopt;
    Statement check = db->prepare("PRAGMA quick_check");
    if (!check || !check.step() || check.text(0) != "ok") return std::nullopt;
    return db;
}

// Renames the library and its journal files aside; the new name is returned.
std::string moveAside(const std::string& host) {
    auto stamp = std::chrono::duration_cast<std::chrono::seconds>(
                     std::chrono::system_clock::now().time_since_epoch())
                     .count();
    std::string aside = host + ".corrupt-" + std::to_string(stamp);
    for (int n = 1; fs::exists(aside); ++n) aside = host + ".corrupt-" + std::to_string(stamp) + "-" + std::to_string(n);
    std::error_code ec;
    fs::rename(host, aside, ec);
    for (const char* suffix : {"-wal", "-shm"}) fs::rename(host + suffix, aside + suffix, ec);
    return aside;
}

} // namespace

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

bool PhotoStore::migrate(Database& db) {
    auto version = userVersion(db);
    if (!version) return false;
    for (int v = *version; v < kSchemaVersion; ++v) {
        if (!db.exec("BEGIN IMMEDIATE")) return false;
        bool ok = db.exec(kMigrations[v]) && db.exec("PRAGMA user_version = " + std::to_string(v + 1));
        if (!db.exec(ok ? "COMMIT" : "ROLLBACK") || !ok) return false;
    }
    return true;
}

std::unique_ptr<PhotoStore> PhotoStore::open(const std::string& devicePath) {
    fs::path host = fnd::hostPath(devicePath);
    std::error_code ec;
    fs::create_directories(host.parent_path(), ec);
    std::optional<std::string> aside;
    std::optional<Database> db;
    if (fs::exists(host, ec)) {
        db = openChecked(host.string());
        if (!db) {
            aside = moveAside(host.string());
            fnd::systemLog(fnd::LogLevel::Error,
                           "photos: the library at " + devicePath +
                               " cannot be read; it was moved aside to " + aside->substr(aside->rfind('/') + 1) +
                               " and a new library starts");
        }
    }
    if (!db) db = openChecked(host.string());
    if (!db || !migrate(*db)) {
        fnd::systemLog(fnd::LogLevel::Error, "photos: cannot create a library at " + devicePath);
        return nullptr;
    }
    std::unique_ptr<PhotoStore> store(new PhotoStore(std::move(*db)));
    store->m_setAside = aside;
    return store;
}

bool PhotoStore::transaction(const std::function<bool(Database&)>& body) {
    std::lock_guard guard(m_lock);
    if (!m_db.exec("BEGIN IMMEDIATE")) return false;
    bool ok = body(m_db);
    if (ok && m_db.exec("COMMIT")) return true;
    m_db.exec("ROLLBACK");
    return false;
}

int PhotoStore::schemaVersion() {
    return read([](Database& db) { return userVersion(db).value_or(0); });
}

std::optional<AssetRecord> PhotoStore::insertAsset(AssetRecord a) {
    if (a.uuid.empty()) a.uuid = newUuid();
    bool ok = transaction([&](Database& db) {
        Statement s = db.prepare(
            "INSERT INTO assets (uuid, media_type, creation_date, hidden, trashed, favorite, traits, "
            "has_location, image_path) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        s.bind(1, a.uuid).bind(2, int64_t{a.mediaType}).bind(3, a.creationDate).bind(4, int64_t{a.hidden})
            .bind(5, int64_t{a.trashed}).bind(6, int64_t{a.favorite}).bind(7, a.traits)
            .bind(8, int64_t{a.hasLocation}).bind(9, a.imagePath);
        if (!s.run()) return false;
        a.id = db.lastInsertId();
        return true;
    });
    if (!ok) return std::nullopt;
    return a;
}

std::optional<CollectionRecord> PhotoStore::createAlbum(const std::string& title,
                                                        std::optional<int64_t> folder) {
    CollectionRecord c{0, newUuid(), title, folder};
    bool ok = transaction([&](Database& db) {
        Statement s = db.prepare("INSERT INTO albums (uuid, title, folder) VALUES (?, ?, ?)");
        s.bind(1, c.uuid).bind(2, title);
        if (folder) s.bind(3, *folder);
        else s.bindNull(3);
        if (!s.run()) return false;
        c.id = db.lastInsertId();
        return true;
    });
    if (!ok) return std::nullopt;
    return c;
}

std::vector<CollectionRecord> PhotoStore::albumsWithTitle(const std::string& title) {
    return read([&](Database& db) {
        std::vector<CollectionRecord> out;
        // = on TEXT compares bytes: exact and case-sensitive.
        Statement s = db.prepare("SELECT id, uuid, title, folder FROM albums WHERE title = ? ORDER BY id");
        s.bind(1, title);
        while (s.step()) {
            CollectionRecord c{s.integer(0), s.text(1), s.text(2), std::nullopt};
            if (!s.isNull(3)) c.folder = s.integer(3);
            out.push_back(std::move(c));
        }
        return out;
    });
}

bool PhotoStore::perAsset(const char* sql, int64_t first, const std::vector<int64_t>& assets) {
    return transaction([&](Database& db) {
        Statement s = db.prepare(sql);
        for (int64_t a : assets) {
            s.reset();
            s.bind(1, first).bind(2, a);
            if (!s.run()) return false;
        }
        return true;
    });
}

bool PhotoStore::addMembers(int64_t collection, const std::vector<int64_t>& assets) {
    return perAsset("INSERT OR IGNORE INTO memberships (album, asset) VALUES (?, ?)", collection, assets);
}

bool PhotoStore::removeMembers(int64_t collection, const std::vector<int64_t>& assets) {
    return perAsset("DELETE FROM memberships WHERE album = ? AND asset = ?", collection, assets);
}

bool PhotoStore::setHidden(const std::vector<int64_t>& assets, bool hidden) {
    return perAsset("UPDATE assets SET hidden = ? WHERE id = ?", int64_t{hidden}, assets);
}

namespace {
const char* kAssetColumns =
    "a.id, a.uuid, a.media_type, a.creation_date, a.hidden, a.trashed, a.favorite, a.traits, "
    "a.has_location, a.image_path";
}

std::vector<AssetRecord> PhotoStore::assets(Statement& s) {
    std::vector<AssetRecord> out;
    while (s.step())
        out.push_back(AssetRecord{s.integer(0), s.text(1), static_cast<int>(s.integer(2)), s.real(3),
                                  s.integer(4) != 0, s.integer(5) != 0, s.integer(6) != 0, s.integer(7),
                                  s.integer(8) != 0, s.text(9)});
    return out;
}

std::vector<AssetRecord> PhotoStore::assetsInAlbum(int64_t collection, bool includeHidden) {
    return read([&](Database& db) {
        Statement s = db.prepare(std::string("SELECT ") + kAssetColumns +
                                 " FROM memberships m JOIN assets a ON a.id = m.asset WHERE m.album = ?" +
                                 (includeHidden ? "" : " AND a.hidden = 0") +
                                 " ORDER BY a.creation_date, a.id");
        s.bind(1, collection);
        return assets(s);
    });
}

std::vector<AssetRecord> PhotoStore::cameraRoll() {
    return read([&](Database& db) {
        Statement s = db.prepare(std::string("SELECT ") + kAssetColumns +
                                 " FROM assets a WHERE a.hidden = 0 AND a.trashed = 0"
                                 " ORDER BY a.creation_date, a.id");
        return assets(s);
    });
}

} // namespace photos
