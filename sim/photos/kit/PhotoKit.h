#pragma once
// The photo library as apps see it: PhotoKit's classes as runtime classes
// over the process's PhotoStore, so that a hook on any of them (instance or
// class method) takes effect for every caller in the process.
//
// Classes and what they answer:
//   PHPhotoLibrary      +sharedPhotoLibrary +authorizationStatus +requestAuthorization:
//                       -performChanges:completionHandler: -registerChangeObserver:
//                       -unregisterChangeObserver: (observers hear photoLibraryDidChange:
//                       with a PHChange, on the library's queue, after each change this
//                       process commits)
//   PHObject            -localIdentifier -isEqual:
//   PHAsset             +fetchAssetsInAssetCollection:options: +fetchAssetsWithMediaType:options:
//                       +fetchKeyAssetsInAssetCollection:options: +fetchAssetsWithOptions:
//                       +fetchAssetsWithLocalIdentifiers:options:
//                       -creationDate -mediaType -isHidden -isFavorite -pixelWidth -pixelHeight
//   PHCollection        +fetchTopLevelUserCollectionsWithOptions: +fetchCollectionsInCollectionList:options:
//                       -localizedTitle -canContainAssets -canContainCollections
//   PHAssetCollection   +fetchAssetCollectionsWithType:subtype:options:
//                       +fetchAssetCollectionsWithLocalIdentifiers:options:
//                       +fetchAssetCollectionsContainingAsset:withType:options:
//                       +transientAssetCollectionWithAssets:title:
//                       -title -assetCollectionType -assetCollectionSubtype -isTrashBin
//                       -estimatedAssetCount -startDate -endDate
//   PHCollectionList    +fetchCollectionListsWithType:subtype:options:
//                       +transientCollectionListWithCollections:title:
//                       -collections -collectionListType -collectionListSubtype
//   PHFetchResult       -count -firstObject -lastObject -objectAtIndex: -enumerateObjectsUsingBlock:
//                       -fetchedObjects -fetchedObjectIDsSet -fetchType -containsObject: -indexOfObject:
//   PHFetchOptions      -includeHiddenAssets -setIncludeHiddenAssets: -predicate -setPredicate:
//                       -sortDescriptors -setSortDescriptors: -fetchLimit -setFetchLimit:
//   PHObjectPlaceholder -localIdentifier
//   PHAssetCollectionChangeRequest (inside a change block only)
//                       +creationRequestForAssetCollectionWithTitle: +changeRequestForAssetCollection:
//                       +changeRequestForAssetCollection:assets: +deleteAssetCollections:
//                       -placeholderForCreatedAssetCollection -addAssets: -removeAssets: -setTitle:
//   PHAssetChangeRequest (inside a change block only)
//                       +creationRequestForAssetFromImageAtFileURL: +changeRequestForAsset: +deleteAssets:
//                       -placeholderForCreatedAsset -setHidden: -setFavorite: -setCreationDate:
//   PHImageManager      +defaultManager -requestImageForAsset:targetSize:contentMode:options:resultHandler:
//   PHImageRequestOptions -resizeMode -setResizeMode: -isSynchronous -setSynchronous:
//                       -deliveryMode -setDeliveryMode:
//   PUAssetHidingHelper (Photos UI only) -setAssets: -assets -applyHiddenState:completionHandler:
//
// Fetches are synchronous on the calling thread and read one committed state
// of the store. Changes run on the library's serial queue, each block's
// requests applied in one transaction, and one completion follows on that
// queue with success or an NSError.

#include "sim/dispatch/Queue.h"
#include "sim/foundation/Value.h"
#include "sim/graphics/Geometry.h"
#include "sim/photos/PhotoStore.h"
#include "sim/runtime/Runtime.h"
#include "sim/runtime/Weak.h"

#include <array>
#include <climits>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace photos {

// ---- values callers pass ---------------------------------------------------------------
inline constexpr long kTypeAlbum = 1;
inline constexpr long kTypeSmartAlbum = 2;
inline constexpr long kTypeMoment = 3;
inline constexpr long kSubtypeAlbumRegular = 2;
inline constexpr long kSubtypeAny = LONG_MAX; // the largest signed 64-bit value
inline constexpr long kCollectionListTypeFolder = 2;
inline constexpr long kCollectionListSubtypeRegularFolder = 100;
inline constexpr long kSubtypeTrash = 1000000201; // Recently Deleted
// The title of the collection list of top-level user albums and folders.
inline constexpr const char* kUserCollectionsListTitle = "PXUserCollectionsSectionTitle";
inline constexpr long kImageContentModeAspectFit = 0;
inline constexpr long kImageContentModeAspectFill = 1;
inline constexpr long kResizeModeNone = 0;
inline constexpr long kResizeModeFast = 1;
inline constexpr long kResizeModeExact = 2;
inline constexpr const char* kErrorDomain = "PHPhotosErrorDomain";

// ---- the process's library ----------------------------------------------------------------
class Library {
public:
    static Library& shared();
    // Null when the library cannot be opened (the device has no writable
    // media folder); fetches are then empty and changes fail.
    PhotoStore* store();
    dsp::SerialQueue& queue() { return m_queue; }
    // Blocks until every change submitted so far, with its completion, has run.
    void waitUntilIdle() { m_queue.waitUntilIdle(); }

    // Change observers (not retained): each hears photoLibraryDidChange:
    // on the library's queue after a change of this process is committed.
    void addObserver(rt::Id observer);
    void removeObserver(rt::Id observer);
    void notifyObservers();

private:
    Library()
        : m_queue("com.apple.photos.library") {}
    std::mutex m_observersLock;
    std::vector<std::unique_ptr<rt::Weak<rt::Object>>> m_observers;
    std::once_flag m_opened;
    std::unique_ptr<PhotoStore> m_store;
    dsp::SerialQueue m_queue;
};

// Defines the PhotoKit classes once per process, and the Foundation and
// UIImage classes they use.
void registerPhotoKit();
// Defines PUAssetHidingHelper, the Photos UI framework's class, in the
// processes that link that framework.
void registerPhotosUI();

// ---- objects ----------------------------------------------------------------------------------
class AssetObject : public rt::Object {
public:
    using Object::Object;
    AssetRecord record;
};

enum class CollectionKind { Album, Smart, Moment, Transient };

class CollectionObject : public rt::Object {
public:
    using Object::Object;
    CollectionKind kind = CollectionKind::Album;
    int64_t key = 0; // the album's row id, the smart album's subtype or the moment's day
    std::string uuid;
    std::string title; // empty: none
    std::string localizedTitle;
    long type = kTypeAlbum;
    long subtype = kSubtypeAlbumRegular;
    std::optional<int64_t> folder;
    double startDate = 0, endDate = 0;
    std::vector<rt::Ref<rt::Object>> transientAssets;
};

enum class ListKind { Folder, TopLevel, Transient };

class CollectionListObject : public rt::Object {
public:
    using Object::Object;
    ListKind kind = ListKind::Folder;
    int64_t folder = 0;
    std::string uuid;
    std::string title;
    std::vector<rt::Ref<rt::Object>> transientCollections;
};

class FetchOptionsObject : public rt::Object {
public:
    using Object::Object;
    bool includeHidden = false;
    rt::Ref<rt::Object> predicate;
    std::vector<rt::Ref<rt::Object>> sortDescriptors;
    unsigned long fetchLimit = 0;
};

// An ordered, immutable list. Asset results keep only row ids and load the
// assets in chunks of 64 when they are first asked for, so that a result of
// every asset costs little more than its ids; an asset deleted since the
// fetch then reads as nil.
class FetchResultObject : public rt::Object {
public:
    using Object::Object;
    std::string fetchType;
    void setObjects(std::vector<rt::Ref<rt::Object>> objects);
    void setAssetIds(std::vector<int64_t> ids);
    std::size_t size() const;
    rt::Ref<rt::Object> at(std::size_t i);
    std::vector<rt::Ref<rt::Object>> all();

private:
    static constexpr std::size_t kChunk = 64;
    struct Chunk {
        std::array<rt::Ref<rt::Object>, kChunk> objects;
    };
    Chunk& chunk(std::size_t c); // loads it when it is not yet; under m_lock
    mutable std::mutex m_lock;
    bool m_lazy = false;
    std::vector<rt::Ref<rt::Object>> m_objects; // an eager result
    std::vector<int64_t> m_assetIds;            // a lazy one
    std::vector<std::unique_ptr<Chunk>> m_chunks;
};

// ---- helpers for the stock apps, the tools and the tests -----------------------------------------
rt::Ref<rt::Object> makeFetchOptions(bool includeHidden = false);
// A UIImage of the asset through PHImageManager (synchronous, so it is there
// on return), or nil.
rt::Ref<rt::Object> requestImageNow(const rt::Ref<rt::Object>& asset, gfx::CGSize target, long contentMode);
rt::Ref<rt::Object> makeAsset(AssetRecord record);
// The top list of user albums and folders, titled kUserCollectionsListTitle;
// its collections are read from the library at each call.
rt::Ref<rt::Object> userCollectionsList();
const AssetRecord* assetRecordOf(rt::Id obj);
CollectionObject* collectionOf(rt::Id obj);
CollectionListObject* collectionListOf(rt::Id obj);
FetchResultObject* fetchResultOf(rt::Id obj);
FetchOptionsObject* fetchOptionsOf(rt::Id obj);

// The "uuid" part of a local identifier ("uuid/L0/001").
std::string uuidOfIdentifier(const std::string& localIdentifier);

} // namespace photos
