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
// Each query here is one statement, so it reads one committed state.
//
// One PhotoStore is one connection; its lock serialises the threads of a
// process that use it.

#include "sim/photos/Sqlite.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace photos {

inline constexpr const char* kLibraryPath = "/var/mobile/Media/PhotoData/Photos.sqlite";
inline constexpr int kSchemaVersion = 3;

// What an asset is, besides its media type and flags: the traits by which the
// smart albums gather assets.
enum AssetTrait : int64_t {
    kTraitPanorama = 1 << 0,
    kTraitTimelapse = 1 << 1,
    kTraitBurst = 1 << 2,
    kTraitSlowMotion = 1 << 3,
    kTraitSelfie = 1 << 4,
    kTraitScreenshot = 1 << 5,
    kTraitDepthEffect = 1 << 6,
    kTraitLivePhoto = 1 << 7,
    kTraitAnimated = 1 << 8,
    kTraitLongExposure = 1 << 9,
    kTraitScreenRecording = 1 << 10,
};

inline constexpr int kMediaImage = 1;
inline constexpr int kMediaVideo = 2;

struct AssetRecord {
    int64_t id = 0;
    std::string uuid{};
    int mediaType = kMediaImage;
    double creationDate = 0; // seconds since the reference date (2001-01-01 UTC)
    bool hidden = false;
    bool trashed = false;
    bool favorite = false;
    int64_t traits = 0; // AssetTrait bits
    bool hasLocation = false;
    std::string imagePath{}; // device path of the image file
    int pixelWidth = 0;
    int pixelHeight = 0;
    std::string filename{}; // the original file name, as imported
};

// An asset's thumbnail as the library keeps it (Thumbnails.h).
struct ThumbnailRecord {
    int width = 0;
    int height = 0;
    std::string jpeg;
};

struct AlbumRecord {
    int64_t id = 0;
    std::string uuid{};
    std::string title;
    std::optional<int64_t> folder;
};

struct FolderRecord {
    int64_t id = 0;
    std::string uuid{};
    std::string title;
    std::optional<int64_t> parent;
};

// One moment: the assets of one day (UTC).
struct MomentRecord {
    int64_t day = 0; // days since the reference date
    int64_t count = 0;
    double startDate = 0;
    double endDate = 0;
};

// The rows of a query. `failed`: the read stopped on an error (a busy or
// closed connection, a damaged page), so the rows are not all there are and
// the caller must not act on what is missing. A failure also goes to the
// system log and counts in PhotoStore::failedReadsOnThisThread().
template <class T> struct Rows : std::vector<T> { bool failed = false; };

// Which assets a query lists. The default order is by creation date, then
// by the order of import.
struct AssetQuery {
    enum class Source { All, Album, Sql } source = Source::All;
    int64_t album = 0;        // Source::Album
    std::string condition;    // Source::Sql: a condition on the assets table, alias a
    int64_t conditionArg = 0; // bound to each '?' of the condition, if any
    bool includeHidden = false;
    bool includeTrashed = false;
    std::optional<int> mediaType;
    bool descending = false;
    std::optional<int64_t> limit;
};

// The writes of one transaction. Each answers false when its statement
// failed; the transaction then commits nothing.
class Writer {
public:
    explicit Writer(Database& db)
        : m_db(db) {}
    std::optional<AssetRecord> insertAsset(AssetRecord a);
    std::optional<AlbumRecord> createAlbum(const std::string& title, std::optional<int64_t> folder = std::nullopt,
                                           std::string uuid = {});
    std::optional<FolderRecord> createFolder(const std::string& title, std::optional<int64_t> parent = std::nullopt);
    bool addMembers(int64_t album, const std::vector<int64_t>& assets);
    bool removeMembers(int64_t album, const std::vector<int64_t>& assets);
    bool setHidden(const std::vector<int64_t>& assets, bool hidden);
    bool setFavorite(const std::vector<int64_t>& assets, bool favorite);
    bool setTrashed(const std::vector<int64_t>& assets, bool trashed);
    bool renameAlbum(int64_t album, const std::string& title);
    bool deleteAlbum(int64_t album);
    bool deleteAssets(const std::vector<int64_t>& assets); // their thumbnails go with them
    bool setThumbnail(int64_t asset, const ThumbnailRecord& thumbnail);
    Database& db() { return m_db; }

private:
    // Runs `sql` once per asset, bound to (first, asset).
    bool perAsset(const char* sql, int64_t first, const std::vector<int64_t>& assets);
    Database& m_db;
};

class PhotoStore {
public:
    // Opens the library at the device path, recovering as described above.
    static std::unique_ptr<PhotoStore> open(const std::string& devicePath = kLibraryPath);

    // Runs `body` in one write transaction; commits when it answers true,
    // rolls back otherwise. False when nothing was committed.
    bool transaction(const std::function<bool(Writer&)>& body);
    // Runs a read under the connection's lock.
    template <class F> auto read(F&& f) {
        std::lock_guard guard(m_lock);
        return f(m_db);
    }

    // ---- single writes, each its own transaction ---------------------------------------
    std::optional<AssetRecord> insertAsset(AssetRecord a);
    std::optional<AlbumRecord> createAlbum(const std::string& title, std::optional<int64_t> folder = std::nullopt);
    std::optional<FolderRecord> createFolder(const std::string& title, std::optional<int64_t> parent = std::nullopt);
    bool addMembers(int64_t album, const std::vector<int64_t>& assets);
    bool removeMembers(int64_t album, const std::vector<int64_t>& assets);
    bool setHidden(const std::vector<int64_t>& assets, bool hidden);
    bool setThumbnail(int64_t asset, const ThumbnailRecord& thumbnail);

    // ---- queries ---------------------------------------------------------------------------
    // Every album in creation order; with a title, only the albums with exactly
    // that title (case-sensitive).
    Rows<AlbumRecord> albums(const std::optional<std::string>& title = std::nullopt);
    Rows<AlbumRecord> albumsWithTitle(const std::string& title) { return albums(title); }
    Rows<AlbumRecord> albumsInFolder(std::optional<int64_t> folder);
    Rows<AlbumRecord> albumsWithUuids(const std::vector<std::string>& uuids);
    Rows<AlbumRecord> albumsContaining(int64_t asset);
    Rows<FolderRecord> folders(); // every folder, in creation order
    Rows<FolderRecord> foldersIn(std::optional<int64_t> parent);
    Rows<FolderRecord> foldersWithUuids(const std::vector<std::string>& uuids);

    Rows<int64_t> assetIds(const AssetQuery& q);
    // None when the count could not be read.
    std::optional<int64_t> countAssets(const AssetQuery& q);
    // The records of these ids, in the order given; ids no longer in the
    // library are left out.
    Rows<AssetRecord> assetsWithIds(const std::vector<int64_t>& ids);
    Rows<AssetRecord> assetsWithUuids(const std::vector<std::string>& uuids);
    Rows<AssetRecord> assets(const AssetQuery& q);
    // The asset's stored thumbnail; none when it has none, or it could not be read.
    std::optional<ThumbnailRecord> thumbnail(int64_t asset);
    // The days that have assets (not in the trash; hidden ones when asked).
    Rows<MomentRecord> moments(bool includeHidden);

    // An album's assets by creation date, hidden ones only when asked.
    Rows<AssetRecord> assetsInAlbum(int64_t album, bool includeHidden);
    // The camera roll: visible assets not in the trash, by creation date.
    Rows<AssetRecord> cameraRoll();

    // What names the library's committed state: it differs from every
    // earlier token once a change has been committed since, by any connection
    // of any process (SQLite's data_version, for the others' commits, and
    // this connection's own count). One cheap statement, no table read: what
    // a cache of anything derived from the library checks before each use.
    struct ChangeToken {
        int64_t dataVersion = 0;
        uint64_t ownCommits = 0;
        friend bool operator==(const ChangeToken&, const ChangeToken&) = default;
    };
    ChangeToken changeToken();

    int schemaVersion();

    // How many reads have failed on the calling thread, in any store of the
    // process: a change block compares it before and after it ran, so that
    // a change decided on a partial read is not applied.
    static uint64_t failedReadsOnThisThread();
    // Where a damaged library was moved at open, if it was.
    const std::optional<std::string>& setAside() const { return m_setAside; }

private:
    explicit PhotoStore(Database db)
        : m_db(std::move(db)) {}
    // Brings the schema to kSchemaVersion; what failed, if anything did.
    static std::optional<std::string> migrate(Database& db);
    std::optional<std::string> m_setAside;
    std::mutex m_lock; // one statement or transaction at a time on this connection
    Database m_db;
    uint64_t m_ownCommits = 0; // under m_lock
};

std::string newUuid();
// The day of a date, in days since the reference date (UTC).
int64_t dayOf(double sinceReferenceDate);
// A condition for AssetQuery::Source::Sql that holds for the assets of the
// day given as its conditionArg.
std::string momentCondition();

} // namespace photos
