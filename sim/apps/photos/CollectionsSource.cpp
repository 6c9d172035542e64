// PXPhotoKitCollectionsDataSourceManager: which collections the album lists
// show (-collectionsInList:). They list the collections of the top list of
// user albums and folders, or of a folder, in its order, leaving out those whose -_containsAnyAssets: says
// NO (an album with no visible photo). -canReorderCollection: is YES for a
// user's albums and folders.

#include "sim/apps/photos/Photos.h"
#include "sim/dispatch/Queue.h"
#include "sim/photos/kit/PhotoKit.h"

namespace photosapp {

using rt::Ref;
using namespace rt::literals;

namespace {

rt::Class* g_manager = nullptr;

bool containsAnyAssets(rt::Id, rt::Sel, Ref<rt::Object> collection) {
    if (!collection || !rt::respondsTo(collection.get(), "assetCollectionType"_sel)) return true; // folders
    return countOf(assetsOf(collection)) > 0;
}

bool canReorder(rt::Id, rt::Sel, Ref<rt::Object> collection) {
    if (!collection) return false;
    if (!rt::respondsTo(collection.get(), "assetCollectionType"_sel)) return true;
    return isRegularAlbum(collection);
}

// The collections of a folder, or (nil) of the top list of user albums.
Objects collectionsInList(rt::Id self, rt::Sel, Ref<rt::Object> folder) {
    Ref<rt::Object> list = folder ? folder : photos::userCollectionsList().ref();
    Objects out;
    for (const auto& c : rt::send<Objects>(list, "collections"_sel))
        if (rt::send<bool>(Ref<rt::Object>(self), "_containsAnyAssets:"_sel, c)) out.push_back(c);
    return out;
}

Ref<rt::Object> shared(rt::Id, rt::Sel) {
    static Ref<rt::Object> manager = rt::sendClass<Ref<rt::Object>>(g_manager, "new"_sel);
    return manager;
}

} // namespace

Ref<rt::Object> assetsOf(const Ref<rt::Object>& collection, bool includeHidden) {
    auto options = photos::PHFetchOptions::new_();
    options.setIncludeHiddenAssets(includeHidden);
    options.setSortDescriptors({fnd::NSSortDescriptor::sortDescriptorWithKey_ascending("creationDate", true)});
    return rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsInAssetCollection:options:"_sel,
                                          collection, options);
}

unsigned long countOf(const Ref<rt::Object>& fetchResult) {
    return fetchResult ? rt::send<unsigned long>(fetchResult, "count"_sel) : 0;
}

bool isRegularAlbum(const Ref<rt::Object>& collection) {
    return collection && rt::respondsTo(collection.get(), "assetCollectionType"_sel) &&
           rt::send<long>(collection, "assetCollectionType"_sel) == photos::PHAssetCollectionTypeAlbum;
}

std::string stockTitle(rt::Id, rt::Sel, Ref<rt::Object> c) {
    return c ? rt::send<std::string>(c, "localizedTitle"_sel) : "";
}
std::string stockSubtitle(rt::Id, rt::Sel, Ref<rt::Object> c) {
    if (!c || !rt::respondsTo(c.get(), "assetCollectionType"_sel)) return "";
    return std::to_string(countOf(assetsOf(c)));
}

void observeLibrary(const Ref<rt::Object>& controller) {
    auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
    rt::send(library, "registerChangeObserver:"_sel, controller);
}

void libraryDidChangeOnMain(rt::Id self, rt::Sel, Ref<rt::Object>) {
    Ref<rt::Object> keep(self);
    dsp::mainQueue().async([keep] { rt::send(keep, "_libraryDidChange"_sel); });
}

Objects listedCollections(const Ref<rt::Object>& folder) {
    auto manager = rt::sendClass<Ref<rt::Object>>(g_manager, "sharedManager"_sel);
    return rt::send<Objects>(manager, "collectionsInList:"_sel, folder);
}

bool isFolder(const Ref<rt::Object>& collection) {
    return collection && rt::isKindOf(collection.get(), rt::getClass("PHCollectionList"));
}

void defineCollectionsSource() {
    g_manager = rt::defineClass("PXPhotoKitCollectionsDataSourceManager");
    rt::addMethod<&containsAnyAssets>(g_manager, "_containsAnyAssets:"_sel);
    rt::addMethod<&canReorder>(g_manager, "canReorderCollection:"_sel);
    rt::addMethod<&collectionsInList>(g_manager, "collectionsInList:"_sel);
    rt::addMethod<&shared>(rt::objectGetClass(g_manager), "sharedManager"_sel);
}

} // namespace photosapp
