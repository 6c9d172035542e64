#include "sim/apps/gallery/Gallery.h"

#include "sim/apps/host/Views.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIViewController.h"

#include <cmath>

namespace gallery {

using namespace photos;
using namespace uikit;
using rt::Ref;
namespace views = apps::views;

namespace {

rt::Class* g_app = nullptr;
rt::Class* g_row = nullptr;

class RowObject : public ViewObject {
public:
    using ViewObject::ViewObject;
    PHAssetCollection collection;
};

unsigned long photoCount(const PHAssetCollection& collection) {
    return PHAsset::fetchAssetsInAssetCollection_options(collection, nullptr).count();
}
bool isFolder(const PHCollection& c) { return c.isKindOf(PHCollectionList::cls()); }

// What the app is shown, in the order it shows it.
struct Seen {
    std::vector<std::pair<std::string, PHAssetCollection>> albums, smart;
    std::vector<std::pair<std::string, std::vector<std::string>>> folders;
    std::size_t ids = 0;
};

Seen look() {
    Seen seen;
    for (const PHCollection& c : PHCollection::fetchTopLevelUserCollectionsWithOptions(nullptr).fetchedObjects()) {
        if (isFolder(c)) {
            std::vector<std::string> inside;
            for (const PHCollection& a : c.as<PHCollectionList>().collections())
                inside.push_back(a.localizedTitle());
            seen.folders.emplace_back(c.localizedTitle(), inside);
        } else {
            seen.albums.emplace_back(c.localizedTitle(), c.as<PHAssetCollection>());
        }
    }
    auto albums = PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
        PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAlbumRegular, nullptr);
    if (albums) seen.ids = albums.fetchedObjectIDsSet().count();
    auto smart = PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(PHAssetCollectionTypeSmartAlbum,
                                                                                  PHAssetCollectionSubtypeAny, nullptr);
    for (const PHAssetCollection& c : smart.fetchedObjects())
        seen.smart.emplace_back(c.localizedTitle(), c);
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

UIImage keyPhoto(const PHAssetCollection& collection) {
    auto keys = PHAsset::fetchKeyAssetsInAssetCollection_options(collection, nullptr);
    return keys ? requestImageNow(keys.firstObject(), {88, 88}, PHImageContentModeAspectFill) : nullptr;
}

// ---- the screens ----------------------------------------------------------------------------------
void addRow(const UIView& page, const UIViewController& target, double& y, const std::string& text,
            const PHCollection& collection) {
    double w = screenModel().size.width;
    UIView row = makeView({{0, y}, {w, 56}}, g_row);
    bool album = collection && !isFolder(collection);
    if (album) static_cast<RowObject*>(row.get())->collection = collection.as<PHAssetCollection>();
    row.setAccessibilityLabel(text);
    UIImageView thumb = makeView({{16, 6}, {44, 44}}, UIImageView::cls());
    thumb.setContentMode(UIViewContentModeScaleAspectFill);
    thumb.setClipsToBounds(true);
    thumb.setBackgroundColor(makeColor({0.9, 0.9, 0.92, 1}));
    if (album) thumb.setImage(keyPhoto(collection.as<PHAssetCollection>()));
    row.addSubview(thumb);
    row.addSubview(views::label({{72, 0}, {w - 88, 56}}, text, 17, views::kBlack));
    if (album) views::onTap(row, target, "_rowTapped:");
    page.addSubview(row);
    y += 56;
}
void addHeading(const UIView& page, double& y, const std::string& text) {
    page.addSubview(views::label({{16, y + 12}, {screenModel().size.width - 32, 24}}, text, 20, views::kBlack,
                                 NSTextAlignmentLeft, true));
    y += 44;
}

void albumsLoad(rt::Id self, rt::Sel) {
    UIViewController me(self);
    UIView page = views::box({{0, 0}, screenModel().size}, views::kWhite);
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
    me.setView(page);
    me.setTitle("Gallery");
}

void rowTapped(rt::Id self, rt::Sel, UIGestureRecognizer recognizer) {
    PHAssetCollection collection = static_cast<RowObject*>(recognizer.view().get())->collection;
    UIViewController photosPage =
        rt::sendClass<Ref<rt::Object>>(rt::getClass("GalleryPhotosViewController"), "new"_sel);
    photosPage.get()->setAssociated("collection", collection);
    photosPage.setTitle(collection.localizedTitle());
    UIViewController(self).navigationController().pushViewController_animated(photosPage, true);
}

void photosLoad(rt::Id self, rt::Sel) {
    CGSize screen = screenModel().size;
    UIView page = views::box({{0, 0}, screen}, views::kWhite);
    auto assets = PHAsset::fetchAssetsInAssetCollection_options(self->associated("collection"), nullptr);
    double side = std::floor((screen.width - 6) / 3);
    long i = 0;
    for (const PHAsset& a : assets.fetchedObjects()) {
        UIImageView v =
            makeView({{(side + 3) * static_cast<double>(i % 3), (side + 3) * static_cast<double>(i / 3)}, {side, side}},
                     UIImageView::cls());
        v.setContentMode(UIViewContentModeScaleAspectFill);
        v.setClipsToBounds(true);
        v.setImage(requestImageNow(a, {side * 2, side * 2}, PHImageContentModeAspectFill));
        v.setAccessibilityLabel("Photo " + std::to_string(++i));
        page.addSubview(v);
    }
    UIViewController(self).setView(page);
}

void didFinishLaunching(rt::Id self, rt::Sel cmd, Ref<rt::Object> app) {
    rt::sendSuper(g_app, self, cmd, app);
    UIViewController albums = rt::sendClass<Ref<rt::Object>>(rt::getClass("GalleryAlbumsViewController"), "new"_sel);
    views::showWindow(UINavigationController::alloc().initWithRootViewController(albums));
}

} // namespace

void registerClasses(const std::string& applicationClass) {
    g_app = rt::getClass(applicationClass);
    if (!g_app) g_app = rt::defineClass(applicationClass, UIApplication::cls());
    rt::addMethod<&didFinishLaunching>(g_app, "applicationDidFinishLaunching:"_sel);
    rt::Class* albums = rt::defineClass("GalleryAlbumsViewController", UIViewController::cls());
    rt::addMethod<&albumsLoad>(albums, "loadView"_sel);
    rt::addMethod<&rowTapped>(albums, "_rowTapped:"_sel);
    rt::Class* photosPage = rt::defineClass("GalleryPhotosViewController", UIViewController::cls());
    rt::addMethod<&photosLoad>(photosPage, "loadView"_sel);
    g_row = rt::defineClass("GalleryRow", UIView::cls(), rt::factoryOf<RowObject>);
    automation::addCommand("report", [](const fnd::Dictionary&) {
        return automation::success({{"report", fnd::Value(report(look()))}});
    });
}

} // namespace gallery
