#include "tweak/filter/FolderCopies.h"

#include "sim/photos/kit/PhotoKit.h"

#include <mutex>

namespace lc::filter {

using namespace photos;
using Objects = std::vector<rt::Ref<rt::Object>>;

namespace {

struct AlbumAssets {
    std::string identifier, title;
    std::vector<PHAsset> assets;
};
using AlbumAssetsList = std::vector<AlbumAssets>;

struct Kept {
    PHPersistentChangeToken library;
    std::shared_ptr<const AlbumAssetsList> albums; // under `library`
    std::uint64_t settingsGeneration = 0;
    std::uint64_t lockedVersion = 0;
    std::shared_ptr<const FolderCopyList> copies; // under all three
};

constinit std::mutex g_keptLock; // guards kept(), for the time of a copy of it
constinit std::mutex g_building; // one build at a time
Kept& kept() {
    static Kept* k = new Kept(); // runtime objects: never destroyed after the runtime at exit
    return *k;
}

// A thread that builds queries the library; should anything it calls list
// collections again, it builds without the layers instead of waiting for
// itself.
thread_local bool t_building = false;

PHFetchResult<PHAssetCollection> regularAlbums() {
    // Through the collection-fetch hook, as any query of the app.
    return PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
        PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAlbumRegular, nullptr);
}

AlbumAssetsList fetchAlbumAssets(const StockReads& stock) {
    AlbumAssetsList out;
    auto albums = regularAlbums();
    if (!albums) return out;
    for (const auto& object : stock.objects(albums.get())) {
        PHAssetCollection album(object);
        AlbumAssets a{album.localIdentifier(), album.title(), {}};
        if (rt::Ref<rt::Object> assets = stock.albumAssets(object.get()))
            for (const auto& asset : stock.objects(assets.get()))
                a.assets.emplace_back(asset);
        out.push_back(std::move(a));
    }
    return out;
}

bool appendable(const std::string& title, const Inputs& in) {
    // A locked album's copy stays out while hideLockedFromApps keeps the
    // album itself out: its title is what the setting hides.
    return (!in.switchedOff(title) || !in.hideFoldersInApps) && !(in.isLocked(title) && in.hideLockedFromApps);
}

FolderCopyList copiesOf(const AlbumAssetsList& albums, const Inputs& in) {
    FolderCopyList out;
    out.copies.reserve(albums.size());
    static const std::vector<PHAsset> none;
    for (const AlbumAssets& a : albums) {
        // What the filtered asset fetch would give of the album.
        const auto& assets = in.withholdsAssets(a.title) ? none : a.assets;
        out.add({a.identifier, PHAssetCollection::transientAssetCollectionWithAssets_title(assets, a.title),
                 appendable(a.title, in)});
    }
    return out;
}

} // namespace

FolderCopyList buildFolderCopies(const Inputs& in, const StockReads& stock) {
    FolderCopyList out;
    auto albums = regularAlbums();
    if (!albums) return out;
    for (const auto& object : stock.objects(albums.get())) {
        PHAssetCollection album(object);
        auto options = PHFetchOptions::new_();
        options.setIncludeHiddenAssets(true);
        auto assets = PHAsset::fetchAssetsInAssetCollection_options(album, options);
        std::vector<PHAsset> list;
        if (assets)
            for (const auto& a : stock.objects(assets.get()))
                list.emplace_back(a);
        std::string title = album.title();
        out.add({album.localIdentifier(), PHAssetCollection::transientAssetCollectionWithAssets_title(list, title),
                 appendable(title, in)});
    }
    return out;
}

std::shared_ptr<const FolderCopyList> folderCopies(const Inputs& in, const StockReads& stock) {
    // The keys before the content: see the header.
    PHPersistentChangeToken library = PHPhotoLibrary::sharedPhotoLibrary().currentChangeToken();
    auto current = [&](const Kept& k) { return k.library && k.library.isEqual(library); };
    auto look = [&]() -> std::pair<std::shared_ptr<const FolderCopyList>, std::shared_ptr<const AlbumAssetsList>> {
        std::lock_guard guard(g_keptLock);
        const Kept& k = kept();
        if (!current(k)) return {};
        bool copiesCurrent = k.settingsGeneration == in.settingsGeneration && k.lockedVersion == in.locked.version;
        return {copiesCurrent ? k.copies : nullptr, k.albums};
    };
    if (auto [copies, albums] = look(); copies) return copies;
    if (t_building) return std::make_shared<const FolderCopyList>(copiesOf(fetchAlbumAssets(stock), in));
    std::lock_guard build(g_building);
    auto [copies, albums] = look(); // another query may have built them while this one waited
    if (copies) return copies;
    t_building = true;
    if (!albums) albums = std::make_shared<const AlbumAssetsList>(fetchAlbumAssets(stock));
    copies = std::make_shared<const FolderCopyList>(copiesOf(*albums, in));
    t_building = false;
    std::lock_guard guard(g_keptLock);
    kept() = Kept{library, albums, in.settingsGeneration, in.locked.version, copies};
    return copies;
}

} // namespace lc::filter
