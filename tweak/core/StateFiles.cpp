#include "tweak/core/StateFiles.h"

#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "tweak/core/Snapshot.h"

#include <algorithm>
#include <mutex>

namespace lc {

namespace {

constinit Snapshot<TitleList> g_locked;
// The stamp of the file the list was last read from (none: read it again)
// and the list's version; both under g_lockedStateLock.
constinit std::mutex g_lockedStateLock;
constinit std::optional<fnd::FileStamp> g_lockedStamp;
constinit std::uint64_t g_lockedVersion = 0;

// Under g_lockedStateLock.
void publishLocked(TitleList list) {
    if (list == *g_locked.get()) return;
    g_locked.set(std::move(list));
    ++g_lockedVersion;
}

// What the readers take, by what each file holds. The title lists hold what
// one "savearray" can carry (a frame of at most a million values); the
// result file a handful of keys; the password a line.
constexpr fnd::PlistLimits kTitleListLimits{32u << 20, 1'000'001};
constexpr fnd::PlistLimits kResultLimits{1u << 20, 10'000};
constexpr std::size_t kMaxPasswordBytes = 64u << 10;

TitleList stringsOf(const std::optional<fnd::Array>& array) {
    TitleList out;
    if (array)
        for (const auto& v : *array)
            if (const std::string* s = v.string()) out.push_back(*s);
    return out;
}

} // namespace

std::shared_ptr<const TitleList> lockedAlbums() { return g_locked.get(); }

void loadLockedAlbums() {
    TitleList list = stringsOf(fnd::readArrayFile(kdataPath, kTitleListLimits));
    std::lock_guard guard(g_lockedStateLock);
    g_lockedStamp.reset();
    publishLocked(std::move(list));
}

LockedAlbums reloadLockedAlbums() {
    // The stamp is taken before the read: content newer than its stamp is
    // read again at the next call, never the other way round.
    fnd::FileStamp stamp = fnd::fileStamp(kdataPath);
    {
        std::lock_guard guard(g_lockedStateLock);
        if (g_lockedStamp && *g_lockedStamp == stamp) return {g_locked.get(), g_lockedVersion};
    }
    TitleList list = stringsOf(fnd::readArrayFile(kdataPath, kTitleListLimits));
    std::lock_guard guard(g_lockedStateLock);
    publishLocked(std::move(list));
    if (stamp.settled())
        g_lockedStamp = stamp;
    else
        g_lockedStamp.reset();
    return {g_locked.get(), g_lockedVersion};
}

bool isLocked(const std::string& title) {
    auto list = lockedAlbums();
    return std::find(list->begin(), list->end(), title) != list->end();
}

// The process's own edit differs from the file until SpringBoard has
// written it. It stands until the file changes: a reload meanwhile (the
// tile's next layout pass, a second lock) keeps it instead of reading the
// old file back, and the write of the edit, or anyone's, is read at the
// next reload after it.
TitleList lockAlbumTitle(const std::string& title) {
    fnd::FileStamp stamp = fnd::fileStamp(kdataPath);
    std::lock_guard guard(g_lockedStateLock);
    TitleList list = *lockedAlbums();
    if (std::find(list.begin(), list.end(), title) == list.end()) list.push_back(title);
    g_lockedStamp = stamp;
    publishLocked(list);
    return list;
}

TitleList unlockAlbumTitle(const std::string& title) {
    fnd::FileStamp stamp = fnd::fileStamp(kdataPath);
    std::lock_guard guard(g_lockedStateLock);
    TitleList list = *lockedAlbums();
    list.erase(std::remove(list.begin(), list.end(), title), list.end());
    g_lockedStamp = stamp;
    publishLocked(list);
    return list;
}

fnd::Array asArray(const TitleList& titles) {
    fnd::Array out;
    for (const auto& t : titles)
        out.push_back(fnd::Value(t));
    return out;
}

std::optional<std::string> readAlbumTct() {
    TitleList titles = stringsOf(fnd::readArrayFile(kAlbumTctPath, kTitleListLimits));
    if (titles.empty()) return std::nullopt;
    return titles.front();
}

std::optional<std::string> readPassword() { return fnd::readTextFile(kSettingsTctPath, kMaxPasswordBytes); }

bool writePassword(const std::string& password) {
    return !password.empty() && fnd::writeTextFileAtomically(kSettingsTctPath, password);
}

fnd::Dictionary readAuthenticationResult() {
    return fnd::readDictionaryFile(kAuthenticatePath, kResultLimits).value_or(fnd::Dictionary{});
}

bool writeAuthenticationResult(const fnd::Dictionary& result) {
    // SpringBoard writes it into the state folder that apps may tamper
    // with: through no link. It is read once, as soon as it is announced,
    // so the rename's atomicity is all it needs (no sync to the disk).
    auto xml = fnd::serializeXml(fnd::Value(result));
    return xml && fnd::writeFileAtomicallyNoFollow(kAuthenticatePath, *xml, fnd::Durability::Renamed).ok;
}

std::optional<std::string> pendingDeletePath() {
    const std::string& container = fnd::processIdentity().container;
    if (container.empty()) return std::nullopt;
    return container + kPendingDeleteFile;
}

std::optional<PendingDelete> readPendingDelete() {
    auto path = pendingDeletePath();
    if (!path) return std::nullopt;
    auto dict = fnd::readDictionaryFile(*path, kTitleListLimits);
    if (!dict) return std::nullopt;
    const std::string* album = fnd::valueForKey(*dict, "album").string();
    if (!album || album->empty()) return std::nullopt;
    PendingDelete out{*album, {}};
    if (const fnd::Array* photos = fnd::valueForKey(*dict, "photos").array())
        for (const auto& v : *photos)
            if (const std::string* id = v.string()) out.photos.push_back(*id);
    return out;
}

bool writePendingDelete(const PendingDelete& pending) {
    auto path = pendingDeletePath();
    if (!path) return false;
    fnd::Array photos;
    for (const auto& id : pending.photos)
        photos.push_back(fnd::Value(id));
    fnd::createDirectory(path->substr(0, path->rfind('/')), true);
    return fnd::writePlistFile(*path, fnd::Value(fnd::Dictionary{{"album", fnd::Value(pending.album)},
                                                                 {"photos", fnd::Value(std::move(photos))}}));
}

void clearPendingDelete() {
    if (auto path = pendingDeletePath()) fnd::removeFile(*path);
}

} // namespace lc
