#include "sim/photos/kit/SmartAlbums.h"

#include "sim/photos/kit/Classes.h"

namespace photos {

namespace {
std::string trait(int64_t bit) { return "(a.traits & " + std::to_string(bit) + ") != 0"; }
} // namespace

const std::vector<SmartAlbum>& smartAlbums() {
    static const std::vector<SmartAlbum> all = {
        {209, "Camera Roll", "1"},
        {1000000205, "All Photos", "1"},
        {203, "Favorites", "a.favorite = 1"},
        {213, "Live Photos", trait(kTraitLivePhoto)},
        {202, "Videos", "a.media_type = 2"},
        {210, "Selfies", trait(kTraitSelfie)},
        {212, "Portrait", trait(kTraitDepthEffect)},
        {201, "Panoramas", trait(kTraitPanorama)},
        {204, "Time-lapse", trait(kTraitTimelapse)},
        {208, "Slo-mo", trait(kTraitSlowMotion)},
        {207, "Bursts", trait(kTraitBurst)},
        {211, "Screenshots", trait(kTraitScreenshot)},
        {214, "Animated", trait(kTraitAnimated)},
        {215, "Long Exposure", trait(kTraitLongExposure)},
        {1000000207, "Screen Recordings", trait(kTraitScreenRecording)},
        {1000000203, "Places", "a.has_location = 1"},
        {205, "Hidden", "a.hidden = 1", true},
        {PHAssetCollectionSubtypeSmartAlbumRecentlyDeleted, "Recently Deleted", "a.trashed = 1", false, true},
    };
    return all;
}

const SmartAlbum* smartAlbum(long subtype) {
    for (const auto& s : smartAlbums())
        if (s.subtype == subtype) return &s;
    return nullptr;
}

rt::Ref<rt::Object> makeSmartCollection(const SmartAlbum& album) {
    auto c = rt::createInstance<CollectionObject>(kit::classes().assetCollection);
    c->kind = CollectionKind::Smart;
    c->key = album.subtype;
    c->uuid = "SMARTALBUM-" + std::to_string(album.subtype);
    c->title = album.title;
    c->localizedTitle = album.title;
    c->type = PHAssetCollectionTypeSmartAlbum;
    c->subtype = album.subtype;
    return c;
}

} // namespace photos
