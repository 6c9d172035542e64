#include "tweak/library/AlbumPlacement.h"

#include <algorithm>
#include <memory>

namespace lc {

using namespace photos;

PHAssetCollection collectionWithName(const std::string& name) {
    auto options = PHFetchOptions::new_();
    options.setIncludeHiddenAssets(true);
    options.setPredicate(fnd::NSPredicate::predicateWithFormat_argumentArray("title = %@", {name}));
    return PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(PHAssetCollectionTypeAlbum,
                                                                            PHAssetCollectionSubtypeAny, options)
        .firstObject();
}

PHFetchResult<PHAsset> newestImages(unsigned long limit, bool hiddenOptionSet) {
    auto options = PHFetchOptions::new_();
    if (hiddenOptionSet) options.setIncludeHiddenAssets(false);
    options.setSortDescriptors({fnd::NSSortDescriptor::sortDescriptorWithKey_ascending("creationDate", false)});
    options.setFetchLimit(std::max(1UL, limit));
    return PHAsset::fetchAssetsWithMediaType_options(PHAssetMediaTypeImage, options);
}

PHAsset newestImage() { return newestImages(1).firstObject(); }

namespace {

// Adds the asset to the album in one change.
void addToCollection(const PHAssetCollection& album, const PHAsset& asset) {
    if (!album || !asset) return; // no visible image: nothing to add
    PHPhotoLibrary::sharedPhotoLibrary().performChanges_completionHandler([album, asset] {
        auto current = PHAsset::fetchAssetsInAssetCollection_options(album, nullptr);
        PHAssetCollectionChangeRequest::changeRequestForAssetCollection_assets(album, current).addAssets({asset});
    });
}

// Puts the asset that `pick` answers into the album titled `name`: at once
// when the album exists, else once a first change has created it. `pick` runs
// when the add is made.
template <class Pick> void placeInAlbum(const std::string& name, Pick pick) {
    if (!PHPhotoLibrary::cls()) return;
    if (PHAssetCollection album = collectionWithName(name)) return addToCollection(album, pick());
    auto placeholder = std::make_shared<PHObjectPlaceholder>();
    PHPhotoLibrary::sharedPhotoLibrary().performChanges_completionHandler(
        [name, placeholder] {
            *placeholder = PHAssetCollectionChangeRequest::creationRequestForAssetCollectionWithTitle(name)
                               .placeholderForCreatedAssetCollection();
        },
        [placeholder, pick](bool ok, NSError) {
            if (!ok || !*placeholder) return; // the creation failed: nothing more, nothing said
            auto found = PHAssetCollection::fetchAssetCollectionsWithLocalIdentifiers_options(
                {placeholder->localIdentifier()}, nullptr);
            addToCollection(found.firstObject(), pick());
        });
}

} // namespace

void saveLatestPHAssetToCollection(const PHAssetCollection& album, const std::string&) {
    if (album) addToCollection(album, newestImage());
}

void moveLatestPhotoToAlbumWithName(const std::string& name) { placeInAlbum(name, &newestImage); }

void moveAssetToAlbumWithName(const PHAsset& asset, const std::string& name) {
    if (!asset) return;
    placeInAlbum(name, [asset] { return asset; });
}

} // namespace lc
