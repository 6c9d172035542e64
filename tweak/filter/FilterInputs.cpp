#include "tweak/filter/FilterInputs.h"

#include "sim/photos/kit/PhotoKit.h"

#include <mutex>

namespace lc::filter {

using namespace photos;

namespace {

constinit std::atomic<Process> g_process{Process::Other};

struct SmartRow {
    long subtype;
    std::atomic<bool>* setting;
    std::array<const char*, 2> lockedNames; // null where the row has fewer
};

const SmartRow kSmartRows[] = {
    {PHAssetCollectionSubtypeSmartAlbumPanoramas, &showPanoramas, {"Panoramas", nullptr}},
    {PHAssetCollectionSubtypeSmartAlbumVideos, &showVideos, {"Videos", nullptr}},
    {PHAssetCollectionSubtypeSmartAlbumFavorites, &showFavourites, {"Favourites", "Favorites"}},
    {PHAssetCollectionSubtypeSmartAlbumTimelapses, &showTimelapse, {"Timelapse", nullptr}},
    {PHAssetCollectionSubtypeSmartAlbumBursts, &showBursts, {"Bursts", nullptr}},
    {PHAssetCollectionSubtypeSmartAlbumSlomoVideos, &showSlowmo, {"Slo-mo", nullptr}},
    {PHAssetCollectionSubtypeSmartAlbumSelfPortraits, &showSelfies, {"Selfies", nullptr}},
    {PHAssetCollectionSubtypeSmartAlbumScreenshots, &showScreenshots, {"Screenshots", nullptr}},
    {PHAssetCollectionSubtypeSmartAlbumDepthEffect, &showPortrait, {"Portrait", nullptr}},
    {PHAssetCollectionSubtypeSmartAlbumLivePhotos, &showLive, {"Live Photos", nullptr}},
    {PHAssetCollectionSubtypeSmartAlbumAnimated, &showAnimated, {"Animated", nullptr}},
    {PHAssetCollectionSubtypeSmartAlbumPlaces, &showPlaces, {"Places", nullptr}},
};

// The locked titles as a set, made once per version of the list.
using TitleSet = std::unordered_set<std::string>;
constinit std::mutex g_setLock;
constinit std::uint64_t g_setVersion = 0;
std::shared_ptr<const TitleSet>& cachedSet() {
    static std::shared_ptr<const TitleSet> set = std::make_shared<const TitleSet>();
    return set;
}

std::shared_ptr<const TitleSet> lockedSet(const LockedAlbums& locked) {
    {
        std::lock_guard guard(g_setLock);
        if (g_setVersion == locked.version) return cachedSet();
    }
    auto set = std::make_shared<const TitleSet>(locked.titles->begin(), locked.titles->end());
    std::lock_guard guard(g_setLock);
    if (locked.version >= g_setVersion) {
        g_setVersion = locked.version;
        cachedSet() = set;
    }
    return set;
}

} // namespace

void setProcess(const std::string& id) {
    Process p = id == "com.apple.mobileslideshow" ? Process::Photos
                : id == "com.apple.Preferences"   ? Process::Settings
                : id == "com.apple.camera"        ? Process::Camera
                                                  : Process::Other;
    g_process.store(p, std::memory_order_release);
}

Process process() { return g_process.load(std::memory_order_acquire); }

Inputs currentInputs() {
    Inputs in;
    in.settingsGeneration = settingsGeneration();
    in.albums = albumDict();
    in.hideLockedFromApps = hideLockedFromApps;
    in.hideFoldersInApps = hideFoldersInApps;
    in.locked = reloadLockedAlbums();
    in.lockedTitles = lockedSet(in.locked);
    return in;
}

bool Inputs::isLocked(const std::string& title) const { return !title.empty() && lockedTitles->contains(title); }

bool Inputs::switchedOff(const std::string& title) const {
    if (title.empty() || albums->empty()) return false;
    auto it = albums->find(kAlbumKeyPrefix + title);
    return it != albums->end() && !it->second;
}

bool Inputs::switchedOn(const std::string& title) const {
    if (title.empty() || albums->empty()) return false;
    auto it = albums->find(kAlbumKeyPrefix + title);
    return it != albums->end() && it->second;
}

bool removesSmartAlbum(long subtype, const Inputs& in) {
    if (subtype == PHAssetCollectionSubtypeSmartAlbumAllHidden) return !showHidden;
    for (const SmartRow& row : kSmartRows) {
        if (row.subtype != subtype) continue;
        if (!row.setting->load(std::memory_order_relaxed)) return true;
        for (const char* name : row.lockedNames)
            if (name && in.lockedTitles->contains(name)) return true;
        return false;
    }
    return false;
}

} // namespace lc::filter
