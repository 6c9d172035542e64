// The photos a third-party app does not get at all: moved out of the camera
// roll (hidden) into albums that are all locked or switched off. Every path
// that lists hidden photos without naming an album leaves them out, as
// their albums are left out; a photo that an album the app may see holds
// too, and every visible photo, stays.

#include "tests/tweak/filter/FilterFixture.h"

#include <algorithm>
#include <set>

using namespace filtertest;

namespace {

using Uuids = std::set<std::string>;

struct Withheld : Filter {
    AssetRecord onlyLocked, alsoInRome, shown, onlySwitchedOff;
    void SetUp() override {
        Filter::SetUp();
        onlyLocked = addPhoto({.hidden = true});
        alsoInRome = addPhoto({.hidden = true});
        shown = addPhoto();
        onlySwitchedOff = addPhoto({.hidden = true});
        addAlbum("Trips", {onlyLocked, alsoInRome, shown});
        addAlbum("Rome", {alsoInRome});
        addAlbum("Oslo", {onlySwitchedOff});
        lock({"Trips"});
        prefs({{"albumNameOslo", Value(false)}});
    }
    static Uuids set(const PHFetchResult<PHAsset>& r) {
        auto v = uuids(r);
        return {v.begin(), v.end()};
    }
    // Every photo of every moment, by each reading of the moments' fetches.
    static Uuids inMoments() {
        Uuids out;
        auto moments = PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
            PHAssetCollectionTypeMoment, PHAssetCollectionSubtypeAny, nullptr);
        for (const auto& m : moments.fetchedObjects()) {
            auto assets = assetsIn(m);
            Uuids whole = set(assets), byIndex, enumerated;
            for (unsigned long i = 0; i < assets.count(); ++i)
                byIndex.insert(uuidOfIdentifier(assets.objectAtIndex(i).localIdentifier()));
            assets.enumerateObjectsUsingBlock(
                [&](PHAsset a, unsigned long, bool*) { enumerated.insert(uuidOfIdentifier(a.localIdentifier())); });
            EXPECT_EQ(whole, byIndex);
            EXPECT_EQ(whole, enumerated);
            out.insert(whole.begin(), whole.end());
        }
        return out;
    }
    PHFetchOptions withHidden() {
        auto o = PHFetchOptions::new_();
        o.setIncludeHiddenAssets(true);
        return o;
    }
    std::vector<std::string> identifiers(const std::vector<AssetRecord>& records) {
        std::vector<std::string> out;
        for (const auto& r : records)
            out.push_back(PHAsset(makeAsset(r)).localIdentifier());
        return out;
    }
};

} // namespace

TEST_F(Withheld, EveryPathThatListsHiddenPhotosLeavesOutThoseOfLockedAndSwitchedOffAlbumsOnly) {
    start();
    const Uuids seen{alsoInRome.uuid, shown.uuid};
    EXPECT_EQ(inMoments(), seen);
    EXPECT_EQ(set(PHAsset::fetchAssetsWithOptions(withHidden())), seen);
    EXPECT_EQ(set(PHAsset::fetchAssetsWithMediaType_options(PHAssetMediaTypeImage, withHidden())), seen);
    EXPECT_EQ(set(assetsIn(smartAlbum(PHAssetCollectionSubtypeSmartAlbumAllHidden))), Uuids{alsoInRome.uuid});
    auto named = PHAsset::fetchAssetsWithLocalIdentifiers_options(identifiers({onlyLocked, alsoInRome}), nullptr);
    EXPECT_EQ(set(named), Uuids{alsoInRome.uuid}) << "an identifier kept from before the lock";
    EXPECT_EQ(named.count(), 1u);
    EXPECT_FALSE(named.containsObject(PHAsset(makeAsset(onlyLocked))));
    EXPECT_EQ(named.indexOfObject(PHAsset(makeAsset(alsoInRome))), 0);
    EXPECT_EQ(uuidOfIdentifier(named.firstObject().localIdentifier()), alsoInRome.uuid);
    EXPECT_EQ(uuidOfIdentifier(named.lastObject().localIdentifier()), alsoInRome.uuid);
    auto moments = PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
        PHAssetCollectionTypeMoment, PHAssetCollectionSubtypeAny, nullptr);
    for (const auto& m : moments.fetchedObjects()) {
        auto key = PHAsset::fetchKeyAssetsInAssetCollection_options(m, nullptr);
        for (const auto& id : uuids(key))
            EXPECT_TRUE(seen.contains(id)) << "a key photo " << id;
    }
    EXPECT_EQ(set(PHAsset::fetchAssetsWithOptions(nullptr)), Uuids{shown.uuid}) << "the visible ones, as ever";
    EXPECT_EQ(set(assetsIn(album(store->albumsWithTitle("Rome").front()))), Uuids{alsoInRome.uuid});
}

// The set follows the locks, the switches and the library at the next
// reading, also of a fetch the app holds.
TEST_F(Withheld, AnUnlockASwitchAndAnAlbumThatShowsBringThePhotosBack) {
    start();
    auto all = PHAsset::fetchAssetsWithOptions(withHidden());
    ASSERT_EQ(set(all), (Uuids{alsoInRome.uuid, shown.uuid}));
    lock({});
    EXPECT_EQ(set(all), (Uuids{onlyLocked.uuid, alsoInRome.uuid, shown.uuid}));
    EXPECT_EQ(all.count(), 3u);
    prefs({{"albumNameOslo", Value(true)}});
    EXPECT_EQ(set(all), (Uuids{onlyLocked.uuid, alsoInRome.uuid, shown.uuid, onlySwitchedOff.uuid}));
    prefs({{"albumNameOslo", Value(false)}, {"hideFoldersInApps", Value(false)}});
    EXPECT_EQ(all.count(), 4u) << "a switched-off album's photos are withheld only with hideFoldersInApps";

    lock({"Trips", "Rome"});
    EXPECT_EQ(set(all), (Uuids{shown.uuid, onlySwitchedOff.uuid})) << "both of its albums locked";
    int64_t paris = store->createAlbum("Paris").value().id;
    store->addMembers(paris, {onlyLocked.id});
    EXPECT_EQ(set(all), (Uuids{onlyLocked.uuid, shown.uuid, onlySwitchedOff.uuid})) << "now in an album that shows";
}

// Photos filters for itself and sees every photo; the store app gets no hook.
TEST_F(Withheld, PhotosAndTheStoreAppSeeEveryPhoto) {
    start("com.apple.mobileslideshow");
    EXPECT_EQ(set(PHAsset::fetchAssetsWithOptions(withHidden())).size(), 4u);
}
TEST_F(Withheld, TheStoreAppSeesEveryPhoto) {
    start("com.apple.store.Jolly");
    EXPECT_EQ(set(PHAsset::fetchAssetsWithOptions(withHidden())).size(), 4u);
}
