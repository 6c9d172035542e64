// The stock Photos app without any tweak: what each method the product
// hooks does on its own, seen as a person uses the app.

#include "sim/foundation/NSIndexPath.h"
#include "sim/uikit/UIView.h"
#include "tests/sim/apps/PhotosAppFixture.h"

using namespace photostest;

namespace {

rt::Orig<fnd::Array()> g_stockExcluded;
fnd::Array g_excluded;
fnd::Array excludedHook(rt::Id, rt::Sel) { return g_excluded; }
rt::Orig<bool()> g_stockSkip;
bool skipHook(rt::Id, rt::Sel) { return true; }
rt::Orig<void(double)> g_stockZoom;
void zoomHook(rt::Id self, rt::Sel cmd, double) { g_stockZoom(self, cmd, 400.0); }

std::vector<std::string> tabTitles(const Ref<rt::Object>& tabs) {
    std::vector<std::string> out;
    for (const auto& c : rt::send<Objects>(tabs, "viewControllers"_sel))
        out.push_back(rt::send<std::string>(c, "title"_sel));
    return out;
}

// Views exactly `depth` levels below `v`, in tree order.
void atDepth(const Ref<rt::Object>& v, int depth, Objects& out) {
    for (const auto& sub : rt::send<Objects>(v, "subviews"_sel)) {
        if (depth == 1)
            out.push_back(sub);
        else
            atDepth(sub, depth - 1, out);
    }
}

} // namespace

TEST_F(PhotosApp, TheTabsAreTheContentModesTheLibraryDoesNotExclude) {
    ASSERT_TRUE(rt::hookMessage<&excludedHook>(rt::getClass("PUTabbedLibraryViewController"),
                                               "excludedContentModes"_sel, &g_stockExcluded));
    g_excluded = {fnd::Value(11), fnd::Value(12)};
    launch();
    EXPECT_EQ(tabTitles(tabs()), (std::vector<std::string>{"Photos", "Albums"}));
    EXPECT_TRUE(g_stockExcluded(tabs().get(), "excludedContentModes"_sel).empty()) << "stock excludes nothing";
    auto bar = rt::send<Ref<rt::Object>>(tabs(), "tabBar"_sel);
    EXPECT_EQ(rt::send<Objects>(bar, "items"_sel).size(), 2u);
    ASSERT_TRUE(tap("Albums"));
    EXPECT_EQ(rt::className(top().get()), "PUAlbumsGadgetViewController");
}

TEST_F(PhotosApp, AOneItemTabBarIsStillShown) {
    ASSERT_TRUE(rt::hookMessage<&excludedHook>(rt::getClass("PUTabbedLibraryViewController"),
                                               "excludedContentModes"_sel, &g_stockExcluded));
    g_excluded = {fnd::Value(0), fnd::Value(11), fnd::Value(12)};
    launch();
    auto bar = rt::send<Ref<rt::Object>>(tabs(), "tabBar"_sel);
    EXPECT_EQ(rt::send<Objects>(bar, "items"_sel).size(), 1u);
    EXPECT_FALSE(rt::send<bool>(bar, "hidden"_sel));
    EXPECT_FALSE(rt::send<bool>(bar, "isHidden"_sel));
}

TEST_F(PhotosApp, TheAlbumsPageHasItsGadgetsAndTilesSevenLevelsBelowItsCollectionView) {
    auto trip = addPhoto(1);
    addAlbum("Trips", {trip});
    addAlbum("Empty", {});
    launch();
    ASSERT_TRUE(tap("Albums"));
    auto page = top();
    auto cv = rt::send<Ref<rt::Object>>(page, "collectionView"_sel);
    Objects tiles;
    for (int depth = 5; depth <= 8; ++depth) {
        Objects level;
        atDepth(cv, depth, level);
        for (const auto& v : level)
            if (rt::className(v.get()) == "PUAlbumListCellContentView") tiles.push_back(v);
    }
    ASSERT_FALSE(tiles.empty());
    std::vector<std::string> titles;
    for (const auto& t : tiles)
        titles.push_back(rt::send<std::string>(t, "title"_sel));
    EXPECT_NE(std::find(titles.begin(), titles.end(), "Trips"), titles.end());
    EXPECT_EQ(std::find(titles.begin(), titles.end(), "Empty"), titles.end())
        << "an album with no visible photo is left out";

    for (const auto& tile : tiles) {
        if (rt::send<std::string>(tile, "title"_sel) == "Trips") {
            EXPECT_EQ(rt::send<std::string>(tile, "subtitle"_sel), "1") << "the stock subtitle counts visible photos";
        }
    }
}

TEST_F(PhotosApp, GadgetsAnswerTheirProvidersAndTypes) {
    launch();
    ASSERT_TRUE(tap("Albums"));
    auto gadgets = rt::send<Objects>(rt::send<Ref<rt::Object>>(top(), "gadgetDataSource"_sel), "gadgets"_sel);
    std::vector<std::string> kinds;
    for (const auto& gadget : gadgets) {
        std::string kind = std::to_string(rt::send<long>(gadget, "gadgetType"_sel));
        if (rt::respondsTo(gadget.get(), "provider"_sel))
            kind += "/" + std::to_string(
                              rt::send<long>(rt::send<Ref<rt::Object>>(gadget, "provider"_sel), "albumListType"_sel));
        kinds.push_back(kind);
    }
    // A gadget's view is the controller's: the page's rows know their gadget.
    Objects rows;
    atDepth(rt::send<Ref<rt::Object>>(top(), "collectionView"_sel), 3, rows);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rt::send<Ref<rt::Object>>(rows[0], "_viewControllerForAncestor"_sel).get(), gadgets[0].get());
    ASSERT_TRUE(scrollTo("People")) << "People & Places lists People";
    EXPECT_EQ(kinds, (std::vector<std::string>{"1/1", "1/2", "1/3", "10", "10"}));
}

TEST_F(PhotosApp, TappingATileOpensItsAlbumAndEmptySmartAlbumsStayOutOfMediaTypes) {
    auto a = addPhoto(1), b = addPhoto(2, photos::AssetRecord{.traits = photos::kTraitScreenshot});
    addAlbum("Trips", {a, b});
    launch();
    ASSERT_TRUE(tap("Albums"));
    ASSERT_TRUE(scrollTo("Screenshots")) << "Media Types lists the screenshots";
    EXPECT_TRUE(tap("Screenshots"));
    EXPECT_EQ(rt::send<std::string>(top(), "title"_sel), "Screenshots");
    ASSERT_TRUE(tap("\u2039 Albums"));
    EXPECT_FALSE(scrollTo("Selfies")) << "no selfies: no entry";
    EXPECT_TRUE(tap("Recently Deleted")) << "Other Albums lists it even when empty";
    ASSERT_TRUE(tap("\u2039 Albums"));
    rt::send(rt::send<Ref<rt::Object>>(top(), "collectionView"_sel), "setContentOffset:"_sel, gfx::CGPoint{0, 0});
    settle();
    ASSERT_TRUE(tap("Trips"));
    auto grid = top();
    EXPECT_EQ(rt::className(grid.get()), "PUPhotosAlbumViewController");
    EXPECT_EQ(rt::send<std::string>(rt::send<Ref<rt::Object>>(grid, "assetCollection"_sel), "localizedTitle"_sel),
              "Trips");
    EXPECT_TRUE(tap("Photo 2"));
    EXPECT_EQ(rt::className(top().get()), "PUOneUpViewController");
}

TEST_F(PhotosApp, ThePickerAddsTheSelectionToTheTappedAlbumAndCloses) {
    auto a = addPhoto(1), b = addPhoto(2);
    addAlbum("Trips", {a, b});
    addAlbum("Rome", {b});
    launch();
    ASSERT_TRUE(tap("Albums"));
    ASSERT_TRUE(tap("Trips"));
    auto grid = top();
    ASSERT_TRUE(tap("Select"));
    EXPECT_FALSE(rt::send<bool>(grid, "pu_wantsTabBarVisible"_sel)) << "the toolbar replaces the tab bar";
    ASSERT_TRUE(tap("Photo 1"));
    EXPECT_EQ(rt::send<Objects>(grid, "selectedAssets"_sel).size(), 1u);
    ASSERT_TRUE(tap("Add To"));
    auto picker = rt::send<Ref<rt::Object>>(presented(), "topViewController"_sel);
    ASSERT_EQ(rt::className(picker.get()), "PUAlbumListViewController");
    EXPECT_TRUE(rt::send<Ref<rt::Object>>(picker, "_pickerBannerView"_sel));
    ASSERT_TRUE(tap("Rome"));
    EXPECT_EQ(albumCount("Rome"), 2u);
    EXPECT_FALSE(presented()) << "the picker closed";
    EXPECT_TRUE(rt::send<Objects>(grid, "selectedAssets"_sel).empty()) << "and the grid left selection";
    EXPECT_TRUE(rt::send<bool>(grid, "pu_wantsTabBarVisible"_sel));
}

TEST_F(PhotosApp, RemoveFromAlbumRemovesAndKeepsThePhotosInTheLibrary) {
    auto a = addPhoto(1), b = addPhoto(2);
    addAlbum("Trips", {a, b});
    launch();
    ASSERT_TRUE(chooseIn("Trips", "Photo 1"));
    ASSERT_TRUE(tap("Remove from Album"));
    ASSERT_TRUE(press("Remove from Album"));
    EXPECT_EQ(albumCount("Trips"), 1u);
    auto roll =
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsWithOptions:"_sel, Ref<rt::Object>());
    EXPECT_EQ(rt::send<unsigned long>(roll, "count"_sel), 2u);
}

TEST_F(PhotosApp, TheDeleteConfirmationAppearsUnlessSkipped) {
    addPhoto(1);
    addPhoto(2);
    launch();
    auto grid = top(); // the Photos tab
    ASSERT_EQ(rt::className(grid.get()), "PUZoomableGridViewController");
    ASSERT_TRUE(tap("Select"));
    ASSERT_TRUE(tap("Photo 1"));
    ASSERT_TRUE(tap("Delete"));
    ASSERT_TRUE(presented());
    EXPECT_TRUE(uikit::isAlert(presented().get()));
    ASSERT_TRUE(press("Delete Photo"));
    auto visible =
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsWithOptions:"_sel, Ref<rt::Object>());
    EXPECT_EQ(rt::send<unsigned long>(visible, "count"_sel), 1u);

    ASSERT_TRUE(rt::hookMessage<&skipHook>(rt::getClass("PUDeletePhotosActionController"),
                                           "shouldSkipDeleteConfirmation"_sel, &g_stockSkip));
    ASSERT_TRUE(tap("Select"));
    ASSERT_TRUE(tap("Photo 1"));
    ASSERT_TRUE(tap("Delete"));
    EXPECT_FALSE(presented()) << "skipped: no confirmation";
    visible = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsWithOptions:"_sel, Ref<rt::Object>());
    EXPECT_EQ(rt::send<unsigned long>(visible, "count"_sel), 0u);
}

TEST_F(PhotosApp, TheAlbumListDeletesAnAlbumAfterItsConfirmationAndKeepsItsPhotos) {
    auto a = addPhoto(1);
    addAlbum("Trips", {a});
    addAlbum("Rome", {a});
    launch();
    ASSERT_TRUE(tap("Albums"));
    ASSERT_TRUE(tap("See All"));
    auto list = top();
    ASSERT_EQ(rt::className(list.get()), "PUAlbumListViewController");
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(list, "_pickerBannerView"_sel));
    auto roll =
        rt::send<Ref<rt::Object>>(list, "visibleAlbumListCellContentViewAtIndexPath:"_sel, fnd::makeIndexPath(0, 0));
    ASSERT_TRUE(roll);
    EXPECT_EQ(rt::send<std::string>(roll, "title"_sel), "Camera Roll") << "My Albums starts with the camera roll";
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(roll, "_deleteButton"_sel));
    auto first =
        rt::send<Ref<rt::Object>>(list, "visibleAlbumListCellContentViewAtIndexPath:"_sel, fnd::makeIndexPath(1, 0));
    ASSERT_TRUE(first);
    EXPECT_EQ(rt::send<std::string>(first, "title"_sel), "Trips");
    EXPECT_TRUE(rt::send<Ref<rt::Object>>(first, "_deleteButton"_sel)) << "a user's album can be deleted";
    ASSERT_TRUE(tap("Edit"));
    ASSERT_TRUE(tap("Delete Trips"));
    ASSERT_TRUE(press("Delete Album"));
    EXPECT_EQ(albumCount("Trips"), 0u);
    EXPECT_EQ(albumCount("Rome"), 1u);
    auto now =
        rt::send<Ref<rt::Object>>(list, "visibleAlbumListCellContentViewAtIndexPath:"_sel, fnd::makeIndexPath(1, 0));
    EXPECT_EQ(rt::send<std::string>(now, "title"_sel), "Rome");
}

TEST_F(PhotosApp, TheViewerShowsTheLiveBadgeAndZoomsAsTheSettingsSay) {
    addPhoto(1, photos::AssetRecord{.traits = photos::kTraitLivePhoto});
    addPhoto(2);
    ASSERT_TRUE(
        rt::hookMessage<&zoomHook>(rt::getClass("PUOneUpSettings"), "setDefaultMaximumZoomFactor:"_sel, &g_stockZoom));
    launch();
    ASSERT_TRUE(tap("Photo 1"));
    auto viewer = top();
    EXPECT_TRUE(rt::send<bool>(rt::send<Ref<rt::Object>>(viewer, "assetViewModel"_sel), "wantsIrisBadgeVisible"_sel));
    EXPECT_TRUE(tap("Live Photo badge"));
    EXPECT_EQ(rt::send<double>(viewer, "maximumZoomScale"_sel), 400.0);
    ASSERT_TRUE(tap("\u2039 Photos"));
    ASSERT_TRUE(tap("Photo 2"));
    EXPECT_FALSE(rt::send<bool>(rt::send<Ref<rt::Object>>(top(), "assetViewModel"_sel), "wantsIrisBadgeVisible"_sel));
}

namespace {
int g_drags = 0, g_listLayouts = 0, g_buttonLayouts = 0;
rt::Orig<void(Ref<rt::Object>)> g_stockDrag;
void dragHook(rt::Id self, rt::Sel cmd, Ref<rt::Object> sv) {
    ++g_drags;
    g_stockDrag(self, cmd, sv);
}
rt::Orig<void()> g_stockListLayout, g_stockButtonLayout;
void listLayoutHook(rt::Id self, rt::Sel cmd) {
    ++g_listLayouts;
    g_stockListLayout(self, cmd);
}
void buttonLayoutHook(rt::Id self, rt::Sel cmd) {
    ++g_buttonLayouts;
    g_stockButtonLayout(self, cmd);
}
} // namespace

TEST_F(PhotosApp, TheListHearsDragsAndLayoutsAndGridsOpenAsTheirCollectionSays) {
    std::vector<photos::AssetRecord> many;
    for (int i = 1; i <= 40; ++i)
        many.push_back(addPhoto(i));
    for (int i = 0; i < 8; ++i)
        addAlbum("Album " + std::to_string(i), {many[static_cast<std::size_t>(i)]});
    ASSERT_TRUE(rt::hookMessage<&dragHook>(rt::getClass("PUAlbumListViewController"),
                                           "scrollViewWillBeginDragging:"_sel, &g_stockDrag));
    ASSERT_TRUE(rt::hookMessage<&listLayoutHook>(rt::getClass("PUAlbumListViewController"), "viewDidLayoutSubviews"_sel,
                                                 &g_stockListLayout));
    ASSERT_TRUE(
        rt::hookMessage<&buttonLayoutHook>(rt::getClass("PXUIButton"), "layoutSubviews"_sel, &g_stockButtonLayout));
    launch();
    // The camera roll's grid opens at its end, with its day header.
    auto grid = top();
    EXPECT_TRUE(rt::send<bool>(grid, "initiallyScrolledToBottom"_sel));
    EXPECT_TRUE(rt::send<bool>(grid, "shouldShowSectionHeaders"_sel));
    EXPECT_GT(rt::send<gfx::CGPoint>(rt::send<Ref<rt::Object>>(grid, "collectionView"_sel), "contentOffset"_sel).y, 0);

    ASSERT_TRUE(tap("Albums"));
    ASSERT_TRUE(tap("See All"));
    EXPECT_GT(g_listLayouts, 0) << "the list hears of its view's layout";
    EXPECT_GT(g_buttonLayouts, 0) << "each user album's tile has its delete button";
    ui({{"command", fnd::Value("drag")},
        {"x", fnd::Value(200.0)},
        {"y", fnd::Value(500.0)},
        {"toX", fnd::Value(200.0)},
        {"toY", fnd::Value(200.0)}});
    EXPECT_EQ(g_drags, 1);
    ASSERT_TRUE(scrollTo("Album 7"));
    ASSERT_TRUE(tap("Album 7"));
    auto album = top();
    EXPECT_FALSE(rt::send<bool>(album, "initiallyScrolledToBottom"_sel)) << "an album opens at its start";

    auto manager =
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PXPhotoKitCollectionsDataSourceManager"), "sharedManager"_sel);
    auto collection = rt::send<Ref<rt::Object>>(album, "assetCollection"_sel);
    EXPECT_TRUE(rt::send<bool>(manager, "canReorderCollection:"_sel, collection)) << "a user's album can be moved";
    auto roll = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                               "fetchAssetCollectionsWithType:subtype:options:"_sel, 2L, 209L,
                                               Ref<rt::Object>());
    EXPECT_FALSE(
        rt::send<bool>(manager, "canReorderCollection:"_sel, rt::send<Ref<rt::Object>>(roll, "firstObject"_sel)));
}

TEST_F(PhotosApp, GoingToTheBackgroundKeepsTheStackAndTheSelectedTabPopsToItsRoot) {
    addAlbum("Trips", {addPhoto(1)});
    launch();
    ASSERT_TRUE(tap("Albums"));
    ASSERT_TRUE(tap("Trips"));
    rt::send(app, "applicationDidEnterBackground:"_sel, app);
    settle();
    EXPECT_EQ(rt::className(top().get()), "PUPhotosAlbumViewController") << "stock: the album stays open";
    auto nav = rt::send<Ref<rt::Object>>(tabs(), "selectedNavigationController"_sel);
    EXPECT_EQ(rt::className(nav.get()), "PUNavigationController");
    EXPECT_TRUE(rt::send<Ref<rt::Object>>(nav, "navigationBar"_sel));
    rt::send<Objects>(nav, "popToRootViewControllerAnimated:"_sel, true);
    settle();
    EXPECT_EQ(rt::className(top().get()), "PUAlbumsGadgetViewController");
}

TEST_F(PhotosApp, AFolderOpensOnItsAlbumsAlsoInThePicker) {
    auto a = addPhoto(1), b = addPhoto(2);
    addAlbum("Trips", {a});
    auto travel = store->createFolder("Travel");
    auto rome = store->createAlbum("Rome", travel->id);
    store->addMembers(rome->id, {b.id});
    launch();
    ASSERT_TRUE(tap("Albums"));
    ASSERT_TRUE(tap("Travel"));
    EXPECT_EQ(rt::send<std::string>(top(), "title"_sel), "Travel");
    ASSERT_TRUE(tap("Rome"));
    EXPECT_EQ(rt::send<std::string>(top(), "title"_sel), "Rome");
    ASSERT_TRUE(tap("\u2039 Travel"));
    ASSERT_TRUE(tap("\u2039 Albums"));
    ASSERT_TRUE(tap("Photos")); // back to the first tab, so that chooseIn starts as a person would
    ASSERT_TRUE(chooseIn("Trips", "Photo 1"));
    ASSERT_TRUE(tap("Add To"));
    ASSERT_TRUE(tap("Travel"));
    ASSERT_TRUE(tap("Rome"));
    EXPECT_EQ(albumCount("Rome"), 2u);
    EXPECT_FALSE(presented()) << "the picker closed from inside the folder";
}
