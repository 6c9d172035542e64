// The pane's three inner pages: appearance, behaviour, and the albums page,
// which adds one switch per distinct user album title to its list.

#include "prefs/Pane.h"
#include "sim/photos/kit/PhotoKit.h"

#include <set>

namespace lcprefs {

using fnd::Value;
using prefs::PSListController;
using prefs::PSSpecifier;
using rt::Ref;

namespace {

rt::Class* g_page = nullptr;
rt::Class* g_albums = nullptr;

void viewDidAppear(rt::Id self, rt::Sel cmd, bool animated) {
    rt::sendSuper(g_page, self, cmd, animated);
    tintKeyWindow(true);
}

// The page's specifiers, loaded once from its list.
std::vector<PSSpecifier> loadOnce(rt::Id self, const char* list,
                                  const std::function<void(std::vector<PSSpecifier>&)>& add = {}) {
    PSListController me{Ref<rt::Object>(self)};
    std::vector<PSSpecifier> stored = me._specifiers();
    if (!stored.empty()) return stored;
    stored = me.loadSpecifiersFromPlistName_target(list, me);
    if (add) add(stored);
    me.setSpecifiers(stored);
    return stored;
}

template <const char* List> std::vector<Ref<rt::Object>> pageSpecifiers(rt::Id self, rt::Sel) {
    auto s = loadOnce(self, List);
    return {s.begin(), s.end()};
}
constexpr char kAppearance[] = "appearance";
constexpr char kBehaviour[] = "behaviour";

// One switch per user album title, the first album of a title winning.
void addAlbumSwitches(rt::Id self, std::vector<PSSpecifier>& out) {
    using namespace photos;
    PHFetchResult<PHAssetCollection> albums = PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
        PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAlbumRegular, PHFetchOptions::new_());
    if (!albums) return;
    std::set<std::string> seen;
    for (const PHAssetCollection& album : albums.fetchedObjects()) {
        std::string title = album.localizedTitle();
        if (!seen.insert(title).second) continue;
        PSSpecifier s = PSSpecifier::preferenceSpecifierNamed_target_set_get_detail_cell_edit(
            title, rt::NSObject(Ref<rt::Object>(self)), "setPreferenceValue:specifier:"_sel, "readPreferenceValue:"_sel,
            rt::getClass("PSListItemsController"), prefs::PSTitleValueCell, nullptr);
        s.setProperty_forKey(Value(true), "enabled");
        s.setProperty_forKey(Value("1"), "default");
        s.setProperty_forKey(Value(kAlbumKeyPrefix + title), "key");
        s.setProperty_forKey(Value(kDomain), "defaults");
        s.setProperty_forKey(Value("LCSwitchTableCell"), "cellClass");
        out.push_back(s);
    }
}

std::vector<Ref<rt::Object>> albumSpecifiers(rt::Id self, rt::Sel) {
    auto s = loadOnce(self, "albums", [self](std::vector<PSSpecifier>& list) { addAlbumSwitches(self, list); });
    return {s.begin(), s.end()};
}

} // namespace

void definePages() {
    rt::Class* base = rt::getClass("LCBaseListController");
    g_page = base;
    rt::Class* appearance = rt::defineClass("LCAppearanceListController", base);
    rt::addMethod<&pageSpecifiers<kAppearance>>(appearance, "specifiers"_sel);
    rt::addMethod<&viewDidAppear>(appearance, "viewDidAppear:"_sel);
    rt::Class* behaviour = rt::defineClass("LCBehaviourListController", base);
    rt::addMethod<&pageSpecifiers<kBehaviour>>(behaviour, "specifiers"_sel);
    rt::addMethod<&viewDidAppear>(behaviour, "viewDidAppear:"_sel);
    g_albums = rt::defineClass("LCAlbumsListController", base);
    rt::addMethod<&albumSpecifiers>(g_albums, "specifiers"_sel);
    rt::addMethod<&viewDidAppear>(g_albums, "viewDidAppear:"_sel);
}

} // namespace lcprefs
