#include "tweak/photos/Navigation.h"

#include "sim/foundation/SystemLog.h"
#include "tweak/core/Diagnostics.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/photos/PhotoMoves.h"
#include "tweak/photos/PhotosState.h"

#include <cstdio>

namespace lc {

using namespace photos;

constinit rt::Orig<void(rt::Ref<rt::Object>)> g_photosEnterBackground;
constinit rt::Orig<bool()> g_skipDeleteConfirmation;
constinit rt::Orig<rt::Ref<rt::Object>()> g_navigationBar;
constinit rt::Orig<bool()> g_albumSectionHeaders;
constinit rt::Orig<void(PHCollection, rt::Ref<rt::Object>, rt::Ref<rt::Object>, rt::Ref<rt::Object>)>
    g_albumSetCollection;
constinit rt::Orig<bool()> g_albumScrolledToBottom;
constinit rt::Orig<void(rt::Block<void(bool)>)> g_albumRemoveSelected;
constinit rt::Orig<bool()> g_albumWantsTabBar;
constinit rt::Orig<void(bool)> g_zoomGridWillAppear;
constinit rt::Orig<bool()> g_irisBadge;
constinit rt::Orig<void(double)> g_setMaximumZoom;

namespace {
constexpr double kMaximumZoom = 400.0;
constexpr int kRemoveLogLine = 2200; // where the removal's diagnostic line is written
} // namespace

bool exactlyOneTabShown() {
    int on = showTabMoments + showTabMemories + showTabShared + showTabAlbums;
    return on == 1;
}

// ---- back to the album list ---------------------------------------------------------------------

void photosDidEnterBackground(rt::Id self, rt::Sel cmd, rt::Ref<rt::Object> application) {
    if (enabled) PhotosApplication(rt::Ref<rt::Object>(self)).returnToMainView();
    g_photosEnterBackground(self, cmd, std::move(application));
}

namespace {

// Whether the stack shows a locked album anywhere in it.
bool holdsLockedAlbum(const uikit::UINavigationController& nav) {
    for (const uikit::UIViewController& c : nav.viewControllers()) {
        if (!c.isKindOfClass(PUPhotosGridViewController::cls())) continue;
        if (isLocked(libraryTitle(PUPhotosGridViewController(c).assetCollection()))) return true;
    }
    return false;
}

// Every tab that shows a locked album goes back to its root, whichever tab
// is selected, and a sheet presented over the library closes with it (it
// may show the album's photos, as the picker does).
void closeLockedAlbums(const PUTabbedLibraryViewController& tabs) {
    reloadLockedAlbums();
    bool closed = false;
    for (const uikit::UIViewController& tab : tabs.viewControllers()) {
        uikit::UINavigationController nav(tab);
        if (!nav || !nav.isKindOfClass(uikit::UINavigationController::cls()) || !holdsLockedAlbum(nav)) continue;
        nav.popToRootViewControllerAnimated(false);
        closed = true;
    }
    if (uikit::UIViewController sheet = tabs.presentedViewController();
        sheet && (closed || photosState().inLockedAlbum))
        tabs.dismissViewControllerAnimated_completion(false);
}

} // namespace

void returnToMainView(rt::Id self, rt::Sel) {
    if (!returnToMainDefault && !returnToMainLocked) return;
    PhotosApplication app{rt::Ref<rt::Object>(self)};
    PUTabbedLibraryViewController tabs = app._tabbedLibraryViewController();
    if (!tabs) return;
    // A locked album is closed wherever it is open, not only in the tab on
    // screen: the app's other tabs keep their stacks while it is away.
    if (returnToMainLocked) closeLockedAlbums(tabs);
    if (returnToMainDefault)
        if (uikit::UINavigationController nav = tabs.selectedNavigationController())
            nav.popToRootViewControllerAnimated(true);
}

// ---- switches ------------------------------------------------------------------------------------

bool shouldSkipDeleteConfirmation(rt::Id self, rt::Sel cmd) {
    if (skipDelete && enabled) return true;
    return g_skipDeleteConfirmation(self, cmd);
}

rt::Ref<rt::Object> navigationBar(rt::Id self, rt::Sel cmd) { return g_navigationBar(self, cmd); }

bool albumShouldShowSectionHeaders(rt::Id self, rt::Sel cmd) {
    PHAssetCollection shown = PUPhotosAlbumViewController(rt::Ref<rt::Object>(self)).assetCollection();
    if (isCameraRoll(shown)) return false;
    return g_albumSectionHeaders(self, cmd);
}

bool albumInitiallyScrolledToBottom(rt::Id, rt::Sel) { return true; }

bool albumWantsTabBarVisible(rt::Id self, rt::Sel cmd) {
    if (enabled && exactlyOneTabShown()) return true;
    return g_albumWantsTabBar(self, cmd);
}

bool wantsIrisBadgeVisible(rt::Id self, rt::Sel cmd) {
    if (enabled && showLiveBadge) return true;
    return g_irisBadge(self, cmd);
}

void setDefaultMaximumZoomFactor(rt::Id self, rt::Sel cmd, double factor) {
    g_setMaximumZoom(self, cmd, enabled && increaseZoom ? kMaximumZoom : factor);
}

// ---- what the album views show -------------------------------------------------------------------

void albumSetAssetCollection(rt::Id self, rt::Sel cmd, PHCollection collection, rt::Ref<rt::Object> fetchResult,
                             rt::Ref<rt::Object> filter, rt::Ref<rt::Object> existing) {
    PhotosState& s = photosState();
    s.albumViewController = rt::Ref<rt::Object>(self);
    s.isZoomController = false;
    g_albumSetCollection(self, cmd, std::move(collection), std::move(fetchResult), std::move(filter),
                         std::move(existing));
}

void zoomGridWillAppear(rt::Id self, rt::Sel cmd, bool animated) {
    g_zoomGridWillAppear(self, cmd, animated);
    PhotosState& s = photosState();
    s.zoomGridController = rt::Ref<rt::Object>(self);
    s.isZoomController = true;
}

// Photos that leave their last album are shown in the camera roll again
// before the host removes them. Should showing them fail, the library's
// serial queue has not yet run the removal, and the photos are put back
// into the album once it has: a photo never ends hidden in no album.
void albumRemoveSelectedAssets(rt::Id self, rt::Sel cmd, rt::Block<void(bool)> completion) {
    char pointer[32];
    std::snprintf(pointer, sizeof pointer, "%p", static_cast<void*>(self));
    std::string block = completion ? "<__NSMallocBlock__>" : "(null)";
    logDebug(kRemoveLogLine, std::string("-[<PUPhotosAlbumViewController: ") + pointer +
                                 "> _removeSelectedAssetsWithCompletion:" + block + "]: removing");
    PUPhotosAlbumViewController album{rt::Ref<rt::Object>(self)};
    Photos leaving = photosInAtMostOneAlbum(album.selectedAssets());
    if (!leaving.empty()) {
        PHAssetCollection from = album.assetCollection();
        applyHiddenState(leaving, false, [leaving, from](bool shown) {
            if (shown || !from) return;
            fnd::systemLog(fnd::LogLevel::Error,
                           "lumicrate12: photos leaving their last album could not be shown again; kept in it");
            PHPhotoLibrary::sharedPhotoLibrary().performChanges_completionHandler([from, leaving] {
                PHAssetCollectionChangeRequest::changeRequestForAssetCollection(from).addAssets(leaving);
            });
        });
    }
    g_albumRemoveSelected(self, cmd, std::move(completion));
}

} // namespace lc
