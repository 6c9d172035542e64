#pragma once
// What the privacy filter decides by, apart from the hooks that apply it:
// which process it runs in, the settings and lists one query reads, and the
// smart-album table.
//
// A query takes its inputs once, at its start: the settings' generation
// first (Settings.h), then the globals and albumDict, then the locked list
// (reloaded, which costs a stat of the file when it has not changed). A
// query on another thread may see the lists as they were before or after a
// concurrent reload; each query sees one set, and the next query sees every
// change that was complete when it started.

#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

namespace lc::filter {

// The processes that the filter treats apart.
enum class Process { Other, Photos, Settings, Camera };
// Set once at start-up, before the hooks are installed.
void setProcess(const std::string& bundleIdentifier);
Process process();

struct Inputs {
    std::uint64_t settingsGeneration = 0;
    std::shared_ptr<const AlbumSwitches> albums;
    LockedAlbums locked;
    std::shared_ptr<const std::unordered_set<std::string>> lockedTitles;
    bool hideLockedFromApps = true, hideFoldersInApps = true;

    // An empty title (an object without one) is never locked, never switched.
    bool isLocked(const std::string& title) const;
    // Switched off: its key is in albumDict with the value off; switched on:
    // with the value on. An album whose key is missing is neither.
    bool switchedOff(const std::string& title) const;
    bool switchedOn(const std::string& title) const;
    // Whether other apps get nothing of the album's assets: it is locked, or
    // switched off while hideFoldersInApps is on.
    bool withholdsAssets(const std::string& title) const {
        return isLocked(title) || (switchedOff(title) && hideFoldersInApps);
    }
};
Inputs currentInputs();

// ---- the smart albums -----------------------------------------------------------------------------
// Whether `collections` leaves out the smart album of this subtype: All
// hidden while showHidden is off; any other row of the table while its
// setting is off or the locked list holds one of its names. Subtypes not in
// the table stay.
bool removesSmartAlbum(long subtype, const Inputs& in);

} // namespace lc::filter
