#pragma once
// Photos, the stock app "com.apple.mobileslideshow", as iOS 12 has it: the
// tabbed library (Photos, For You, Shared, Albums), the Albums page with its
// gadgets, the full album list (also the album picker), album grids with
// selection, and the one-up viewer. Its private classes are runtime
// classes, so that a hook on any of them changes the app from inside.
//
// Each file holds one part:
//   PhotosApplication   PhotosApplication, PUTabbedLibraryViewController, PUNavigationController
//   AlbumTile           PUAlbumListCellContentView, PXUIButton, PUAlbumListCell
//   CollectionsSource   PXPhotoKitCollectionsDataSourceManager: which albums the lists show
//   AlbumsPage          PUAlbumsGadgetViewController, PXGadgetDataSource and the gadgets
//                       (PUHorizontalAlbumListGadget and the others)
//   AlbumList           PUAlbumListViewController, with picker mode
//   AlbumGrid           PUPhotosAlbumViewController, PUZoomableGridViewController,
//                       PUDeletePhotosActionController
//   OneUp               PUOneUpViewController, PUAssetViewModel, PUOneUpSettings

#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/UIKit.h"

#include <functional>
#include <string>
#include <vector>

namespace photosapp {

using namespace rt::literals;

void registerClasses();

// ---- the pieces, defined in their files ------------------------------------------------------
void defineTabs();
void defineAlbumTile();
void defineCollectionsSource();
void defineAlbumsPage();
void defineAlbumList();
void defineAlbumGrid();
void defineOneUp();

// ---- what the pieces share ----------------------------------------------------------------------
using Objects = std::vector<rt::Ref<rt::Object>>;
using photos::PHAsset;
using photos::PHAssetCollection;
using photos::PHCollection;
using photos::PHCollectionList;
using photos::PHFetchResult;
using uikit::UIView;
using uikit::UIViewController;

// The data source manager's face, for the app's own code.
struct PXPhotoKitCollectionsDataSourceManager : rt::NSObject {
    RT_FACE(PXPhotoKitCollectionsDataSourceManager, rt::NSObject)
    static PXPhotoKitCollectionsDataSourceManager sharedManager() {
        return rt::sendClass<PXPhotoKitCollectionsDataSourceManager>(cls(), "sharedManager"_sel);
    }
    bool _containsAnyAssets(const PHCollection& collection) const {
        return msg<bool>("_containsAnyAssets:"_sel, collection);
    }
    std::vector<PHCollection> collectionsInList(const PHCollectionList& folder) const {
        return msg<std::vector<PHCollection>>("collectionsInList:"_sel, folder);
    }
};

// An album tile and its cell, for the app's own code.
struct PUAlbumListCellContentView : UIView {
    RT_FACE(PUAlbumListCellContentView, UIView)
    std::string title() const { return msg<std::string>("title"_sel); }
    PHCollection collection() const { return msg<PHCollection>("collection"_sel); }
    void setDelegate(const rt::NSObject& delegate) const { msg("setDelegate:"_sel, delegate); }
    bool isEnabled() const { return msg<bool>("isEnabled"_sel); }
    void setEnabled(bool enabled) const { msg("setEnabled:"_sel, enabled); }
    void setEditing_animated(bool editing, bool animated) const { msg("setEditing:animated:"_sel, editing, animated); }
};
struct PUAlbumListCell : uikit::UICollectionViewCell {
    RT_FACE(PUAlbumListCell, uikit::UICollectionViewCell)
    PUAlbumListCellContentView albumListCellContentView() const {
        return msg<PUAlbumListCellContentView>("albumListCellContentView"_sel);
    }
};

// Assets of a collection (hidden ones too when asked), by creation date.
PHFetchResult<PHAsset> assetsOf(const PHCollection& collection, bool includeHidden = false);
// The collections the album lists show, as the data source manager decides:
// the top list's, or a folder's.
std::vector<PHCollection> listedCollections(const PHCollectionList& folder = nullptr);
bool isFolder(const PHCollection& collection);
// The stock -titleForCollection: and -subtitleForCollection: of the album
// lists: the localized title, and how many photos of it are visible.
std::string stockTitle(rt::Id, rt::Sel, PHCollection collection);
std::string stockSubtitle(rt::Id, rt::Sel, PHCollection collection);
// Methods that answer a constant.
bool answerYes(rt::Id, rt::Sel);
bool answerNo(rt::Id, rt::Sel);
// Whether a collection is an asset collection (an album, not a folder).
bool isAssetCollection(const PHCollection& collection);
// Whether a collection is the camera roll (the smart album of subtype 209).
bool isCameraRoll(const PHCollection& collection);
// Whether a collection is a user's regular album (type 1).
bool isRegularAlbum(const PHCollection& collection);

// A new tile cell's content: the album's title and subtitle and its first
// photos. `width` is the tile's (square thumbnail) width.
uikit::UICollectionViewCell makeTileCell(const uikit::UICollectionView& collectionView,
                                         const fnd::NSIndexPath& indexPath);
void configureTile(const UIView& tile, const PHCollection& collection, const std::string& title,
                   const std::string& subtitle);
// The tile height for a thumbnail width: the square and two lines of text.
double tileHeight(double width);

// Pushes the album's grid (for a folder: the list of its albums) onto the
// navigation controller of `from`.
void openAlbum(const UIViewController& from, const PHCollection& collection);
// A sheet or an alert with actions { title, style, handler }.
struct SheetAction {
    std::string title;
    uikit::UIAlertActionStyle style;
    std::function<void()> handler;
};
void presentSheet(const UIViewController& from, const std::string& title, const std::string& message,
                  uikit::UIAlertControllerStyle style, std::vector<SheetAction> actions,
                  const UIView& anchor = nullptr);

// Registers `controller` for library changes. Its class answers
// photoLibraryDidChange: with libraryDidChangeOnMain, which sends it
// _libraryDidChange on the main thread.
void observeLibrary(const UIViewController& controller);
void libraryDidChangeOnMain(rt::Id self, rt::Sel, rt::Ref<rt::Object> change);

// The tab bar of the library shows or hides for the top controller of a
// navigation controller (pu_wantsTabBarVisible, alwaysHideTabBar).
void updateTabBarFor(const UIViewController& controller);

} // namespace photosapp
