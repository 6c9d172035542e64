#include "sim/apps/settings/Settings.h"

#include "sim/apps/host/Views.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/NSBundle.h"
#include "sim/foundation/PropertyList.h"
#include "sim/foundation/SystemLog.h"
#include "sim/preferences/Preferences.h"
#include "sim/uikit/UIAlertController.h"

#include <algorithm>
#include <dlfcn.h>
#include <filesystem>
#include <set>

namespace settings {

using rt::Ref;
using namespace rt::literals;
using fnd::Value;
using namespace prefs;
using namespace uikit;

namespace {

rt::Class* g_app = nullptr;
rt::Class* g_root = nullptr;
const char kRootKey = 0;
constexpr const char* kLoaderFolder = "/Library/PreferenceLoader/Preferences";

PSSpecifier specifier(const std::string& name, PSCellType cell, const rt::Face& target,
                      fnd::Dictionary properties = {}) {
    auto s = PSSpecifier::preferenceSpecifierNamed_target_set_get_detail_cell_edit(name, target, nullptr, nullptr,
                                                                                   nullptr, cell, nullptr);
    for (auto& [k, v] : properties)
        s.setProperty_forKey(v, k);
    return s;
}

// The rows of the installed preference bundles, by their label.
std::vector<PSSpecifier> loaderRows(const rt::Face& target) {
    std::vector<std::pair<std::string, fnd::Dictionary>> entries;
    std::error_code ec;
    for (const auto& file : std::filesystem::directory_iterator(fnd::hostPath(kLoaderFolder), ec)) {
        if (file.path().extension() != ".plist") continue;
        auto plist = fnd::readDictionaryFile(std::string(kLoaderFolder) + "/" + file.path().filename().string());
        const fnd::Dictionary* entry = plist ? fnd::valueForKey(*plist, "entry").dictionary() : nullptr;
        const std::string* label = entry ? fnd::valueForKey(*entry, "label").string() : nullptr;
        if (!label || !fnd::valueForKey(*entry, "bundle").string()) continue; // not an entry we can show
        entries.emplace_back(*label, *entry);
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<PSSpecifier> rows;
    for (auto& [label, entry] : entries) {
        entry["isBundleEntry"] = Value(true);
        rows.push_back(specifier(label, PSLinkCell, target, entry));
    }
    return rows;
}

std::vector<PSSpecifier> rootSpecifiers(rt::Id self, rt::Sel) {
    PSListController me(self);
    std::vector<PSSpecifier> stored = me._specifiers();
    if (!stored.empty()) return stored;
    std::vector<PSSpecifier> s{specifier("", PSGroupCell, me), specifier("General", PSStaticTextCell, me),
                               specifier("Privacy", PSStaticTextCell, me), specifier("Photos", PSStaticTextCell, me),
                               specifier("Camera", PSStaticTextCell, me)};
    std::vector<PSSpecifier> tweaks = loaderRows(me);
    if (!tweaks.empty()) {
        s.push_back(specifier("Tweaks", PSGroupCell, me));
        s.insert(s.end(), tweaks.begin(), tweaks.end());
    }
    me.setSpecifiers(s);
    return s;
}

// A bundle's row: its library loaded once, its page shown with the bundle.
void rootSelect(rt::Id self, rt::Sel cmd, PSSpecifier spec) {
    PSListController me(self);
    if (!spec.propertyForKey("isBundleEntry").boolValue()) return rt::sendSuper(g_root, self, cmd, spec);
    const Value bundleName = spec.propertyForKey("bundle");
    const Value detailName = spec.propertyForKey("detail");
    std::string folder = "/Library/PreferenceBundles/" + *bundleName.string() + ".bundle";
    static std::set<std::string> loaded;
    bool ok = loaded.count(folder) != 0;
    if (!ok) {
        std::string library = fnd::hostPath(folder + "/" + *bundleName.string()).string();
        ok = ::dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL) != nullptr;
        if (ok)
            loaded.insert(folder);
        else
            fnd::systemLog(fnd::LogLevel::Error, "settings: cannot load " + folder + ": " + ::dlerror());
    }
    rt::Class* detail = ok && detailName.string() ? rt::getClass(*detailName.string()) : nullptr;
    PSListController page = detail ? rt::sendClass<Ref<rt::Object>>(detail, "new"_sel) : nullptr;
    if (!page || !rt::respondsTo(page.get(), "setBundle:"_sel)) {
        auto alert = UIAlertController::alertControllerWithTitle_message_preferredStyle(
            spec.name(), "The settings of this package could not be loaded.", UIAlertControllerStyleAlert);
        alert.addAction(UIAlertAction::actionWithTitle_style_handler("OK", UIAlertActionStyleDefault, nullptr));
        me.presentViewController_animated_completion(alert, true);
        return;
    }
    page.setBundle(fnd::makeBundle(folder));
    page.setSpecifier(spec);
    if (page.title().empty()) page.setTitle(spec.name());
    me.navigationController().pushViewController_animated(page, true);
}

void didFinishLaunching(rt::Id self, rt::Sel cmd, Ref<rt::Object> app) {
    rt::sendSuper(g_app, self, cmd, app);
    UIViewController root = rt::sendClass<Ref<rt::Object>>(g_root, "new"_sel);
    root.setTitle("Settings");
    UINavigationController nav =
        UINavigationController(rt::sendClass<Ref<rt::Object>>(rt::getClass("PSRootController"), "alloc"_sel))
            .initWithRootViewController(root);
    self->setAssociated(&kRootKey, nav);
    apps::views::showWindow(nav);
}
Ref<rt::Object> rootController(rt::Id self, rt::Sel) { return self->associated(&kRootKey); }

} // namespace

void registerClasses() {
    prefs::registerPreferences();
    g_app = rt::getClass("PreferencesAppController");
    if (!g_app) g_app = rt::defineClass("PreferencesAppController", rt::getClass("UIApplication"));
    rt::addMethod<&didFinishLaunching>(g_app, "applicationDidFinishLaunching:"_sel);
    rt::addMethod<&rootController>(g_app, "rootController"_sel);
    rt::defineClass("PSRootController", rt::getClass("UINavigationController"));
    g_root = rt::defineClass("PSUIPrefsListController", rt::getClass("PSListController"));
    rt::addMethod<&rootSpecifiers>(g_root, "specifiers"_sel);
    rt::addMethod<&rootSelect>(g_root, "_selectSpecifier:"_sel);
}

} // namespace settings
