#include "tweak/core/Settings.h"

#include "sim/dispatch/Queue.h"
#include "sim/dispatch/RunLoop.h"
#include "sim/foundation/PropertyList.h"
#include "tweak/core/Snapshot.h"

#include <mutex>

namespace lc {

constinit std::atomic<bool> enabled{true}, showDeleted{true}, showFavourites{true}, showPlaces{true}, showPeople{true},
    showVideos{true}, showSelfies{true}, showPanoramas{true}, showTimelapse{true}, showSlowmo{true}, showBursts{true},
    showScreenshots{true}, showHidden{false}, showPortrait{true}, showAnimated{true}, showLive{true},
    showExposure{true}, showRecordings{true}, showTabMoments{true}, showTabMemories{true}, showTabShared{true},
    showTabAlbums{true};
constinit std::atomic<bool> layoutShowTitle{true}, layoutShowSubtitle{true};
constinit std::atomic<std::int32_t> layoutFontSize{14}, passOption{0};
constinit std::atomic<bool> hideRollAlbum{true}, hideRollScreenshots{true}, hideLockedFromApps{true},
    hideHiddenStock{false}, skipDelete{false}, reorderStock{false}, showLiveBadge{false}, increaseZoom{false},
    enableCameraPicker{true}, rememberDefault{false}, showLockedinCamera{false}, returnToMainLocked{true},
    returnToMainDefault{false}, pickerMovePhotos{true}, showSharedAlbums{true}, showPeopleAnd{true},
    showMediaTypes{true}, showOtherAlbums{true}, hideFoldersInApps{true};
constinit std::atomic<std::int32_t> photoHeight{163}, photoWidth{163};

namespace {

constexpr std::int32_t kDefaultFontSize = 14, kDefaultPassOption = 0;

struct BoolSetting {
    const char* key;
    std::atomic<bool>* global;
    bool fallback;
};

// The boolean keys before the layout keys, in the order they are read.
const BoolSetting kFirst[] = {
    {"enabled", &enabled, true},
    {"showDeleted", &showDeleted, true},
    {"showFavourites", &showFavourites, true},
    {"showPlaces", &showPlaces, true},
    {"showPeople", &showPeople, true},
    {"showVideos", &showVideos, true},
    {"showSelfies", &showSelfies, true},
    {"showPanoramas", &showPanoramas, true},
    {"showTimelapse", &showTimelapse, true},
    {"showSlowmo", &showSlowmo, true},
    {"showBursts", &showBursts, true},
    {"showScreenshots", &showScreenshots, true},
    {"showHidden", &showHidden, false},
    {"showPortrait", &showPortrait, true},
    {"showAnimated", &showAnimated, true},
    {"showLive", &showLive, true},
    {"showExposure", &showExposure, true},
    {"showRecordings", &showRecordings, true},
    {"showTabMoments", &showTabMoments, true},
    {"showTabMemories", &showTabMemories, true},
    {"showTabShared", &showTabShared, true},
    {"showTabAlbums", &showTabAlbums, true},
};
const BoolSetting kLayout[] = {{"layoutShowTitle", &layoutShowTitle, true},
                               {"layoutShowSubtitle", &layoutShowSubtitle, true}};
// The boolean keys after passOption, in the order they are read.
const BoolSetting kRest[] = {
    {"hideRollAlbum", &hideRollAlbum, true},
    {"hideRollScreenshots", &hideRollScreenshots, true},
    {"hideLockedFromApps", &hideLockedFromApps, true},
    {"hideHiddenStock", &hideHiddenStock, false},
    {"skipDelete", &skipDelete, false},
    {"reorderStock", &reorderStock, false},
    {"showLiveBadge", &showLiveBadge, false},
    {"increaseZoom", &increaseZoom, false},
    {"enableCameraPicker", &enableCameraPicker, true},
    {"rememberDefault", &rememberDefault, false},
    {"showLockedinCamera", &showLockedinCamera, false},
    {"returnToMainLocked", &returnToMainLocked, true},
    {"returnToMainDefault", &returnToMainDefault, false},
    {"pickerMovePhotos", &pickerMovePhotos, true},
    {"showSharedAlbums", &showSharedAlbums, true},
    {"showPeopleAnd", &showPeopleAnd, true},
    {"showMediaTypes", &showMediaTypes, true},
    {"showOtherAlbums", &showOtherAlbums, true},
    {"hideFoldersInApps", &hideFoldersInApps, true},
};

constinit Snapshot<AlbumSwitches> g_albums;
constinit std::mutex g_reloading; // two reloads (start-up and a notification) never interleave
constinit std::atomic<std::uint64_t> g_generation{0};

template <std::size_t N> void readBools(const fnd::Dictionary& file, const BoolSetting (&settings)[N]) {
    for (const BoolSetting& s : settings) {
        auto it = file.find(s.key);
        s.global->store(it == file.end() ? s.fallback : it->second.boolValue(), std::memory_order_relaxed);
    }
}

std::int32_t readInt(const fnd::Dictionary& file, const char* key, std::int32_t fallback) {
    auto it = file.find(key);
    return it == file.end() ? fallback : it->second.intValue();
}

} // namespace

std::shared_ptr<const AlbumSwitches> albumDict() { return g_albums.get(); }

bool albumSwitchOn(const std::string& title) {
    auto albums = albumDict();
    auto it = albums->find(kAlbumKeyPrefix + title);
    return it == albums->end() || it->second;
}

std::vector<std::pair<std::string, fnd::Value>> settingDefaults() {
    std::vector<std::pair<std::string, fnd::Value>> out;
    auto add = [&](const auto& table) {
        for (const BoolSetting& b : table)
            out.emplace_back(b.key, fnd::Value(b.fallback));
    };
    add(kFirst);
    add(kLayout);
    out.emplace_back("layoutFontSize", fnd::Value(std::int64_t{kDefaultFontSize}));
    out.emplace_back("passOption", fnd::Value(std::int64_t{kDefaultPassOption}));
    add(kRest);
    return out;
}

void reloadSettings() {
    std::lock_guard guard(g_reloading);
    // The pane writes a few dozen keys and one per album: far under these.
    constexpr fnd::PlistLimits kPreferenceLimits{8u << 20, 500'000};
    fnd::Dictionary file = fnd::readDictionaryFile(kPreferencePath, kPreferenceLimits).value_or(fnd::Dictionary{});
    readBools(file, kFirst);
    // The per-album switches: added or overwritten, never removed.
    AlbumSwitches albums = *albumDict();
    for (const auto& [key, value] : file)
        if (key.find(kAlbumKeyPrefix) != std::string::npos) albums[key] = value.boolValue();
    g_albums.set(std::move(albums));
    readBools(file, kLayout);
    // A size below 1 stands only when neither titles nor subtitles show.
    std::int32_t size = readInt(file, "layoutFontSize", kDefaultFontSize);
    if (size < 1 && (layoutShowTitle.load() || layoutShowSubtitle.load())) size = kDefaultFontSize;
    layoutFontSize.store(size, std::memory_order_relaxed);
    passOption.store(readInt(file, "passOption", kDefaultPassOption), std::memory_order_relaxed);
    readBools(file, kRest);
    g_generation.fetch_add(1, std::memory_order_release);
}

std::uint64_t settingsGeneration() { return g_generation.load(std::memory_order_acquire); }

// Anyone may post the reload notification, as often as it likes: a burst
// costs one re-read per turn of the main loop (a single post is read at the
// loop's next turn). With no main loop it reloads at once.
void reloadPrefs(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) {
    static std::atomic<bool> pending{false};
    if (!dsp::RunLoop::main()) return reloadSettings();
    if (pending.exchange(true)) return;
    dsp::mainQueue().async([] {
        pending = false;
        reloadSettings();
    });
}

} // namespace lc
