#pragma once
// Inside the PhotoKit layer: the classes once defined, and the pieces that
// the class files share.

#include "sim/photos/kit/Internals.h"

namespace photos::kit {

struct Classes {
    rt::Class* library = nullptr;
    rt::Class* object = nullptr;
    rt::Class* asset = nullptr;
    rt::Class* collection = nullptr;
    rt::Class* assetCollection = nullptr;
    rt::Class* collectionList = nullptr;
    rt::Class* fetchResult = nullptr;
    rt::Class* fetchOptions = nullptr;
    rt::Class* placeholder = nullptr;
    rt::Class* collectionChangeRequest = nullptr;
    rt::Class* assetChangeRequest = nullptr;
    rt::Class* change = nullptr; // PHChange, what observers are told
    rt::Class* imageManager = nullptr;
    rt::Class* imageRequestOptions = nullptr;
    rt::Class* hidingHelper = nullptr;
};
Classes& classes();

// Each file defines its classes' methods; registerPhotoKit calls them in order.
void defineObjects(Classes& c);      // PHObject, PHAsset, PHCollection, PHAssetCollection, PHCollectionList
void defineFetchResult(Classes& c);  // PHFetchResult
void defineFetchOptions(Classes& c); // PHFetchOptions
void defineAssetFetches(Classes& c); // PHAsset's class methods
void defineCollectionFetches(Classes& c);
void defineChanges(Classes& c); // PHPhotoLibrary, change requests, placeholders
void defineImageManager(Classes& c);

rt::Ref<rt::Object> makeResult(std::string fetchType, std::vector<rt::Ref<rt::Object>> objects);
rt::Ref<rt::Object> makeAssetResult(std::vector<int64_t> ids);
rt::Ref<rt::Object> makeAlbum(const AlbumRecord& album);
rt::Ref<rt::Object> makeFolder(const FolderRecord& folder);
rt::Ref<rt::Object> makeMoment(const MomentRecord& moment);

// The options a fetch was given, or the defaults for none.
const FetchOptionsObject& optionsOrDefault(rt::Id options);
// The library's store, or null (fetches are then empty).
inline PhotoStore* store() { return Library::shared().store(); }

inline const char* kAssetIdSuffix = "/L0/001";
inline const char* kCollectionIdSuffix = "/L0/040";
inline const char* kListIdSuffix = "/L0/010";

} // namespace photos::kit
