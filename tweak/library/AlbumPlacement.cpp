#include "tweak/library/AlbumPlacement.h"

#include "sim/foundation/Value.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace lc {

using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

namespace {
constexpr long kTypeAlbum = 1, kSubtypeAny = LONG_MAX, kMediaImage = 1;

Ref<rt::Object> newOptions() { return rt::sendClass<Ref<rt::Object>>(rt::getClass("PHFetchOptions"), "new"_sel); }
Ref<rt::Object> library() {
    return rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
}
} // namespace

Ref<rt::Object> collectionWithName(const std::string& name) {
    auto options = newOptions();
    rt::send(options, "setIncludeHiddenAssets:"_sel, true);
    rt::send(options, "setPredicate:"_sel,
             rt::sendClass<Ref<rt::Object>>(rt::getClass("NSPredicate"), "predicateWithFormat:argumentArray:"_sel,
                                            std::string("title = %@"), std::vector<std::string>{name}));
    auto found = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                                "fetchAssetCollectionsWithType:subtype:options:"_sel, kTypeAlbum,
                                                kSubtypeAny, options);
    return found ? rt::send<Ref<rt::Object>>(found, "firstObject"_sel) : nullptr;
}

Ref<rt::Object> newestImages(unsigned long limit, bool hiddenOptionSet) {
    auto options = newOptions();
    if (hiddenOptionSet) rt::send(options, "setIncludeHiddenAssets:"_sel, false);
    auto newestFirst = rt::sendClass<Ref<rt::Object>>(
        rt::getClass("NSSortDescriptor"), "sortDescriptorWithKey:ascending:"_sel, std::string("creationDate"), false);
    rt::send(options, "setSortDescriptors:"_sel, Objects{newestFirst});
    rt::send(options, "setFetchLimit:"_sel, std::max(1UL, limit));
    return rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsWithMediaType:options:"_sel, kMediaImage,
                                          options);
}

Ref<rt::Object> newestImage() {
    Ref<rt::Object> images = newestImages(1);
    return images ? rt::send<Ref<rt::Object>>(images, "firstObject"_sel) : nullptr;
}

namespace {

// Adds the asset to the album in one change.
void addToCollection(const Ref<rt::Object>& album, const Ref<rt::Object>& asset) {
    if (!album || !asset) return; // no visible image: nothing to add
    rt::send(library(), "performChanges:completionHandler:"_sel, rt::Block<void()>([album, asset] {
                 auto current = rt::sendClass<Ref<rt::Object>>(
                     rt::getClass("PHAsset"), "fetchAssetsInAssetCollection:options:"_sel, album, Ref<rt::Object>());
                 auto request =
                     rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                                    "changeRequestForAssetCollection:assets:"_sel, album, current);
                 rt::send(request, "addAssets:"_sel, Objects{asset});
             }),
             rt::Block<void(bool, Ref<rt::Object>)>());
}

// Puts the asset that `pick` answers into the album titled `name`: at once
// when the album exists, else once a first change has created it. `pick` runs
// when the add is made.
template <class Pick> void placeInAlbum(const std::string& name, Pick pick) {
    if (!rt::getClass("PHPhotoLibrary")) return;
    if (Ref<rt::Object> album = collectionWithName(name)) return addToCollection(album, pick());
    auto placeholder = std::make_shared<Ref<rt::Object>>();
    rt::send(library(), "performChanges:completionHandler:"_sel, rt::Block<void()>([name, placeholder] {
                 auto request = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                                               "creationRequestForAssetCollectionWithTitle:"_sel, name);
                 *placeholder = rt::send<Ref<rt::Object>>(request, "placeholderForCreatedAssetCollection"_sel);
             }),
             rt::Block<void(bool, Ref<rt::Object>)>([placeholder, pick](bool ok, Ref<rt::Object>) {
                 if (!ok || !*placeholder) return; // the creation failed: nothing more, nothing said
                 std::string id = rt::send<std::string>(*placeholder, "localIdentifier"_sel);
                 auto found = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                                             "fetchAssetCollectionsWithLocalIdentifiers:options:"_sel,
                                                             std::vector<std::string>{id}, Ref<rt::Object>());
                 if (found) addToCollection(rt::send<Ref<rt::Object>>(found, "firstObject"_sel), pick());
             }));
}

} // namespace

void saveLatestPHAssetToCollection(const Ref<rt::Object>& album, const std::string&) {
    if (album) addToCollection(album, newestImage());
}

void moveLatestPhotoToAlbumWithName(const std::string& name) { placeInAlbum(name, &newestImage); }

void moveAssetToAlbumWithName(const Ref<rt::Object>& asset, const std::string& name) {
    if (!asset) return;
    placeInAlbum(name, [asset] { return asset; });
}

} // namespace lc
