#include "tweak/photos/LibraryTrim.h"

#include "sim/foundation/Foundation.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/photos/PhotosState.h"

#include <algorithm>
#include <atomic>

namespace lc {

using namespace photos;
using rt::Ref;
using uikit::UIView;
using uikit::UIViewController;

constinit rt::Orig<fnd::Array()> g_excludedContentModes;
constinit rt::Orig<void()> g_tabBarLayout;
constinit rt::Orig<bool()> g_tabBarHidden;
constinit rt::Orig<Objects()> g_tabBarItems;
constinit rt::Orig<Objects()> g_trimCollections;
constinit rt::Orig<std::vector<UIViewController>()> g_gadgets;
constinit rt::Orig<void(bool)> g_albumsPageWillAppear;
constinit rt::Orig<bool(PHCollection)> g_containsAnyAssets;
constinit rt::Orig<bool(PHCollection)> g_canReorderCollection;

namespace {

constexpr long kForYouMode = 11, kSharedMode = 12, kAlbumsMode = 13;
constexpr long kMediaListGadget = 10;                           // gadgetType of Media Types and Other Albums
constexpr long kSharedAlbumsList = 2, kPeopleAndPlacesList = 3; // a provider's albumListType
constexpr int kRefreshFirstDepth = 5, kRefreshLastDepth = 8;    // where the Albums page's tiles sit

// The smart albums the settings may remove, by subtype.
struct SmartSwitch {
    PHAssetCollectionSubtype subtype;
    const std::atomic<bool>* shown;
};
constexpr SmartSwitch kSmartSwitches[] = {
    {201, &showPanoramas}, {202, &showVideos},        {203, &showFavourites},
    {204, &showTimelapse}, {205, &showHidden},        {207, &showBursts},
    {208, &showSlowmo},    {210, &showSelfies},       {211, &showScreenshots},
    {212, &showPortrait},  {213, &showLive},          {214, &showAnimated},
    {215, &showExposure},  {1000000203, &showPlaces}, {1000000207, &showRecordings},
};
bool smartAlbumShown(PHAssetCollectionSubtype subtype) {
    for (const SmartSwitch& s : kSmartSwitches)
        if (s.subtype == subtype) return s.shown->load(std::memory_order_relaxed);
    return true; // not in the table: stays
}

bool isCameraRoll(const PHCollection& c) {
    if (!c || !c.respondsToSelector("assetCollectionSubtype"_sel)) return false;
    PHAssetCollection album = c.as<PHAssetCollection>();
    return album.assetCollectionType() == PHAssetCollectionTypeSmartAlbum &&
           album.assetCollectionSubtype() == PHAssetCollectionSubtypeSmartAlbumUserLibrary;
}

// Whether the album view last given a collection shows the camera roll
// (decided from its collection, not from its title).
bool albumViewShowsCameraRoll() {
    const PUPhotosAlbumViewController& view = photosState().albumViewController;
    return view && isCameraRoll(view.assetCollection());
}

// Whether `list`'s collections leave `c` out, with the settings as they stand.
bool trimmed(const Ref<rt::Object>& object) {
    PHCollection c(object);
    if (!c) return false;
    if (c.respondsToSelector("isTrashBin"_sel) && c.as<PHAssetCollection>().isTrashBin() && !showDeleted) return true;
    if (!c.respondsToSelector("assetCollectionSubtype"_sel)) return false; // a folder stays
    PHAssetCollection album = c.as<PHAssetCollection>();
    PHAssetCollectionType type = album.assetCollectionType();
    if (type == PHAssetCollectionTypeSmartAlbum) {
        reloadLockedAlbums(); // kept current for the tiles that list it next
        return !smartAlbumShown(album.assetCollectionSubtype());
    }
    if (type == PHAssetCollectionTypeAlbum) return hideFoldersInApps && !albumSwitchOn(album.title());
    return false;
}

void removeEqual(Objects& list, const Ref<rt::Object>& object) {
    PHCollection c(object);
    std::erase_if(list, [&](const Ref<rt::Object>& o) { return o == object || c.isEqual(PHCollection(o)); });
}

void layoutBetween(const UIView& view, int depth) {
    for (const UIView& sub : view.subviews()) {
        if (depth >= kRefreshFirstDepth) sub.layoutSubviews();
        if (depth < kRefreshLastDepth) layoutBetween(sub, depth + 1);
    }
}

long listTypeOf(const UIViewController& gadget) {
    rt::NSObject provider = gadget.as<PXGadgetViewController>().provider();
    if (!provider) return 0;
    auto type = rt::trySend<long>(provider.get(), "albumListType"_sel);
    return type.ok() ? type.value() : 0;
}

} // namespace

long momentsContentMode(double coreFoundationVersion) { return coreFoundationVersion > 1620.0 ? 10 : 0; }

fnd::Array excludedTabs() {
    std::vector<long> excluded;
    const std::pair<const std::atomic<bool>*, long> tabs[] = {
        {&showTabMoments, momentsContentMode(fnd::kCFCoreFoundationVersionNumber)},
        {&showTabMemories, kForYouMode},
        {&showTabShared, kSharedMode},
        {&showTabAlbums, kAlbumsMode}};
    for (const auto& [shown, mode] : tabs)
        if (!shown->load(std::memory_order_relaxed)) excluded.push_back(mode);
    if (excluded.size() == std::size(tabs)) excluded.pop_back(); // the Albums tab always stays
    fnd::Array modes;
    modes.reserve(excluded.size());
    for (long mode : excluded)
        modes.emplace_back(static_cast<std::int64_t>(mode));
    return modes;
}

std::vector<UIViewController> keptGadgets(const std::vector<UIViewController>& stock) {
    std::vector<UIViewController> kept;
    bool mediaTypesSeen = false;
    for (const UIViewController& g : stock) {
        if (g && g.respondsToSelector("provider"_sel)) {
            long type = listTypeOf(g);
            if (type == kPeopleAndPlacesList && !showPeopleAnd) continue;
            if (type == kSharedAlbumsList && !showSharedAlbums) continue;
        }
        if (g && g.respondsToSelector("gadgetType"_sel) &&
            g.as<PXGadgetViewController>().gadgetType() == kMediaListGadget) {
            // The first list of smart albums is Media Types; each later one is
            // Other Albums, which its own switch removes whatever Media Types'
            // says.
            bool first = !mediaTypesSeen;
            mediaTypesSeen = true;
            if (first ? !showMediaTypes : !showOtherAlbums) continue;
        }
        kept.push_back(g);
    }
    return kept;
}

// ---- the tabs --------------------------------------------------------------------------------------

fnd::Array tabsExcludedContentModes(rt::Id self, rt::Sel cmd) {
    if (!enabled) return g_excludedContentModes(self, cmd);
    return excludedTabs();
}

namespace {
bool oneItem(rt::Id bar) { return uikit::UITabBar(Ref<rt::Object>(bar)).items().size() == 1; }
} // namespace

void tabBarLayoutSubviews(rt::Id self, rt::Sel cmd) {
    g_tabBarLayout(self, cmd);
    if (oneItem(self)) UIView(Ref<rt::Object>(self)).setHidden(true);
}

bool tabBarHidden(rt::Id self, rt::Sel cmd) { return oneItem(self) || g_tabBarHidden(self, cmd); }

Objects tabBarItems(rt::Id self, rt::Sel cmd) { return g_tabBarItems(self, cmd); }

// ---- the album lists ---------------------------------------------------------------------------------

Objects trimCollections(rt::Id self, rt::Sel cmd) {
    Objects result = g_trimCollections(self, cmd);
    if (PHCollectionList(Ref<rt::Object>(self)).localizedTitle() == kUserCollectionsListTitle &&
        !albumViewShowsCameraRoll()) {
        PHFetchOptions withHidden = PHFetchOptions::new_();
        withHidden.setIncludeHiddenAssets(true);
        PHAssetCollection roll =
            PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
                PHAssetCollectionTypeSmartAlbum, PHAssetCollectionSubtypeSmartAlbumUserLibrary, withHidden)
                .firstObject();
        if (roll) result.insert(result.begin(), roll);
    }
    if (!enabled) return g_trimCollections(self, cmd);
    for (const Ref<rt::Object>& c : g_trimCollections(self, cmd))
        if (trimmed(c)) removeEqual(result, c);
    return result;
}

// ---- the Albums page -----------------------------------------------------------------------------------

std::vector<UIViewController> dataSourceGadgets(rt::Id self, rt::Sel cmd) { return keptGadgets(g_gadgets(self, cmd)); }

void albumsPageWillAppear(rt::Id self, rt::Sel cmd, bool animated) {
    g_albumsPageWillAppear(self, cmd, animated);
    auto collectionView = rt::trySend<Ref<rt::Object>>(self, "collectionView"_sel);
    if (collectionView.ok() && collectionView.value()) layoutBetween(UIView(collectionView.value()), 1);
}

bool containsAnyAssets(rt::Id, rt::Sel, PHCollection) { return true; }

bool canReorderCollection(rt::Id self, rt::Sel cmd, PHCollection collection) {
    if (enabled && reorderStock) return true;
    return g_canReorderCollection(self, cmd, std::move(collection));
}

} // namespace lc
