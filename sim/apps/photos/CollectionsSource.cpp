// PXPhotoKitCollectionsDataSourceManager: which collections the album lists
// show (-collectionsInList:). They list the collections of the top list of
// user albums and folders ("PXUserCollectionsSectionTitle"), or of a
// folder, in its order, leaving out those whose -_containsAnyAssets: says
// NO (an album with no visible photo). My Albums starts with the camera
// roll, as on iOS 12: the manager puts it first unless the top list already
// holds it, so that it is listed once whoever supplied it.
// -canReorderCollection: is YES for a user's albums and folders.

#include "sim/apps/photos/Photos.h"
#include "sim/dispatch/Queue.h"
#include "sim/photos/kit/PhotoKit.h"

namespace photosapp {

using namespace photos;
using rt::Ref;

namespace {

rt::Class* g_manager = nullptr;

bool containsAnyAssets(rt::Id, rt::Sel, PHCollection collection) {
    if (!isAssetCollection(collection)) return true; // folders
    return assetsOf(collection).count() > 0;
}

bool canReorder(rt::Id, rt::Sel, PHCollection collection) {
    if (!collection) return false;
    return !isAssetCollection(collection) || isRegularAlbum(collection);
}

// The collections of a folder, or (nil) of the top list of user albums.
std::vector<PHCollection> collectionsInList(rt::Id self, rt::Sel, PHCollectionList folder) {
    PXPhotoKitCollectionsDataSourceManager manager(self);
    std::vector<PHCollection> out;
    bool holdsCameraRoll = false;
    for (const PHCollection& c : (folder ? folder : userCollectionsList()).collections()) {
        if (isCameraRoll(c)) {
            if (holdsCameraRoll) continue;
            holdsCameraRoll = true;
            out.push_back(c); // listed even while it has no photo
        } else if (manager._containsAnyAssets(c)) {
            out.push_back(c);
        }
    }
    if (!folder && !holdsCameraRoll)
        if (PHAssetCollection roll =
                PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
                    PHAssetCollectionTypeSmartAlbum, PHAssetCollectionSubtypeSmartAlbumUserLibrary, nullptr)
                    .firstObject())
            out.insert(out.begin(), roll);
    return out;
}

Ref<rt::Object> shared(rt::Id, rt::Sel) {
    static Ref<rt::Object> manager = rt::sendClass<Ref<rt::Object>>(g_manager, "new"_sel);
    return manager;
}

} // namespace

PHFetchResult<PHAsset> assetsOf(const PHCollection& collection, bool includeHidden) {
    auto options = PHFetchOptions::new_();
    options.setIncludeHiddenAssets(includeHidden);
    options.setSortDescriptors({fnd::NSSortDescriptor::sortDescriptorWithKey_ascending("creationDate", true)});
    return PHAsset::fetchAssetsInAssetCollection_options(collection.as<PHAssetCollection>(), options);
}

bool isAssetCollection(const PHCollection& collection) {
    return collection && collection.respondsToSelector("assetCollectionType"_sel);
}

bool isCameraRoll(const PHCollection& collection) {
    if (!isAssetCollection(collection)) return false;
    PHAssetCollection album = collection.as<PHAssetCollection>();
    return album.assetCollectionType() == PHAssetCollectionTypeSmartAlbum &&
           album.assetCollectionSubtype() == PHAssetCollectionSubtypeSmartAlbumUserLibrary;
}

bool isRegularAlbum(const PHCollection& collection) {
    return isAssetCollection(collection) &&
           collection.as<PHAssetCollection>().assetCollectionType() == PHAssetCollectionTypeAlbum;
}

std::string stockTitle(rt::Id, rt::Sel, PHCollection c) { return c ? c.localizedTitle() : ""; }
std::string stockSubtitle(rt::Id, rt::Sel, PHCollection c) {
    if (!isAssetCollection(c)) return "";
    return std::to_string(assetsOf(c).count());
}

void observeLibrary(const UIViewController& controller) {
    PHPhotoLibrary::sharedPhotoLibrary().registerChangeObserver(controller);
}

void libraryDidChangeOnMain(rt::Id self, rt::Sel, Ref<rt::Object>) {
    Ref<rt::Object> keep(self);
    dsp::mainQueue().async([keep] { rt::send(keep, "_libraryDidChange"_sel); });
}

std::vector<PHCollection> listedCollections(const PHCollectionList& folder) {
    return PXPhotoKitCollectionsDataSourceManager::sharedManager().collectionsInList(folder);
}

bool isFolder(const PHCollection& collection) { return collection.isKindOf(PHCollectionList::cls()); }

void defineCollectionsSource() {
    g_manager = rt::defineClass("PXPhotoKitCollectionsDataSourceManager");
    rt::addMethod<&containsAnyAssets>(g_manager, "_containsAnyAssets:"_sel);
    rt::addMethod<&canReorder>(g_manager, "canReorderCollection:"_sel);
    rt::addMethod<&collectionsInList>(g_manager, "collectionsInList:"_sel);
    rt::addMethod<&shared>(rt::objectGetClass(g_manager), "sharedManager"_sel);
}

} // namespace photosapp
