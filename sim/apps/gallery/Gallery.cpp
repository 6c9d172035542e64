#include "sim/apps/gallery/Gallery.h"

#include "sim/apps/host/Views.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIViewController.h"

#include <cmath>

namespace gallery {

using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;
namespace views = apps::views;

namespace {

rt::Class* g_app = nullptr;
rt::Class* g_row = nullptr;

class RowObject : public uikit::ViewObject {
public:
    using ViewObject::ViewObject;
    Ref<rt::Object> collection;
};

Objects objectsOf(const Ref<rt::Object>& fetchResult) {
    return fetchResult ? rt::send<Objects>(fetchResult, "fetchedObjects"_sel) : Objects{};
}
unsigned long photoCount(const Ref<rt::Object>& collection) {
    auto assets = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsInAssetCollection:options:"_sel,
                                                 collection, Ref<rt::Object>());
    return assets ? rt::send<unsigned long>(assets, "count"_sel) : 0;
}
std::string titleOf(const Ref<rt::Object>& c) { return rt::send<std::string>(c, "localizedTitle"_sel); }
bool isFolder(const Ref<rt::Object>& c) { return rt::isKindOf(c.get(), rt::getClass("PHCollectionList")); }

// What the app is shown, in the order it shows it.
struct Seen {
    std::vector<std::pair<std::string, Ref<rt::Object>>> albums, smart;
    std::vector<std::pair<std::string, std::vector<std::string>>> folders;
    std::size_t ids = 0;
};

Seen look() {
    Seen seen;
    auto top = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHCollection"),
                                              "fetchTopLevelUserCollectionsWithOptions:"_sel, Ref<rt::Object>());
    for (const auto& c : objectsOf(top)) {
        if (isFolder(c)) {
            std::vector<std::string> inside;
            for (const auto& a : rt::send<Objects>(c, "collections"_sel))
                inside.push_back(titleOf(a));
            seen.folders.emplace_back(titleOf(c), inside);
        } else {
            seen.albums.emplace_back(titleOf(c), c);
        }
    }
    auto albums = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                                 "fetchAssetCollectionsWithType:subtype:options:"_sel,
                                                 photos::PHAssetCollectionTypeAlbum, photos::PHAssetCollectionSubtypeAlbumRegular, Ref<rt::Object>());
    if (albums)
        seen.ids = rt::send<unsigned long>(rt::send<Ref<rt::Object>>(albums, "fetchedObjectIDsSet"_sel), "count"_sel);
    auto smart = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                                "fetchAssetCollectionsWithType:subtype:options:"_sel,
                                                photos::PHAssetCollectionTypeSmartAlbum, photos::PHAssetCollectionSubtypeAny, Ref<rt::Object>());
    for (const auto& c : objectsOf(smart))
        seen.smart.emplace_back(titleOf(c), c);
    return seen;
}

std::string report(const Seen& s) {
    std::string out = "albums:";
    for (const auto& [t, c] : s.albums)
        out += " " + t + "(" + std::to_string(photoCount(c)) + ")";
    out += "\nfolders:";
    for (const auto& [t, inside] : s.folders) {
        out += " " + t + "[";
        for (std::size_t i = 0; i < inside.size(); ++i)
            out += (i ? "," : "") + inside[i];
        out += "]";
    }
    out += "\nsmart:";
    for (const auto& [t, c] : s.smart)
        out += " " + t + "(" + std::to_string(photoCount(c)) + ")";
    return out + "\nids: " + std::to_string(s.ids) + "\n";
}

Ref<rt::Object> keyPhoto(const Ref<rt::Object>& collection) {
    auto keys = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchKeyAssetsInAssetCollection:options:"_sel,
                                               collection, Ref<rt::Object>());
    return keys ? photos::requestImageNow(rt::send<Ref<rt::Object>>(keys, "firstObject"_sel), {88, 88}, 1L) : nullptr;
}

// ---- the screens ----------------------------------------------------------------------------------
void addRow(const Ref<rt::Object>& page, const Ref<rt::Object>& target, double& y, const std::string& text,
            const Ref<rt::Object>& collection) {
    double w = uikit::screenModel().size.width;
    auto row = uikit::makeView({{0, y}, {w, 56}}, g_row);
    static_cast<RowObject*>(row.get())->collection = collection;
    rt::send(row, "setAccessibilityLabel:"_sel, text);
    auto thumb = uikit::makeView({{16, 6}, {44, 44}}, rt::getClass("UIImageView"));
    rt::send(thumb, "setContentMode:"_sel, 2L);
    rt::send(thumb, "setClipsToBounds:"_sel, true);
    rt::send(thumb, "setBackgroundColor:"_sel, uikit::makeColor({0.9, 0.9, 0.92, 1}));
    if (collection && !isFolder(collection)) rt::send(thumb, "setImage:"_sel, keyPhoto(collection));
    views::add(row, thumb);
    views::add(row, views::label({{72, 0}, {w - 88, 56}}, text, 17, views::kBlack));
    if (collection && !isFolder(collection)) views::onTap(row, target, "_rowTapped:");
    views::add(page, row);
    y += 56;
}
void addHeading(const Ref<rt::Object>& page, double& y, const std::string& text) {
    views::add(page, views::label({{16, y + 12}, {uikit::screenModel().size.width - 32, 24}}, text, 20, views::kBlack,
                                  0, true));
    y += 44;
}

void albumsLoad(rt::Id self, rt::Sel) {
    Ref<rt::Object> me(self);
    auto page = views::box({{0, 0}, uikit::screenModel().size}, views::kWhite);
    Seen seen = look();
    double y = 0;
    addHeading(page, y, "Albums");
    for (const auto& [t, c] : seen.albums)
        addRow(page, me, y, t + " (" + std::to_string(photoCount(c)) + ")", c);
    for (const auto& [t, inside] : seen.folders) {
        std::string list;
        for (const auto& a : inside)
            list += (list.empty() ? "" : ", ") + a;
        addRow(page, me, y, t + " \u2014 " + (list.empty() ? "empty folder" : list), nullptr);
    }
    if (seen.albums.empty() && seen.folders.empty()) addRow(page, me, y, "No albums", nullptr);
    addHeading(page, y, "Library");
    for (const auto& [t, c] : seen.smart)
        if (photoCount(c) > 0) addRow(page, me, y, t + " (" + std::to_string(photoCount(c)) + ")", c);
    rt::send(me, "setView:"_sel, page);
    rt::send(me, "setTitle:"_sel, std::string("Gallery"));
}

void rowTapped(rt::Id self, rt::Sel, Ref<rt::Object> recognizer) {
    auto row = rt::send<Ref<rt::Object>>(recognizer, "view"_sel);
    Ref<rt::Object> collection = static_cast<RowObject*>(row.get())->collection;
    auto photosPage = rt::sendClass<Ref<rt::Object>>(rt::getClass("GalleryPhotosViewController"), "new"_sel);
    photosPage->setAssociated("collection", collection);
    rt::send(photosPage, "setTitle:"_sel, titleOf(collection));
    rt::send(rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "navigationController"_sel),
             "pushViewController:animated:"_sel, photosPage, true);
}

void photosLoad(rt::Id self, rt::Sel) {
    gfx::CGSize screen = uikit::screenModel().size;
    auto page = views::box({{0, 0}, screen}, views::kWhite);
    auto assets = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAsset"), "fetchAssetsInAssetCollection:options:"_sel,
                                                 self->associated("collection"), Ref<rt::Object>());
    double side = std::floor((screen.width - 6) / 3);
    long i = 0;
    for (const auto& a : objectsOf(assets)) {
        auto v = uikit::makeView(
            {{(side + 3) * static_cast<double>(i % 3), (side + 3) * static_cast<double>(i / 3)}, {side, side}},
            rt::getClass("UIImageView"));
        rt::send(v, "setContentMode:"_sel, 2L);
        rt::send(v, "setClipsToBounds:"_sel, true);
        rt::send(v, "setImage:"_sel, photos::requestImageNow(a, {side * 2, side * 2}, 1L));
        rt::send(v, "setAccessibilityLabel:"_sel, "Photo " + std::to_string(++i));
        views::add(page, v);
    }
    rt::send(Ref<rt::Object>(self), "setView:"_sel, page);
}

void didFinishLaunching(rt::Id self, rt::Sel cmd, Ref<rt::Object> app) {
    rt::sendSuper(g_app, self, cmd, app);
    auto albums = rt::sendClass<Ref<rt::Object>>(rt::getClass("GalleryAlbumsViewController"), "new"_sel);
    auto nav =
        rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("UINavigationController"), "alloc"_sel),
                                  "initWithRootViewController:"_sel, albums);
    views::showWindow(nav);
}

} // namespace

void registerClasses(const std::string& applicationClass) {
    g_app = rt::getClass(applicationClass);
    if (!g_app) g_app = rt::defineClass(applicationClass, rt::getClass("UIApplication"));
    rt::addMethod<&didFinishLaunching>(g_app, "applicationDidFinishLaunching:"_sel);
    rt::Class* albums = rt::defineClass("GalleryAlbumsViewController", rt::getClass("UIViewController"));
    rt::addMethod<&albumsLoad>(albums, "loadView"_sel);
    rt::addMethod<&rowTapped>(albums, "_rowTapped:"_sel);
    rt::Class* photosPage = rt::defineClass("GalleryPhotosViewController", rt::getClass("UIViewController"));
    rt::addMethod<&photosLoad>(photosPage, "loadView"_sel);
    g_row = rt::defineClass("GalleryRow", rt::getClass("UIView"), rt::factoryOf<RowObject>);
    uikit::automation::addCommand("report", [](const fnd::Dictionary&) {
        return uikit::automation::success({{"report", fnd::Value(report(look()))}});
    });
}

} // namespace gallery
