// Grids of photos: PUPhotosGridViewController (four to a row, with
// selection: "Select", then "Add To", "Remove from Album" or "Delete" in the
// toolbar), PUPhotosAlbumViewController (an album's grid, given its
// collection), PUZoomableGridViewController (the Photos tab, the camera
// roll), and PUDeletePhotosActionController (the delete with its
// confirmation).

#include "sim/apps/host/Views.h"
#include "sim/apps/photos/Photos.h"
#include "sim/dispatch/Queue.h"
#include "sim/foundation/Dates.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UICollectionView.h"
#include "sim/uikit/UILabel.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIViewController.h"

#include <cmath>
#include <set>

namespace photosapp {

using rt::Ref;
using namespace rt::literals;
namespace views = apps::views;

namespace {

rt::Class* g_grid = nullptr;
rt::Class* g_album = nullptr;
rt::Class* g_delete = nullptr;
rt::Class* g_gridCell = nullptr;
constexpr double kHeader = 30, kToolbar = 49;

class GridObject : public uikit::ControllerObject {
public:
    using ControllerObject::ControllerObject;
    Ref<rt::Object> collection, assets, collectionView, header, toolbar, selectItem;
    bool selecting = false, scrolledOnce = false;
    std::set<long> selected;
};

class DeleteObject : public rt::Object {
public:
    using Object::Object;
    Objects assets;
};

GridObject* gridOf(rt::Id o) { return rt::objectAs<GridObject>(o, g_grid); }

void reloadAssets(GridObject* g) {
    g->assets = g->collection ? assetsOf(g->collection) : nullptr;
    g->selected.clear();
    if (g->collectionView) rt::send(g->collectionView, "reloadData"_sel);
}

Ref<rt::Object> assetAt(GridObject* g, long i) {
    return g->assets ? rt::send<Ref<rt::Object>>(g->assets, "objectAtIndex:"_sel, static_cast<unsigned long>(i))
                     : nullptr;
}

std::string dayOf(double sinceReference) { return fnd::formatDate(sinceReference).substr(0, 10); }

// The toolbar of selection: what the chosen photos can do here.
void buildToolbar(GridObject* g) {
    gfx::CGSize screen = uikit::screenModel().size;
    Ref<rt::Object> me(g);
    g->toolbar = views::box({{0, 0}, {screen.width, kToolbar}}, {0.97, 0.97, 0.97, 1}, "UIToolbar");
    std::vector<std::pair<std::string, const char*>> buttons{{"Add To", "_addToTapped:"}};
    if (isRegularAlbum(g->collection))
        buttons.emplace_back("Remove from Album", "_removeTapped:");
    else
        buttons.emplace_back("Delete", "_deleteTapped:");
    double w = screen.width / static_cast<double>(buttons.size());
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        auto b = views::label({{w * static_cast<double>(i), 0}, {w, kToolbar}}, buttons[i].first, 17,
                              i == 0 ? views::kSystemBlue : uikit::Rgba{1, 0.23, 0.19, 1}, 1);
        rt::send(b, "setAccessibilityLabel:"_sel, buttons[i].first);
        views::onTap(b, me, buttons[i].second);
        views::add(g->toolbar, b);
    }
    rt::send(g->toolbar, "setHidden:"_sel, true);
}

void gridWillAppear(GridObject* self, rt::Sel, bool);

void loadGrid(GridObject* self, rt::Sel) {
    Ref<rt::Object> me(self);
    gfx::CGSize screen = uikit::screenModel().size;
    auto view = views::box({{0, 0}, screen}, views::kWhite);
    self->header = views::label({{16, 4}, {screen.width - 32, 22}}, "", 15, views::kBlack, 0, true);
    views::add(view, self->header);
    double side = std::floor((screen.width - 3) / 4);
    self->collectionView = views::collectionView({{0, kHeader}, {screen.width, screen.height - kHeader}},
                                                 {{side, side}, 1, 1, 0}, "PUPhotosGridCell");
    views::add(view, self->collectionView);
    buildToolbar(self);
    views::add(view, self->toolbar);
    rt::send(me, "setView:"_sel, view);
    self->selectItem = rt::send<Ref<rt::Object>>(
        rt::sendClass<Ref<rt::Object>>(rt::getClass("UIBarButtonItem"), "alloc"_sel),
        "initWithTitle:style:target:action:"_sel, std::string("Select"), 0L, me, rt::sel("_selectTapped:"));
    rt::send(rt::send<Ref<rt::Object>>(me, "navigationItem"_sel), "setRightBarButtonItem:"_sel, self->selectItem);
    rt::send(self->collectionView, "setDataSource:"_sel, me);
    rt::send(self->collectionView, "setDelegate:"_sel, me);
    observeLibrary(me);
}

// What the grid shows follows the library (a delete, a removal, an add).
void gridLibraryDidChange(GridObject* self, rt::Sel) {
    if (self->view) gridWillAppear(self, nullptr, false);
}

// The grid fills the view under its header; the toolbar sits at the foot.
void gridDidLayout(GridObject* self, rt::Sel) {
    if (!self->view || !self->collectionView) return;
    gfx::CGRect b = rt::send<gfx::CGRect>(self->view, "bounds"_sel);
    bool headers = rt::send<bool>(Ref<rt::Object>(self), "shouldShowSectionHeaders"_sel);
    rt::send(self->header, "setHidden:"_sel, !headers);
    double top = headers ? kHeader : 0;
    rt::send(self->collectionView, "setFrame:"_sel, gfx::CGRect{{0, top}, {b.size.width, b.size.height - top}});
    rt::send(self->toolbar, "setFrame:"_sel, gfx::CGRect{{0, b.size.height - kToolbar}, {b.size.width, kToolbar}});
}

void gridWillAppear(GridObject* self, rt::Sel, bool) {
    reloadAssets(self);
    unsigned long n = countOf(self->assets);
    std::string text;
    if (n > 0) {
        std::string first = dayOf(rt::send<fnd::Date>(assetAt(self, 0), "creationDate"_sel).sinceReferenceDate);
        std::string last =
            dayOf(rt::send<fnd::Date>(assetAt(self, static_cast<long>(n) - 1), "creationDate"_sel).sinceReferenceDate);
        text = first == last ? first : first + " \u2013 " + last;
    }
    rt::send(self->header, "setText:"_sel, text);
    gridDidLayout(self, nullptr);
    // Opening at the end shows the newest photos first.
    if (!self->scrolledOnce && rt::send<bool>(Ref<rt::Object>(self), "initiallyScrolledToBottom"_sel)) {
        rt::send(self->collectionView, "layoutIfNeeded"_sel);
        gfx::CGSize content = rt::send<gfx::CGSize>(self->collectionView, "contentSize"_sel);
        gfx::CGRect frame = rt::send<gfx::CGRect>(self->collectionView, "frame"_sel);
        rt::send(self->collectionView, "setContentOffset:"_sel,
                 gfx::CGPoint{0, std::max(0.0, content.height - frame.size.height)});
    }
    self->scrolledOnce = true;
}

long itemCount(GridObject* self, rt::Sel, Ref<rt::Object>, long) { return static_cast<long>(countOf(self->assets)); }

Ref<rt::Object> gridCell(GridObject* self, rt::Sel, Ref<rt::Object> cv, Ref<rt::Object> path) {
    auto cell = rt::send<Ref<rt::Object>>(cv, "dequeueReusableCellWithReuseIdentifier:forIndexPath:"_sel,
                                          std::string("PUPhotosGridCell"), path);
    long i = rt::send<long>(path, "item"_sel);
    auto content = rt::send<Ref<rt::Object>>(cell, "contentView"_sel);
    for (const auto& sub : rt::send<Objects>(content, "subviews"_sel))
        rt::send(sub, "removeFromSuperview"_sel);
    gfx::CGSize size = rt::send<gfx::CGRect>(cell, "frame"_sel).size;
    auto image = uikit::makeView({{0, 0}, size}, rt::getClass("UIImageView"));
    rt::send(image, "setContentMode:"_sel, uikit::UIViewContentModeScaleAspectFill);
    rt::send(image, "setClipsToBounds:"_sel, true);
    rt::send(image, "setImage:"_sel, photos::requestImageNow(assetAt(self, i), {size.width * 2, size.height * 2}, 1L));
    rt::send(image, "setAccessibilityLabel:"_sel, "Photo " + std::to_string(i + 1));
    views::add(content, image);
    if (self->selected.count(i)) {
        auto check = views::box({{size.width - 26, size.height - 26}, {22, 22}}, views::kSystemBlue);
        views::round(check, 11, false);
        views::add(check, views::label({{0, 0}, {22, 22}}, "\u2713", 14, views::kWhite, 1, true));
        views::add(content, check);
    }
    return cell;
}

// A tap chooses a photo while selecting, and opens it otherwise.
void gridSelect(GridObject* self, rt::Sel, Ref<rt::Object> cv, Ref<rt::Object> path) {
    long i = rt::send<long>(path, "item"_sel);
    if (self->selecting) {
        if (!self->selected.erase(i)) self->selected.insert(i);
        rt::send(cv, "reloadData"_sel);
        return;
    }
    auto viewer =
        rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("PUOneUpViewController"), "alloc"_sel),
                                  "initWithAsset:"_sel, assetAt(self, i));
    if (auto nav = rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "navigationController"_sel))
        rt::send(nav, "pushViewController:animated:"_sel, viewer, true);
}

void setEditing(GridObject* self, rt::Sel, bool editing, bool) {
    self->selecting = editing;
    self->selected.clear();
    if (self->selectItem) rt::send(self->selectItem, "setTitle:"_sel, std::string(editing ? "Cancel" : "Select"));
    if (self->toolbar) rt::send(self->toolbar, "setHidden:"_sel, !editing);
    if (self->collectionView) rt::send(self->collectionView, "reloadData"_sel);
    Ref<rt::Object> me(self);
    if (auto nav = rt::send<Ref<rt::Object>>(me, "navigationController"_sel)) rt::send(nav, "_updateNavigationBar"_sel);
    updateTabBarFor(me);
}
void selectTapped(GridObject* self, rt::Sel, Ref<rt::Object>) {
    rt::send(Ref<rt::Object>(self), "setEditing:animated:"_sel, !self->selecting, true);
}

Objects selectedAssets(GridObject* self, rt::Sel) {
    Objects out;
    for (long i : self->selected)
        out.push_back(assetAt(self, i));
    return out;
}
bool wantsTabBar(GridObject* self, rt::Sel) { return !self->selecting; }
Ref<rt::Object> assetCollection(GridObject* self, rt::Sel) { return self->collection; }
Ref<rt::Object> gridCollectionView(GridObject* self, rt::Sel) { return self->collectionView; }

// "Add To": the album picker, over everything, for the chosen photos.
void addToTapped(GridObject* self, rt::Sel, Ref<rt::Object>) {
    Ref<rt::Object> me(self);
    Objects chosen = rt::send<Objects>(me, "selectedAssets"_sel);
    if (chosen.empty()) return;
    auto picker = rt::send<Ref<rt::Object>>(
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PUAlbumListViewController"), "alloc"_sel),
        "initForPickingAssets:sourceViewController:"_sel, chosen, me);
    auto nav =
        rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("PUNavigationController"), "alloc"_sel),
                                  "initWithRootViewController:"_sel, picker);
    Ref<rt::Object> presenter = rt::send<Ref<rt::Object>>(me, "tabBarController"_sel);
    rt::send(presenter ? presenter : me, "presentViewController:animated:completion:"_sel, nav, true,
             rt::Block<void()>());
}

// "Remove from Album": a confirmation, then the stock removal.
void removeTapped(GridObject* self, rt::Sel, Ref<rt::Object>) {
    Ref<rt::Object> me(self);
    std::size_t n = self->selected.size();
    if (n == 0) return;
    presentSheet(me, "", "", uikit::UIAlertControllerStyleActionSheet,
                 {{n == 1 ? "Remove from Album" : "Remove " + std::to_string(n) + " Photos from Album", 2,
                   [me] {
                       rt::send(me, "_removeSelectedAssetsWithCompletion:"_sel, rt::Block<void(bool)>([me](bool) {
                                    rt::send(me, "setEditing:animated:"_sel, false, true);
                                }));
                   }},
                  {"Cancel", uikit::UIAlertActionStyleCancel, nullptr}});
}

void removeSelected(GridObject* self, rt::Sel, rt::Block<void(bool)> completion) {
    Ref<rt::Object> me(self), album = self->collection;
    Objects chosen = rt::send<Objects>(me, "selectedAssets"_sel);
    auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
    rt::send(library, "performChanges:completionHandler:"_sel, rt::Block<void()>([album, chosen] {
                 auto r = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                                         "changeRequestForAssetCollection:"_sel, album);
                 rt::send(r, "removeAssets:"_sel, chosen);
             }),
             rt::Block<void(bool, Ref<rt::Object>)>([me, completion](bool ok, Ref<rt::Object>) {
                 dsp::mainQueue().async([me, completion, ok] {
                     reloadAssets(gridOf(me.get()));
                     completion(ok);
                 });
             }));
}

void deleteTapped(GridObject* self, rt::Sel, Ref<rt::Object>) {
    Ref<rt::Object> me(self);
    Objects chosen = rt::send<Objects>(me, "selectedAssets"_sel);
    if (chosen.empty()) return;
    auto action = rt::sendClass<Ref<rt::Object>>(g_delete, "new"_sel);
    static_cast<DeleteObject*>(action.get())->assets = chosen;
    rt::send(action, "performFromViewController:"_sel, me);
}

// ---- PUPhotosAlbumViewController ---------------------------------------------------------------------
void setAssetCollection(GridObject* self, rt::Sel, Ref<rt::Object> collection, Ref<rt::Object>, Ref<rt::Object>,
                        Ref<rt::Object>) {
    self->collection = std::move(collection);
    if (self->collection)
        rt::send(Ref<rt::Object>(self), "setTitle:"_sel, rt::send<std::string>(self->collection, "localizedTitle"_sel));
    reloadAssets(self);
}
bool scrolledToBottom(GridObject* self, rt::Sel) {
    return self->collection && rt::send<long>(self->collection, "assetCollectionSubtype"_sel) == 209;
}

// ---- PUZoomableGridViewController: the camera roll, by itself ----------------------------------------
void zoomDidLoad(GridObject* self, rt::Sel) {
    auto roll = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                               "fetchAssetCollectionsWithType:subtype:options:"_sel,
                                               photos::PHAssetCollectionTypeSmartAlbum, 209L, Ref<rt::Object>());
    self->collection = rt::send<Ref<rt::Object>>(roll, "firstObject"_sel);
    reloadAssets(self);
}

// ---- PUDeletePhotosActionController ----------------------------------------------------------------------
void performDelete(DeleteObject* self, rt::Sel, Ref<rt::Object> from) {
    Ref<rt::Object> me(self);
    Objects assets = self->assets;
    auto run = [assets, from] {
        auto library = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
        rt::send(library, "performChanges:completionHandler:"_sel, rt::Block<void()>([assets] {
                     rt::sendClass(rt::getClass("PHAssetChangeRequest"), "deleteAssets:"_sel, assets);
                 }),
                 rt::Block<void(bool, Ref<rt::Object>)>([from](bool, Ref<rt::Object>) {
                     dsp::mainQueue().async([from] { rt::send(from, "setEditing:animated:"_sel, false, true); });
                 }));
    };
    if (rt::send<bool>(me, "shouldSkipDeleteConfirmation"_sel)) return run();
    std::size_t n = assets.size();
    presentSheet(from, "", "", uikit::UIAlertControllerStyleActionSheet,
                 {{n == 1 ? "Delete Photo" : "Delete " + std::to_string(n) + " Photos", 2, run},
                  {"Cancel", uikit::UIAlertActionStyleCancel, nullptr}});
}

} // namespace

void defineAlbumGrid() {
    g_gridCell = rt::defineClass("PUPhotosGridCell", rt::getClass("UICollectionViewCell"));
    g_grid = rt::defineClass("PUPhotosGridViewController", rt::getClass("UIViewController"), rt::factoryOf<GridObject>);
    rt::Class* c = g_grid;
    rt::addMethod<&loadGrid>(c, "loadView"_sel);
    rt::addMethod<&gridDidLayout>(c, "viewDidLayoutSubviews"_sel);
    rt::addMethod<&gridWillAppear>(c, "viewWillAppear:"_sel);
    rt::addMethod<&itemCount>(c, "collectionView:numberOfItemsInSection:"_sel);
    rt::addMethod<&gridCell>(c, "collectionView:cellForItemAtIndexPath:"_sel);
    rt::addMethod<&gridSelect>(c, "collectionView:didSelectItemAtIndexPath:"_sel);
    rt::addMethod<&setEditing>(c, "setEditing:animated:"_sel);
    rt::addMethod<&selectTapped>(c, "_selectTapped:"_sel);
    rt::addMethod<&selectedAssets>(c, "selectedAssets"_sel);
    rt::addMethod<&wantsTabBar>(c, "pu_wantsTabBarVisible"_sel);
    rt::addMethod<&answerYes>(c, "shouldShowSectionHeaders"_sel);
    rt::addMethod<&assetCollection>(c, "assetCollection"_sel);
    rt::addMethod<&gridCollectionView>(c, "collectionView"_sel);
    rt::addMethod<&addToTapped>(c, "_addToTapped:"_sel);
    rt::addMethod<&removeTapped>(c, "_removeTapped:"_sel);
    rt::addMethod<&deleteTapped>(c, "_deleteTapped:"_sel);
    rt::addMethod<&scrolledToBottom>(c, "initiallyScrolledToBottom"_sel);
    rt::addMethod<&libraryDidChangeOnMain>(c, "photoLibraryDidChange:"_sel);
    rt::addMethod<&gridLibraryDidChange>(c, "_libraryDidChange"_sel);

    g_album = rt::defineClass("PUPhotosAlbumViewController", g_grid);
    rt::addMethod<&setAssetCollection>(
        g_album, "setAssetCollection:fetchResultContainingAssetCollection:filterPredicate:existingFetchResults:"_sel);
    rt::addMethod<&removeSelected>(g_album, "_removeSelectedAssetsWithCompletion:"_sel);
    rt::addMethod<&wantsTabBar>(g_album, "pu_wantsTabBarVisible"_sel);
    rt::addMethod<&answerYes>(g_album, "shouldShowSectionHeaders"_sel);
    rt::addMethod<&scrolledToBottom>(g_album, "initiallyScrolledToBottom"_sel);

    rt::Class* zoom = rt::defineClass("PUZoomableGridViewController", g_grid);
    rt::addMethod<&zoomDidLoad>(zoom, "viewDidLoad"_sel);
    rt::addMethod<&answerYes>(zoom, "initiallyScrolledToBottom"_sel);
    rt::addMethod<&gridWillAppear>(zoom, "viewWillAppear:"_sel);

    g_delete = rt::defineClass("PUDeletePhotosActionController", nullptr, rt::factoryOf<DeleteObject>);
    rt::addMethod<&answerNo>(g_delete, "shouldSkipDeleteConfirmation"_sel);
    rt::addMethod<&performDelete>(g_delete, "performFromViewController:"_sel);
}

} // namespace photosapp
