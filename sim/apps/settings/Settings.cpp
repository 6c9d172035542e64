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
using Objects = std::vector<Ref<rt::Object>>;

namespace {

rt::Class* g_app = nullptr;
rt::Class* g_root = nullptr;
const char kRootKey = 0;
constexpr const char* kLoaderFolder = "/Library/PreferenceLoader/Preferences";

Ref<rt::Object> specifier(const std::string& name, long cell, const Ref<rt::Object>& target,
                          fnd::Dictionary properties = {}) {
    auto s = rt::sendClass<Ref<rt::Object>>(rt::getClass("PSSpecifier"),
                                            "preferenceSpecifierNamed:target:set:get:detail:cell:edit:"_sel, name,
                                            target, static_cast<rt::Sel>(nullptr), static_cast<rt::Sel>(nullptr),
                                            static_cast<rt::Class*>(nullptr), cell, static_cast<rt::Class*>(nullptr));
    for (auto& [k, v] : properties)
        rt::send(s, "setProperty:forKey:"_sel, v, k);
    return s;
}

// The rows of the installed preference bundles, by their label.
Objects loaderRows(const Ref<rt::Object>& target) {
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
    Objects rows;
    for (auto& [label, entry] : entries) {
        entry["isBundleEntry"] = Value(true);
        rows.push_back(specifier(label, prefs::PSLinkCell, target, entry));
    }
    return rows;
}

Objects rootSpecifiers(rt::Id self, rt::Sel) {
    Ref<rt::Object> me(self);
    auto stored = rt::send<Objects>(me, "_specifiers"_sel);
    if (!stored.empty()) return stored;
    Objects s{specifier("", prefs::PSGroupCell, me), specifier("General", prefs::PSStaticTextCell, me),
              specifier("Privacy", prefs::PSStaticTextCell, me), specifier("Photos", prefs::PSStaticTextCell, me),
              specifier("Camera", prefs::PSStaticTextCell, me)};
    Objects tweaks = loaderRows(me);
    if (!tweaks.empty()) {
        s.push_back(specifier("Tweaks", prefs::PSGroupCell, me));
        s.insert(s.end(), tweaks.begin(), tweaks.end());
    }
    rt::send(me, "setSpecifiers:"_sel, s);
    return s;
}

// A bundle's row: its library loaded once, its page shown with the bundle.
void rootSelect(rt::Id self, rt::Sel cmd, Ref<rt::Object> spec) {
    Ref<rt::Object> me(self);
    if (!rt::send<Value>(spec, "propertyForKey:"_sel, std::string("isBundleEntry")).boolValue())
        return rt::sendSuper(g_root, self, cmd, spec);
    const Value bundleName = rt::send<Value>(spec, "propertyForKey:"_sel, std::string("bundle"));
    const Value detailName = rt::send<Value>(spec, "propertyForKey:"_sel, std::string("detail"));
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
    auto page = detail ? rt::sendClass<Ref<rt::Object>>(detail, "new"_sel) : nullptr;
    if (!page || !rt::respondsTo(page.get(), "setBundle:"_sel)) {
        std::string label = rt::send<std::string>(spec, "name"_sel);
        auto alert = rt::sendClass<Ref<rt::Object>>(
            rt::getClass("UIAlertController"), "alertControllerWithTitle:message:preferredStyle:"_sel, label,
            std::string("The settings of this package could not be loaded."), uikit::UIAlertControllerStyleAlert);
        rt::send(alert, "addAction:"_sel,
                 rt::sendClass<Ref<rt::Object>>(rt::getClass("UIAlertAction"), "actionWithTitle:style:handler:"_sel,
                                                std::string("OK"), uikit::UIAlertActionStyleDefault,
                                                rt::Block<void(Ref<rt::Object>)>()));
        rt::send(me, "presentViewController:animated:completion:"_sel, alert, true, rt::Block<void()>());
        return;
    }
    rt::send(page, "setBundle:"_sel, fnd::makeBundle(folder));
    rt::send(page, "setSpecifier:"_sel, spec);
    if (rt::send<std::string>(page, "title"_sel).empty())
        rt::send(page, "setTitle:"_sel, rt::send<std::string>(spec, "name"_sel));
    rt::send(rt::send<Ref<rt::Object>>(me, "navigationController"_sel), "pushViewController:animated:"_sel, page, true);
}

void didFinishLaunching(rt::Id self, rt::Sel cmd, Ref<rt::Object> app) {
    rt::sendSuper(g_app, self, cmd, app);
    auto root = rt::sendClass<Ref<rt::Object>>(g_root, "new"_sel);
    rt::send(root, "setTitle:"_sel, std::string("Settings"));
    auto nav = rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("PSRootController"), "alloc"_sel),
                                         "initWithRootViewController:"_sel, root);
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
