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
//                       process commits) -currentChangeToken
//   PHPersistentChangeToken -isEqual: (equal tokens: no change committed in between, by
//                       any process)
//   PHObject            -localIdentifier -isEqual:
//   PHAsset             +fetchAssetsInAssetCollection:options: +fetchAssetsWithMediaType:options:
//                       +fetchKeyAssetsInAssetCollection:options: +fetchAssetsWithOptions:
//                       +fetchAssetsWithLocalIdentifiers:options:
//                       -creationDate -mediaType -mediaSubtypes -isHidden -isFavorite -pixelWidth
//                       -pixelHeight
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
// This header is PhotoKit's public surface: its constants, named as the
// platform names them, and the faces (Face.h) of its classes, whose methods
// are message sends. The framework's own storage is in Internals.h.
//
// Fetches are synchronous on the calling thread and read one committed state
// of the store. Changes run on the library's serial queue, each block's
// requests applied in one transaction, and one completion follows on that
// queue with success or an NSError.

#include "sim/dispatch/Queue.h"
#include "sim/foundation/Foundation.h"
#include "sim/foundation/Value.h"
#include "sim/graphics/Geometry.h"
#include "sim/graphics/UIImage.h"
#include "sim/photos/PhotoStore.h"
#include "sim/runtime/Runtime.h"
#include "sim/runtime/Weak.h"

#include <climits>
#include <string>
#include <vector>

namespace photos {

using fnd::NSError;
using fnd::NSInteger;
using fnd::NSUInteger;
using rt::NSObject;
using namespace rt::literals;

// ---- constants ------------------------------------------------------------------------------------
using PHAssetCollectionType = NSInteger;
inline constexpr PHAssetCollectionType PHAssetCollectionTypeAlbum = 1;
inline constexpr PHAssetCollectionType PHAssetCollectionTypeSmartAlbum = 2;
inline constexpr PHAssetCollectionType PHAssetCollectionTypeMoment = 3;

using PHAssetCollectionSubtype = NSInteger;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeAlbumRegular = 2;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumGeneric = 200;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumPanoramas = 201;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumVideos = 202;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumFavorites = 203;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumTimelapses = 204;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumAllHidden = 205;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumRecentlyAdded = 206;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumBursts = 207;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumSlomoVideos = 208;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumUserLibrary = 209;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumSelfPortraits = 210;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumScreenshots = 211;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumDepthEffect = 212;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumLivePhotos = 213;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumAnimated = 214;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumLongExposures = 215;
// Private subtypes the Photos app shows: Recently Deleted, Places, All
// Photos (treated like the camera roll) and Screen Recordings.
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumRecentlyDeleted = 1000000201;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumPlaces = 1000000203;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumAllPhotos = 1000000205;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeSmartAlbumScreenRecordings = 1000000207;
inline constexpr PHAssetCollectionSubtype PHAssetCollectionSubtypeAny = LONG_MAX;

using PHCollectionListType = NSInteger;
inline constexpr PHCollectionListType PHCollectionListTypeMomentList = 1;
inline constexpr PHCollectionListType PHCollectionListTypeFolder = 2;
inline constexpr PHCollectionListType PHCollectionListTypeSmartFolder = 3;
using PHCollectionListSubtype = NSInteger;
inline constexpr PHCollectionListSubtype PHCollectionListSubtypeRegularFolder = 100;
inline constexpr PHCollectionListSubtype PHCollectionListSubtypeAny = LONG_MAX;

using PHAssetMediaType = NSInteger;
inline constexpr PHAssetMediaType PHAssetMediaTypeUnknown = 0;
inline constexpr PHAssetMediaType PHAssetMediaTypeImage = 1;
inline constexpr PHAssetMediaType PHAssetMediaTypeVideo = 2;
inline constexpr PHAssetMediaType PHAssetMediaTypeAudio = 3;

using PHAssetMediaSubtype = NSUInteger;
inline constexpr PHAssetMediaSubtype PHAssetMediaSubtypePhotoPanorama = 1ul << 0;
inline constexpr PHAssetMediaSubtype PHAssetMediaSubtypePhotoHDR = 1ul << 1;
inline constexpr PHAssetMediaSubtype PHAssetMediaSubtypePhotoScreenshot = 1ul << 2;
inline constexpr PHAssetMediaSubtype PHAssetMediaSubtypePhotoLive = 1ul << 3;
inline constexpr PHAssetMediaSubtype PHAssetMediaSubtypePhotoDepthEffect = 1ul << 4;
inline constexpr PHAssetMediaSubtype PHAssetMediaSubtypeVideoHighFrameRate = 1ul << 17;
inline constexpr PHAssetMediaSubtype PHAssetMediaSubtypeVideoTimelapse = 1ul << 18;

using PHImageContentMode = NSInteger;
inline constexpr PHImageContentMode PHImageContentModeAspectFit = 0;
inline constexpr PHImageContentMode PHImageContentModeAspectFill = 1;

using PHImageRequestOptionsResizeMode = NSInteger;
inline constexpr PHImageRequestOptionsResizeMode PHImageRequestOptionsResizeModeNone = 0;
inline constexpr PHImageRequestOptionsResizeMode PHImageRequestOptionsResizeModeFast = 1;
inline constexpr PHImageRequestOptionsResizeMode PHImageRequestOptionsResizeModeExact = 2;

using PHImageRequestOptionsDeliveryMode = NSInteger;
inline constexpr PHImageRequestOptionsDeliveryMode PHImageRequestOptionsDeliveryModeOpportunistic = 0;
inline constexpr PHImageRequestOptionsDeliveryMode PHImageRequestOptionsDeliveryModeHighQualityFormat = 1;

using PHAuthorizationStatus = NSInteger;
inline constexpr PHAuthorizationStatus PHAuthorizationStatusAuthorized = 3;

inline constexpr const char* PHPhotosErrorDomain = "PHPhotosErrorDomain";
// The title of the collection list of top-level user albums and folders.
inline constexpr const char* kUserCollectionsListTitle = "PXUserCollectionsSectionTitle";

// ---- faces ----------------------------------------------------------------------------------------

// A fetch result of objects of one kind (PHFetchResult<ObjectType>).
template <class T> struct PHFetchResult : NSObject {
    using FaceSuper = NSObject;
    using FaceSuper::FaceSuper;
    static rt::Class* cls() { return rt::classNamed<"PHFetchResult">(); }
    NSUInteger count() const { return msg<NSUInteger>("count"_sel); }
    T firstObject() const { return msg<T>("firstObject"_sel); }
    T lastObject() const { return msg<T>("lastObject"_sel); }
    T objectAtIndex(NSUInteger index) const { return msg<T>("objectAtIndex:"_sel, index); }
    bool containsObject(const T& object) const { return msg<bool>("containsObject:"_sel, object); }
    NSInteger indexOfObject(const T& object) const { return msg<NSInteger>("indexOfObject:"_sel, object); }
    std::vector<T> fetchedObjects() const { return msg<std::vector<T>>("fetchedObjects"_sel); }
    fnd::NSSet fetchedObjectIDsSet() const { return msg<fnd::NSSet>("fetchedObjectIDsSet"_sel); }
    std::string fetchType() const { return msg<std::string>("fetchType"_sel); }
    void enumerateObjectsUsingBlock(rt::Block<void(T, NSUInteger, bool*)> block) const {
        msg("enumerateObjectsUsingBlock:"_sel, std::move(block));
    }
};

struct PHFetchOptions : NSObject {
    RT_FACE(PHFetchOptions, NSObject)
    bool includeHiddenAssets() const { return msg<bool>("includeHiddenAssets"_sel); }
    void setIncludeHiddenAssets(bool on) const { msg("setIncludeHiddenAssets:"_sel, on); }
    fnd::NSPredicate predicate() const { return msg<fnd::NSPredicate>("predicate"_sel); }
    void setPredicate(const fnd::NSPredicate& predicate) const { msg("setPredicate:"_sel, predicate); }
    std::vector<fnd::NSSortDescriptor> sortDescriptors() const {
        return msg<std::vector<fnd::NSSortDescriptor>>("sortDescriptors"_sel);
    }
    void setSortDescriptors(const std::vector<fnd::NSSortDescriptor>& descriptors) const {
        msg("setSortDescriptors:"_sel, descriptors);
    }
    NSUInteger fetchLimit() const { return msg<NSUInteger>("fetchLimit"_sel); }
    void setFetchLimit(NSUInteger limit) const { msg("setFetchLimit:"_sel, limit); }
};

struct PHObject : NSObject {
    RT_FACE(PHObject, NSObject)
    std::string localIdentifier() const { return msg<std::string>("localIdentifier"_sel); }
};

struct PHAssetCollection;

struct PHAsset : PHObject {
    RT_FACE(PHAsset, PHObject)
    static PHFetchResult<PHAsset> fetchAssetsInAssetCollection_options(const PHAssetCollection& collection,
                                                                       const PHFetchOptions& options);
    static PHFetchResult<PHAsset> fetchKeyAssetsInAssetCollection_options(const PHAssetCollection& collection,
                                                                          const PHFetchOptions& options);
    static PHFetchResult<PHAsset> fetchAssetsWithMediaType_options(PHAssetMediaType type,
                                                                   const PHFetchOptions& options) {
        return rt::sendClass<PHFetchResult<PHAsset>>(cls(), "fetchAssetsWithMediaType:options:"_sel, type, options);
    }
    static PHFetchResult<PHAsset> fetchAssetsWithOptions(const PHFetchOptions& options) {
        return rt::sendClass<PHFetchResult<PHAsset>>(cls(), "fetchAssetsWithOptions:"_sel, options);
    }
    static PHFetchResult<PHAsset> fetchAssetsWithLocalIdentifiers_options(const std::vector<std::string>& identifiers,
                                                                          const PHFetchOptions& options) {
        return rt::sendClass<PHFetchResult<PHAsset>>(cls(), "fetchAssetsWithLocalIdentifiers:options:"_sel, identifiers,
                                                     options);
    }
    fnd::Date creationDate() const { return msg<fnd::Date>("creationDate"_sel); }
    PHAssetMediaType mediaType() const { return msg<PHAssetMediaType>("mediaType"_sel); }
    PHAssetMediaSubtype mediaSubtypes() const { return msg<PHAssetMediaSubtype>("mediaSubtypes"_sel); }
    bool isHidden() const { return msg<bool>("isHidden"_sel); }
    bool isFavorite() const { return msg<bool>("isFavorite"_sel); }
    NSUInteger pixelWidth() const { return msg<NSUInteger>("pixelWidth"_sel); }
    NSUInteger pixelHeight() const { return msg<NSUInteger>("pixelHeight"_sel); }
};

struct PHCollectionList;

struct PHCollection : PHObject {
    RT_FACE(PHCollection, PHObject)
    static PHFetchResult<PHCollection> fetchTopLevelUserCollectionsWithOptions(const PHFetchOptions& options) {
        return rt::sendClass<PHFetchResult<PHCollection>>(cls(), "fetchTopLevelUserCollectionsWithOptions:"_sel,
                                                          options);
    }
    static PHFetchResult<PHCollection> fetchCollectionsInCollectionList_options(const PHCollectionList& list,
                                                                                const PHFetchOptions& options);
    std::string localizedTitle() const { return msg<std::string>("localizedTitle"_sel); }
    bool canContainAssets() const { return msg<bool>("canContainAssets"_sel); }
    bool canContainCollections() const { return msg<bool>("canContainCollections"_sel); }
};

struct PHAssetCollection : PHCollection {
    RT_FACE(PHAssetCollection, PHCollection)
    static PHFetchResult<PHAssetCollection>
    fetchAssetCollectionsWithType_subtype_options(PHAssetCollectionType type, PHAssetCollectionSubtype subtype,
                                                  const PHFetchOptions& options) {
        return rt::sendClass<PHFetchResult<PHAssetCollection>>(
            cls(), "fetchAssetCollectionsWithType:subtype:options:"_sel, type, subtype, options);
    }
    static PHFetchResult<PHAssetCollection>
    fetchAssetCollectionsWithLocalIdentifiers_options(const std::vector<std::string>& identifiers,
                                                      const PHFetchOptions& options) {
        return rt::sendClass<PHFetchResult<PHAssetCollection>>(
            cls(), "fetchAssetCollectionsWithLocalIdentifiers:options:"_sel, identifiers, options);
    }
    static PHFetchResult<PHAssetCollection>
    fetchAssetCollectionsContainingAsset_withType_options(const PHAsset& asset, PHAssetCollectionType type,
                                                          const PHFetchOptions& options) {
        return rt::sendClass<PHFetchResult<PHAssetCollection>>(
            cls(), "fetchAssetCollectionsContainingAsset:withType:options:"_sel, asset, type, options);
    }
    static PHAssetCollection transientAssetCollectionWithAssets_title(const std::vector<PHAsset>& assets,
                                                                      const std::string& title) {
        return rt::sendClass<PHAssetCollection>(cls(), "transientAssetCollectionWithAssets:title:"_sel, assets, title);
    }
    std::string title() const { return msg<std::string>("title"_sel); }
    PHAssetCollectionType assetCollectionType() const { return msg<PHAssetCollectionType>("assetCollectionType"_sel); }
    PHAssetCollectionSubtype assetCollectionSubtype() const {
        return msg<PHAssetCollectionSubtype>("assetCollectionSubtype"_sel);
    }
    bool isTrashBin() const { return msg<bool>("isTrashBin"_sel); }
    NSUInteger estimatedAssetCount() const { return msg<NSUInteger>("estimatedAssetCount"_sel); }
    fnd::Date startDate() const { return msg<fnd::Date>("startDate"_sel); }
    fnd::Date endDate() const { return msg<fnd::Date>("endDate"_sel); }
};

struct PHCollectionList : PHCollection {
    RT_FACE(PHCollectionList, PHCollection)
    static PHFetchResult<PHCollectionList> fetchCollectionListsWithType_subtype_options(PHCollectionListType type,
                                                                                        PHCollectionListSubtype subtype,
                                                                                        const PHFetchOptions& options) {
        return rt::sendClass<PHFetchResult<PHCollectionList>>(
            cls(), "fetchCollectionListsWithType:subtype:options:"_sel, type, subtype, options);
    }
    static PHCollectionList transientCollectionListWithCollections_title(const std::vector<PHCollection>& collections,
                                                                         const std::string& title) {
        return rt::sendClass<PHCollectionList>(cls(), "transientCollectionListWithCollections:title:"_sel, collections,
                                               title);
    }
    std::vector<PHCollection> collections() const { return msg<std::vector<PHCollection>>("collections"_sel); }
    PHCollectionListType collectionListType() const { return msg<PHCollectionListType>("collectionListType"_sel); }
    PHCollectionListSubtype collectionListSubtype() const {
        return msg<PHCollectionListSubtype>("collectionListSubtype"_sel);
    }
};

inline PHFetchResult<PHAsset> PHAsset::fetchAssetsInAssetCollection_options(const PHAssetCollection& collection,
                                                                            const PHFetchOptions& options) {
    return rt::sendClass<PHFetchResult<PHAsset>>(cls(), "fetchAssetsInAssetCollection:options:"_sel, collection,
                                                 options);
}
inline PHFetchResult<PHAsset> PHAsset::fetchKeyAssetsInAssetCollection_options(const PHAssetCollection& collection,
                                                                               const PHFetchOptions& options) {
    return rt::sendClass<PHFetchResult<PHAsset>>(cls(), "fetchKeyAssetsInAssetCollection:options:"_sel, collection,
                                                 options);
}
inline PHFetchResult<PHCollection>
PHCollection::fetchCollectionsInCollectionList_options(const PHCollectionList& list, const PHFetchOptions& options) {
    return rt::sendClass<PHFetchResult<PHCollection>>(cls(), "fetchCollectionsInCollectionList:options:"_sel, list,
                                                      options);
}

struct PHObjectPlaceholder : PHObject {
    RT_FACE(PHObjectPlaceholder, PHObject)
};

// The library's committed state, as of the call that made it: a token
// equals a later one exactly when no change was committed in between, by
// this process or any other. Cheap to take (no table is read): a cache of
// what is derived from the library keeps one beside its content.
struct PHPersistentChangeToken : NSObject {
    RT_FACE(PHPersistentChangeToken, NSObject)
};

// What change observers are told (photoLibraryDidChange:).
struct PHChange : NSObject {
    RT_FACE(PHChange, NSObject)
};

struct PHPhotoLibrary : NSObject {
    RT_FACE(PHPhotoLibrary, NSObject)
    static PHPhotoLibrary sharedPhotoLibrary() {
        return rt::sendClass<PHPhotoLibrary>(cls(), "sharedPhotoLibrary"_sel);
    }
    static PHAuthorizationStatus authorizationStatus() {
        return rt::sendClass<PHAuthorizationStatus>(cls(), "authorizationStatus"_sel);
    }
    static void requestAuthorization(rt::Block<void(PHAuthorizationStatus)> handler) {
        rt::sendClass(cls(), "requestAuthorization:"_sel, std::move(handler));
    }
    // The block runs on the library's queue, then the one completion there.
    void performChanges_completionHandler(rt::Block<void()> changes,
                                          rt::Block<void(bool, NSError)> completion = {}) const {
        msg("performChanges:completionHandler:"_sel, std::move(changes), std::move(completion));
    }
    void registerChangeObserver(const NSObject& observer) const { msg("registerChangeObserver:"_sel, observer); }
    void unregisterChangeObserver(const NSObject& observer) const { msg("unregisterChangeObserver:"_sel, observer); }
    PHPersistentChangeToken currentChangeToken() const {
        return msg<PHPersistentChangeToken>("currentChangeToken"_sel);
    }
};

// Change requests exist only inside a change block.
struct PHAssetCollectionChangeRequest : NSObject {
    RT_FACE(PHAssetCollectionChangeRequest, NSObject)
    static PHAssetCollectionChangeRequest creationRequestForAssetCollectionWithTitle(const std::string& title) {
        return rt::sendClass<PHAssetCollectionChangeRequest>(cls(), "creationRequestForAssetCollectionWithTitle:"_sel,
                                                             title);
    }
    static PHAssetCollectionChangeRequest changeRequestForAssetCollection(const PHAssetCollection& collection) {
        return rt::sendClass<PHAssetCollectionChangeRequest>(cls(), "changeRequestForAssetCollection:"_sel, collection);
    }
    // `assets` is the fetch result the caller shows of the collection.
    static PHAssetCollectionChangeRequest changeRequestForAssetCollection_assets(const PHAssetCollection& collection,
                                                                                 const NSObject& assets) {
        return rt::sendClass<PHAssetCollectionChangeRequest>(cls(), "changeRequestForAssetCollection:assets:"_sel,
                                                             collection, assets);
    }
    static void deleteAssetCollections(const std::vector<PHAssetCollection>& collections) {
        rt::sendClass(cls(), "deleteAssetCollections:"_sel, collections);
    }
    PHObjectPlaceholder placeholderForCreatedAssetCollection() const {
        return msg<PHObjectPlaceholder>("placeholderForCreatedAssetCollection"_sel);
    }
    void addAssets(const std::vector<PHAsset>& assets) const { msg("addAssets:"_sel, assets); }
    void removeAssets(const std::vector<PHAsset>& assets) const { msg("removeAssets:"_sel, assets); }
    std::string title() const { return msg<std::string>("title"_sel); }
    void setTitle(const std::string& title) const { msg("setTitle:"_sel, title); }
};

struct PHAssetChangeRequest : NSObject {
    RT_FACE(PHAssetChangeRequest, NSObject)
    // The image file is a device path.
    static PHAssetChangeRequest creationRequestForAssetFromImageAtFileURL(const std::string& path) {
        return rt::sendClass<PHAssetChangeRequest>(cls(), "creationRequestForAssetFromImageAtFileURL:"_sel, path);
    }
    static PHAssetChangeRequest changeRequestForAsset(const PHAsset& asset) {
        return rt::sendClass<PHAssetChangeRequest>(cls(), "changeRequestForAsset:"_sel, asset);
    }
    static void deleteAssets(const std::vector<PHAsset>& assets) { rt::sendClass(cls(), "deleteAssets:"_sel, assets); }
    PHObjectPlaceholder placeholderForCreatedAsset() const {
        return msg<PHObjectPlaceholder>("placeholderForCreatedAsset"_sel);
    }
    void setHidden(bool hidden) const { msg("setHidden:"_sel, hidden); }
    void setFavorite(bool favourite) const { msg("setFavorite:"_sel, favourite); }
    void setCreationDate(const fnd::Date& date) const { msg("setCreationDate:"_sel, date); }
};

struct PHImageRequestOptions : NSObject {
    RT_FACE(PHImageRequestOptions, NSObject)
    PHImageRequestOptionsResizeMode resizeMode() const {
        return msg<PHImageRequestOptionsResizeMode>("resizeMode"_sel);
    }
    void setResizeMode(PHImageRequestOptionsResizeMode mode) const { msg("setResizeMode:"_sel, mode); }
    bool isSynchronous() const { return msg<bool>("isSynchronous"_sel); }
    void setSynchronous(bool on) const { msg("setSynchronous:"_sel, on); }
    PHImageRequestOptionsDeliveryMode deliveryMode() const {
        return msg<PHImageRequestOptionsDeliveryMode>("deliveryMode"_sel);
    }
    void setDeliveryMode(PHImageRequestOptionsDeliveryMode mode) const { msg("setDeliveryMode:"_sel, mode); }
};

using PHImageRequestID = int;

struct PHImageManager : NSObject {
    RT_FACE(PHImageManager, NSObject)
    static PHImageManager defaultManager() { return rt::sendClass<PHImageManager>(cls(), "defaultManager"_sel); }
    PHImageRequestID requestImageForAsset_targetSize_contentMode_options_resultHandler(
        const PHAsset& asset, gfx::CGSize target, PHImageContentMode mode, const PHImageRequestOptions& options,
        rt::Block<void(gfx::UIImage, fnd::Dictionary)> handler) const {
        return msg<PHImageRequestID>("requestImageForAsset:targetSize:contentMode:options:resultHandler:"_sel, asset,
                                     target, mode, options, std::move(handler));
    }
};

// The Photos UI framework's helper that hides or shows assets (in processes
// that link that framework: Photos and Camera).
struct PUAssetHidingHelper : NSObject {
    RT_FACE(PUAssetHidingHelper, NSObject)
    std::vector<PHAsset> assets() const { return msg<std::vector<PHAsset>>("assets"_sel); }
    void setAssets(const std::vector<PHAsset>& assets) const { msg("setAssets:"_sel, assets); }
    void applyHiddenState_completionHandler(bool hidden, rt::Block<void(bool, NSError)> completion = {}) const {
        msg("applyHiddenState:completionHandler:"_sel, hidden, std::move(completion));
    }
};

// ---- the framework in a process ---------------------------------------------------------------------

// Defines the PhotoKit classes once per process, and the Foundation and
// UIImage classes they use.
void registerPhotoKit();
// Defines PUAssetHidingHelper, the Photos UI framework's class, in the
// processes that link that framework.
void registerPhotosUI();

// A UIImage of the asset through PHImageManager (synchronous, so it is there
// on return; the fast resize mode, so that a picture of a tile's or a
// cell's size comes from the asset's thumbnail), or nil.
gfx::UIImage requestImageNow(const PHAsset& asset, gfx::CGSize target, PHImageContentMode contentMode);
// The top list of user albums and folders as the Photos UI shows it, titled
// kUserCollectionsListTitle; its collections are read from the library at
// each call.
PHCollectionList userCollectionsList();

} // namespace photos
