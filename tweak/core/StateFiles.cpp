#include "tweak/core/StateFiles.h"

#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "tweak/core/Snapshot.h"

#include <algorithm>

namespace lc {

namespace {

constinit Snapshot<TitleList> g_locked;

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

void loadLockedAlbums() { g_locked.set(stringsOf(fnd::readArrayFile(kdataPath, kTitleListLimits))); }

bool isLocked(const std::string& title) {
    auto list = lockedAlbums();
    return std::find(list->begin(), list->end(), title) != list->end();
}

TitleList lockAlbumTitle(const std::string& title) {
    TitleList list = *lockedAlbums();
    if (std::find(list.begin(), list.end(), title) == list.end()) list.push_back(title);
    g_locked.set(list);
    return list;
}

TitleList unlockAlbumTitle(const std::string& title) {
    TitleList list = *lockedAlbums();
    list.erase(std::remove(list.begin(), list.end(), title), list.end());
    g_locked.set(list);
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

} // namespace lc
