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

using rt::Ref;
using namespace rt::literals;
namespace views = apps::views;

namespace {

rt::Class* g_page = nullptr;
rt::Class* g_strip = nullptr;
rt::Class* g_listGadget = nullptr;
rt::Class* g_provider = nullptr;
rt::Class* g_dataSource = nullptr;
rt::Class* g_row = nullptr;

constexpr double kHeader = 52;

class ProviderObject : public rt::Object {
public:
    using Object::Object;
    long albumListType = 1;
};

// A gadget: a controller whose view is one section of the page.
class GadgetObject : public uikit::ControllerObject {
public:
    using ControllerObject::ControllerObject;
    std::string heading;
    long gadgetType = 1;
    Ref<rt::Object> provider;       // the strips only
    Ref<rt::Object> strip;          // a strip's collection view
    Objects items;                  // a strip's collections, or a list's smart albums
    std::vector<std::string> names; // what each item is called (People has no collection)
    std::vector<long> listSubtypes; // a list's smart albums
    rt::Weak<rt::Object> page;
};

class RowObject : public uikit::ViewObject {
public:
    using ViewObject::ViewObject;
    Ref<rt::Object> collection;
};

class DataSourceObject : public rt::Object {
public:
    using Object::Object;
    Objects gadgets;
};

GadgetObject* gadgetOf(rt::Id o) { return static_cast<GadgetObject*>(o); }
long listType(const GadgetObject* g) {
    return g->provider ? static_cast<ProviderObject*>(g->provider.get())->albumListType : 0;
}
double tileWidth() { return std::floor(uikit::screenModel().size.width / 2.3); }
int stripRows(const GadgetObject* g) { return listType(g) == 1 ? 2 : 1; }

Ref<rt::Object> smartAlbum(long subtype) {
    auto r = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                            "fetchAssetCollectionsWithType:subtype:options:"_sel,
                                            photos::PHAssetCollectionTypeSmartAlbum, subtype, Ref<rt::Object>());
    return rt::send<Ref<rt::Object>>(r, "firstObject"_sel);
}

// ---- the horizontal album lists -----------------------------------------------------------------

// What a strip lists, asked again each time it appears.
void reloadStrip(GadgetObject* g) {
    g->items.clear();
    g->names.clear();
    Ref<rt::Object> self(g);
    if (listType(g) == 1) {
        for (const auto& c : listedCollections(nullptr)) {
            g->items.push_back(c);
            g->names.push_back(rt::send<std::string>(c, "localizedTitle"_sel));
        }
    } else if (listType(g) == 3) {
        if (rt::send<bool>(self, "showPeople"_sel)) {
            g->items.push_back(nullptr);
            g->names.push_back("People");
        }
        if (rt::send<bool>(self, "showPlaces"_sel)) {
            g->items.push_back(smartAlbum(1000000203));
            g->names.push_back("Places");
        }
    } // 2, Shared Albums: the library has none
    if (g->strip) rt::send(g->strip, "reloadData"_sel);
}

void stripLoad(rt::Id selfId, rt::Sel) {
    GadgetObject* self = gadgetOf(selfId);
    double width = uikit::screenModel().size.width, w = tileWidth();
    double stripHeight = stripRows(self) * (tileHeight(w) + 10);
    auto view = views::box({{0, 0}, {width, kHeader + stripHeight}}, views::kWhite);
    views::add(view, views::label({{16, 14}, {width - 120, 28}}, self->heading, 22, views::kBlack, 0, true));
    if (listType(self) == 1) {
        auto seeAll = views::label({{width - 100, 14}, {84, 28}}, "See All", 17, views::kSystemBlue, 2);
        rt::send(seeAll, "setAccessibilityLabel:"_sel, std::string("See All"));
        views::onTap(seeAll, Ref<rt::Object>(selfId), "_seeAllTapped:");
        views::add(view, seeAll);
    }
    self->strip = views::collectionView({{16, kHeader}, {width - 16, stripHeight}}, {{w, tileHeight(w)}, 10, 10, 1},
                                        "PUAlbumListCell");
    rt::send(self->strip, "setDataSource:"_sel, Ref<rt::Object>(selfId));
    rt::send(self->strip, "setDelegate:"_sel, Ref<rt::Object>(selfId));
    views::add(view, self->strip);
    if (listType(self) == 2)
        views::add(view,
                   views::label({{16, kHeader + 40}, {width - 32, 22}}, "No shared albums", 15, views::kSecondaryText));
    rt::send(Ref<rt::Object>(selfId), "setView:"_sel, view);
}

void stripWillAppear(rt::Id self, rt::Sel, bool) { reloadStrip(gadgetOf(self)); }
long stripCount(rt::Id self, rt::Sel, Ref<rt::Object>, long) { return static_cast<long>(gadgetOf(self)->items.size()); }

Ref<rt::Object> stripCell(rt::Id selfId, rt::Sel, Ref<rt::Object> cv, Ref<rt::Object> path) {
    GadgetObject* self = gadgetOf(selfId);
    auto cell = makeTileCell(cv, path);
    auto i = static_cast<std::size_t>(rt::send<long>(path, "item"_sel));
    if (i >= self->items.size()) return cell;
    const Ref<rt::Object>& c = self->items[i];
    std::string title =
        c ? rt::send<std::string>(Ref<rt::Object>(selfId), "titleForCollection:"_sel, c) : self->names[i];
    std::string subtitle = c ? rt::send<std::string>(Ref<rt::Object>(selfId), "subtitleForCollection:"_sel, c) : "";
    auto tile = rt::send<Ref<rt::Object>>(cell, "albumListCellContentView"_sel);
    configureTile(tile, c, title, subtitle);
    rt::send(tile, "setDelegate:"_sel, Ref<rt::Object>(selfId));
    return cell;
}

// Opening an album of the strip: its grid, pushed by the page.
void stripSelect(rt::Id selfId, rt::Sel, Ref<rt::Object>, Ref<rt::Object> path) {
    GadgetObject* self = gadgetOf(selfId);
    auto i = static_cast<std::size_t>(rt::send<long>(path, "item"_sel));
    Ref<rt::Object> page = self->page.load();
    if (i < self->items.size() && page) openAlbum(page, self->items[i]);
}

Ref<rt::Object> gadgetAtIndexPath(rt::Id self, rt::Sel, Ref<rt::Object> path) {
    GadgetObject* g = gadgetOf(self);
    return g->strip ? rt::send<Ref<rt::Object>>(g->strip, "cellForItemAtIndexPath:"_sel, path) : nullptr;
}
Ref<rt::Object> stripCollectionView(rt::Id self, rt::Sel) {
    rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "view"_sel);
    return gadgetOf(self)->strip;
}
void seeAll(rt::Id selfId, rt::Sel, Ref<rt::Object>) {
    Ref<rt::Object> page = gadgetOf(selfId)->page.load();
    auto nav = page ? rt::send<Ref<rt::Object>>(page, "navigationController"_sel) : nullptr;
    if (!nav) return;
    auto list = rt::sendClass<Ref<rt::Object>>(rt::getClass("PUAlbumListViewController"), "new"_sel);
    rt::send(nav, "pushViewController:animated:"_sel, list, true);
}
Ref<rt::Object> provider(rt::Id self, rt::Sel) { return gadgetOf(self)->provider; }
long albumListType(ProviderObject* self, rt::Sel) { return self->albumListType; }
long gadgetType(rt::Id self, rt::Sel) { return gadgetOf(self)->gadgetType; }

// ---- the smart-album lists: Media Types, Other Albums ------------------------------------------------

void reloadList(GadgetObject* g) {
    g->items.clear();
    g->names.clear();
    auto manager =
        rt::sendClass<Ref<rt::Object>>(rt::getClass("PXPhotoKitCollectionsDataSourceManager"), "sharedManager"_sel);
    for (long subtype : g->listSubtypes) {
        auto album = smartAlbum(subtype);
        if (!album) continue;
        // Media types show only what the library has; Other Albums always lists its entries.
        if (g->heading == "Media Types" && !rt::send<bool>(manager, "_containsAnyAssets:"_sel, album)) continue;
        g->items.push_back(album);
        g->names.push_back(rt::send<std::string>(album, "localizedTitle"_sel));
    }
}

void listLoad(rt::Id selfId, rt::Sel) {
    GadgetObject* self = gadgetOf(selfId);
    reloadList(self);
    double width = uikit::screenModel().size.width;
    auto view = views::box({{0, 0}, {width, kHeader + 44.0 * static_cast<double>(self->items.size())}}, views::kWhite);
    views::add(view, views::label({{16, 14}, {width - 32, 28}}, self->heading, 22, views::kBlack, 0, true));
    for (std::size_t i = 0; i < self->items.size(); ++i) {
        auto row = uikit::makeView({{16, kHeader + 44.0 * static_cast<double>(i)}, {width - 32, 44}}, g_row);
        static_cast<RowObject*>(row.get())->collection = self->items[i];
        rt::send(row, "setAccessibilityLabel:"_sel, self->names[i]);
        views::add(row, views::label({{0, 11}, {width - 140, 22}}, self->names[i], 17, views::kSystemBlue));
        views::add(row,
                   views::label({{width - 140, 11}, {90, 22}}, std::to_string(countOf(assetsOf(self->items[i], true))),
                                17, views::kSecondaryText, 2));
        views::add(row, views::label({{width - 48, 11}, {16, 22}}, "\u203a", 20, views::kSecondaryText, 2));
        views::add(row, views::box({{0, 43.5}, {width - 32, 0.5}}, {0.8, 0.8, 0.82, 1}));
        views::onTap(row, Ref<rt::Object>(selfId), "_rowTapped:");
        views::add(view, row);
    }
    rt::send(Ref<rt::Object>(selfId), "setView:"_sel, view);
}
void rowTapped(rt::Id selfId, rt::Sel, Ref<rt::Object> recognizer) {
    auto row = rt::send<Ref<rt::Object>>(recognizer, "view"_sel);
    Ref<rt::Object> page = gadgetOf(selfId)->page.load();
    if (page) openAlbum(page, static_cast<RowObject*>(row.get())->collection);
}

// ---- the page -----------------------------------------------------------------------------------------------

Ref<rt::Object> makeGadget(rt::Class* cls, const std::string& heading, const Ref<rt::Object>& page) {
    auto g = rt::sendClass<Ref<rt::Object>>(cls, "new"_sel);
    gadgetOf(g.get())->heading = heading;
    gadgetOf(g.get())->page = page.get();
    gadgetOf(g.get())->parent = page.get(); // its navigation is the page's
    return g;
}

Ref<rt::Object> makeStrip(const std::string& heading, long type, const Ref<rt::Object>& page) {
    auto g = makeGadget(g_strip, heading, page);
    auto p = rt::createInstance<ProviderObject>(g_provider);
    p->albumListType = type;
    gadgetOf(g.get())->provider = p;
    return g;
}

Ref<rt::Object> makeList(const std::string& heading, std::vector<long> subtypes, const Ref<rt::Object>& page) {
    auto g = makeGadget(g_listGadget, heading, page);
    gadgetOf(g.get())->gadgetType = 10;
    gadgetOf(g.get())->listSubtypes = std::move(subtypes);
    return g;
}

Objects dataSourceGadgets(DataSourceObject* self, rt::Sel) { return self->gadgets; }

const char kDataSource = 0, kShown = 0, kCollection = 0;

Objects shownGadgets(rt::Id page) {
    auto holder = page->associated(&kShown);
    return holder ? static_cast<DataSourceObject*>(holder.get())->gadgets : Objects{};
}

void pageLoad(rt::Id selfId, rt::Sel) {
    Ref<rt::Object> self(selfId);
    gfx::CGSize screen = uikit::screenModel().size;
    auto source = rt::createInstance<DataSourceObject>(g_dataSource);
    source->gadgets = {
        makeStrip("My Albums", 1, self), makeStrip("Shared Albums", 2, self), makeStrip("People & Places", 3, self),
        makeList("Media Types", {202, 210, 213, 212, 201, 204, 208, 207, 211, 214, 215, 1000000207}, self),
        makeList("Other Albums", {205, photos::PHAssetCollectionSubtypeSmartAlbumRecentlyDeleted}, self)};
    selfId->setAssociated(&kDataSource, source);
    auto view = views::box({{0, 0}, screen}, views::kWhite);
    auto cv = views::collectionView({{0, 0}, screen}, {{50, 50}, 0, 10, 0}, "PXGadgetCell");
    selfId->setAssociated(&kCollection, cv);
    views::add(view, cv);
    rt::send(self, "setView:"_sel, view);
    rt::send(cv, "setDataSource:"_sel, self);
    rt::send(cv, "setDelegate:"_sel, self);
    observeLibrary(self);
}

// A change of the library: the strips list again, the page shows it.
void pageLibraryDidChange(rt::Id selfId, rt::Sel) {
    for (const auto& g : shownGadgets(selfId))
        if (rt::isKindOf(g.get(), g_strip)) reloadStrip(gadgetOf(g.get()));
    rt::send(selfId->associated(&kCollection), "reloadData"_sel);
}

// The sections are what the data source says now; each gadget hears that it appears.
void pageWillAppear(rt::Id selfId, rt::Sel, bool animated) {
    auto source = selfId->associated(&kDataSource);
    auto shown = rt::createInstance<DataSourceObject>(g_dataSource);
    shown->gadgets = rt::send<Objects>(source, "gadgets"_sel);
    selfId->setAssociated(&kShown, shown);
    auto page = rt::send<Ref<rt::Object>>(Ref<rt::Object>(selfId), "view"_sel);
    rt::send(selfId->associated(&kCollection), "setFrame:"_sel, rt::send<gfx::CGRect>(page, "bounds"_sel));
    for (const auto& g : shown->gadgets) {
        rt::send<Ref<rt::Object>>(g, "view"_sel);
        rt::send(g, "viewWillAppear:"_sel, animated);
    }
    rt::send(selfId->associated(&kCollection), "reloadData"_sel);
}

Ref<rt::Object> pageDataSource(rt::Id self, rt::Sel) {
    rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "view"_sel);
    return self->associated(&kDataSource);
}
Ref<rt::Object> pageCollectionView(rt::Id self, rt::Sel) {
    rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "view"_sel);
    return self->associated(&kCollection);
}
long pageCount(rt::Id self, rt::Sel, Ref<rt::Object>, long) { return static_cast<long>(shownGadgets(self).size()); }
Ref<rt::Object> gadgetFor(rt::Id self, const Ref<rt::Object>& path) {
    Objects gadgets = shownGadgets(self);
    auto i = static_cast<std::size_t>(rt::send<long>(path, "item"_sel));
    return i < gadgets.size() ? gadgets[i] : nullptr;
}
Ref<rt::Object> pageCell(rt::Id self, rt::Sel, Ref<rt::Object> cv, Ref<rt::Object> path) {
    auto cell = rt::send<Ref<rt::Object>>(cv, "dequeueReusableCellWithReuseIdentifier:forIndexPath:"_sel,
                                          std::string("PXGadgetCell"), path);
    auto content = rt::send<Ref<rt::Object>>(cell, "contentView"_sel);
    for (const auto& sub : rt::send<Objects>(content, "subviews"_sel))
        rt::send(sub, "removeFromSuperview"_sel);
    if (auto g = gadgetFor(self, path)) views::add(content, rt::send<Ref<rt::Object>>(g, "view"_sel));
    return cell;
}
gfx::CGSize pageItemSize(rt::Id self, rt::Sel, Ref<rt::Object>, Ref<rt::Object>, Ref<rt::Object> path) {
    auto g = gadgetFor(self, path);
    gfx::CGSize size{uikit::screenModel().size.width, 0};
    if (g) size.height = rt::send<gfx::CGRect>(rt::send<Ref<rt::Object>>(g, "view"_sel), "frame"_sel).size.height;
    return size;
}

} // namespace

void defineAlbumsPage() {
    rt::Class* controller = rt::getClass("UIViewController");
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
    rt::addMethod<&rowTapped>(g_listGadget, "_rowTapped:"_sel);
    g_row = rt::defineClass("PXNavigationListCell", rt::getClass("UIView"), rt::factoryOf<RowObject>);

    g_dataSource = rt::defineClass("PXGadgetDataSource", nullptr, rt::factoryOf<DataSourceObject>);
    rt::addMethod<&dataSourceGadgets>(g_dataSource, "gadgets"_sel);
    rt::defineClass("PXGadgetCell", rt::getClass("UICollectionViewCell"));

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
