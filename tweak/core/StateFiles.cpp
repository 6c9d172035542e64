#include "tweak/core/StateFiles.h"

#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "tweak/core/Snapshot.h"

#include <algorithm>

namespace lc {

namespace {

constinit Snapshot<TitleList> g_locked;

TitleList stringsOf(const std::optional<fnd::Array>& array) {
    TitleList out;
    if (array)
        for (const auto& v : *array)
            if (const std::string* s = v.string()) out.push_back(*s);
    return out;
}

} // namespace

std::shared_ptr<const TitleList> lockedAlbums() { return g_locked.get(); }

void loadLockedAlbums() { g_locked.set(stringsOf(fnd::readArrayFile(kdataPath))); }

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
    TitleList titles = stringsOf(fnd::readArrayFile(kAlbumTctPath));
    if (titles.empty()) return std::nullopt;
    return titles.front();
}

std::optional<std::string> readPassword() { return fnd::readTextFile(kSettingsTctPath); }

bool writePassword(const std::string& password) {
    return !password.empty() && fnd::writeTextFileAtomically(kSettingsTctPath, password);
}

fnd::Dictionary readAuthenticationResult() {
    return fnd::readDictionaryFile(kAuthenticatePath).value_or(fnd::Dictionary{});
}

bool writeAuthenticationResult(const fnd::Dictionary& result) {
    return fnd::writePlistFile(kAuthenticatePath, fnd::Value(result));
}

} // namespace lc
