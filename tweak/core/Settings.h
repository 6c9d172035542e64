#pragma once
// lumicrate12's settings: one process-wide global per key of the preference
// file, filled by reloadSettings at start-up and again whenever the settings
// pane posts "com.zel.lumicrate12prefs/reloadPrefs" (reloadPrefs).
//
// The hooks read the globals on the main thread; the query filter reads them
// (and albumDict) on whatever thread a fetch runs. So each global is an
// atomic, and albumDict is an immutable snapshot that a reload replaces
// whole: a reader sees either the old or the new one, never a map being
// changed. A reader may still see some old and some new settings during a
// reload, as the settings allow.

#include "sim/foundation/Value.h"
#include "sim/ipc/Notify.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace lc {

inline constexpr const char* kPreferencePath = "/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist";
inline constexpr const char* kReloadNotification = "com.zel.lumicrate12prefs/reloadPrefs";
inline constexpr const char* kAlbumKeyPrefix = "albumName";

// ---- the settings, in the order reloadSettings reads them ------------------------------------
extern std::atomic<bool> enabled, showDeleted, showFavourites, showPlaces, showPeople, showVideos, showSelfies,
    showPanoramas, showTimelapse, showSlowmo, showBursts, showScreenshots, showHidden, showPortrait, showAnimated,
    showLive, showExposure, showRecordings, showTabMoments, showTabMemories, showTabShared, showTabAlbums;
extern std::atomic<bool> layoutShowTitle, layoutShowSubtitle;
extern std::atomic<std::int32_t> layoutFontSize, passOption;
extern std::atomic<bool> hideRollAlbum, hideRollScreenshots, hideLockedFromApps, hideHiddenStock, skipDelete,
    reorderStock, showLiveBadge, increaseZoom, enableCameraPicker, rememberDefault, showLockedinCamera,
    returnToMainLocked, returnToMainDefault, pickerMovePhotos, showSharedAlbums, showPeopleAnd, showMediaTypes,
    showOtherAlbums, hideFoldersInApps;

// What passOption asks of a gated action (the file holds the integer; any
// other value lets the action through at once).
enum class PassOption : std::int32_t {
    Owner = 0,    // the device owner's check (Touch ID or the passcode)
    Password = 1, // lumicrate12's own password prompt
};
inline bool passOptionIs(PassOption option) {
    return passOption.load(std::memory_order_relaxed) == static_cast<std::int32_t>(option);
}

// The thumbnail size of album tiles (not read from the file; the album
// lists and tiles change it as they lay out).
extern std::atomic<std::int32_t> photoHeight, photoWidth;

// The per-album switches: key "albumName<title>" to on or off. It only grows
// for the life of the process.
using AlbumSwitches = std::map<std::string, bool>;
std::shared_ptr<const AlbumSwitches> albumDict();
// The switch of the album titled `title`; a missing entry counts as on.
bool albumSwitchOn(const std::string& title);

// Every key of the preference file with the value an absent key takes, in
// the order reloadSettings reads them (the settings pane must show the same).
std::vector<std::pair<std::string, fnd::Value>> settingDefaults();

// Reads the preference file and rewrites every setting and albumDict. An
// absent or unreadable file gives the defaults (albumDict keeps what it has).
void reloadSettings();
// Grows by one after each reload has written every global (release order):
// a reader that loads it first and then reads settings sees at least what
// that reload wrote. What is derived from the settings is kept under it.
std::uint64_t settingsGeneration();

// The Darwin-notification callback: its arguments are ignored.
void reloadPrefs(CFNotificationCenterRef center, void* observer, CFStringRef name, const void* object,
                 CFDictionaryRef userInfo);

} // namespace lc
