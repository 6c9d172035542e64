// The trimmed Photos app: the tabs, the one-item tab bar, the album lists
// (the camera roll first and once, the trash, smart albums, switched-off
// albums, albums whose photos are all hidden), the Albums page's sections,
// its tiles laid out again as it appears, and reordering.

#include "tweak/photos/LibraryTrim.h"

#include "sim/apps/photos/Photos.h"
#include "sim/photos/kit/SmartAlbums.h"
#include "tests/tweak/photos/PhotosFixture.h"

using namespace photostest;
using photos::PHAssetCollection;
using photos::PHCollection;
using photos::PHCollectionList;

namespace {

using Titles = std::vector<std::string>;

struct Trim : PhotosWithTweak {
    photos::AssetRecord a, b;
    void SetUp() override {
        PhotosWithTweak::SetUp();
        a = addPhoto(1);
        b = addPhoto(2);
        addAlbum("Trips", {a});
        addAlbum("Rome", {b});
    }
    // A setting changed while the app runs, as the settings pane does it.
    void change(fnd::Dictionary d) {
        prefs(std::move(d));
        lc::reloadSettings();
    }
    // What My Albums lists (the strip and the full list alike).
    Titles myAlbums() {
        Titles out;
        for (const PHCollection& c : photosapp::listedCollections())
            out.push_back(c.localizedTitle());
        return out;
    }
    Titles tabTitles() {
        Titles out;
        for (const auto& c : rt::send<Objects>(tabs(), "viewControllers"_sel))
            out.push_back(rt::send<std::string>(c, "title"_sel));
        return out;
    }
    Ref<rt::Object> tabBar() { return rt::send<Ref<rt::Object>>(tabs(), "tabBar"_sel); }
    bool onScreen(const std::string& text) {
        return ok(ui({{"command", Value("find")}, {"text", Value(text)}}, false));
    }
    // The Albums page again after a change: another tab, then back.
    void revisit(fnd::Dictionary d) {
        change(std::move(d));
        EXPECT_TRUE(tap("Photos"));
        EXPECT_TRUE(tap("Albums"));
    }
    // The Albums page's sections, by the heading each shows, in order.
    std::vector<uikit::UIViewController> gadgets() {
        auto page = top();
        auto source = rt::send<Ref<rt::Object>>(page, "gadgetDataSource"_sel);
        return rt::send<std::vector<uikit::UIViewController>>(source, "gadgets"_sel);
    }
    static std::string heading(const uikit::UIViewController& gadget) {
        for (const uikit::UIView& v : gadget.view().subviews())
            if (v.isKindOfClass(uikit::UILabel::cls())) return uikit::UILabel(v).text();
        return "";
    }
    Titles sections() {
        Titles out;
        for (const auto& g : gadgets())
            out.push_back(heading(g));
        return out;
    }
    // The rows of a list section (Media Types, Other Albums).
    Titles rowsOf(const std::string& section) {
        Titles out;
        for (const auto& g : gadgets())
            if (heading(g) == section)
                for (const uikit::UIView& v : g.view().subviews())
                    if (v.isKindOfClass(rt::getClass("PXNavigationListCell"))) out.push_back(v.accessibilityLabel());
        return out;
    }
    static PHAssetCollection smartAlbum(long subtype) {
        return PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(photos::PHAssetCollectionTypeSmartAlbum,
                                                                                subtype, nullptr)
            .firstObject();
    }
    // The subtypes a collection list of every smart album keeps.
    std::vector<long> keptSmartAlbums() {
        std::vector<PHCollection> all;
        for (const auto& s : photos::smartAlbums())
            all.push_back(smartAlbum(s.subtype));
        std::vector<long> kept;
        for (const PHCollection& c :
             PHCollectionList::transientCollectionListWithCollections_title(all, "Smart").collections())
            kept.push_back(c.as<PHAssetCollection>().assetCollectionSubtype());
        std::sort(kept.begin(), kept.end());
        return kept;
    }
};

} // namespace

TEST(TrimRules, TheMomentsTabsModeFollowsTheSystemVersion) {
    EXPECT_EQ(lc::momentsContentMode(1556.0), 0) << "iOS 12";
    EXPECT_EQ(lc::momentsContentMode(1620.0), 0);
    EXPECT_EQ(lc::momentsContentMode(1665.15), 10) << "iOS 13";
}

TEST_F(Trim, WithEveryTabOffTheAlbumsTabStaysAloneAndItsBarIsHidden) {
    prefs({{"showTabMoments", Value(false)},
           {"showTabMemories", Value(false)},
           {"showTabShared", Value(false)},
           {"showTabAlbums", Value(false)}});
    launch();
    fnd::Array excluded = rt::send<fnd::Array>(tabs(), "excludedContentModes"_sel);
    EXPECT_EQ(excluded, (fnd::Array{Value(0), Value(11), Value(12)}));
    EXPECT_EQ(tabTitles(), (Titles{"Albums"}));
    EXPECT_TRUE(rt::send<bool>(tabBar(), "hidden"_sel));
    EXPECT_TRUE(rt::send<bool>(tabBar(), "isHidden"_sel)) << "the layout pass hid it";
    EXPECT_FALSE(ok(ui({{"command", Value("find")}, {"class", Value("UITabBarButton")}}, false)))
        << "no tab button to see";
    EXPECT_TRUE(onScreen("My Albums")) << "the Albums page is what the app shows";

    // Navigation shows the bar again; its next layout pass hides it.
    ASSERT_TRUE(tap("Trips"));
    rt::send(tabBar(), "layoutSubviews"_sel);
    EXPECT_TRUE(rt::send<bool>(tabBar(), "isHidden"_sel));
}

TEST_F(Trim, TwoTabsLeftKeepTheirBarAndWithTheTweakOffTheTabsAreStock) {
    prefs({{"showTabMoments", Value(false)}, {"showTabShared", Value(false)}});
    launch();
    EXPECT_EQ(tabTitles(), (Titles{"For You", "Albums"}));
    EXPECT_FALSE(rt::send<bool>(tabBar(), "hidden"_sel));
    EXPECT_TRUE(tap("For You"));

    change({{"enabled", Value(false)}, {"showTabMoments", Value(false)}, {"showTabShared", Value(false)}});
    EXPECT_TRUE(rt::send<fnd::Array>(tabs(), "excludedContentModes"_sel).empty()) << "stock";
}

// The camera roll heads My Albums once: inserted by the product unless the
// album view last shown is the camera roll's, and put there by the app
// itself otherwise, and with the product off.
TEST_F(Trim, TheCameraRollHeadsMyAlbumsOnceInEveryState) {
    launch();
    EXPECT_EQ(myAlbums(), (Titles{"Camera Roll", "Trips", "Rome"}));
    ASSERT_TRUE(openList());
    ASSERT_TRUE(tap("Camera Roll"));
    ASSERT_TRUE(lc::photosState().albumViewController);
    EXPECT_EQ(myAlbums(), (Titles{"Camera Roll", "Trips", "Rome"})) << "after the camera roll's album view";
    ASSERT_TRUE(back());
    ASSERT_TRUE(tap("Trips"));
    EXPECT_EQ(myAlbums(), (Titles{"Camera Roll", "Trips", "Rome"})) << "after another album's view";
    change({{"enabled", Value(false)}});
    EXPECT_EQ(myAlbums(), (Titles{"Camera Roll", "Trips", "Rome"})) << "with the product off";
}

TEST_F(Trim, ASwitchedOffAlbumLeavesTheListsOnlyWhileItStaysOutOfApps) {
    addAlbum("Oslo", {});
    lock({"Trips"});
    prefs({{"albumNameRome", Value(false)}, {"albumNameTrips", Value(true)}, {"hideFoldersInApps", Value(true)}});
    launch();
    EXPECT_EQ(myAlbums(), (Titles{"Camera Roll", "Trips", "Oslo"}))
        << "Rome is off; locked Trips stays listed in Photos; Oslo has no switch (and no photo)";
    change({{"albumNameRome", Value(false)}, {"hideFoldersInApps", Value(false)}});
    EXPECT_EQ(myAlbums(), (Titles{"Camera Roll", "Trips", "Rome", "Oslo"}));
    change({{"enabled", Value(false)}, {"albumNameRome", Value(false)}, {"hideFoldersInApps", Value(true)}});
    EXPECT_EQ(myAlbums(), (Titles{"Camera Roll", "Trips", "Rome", "Oslo"}))
        << "with the product off the list is stock, yet no album drops out for having no visible photo";
}

TEST_F(Trim, AnAlbumWhosePhotosAreAllHiddenStaysListed) {
    store->setHidden({a.id}, true);
    launch();
    EXPECT_EQ(myAlbums(), (Titles{"Camera Roll", "Trips", "Rome"}));
    auto manager = photosapp::PXPhotoKitCollectionsDataSourceManager::sharedManager();
    EXPECT_TRUE(manager._containsAnyAssets(smartAlbum(photos::PHAssetCollectionSubtypeSmartAlbumFavorites)))
        << "whatever the collection";
}

TEST_F(Trim, SmartAlbumsLeaveEveryListThatHoldsThemByTheirSwitches) {
    launch();
    std::vector<long> stock;
    for (const auto& s : photos::smartAlbums())
        stock.push_back(s.subtype);
    std::sort(stock.begin(), stock.end());
    std::vector<long> withoutHidden = stock;
    std::erase(withoutHidden, 205L);
    EXPECT_EQ(keptSmartAlbums(), withoutHidden) << "the defaults: Hidden off, everything else on";

    fnd::Dictionary allOff;
    for (const char* key : {"showDeleted", "showFavourites", "showPlaces", "showVideos", "showSelfies", "showPanoramas",
                            "showTimelapse", "showSlowmo", "showBursts", "showScreenshots", "showHidden",
                            "showPortrait", "showAnimated", "showLive", "showExposure", "showRecordings"})
        allOff[key] = Value(false);
    change(allOff);
    EXPECT_EQ(keptSmartAlbums(), (std::vector<long>{209, 1000000205})) << "the camera roll and All Photos stay";

    change({{"showExposure", Value(false)}, {"showRecordings", Value(false)}});
    std::vector<long> kept = keptSmartAlbums();
    EXPECT_EQ(std::count(kept.begin(), kept.end(), 215L), 0);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), 1000000207L), 0);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), 211L), 1);

    allOff["enabled"] = Value(false);
    change(allOff);
    EXPECT_EQ(keptSmartAlbums(), stock) << "with the product off";
}

TEST_F(Trim, TheAlbumsPageListsWhatTheSwitchesKeep) {
    addPhoto(3, photos::kTraitScreenshot);
    launch();
    ASSERT_TRUE(tap("Albums"));
    const Titles all{"My Albums", "Shared Albums", "People & Places", "Media Types", "Other Albums"};
    EXPECT_EQ(sections(), all);
    EXPECT_EQ(rowsOf("Media Types"), (Titles{"Screenshots"})) << "the types the library has";
    EXPECT_EQ(rowsOf("Other Albums"), (Titles{"Recently Deleted"})) << "Hidden is off by default";

    revisit({{"showScreenshots", Value(false)}, {"showDeleted", Value(false)}, {"showHidden", Value(true)}});
    EXPECT_EQ(rowsOf("Media Types"), Titles{});
    EXPECT_EQ(rowsOf("Other Albums"), (Titles{"Hidden"}));

    revisit({{"showPeopleAnd", Value(false)}, {"showSharedAlbums", Value(false)}});
    EXPECT_EQ(sections(), (Titles{"My Albums", "Media Types", "Other Albums"}));

    // Each list by its own switch, whatever the other's (Other Albums off
    // while Media Types stays is this product's choice).
    struct Case {
        bool mediaTypes, otherAlbums;
        Titles shown;
    };
    const Case cases[] = {{false, false, {"My Albums", "Shared Albums", "People & Places"}},
                          {false, true, {"My Albums", "Shared Albums", "People & Places", "Other Albums"}},
                          {true, false, {"My Albums", "Shared Albums", "People & Places", "Media Types"}},
                          {true, true, all}};
    for (const Case& c : cases) {
        revisit({{"showMediaTypes", Value(c.mediaTypes)}, {"showOtherAlbums", Value(c.otherAlbums)}});
        EXPECT_EQ(sections(), c.shown) << c.mediaTypes << c.otherAlbums;
    }

    revisit({{"enabled", Value(false)}, {"showMediaTypes", Value(false)}});
    EXPECT_EQ(sections(), (Titles{"My Albums", "Shared Albums", "People & Places", "Other Albums"}))
        << "the sections follow their switches with the product off too";
}

// A stand-in for the views a gadget nests: each records its depth below the
// page's collection view when it lays out.
namespace {
std::vector<long> g_laidOut;
void probeLayout(rt::Id self, rt::Sel) { g_laidOut.push_back(uikit::UIView(Ref<rt::Object>(self)).tag()); }
} // namespace

TEST_F(Trim, TheAlbumsPageLaysOutWhatLiesFiveToEightLevelsDownEachBeforeItsChildren) {
    launch();
    ASSERT_TRUE(tap("Albums"));
    rt::Class* probe = rt::defineClass("TrimDepthProbe", uikit::UIView::cls());
    rt::addMethod<&probeLayout>(probe, "layoutSubviews"_sel, "v@:");
    auto page = rt::send<Ref<rt::Object>>(top(), "collectionView"_sel);
    uikit::UIView parent(page);
    for (long depth = 1; depth <= 10; ++depth) {
        uikit::UIView v(rt::sendClass<Ref<rt::Object>>(probe, "new"_sel));
        v.setTag(depth);
        parent.addSubview(v);
        parent = v;
    }
    g_laidOut.clear();
    rt::send(top(), "viewWillAppear:"_sel, false);
    std::vector<long> probed;
    for (long d : g_laidOut)
        if (d >= 1 && d <= 10) probed.push_back(d);
    EXPECT_EQ(probed, (std::vector<long>{5, 6, 7, 8}));
}

TEST_F(Trim, StockAlbumsReorderOnlyWhenTheSettingAllowsIt) {
    launch();
    auto manager = photosapp::PXPhotoKitCollectionsDataSourceManager::sharedManager();
    PHCollection roll = smartAlbum(photos::PHAssetCollectionSubtypeSmartAlbumUserLibrary);
    auto canReorder = [&](const PHCollection& c) { return rt::send<bool>(manager, "canReorderCollection:"_sel, c); };
    EXPECT_FALSE(canReorder(roll));
    change({{"reorderStock", Value(true)}});
    EXPECT_TRUE(canReorder(roll));
    change({{"reorderStock", Value(true)}, {"enabled", Value(false)}});
    EXPECT_FALSE(canReorder(roll));
}
