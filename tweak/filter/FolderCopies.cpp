#include "tweak/filter/FolderCopies.h"

#include "sim/photos/kit/PhotoKit.h"

#include <mutex>

namespace lc::filter {

using namespace photos;
using Objects = std::vector<rt::Ref<rt::Object>>;

namespace {

const char kCopyOfKey = 0;

struct Kept {
    PHPersistentChangeToken library;
    std::shared_ptr<const FolderAlbums> albums; // under `library`
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

std::shared_ptr<const FolderAlbums> fetchAlbums(const StockReads& stock) {
    auto out = std::make_shared<FolderAlbums>();
    auto albums = regularAlbums();
    if (!albums) return out;
    std::vector<rt::Ref<rt::Object>> objects = stock.objects(albums.get());
    out->albums.reserve(objects.size());
    out->byIdentifier.reserve(objects.size());
    for (auto& object : objects) {
        PHAssetCollection album(object);
        out->add({album.localIdentifier(), album.title(), std::move(object)});
    }
    return out;
}

bool appendable(const std::string& title, const Inputs& in) {
    // A locked album's copy stays out while hideLockedFromApps keeps the
    // album itself out: its title is what the setting hides.
    return (!in.switchedOff(title) || !in.hideFoldersInApps) && !(in.isLocked(title) && in.hideLockedFromApps);
}

} // namespace

FolderCopyList::FolderCopyList(std::shared_ptr<const FolderAlbums> albums, const Inputs& in)
    : m_albums(std::move(albums))
    , m_made(m_albums->albums.size()) {
    m_appendable.reserve(m_albums->albums.size());
    for (const FolderAlbum& a : m_albums->albums)
        m_appendable.push_back(filter::appendable(a.title, in) ? 1 : 0);
}

// Each copy is made empty and keeps its album: the filter's asset fetches
// answer a copy with its album's assets as they are when asked (none for a
// locked or switched-off album), so a list costs no asset fetch at all.
rt::Ref<rt::Object> FolderCopyList::copyAt(std::size_t index) const {
    std::lock_guard guard(m_lock);
    rt::Ref<rt::Object>& made = m_made[index];
    if (!made) {
        const FolderAlbum& a = m_albums->albums[index];
        PHAssetCollection copy = PHAssetCollection::transientAssetCollectionWithAssets_title({}, a.title);
        copy.get()->setAssociated(&kCopyOfKey, a.album);
        made = copy.ref();
    }
    return made;
}

std::shared_ptr<const FolderCopyList> buildFolderCopies(const Inputs& in, const StockReads& stock) {
    auto albums = std::make_shared<FolderAlbums>();
    std::vector<rt::Ref<rt::Object>> made;
    if (auto found = regularAlbums()) {
        for (const auto& object : stock.objects(found.get())) {
            PHAssetCollection album(object);
            auto options = PHFetchOptions::new_();
            options.setIncludeHiddenAssets(true);
            auto assets = PHAsset::fetchAssetsInAssetCollection_options(album, options);
            std::vector<PHAsset> list;
            if (assets)
                for (const auto& a : stock.objects(assets.get()))
                    list.emplace_back(a);
            std::string title = album.title();
            made.push_back(PHAssetCollection::transientAssetCollectionWithAssets_title(list, title).ref());
            albums->add({album.localIdentifier(), std::move(title), nullptr});
        }
    }
    auto out = std::make_shared<FolderCopyList>(albums, in);
    for (std::size_t i = 0; i < made.size(); ++i)
        out->setMade(i, std::move(made[i]));
    return out;
}

std::shared_ptr<const FolderCopyList> folderCopies(const Inputs& in, const StockReads& stock) {
    // The keys before the content: see the header.
    PHPersistentChangeToken library = PHPhotoLibrary::sharedPhotoLibrary().currentChangeToken();
    auto current = [&](const Kept& k) { return k.library && k.library.isEqual(library); };
    auto look = [&]() -> std::pair<std::shared_ptr<const FolderCopyList>, std::shared_ptr<const FolderAlbums>> {
        std::lock_guard guard(g_keptLock);
        const Kept& k = kept();
        if (!current(k)) return {};
        bool copiesCurrent = k.settingsGeneration == in.settingsGeneration && k.lockedVersion == in.locked.version;
        return {copiesCurrent ? k.copies : nullptr, k.albums};
    };
    if (auto [copies, albums] = look(); copies) return copies;
    if (t_building) return std::make_shared<const FolderCopyList>(fetchAlbums(stock), in);
    std::lock_guard build(g_building);
    auto [copies, albums] = look(); // another query may have built them while this one waited
    if (copies) return copies;
    t_building = true;
    if (!albums) albums = fetchAlbums(stock);
    copies = std::make_shared<const FolderCopyList>(albums, in);
    t_building = false;
    std::lock_guard guard(g_keptLock);
    kept() = Kept{library, albums, in.settingsGeneration, in.locked.version, copies};
    return copies;
}

rt::Ref<rt::Object> albumOfCopy(rt::Id collection) {
    if (!collection || !rt::isKindOf(collection, PHAssetCollection::cls())) return nullptr;
    return collection->associated(&kCopyOfKey);
}

} // namespace lc::filter
