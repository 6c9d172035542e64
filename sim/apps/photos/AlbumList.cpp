// PUAlbumListViewController: the full list of albums ("See All": My Albums
// as the data source manager lists it, the camera roll first), or of a folder's
// (-setCollectionList:), two tiles to a row, with edit mode (delete buttons and the stock confirmation), and
// the same list as the album picker: shown with a banner for photos chosen
// in an album grid, a tap on an album adds them to it and closes.

#include "sim/apps/host/Views.h"
#include "sim/apps/photos/Photos.h"
#include "sim/dispatch/Queue.h"
#include "sim/foundation/NSIndexPath.h"
#include "sim/foundation/SystemLog.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIViewController.h"

#include <cmath>

namespace photosapp {

using namespace uikit;
using rt::Ref;
namespace views = apps::views;

namespace {

rt::Class* g_list = nullptr;
constexpr double kBanner = 64;

class ListObject : public ControllerObject {
public:
    using ControllerObject::ControllerObject;
    UICollectionView collectionView;
    UIView banner;
    UIBarButtonItem editItem;
    std::vector<PHCollection> items;
    std::vector<std::string> names;
    bool editing = false;
    bool picker = false;
    PHCollectionList folder;           // the folder listed; none: the top list
    std::vector<PHAsset> pickerAssets; // what the picker adds
    rt::Weak<rt::Object> pickerSource; // the grid the photos were chosen in
};

// What the list answers about itself, for its own code.
struct PUAlbumListViewController : UIViewController {
    RT_FACE(PUAlbumListViewController, UIViewController)
    PUAlbumListViewController initForPickingAssets_sourceViewController(const std::vector<PHAsset>& assets,
                                                                        const UIViewController& source) const {
        return msg<PUAlbumListViewController>("initForPickingAssets:sourceViewController:"_sel, assets, source);
    }
    void setCollectionList(const PHCollectionList& folder) const { msg("setCollectionList:"_sel, folder); }
    bool showPeople() const { return msg<bool>("showPeople"_sel); }
    bool showPlaces() const { return msg<bool>("showPlaces"_sel); }
    std::string titleForCollection(const PHCollection& c) const {
        return msg<std::string>("titleForCollection:"_sel, c);
    }
    std::string subtitleForCollection(const PHCollection& c) const {
        return msg<std::string>("subtitleForCollection:"_sel, c);
    }
    void didSelectItemAtIndexPath(const fnd::NSIndexPath& path) const { msg("didSelectItemAtIndexPath:"_sel, path); }
    void setEditing_animated(bool editing, bool animated) const { msg("setEditing:animated:"_sel, editing, animated); }
    void reloadContentView() const { msg("reloadContentView"_sel); }
    void _handleDoneButton(const rt::NSObject& sender) const { msg("_handleDoneButton:"_sel, sender); }
    PUAlbumListCell collectionView_cellForItemAtIndexPath(const UICollectionView& cv,
                                                          const fnd::NSIndexPath& path) const {
        return msg<PUAlbumListCell>("collectionView:cellForItemAtIndexPath:"_sel, cv, path);
    }
};

double tileWidthInList() { return std::floor((screenModel().size.width - 48) / 2); }

void reloadItems(ListObject* self) {
    self->items.clear();
    self->names.clear();
    PUAlbumListViewController me(self);
    // My Albums starts with the camera roll (a target the picker leaves disabled).
    for (const PHCollection& c : listedCollections(self->folder)) {
        self->items.push_back(c);
        self->names.push_back(c.localizedTitle());
    }
    if (!self->picker && !self->folder) {
        if (me.showPeople()) {
            self->items.push_back(nullptr);
            self->names.push_back("People");
        }
        if (me.showPlaces()) {
            self->items.push_back(
                PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
                    photos::PHAssetCollectionTypeSmartAlbum, photos::PHAssetCollectionSubtypeSmartAlbumPlaces, nullptr)
                    .firstObject());
            self->names.push_back("Places");
        }
    }
}

PHCollection itemAt(ListObject* self, const fnd::NSIndexPath& path) {
    auto i = static_cast<std::size_t>(path.item());
    return i < self->items.size() ? self->items[i] : nullptr;
}

PHCollectionList collectionList(ListObject* self, rt::Sel) { return self->folder; }
void setCollectionList(ListObject* self, rt::Sel, PHCollectionList folder) {
    self->folder = std::move(folder);
    if (self->folder) UIViewController(self).setTitle(self->folder.localizedTitle());
}

Ref<rt::Object> initPicker(ListObject* self, rt::Sel, std::vector<PHAsset> assets, Ref<rt::Object> source) {
    self->picker = true;
    self->pickerAssets = std::move(assets);
    self->pickerSource = source.get();
    return Ref<rt::Object>(self);
}

UIView makeBanner(double width, std::size_t photos) {
    UIView banner = views::box({{0, 0}, {width, kBanner}}, views::kGroupedBackground, "PUPickerBannerView");
    banner.addSubview(
        views::label({{16, 10}, {width - 32, 24}}, "Add to Album", 17, views::kBlack, NSTextAlignmentCenter, true));
    banner.addSubview(views::label({{16, 34}, {width - 32, 20}},
                                   std::to_string(photos) + (photos == 1 ? " photo" : " photos"), 14,
                                   views::kSecondaryText, NSTextAlignmentCenter));
    return banner;
}

void loadList(ListObject* self, rt::Sel) {
    UIViewController me(self);
    CGSize screen = screenModel().size;
    UIView view = views::box({{0, 0}, screen}, views::kWhite);
    if (self->picker) {
        self->banner = makeBanner(screen.width, self->pickerAssets.size());
        view.addSubview(self->banner);
    }
    double w = tileWidthInList(), top = self->picker ? kBanner : 0;
    self->collectionView = views::collectionView({{16, top}, {screen.width - 32, screen.height - top}},
                                                 {{w, tileHeight(w)}, 16, 16}, "PUAlbumListCell");
    view.addSubview(self->collectionView);
    me.setView(view);
    if (!self->folder) me.setTitle("Albums");
    self->editItem = UIBarButtonItem::alloc().initWithTitle_style_target_action(
        self->picker ? "Cancel" : "Edit", UIBarButtonItemStylePlain, me,
        rt::sel(self->picker ? "_handleDoneButton:" : "_editTapped:"));
    me.navigationItem().setRightBarButtonItem(self->editItem);
    self->collectionView.setDataSource(me);
    self->collectionView.setDelegate(me);
    observeLibrary(me);
}

// The list fills the view below the banner.
void didLayoutSubviews(ListObject* self, rt::Sel) {
    if (!self->collectionView || !self->view) return;
    CGRect b = UIView(self->view).bounds();
    double top = self->banner ? kBanner : 0;
    self->collectionView.setFrame({{16, top}, {b.size.width - 32, b.size.height - top}});
}

void willAppear(ListObject* self, rt::Sel, bool) {
    reloadItems(self);
    self->collectionView.reloadData();
}
void reloadContentView(ListObject* self, rt::Sel) {
    reloadItems(self);
    self->collectionView.reloadData();
}

long count(ListObject* self, rt::Sel, Ref<rt::Object>, long) { return static_cast<long>(self->items.size()); }

UICollectionViewCell cellFor(ListObject* self, rt::Sel, UICollectionView cv, fnd::NSIndexPath path) {
    PUAlbumListViewController me(self);
    PUAlbumListCell cell(makeTileCell(cv, path));
    auto i = static_cast<std::size_t>(path.item());
    if (i >= self->items.size()) return cell;
    const PHCollection& c = self->items[i];
    std::string title = c ? me.titleForCollection(c) : self->names[i];
    std::string subtitle = c ? me.subtitleForCollection(c) : "";
    PUAlbumListCellContentView tile = cell.albumListCellContentView();
    configureTile(tile, c, title, subtitle);
    tile.setDelegate(me);
    tile.setEditing_animated(self->editing, false);
    // The picker takes photos into a user's albums only.
    tile.setEnabled(!self->picker || isRegularAlbum(c) || isFolder(c));
    return cell;
}

bool shouldSelect(ListObject* self, rt::Sel, Ref<rt::Object>, fnd::NSIndexPath path) {
    if (self->editing) return false;
    PUAlbumListCell cell(self->collectionView.cellForItemAtIndexPath(path));
    PUAlbumListCellContentView tile = cell ? cell.albumListCellContentView() : nullptr;
    return !tile || tile.isEnabled();
}
void delegateSelect(ListObject* self, rt::Sel, Ref<rt::Object>, fnd::NSIndexPath path) {
    PUAlbumListViewController(self).didSelectItemAtIndexPath(path);
}

// Stock selection: the picker adds its photos to the album and closes;
// otherwise the album opens.
void didSelect(ListObject* self, rt::Sel, fnd::NSIndexPath path) {
    using namespace photos;
    PUAlbumListViewController me(self);
    PHCollection album = itemAt(self, path);
    if (!album) return;
    if (!self->picker) return openAlbum(me, album);
    if (isFolder(album)) { // the picker goes on inside the folder
        auto inner = PUAlbumListViewController(rt::sendClass<Ref<rt::Object>>(g_list, "alloc"_sel))
                         .initForPickingAssets_sourceViewController(self->pickerAssets, self->pickerSource.load());
        inner.setCollectionList(album.as<PHCollectionList>());
        me.navigationController().pushViewController_animated(inner, true);
        return;
    }
    if (!isRegularAlbum(album)) return;
    std::vector<PHAsset> assets = self->pickerAssets;
    PHAssetCollection target = album.as<PHAssetCollection>();
    PHPhotoLibrary::sharedPhotoLibrary().performChanges_completionHandler([target, assets] {
        PHAssetCollectionChangeRequest::changeRequestForAssetCollection(target).addAssets(assets);
    });
    me._handleDoneButton(nullptr);
}

// The tile of an index path: the visible one, or one made for it now.
PUAlbumListCellContentView preparedTile(ListObject* self, rt::Sel, fnd::NSIndexPath path) {
    PUAlbumListCell cell(self->collectionView.cellForItemAtIndexPath(path));
    if (!cell) cell = PUAlbumListViewController(self).collectionView_cellForItemAtIndexPath(self->collectionView, path);
    PUAlbumListCellContentView tile = cell ? cell.albumListCellContentView() : nullptr;
    if (tile) cell.layoutIfNeeded();
    return tile;
}
PUAlbumListCellContentView visibleTile(ListObject* self, rt::Sel, fnd::NSIndexPath path) {
    PUAlbumListCell cell(self->collectionView.cellForItemAtIndexPath(path));
    return cell ? cell.albumListCellContentView() : nullptr;
}

void scrollWillBeginDragging(ListObject* self, rt::Sel, Ref<rt::Object>) {
    if (self->view) UIView(self->view).endEditing(true);
}

void setEditing(ListObject* self, rt::Sel, bool editing, bool animated) {
    self->editing = editing;
    if (self->editItem) self->editItem.setTitle(editing ? "Done" : "Edit");
    if (UINavigationController nav = UIViewController(self).navigationController())
        rt::send(nav, "_updateNavigationBar"_sel);
    for (const UICollectionViewCell& cell : self->collectionView.visibleCells())
        PUAlbumListCell(cell).albumListCellContentView().setEditing_animated(editing, animated);
}
void editTapped(ListObject* self, rt::Sel, Ref<rt::Object>) {
    PUAlbumListViewController(self).setEditing_animated(!self->editing, true);
}

// The stock delete: a confirmation, then the album goes (its photos stay).
void performDelete(ListObject* self, rt::Sel, PUAlbumListCellContentView tile, Ref<rt::Object> action) {
    using namespace photos;
    PHAssetCollection album = rt::send<PHAssetCollection>(action, "collection"_sel);
    std::string title = tile.title();
    PUAlbumListViewController me(self);
    presentSheet(me, "",
                 "Are you sure you want to delete the album \u201c" + title + "\u201d? The photos will not be deleted.",
                 UIAlertControllerStyleActionSheet,
                 {{"Delete Album", UIAlertActionStyleDestructive,
                   [me, album] {
                       PHPhotoLibrary::sharedPhotoLibrary().performChanges_completionHandler(
                           [album] { PHAssetCollectionChangeRequest::deleteAssetCollections({album}); },
                           [me](bool, NSError) { dsp::mainQueue().async([me] { me.reloadContentView(); }); });
                   }},
                  {"Cancel", UIAlertActionStyleCancel, nullptr}},
                 tile);
}

// The picker closes; the grid it came from leaves selection.
void handleDone(ListObject* self, rt::Sel, Ref<rt::Object>) {
    UIViewController me(self);
    UINavigationController nav = me.navigationController();
    UIViewController presented = nav ? nav : me;
    if (UIViewController presenter = presented.presentingViewController())
        presenter.dismissViewControllerAnimated_completion(true);
    if (Ref<rt::Object> source = self->pickerSource.load()) rt::send(source, "setEditing:animated:"_sel, false, true);
}

UIView pickerBanner(ListObject* self, rt::Sel) { return self->banner; }
UICollectionView listCollectionView(ListObject* self, rt::Sel) { return self->collectionView; }
bool wantsTabBar(ListObject* self, rt::Sel) { return !self->picker; }

} // namespace

void defineAlbumList() {
    g_list = rt::defineClass("PUAlbumListViewController", UIViewController::cls(), rt::factoryOf<ListObject>);
    rt::Class* c = g_list;
    rt::addMethod<&initPicker>(c, "initForPickingAssets:sourceViewController:"_sel);
    rt::addMethod<&collectionList>(c, "collectionList"_sel);
    rt::addMethod<&setCollectionList>(c, "setCollectionList:"_sel);
    rt::addMethod<&loadList>(c, "loadView"_sel);
    rt::addMethod<&didLayoutSubviews>(c, "viewDidLayoutSubviews"_sel);
    rt::addMethod<&willAppear>(c, "viewWillAppear:"_sel);
    rt::addMethod<&reloadContentView>(c, "reloadContentView"_sel);
    rt::addMethod<&libraryDidChangeOnMain>(c, "photoLibraryDidChange:"_sel);
    rt::addMethod<&reloadContentView>(c, "_libraryDidChange"_sel);
    rt::addMethod<&count>(c, "collectionView:numberOfItemsInSection:"_sel);
    rt::addMethod<&cellFor>(c, "collectionView:cellForItemAtIndexPath:"_sel);
    rt::addMethod<&shouldSelect>(c, "collectionView:shouldSelectItemAtIndexPath:"_sel);
    rt::addMethod<&delegateSelect>(c, "collectionView:didSelectItemAtIndexPath:"_sel);
    rt::addMethod<&didSelect>(c, "didSelectItemAtIndexPath:"_sel);
    rt::addMethod<&preparedTile>(c, "_preparedAlbumListCellContentViewAtIndexPath:"_sel);
    rt::addMethod<&visibleTile>(c, "visibleAlbumListCellContentViewAtIndexPath:"_sel);
    rt::addMethod<&scrollWillBeginDragging>(c, "scrollViewWillBeginDragging:"_sel);
    rt::addMethod<&setEditing>(c, "setEditing:animated:"_sel);
    rt::addMethod<&editTapped>(c, "_editTapped:"_sel);
    rt::addMethod<&performDelete>(c, "albumListCellContentView:performDeleteAction:"_sel);
    rt::addMethod<&handleDone>(c, "_handleDoneButton:"_sel);
    rt::addMethod<&pickerBanner>(c, "_pickerBannerView"_sel);
    rt::addMethod<&listCollectionView>(c, "collectionView"_sel);
    rt::addMethod<&answerYes>(c, "showPeople"_sel);
    rt::addMethod<&answerYes>(c, "showPlaces"_sel);
    rt::addMethod<&answerNo>(c, "alwaysHideTabBar"_sel);
    rt::addMethod<&wantsTabBar>(c, "pu_wantsTabBarVisible"_sel);
    rt::addMethod<&stockTitle>(c, "titleForCollection:"_sel);
    rt::addMethod<&stockSubtitle>(c, "subtitleForCollection:"_sel);
    rt::defineClass("PUPickerBannerView", rt::getClass("UIView"));
}

} // namespace photosapp
