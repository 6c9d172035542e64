#include "tweak/filter/WithheldPhotos.h"

#include <atomic>
#include <mutex>

namespace lc::filter {

using namespace photos;
using Objects = std::vector<rt::Ref<rt::Object>>;

namespace {

struct Kept {
    PHPersistentChangeToken library;
    std::uint64_t settingsGeneration = 0;
    std::uint64_t lockedVersion = 0;
    std::shared_ptr<const WithheldPhotos> set;
};

constinit std::mutex g_keptLock; // guards kept(), for the time of a copy of it
constinit std::mutex g_building; // one build at a time
constinit std::atomic<std::uint64_t> g_serial{0};
Kept& kept() {
    static Kept* k = new Kept(); // runtime objects: never destroyed after the runtime at exit
    return *k;
}

// Whether every user album that holds the photo withholds its assets.
bool everyAlbumWithholds(const PHAsset& photo, const Inputs& in, const StockReads& stock) {
    auto albums = PHAssetCollection::fetchAssetCollectionsContainingAsset_withType_options(
        photo, PHAssetCollectionTypeAlbum, nullptr);
    if (!albums) return false;
    for (const auto& album : stock.objects(albums.get()))
        if (!in.withholdsAssets(PHAssetCollection(album).title())) return false;
    return true;
}

std::shared_ptr<const WithheldPhotos> build(const Inputs& in, const StockReads& stock) {
    auto out = std::make_shared<WithheldPhotos>();
    out->serial = ++g_serial;
    if (in.lockedTitles->empty() && (in.albums->empty() || !in.hideFoldersInApps)) return out; // nothing withholds
    auto albums = PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
        PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAlbumRegular, nullptr);
    if (!albums) return out;
    std::unordered_set<std::string> looked;
    for (const auto& object : stock.objects(albums.get())) {
        if (!in.withholdsAssets(PHAssetCollection(object).title())) continue;
        rt::Ref<rt::Object> assets = stock.albumAssets(object.get());
        if (!assets) continue;
        for (const auto& asset : stock.objects(assets.get())) {
            PHAsset photo(asset);
            if (!photo.isHidden()) continue;
            std::string id = photo.localIdentifier();
            if (!looked.insert(id).second) continue;
            if (everyAlbumWithholds(photo, in, stock)) out->identifiers.insert(std::move(id));
        }
    }
    return out;
}

} // namespace

std::shared_ptr<const WithheldPhotos> withheldPhotos(const Inputs& in, const StockReads& stock) {
    // The keys before the content: a build that raced a change is kept under
    // the older key and never served again.
    PHPersistentChangeToken library = PHPhotoLibrary::sharedPhotoLibrary().currentChangeToken();
    auto look = [&]() -> std::shared_ptr<const WithheldPhotos> {
        std::lock_guard guard(g_keptLock);
        const Kept& k = kept();
        bool current = k.set && k.library && k.library.isEqual(library) &&
                       k.settingsGeneration == in.settingsGeneration && k.lockedVersion == in.locked.version;
        return current ? k.set : nullptr;
    };
    if (auto set = look()) return set;
    std::lock_guard building(g_building);
    if (auto set = look()) return set; // another query built it while this one waited
    auto set = build(in, stock);
    std::lock_guard guard(g_keptLock);
    kept() = Kept{library, in.settingsGeneration, in.locked.version, set};
    return set;
}

} // namespace lc::filter
