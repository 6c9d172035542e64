#pragma once
// What lumicrate12 keeps in the Photos app, and the app's private classes as
// it reaches them: by name, through small faces declared here once (the
// product never includes the app's own headers).
//
// The state is process-wide and main-thread only, as the hooks that read and
// write it run in UIKit's callbacks:
//
//   the lock gate's pass and parked actions (LockGate)
//     unlocked           the one-shot pass: raised by unlockAuthorised:,
//                        used up by the replayed action
//     inLockedAlbum      an album was opened through the gate; cleared at
//                        every selection in the album list
//     tappedIndex        a parked open (the list's and the gadget's), with
//     tappedAlbum        the identifier of the album it named: a replay
//                        opens the index only while it still holds that album
//     tempContentView,   a parked delete: the tile and the host's action
//     tempDeleteAction
//     tempRecognizer     a parked long press (the gadget's)
//   who answers the gate (Authenticate chooses by the request's "controller")
//     listController, gadgetController, cellContentView
//   what the album views last showed (Navigation records it)
//     albumViewController, zoomGridController, isZoomController
//   the album list's own (AlbumList)
//     albumToDelete (the identifier of the collection a delete action
//     named; "" for none), albumToDeleteAssets (kept in the app's container
//     too, so that a pending deletion outlives the app), viewIsEditing
//
// A locked album is decided from the collection that a tile or an action
// stands for, by its title as the library has it: never from the text a
// view shows, which a setting may blank and two albums may share.

#include "sim/foundation/Foundation.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/UIKit.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lc {

using namespace rt::literals;

// ---- the Photos app's private classes ------------------------------------------------------------

// The gate's action codes: what a granted request replays. They travel to
// SpringBoard and back as "method", a 32-bit integer; each host class reads
// them its own way, so the tile's share values with the list's.
enum class GateAction : std::int32_t {
    Open = 0,            // the list and the gadget: open the tapped album
    Delete = 1,          // the list: delete the album
    LongPressUnlock = 2, // the gadget: unlock the album by long press
    TileUnlock = 0,      // a tile: unlock the album with its lock button
    TileMove = 1,        // a tile: move the album's photos
};
constexpr int code(GateAction a) { return static_cast<int>(a); }

// The gate's three methods, which lumicrate12 adds to the list, the gadget
// and the tile alike.
template <class Self> struct LockGateMethods {
    void unlockAlbum_withAlbum(GateAction action, const std::string& title) const {
        rt::send(self(), "unlockAlbum:withAlbum:"_sel, code(action), title);
    }
    void requestPassword(int code) const { rt::send(self(), "requestPassword:"_sel, code); }
    void unlockAuthorised(int code) const { rt::send(self(), "unlockAuthorised:"_sel, code); }

private:
    const Self& self() const { return static_cast<const Self&>(*this); }
};

struct PUAlbumListCellContentView : uikit::UIView, LockGateMethods<PUAlbumListCellContentView> {
    RT_FACE(PUAlbumListCellContentView, uikit::UIView)
    // The text the tile shows (blank while titles are switched off).
    std::string title() const { return msg<std::string>("title"_sel); }
    std::string subtitle() const { return msg<std::string>("subtitle"_sel); }
    // The album or folder the tile stands for.
    photos::PHCollection collection() const { return msg<photos::PHCollection>("collection"_sel); }
    void setSubtitle(const std::string& text) const { msg("setSubtitle:"_sel, text); }
    void setEnabled(bool enabled) const { msg("setEnabled:"_sel, enabled); }
    uikit::UIView stackView() const { return msg<uikit::UIView>("stackView"_sel); }
    // The thumbnails of the stack view, front first.
    std::vector<uikit::UIView> _photoViews() const { return msg<std::vector<uikit::UIView>>("_photoViews"_sel); }
    uikit::UIView _deleteButton() const { return msg<uikit::UIView>("_deleteButton"_sel); }
    uikit::UITextField _titleTextField() const { return msg<uikit::UITextField>("_titleTextField"_sel); }
    uikit::UILabel _subtitleLabel() const { return msg<uikit::UILabel>("_subtitleLabel"_sel); }
    // lumicrate12's tile methods (the album cell actions and the layout's buttons).
    void lockAlbum() const { msg("lockAlbum"_sel); }
    void askToMoveAlbum() const { msg("askToMoveAlbum"_sel); }
    void moveAlbum() const { msg("moveAlbum"_sel); }
    void createButtons() const { msg("createButtons"_sel); }
};

struct PUAlbumListCell : uikit::UICollectionViewCell {
    RT_FACE(PUAlbumListCell, uikit::UICollectionViewCell)
    PUAlbumListCellContentView albumListCellContentView() const {
        return msg<PUAlbumListCellContentView>("albumListCellContentView"_sel);
    }
};

struct PUAlbumListViewController : uikit::UIViewController, LockGateMethods<PUAlbumListViewController> {
    RT_FACE(PUAlbumListViewController, uikit::UIViewController)
    uikit::UIView _pickerBannerView() const { return msg<uikit::UIView>("_pickerBannerView"_sel); }
    void reloadContentView() const { msg("reloadContentView"_sel); }
    void _handleDoneButton(const rt::NSObject& sender) const { msg("_handleDoneButton:"_sel, sender); }
    PUAlbumListCellContentView _preparedAlbumListCellContentViewAtIndexPath(const fnd::NSIndexPath& path) const {
        return msg<PUAlbumListCellContentView>("_preparedAlbumListCellContentViewAtIndexPath:"_sel, path);
    }
    PUAlbumListCellContentView visibleAlbumListCellContentViewAtIndexPath(const fnd::NSIndexPath& path) const {
        return msg<PUAlbumListCellContentView>("visibleAlbumListCellContentViewAtIndexPath:"_sel, path);
    }
    void didSelectItemAtIndexPath(const fnd::NSIndexPath& path) const { msg("didSelectItemAtIndexPath:"_sel, path); }
    void albumListCellContentView_performDeleteAction(const PUAlbumListCellContentView& tile,
                                                      const rt::NSObject& action) const {
        msg("albumListCellContentView:performDeleteAction:"_sel, tile, action);
    }
    // lumicrate12's own.
    void returnSelectedPhotos(bool move) const { msg("returnSelectedPhotos:"_sel, move); }
    void reloadCameraRollWithMove(bool move) const { msg("reloadCameraRollWithMove:"_sel, move); }
};

struct PUHorizontalAlbumListGadget : uikit::UIViewController, LockGateMethods<PUHorizontalAlbumListGadget> {
    RT_FACE(PUHorizontalAlbumListGadget, uikit::UIViewController)
    uikit::UICollectionView collectionView() const { return msg<uikit::UICollectionView>("collectionView"_sel); }
    void collectionView_didSelectItemAtIndexPath(const uikit::UICollectionView& view,
                                                 const fnd::NSIndexPath& path) const {
        msg("collectionView:didSelectItemAtIndexPath:"_sel, view, path);
    }
    void handleLongPress(const uikit::UIGestureRecognizer& recognizer) const {
        msg("handleLongPress:"_sel, recognizer);
    }
    // The strip's cell of an index path (the tile is its albumListCellContentView).
    PUAlbumListCell _gadgetAtIndexPath(const fnd::NSIndexPath& path) const {
        return msg<PUAlbumListCell>("_gadgetAtIndexPath:"_sel, path);
    }
    void viewDidLayoutSubviews() const { msg("viewDidLayoutSubviews"_sel); }
};

// The album grids: an album's (PUPhotosAlbumViewController) and the camera
// roll's zoomable one.
struct PUPhotosGridViewController : uikit::UIViewController {
    RT_FACE(PUPhotosGridViewController, uikit::UIViewController)
    std::vector<photos::PHAsset> selectedAssets() const {
        return msg<std::vector<photos::PHAsset>>("selectedAssets"_sel);
    }
    photos::PHAssetCollection assetCollection() const { return msg<photos::PHAssetCollection>("assetCollection"_sel); }
    void setEditing_animated(bool editing, bool animated) const { msg("setEditing:animated:"_sel, editing, animated); }
};
struct PUPhotosAlbumViewController : PUPhotosGridViewController {
    RT_FACE(PUPhotosAlbumViewController, PUPhotosGridViewController)
};
struct PUZoomableGridViewController : PUPhotosGridViewController {
    RT_FACE(PUZoomableGridViewController, PUPhotosGridViewController)
};

// An Albums page section: the strips have a provider (its albumListType
// names the list), the lists of smart albums a gadgetType of 10.
struct PXGadgetViewController : uikit::UIViewController {
    RT_FACE(PXGadgetViewController, uikit::UIViewController)
    rt::NSObject provider() const { return msg<rt::NSObject>("provider"_sel); }
    long gadgetType() const { return msg<long>("gadgetType"_sel); }
};

struct PUTabbedLibraryViewController : uikit::UITabBarController {
    RT_FACE(PUTabbedLibraryViewController, uikit::UITabBarController)
    uikit::UINavigationController selectedNavigationController() const {
        return msg<uikit::UINavigationController>("selectedNavigationController"_sel);
    }
};

struct PhotosApplication : uikit::UIApplication {
    RT_FACE(PhotosApplication, uikit::UIApplication)
    PUTabbedLibraryViewController _tabbedLibraryViewController() const {
        return msg<PUTabbedLibraryViewController>("_tabbedLibraryViewController"_sel);
    }
    void returnToMainView() const { msg("returnToMainView"_sel); }
};

// ---- the state -------------------------------------------------------------------------------------

struct PhotosState {
    bool unlocked = false;
    bool inLockedAlbum = false;
    fnd::NSIndexPath tappedIndex;
    std::string tappedAlbum;
    PUAlbumListCellContentView tempContentView;
    rt::NSObject tempDeleteAction;
    uikit::UIGestureRecognizer tempRecognizer;

    PUAlbumListViewController listController;
    PUHorizontalAlbumListGadget gadgetController;
    PUAlbumListCellContentView cellContentView;

    PUPhotosAlbumViewController albumViewController;
    PUZoomableGridViewController zoomGridController;
    bool isZoomController = false;

    std::string albumToDelete;
    std::vector<photos::PHAsset> albumToDeleteAssets;
    bool viewIsEditing = false;
};

// The Photos app's one state (made on first use, kept for the process's life).
PhotosState& photosState();

// A collection's title as the library has it ("" for none): what the locked
// list and the switches name.
std::string libraryTitle(const photos::PHCollection& collection);
// The collection a delete action of the album list names (the tile's, for
// an action that names none).
photos::PHAssetCollection deletedCollection(const rt::NSObject& action, const PUAlbumListCellContentView& tile);

// The photos selected where the user chose them: the album view's, unless
// the zoomable grid was touched last (or no album view is known), then the
// grid's; none when neither is known.
std::vector<photos::PHAsset> selectedPhotos();

} // namespace lc
