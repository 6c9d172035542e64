#pragma once
// lumicrate12's shared state, in small files of one folder, read directly by
// every process (writes to the first two go through SpringBoard):
//
//   lockedAlbums.plist  a property-list array of the locked albums' titles,
//                       in the order they were locked, each once
//   album.tct           a one-string array: the camera's target album
//   settings.tct        the album password, bare UTF-8 text
//   authenticate.plist  the dictionary of the last owner authentication
//
// `lockedAlbums` is the process's copy of the first, shared with other
// threads as an immutable snapshot (the query filter reads it on any
// thread). An absent or unreadable file reads as empty; elements that are
// not strings are left out.

#include "sim/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lc {

inline constexpr const char* kStateFolder = "/var/mobile/Library/lumicrate/";
inline constexpr const char* kdataPath = "/var/mobile/Library/lumicrate/lockedAlbums.plist";
inline constexpr const char* kAlbumTctPath = "/var/mobile/Library/lumicrate/album.tct";
// The camera names album.tct under this form of the same folder.
inline constexpr const char* kCameraAlbumTctPath = "/private/var/mobile/Library/lumicrate/album.tct";
inline constexpr const char* kSettingsTctPath = "/var/mobile/Library/lumicrate/settings.tct";
inline constexpr const char* kAuthenticatePath = "/var/mobile/Library/lumicrate/authenticate.plist";

using TitleList = std::vector<std::string>;

// ---- the locked list -----------------------------------------------------------------------------
std::shared_ptr<const TitleList> lockedAlbums();
// Reads lockedAlbums.plist into lockedAlbums (empty when absent or unreadable).
void loadLockedAlbums();
// The same reload for callers on any thread that reload at every query: the
// file is read again only when its stamp (identity, size, times) differs
// from the one it had when it was last read, or was too fresh to trust
// (FileStamp::settled). `version` grows whenever the list's content
// changes, by a reload or by the edits below, so that what is derived from
// the list can be kept under it.
struct LockedAlbums {
    std::shared_ptr<const TitleList> titles;
    std::uint64_t version = 0;
};
LockedAlbums reloadLockedAlbums();
bool isLocked(const std::string& title);
// Changes the process's list: a title appended once, or every copy of it
// removed. The new list, for saveArrayToFile.
TitleList lockAlbumTitle(const std::string& title);
TitleList unlockAlbumTitle(const std::string& title);
// The list as a property-list array.
fnd::Array asArray(const TitleList& titles);

// ---- the other files ---------------------------------------------------------------------------------
// The first element of album.tct, when it is a string.
std::optional<std::string> readAlbumTct();
// The password, or none when it was never set.
std::optional<std::string> readPassword();
// Writes a new password; an empty one writes nothing (false).
bool writePassword(const std::string& password);
// authenticate.plist, or an empty dictionary.
fnd::Dictionary readAuthenticationResult();
// Written atomically through no symbolic link, without waiting for the disk.
bool writeAuthenticationResult(const fnd::Dictionary& result);

// ---- the Photos app's own ----------------------------------------------------------------------------
// An album deleted in the album list whose photos that only it held are to
// come back into the camera roll once it is really gone: kept in the app's
// own data container (which the sandbox lets it write), so that a pending
// deletion outlives the app.
struct PendingDelete {
    std::string album;               // the album's localIdentifier
    std::vector<std::string> photos; // the photos' localIdentifiers
};
inline constexpr const char* kPendingDeleteFile = "/Library/Preferences/com.zel.lumicrate12.pendingDelete.plist";
// The file's device path in this process's container (none outside one).
std::optional<std::string> pendingDeletePath();
// None when absent, unreadable or not one (an album identifier is needed;
// elements that are not strings are left out).
std::optional<PendingDelete> readPendingDelete();
bool writePendingDelete(const PendingDelete& pending);
void clearPendingDelete();

} // namespace lc
