// The Photos app's small adjustments: back to the album list in the
// background, the records of what the album views show, photos that leave
// their last album, and the switches of the grids and the viewer.

#include "tests/tweak/photos/PhotosFixture.h"

using namespace photostest;

namespace {

struct Navigation : PhotosWithTweak {
    photos::AssetRecord a, b;
    void SetUp() override {
        PhotosWithTweak::SetUp();
        a = addPhoto(1);
        b = addPhoto(2);
        addAlbum("Trips", {a, b});
        addAlbum("Rome", {b});
        lock({"Trips"});
    }
    void toBackground() {
        rt::send(app, "applicationDidEnterBackground:"_sel, app);
        settle();
    }
    std::size_t depth() {
        auto nav = rt::send<Ref<rt::Object>>(tabs(), "selectedNavigationController"_sel);
        return rt::send<Objects>(nav, "viewControllers"_sel).size();
    }
};

} // namespace

TEST_F(Navigation, TheBackgroundPopsToTheListOnlyFromALockedAlbumUnlessAlwaysAsked) {
    prefs({{"passOption", Value(2)}, {"returnToMainLocked", Value(true)}, {"returnToMainDefault", Value(false)}});
    launch();
    ASSERT_TRUE(tap("Albums"));
    ASSERT_TRUE(tap("Rome"));
    std::size_t inAlbum = depth();
    toBackground();
    EXPECT_EQ(depth(), inAlbum) << "an album opened without the gate stays";
    back();
    ASSERT_TRUE(tap("See All"));
    ASSERT_TRUE(tap("Trips"));
    deliver();
    ASSERT_TRUE(lc::photosState().inLockedAlbum);
    toBackground();
    EXPECT_EQ(depth(), 1u) << "a locked album closes as the app leaves the screen";

    prefs({{"enabled", Value(false)}, {"returnToMainDefault", Value(true)}});
    lc::reloadSettings();
    ASSERT_TRUE(tap("Rome"));
    toBackground();
    EXPECT_GT(depth(), 1u) << "with the tweak off nothing is popped";
}

TEST_F(Navigation, TheAlbumViewAndTheZoomableGridAreRecordedAsTheyShow) {
    launch();
    lc::PhotosState& s = lc::photosState();
    EXPECT_TRUE(s.zoomGridController) << "the Photos tab is the zoomable grid";
    EXPECT_TRUE(s.isZoomController);
    ASSERT_TRUE(tap("Albums"));
    ASSERT_TRUE(tap("Rome"));
    EXPECT_EQ(s.albumViewController.get(), top().get());
    EXPECT_FALSE(s.isZoomController);
    EXPECT_TRUE(rt::send<bool>(top(), "initiallyScrolledToBottom"_sel));
    EXPECT_TRUE(rt::send<bool>(top(), "shouldShowSectionHeaders"_sel));
}

TEST_F(Navigation, APhotoLeavingItsLastAlbumIsShownAgainAndOneInAnotherAlbumStaysHidden) {
    store->setHidden({a.id, b.id}, true);
    launch();
    // Through the album view of Trips, reached by its collection.
    auto trips = photos::PHAssetCollection::fetchAssetCollectionsWithLocalIdentifiers_options(
                     {store->albumsWithTitle("Trips")[0].uuid}, nullptr)
                     .firstObject();
    auto view = rt::sendClass<Ref<rt::Object>>(rt::getClass("PUPhotosAlbumViewController"), "new"_sel);
    rt::send(view, "setAssetCollection:fetchResultContainingAssetCollection:filterPredicate:existingFetchResults:"_sel,
             trips, Ref<rt::Object>(), Ref<rt::Object>(), Ref<rt::Object>());
    rt::send<Ref<rt::Object>>(view, "view"_sel);
    rt::send(view, "setEditing:animated:"_sel, true, false);
    auto cv = rt::send<Ref<rt::Object>>(view, "collectionView"_sel);
    rt::send(view, "collectionView:didSelectItemAtIndexPath:"_sel, cv, fnd::makeIndexPath(0, 0));
    rt::send(view, "collectionView:didSelectItemAtIndexPath:"_sel, cv, fnd::makeIndexPath(1, 0));
    ASSERT_EQ(rt::send<Objects>(view, "selectedAssets"_sel).size(), 2u);
    bool done = false;
    rt::send(view, "_removeSelectedAssetsWithCompletion:"_sel, rt::Block<void(bool)>([&](bool) { done = true; }));
    settle();
    EXPECT_TRUE(done) << "the host's removal ran with its completion";
    EXPECT_EQ(membersOf("Trips"), 0u);
    EXPECT_FALSE(hidden(a.id)) << "left its last album: back in the camera roll";
    EXPECT_TRUE(hidden(b.id)) << "still in Rome";
    EXPECT_TRUE(stranded().empty());
}

TEST_F(Navigation, TheSwitchesOfGridsAndViewer) {
    prefs({{"skipDelete", Value(true)},
           {"showLiveBadge", Value(true)},
           {"increaseZoom", Value(true)},
           {"showTabMoments", Value(false)},
           {"showTabMemories", Value(false)},
           {"showTabShared", Value(false)},
           {"showTabAlbums", Value(true)}});
    launch();
    auto deleter = rt::sendClass<Ref<rt::Object>>(rt::getClass("PUDeletePhotosActionController"), "new"_sel);
    EXPECT_TRUE(rt::send<bool>(deleter, "shouldSkipDeleteConfirmation"_sel));
    auto model = rt::sendClass<Ref<rt::Object>>(rt::getClass("PUAssetViewModel"), "new"_sel);
    EXPECT_TRUE(rt::send<bool>(model, "wantsIrisBadgeVisible"_sel));
    auto settings = rt::sendClass<Ref<rt::Object>>(rt::getClass("PUOneUpSettings"), "sharedInstance"_sel);
    rt::send(settings, "setDefaultMaximumZoomFactor:"_sel, 3.0);
    EXPECT_EQ(rt::send<double>(settings, "defaultMaximumZoomFactor"_sel), 400.0);
    ASSERT_TRUE(openAlbumsTab());
    ASSERT_TRUE(tap("Rome"));
    EXPECT_TRUE(rt::send<bool>(top(), "pu_wantsTabBarVisible"_sel)) << "one tab left";
    // The camera roll's album view shows no section headers.
    auto roll =
        photos::PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
            photos::PHAssetCollectionTypeSmartAlbum, photos::PHAssetCollectionSubtypeSmartAlbumUserLibrary, nullptr)
            .firstObject();
    auto view = rt::sendClass<Ref<rt::Object>>(rt::getClass("PUPhotosAlbumViewController"), "new"_sel);
    rt::send(view, "setAssetCollection:fetchResultContainingAssetCollection:filterPredicate:existingFetchResults:"_sel,
             roll, Ref<rt::Object>(), Ref<rt::Object>(), Ref<rt::Object>());
    EXPECT_FALSE(rt::send<bool>(view, "shouldShowSectionHeaders"_sel));

    prefs({{"enabled", Value(false)}, {"skipDelete", Value(true)}, {"increaseZoom", Value(true)}});
    lc::reloadSettings();
    EXPECT_FALSE(rt::send<bool>(deleter, "shouldSkipDeleteConfirmation"_sel));
    rt::send(settings, "setDefaultMaximumZoomFactor:"_sel, 3.0);
    EXPECT_EQ(rt::send<double>(settings, "defaultMaximumZoomFactor"_sel), 3.0);
}

// A locked album stays open in the Albums tab while the Photos tab is on
// screen; leaving the app closes it all the same.
TEST_F(Navigation, ALockedAlbumOpenInATabNotOnScreenClosesWhenTheAppLeaves) {
    prefs({{"passOption", Value(2)}, {"returnToMainLocked", Value(true)}, {"returnToMainDefault", Value(false)}});
    launch();
    ASSERT_TRUE(tap("Albums"));
    ASSERT_TRUE(tap("See All"));
    ASSERT_TRUE(tap("Trips"));
    deliver();
    ASSERT_EQ(topTitle(), "Trips");
    std::size_t albumsDepth = depth();
    ASSERT_TRUE(tap("Photos"));
    toBackground();
    ASSERT_TRUE(tap("Albums"));
    EXPECT_EQ(depth(), 1u) << "it was " << albumsDepth << " deep with Trips open";

    // Rome, not locked, stays open in a tab that is not on screen.
    ASSERT_TRUE(tap("Rome"));
    ASSERT_TRUE(tap("Photos"));
    toBackground();
    ASSERT_TRUE(tap("Albums"));
    EXPECT_EQ(topTitle(), "Rome");
}
