#pragma once
// PhotoStore: the photo library's SQLite file, shared by every app process
// of the device ("/var/mobile/Media/PhotoData/Photos.sqlite", WAL mode).
//
// Opening never fails for a bad file: a missing database starts a fresh
// library; one that SQLite cannot read, or whose schema is newer than this
// build knows, is renamed aside (never deleted, so that nothing is lost), a
// line goes to the system log, and a fresh library starts. The schema has a
// version (PRAGMA user_version) and migrations that run in order, each in a
// transaction.
//
// Writes go through transaction(): BEGIN IMMEDIATE, so that a writer in
// another process waits for the lock instead of failing; a reader in another
// process sees a committed change at its next query, and never half of one.
//
// One PhotoStore is one connection; SQLite serialises its use across
// threads (full mutex), and each call here is one statement or one
// transaction.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/photos/Sqlite.h"

namespace photos {

inline constexpr const char* kLibraryPath = "/var/mobile/Media/PhotoData/Photos.sqlite";
inline constexpr int kSchemaVersion = 1;

struct AssetRecord {
    int64_t id = 0;
    std::string uuid;
    int mediaType = 1;       // 1 image, 2 video, 3 audio
    double creationDate = 0; // seconds since the reference date
    bool hidden = false;
    bool trashed = false;
    bool favorite = false;
    int64_t traits = 0;      // bit set of AssetTrait
    bool hasLocation = false;
    std::string imagePath;   // device path of the image file
};

struct CollectionRecord {
    int64_t id = 0;
    std::string uuid;
    std::string title;
    std::optional<int64_t> folder;
};

class PhotoStore {
public:
    // Opens the library at the device path, recovering as described above.
    static std::unique_ptr<PhotoStore> open(const std::string& devicePath = kLibraryPath);

    // Runs `body` in one write transaction; commits when it answers true,
    // rolls back otherwise or when a statement failed. False when nothing was committed.
    bool transaction(const std::function<bool(Database&)>& body);
    // Runs a read under the connection's lock.
    template <class F> auto read(F&& f) {
        std::lock_guard guard(m_lock);
        return f(m_db);
    }

    // ---- records --------------------------------------------------------------------
    std::optional<AssetRecord> insertAsset(AssetRecord a);
    std::optional<CollectionRecord> createAlbum(const std::string& title,
                                                std::optional<int64_t> folder = std::nullopt);
    // Albums with exactly this title (case-sensitive), in a stable order: creation order.
    std::vector<CollectionRecord> albumsWithTitle(const std::string& title);
    bool addMembers(int64_t collection, const std::vector<int64_t>& assets);
    bool removeMembers(int64_t collection, const std::vector<int64_t>& assets);
    bool setHidden(const std::vector<int64_t>& assets, bool hidden);
    // An album's assets by creation date (ascending), hidden ones only when asked.
    std::vector<AssetRecord> assetsInAlbum(int64_t collection, bool includeHidden);
    // The camera roll: visible assets not in the trash, by creation date.
    std::vector<AssetRecord> cameraRoll();

    int schemaVersion();
    // Where a damaged library was moved at open, if it was.
    const std::optional<std::string>& setAside() const { return m_setAside; }

private:
    explicit PhotoStore(Database db) : m_db(std::move(db)) {}
    static bool migrate(Database& db);
    // Runs `sql` once per asset, bound to (first, asset), in one transaction.
    bool perAsset(const char* sql, int64_t first, const std::vector<int64_t>& assets);
    std::vector<AssetRecord> assets(Statement& s);

    std::mutex m_lock; // one statement or transaction at a time on this connection
    Database m_db;
    std::optional<std::string> m_setAside;
};

std::string newUuid();

} // namespace photos
