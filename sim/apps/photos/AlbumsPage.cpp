// The Albums page: PUAlbumsGadgetViewController shows, one per row of its
// collection view, the gadgets its PXGadgetDataSource (-gadgetDataSource)
// answers with -gadgets:
// three horizontal album lists (My Albums, Shared Albums, People & Places,
// told apart by their provider's albumListType 1, 2 and 3) and two lists of
// smart albums (Media Types and Other Albums, gadgetType 10). An album tile
// of a strip sits seven levels below the page's collection view (gadget
// cell, its content view, the gadget's view, the strip, the tile's cell,
// its content view, the tile).

#include "sim/apps/host/Views.h"
#include "sim/apps/photos/Photos.h"
#include "sim/foundation/NSIndexPath.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/UICollectionView.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIViewController.h"

#include <cmath>

namespace photosapp {

using namespace uikit;
using photos::PHAssetCollectionTypeSmartAlbum;
using rt::Ref;
namespace views = apps::views;

namespace {

rt::Class* g_page = nullptr;
rt::Class* g_strip = nullptr;
rt::Class* g_listGadget = nullptr;
rt::Class* g_provider = nullptr;
rt::Class* g_dataSource = nullptr;
rt::Class* g_row = nullptr;

constexpr double kHeader = 52;
constexpr long kMediaTypesGadget = 10; // the gadgetType of both lists of smart albums

class ProviderObject : public rt::Object {
public:
    using Object::Object;
    long albumListType = 1;
};

// A gadget: a controller whose view is one section of the page.
class GadgetObject : public ControllerObject {
public:
    using ControllerObject::ControllerObject;
    std::string heading;
    long gadgetType = 1;
    Ref<rt::Object> provider;        // the strips only
    UICollectionView strip;          // a strip's collection view
    std::vector<PHCollection> items; // a strip's collections, or a list's smart albums
    std::vector<std::string> names;  // what each item is called (People has no collection)
    std::vector<long> listSubtypes;  // a list's smart albums
    std::string sectionKey;          // the title of a list's collection list
    rt::Weak<rt::Object> page;
};

class RowObject : public ViewObject {
public:
    using ViewObject::ViewObject;
    PHCollection collection;
};

class DataSourceObject : public rt::Object {
public:
    using Object::Object;
    std::vector<UIViewController> gadgets;
};

// What the page and its strips answer about themselves, for the app's own code.
struct PXGadgetViewController : UIViewController {
    RT_FACE(PXGadgetViewController, UIViewController)
    bool showPeople() const { return msg<bool>("showPeople"_sel); }
    bool showPlaces() const { return msg<bool>("showPlaces"_sel); }
    std::string titleForCollection(const PHCollection& c) const {
        return msg<std::string>("titleForCollection:"_sel, c);
    }
    std::string subtitleForCollection(const PHCollection& c) const {
        return msg<std::string>("subtitleForCollection:"_sel, c);
    }
};

GadgetObject* gadgetOf(rt::Id o) { return static_cast<GadgetObject*>(o); }
long listType(const GadgetObject* g) {
    return g->provider ? static_cast<ProviderObject*>(g->provider.get())->albumListType : 0;
}
double tileWidth() { return std::floor(screenModel().size.width / 2.3); }
int stripRows(const GadgetObject* g) { return listType(g) == 1 ? 2 : 1; }

PHAssetCollection smartAlbum(photos::PHAssetCollectionSubtype subtype) {
    return PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(PHAssetCollectionTypeSmartAlbum, subtype,
                                                                            nullptr)
        .firstObject();
}

// ---- the horizontal album lists -----------------------------------------------------------------

// What a strip lists, asked again each time it appears.
void reloadStrip(GadgetObject* g) {
    g->items.clear();
    g->names.clear();
    PXGadgetViewController self(g);
    if (listType(g) == 1) {
        for (const PHCollection& c : listedCollections(nullptr)) {
            g->items.push_back(c);
            g->names.push_back(c.localizedTitle());
        }
    } else if (listType(g) == 3) {
        if (self.showPeople()) {
            g->items.push_back(nullptr);
            g->names.push_back("People");
        }
        if (self.showPlaces()) {
            g->items.push_back(smartAlbum(photos::PHAssetCollectionSubtypeSmartAlbumPlaces));
            g->names.push_back("Places");
        }
    } // 2, Shared Albums: the library has none
    if (g->strip) g->strip.reloadData();
}

void stripLoad(rt::Id selfId, rt::Sel) {
    GadgetObject* self = gadgetOf(selfId);
    UIViewController me(selfId);
    double width = screenModel().size.width, w = tileWidth();
    double stripHeight = stripRows(self) * (tileHeight(w) + 10);
    UIView view = views::box({{0, 0}, {width, kHeader + stripHeight}}, views::kWhite);
    view.addSubview(
        views::label({{16, 14}, {width - 120, 28}}, self->heading, 22, views::kBlack, NSTextAlignmentLeft, true));
    if (listType(self) == 1) {
        UILabel seeAll =
            views::label({{width - 100, 14}, {84, 28}}, "See All", 17, views::kSystemBlue, NSTextAlignmentRight);
        seeAll.setAccessibilityLabel("See All");
        views::onTap(seeAll, me, "_seeAllTapped:");
        view.addSubview(seeAll);
    }
    self->strip = views::collectionView({{16, kHeader}, {width - 16, stripHeight}},
                                        {{w, tileHeight(w)}, 10, 10, UICollectionViewScrollDirectionHorizontal},
                                        "PUAlbumListCell");
    self->strip.setDataSource(me);
    self->strip.setDelegate(me);
    view.addSubview(self->strip);
    if (listType(self) == 2)
        view.addSubview(
            views::label({{16, kHeader + 40}, {width - 32, 22}}, "No shared albums", 15, views::kSecondaryText));
    me.setView(view);
}

void stripWillAppear(rt::Id self, rt::Sel, bool) { reloadStrip(gadgetOf(self)); }
long stripCount(rt::Id self, rt::Sel, Ref<rt::Object>, long) { return static_cast<long>(gadgetOf(self)->items.size()); }

UICollectionViewCell stripCell(rt::Id selfId, rt::Sel, UICollectionView cv, fnd::NSIndexPath path) {
    GadgetObject* self = gadgetOf(selfId);
    PXGadgetViewController me(selfId);
    PUAlbumListCell cell(makeTileCell(cv, path));
    auto i = static_cast<std::size_t>(path.item());
    if (i >= self->items.size()) return cell;
    const PHCollection& c = self->items[i];
    std::string title = c ? me.titleForCollection(c) : self->names[i];
    std::string subtitle = c ? me.subtitleForCollection(c) : "";
    PUAlbumListCellContentView tile = cell.albumListCellContentView();
    configureTile(tile, c, title, subtitle);
    tile.setDelegate(me);
    return cell;
}

// Opening an album of the strip: its grid, pushed by the page.
void stripSelect(rt::Id selfId, rt::Sel, Ref<rt::Object>, fnd::NSIndexPath path) {
    GadgetObject* self = gadgetOf(selfId);
    auto i = static_cast<std::size_t>(path.item());
    UIViewController page = self->page.load();
    if (i < self->items.size() && page) openAlbum(page, self->items[i]);
}

UICollectionViewCell gadgetAtIndexPath(rt::Id self, rt::Sel, fnd::NSIndexPath path) {
    GadgetObject* g = gadgetOf(self);
    return g->strip ? g->strip.cellForItemAtIndexPath(path) : nullptr;
}
UICollectionView stripCollectionView(rt::Id self, rt::Sel) {
    UIViewController(self).view();
    return gadgetOf(self)->strip;
}
void seeAll(rt::Id selfId, rt::Sel, Ref<rt::Object>) {
    UIViewController page = gadgetOf(selfId)->page.load();
    UINavigationController nav = page ? page.navigationController() : nullptr;
    if (!nav) return;
    nav.pushViewController_animated(
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PUAlbumListViewController"), "new"_sel), true);
}
Ref<rt::Object> provider(rt::Id self, rt::Sel) { return gadgetOf(self)->provider; }
long albumListType(ProviderObject* self, rt::Sel) { return self->albumListType; }
long gadgetType(rt::Id self, rt::Sel) { return gadgetOf(self)->gadgetType; }

// ---- the smart-album lists: Media Types, Other Albums ------------------------------------------------

// A list's smart albums, as a transient collection list (titled with the
// section's key) whose -collections the rows show.
void reloadList(GadgetObject* g) {
    g->items.clear();
    g->names.clear();
    std::vector<PHCollection> albums;
    for (long subtype : g->listSubtypes) {
        PHAssetCollection album = smartAlbum(subtype);
        if (!album) continue;
        // Media types show only what the library has; Other Albums always lists its entries.
        if (g->sectionKey == "PXMediaTypesSectionTitle" && assetsOf(album).count() == 0) continue;
        albums.push_back(album);
    }
    auto list = PHCollectionList::transientCollectionListWithCollections_title(albums, g->sectionKey);
    for (const PHCollection& c : list.collections()) {
        g->items.push_back(c);
        g->names.push_back(c.localizedTitle());
    }
}

UIView makeRow(rt::Id gadget, const PHCollection& collection, const std::string& name, double y, double width) {
    UIView row = makeView({{16, y}, {width - 32, 44}}, g_row);
    static_cast<RowObject*>(row.get())->collection = collection;
    row.setAccessibilityLabel(name);
    row.addSubview(views::label({{0, 11}, {width - 140, 22}}, name, 17, views::kSystemBlue));
    row.addSubview(views::label({{width - 140, 11}, {90, 22}}, std::to_string(assetsOf(collection, true).count()), 17,
                                views::kSecondaryText, NSTextAlignmentRight));
    row.addSubview(
        views::label({{width - 48, 11}, {16, 22}}, "\u203a", 20, views::kSecondaryText, NSTextAlignmentRight));
    row.addSubview(views::box({{0, 43.5}, {width - 32, 0.5}}, {0.8, 0.8, 0.82, 1}));
    views::onTap(row, Ref<rt::Object>(gadget), "_rowTapped:");
    return row;
}

// The list's rows, built again each time it appears: what it lists follows the library.
void layOutList(rt::Id selfId) {
    GadgetObject* self = gadgetOf(selfId);
    reloadList(self);
    double width = screenModel().size.width;
    UIView view = UIViewController(selfId).view();
    for (const UIView& sub : view.subviews())
        sub.removeFromSuperview();
    view.setFrame({{0, 0}, {width, kHeader + 44.0 * static_cast<double>(self->items.size())}});
    view.addSubview(
        views::label({{16, 14}, {width - 32, 28}}, self->heading, 22, views::kBlack, NSTextAlignmentLeft, true));
    for (std::size_t i = 0; i < self->items.size(); ++i)
        view.addSubview(
            makeRow(selfId, self->items[i], self->names[i], kHeader + 44.0 * static_cast<double>(i), width));
}
void listLoad(rt::Id selfId, rt::Sel) {
    UIViewController(selfId).setView(views::box({{0, 0}, {screenModel().size.width, kHeader}}, views::kWhite));
}
void listWillAppear(rt::Id selfId, rt::Sel, bool) { layOutList(selfId); }
void rowTapped(rt::Id selfId, rt::Sel, UIGestureRecognizer recognizer) {
    UIViewController page = gadgetOf(selfId)->page.load();
    if (page) openAlbum(page, static_cast<RowObject*>(recognizer.view().get())->collection);
}

// ---- the page -----------------------------------------------------------------------------------------------

UIViewController makeGadget(rt::Class* cls, const std::string& heading, const UIViewController& page) {
    UIViewController g = rt::sendClass<Ref<rt::Object>>(cls, "new"_sel);
    gadgetOf(g.get())->heading = heading;
    gadgetOf(g.get())->page = page.get();
    gadgetOf(g.get())->parent = page.get(); // its navigation is the page's
    return g;
}

UIViewController makeStrip(const std::string& heading, long type, const UIViewController& page) {
    UIViewController g = makeGadget(g_strip, heading, page);
    auto p = rt::createInstance<ProviderObject>(g_provider);
    p->albumListType = type;
    gadgetOf(g.get())->provider = p;
    return g;
}

UIViewController makeList(const std::string& heading, const std::string& sectionKey, std::vector<long> subtypes,
                          const UIViewController& page) {
    UIViewController g = makeGadget(g_listGadget, heading, page);
    gadgetOf(g.get())->gadgetType = kMediaTypesGadget;
    gadgetOf(g.get())->sectionKey = sectionKey;
    gadgetOf(g.get())->listSubtypes = std::move(subtypes);
    return g;
}

std::vector<UIViewController> dataSourceGadgets(DataSourceObject* self, rt::Sel) { return self->gadgets; }

const char kDataSource = 0, kShown = 0, kCollection = 0;

std::vector<UIViewController> shownGadgets(rt::Id page) {
    auto holder = page->associated(&kShown);
    return holder ? static_cast<DataSourceObject*>(holder.get())->gadgets : std::vector<UIViewController>{};
}
UICollectionView pageCollection(rt::Id page) { return page->associated(&kCollection); }

void pageLoad(rt::Id selfId, rt::Sel) {
    using namespace photos;
    UIViewController self(selfId);
    CGSize screen = screenModel().size;
    auto source = rt::createInstance<DataSourceObject>(g_dataSource);
    source->gadgets = {
        makeStrip("My Albums", 1, self), makeStrip("Shared Albums", 2, self), makeStrip("People & Places", 3, self),
        makeList("Media Types", "PXMediaTypesSectionTitle",
                 {PHAssetCollectionSubtypeSmartAlbumVideos, PHAssetCollectionSubtypeSmartAlbumSelfPortraits,
                  PHAssetCollectionSubtypeSmartAlbumLivePhotos, PHAssetCollectionSubtypeSmartAlbumDepthEffect,
                  PHAssetCollectionSubtypeSmartAlbumPanoramas, PHAssetCollectionSubtypeSmartAlbumTimelapses,
                  PHAssetCollectionSubtypeSmartAlbumSlomoVideos, PHAssetCollectionSubtypeSmartAlbumBursts,
                  PHAssetCollectionSubtypeSmartAlbumScreenshots, PHAssetCollectionSubtypeSmartAlbumAnimated,
                  PHAssetCollectionSubtypeSmartAlbumLongExposures, PHAssetCollectionSubtypeSmartAlbumScreenRecordings},
                 self),
        makeList("Other Albums", "PXOtherAlbumsSectionTitle",
                 {PHAssetCollectionSubtypeSmartAlbumAllHidden, PHAssetCollectionSubtypeSmartAlbumRecentlyDeleted},
                 self)};
    selfId->setAssociated(&kDataSource, source);
    UIView view = views::box({{0, 0}, screen}, views::kWhite);
    UICollectionView cv = views::collectionView({{0, 0}, screen}, {{50, 50}, 0, 10}, "PXGadgetCell");
    selfId->setAssociated(&kCollection, cv);
    view.addSubview(cv);
    self.setView(view);
    cv.setDataSource(self);
    cv.setDelegate(self);
    observeLibrary(self);
}

// A change of the library: the strips list again, the page shows it.
void pageLibraryDidChange(rt::Id selfId, rt::Sel) {
    for (const UIViewController& g : shownGadgets(selfId))
        if (g.isKindOf(g_strip))
            reloadStrip(gadgetOf(g.get()));
        else if (g.isKindOf(g_listGadget))
            layOutList(g.get());
    pageCollection(selfId).reloadData();
}

// The sections are what the data source says now; each gadget hears that it appears.
void pageWillAppear(rt::Id selfId, rt::Sel, bool animated) {
    auto shown = rt::createInstance<DataSourceObject>(g_dataSource);
    shown->gadgets = rt::send<std::vector<UIViewController>>(selfId->associated(&kDataSource), "gadgets"_sel);
    selfId->setAssociated(&kShown, shown);
    pageCollection(selfId).setFrame(UIViewController(selfId).view().bounds());
    for (const UIViewController& g : shown->gadgets) {
        g.view();
        g.viewWillAppear(animated);
    }
    pageCollection(selfId).reloadData();
}

Ref<rt::Object> pageDataSource(rt::Id self, rt::Sel) {
    UIViewController(self).view();
    return self->associated(&kDataSource);
}
UICollectionView pageCollectionView(rt::Id self, rt::Sel) {
    UIViewController(self).view();
    return pageCollection(self);
}
long pageCount(rt::Id self, rt::Sel, Ref<rt::Object>, long) { return static_cast<long>(shownGadgets(self).size()); }
UIViewController gadgetFor(rt::Id self, const fnd::NSIndexPath& path) {
    std::vector<UIViewController> gadgets = shownGadgets(self);
    auto i = static_cast<std::size_t>(path.item());
    return i < gadgets.size() ? gadgets[i] : nullptr;
}
UICollectionViewCell pageCell(rt::Id self, rt::Sel, UICollectionView cv, fnd::NSIndexPath path) {
    UICollectionViewCell cell = cv.dequeueReusableCellWithReuseIdentifier_forIndexPath("PXGadgetCell", path);
    UIView content = cell.contentView();
    for (const UIView& sub : content.subviews())
        sub.removeFromSuperview();
    if (UIViewController g = gadgetFor(self, path)) content.addSubview(g.view());
    return cell;
}
CGSize pageItemSize(rt::Id self, rt::Sel, Ref<rt::Object>, Ref<rt::Object>, fnd::NSIndexPath path) {
    UIViewController g = gadgetFor(self, path);
    return {screenModel().size.width, g ? g.view().frame().size.height : 0};
}

} // namespace

void defineAlbumsPage() {
    rt::Class* controller = UIViewController::cls();
    rt::Class* gadget = rt::defineClass("PXGadgetViewController", controller, rt::factoryOf<GadgetObject>);
    rt::addMethod<&gadgetType>(gadget, "gadgetType"_sel);

    g_provider = rt::defineClass("PXAlbumsGadgetProvider", nullptr, rt::factoryOf<ProviderObject>);
    rt::addMethod<&albumListType>(g_provider, "albumListType"_sel);

    g_strip = rt::defineClass("PUHorizontalAlbumListGadget", gadget);
    rt::addMethod<&stripLoad>(g_strip, "loadView"_sel);
    rt::addMethod<&stripWillAppear>(g_strip, "viewWillAppear:"_sel);
    rt::addMethod<&stripCount>(g_strip, "collectionView:numberOfItemsInSection:"_sel);
    rt::addMethod<&stripCell>(g_strip, "collectionView:cellForItemAtIndexPath:"_sel);
    rt::addMethod<&stripSelect>(g_strip, "collectionView:didSelectItemAtIndexPath:"_sel);
    rt::addMethod<&gadgetAtIndexPath>(g_strip, "_gadgetAtIndexPath:"_sel);
    rt::addMethod<&stripCollectionView>(g_strip, "collectionView"_sel);
    rt::addMethod<&answerYes>(g_strip, "showPeople"_sel);
    rt::addMethod<&answerYes>(g_strip, "showPlaces"_sel);
    rt::addMethod<&stockTitle>(g_strip, "titleForCollection:"_sel);
    rt::addMethod<&stockSubtitle>(g_strip, "subtitleForCollection:"_sel);
    rt::addMethod<&seeAll>(g_strip, "_seeAllTapped:"_sel);
    rt::addMethod<&provider>(g_strip, "provider"_sel);

    g_listGadget = rt::defineClass("PXNavigationListGadget", gadget);
    rt::addMethod<&listLoad>(g_listGadget, "loadView"_sel);
    rt::addMethod<&listWillAppear>(g_listGadget, "viewWillAppear:"_sel);
    rt::addMethod<&rowTapped>(g_listGadget, "_rowTapped:"_sel);
    g_row = rt::defineClass("PXNavigationListCell", UIView::cls(), rt::factoryOf<RowObject>);

    g_dataSource = rt::defineClass("PXGadgetDataSource", nullptr, rt::factoryOf<DataSourceObject>);
    rt::addMethod<&dataSourceGadgets>(g_dataSource, "gadgets"_sel);
    rt::defineClass("PXGadgetCell", UICollectionViewCell::cls());

    g_page = rt::defineClass("PUAlbumsGadgetViewController", controller);
    rt::addMethod<&pageLoad>(g_page, "loadView"_sel);
    rt::addMethod<&pageWillAppear>(g_page, "viewWillAppear:"_sel);
    rt::addMethod<&pageCollectionView>(g_page, "collectionView"_sel);
    rt::addMethod<&pageDataSource>(g_page, "gadgetDataSource"_sel);
    rt::addMethod<&libraryDidChangeOnMain>(g_page, "photoLibraryDidChange:"_sel);
    rt::addMethod<&pageLibraryDidChange>(g_page, "_libraryDidChange"_sel);
    rt::addMethod<&pageCount>(g_page, "collectionView:numberOfItemsInSection:"_sel);
    rt::addMethod<&pageCell>(g_page, "collectionView:cellForItemAtIndexPath:"_sel);
    rt::addMethod<&pageItemSize>(g_page, "collectionView:layout:sizeForItemAtIndexPath:"_sel);
}

} // namespace photosapp
