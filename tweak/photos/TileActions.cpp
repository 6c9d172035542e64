#include "tweak/photos/TileActions.h"

#include "tweak/core/StateFiles.h"
#include "tweak/library/MoveEngine.h"
#include "tweak/library/Overlay.h"
#include "tweak/photos/PhotosState.h"
#include "tweak/springboard/MessageServer.h"

namespace lc {

using namespace uikit;
using namespace photos;

namespace {

PUAlbumListCellContentView tileOf(rt::Id self) { return PUAlbumListCellContentView(rt::Ref<rt::Object>(self)); }

// The controller that shows the tile redraws its tiles (and their padlocks).
void redrawTiles(const PUAlbumListCellContentView& tile) {
    tile.setNeedsLayout(); // the tile itself, wherever it is
    UIViewController owner = tile._viewControllerForAncestor();
    // The full list redraws its tiles; the strip, which has no such method, is laid out by its tiles.
    if (owner) (void)rt::trySend(owner.get(), "reloadContentView"_sel);
}

// The album the tile stands for, when it is one (not a folder, not People).
PHAssetCollection albumOf(const PUAlbumListCellContentView& tile) {
    PHCollection shown = tile.collection();
    return shown && shown.canContainAssets() ? shown.as<PHAssetCollection>() : PHAssetCollection();
}

bool onPad() {
    UIDevice device = UIDevice::currentDevice();
    return device && device.respondsToSelector("userInterfaceIdiom"_sel) &&
           device.userInterfaceIdiom() == UIUserInterfaceIdiomPad;
}

} // namespace

void lockAlbum(rt::Id self, rt::Sel) {
    reloadLockedAlbums();
    PUAlbumListCellContentView tile = tileOf(self);
    std::string title = libraryTitle(tile.collection());
    PhotosState& s = photosState();
    s.cellContentView = tile;
    if (title.empty()) return;
    if (!isLocked(title)) { // locking needs no check, and gives no pulse
        saveArrayToFile(asArray(lockAlbumTitle(title)), kdataPath);
        return redrawTiles(tile);
    }
    if (!s.unlocked) return tile.unlockAlbum_withAlbum(GateAction::TileUnlock, title);
    s.unlocked = false; // the replay after the gate granted code 0
    saveArrayToFile(asArray(unlockAlbumTitle(title)), kdataPath);
    vibrate();
    redrawTiles(tile);
    if (PUHorizontalAlbumListGadget gadget = s.gadgetController) gadget.viewDidLayoutSubviews();
}

void askToMoveAlbum(rt::Id self, rt::Sel) {
    PUAlbumListCellContentView tile = tileOf(self);
    std::string title = libraryTitle(tile.collection());
    reloadLockedAlbums();
    if (isLocked(title)) return tile.unlockAlbum_withAlbum(GateAction::TileMove, title);
    tile.moveAlbum();
}

void moveAlbum(rt::Id self, rt::Sel) {
    PUAlbumListCellContentView tile = tileOf(self);
    PHAssetCollection album = albumOf(tile);
    UIViewController owner = tile._viewControllerForAncestor();
    if (!owner) return;
    UIAlertController sheet = UIAlertController::alertControllerWithTitle_message_preferredStyle(
        "Move Album", "Return album photos to the camera roll or move them out?", UIAlertControllerStyleActionSheet);
    sheet.addAction(UIAlertAction::actionWithTitle_style_handler("Return to camera roll", UIAlertActionStyleDefault,
                                                                 [album](UIAlertAction) { syncAlbum(album, false); }));
    sheet.addAction(UIAlertAction::actionWithTitle_style_handler("Move out of camera roll", UIAlertActionStyleDefault,
                                                                 [album](UIAlertAction) { syncAlbum(album, true); }));
    sheet.addAction(UIAlertAction::actionWithTitle_style_handler("Cancel", UIAlertActionStyleCancel, {}));
    if (onPad())
        if (UIPopoverPresentationController popover = sheet.popoverPresentationController()) {
            popover.setSourceView(tile);
            popover.setSourceRect(tile.bounds());
        }
    owner.presentViewController_animated_completion(sheet, true);
}

} // namespace lc
