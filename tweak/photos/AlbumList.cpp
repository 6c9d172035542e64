#include "tweak/photos/AlbumList.h"

#include "sim/dispatch/Queue.h"
#include "tweak/core/Diagnostics.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/library/AlbumPlacement.h"
#include "tweak/photos/Navigation.h"
#include "tweak/photos/PhotoMoves.h"
#include "tweak/photos/PhotosState.h"
#include "tweak/springboard/MessageServer.h"

#include <cstdio>
#include <functional>

namespace lc {

using namespace uikit;
using namespace photos;

constinit rt::Orig<void(bool)> g_listWillAppear;
constinit rt::Orig<void()> g_listDidLayout;
constinit rt::Orig<void(rt::Ref<rt::Object>)> g_listWillDrag;
constinit rt::Orig<UICollectionViewCell(UICollectionView, fnd::NSIndexPath)> g_listCell;
constinit rt::Orig<void(fnd::NSIndexPath)> g_listSelect;
constinit rt::Orig<void(rt::Ref<rt::Object>, rt::Ref<rt::Object>)> g_listDelete;
constinit rt::Orig<void(bool, bool)> g_listSetEditing;
constinit rt::Orig<bool()> g_listShowPeople, g_listShowPlaces, g_listHideTabBar, g_listWantsTabBar;
constinit rt::Orig<std::string(PHCollection)> g_listTitle, g_listSubtitle;

namespace {

constexpr int kReloadCameraRollLogLine = 1630;
constexpr int kDeleteLogLine = 1710;

PUAlbumListViewController listOf(rt::Id self) { return PUAlbumListViewController(rt::Ref<rt::Object>(self)); }

std::string pointerText(const void* p) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", p);
    return text;
}

bool inPickerMode(const PUAlbumListViewController& list) { return static_cast<bool>(list._pickerBannerView()); }

bool onPad() {
    UIDevice device = UIDevice::currentDevice();
    if (!device || !device.respondsToSelector("userInterfaceIdiom"_sel)) return false;
    return device.userInterfaceIdiom() == UIUserInterfaceIdiomPad;
}

// The tile of an index path, as the host of this system version finds it.
PUAlbumListCellContentView tileAt(const PUAlbumListViewController& list, const fnd::NSIndexPath& path,
                                  double preparedAbove) {
    if (fnd::kCFCoreFoundationVersionNumber > preparedAbove)
        return list._preparedAlbumListCellContentViewAtIndexPath(path);
    return list.visibleAlbumListCellContentViewAtIndexPath(path);
}

// Whether the photos being picked come from the camera roll itself: the
// zoomable grid (the library's own view of it) was touched last, or the
// album view shows the camera roll.
bool pickingFromCameraRoll() {
    const PhotosState& s = photosState();
    if (s.isZoomController && s.zoomGridController) return true;
    return s.albumViewController && isCameraRoll(s.albumViewController.assetCollection());
}

struct SheetAction {
    std::string title;
    UIAlertActionStyle style;
    std::function<void()> run;
};

// An action sheet from the list, anchored on iPad to `anchor` (or the list's view).
void presentSheet(const PUAlbumListViewController& list, const std::string& title, const std::string& message,
                  const std::vector<SheetAction>& actions, const UIView& anchor) {
    UIAlertController sheet = UIAlertController::alertControllerWithTitle_message_preferredStyle(
        title, message, UIAlertControllerStyleActionSheet);
    for (const SheetAction& a : actions)
        sheet.addAction(UIAlertAction::actionWithTitle_style_handler(a.title, a.style, [run = a.run](UIAlertAction) {
            if (run) run();
        }));
    if (onPad()) {
        UIView source = anchor ? anchor : list.view();
        if (UIPopoverPresentationController popover = sheet.popoverPresentationController()) {
            popover.setSourceView(source);
            popover.setSourceRect(source.bounds());
        }
    }
    list.presentViewController_animated_completion(sheet, true);
}

// The picker sheet: Move or Copy, then the host's own add.
void showPickerSheet(const PUAlbumListViewController& list, const fnd::NSIndexPath& path, double preparedAbove) {
    auto add = [list, path](bool move) {
        list.reloadCameraRollWithMove(move);
        g_listSelect(list.get(), "didSelectItemAtIndexPath:"_sel, path);
    };
    presentSheet(list, "Add photos to album", "Move or copy photos to the album?",
                 {{"Move", UIAlertActionStyleDefault, [add] { add(true); }},
                  {"Copy", UIAlertActionStyleDefault, [add] { add(false); }},
                  {"Cancel", UIAlertActionStyleCancel, nullptr}},
                 tileAt(list, path, preparedAbove));
}

// The count fix: an album whose stock count leaves out its hidden photos. The album
// is the collection the tile stands for (the Screenshots smart album
// included), not the first album that bears its title.
void fixCount(const PUAlbumListCellContentView& tile) {
    std::string subtitle = tile.subtitle();
    if (subtitle != "0" && !(subtitle == " " && layoutShowSubtitle)) return;
    PHCollection shown = tile.collection();
    if (!shown || !shown.canContainAssets()) return; // a folder, or no album: the host's count stays
    PHFetchOptions withHidden = PHFetchOptions::new_();
    withHidden.setIncludeHiddenAssets(true);
    tile.setSubtitle(std::to_string(
        PHAsset::fetchAssetsInAssetCollection_options(shown.as<PHAssetCollection>(), withHidden).count()));
}

// The thumbnail size the tiles draw at.
void recordThumbnailSize(const PUAlbumListCellContentView& tile) {
    std::vector<UIView> photoViews = tile._photoViews();
    if (photoViews.empty()) return;
    CGRect frame = photoViews.front().frame();
    if (frame.size.height <= 0) return;
    auto side = static_cast<std::int32_t>(frame.size.width + 1.0);
    photoHeight = side;
    photoWidth = side;
}

void removeTapRecognizers(const UIView& cell) {
    for (const UIGestureRecognizer& r : cell.gestureRecognizers())
        if (r.isKindOfClass(UITapGestureRecognizer::cls())) cell.removeGestureRecognizer(r);
}

bool showsCameraRoll(const PUAlbumListCellContentView& tile) {
    PHCollection shown = tile.collection();
    return shown && shown.canContainAssets() && isCameraRoll(shown.as<PHAssetCollection>());
}

// The camera-roll target: in the picker, "Camera Roll" takes the photos back.
void setCameraRollTarget(const PUAlbumListViewController& list, const UICollectionViewCell& cell,
                         const PUAlbumListCellContentView& tile) {
    removeTapRecognizers(cell); // reused cells lose the target; the Camera Roll's gets one, once
    if (!showsCameraRoll(tile) || pickingFromCameraRoll()) return;
    UITapGestureRecognizer tap(UITapGestureRecognizer::alloc().initWithTarget_action(list, "handleCameraTap:"_sel));
    cell.addGestureRecognizer(tap);
    tile.setEnabled(true);
}

// After a delete: the photos that only a deleted album held come back into the camera
// roll once the album is really gone. The host deletes it in the handler of
// its confirmation, which can run after editing ended (a quick "Done"), so
// the deletion stays pending until the library no longer has the album (or
// another delete replaces it), and is looked at again at the end of
// editing, when the list appears and when it redraws its tiles. The album
// is the collection the delete named, found by its identifier (another
// album may bear its title). Whether it is gone and which of its photos no
// album holds is read in a change block, after every change queued before
// it: a read that fails there fails the change, and nothing is acted on
// until a later check reads the library whole.
bool g_checkQueued = false;
struct DeleteCheck {
    bool gone = false;
    Photos homeless;
};
void settlePendingDelete() {
    PhotosState& s = photosState();
    if (s.albumToDelete.empty() || g_checkQueued) return;
    if (s.albumToDeleteAssets.empty()) {
        s.albumToDelete.clear();
        clearPendingDelete();
        return;
    }
    g_checkQueued = true;
    std::string album = s.albumToDelete;
    Photos held = s.albumToDeleteAssets;
    // Written by the block and read by its completion, both on the library's queue, in that order.
    auto check = std::make_shared<DeleteCheck>();
    PHPhotoLibrary::sharedPhotoLibrary().performChanges_completionHandler(
        [album, held, check] {
            check->gone =
                PHAssetCollection::fetchAssetCollectionsWithLocalIdentifiers_options({album}, nullptr).count() == 0;
            if (!check->gone) return;
            for (const PHAsset& p : held)
                if (userAlbumCount(p) == 0) check->homeless.push_back(p);
        },
        [album, check](bool ok, NSError) {
            bool settled = ok && check->gone;
            if (settled && !check->homeless.empty()) applyHiddenState(check->homeless, false);
            dsp::mainQueue().async([album, settled] {
                g_checkQueued = false;
                PhotosState& st = photosState();
                if (settled && st.albumToDelete == album) {
                    st.albumToDelete.clear();
                    st.albumToDeleteAssets.clear();
                    clearPendingDelete();
                }
            });
        });
}

} // namespace

// ---- a deletion left pending by an earlier run -------------------------------------------------------

void resumePendingDelete() {
    std::optional<PendingDelete> pending = readPendingDelete();
    if (!pending) return;
    PhotosState& s = photosState();
    if (!s.albumToDelete.empty()) return; // this run has its own
    s.albumToDelete = pending->album;
    s.albumToDeleteAssets =
        pending->photos.empty()
            ? Photos{}
            : PHAsset::fetchAssetsWithLocalIdentifiers_options(pending->photos, nullptr).fetchedObjects();
    settlePendingDelete();
}

// ---- appearing and scrolling ----------------------------------------------------------------

void listViewWillAppear(rt::Id self, rt::Sel cmd, bool animated) {
    g_listWillAppear(self, cmd, animated);
    loadLockedAlbums();
    saveArrayToFile(asArray(*lockedAlbums()), kdataPath);
    photosState().listController = listOf(self);
    settlePendingDelete();
}

void listViewDidLayoutSubviews(rt::Id self, rt::Sel cmd) { g_listDidLayout(self, cmd); }

void listScrollViewWillBeginDragging(rt::Id self, rt::Sel cmd, rt::Ref<rt::Object> scrollView) {
    g_listWillDrag(self, cmd, std::move(scrollView));
    listOf(self).reloadContentView();
}

// ---- a tile ----------------------------------------------------------------------------------------

UICollectionViewCell listCellForItem(rt::Id self, rt::Sel cmd, UICollectionView view, fnd::NSIndexPath path) {
    UICollectionViewCell cell = g_listCell(self, cmd, std::move(view), std::move(path));
    PUAlbumListCellContentView tile = PUAlbumListCell(cell).albumListCellContentView();
    if (!tile) return cell;
    fixCount(tile);
    recordThumbnailSize(tile);
    PUAlbumListViewController list = listOf(self);
    if (inPickerMode(list)) setCameraRollTarget(list, cell, tile);
    settlePendingDelete();
    return cell;
}

// ---- selecting an album ------------------------------------------------------------------------

void listDidSelectItem(rt::Id self, rt::Sel cmd, fnd::NSIndexPath path) {
    PhotosState& s = photosState();
    PUAlbumListViewController list = listOf(self);
    s.inLockedAlbum = false;
    if (s.unlocked) { // the gate's replay
        s.unlocked = false;
        s.tappedIndex = nullptr;
        s.tappedAlbum.clear();
        if (inPickerMode(list)) return showPickerSheet(list, path, 1349.0);
        return g_listSelect(self, cmd, std::move(path));
    }
    s.tappedIndex = path;
    PUAlbumListCellContentView tile = tileAt(list, path, 1349.0);
    PHCollection album = tile.collection();
    s.tappedAlbum = album ? album.localIdentifier() : std::string();
    if (std::string title = libraryTitle(album); isLocked(title))
        return list.unlockAlbum_withAlbum(GateAction::Open, title);
    if (showsCameraRoll(tile) || !inPickerMode(list)) return g_listSelect(self, cmd, std::move(path));
    showPickerSheet(list, path, 1348.0);
}

// ---- moving photos out of the camera roll and back ------------------------------------------

void reloadCameraRollWithMove(rt::Id self, rt::Sel, bool move) {
    logDebug(kReloadCameraRollLogLine, "-[<PUAlbumListViewController: " + pointerText(self) +
                                           "> reloadCameraRollWithMove:" + std::to_string(move ? 1 : 0) +
                                           "]: reloading camera roll");
    if (!move) return;
    const PhotosState& s = photosState();
    Photos chosen;
    PHAssetCollection source;
    if (s.albumViewController && !s.isZoomController) {
        chosen = s.albumViewController.selectedAssets();
        source = s.albumViewController.assetCollection();
    } else if (s.zoomGridController) {
        chosen = s.zoomGridController.selectedAssets();
    }
    // The host queues its add to the target right after this returns; the
    // move waits for it on the main queue, then for the library to apply it.
    dsp::mainQueue().async([chosen, source] { moveOutOfCameraRoll(chosen, source); });
}

void handleCameraTap(rt::Id self, rt::Sel, rt::Ref<rt::Object> recognizer) {
    if (!photosState().albumViewController) return;
    PUAlbumListViewController list = listOf(self);
    presentSheet(list, "Move photos", "Move photos back to camera roll?",
                 {{"Move", UIAlertActionStyleDefault, [list] { list.returnSelectedPhotos(true); }},
                  {"Copy", UIAlertActionStyleDefault, [list] { list.returnSelectedPhotos(false); }},
                  {"Cancel", UIAlertActionStyleCancel, nullptr}},
                 UIGestureRecognizer(std::move(recognizer)).view());
}

void returnSelectedPhotos(rt::Id self, rt::Sel, bool move) {
    const PhotosState& s = photosState();
    PUPhotosAlbumViewController album = s.albumViewController;
    PHAssetCollection from = move && album && !s.isZoomController ? album.assetCollection() : nullptr;
    returnToCameraRoll(selectedPhotos(), from);
    listOf(self)._handleDoneButton(nullptr);
    if (album) album.setEditing_animated(false, true);
}

// ---- deleting an album ------------------------------------------------------------------------

void listPerformDeleteAction(rt::Id self, rt::Sel cmd, rt::Ref<rt::Object> tileObject, rt::Ref<rt::Object> action) {
    PhotosState& s = photosState();
    PUAlbumListCellContentView tile(tileObject);
    PHAssetCollection album = deletedCollection(rt::NSObject(action), tile);
    std::string title = libraryTitle(album);
    bool replay = s.unlocked;
    if (replay) {
        s.unlocked = false;
        s.tempContentView = nullptr;
        s.tempDeleteAction = nullptr;
    } else if (isLocked(title)) {
        s.tempContentView = tile;
        s.tempDeleteAction = action;
        return listOf(self).unlockAlbum_withAlbum(GateAction::Delete, title);
    }
    g_listDelete(self, cmd, tileObject, action);
    if (!replay) {
        PHFetchOptions withHidden = PHFetchOptions::new_();
        withHidden.setIncludeHiddenAssets(true);
        std::string shown = album ? PHAsset::fetchAssetsInAssetCollection_options(album, withHidden).description()
                                  : std::string("(null)");
        logDebug(kDeleteLogLine, "-[<PUAlbumListViewController: " + pointerText(self) +
                                     "> albumListCellContentView:" + tile.description() +
                                     " performDeleteAction:" + rt::NSObject(action).description() + "]: " + shown);
    }
    s.albumToDelete = album ? album.localIdentifier() : std::string();
    s.albumToDeleteAssets = album ? photosOnlyIn(album) : Photos{};
    PendingDelete pending{s.albumToDelete, {}};
    for (const PHAsset& p : s.albumToDeleteAssets)
        pending.photos.push_back(p.localIdentifier());
    if (!s.albumToDelete.empty() && !pending.photos.empty()) writePendingDelete(pending);
}

void listSetEditing(rt::Id self, rt::Sel cmd, bool editing, bool animated) {
    g_listSetEditing(self, cmd, editing, animated);
    PhotosState& s = photosState();
    s.viewIsEditing = editing;
    if (editing) return;
    listOf(self).reloadContentView();
    settlePendingDelete();
}

// ---- the switches ----------------------------------------------------------------------------------

bool listAlwaysHideTabBar(rt::Id self, rt::Sel cmd) {
    return enabled && exactlyOneTabShown() ? true : g_listHideTabBar(self, cmd);
}
bool listWantsTabBarVisible(rt::Id self, rt::Sel cmd) {
    return enabled && exactlyOneTabShown() ? true : g_listWantsTabBar(self, cmd);
}

} // namespace lc
