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
//     tappedIndex        a parked open (the list's and the gadget's)
//     tempContentView,   a parked delete: the tile and the host's action
//     tempDeleteAction
//     tempRecognizer     a parked long press (the gadget's)
//   who answers the gate (Authenticate chooses by the request's "controller")
//     listController, gadgetController, cellContentView
//   what the album views last showed (Navigation records it)
//     albumViewController, zoomGridController, isZoomController
//   the album list's own (AlbumList)
//     albumToDelete, albumToDeleteAssets, viewIsEditing

#include "sim/foundation/Foundation.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/UIKit.h"

#include <optional>
#include <string>
#include <vector>

namespace lc {

using namespace rt::literals;

// ---- the Photos app's private classes ------------------------------------------------------------

struct PUAlbumListCellContentView : uikit::UIView {
    RT_FACE(PUAlbumListCellContentView, uikit::UIView)
    std::string title() const { return msg<std::string>("title"_sel); }
    std::string subtitle() const { return msg<std::string>("subtitle"_sel); }
    void setSubtitle(const std::string& text) const { msg("setSubtitle:"_sel, text); }
    void setEnabled(bool enabled) const { msg("setEnabled:"_sel, enabled); }
    uikit::UIView stackView() const { return msg<uikit::UIView>("stackView"_sel); }
    // The thumbnails of the stack view, front first.
    std::vector<uikit::UIView> _photoViews() const { return msg<std::vector<uikit::UIView>>("_photoViews"_sel); }
    // lumicrate12's tile methods (the album cell actions).
    void lockAlbum() const { msg("lockAlbum"_sel); }
    void moveAlbum() const { msg("moveAlbum"_sel); }
};

struct PUAlbumListCell : uikit::UICollectionViewCell {
    RT_FACE(PUAlbumListCell, uikit::UICollectionViewCell)
    PUAlbumListCellContentView albumListCellContentView() const {
        return msg<PUAlbumListCellContentView>("albumListCellContentView"_sel);
    }
};

// The gate's three methods, which lumicrate12 adds to the list, the gadget
// and the tile alike.
template <class Self> struct LockGateMethods {
    void unlockAlbum_withAlbum(int code, const std::string& title) const {
        rt::send(self(), "unlockAlbum:withAlbum:"_sel, code, title);
    }
    void requestPassword(int code) const { rt::send(self(), "requestPassword:"_sel, code); }
    void unlockAuthorised(int code) const { rt::send(self(), "unlockAuthorised:"_sel, code); }

private:
    const Self& self() const { return static_cast<const Self&>(*this); }
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

struct PUTabbedLibraryViewController : uikit::UIViewController {
    RT_FACE(PUTabbedLibraryViewController, uikit::UIViewController)
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
    PUAlbumListCellContentView tempContentView;
    rt::NSObject tempDeleteAction;
    uikit::UIGestureRecognizer tempRecognizer;

    PUAlbumListViewController listController;
    PUHorizontalAlbumListGadget gadgetController;
    PUAlbumListCellContentView cellContentView;

    PUPhotosAlbumViewController albumViewController;
    PUZoomableGridViewController zoomGridController;
    bool isZoomController = false;

    std::optional<std::string> albumToDelete;
    std::vector<photos::PHAsset> albumToDeleteAssets;
    bool viewIsEditing = false;
};

// The Photos app's one state (made on first use, kept for the process's life).
PhotosState& photosState();

// The photos selected where the user chose them: the album view's, unless
// the zoomable grid was touched last (or no album view is known), then the
// grid's; none when neither is known.
std::vector<photos::PHAsset> selectedPhotos();

} // namespace lc
