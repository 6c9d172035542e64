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

#include "sim/graphics/Geometry.h"
#include "sim/runtime/Runtime.h"

#include <functional>
#include <string>
#include <vector>

namespace photosapp {

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

// Assets of a collection (hidden ones too when asked), by creation date.
rt::Ref<rt::Object> assetsOf(const rt::Ref<rt::Object>& collection, bool includeHidden = false);
unsigned long countOf(const rt::Ref<rt::Object>& fetchResult);
// The collections the album lists show, as the data source manager decides:
// the top list's, or a folder's.
Objects listedCollections(const rt::Ref<rt::Object>& folder = nullptr);
bool isFolder(const rt::Ref<rt::Object>& collection);
// The stock -titleForCollection: and -subtitleForCollection: of the album
// lists: the localized title, and how many photos of it are visible.
std::string stockTitle(rt::Id, rt::Sel, rt::Ref<rt::Object> collection);
std::string stockSubtitle(rt::Id, rt::Sel, rt::Ref<rt::Object> collection);
// Methods that answer a constant.
bool answerYes(rt::Id, rt::Sel);
bool answerNo(rt::Id, rt::Sel);
// Whether a collection is a user's regular album (type 1).
bool isRegularAlbum(const rt::Ref<rt::Object>& collection);

// A new tile cell's content: the album's title and subtitle and its first
// photos. `width` is the tile's (square thumbnail) width.
rt::Ref<rt::Object> makeTileCell(const rt::Ref<rt::Object>& collectionView, const rt::Ref<rt::Object>& indexPath);
void configureTile(const rt::Ref<rt::Object>& tile, const rt::Ref<rt::Object>& collection, const std::string& title,
                   const std::string& subtitle);
// The tile height for a thumbnail width: the square and two lines of text.
double tileHeight(double width);

// Pushes the album's grid (for a folder: the list of its albums) onto the
// navigation controller of `from`.
void openAlbum(const rt::Ref<rt::Object>& from, const rt::Ref<rt::Object>& collection);
// A sheet (style 0) or alert (1) with actions { title, style, handler }.
struct SheetAction {
    std::string title;
    long style;
    std::function<void()> handler;
};
void presentSheet(const rt::Ref<rt::Object>& from, const std::string& title, const std::string& message, long style,
                  std::vector<SheetAction> actions, const rt::Ref<rt::Object>& anchor = nullptr);

// Registers `controller` for library changes. Its class answers
// photoLibraryDidChange: with libraryDidChangeOnMain, which sends it
// _libraryDidChange on the main thread.
void observeLibrary(const rt::Ref<rt::Object>& controller);
void libraryDidChangeOnMain(rt::Id self, rt::Sel, rt::Ref<rt::Object> change);

// The tab bar of the library shows or hides for the top controller of a
// navigation controller (pu_wantsTabBarVisible, alwaysHideTabBar).
void updateTabBarFor(const rt::Ref<rt::Object>& controller);

} // namespace photosapp
