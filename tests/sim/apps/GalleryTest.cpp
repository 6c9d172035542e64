// The third-party gallery: what it reports seeing, through each query path,
// and that a fetch giving no result at all leaves it standing.

#include "sim/apps/gallery/Gallery.h"

#include "tests/sim/apps/PhotosAppFixture.h"

using namespace photostest;

namespace {

rt::Orig<Ref<rt::Object>(Ref<rt::Object>, Ref<rt::Object>)> g_stockAssets;
Ref<rt::Object> noAssets(rt::Id, rt::Sel, Ref<rt::Object>, Ref<rt::Object>) { return nullptr; }
rt::Orig<Ref<rt::Object>(Ref<rt::Object>)> g_stockTop;
Ref<rt::Object> noTop(rt::Id, rt::Sel, Ref<rt::Object>) { return nullptr; }

struct Gallery : PhotosApp {
    std::string report() {
        auto answer = ui({{"command", fnd::Value("report")}});
        const std::string* text = fnd::valueForKey(answer, "report").string();
        return text ? *text : "";
    }
    void launchGallery() {
        rt::Class* cls = apps::registerApplicationClasses("com.example.gallery");
        gallery::registerClasses("GalleryApplication");
        app = rt::sendClass<Ref<rt::Object>>(cls, "new"_sel);
        launch();
    }
};

} // namespace

TEST_F(Gallery, ReportsAlbumsFoldersSmartAlbumsAndIdentifiersAsTheLibraryHasThem) {
    auto a = addPhoto(1), b = addPhoto(2), c = addPhoto(3, photos::AssetRecord{.hidden = true});
    addAlbum("Trips", {a, b, c});
    auto travel = store->createFolder("Travel");
    auto rome = store->createAlbum("Rome", travel->id);
    store->addMembers(rome->id, {a.id});
    launchGallery();
    std::string r = report();
    EXPECT_NE(r.find("albums: Trips(2)\n"), std::string::npos) << r;
    EXPECT_NE(r.find("folders: Travel[Rome]\n"), std::string::npos) << r;
    EXPECT_NE(r.find(" Camera Roll(2) "), std::string::npos) << r;
    EXPECT_NE(r.find(" Hidden(1) "), std::string::npos) << r;
    EXPECT_NE(r.find("ids: 2\n"), std::string::npos) << r;
    EXPECT_TRUE(tap("Trips (2)"));
    EXPECT_TRUE(tap("Photo 2"));
}

TEST_F(Gallery, AFetchWithNoResultCountsAsEmpty) {
    addAlbum("Trips", {addPhoto(1)});
    ASSERT_TRUE(rt::hookMessage<&noAssets>(rt::objectGetClass(rt::getClass("PHAsset")),
                                           "fetchAssetsInAssetCollection:options:"_sel, &g_stockAssets));
    ASSERT_TRUE(rt::hookMessage<&noTop>(rt::objectGetClass(rt::getClass("PHCollection")),
                                        "fetchTopLevelUserCollectionsWithOptions:"_sel, &g_stockTop));
    launchGallery();
    std::string r = report();
    EXPECT_NE(r.find("albums:\n"), std::string::npos) << r;
    EXPECT_NE(r.find(" Camera Roll(0) "), std::string::npos) << r;
    EXPECT_TRUE(tap("No albums"));
}
