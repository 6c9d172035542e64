// PUAlbumListViewController: the full list of albums ("See All"), or of a
// folder's (-setCollectionList:), two tiles to a row, with edit mode (delete buttons and the stock confirmation), and
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

using rt::Ref;
using namespace rt::literals;
namespace views = apps::views;

namespace {

rt::Class* g_list = nullptr;
constexpr double kBanner = 64;

class ListObject : public uikit::ControllerObject {
public:
    using ControllerObject::ControllerObject;
    Ref<rt::Object> collectionView, banner, editItem;
    Objects items;
    std::vector<std::string> names;
    bool editing = false;
    bool picker = false;
    Ref<rt::Object> folder;            // the folder listed; none: the top list
    Objects pickerAssets;              // what the picker adds
    rt::Weak<rt::Object> pickerSource; // the grid the photos were chosen in
};

double tileWidthInList() { return std::floor((uikit::screenModel().size.width - 48) / 2); }

void reloadItems(ListObject* self) {
    self->items.clear();
    self->names.clear();
    Ref<rt::Object> me(self);
    for (const auto& c : listedCollections(self->folder)) {
        self->items.push_back(c);
        self->names.push_back(rt::send<std::string>(c, "localizedTitle"_sel));
    }
    if (!self->picker && !self->folder) {
        if (rt::send<bool>(me, "showPeople"_sel)) {
            self->items.push_back(nullptr);
            self->names.push_back("People");
        }
        if (rt::send<bool>(me, "showPlaces"_sel)) {
            auto r = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                                    "fetchAssetCollectionsWithType:subtype:options:"_sel,
                                                    photos::PHAssetCollectionTypeSmartAlbum, 1000000203L, Ref<rt::Object>());
            self->items.push_back(rt::send<Ref<rt::Object>>(r, "firstObject"_sel));
            self->names.push_back("Places");
        }
    }
}

Ref<rt::Object> itemAt(ListObject* self, const Ref<rt::Object>& path) {
    auto i = static_cast<std::size_t>(rt::send<long>(path, "item"_sel));
    return i < self->items.size() ? self->items[i] : nullptr;
}

Ref<rt::Object> collectionList(ListObject* self, rt::Sel) { return self->folder; }
void setCollectionList(ListObject* self, rt::Sel, Ref<rt::Object> folder) {
    self->folder = std::move(folder);
    if (self->folder)
        rt::send(Ref<rt::Object>(self), "setTitle:"_sel, rt::send<std::string>(self->folder, "localizedTitle"_sel));
}

Ref<rt::Object> initPicker(ListObject* self, rt::Sel, Objects assets, Ref<rt::Object> source) {
    self->picker = true;
    self->pickerAssets = std::move(assets);
    self->pickerSource = source.get();
    return Ref<rt::Object>(self);
}

void loadList(ListObject* self, rt::Sel) {
    Ref<rt::Object> me(self);
    gfx::CGSize screen = uikit::screenModel().size;
    auto view = views::box({{0, 0}, screen}, views::kWhite);
    if (self->picker) {
        self->banner = views::box({{0, 0}, {screen.width, kBanner}}, views::kGroupedBackground, "PUPickerBannerView");
        views::add(self->banner,
                   views::label({{16, 10}, {screen.width - 32, 24}}, "Add to Album", 17, views::kBlack, 1, true));
        std::size_t n = self->pickerAssets.size();
        views::add(self->banner,
                   views::label({{16, 34}, {screen.width - 32, 20}},
                                std::to_string(n) + (n == 1 ? " photo" : " photos"), 14, views::kSecondaryText, 1));
        views::add(view, self->banner);
    }
    double w = tileWidthInList(), top = self->picker ? kBanner : 0;
    self->collectionView = views::collectionView({{16, top}, {screen.width - 32, screen.height - top}},
                                                 {{w, tileHeight(w)}, 16, 16, 0}, "PUAlbumListCell");
    views::add(view, self->collectionView);
    rt::send(me, "setView:"_sel, view);
    if (!self->folder) rt::send(me, "setTitle:"_sel, std::string("Albums"));
    self->editItem = rt::send<Ref<rt::Object>>(
        rt::sendClass<Ref<rt::Object>>(rt::getClass("UIBarButtonItem"), "alloc"_sel),
        "initWithTitle:style:target:action:"_sel, std::string(self->picker ? "Cancel" : "Edit"), 0L, me,
        rt::sel(self->picker ? "_handleDoneButton:" : "_editTapped:"));
    rt::send(rt::send<Ref<rt::Object>>(me, "navigationItem"_sel), "setRightBarButtonItem:"_sel, self->editItem);
    rt::send(self->collectionView, "setDataSource:"_sel, me);
    rt::send(self->collectionView, "setDelegate:"_sel, me);
    observeLibrary(me);
}

// The list fills the view below the banner.
void didLayoutSubviews(ListObject* self, rt::Sel) {
    if (!self->collectionView || !self->view) return;
    gfx::CGRect b = rt::send<gfx::CGRect>(self->view, "bounds"_sel);
    double top = self->banner ? kBanner : 0;
    rt::send(self->collectionView, "setFrame:"_sel, gfx::CGRect{{16, top}, {b.size.width - 32, b.size.height - top}});
}

void willAppear(ListObject* self, rt::Sel, bool) {
    reloadItems(self);
    rt::send(self->collectionView, "reloadData"_sel);
}
void reloadContentView(ListObject* self, rt::Sel) {
    reloadItems(self);
    rt::send(self->collectionView, "reloadData"_sel);
}

long count(ListObject* self, rt::Sel, Ref<rt::Object>, long) { return static_cast<long>(self->items.size()); }

Ref<rt::Object> cellFor(ListObject* self, rt::Sel, Ref<rt::Object> cv, Ref<rt::Object> path) {
    Ref<rt::Object> me(self);
    auto cell = makeTileCell(cv, path);
    auto i = static_cast<std::size_t>(rt::send<long>(path, "item"_sel));
    if (i >= self->items.size()) return cell;
    const Ref<rt::Object>& c = self->items[i];
    std::string title = c ? rt::send<std::string>(me, "titleForCollection:"_sel, c) : self->names[i];
    std::string subtitle = c ? rt::send<std::string>(me, "subtitleForCollection:"_sel, c) : "";
    auto tile = rt::send<Ref<rt::Object>>(cell, "albumListCellContentView"_sel);
    configureTile(tile, c, title, subtitle);
    rt::send(tile, "setDelegate:"_sel, me);
    rt::send(tile, "setEditing:animated:"_sel, self->editing, false);
    // The picker takes photos into a user's albums only.
    rt::send(tile, "setEnabled:"_sel, !self->picker || isRegularAlbum(c) || isFolder(c));
    return cell;
}

bool shouldSelect(ListObject* self, rt::Sel, Ref<rt::Object>, Ref<rt::Object> path) {
    if (self->editing) return false;
    auto cell = rt::send<Ref<rt::Object>>(self->collectionView, "cellForItemAtIndexPath:"_sel, path);
    auto tile = cell ? rt::send<Ref<rt::Object>>(cell, "albumListCellContentView"_sel) : nullptr;
    return !tile || rt::send<bool>(tile, "isEnabled"_sel);
}
void delegateSelect(ListObject* self, rt::Sel, Ref<rt::Object>, Ref<rt::Object> path) {
    rt::send(Ref<rt::Object>(self), "didSelectItemAtIndexPath:"_sel, path);
}

// Stock selection: the picker adds its photos to the album and closes;
// otherwise the album opens.
void didSelect(ListObject* self, rt::Sel, Ref<rt::Object> path) {
    Ref<rt::Object> album = itemAt(self, path);
    if (!album) return;
    if (!self->picker) return openAlbum(Ref<rt::Object>(self), album);
    if (isFolder(album)) { // the picker goes on inside the folder
        auto inner = rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(g_list, "alloc"_sel),
                                               "initForPickingAssets:sourceViewController:"_sel, self->pickerAssets,
                                               self->pickerSource.load());
        rt::send(inner, "setCollectionList:"_sel, album);
        rt::send(rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "navigationController"_sel),
                 "pushViewController:animated:"_sel, inner, true);
        return;
    }
    if (!isRegularAlbum(album)) return;
    Objects assets = self->pickerAssets;
    auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
    rt::send(library, "performChanges:completionHandler:"_sel, rt::Block<void()>([album, assets] {
                 auto r = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                                         "changeRequestForAssetCollection:"_sel, album);
                 rt::send(r, "addAssets:"_sel, assets);
             }),
             rt::Block<void(bool, Ref<rt::Object>)>());
    rt::send(Ref<rt::Object>(self), "_handleDoneButton:"_sel, Ref<rt::Object>());
}

// The tile of an index path: the visible one, or one made for it now.
Ref<rt::Object> preparedTile(ListObject* self, rt::Sel, Ref<rt::Object> path) {
    auto cell = rt::send<Ref<rt::Object>>(self->collectionView, "cellForItemAtIndexPath:"_sel, path);
    if (!cell)
        cell = rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "collectionView:cellForItemAtIndexPath:"_sel,
                                         self->collectionView, path);
    auto tile = cell ? rt::send<Ref<rt::Object>>(cell, "albumListCellContentView"_sel) : nullptr;
    if (tile) rt::send(cell, "layoutIfNeeded"_sel);
    return tile;
}
Ref<rt::Object> visibleTile(ListObject* self, rt::Sel, Ref<rt::Object> path) {
    auto cell = rt::send<Ref<rt::Object>>(self->collectionView, "cellForItemAtIndexPath:"_sel, path);
    return cell ? rt::send<Ref<rt::Object>>(cell, "albumListCellContentView"_sel) : nullptr;
}

void scrollWillBeginDragging(ListObject* self, rt::Sel, Ref<rt::Object>) {
    if (self->view) rt::send<bool>(self->view, "endEditing:"_sel, true);
}

void setEditing(ListObject* self, rt::Sel, bool editing, bool animated) {
    self->editing = editing;
    if (self->editItem) rt::send(self->editItem, "setTitle:"_sel, std::string(editing ? "Done" : "Edit"));
    if (auto nav = rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "navigationController"_sel))
        rt::send(nav, "_updateNavigationBar"_sel);
    for (const auto& cell : rt::send<Objects>(self->collectionView, "visibleCells"_sel))
        rt::send(rt::send<Ref<rt::Object>>(cell, "albumListCellContentView"_sel), "setEditing:animated:"_sel, editing,
                 animated);
}
void editTapped(ListObject* self, rt::Sel, Ref<rt::Object>) {
    rt::send(Ref<rt::Object>(self), "setEditing:animated:"_sel, !self->editing, true);
}

// The stock delete: a confirmation, then the album goes (its photos stay).
void performDelete(ListObject* self, rt::Sel, Ref<rt::Object> tile, Ref<rt::Object> action) {
    auto album = rt::send<Ref<rt::Object>>(action, "collection"_sel);
    std::string title = rt::send<std::string>(tile, "title"_sel);
    Ref<rt::Object> me(self);
    presentSheet(
        me, "", "Are you sure you want to delete the album \u201c" + title + "\u201d? The photos will not be deleted.",
        uikit::UIAlertControllerStyleActionSheet,
        {{"Delete Album", 2,
          [me, album] {
              auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
              rt::send(library, "performChanges:completionHandler:"_sel, rt::Block<void()>([album] {
                           rt::sendClass(rt::getClass("PHAssetCollectionChangeRequest"), "deleteAssetCollections:"_sel,
                                         Objects{album});
                       }),
                       rt::Block<void(bool, Ref<rt::Object>)>([me](bool, Ref<rt::Object>) {
                           dsp::mainQueue().async([me] { rt::send(me, "reloadContentView"_sel); });
                       }));
          }},
         {"Cancel", uikit::UIAlertActionStyleCancel, nullptr}},
        tile);
}

// The picker closes; the grid it came from leaves selection.
void handleDone(ListObject* self, rt::Sel, Ref<rt::Object>) {
    Ref<rt::Object> me(self);
    auto nav = rt::send<Ref<rt::Object>>(me, "navigationController"_sel);
    Ref<rt::Object> presented = nav ? nav : me;
    if (auto presenter = rt::send<Ref<rt::Object>>(presented, "presentingViewController"_sel))
        rt::send(presenter, "dismissViewControllerAnimated:completion:"_sel, true, rt::Block<void()>());
    if (Ref<rt::Object> source = self->pickerSource.load()) rt::send(source, "setEditing:animated:"_sel, false, true);
}

Ref<rt::Object> pickerBanner(ListObject* self, rt::Sel) { return self->banner; }
Ref<rt::Object> listCollectionView(ListObject* self, rt::Sel) { return self->collectionView; }
bool wantsTabBar(ListObject* self, rt::Sel) { return !self->picker; }

} // namespace

void defineAlbumList() {
    g_list = rt::defineClass("PUAlbumListViewController", rt::getClass("UIViewController"), rt::factoryOf<ListObject>);
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
