#include "tweak/photos/AlbumGadget.h"

#include "sim/dispatch/NSTimer.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/library/Overlay.h"
#include "tweak/photos/PhotosState.h"
#include "tweak/springboard/MessageServer.h"

namespace lc {

using namespace uikit;
using namespace photos;

constinit rt::Orig<void(bool)> g_gadgetWillAppear;
constinit rt::Orig<UICollectionViewCell(UICollectionView, fnd::NSIndexPath)> g_gadgetCell;
constinit rt::Orig<void(UICollectionView, fnd::NSIndexPath)> g_gadgetSelect;
constinit rt::Orig<bool()> g_gadgetShowPeople, g_gadgetShowPlaces;
constinit rt::Orig<std::string(PHCollection)> g_gadgetTitle, g_gadgetSubtitle;

namespace {

constexpr double kRelayout = 0.1; // the pressed tile's next layout, after a lock or an unlock

PUHorizontalAlbumListGadget gadgetOf(rt::Id self) { return PUHorizontalAlbumListGadget(rt::Ref<rt::Object>(self)); }

void saveLocked(const TitleList& list) { saveArrayToFile(asArray(list), kdataPath); }

} // namespace

std::int32_t stripThumbnailSide(double screenWidth) { return static_cast<std::int32_t>(screenWidth / 2.3 + 1.0); }

void gadgetViewWillAppear(rt::Id self, rt::Sel cmd, bool animated) {
    g_gadgetWillAppear(self, cmd, animated);
    std::int32_t side = stripThumbnailSide(UIScreen::mainScreen().bounds().size.width);
    photoHeight = side;
    photoWidth = side;
    reloadLockedAlbums();
    saveLocked(*lockedAlbums());
    photosState().gadgetController = gadgetOf(self);
}

UICollectionViewCell gadgetCellForItem(rt::Id self, rt::Sel cmd, UICollectionView view, fnd::NSIndexPath path) {
    return g_gadgetCell(self, cmd, std::move(view), std::move(path));
}

void gadgetDidSelectItem(rt::Id self, rt::Sel cmd, UICollectionView view, fnd::NSIndexPath path) {
    PhotosState& s = photosState();
    if (s.unlocked) { // the gate's replay
        s.unlocked = false;
        s.tappedIndex = nullptr;
        s.tappedAlbum.clear();
        return g_gadgetSelect(self, cmd, std::move(view), std::move(path));
    }
    s.tappedIndex = path;
    PUAlbumListCell item = gadgetOf(self)._gadgetAtIndexPath(path);
    PHCollection album = item ? item.albumListCellContentView().collection() : PHCollection();
    s.tappedAlbum = album ? album.localIdentifier() : std::string();
    if (std::string title = libraryTitle(album); isLocked(title))
        return gadgetOf(self).unlockAlbum_withAlbum(GateAction::Open, title);
    g_gadgetSelect(self, cmd, std::move(view), std::move(path));
}

void handleLongPress(rt::Id self, rt::Sel, rt::Ref<rt::Object> recognizerObject) {
    UILongPressGestureRecognizer recognizer(std::move(recognizerObject));
    UIGestureRecognizerState state = recognizer.state();
    if (state != UIGestureRecognizerStateBegan && state != UIGestureRecognizerStatePossible) return;
    PUAlbumListCellContentView tile(recognizer.view());
    PHCollection album = tile.collection();
    // A user's album or folder locks; a smart album does not: Places has no
    // title, and the camera roll's would name any user album that shares it.
    if (!album || (album.respondsToSelector("assetCollectionType"_sel) &&
                   album.as<PHAssetCollection>().assetCollectionType() != PHAssetCollectionTypeAlbum))
        return;
    std::string title = libraryTitle(album);
    if (title.empty()) return;
    reloadLockedAlbums();
    vibrate();
    PhotosState& s = photosState();
    if (isLocked(title)) {
        if (s.unlocked) { // the replay after the gate granted code 2
            s.unlocked = false;
            s.tempRecognizer = nullptr;
            saveLocked(unlockAlbumTitle(title));
        } else {
            s.tempRecognizer = recognizer;
            gadgetOf(self).unlockAlbum_withAlbum(GateAction::LongPressUnlock, title);
        }
    } else {
        saveLocked(lockAlbumTitle(title));
    }
    dsp::NSTimer::scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(kRelayout, tile, "layoutSubviews"_sel,
                                                                                  nullptr, false);
}

} // namespace lc
