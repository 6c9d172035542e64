#include "tweak/Tweak.h"

#include "sim/dispatch/Queue.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/SystemLog.h"
#include "sim/graphics/Geometry.h"
#include "sim/ipc/Notify.h"
#include "sim/runtime/Runtime.h"
#include "tweak/camera/AlbumPicker.h"
#include "tweak/camera/CaptureHandOff.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/filter/FilterInputs.h"
#include "tweak/filter/QueryFilter.h"
#include "tweak/photos/AlbumGadget.h"
#include "tweak/photos/AlbumList.h"
#include "tweak/photos/Authenticate.h"
#include "tweak/photos/LibraryTrim.h"
#include "tweak/photos/ListSwitches.h"
#include "tweak/photos/LockGate.h"
#include "tweak/photos/Navigation.h"
#include "tweak/photos/TileActions.h"
#include "tweak/photos/TileLayout.h"
#include "tweak/springboard/AuthBroker.h"
#include "tweak/springboard/MessageServer.h"

namespace lc {

using namespace rt::literals;

namespace {

// ---- springboard: the message server starts after SpringBoard's own launch ------------------
constinit rt::Orig<void(rt::Ref<rt::Object>)> g_springboardLaunch;
void springboardDidFinishLaunching(rt::Id self, rt::Sel cmd, rt::Ref<rt::Object> application) {
    g_springboardLaunch(self, cmd, application);
    startMessageServer(rt::Ref<rt::Object>(self));
}

// LCLockView: a plain view with one strong property, photoView.
const char kPhotoViewKey = 0;
rt::Ref<rt::Object> lockViewInit(rt::Id self, rt::Sel cmd, gfx::CGRect frame) {
    return rt::sendSuper<rt::Ref<rt::Object>>(rt::getClass("LCLockView"), self, cmd, frame);
}
void lockViewLayout(rt::Id self, rt::Sel cmd) { rt::sendSuper(rt::getClass("LCLockView"), self, cmd); }
rt::Ref<rt::Object> photoView(rt::Id self, rt::Sel) { return self->associated(&kPhotoViewKey); }
void setPhotoView(rt::Id self, rt::Sel, rt::Ref<rt::Object> v) { self->setAssociated(&kPhotoViewKey, std::move(v)); }

void defineLockView() {
    rt::Class* view = rt::getClass("UIView");
    if (!view || rt::getClass("LCLockView")) return;
    rt::Class* c = rt::defineClass("LCLockView", view);
    rt::addMethod<&lockViewInit>(c, "initWithFrame:"_sel);
    rt::addMethod<&lockViewLayout>(c, "layoutSubviews"_sel);
    rt::addMethod<&photoView>(c, "photoView"_sel);
    rt::addMethod<&setPhotoView>(c, "setPhotoView:"_sel);
}

} // namespace

// The hook table: one line per hook.
// clang-format off
const std::vector<HookRow>& hookTable() {
    static const std::vector<HookRow> table{
        replace<&captureDidFinish>              ("camera",      "CAMCaptureEngine", "captureOutput:didFinishCaptureForResolvedSettings:error:", g_captureDidFinish),
        add<&movePhoto>                         ("camera",      "CAMCaptureEngine", "movePhoto",                       "v@:"),
        replace<&bottomBarLayoutSubviews>       ("camera",      "CAMBottomBar",     "layoutSubviews",                  g_bottomBarLayout),
        add<&chooseAlbum>                       ("camera",      "CAMBottomBar",     "chooseAlbum",                     "v@:"),
        add<&createNewAlbum>                    ("camera",      "CAMBottomBar",     "createNewAlbum",                  "v@:"),
        replace<&wellThumbnailImage>            ("camera",      "CAMImageWell",     "thumbnailImage",                  g_wellThumbnailImage),
        replace<&photosDidEnterBackground>      ("photos",      "PhotosApplication", "applicationDidEnterBackground:", g_photosEnterBackground),
        add<&returnToMainView>                  ("photos",      "PhotosApplication", "returnToMainView",               "v@:"),
        replace<&gadgetViewWillAppear>          ("photos",      "PUHorizontalAlbumListGadget", "viewWillAppear:",      g_gadgetWillAppear),
        replace<&gadgetCellForItem>             ("photos",      "PUHorizontalAlbumListGadget", "collectionView:cellForItemAtIndexPath:", g_gadgetCell),
        replace<&gadgetDidSelectItem>           ("photos",      "PUHorizontalAlbumListGadget", "collectionView:didSelectItemAtIndexPath:", g_gadgetSelect),
        add<&handleLongPress>                   ("photos",      "PUHorizontalAlbumListGadget", "handleLongPress:",     "v@:@"),
        add<&unlockAlbumWithAlbum<GateHost::Gadget>>("photos",  "PUHorizontalAlbumListGadget", "unlockAlbum:withAlbum:", "v@:i@"),
        add<&requestPassword<GateHost::Gadget>> ("photos",      "PUHorizontalAlbumListGadget", "requestPassword:",     "v@:i"),
        add<&unlockAuthorised<GateHost::Gadget>>("photos",      "PUHorizontalAlbumListGadget", "unlockAuthorised:",    "v@:i"),
        replace<&showPeopleSwitch<&g_gadgetShowPeople>>("photos", "PUHorizontalAlbumListGadget", "showPeople",        g_gadgetShowPeople),
        replace<&showPlacesSwitch<&g_gadgetShowPlaces>>("photos", "PUHorizontalAlbumListGadget", "showPlaces",        g_gadgetShowPlaces),
        replace<&titleSwitch<&g_gadgetTitle>>   ("photos",      "PUHorizontalAlbumListGadget", "titleForCollection:",  g_gadgetTitle),
        replace<&subtitleSwitch<&g_gadgetSubtitle>>("photos",   "PUHorizontalAlbumListGadget", "subtitleForCollection:", g_gadgetSubtitle),
        replace<&listViewWillAppear>            ("photos",      "PUAlbumListViewController", "viewWillAppear:",        g_listWillAppear),
        replace<&listViewDidLayoutSubviews>     ("photos",      "PUAlbumListViewController", "viewDidLayoutSubviews",  g_listDidLayout),
        replace<&listScrollViewWillBeginDragging>("photos",     "PUAlbumListViewController", "scrollViewWillBeginDragging:", g_listWillDrag),
        replace<&listCellForItem>               ("photos",      "PUAlbumListViewController", "collectionView:cellForItemAtIndexPath:", g_listCell),
        replace<&listDidSelectItem>             ("photos",      "PUAlbumListViewController", "didSelectItemAtIndexPath:", g_listSelect),
        add<&unlockAlbumWithAlbum<GateHost::List>>("photos",    "PUAlbumListViewController", "unlockAlbum:withAlbum:", "v@:i@"),
        add<&handleCameraTap>                   ("photos",      "PUAlbumListViewController", "handleCameraTap:",       "v@:@"),
        add<&returnSelectedPhotos>              ("photos",      "PUAlbumListViewController", "returnSelectedPhotos:",  "v@:B"),
        add<&requestPassword<GateHost::List>>   ("photos",      "PUAlbumListViewController", "requestPassword:",       "v@:i"),
        add<&unlockAuthorised<GateHost::List>>  ("photos",      "PUAlbumListViewController", "unlockAuthorised:",      "v@:i"),
        add<&reloadCameraRollWithMove>          ("photos",      "PUAlbumListViewController", "reloadCameraRollWithMove:", "v@:B"),
        replace<&showPeopleSwitch<&g_listShowPeople>>("photos", "PUAlbumListViewController", "showPeople",            g_listShowPeople),
        replace<&showPlacesSwitch<&g_listShowPlaces>>("photos", "PUAlbumListViewController", "showPlaces",            g_listShowPlaces),
        replace<&listPerformDeleteAction>       ("photos",      "PUAlbumListViewController", "albumListCellContentView:performDeleteAction:", g_listDelete),
        replace<&listSetEditing>                ("photos",      "PUAlbumListViewController", "setEditing:animated:",   g_listSetEditing),
        replace<&titleSwitch<&g_listTitle>>     ("photos",      "PUAlbumListViewController", "titleForCollection:",    g_listTitle),
        replace<&subtitleSwitch<&g_listSubtitle>>("photos",     "PUAlbumListViewController", "subtitleForCollection:", g_listSubtitle),
        replace<&listAlwaysHideTabBar>          ("photos",      "PUAlbumListViewController", "alwaysHideTabBar",       g_listHideTabBar),
        replace<&listWantsTabBarVisible>        ("photos",      "PUAlbumListViewController", "pu_wantsTabBarVisible",  g_listWantsTabBar),
        replace<&shouldSkipDeleteConfirmation>  ("photos",      "PUDeletePhotosActionController", "shouldSkipDeleteConfirmation", g_skipDeleteConfirmation),
        replace<&navigationBar>                 ("photos",      "PUNavigationController", "navigationBar",             g_navigationBar),
        replace<&tileLayoutSubviews>            ("photos",      "PUAlbumListCellContentView", "layoutSubviews",        g_tileLayout),
        replace<&tileSetEditing>                ("photos",      "PUAlbumListCellContentView", "setEditing:animated:",  g_tileSetEditing),
        add<&createButtons>                     ("photos",      "PUAlbumListCellContentView", "createButtons",         "v@:"),
        add<&askToMoveAlbum>                    ("photos",      "PUAlbumListCellContentView", "askToMoveAlbum",        "v@:"),
        add<&moveAlbum>                         ("photos",      "PUAlbumListCellContentView", "moveAlbum",             "v@:"),
        add<&lockAlbum>                         ("photos",      "PUAlbumListCellContentView", "lockAlbum",             "v@:"),
        add<&unlockAlbumWithAlbum<GateHost::Tile>>("photos",    "PUAlbumListCellContentView", "unlockAlbum:withAlbum:", "v@:i@"),
        add<&requestPassword<GateHost::Tile>>   ("photos",      "PUAlbumListCellContentView", "requestPassword:",      "v@:i"),
        add<&unlockAuthorised<GateHost::Tile>>  ("photos",      "PUAlbumListCellContentView", "unlockAuthorised:",     "v@:i"),
        replace<&buttonLayoutSubviews>          ("photos",      "PXUIButton",       "layoutSubviews",                  g_buttonLayout),
        replace<&albumShouldShowSectionHeaders> ("photos",      "PUPhotosAlbumViewController", "shouldShowSectionHeaders", g_albumSectionHeaders),
        replace<&albumSetAssetCollection>       ("photos",      "PUPhotosAlbumViewController", "setAssetCollection:fetchResultContainingAssetCollection:filterPredicate:existingFetchResults:", g_albumSetCollection),
        replace<&albumInitiallyScrolledToBottom>("photos",      "PUPhotosAlbumViewController", "initiallyScrolledToBottom", g_albumScrolledToBottom),
        replace<&albumRemoveSelectedAssets>     ("photos",      "PUPhotosAlbumViewController", "_removeSelectedAssetsWithCompletion:", g_albumRemoveSelected),
        replace<&albumWantsTabBarVisible>       ("photos",      "PUPhotosAlbumViewController", "pu_wantsTabBarVisible", g_albumWantsTabBar),
        replace<&zoomGridWillAppear>            ("photos",      "PUZoomableGridViewController", "viewWillAppear:",     g_zoomGridWillAppear),
        replace<&wantsIrisBadgeVisible>         ("photos",      "PUAssetViewModel", "wantsIrisBadgeVisible",           g_irisBadge),
        replace<&setDefaultMaximumZoomFactor>   ("photos",      "PUOneUpSettings",  "setDefaultMaximumZoomFactor:",    g_setMaximumZoom),
        replace<&tabsExcludedContentModes>      ("photos",      "PUTabbedLibraryViewController", "excludedContentModes", g_excludedContentModes),
        replace<&tabBarLayoutSubviews>          ("photos",      "UITabBar",         "layoutSubviews",                  g_tabBarLayout),
        replace<&tabBarHidden>                  ("photos",      "UITabBar",         "hidden",                          g_tabBarHidden),
        replace<&tabBarItems>                   ("photos",      "UITabBar",         "items",                           g_tabBarItems),
        replace<&albumsPageWillAppear>          ("photos",      "PUAlbumsGadgetViewController", "viewWillAppear:",     g_albumsPageWillAppear),
        // Beneath the privacy filter's: the "other" group is installed after this one and wraps it.
        replace<&trimCollections>               ("photos",      "PHCollectionList", "collections",                     g_trimCollections),
        replace<&dataSourceGadgets>             ("photos",      "PXGadgetDataSource", "gadgets",                       g_gadgets),
        replace<&containsAnyAssets>             ("photos",      "PXPhotoKitCollectionsDataSourceManager", "_containsAnyAssets:", g_containsAnyAssets),
        replace<&canReorderCollection>          ("photos",      "PXPhotoKitCollectionsDataSourceManager", "canReorderCollection:", g_canReorderCollection),
        replace<&springboardDidFinishLaunching> ("springboard", "SpringBoard",      "applicationDidFinishLaunching:",  g_springboardLaunch),
        add<&handleMessageNamedWithUserInfo>    ("springboard", "SpringBoard",      "handleMessageNamed:withUserInfo:", "v@:@@"),
        add<&authenticateWithUserInfo>          ("springboard", "SpringBoard",      "authenticate:withUserInfo:",      "v@:@@"),
        replace<&listCollections>               ("other",       "PHCollectionList", "collections",                     g_listCollections),
        replace<&resultFetchedObjects>          ("other",       "PHFetchResult",    "fetchedObjects",                  g_resultFetchedObjects),
        replace<&resultFetchedObjectIDsSet>     ("other",       "PHFetchResult",    "fetchedObjectIDsSet",             g_resultFetchedObjectIDsSet),
        replaceClass<&fetchAssetsInCollection>  ("other",       "PHAsset",          "fetchAssetsInAssetCollection:options:", g_fetchAssetsInCollection),
        replaceClass<&fetchKeyAssetsInCollection>("other",      "PHAsset",          "fetchKeyAssetsInAssetCollection:options:", g_fetchKeyAssetsInCollection),
        replaceClass<&fetchCollectionsWithType> ("other",       "PHAssetCollection", "fetchAssetCollectionsWithType:subtype:options:", g_fetchCollectionsWithType),
        replace<&collectionEstimatedAssetCount> ("other",       "PHAssetCollection", "estimatedAssetCount",             g_estimatedAssetCount),
        replaceClass<&fetchAssetsWithOptions>   ("other",       "PHAsset",          "fetchAssetsWithOptions:",         g_fetchAssetsWithOptions),
        replaceClass<&fetchAssetsWithMediaType> ("other",       "PHAsset",          "fetchAssetsWithMediaType:options:", g_fetchAssetsWithMediaType),
        replaceClass<&fetchAssetsWithLocalIdentifiers>("other", "PHAsset",          "fetchAssetsWithLocalIdentifiers:options:", g_fetchAssetsWithLocalIdentifiers),
        // The other readings of an album fetch, filtered in third-party apps like fetchedObjects.
        replace<&resultCount>                   ("other",       "PHFetchResult",    "count",                           g_resultCount),
        replace<&resultObjectAtIndex>           ("other",       "PHFetchResult",    "objectAtIndex:",                  g_resultObjectAtIndex),
        replace<&resultFirstObject>             ("other",       "PHFetchResult",    "firstObject",                     g_resultFirstObject),
        replace<&resultLastObject>              ("other",       "PHFetchResult",    "lastObject",                      g_resultLastObject),
        replace<&resultEnumerate>               ("other",       "PHFetchResult",    "enumerateObjectsUsingBlock:",     g_resultEnumerate),
        replace<&resultContainsObject>          ("other",       "PHFetchResult",    "containsObject:",                 g_resultContainsObject),
        replace<&resultIndexOfObject>           ("other",       "PHFetchResult",    "indexOfObject:",                  g_resultIndexOfObject),
    };
    return table;
}
// clang-format on

std::string describeRow(const HookRow& row) {
    const char* kind = row.kind == HookKind::Add ? "A" : row.kind == HookKind::ReplaceClass ? "C" : "R";
    const char* sign = row.kind == HookKind::ReplaceClass ? "+[" : "-[";
    return std::string(row.group) + " " + kind + " " + sign + row.className + " " + row.selector + "]";
}

namespace {

// A row whose implementation cannot stand in for the host's method (or does
// not have its own encoding) is a programming error of the table: fatal.
void checkRow(const HookRow& row, rt::Class* cls, rt::Sel sel) {
    const rt::Signature* mine = row.signature();
    if (row.kind == HookKind::Add) {
        if (mine->reduced != row.types)
            rt::fatal("lumicrate12: hook row " + describeRow(row) + ": the encoding \"" + row.types +
                      "\" is not the implementation's \"" + mine->reduced + "\" (" + mine->full + ")");
        return;
    }
    const rt::Signature* host = rt::methodSignature(cls, sel);
    if (host && host != mine)
        rt::fatal("lumicrate12: hook row " + describeRow(row) + ": the replacement is " + mine->full +
                  " but the method is " + host->full);
}

bool installRow(const HookRow& row, rt::Class* cls) {
    rt::Sel sel = rt::sel(row.selector);
    checkRow(row, cls, sel);
    if (row.kind == HookKind::Add) return rt::addMethodErased(cls, sel, row.implementation, row.signature());
    return rt::hookMessageErased(cls, sel, row.implementation, row.signature(), row.previous);
}

} // namespace

int installRows(const std::vector<HookRow>& rows, const std::string& group) {
    int installed = 0;
    for (const HookRow& row : rows) {
        if (group != row.group) continue;
        rt::Class* cls = rt::getClass(row.className);
        if (!cls) continue; // a host class this process lacks: skipped silently
        if (row.kind == HookKind::ReplaceClass) cls = rt::objectGetClass(cls);
        if (installRow(row, cls)) ++installed;
    }
    return installed;
}

int installGroup(const std::string& group) { return installRows(hookTable(), group); }

void startUp() {
    defineLockView();
    reloadSettings();
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, &reloadPrefs,
                                    kReloadNotification, nullptr, CFNotificationSuspensionBehaviorDeliverImmediately);
    const auto& bundle = fnd::mainBundleIdentifier();
    std::string id = bundle ? *bundle : std::string();
    if (id == "com.apple.camera") {
        // An absent, unreadable or empty album.tct starts with the camera roll.
        std::optional<std::string> remembered = readAlbumTct();
        chosenAlbum = remembered && rememberDefault ? *remembered : std::string(kCameraRoll);
        if (enabled) installGroup("camera");
    } else if (id == kPhotosBundle) {
        if (enabled) {
            installGroup("photos");
            // A deletion an earlier run left pending, at the first turn of the main loop.
            dsp::mainQueue().async([] { resumePendingDelete(); });
        }
        // The gate's answers are heard even with the tweak off.
        CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, &LCAuthenticate,
                                        kAuthenticateNotification, nullptr, CFNotificationSuspensionBehaviorCoalesce);
    } else if (id == "com.apple.springboard") {
        if (!fnd::isDirectory(kStateFolder)) fnd::createDirectory(kStateFolder, true); // errors ignored
        if (enabled) installGroup("springboard");
    }
    filter::setProcess(id);
    if (id != "com.apple.store.Jolly" && enabled) installGroup("other");
}

} // namespace lc
