#include "tweak/filter/FolderCopies.h"

#include "sim/photos/kit/PhotoKit.h"

#include <mutex>

namespace lc::filter {

using namespace photos;

namespace {

struct Kept {
    PHPersistentChangeToken library;
    std::uint64_t settingsGeneration = 0;
    std::uint64_t lockedVersion = 0;
    std::shared_ptr<const FolderCopyList> copies;
};

constinit std::mutex g_keptLock; // guards g_kept, for the time of a copy of it
constinit std::mutex g_building; // one build at a time
Kept& kept() {
    static Kept* k = new Kept(); // runtime objects: never destroyed after the runtime at exit
    return *k;
}

// A thread that builds queries the library through the filter's own hooks;
// should one of them list collections again, it builds without the cache
// instead of waiting for itself.
thread_local bool t_building = false;

bool keptFor(const Kept& k, const PHPersistentChangeToken& library, const Inputs& in) {
    return k.copies && k.settingsGeneration == in.settingsGeneration && k.lockedVersion == in.locked.version &&
           k.library.isEqual(library);
}

std::shared_ptr<const FolderCopyList> lookUp(const PHPersistentChangeToken& library, const Inputs& in) {
    std::lock_guard guard(g_keptLock);
    return keptFor(kept(), library, in) ? kept().copies : nullptr;
}

} // namespace

FolderCopyList buildFolderCopies(const Inputs& in, StockObjects stockObjects) {
    FolderCopyList out;
    auto albums = PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
        PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAlbumRegular, nullptr);
    if (!albums) return out;
    for (const auto& object : stockObjects(albums.get())) {
        PHAssetCollection album(object);
        auto options = PHFetchOptions::new_();
        options.setIncludeHiddenAssets(true);
        auto assets = PHAsset::fetchAssetsInAssetCollection_options(album, options);
        std::vector<PHAsset> list;
        if (assets)
            for (const auto& a : stockObjects(assets.get()))
                list.emplace_back(a);
        std::string title = album.title();
        // A locked album's copy stays out while hideLockedFromApps keeps the
        // album itself out: its title is what the setting hides.
        bool appendable =
            (!in.switchedOff(title) || !in.hideFoldersInApps) && !(in.isLocked(title) && in.hideLockedFromApps);
        out.push_back({album.localIdentifier(),
                       PHAssetCollection::transientAssetCollectionWithAssets_title(list, title), appendable});
    }
    return out;
}

std::shared_ptr<const FolderCopyList> folderCopies(const Inputs& in, StockObjects stockObjects) {
    // The key before the content: see the header.
    PHPersistentChangeToken library = PHPhotoLibrary::sharedPhotoLibrary().currentChangeToken();
    if (auto copies = lookUp(library, in)) return copies;
    if (t_building) return std::make_shared<const FolderCopyList>(buildFolderCopies(in, stockObjects));
    std::lock_guard build(g_building);
    if (auto copies = lookUp(library, in)) return copies; // built while this query waited
    t_building = true;
    auto copies = std::make_shared<const FolderCopyList>(buildFolderCopies(in, stockObjects));
    t_building = false;
    std::lock_guard guard(g_keptLock);
    kept() = Kept{library, in.settingsGeneration, in.locked.version, copies};
    return copies;
}

} // namespace lc::filter
