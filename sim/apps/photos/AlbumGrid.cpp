// Grids of photos: PUPhotosGridViewController (four to a row, with
// selection: "Select", then "Add To", "Remove from Album" or "Delete" in the
// toolbar), PUPhotosAlbumViewController (an album's grid, given its
// collection), PUZoomableGridViewController (the Photos tab, the camera
// roll), and PUDeletePhotosActionController (the delete with its
// confirmation). As in iOS 12, hiding a photo takes it out of the camera
// roll but not out of a user's album: an album's grid shows its hidden
// photos too (the album lists' counts leave them out).

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

using namespace uikit;
using rt::Ref;
namespace views = apps::views;

namespace {

rt::Class* g_grid = nullptr;
rt::Class* g_album = nullptr;
rt::Class* g_delete = nullptr;
rt::Class* g_gridCell = nullptr;
constexpr double kHeader = 30, kToolbar = 49;

class GridObject : public ControllerObject {
public:
    using ControllerObject::ControllerObject;
    PHCollection collection;
    PHFetchResult<PHAsset> assets;
    UICollectionView collectionView;
    UILabel header;
    UIView toolbar;
    UIBarButtonItem selectItem;
    bool selecting = false, scrolledOnce = false;
    std::set<long> selected;
};

class DeleteObject : public rt::Object {
public:
    using Object::Object;
    std::vector<PHAsset> assets;
};

// What the grids answer about themselves, for the app's own code.
struct PUPhotosGridViewController : UIViewController {
    RT_FACE(PUPhotosGridViewController, UIViewController)
    bool shouldShowSectionHeaders() const { return msg<bool>("shouldShowSectionHeaders"_sel); }
    bool initiallyScrolledToBottom() const { return msg<bool>("initiallyScrolledToBottom"_sel); }
    std::vector<PHAsset> selectedAssets() const { return msg<std::vector<PHAsset>>("selectedAssets"_sel); }
    void setEditing_animated(bool editing, bool animated) const { msg("setEditing:animated:"_sel, editing, animated); }
    void _removeSelectedAssetsWithCompletion(rt::Block<void(bool)> completion) const {
        msg("_removeSelectedAssetsWithCompletion:"_sel, std::move(completion));
    }
};

GridObject* gridOf(rt::Id o) { return rt::objectAs<GridObject>(o, g_grid); }

void reloadAssets(GridObject* g) {
    g->assets = g->collection ? assetsOf(g->collection, isRegularAlbum(g->collection)) : nullptr;
    g->selected.clear();
    if (g->collectionView) g->collectionView.reloadData();
}

PHAsset assetAt(GridObject* g, long i) {
    return g->assets ? g->assets.objectAtIndex(static_cast<unsigned long>(i)) : nullptr;
}

std::string dayOf(double sinceReference) { return fnd::formatDate(sinceReference).substr(0, 10); }

// The toolbar of selection: what the chosen photos can do here.
void buildToolbar(GridObject* g) {
    CGSize screen = screenModel().size;
    g->toolbar = views::box({{0, 0}, {screen.width, kToolbar}}, {0.97, 0.97, 0.97, 1}, "UIToolbar");
    std::vector<std::pair<std::string, const char*>> buttons{{"Add To", "_addToTapped:"}};
    if (isRegularAlbum(g->collection))
        buttons.emplace_back("Remove from Album", "_removeTapped:");
    else
        buttons.emplace_back("Delete", "_deleteTapped:");
    double w = screen.width / static_cast<double>(buttons.size());
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        UILabel b = views::label({{w * static_cast<double>(i), 0}, {w, kToolbar}}, buttons[i].first, 17,
                                 i == 0 ? views::kSystemBlue : Rgba{1, 0.23, 0.19, 1}, NSTextAlignmentCenter);
        b.setAccessibilityLabel(buttons[i].first);
        views::onTap(b, Ref<rt::Object>(g), buttons[i].second);
        g->toolbar.addSubview(b);
    }
    g->toolbar.setHidden(true);
}

void gridWillAppear(GridObject* self, rt::Sel, bool);

void loadGrid(GridObject* self, rt::Sel) {
    UIViewController me(self);
    CGSize screen = screenModel().size;
    UIView view = views::box({{0, 0}, screen}, views::kWhite);
    self->header = views::label({{16, 4}, {screen.width - 32, 22}}, "", 15, views::kBlack, NSTextAlignmentLeft, true);
    view.addSubview(self->header);
    double side = std::floor((screen.width - 3) / 4);
    self->collectionView = views::collectionView({{0, kHeader}, {screen.width, screen.height - kHeader}},
                                                 {{side, side}, 1, 1}, "PUPhotosGridCell");
    view.addSubview(self->collectionView);
    buildToolbar(self);
    view.addSubview(self->toolbar);
    me.setView(view);
    self->selectItem = UIBarButtonItem::alloc().initWithTitle_style_target_action("Select", UIBarButtonItemStylePlain,
                                                                                  me, rt::sel("_selectTapped:"));
    me.navigationItem().setRightBarButtonItem(self->selectItem);
    self->collectionView.setDataSource(me);
    self->collectionView.setDelegate(me);
    observeLibrary(me);
}

// What the grid shows follows the library (a delete, a removal, an add).
void gridLibraryDidChange(GridObject* self, rt::Sel) {
    if (self->view) gridWillAppear(self, nullptr, false);
}

// The grid fills the view under its header; the toolbar sits at the foot.
void gridDidLayout(GridObject* self, rt::Sel) {
    if (!self->view || !self->collectionView) return;
    CGRect b = UIView(self->view).bounds();
    bool headers = PUPhotosGridViewController(self).shouldShowSectionHeaders();
    self->header.setHidden(!headers);
    double top = headers ? kHeader : 0;
    self->collectionView.setFrame({{0, top}, {b.size.width, b.size.height - top}});
    self->toolbar.setFrame({{0, b.size.height - kToolbar}, {b.size.width, kToolbar}});
}

void gridWillAppear(GridObject* self, rt::Sel, bool) {
    reloadAssets(self);
    unsigned long n = self->assets.count();
    std::string text;
    if (n > 0) {
        std::string first = dayOf(assetAt(self, 0).creationDate().sinceReferenceDate);
        std::string last = dayOf(assetAt(self, static_cast<long>(n) - 1).creationDate().sinceReferenceDate);
        text = first == last ? first : first + " \u2013 " + last;
    }
    self->header.setText(text);
    gridDidLayout(self, nullptr);
    // Opening at the end shows the newest photos first.
    if (!self->scrolledOnce && PUPhotosGridViewController(self).initiallyScrolledToBottom()) {
        self->collectionView.layoutIfNeeded();
        CGSize content = self->collectionView.contentSize();
        CGRect frame = self->collectionView.frame();
        self->collectionView.setContentOffset({0, std::max(0.0, content.height - frame.size.height)});
    }
    self->scrolledOnce = true;
}

long itemCount(GridObject* self, rt::Sel, Ref<rt::Object>, long) { return static_cast<long>(self->assets.count()); }

UICollectionViewCell gridCell(GridObject* self, rt::Sel, UICollectionView cv, fnd::NSIndexPath path) {
    UICollectionViewCell cell = cv.dequeueReusableCellWithReuseIdentifier_forIndexPath("PUPhotosGridCell", path);
    long i = path.item();
    UIView content = cell.contentView();
    for (const UIView& sub : content.subviews())
        sub.removeFromSuperview();
    CGSize size = cell.frame().size;
    UIImageView image = makeView({{0, 0}, size}, UIImageView::cls());
    image.setContentMode(UIViewContentModeScaleAspectFill);
    image.setClipsToBounds(true);
    image.setImage(photos::requestImageNow(assetAt(self, i), {size.width * 2, size.height * 2},
                                           photos::PHImageContentModeAspectFill));
    image.setAccessibilityLabel("Photo " + std::to_string(i + 1));
    content.addSubview(image);
    if (self->selected.count(i)) {
        UIView check = views::box({{size.width - 26, size.height - 26}, {22, 22}}, views::kSystemBlue);
        views::round(check, 11, false);
        check.addSubview(views::label({{0, 0}, {22, 22}}, "\u2713", 14, views::kWhite, NSTextAlignmentCenter, true));
        content.addSubview(check);
    }
    return cell;
}

// A tap chooses a photo while selecting, and opens it otherwise.
void gridSelect(GridObject* self, rt::Sel, UICollectionView cv, fnd::NSIndexPath path) {
    long i = path.item();
    if (self->selecting) {
        if (!self->selected.erase(i)) self->selected.insert(i);
        cv.reloadData();
        return;
    }
    UIViewController viewer =
        rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("PUOneUpViewController"), "alloc"_sel),
                                  "initWithAsset:"_sel, assetAt(self, i));
    if (UINavigationController nav = UIViewController(self).navigationController())
        nav.pushViewController_animated(viewer, true);
}

void setEditing(GridObject* self, rt::Sel, bool editing, bool) {
    self->selecting = editing;
    self->selected.clear();
    if (self->selectItem) self->selectItem.setTitle(editing ? "Cancel" : "Select");
    if (self->toolbar) self->toolbar.setHidden(!editing);
    if (self->collectionView) self->collectionView.reloadData();
    UIViewController me(self);
    if (UINavigationController nav = me.navigationController()) rt::send(nav, "_updateNavigationBar"_sel);
    updateTabBarFor(me);
}
void selectTapped(GridObject* self, rt::Sel, Ref<rt::Object>) {
    PUPhotosGridViewController(self).setEditing_animated(!self->selecting, true);
}

std::vector<PHAsset> selectedAssets(GridObject* self, rt::Sel) {
    std::vector<PHAsset> out;
    for (long i : self->selected)
        out.push_back(assetAt(self, i));
    return out;
}
bool wantsTabBar(GridObject* self, rt::Sel) { return !self->selecting; }
PHCollection assetCollection(GridObject* self, rt::Sel) { return self->collection; }
UICollectionView gridCollectionView(GridObject* self, rt::Sel) { return self->collectionView; }

// "Add To": the album picker, over everything, for the chosen photos.
void addToTapped(GridObject* self, rt::Sel, Ref<rt::Object>) {
    PUPhotosGridViewController me(self);
    std::vector<PHAsset> chosen = me.selectedAssets();
    if (chosen.empty()) return;
    UIViewController picker = rt::send<Ref<rt::Object>>(
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PUAlbumListViewController"), "alloc"_sel),
        "initForPickingAssets:sourceViewController:"_sel, chosen, me);
    UINavigationController nav =
        UINavigationController(rt::sendClass<Ref<rt::Object>>(rt::getClass("PUNavigationController"), "alloc"_sel))
            .initWithRootViewController(picker);
    UIViewController presenter = me.tabBarController();
    (presenter ? presenter : me).presentViewController_animated_completion(nav, true);
}

// "Remove from Album": a confirmation, then the stock removal.
void removeTapped(GridObject* self, rt::Sel, Ref<rt::Object>) {
    PUPhotosGridViewController me(self);
    std::size_t n = self->selected.size();
    if (n == 0) return;
    presentSheet(
        me, "", "", UIAlertControllerStyleActionSheet,
        {{n == 1 ? "Remove from Album" : "Remove " + std::to_string(n) + " Photos from Album",
          UIAlertActionStyleDestructive,
          [me] { me._removeSelectedAssetsWithCompletion([me](bool) { me.setEditing_animated(false, true); }); }},
         {"Cancel", UIAlertActionStyleCancel, nullptr}});
}

void removeSelected(GridObject* self, rt::Sel, rt::Block<void(bool)> completion) {
    using namespace photos;
    PUPhotosGridViewController me(self);
    PHAssetCollection album = self->collection.as<PHAssetCollection>();
    std::vector<PHAsset> chosen = me.selectedAssets();
    PHPhotoLibrary::sharedPhotoLibrary().performChanges_completionHandler(
        [album, chosen] {
            PHAssetCollectionChangeRequest::changeRequestForAssetCollection(album).removeAssets(chosen);
        },
        [me, completion](bool ok, NSError) {
            dsp::mainQueue().async([me, completion, ok] {
                reloadAssets(gridOf(me.get()));
                completion(ok);
            });
        });
}

void deleteTapped(GridObject* self, rt::Sel, Ref<rt::Object>) {
    PUPhotosGridViewController me(self);
    std::vector<PHAsset> chosen = me.selectedAssets();
    if (chosen.empty()) return;
    auto action = rt::sendClass<Ref<rt::Object>>(g_delete, "new"_sel);
    static_cast<DeleteObject*>(action.get())->assets = chosen;
    rt::send(action, "performFromViewController:"_sel, me);
}

// ---- PUPhotosAlbumViewController ---------------------------------------------------------------------
void setAssetCollection(GridObject* self, rt::Sel, PHCollection collection, Ref<rt::Object>, Ref<rt::Object>,
                        Ref<rt::Object>) {
    self->collection = std::move(collection);
    if (self->collection) UIViewController(self).setTitle(self->collection.localizedTitle());
    reloadAssets(self);
}
bool scrolledToBottom(GridObject* self, rt::Sel) {
    return self->collection && self->collection.as<PHAssetCollection>().assetCollectionSubtype() ==
                                   photos::PHAssetCollectionSubtypeSmartAlbumUserLibrary;
}

// ---- PUZoomableGridViewController: the camera roll, by itself ----------------------------------------
void zoomDidLoad(GridObject* self, rt::Sel) {
    self->collection =
        PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
            photos::PHAssetCollectionTypeSmartAlbum, photos::PHAssetCollectionSubtypeSmartAlbumUserLibrary, nullptr)
            .firstObject();
    reloadAssets(self);
}

// ---- PUDeletePhotosActionController ----------------------------------------------------------------------
void performDelete(DeleteObject* self, rt::Sel, UIViewController from) {
    Ref<rt::Object> me(self);
    std::vector<PHAsset> assets = self->assets;
    auto run = [assets, from] {
        photos::PHPhotoLibrary::sharedPhotoLibrary().performChanges_completionHandler(
            [assets] { photos::PHAssetChangeRequest::deleteAssets(assets); },
            [from](bool, fnd::NSError) {
                dsp::mainQueue().async([from] { PUPhotosGridViewController(from).setEditing_animated(false, true); });
            });
    };
    if (rt::send<bool>(me, "shouldSkipDeleteConfirmation"_sel)) return run();
    std::size_t n = assets.size();
    presentSheet(
        from, "", "", UIAlertControllerStyleActionSheet,
        {{n == 1 ? "Delete Photo" : "Delete " + std::to_string(n) + " Photos", UIAlertActionStyleDestructive, run},
         {"Cancel", UIAlertActionStyleCancel, nullptr}});
}

} // namespace

void defineAlbumGrid() {
    g_gridCell = rt::defineClass("PUPhotosGridCell", UICollectionViewCell::cls());
    g_grid = rt::defineClass("PUPhotosGridViewController", UIViewController::cls(), rt::factoryOf<GridObject>);
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
