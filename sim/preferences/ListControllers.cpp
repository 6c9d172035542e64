// PSListController and PSListItemsController: a page of rows made from
// specifiers, and the page of one specifier's choices.

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/NSBundle.h"
#include "sim/foundation/PropertyList.h"
#include "sim/foundation/SystemLog.h"
#include "sim/ipc/Notify.h"
#include "sim/preferences/Preferences.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIFont.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/UIViewController.h"

#include <cmath>

namespace prefs {

using rt::Ref;
using namespace rt::literals;
using fnd::Dictionary;
using fnd::Value;
using Objects = std::vector<Ref<rt::Object>>;

namespace {

rt::Class* g_list = nullptr;
rt::Class* g_items = nullptr;

class ListObject : public uikit::ControllerObject {
public:
    using ControllerObject::ControllerObject;
    Objects specifiers;
    bool loaded = false;
    Ref<rt::Object> bundle, parentSpecifier;
};

ListObject* listOf(rt::Id o) { return rt::objectAs<ListObject>(o, g_list); }

std::string preferencePath(const Ref<rt::Object>& specifier) {
    const Value d = rt::send<Value>(specifier, "propertyForKey:"_sel, std::string("defaults"));
    return d.string() ? "/var/mobile/Library/Preferences/" + *d.string() + ".plist" : "";
}
std::string keyOf(const Ref<rt::Object>& specifier) {
    const Value k = rt::send<Value>(specifier, "propertyForKey:"_sel, std::string("key"));
    return k.string() ? *k.string() : "";
}

// ---- values -------------------------------------------------------------------------------------
Value readValue(rt::Id, rt::Sel, Ref<rt::Object> specifier) {
    std::string path = preferencePath(specifier), key = keyOf(specifier);
    if (!path.empty() && !key.empty())
        if (auto file = fnd::readDictionaryFile(path); file && file->count(key)) return file->at(key);
    return rt::send<Value>(specifier, "propertyForKey:"_sel, std::string("default"));
}

void setValue(rt::Id, rt::Sel, Value value, Ref<rt::Object> specifier) {
    std::string path = preferencePath(specifier), key = keyOf(specifier);
    if (path.empty() || key.empty()) return;
    Dictionary file = fnd::readDictionaryFile(path).value_or(Dictionary{});
    file[key] = std::move(value);
    fnd::writePlistFile(path, Value(file));
    const Value post = rt::send<Value>(specifier, "propertyForKey:"_sel, std::string("PostNotification"));
    if (const std::string* note = post.string())
        CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), note->c_str(), nullptr,
                                             nullptr, true);
}

// ---- the page ---------------------------------------------------------------------------------------
Objects specifiers(ListObject* self, rt::Sel) { return self->specifiers; }
Objects specifierStorage(ListObject* self, rt::Sel) { return self->specifiers; }
void setSpecifiers(ListObject* self, rt::Sel, Objects s) {
    self->specifiers = std::move(s);
    self->loaded = true;
    if (self->view) rt::send(Ref<rt::Object>(self), "reloadSpecifiers"_sel);
}

Objects loadFromPlist(ListObject* self, rt::Sel, std::string name, Ref<rt::Object> target) {
    if (!self->bundle) return {};
    std::string path = rt::send<std::string>(self->bundle, "pathForResource:ofType:"_sel, name, std::string("plist"));
    if (path.empty()) return {};
    if (auto list = fnd::readDictionaryFile(path))
        if (const std::string* title = fnd::valueForKey(*list, "title").string(); title && self->title.empty())
            self->title = *title;
    return specifiersFromFile(path, target);
}

rt::Class* cellClassFor(const Ref<rt::Object>& specifier) {
    rt::Class* base = rt::getClass("PSTableCell");
    const Value cellClass = rt::send<Value>(specifier, "propertyForKey:"_sel, std::string("cellClass"));
    if (const std::string* name = cellClass.string())
        if (rt::Class* c = rt::getClass(*name); c && rt::classIsSubclassOf(c, base)) return c;
    switch (rt::send<long>(specifier, "cellType"_sel)) {
    case PSSwitchCell:
        return rt::getClass("PSSwitchTableCell");
    case PSEditTextCell:
    case PSSecureEditTextCell:
        return rt::getClass("PSEditableTableCell");
    default:
        return base;
    }
}

// A group's "footerText", below its last row: small grey text, as many lines as it needs.
Ref<rt::Object> footerRow(const std::string& text, double width) {
    auto label = uikit::makeView({}, rt::getClass("UILabel"));
    rt::send(label, "setFont:"_sel, uikit::makeFont({13, false}));
    rt::send(label, "setTextColor:"_sel, uikit::makeColor({0.43, 0.43, 0.45, 1}));
    rt::send(label, "setNumberOfLines:"_sel, 0L);
    rt::send(label, "setText:"_sel, text);
    gfx::CGSize fits = rt::send<gfx::CGSize>(label, "sizeThatFits:"_sel, gfx::CGSize{width - 32, 10000});
    double textHeight = std::ceil(fits.height);
    rt::send(label, "setFrame:"_sel, gfx::CGRect{{16, 6}, {width - 32, textHeight}});
    auto row = uikit::makeView({{0, 0}, {width, textHeight + 12}}, rt::getClass("UIView"));
    rt::send(row, "setBackgroundColor:"_sel, uikit::makeColor({0.94, 0.94, 0.96, 1}));
    rt::send(row, "addSubview:"_sel, label);
    return row;
}

void reloadSpecifiers(ListObject* self, rt::Sel) {
    Ref<rt::Object> me(self);
    double width = uikit::screenModel().size.width;
    Objects rows;
    std::string footer; // the open group's
    auto closeGroup = [&] {
        if (!footer.empty()) rows.push_back(footerRow(footer, width));
        footer.clear();
    };
    for (const auto& s : rt::send<Objects>(me, "specifiers"_sel)) {
        if (rt::send<long>(s, "cellType"_sel) == PSGroupCell) {
            closeGroup();
            const Value text = rt::send<Value>(s, "propertyForKey:"_sel, std::string("footerText"));
            if (const std::string* t = text.string()) footer = *t;
        }
        auto cell = rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(cellClassFor(s), "alloc"_sel),
                                              "initWithStyle:reuseIdentifier:specifier:"_sel, 0L, std::string(), s);
        if (!cell) continue;
        gfx::CGRect f = rt::send<gfx::CGRect>(cell, "frame"_sel);
        rt::send(cell, "setFrame:"_sel, gfx::CGRect{{0, 0}, {width, f.size.height > 0 ? f.size.height : 44}});
        rows.push_back(cell);
    }
    closeGroup();
    rt::send(rt::send<Ref<rt::Object>>(me, "table"_sel), "setRows:"_sel, rows);
    if (auto nav = rt::send<Ref<rt::Object>>(me, "navigationController"_sel)) rt::send(nav, "_updateNavigationBar"_sel);
}

void loadView(ListObject* self, rt::Sel) {
    auto table = uikit::makeView({{0, 0}, uikit::screenModel().size}, rt::getClass("UITableView"));
    rt::send(table, "setBackgroundColor:"_sel, uikit::makeColor({0.94, 0.94, 0.96, 1}));
    rt::send(Ref<rt::Object>(self), "setView:"_sel, table);
}
void willAppear(ListObject* self, rt::Sel, bool) { rt::send(Ref<rt::Object>(self), "reloadSpecifiers"_sel); }
Ref<rt::Object> table(ListObject* self, rt::Sel) {
    return rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "view"_sel);
}
Ref<rt::Object> bundle(ListObject* self, rt::Sel) { return self->bundle; }
void setBundle(ListObject* self, rt::Sel, Ref<rt::Object> b) { self->bundle = std::move(b); }
Ref<rt::Object> parentSpecifier(ListObject* self, rt::Sel) { return self->parentSpecifier; }
void setParentSpecifier(ListObject* self, rt::Sel, Ref<rt::Object> s) { self->parentSpecifier = std::move(s); }
void returnKeyPressed(ListObject* self, rt::Sel, Ref<rt::Object>) {
    if (self->view) rt::send<bool>(self->view, "endEditing:"_sel, true);
}

// A tapped row: a link opens its page, a button sends its action.
void selectSpecifier(ListObject* self, rt::Sel, Ref<rt::Object> specifier) {
    Ref<rt::Object> me(self);
    long type = rt::send<long>(specifier, "cellType"_sel);
    if (type == PSLinkCell || type == PSLinkListCell) {
        rt::Class* detail = rt::send<rt::Class*>(specifier, "detailControllerClass"_sel);
        if (!detail && type == PSLinkListCell) detail = g_items;
        if (!detail) return;
        auto page = rt::sendClass<Ref<rt::Object>>(detail, "new"_sel);
        if (!listOf(page.get())) return; // not a list page: nothing to show it with
        rt::send(page, "setBundle:"_sel, self->bundle);
        rt::send(page, "setSpecifier:"_sel, specifier);
        if (rt::send<std::string>(page, "title"_sel).empty())
            rt::send(page, "setTitle:"_sel, rt::send<std::string>(specifier, "name"_sel));
        if (auto nav = rt::send<Ref<rt::Object>>(me, "navigationController"_sel))
            rt::send(nav, "pushViewController:animated:"_sel, page, true);
    } else if (type == PSButtonCell) {
        const Value actionValue = rt::send<Value>(specifier, "propertyForKey:"_sel, std::string("action"));
        const std::string* action = actionValue.string();
        Ref<rt::Object> target = rt::send<Ref<rt::Object>>(specifier, "target"_sel);
        if (!target) target = me;
        if (!action) return;
        // The action is named by the bundle's specifier file: a method the
        // target lacks, or one of another signature, is logged, not fatal.
        rt::Sel selector = rt::sel(*action);
        if (!rt::respondsTo(target.get(), selector)) return;
        auto sent =
            rt::argumentCount(selector) > 0 ? rt::trySend(target, selector, specifier) : rt::trySend(target, selector);
        if (!sent.ok()) fnd::systemLog(fnd::LogLevel::Error, "Preferences: button action: " + sent.error());
    }
}

// ---- PSListItemsController: the choices of the specifier that opened it -------------------------
Objects itemSpecifiers(ListObject* self, rt::Sel) {
    Objects out;
    Ref<rt::Object> parent = self->parentSpecifier;
    if (!parent) return out;
    const Value titleList = rt::send<Value>(parent, "propertyForKey:"_sel, std::string("validTitles"));
    const Value valueList = rt::send<Value>(parent, "propertyForKey:"_sel, std::string("validValues"));
    const fnd::Array* titles = titleList.array();
    const fnd::Array* values = valueList.array();
    Ref<rt::Object> owner = rt::send<Ref<rt::Object>>(parent, "target"_sel);
    if (!titles || !values || !owner) return out;
    Value now = rt::send<Value>(owner, "readPreferenceValue:"_sel, parent);
    for (std::size_t i = 0; i < titles->size() && i < values->size(); ++i) {
        auto s = rt::sendClass<Ref<rt::Object>>(
            rt::getClass("PSSpecifier"), "preferenceSpecifierNamed:target:set:get:detail:cell:edit:"_sel,
            (*titles)[i].string() ? *(*titles)[i].string() : std::string(), Ref<rt::Object>(self),
            static_cast<rt::Sel>(nullptr), static_cast<rt::Sel>(nullptr), static_cast<rt::Class*>(nullptr),
            static_cast<long>(PSListItemCell), static_cast<rt::Class*>(nullptr));
        bool checked = (*values)[i] == now ||
                       ((*values)[i].integer() && now.integer() && *(*values)[i].integer() == *now.integer());
        rt::send(s, "setProperty:forKey:"_sel, Value(checked), std::string("checked"));
        rt::send(s, "setProperty:forKey:"_sel, (*values)[i], std::string("value"));
        out.push_back(s);
    }
    return out;
}
void selectItem(ListObject* self, rt::Sel, Ref<rt::Object> specifier) {
    Ref<rt::Object> parent = self->parentSpecifier;
    Ref<rt::Object> owner = parent ? rt::send<Ref<rt::Object>>(parent, "target"_sel) : nullptr;
    if (!owner) return;
    rt::send(owner, "setPreferenceValue:specifier:"_sel,
             rt::send<Value>(specifier, "propertyForKey:"_sel, std::string("value")), parent);
    rt::send(Ref<rt::Object>(self), "reloadSpecifiers"_sel);
}

} // namespace

void defineListControllers() {
    g_list = rt::defineClass("PSListController", rt::getClass("UIViewController"), rt::factoryOf<ListObject>);
    rt::Class* c = g_list;
    rt::addMethod<&specifiers>(c, "specifiers"_sel);
    rt::addMethod<&specifierStorage>(c, "_specifiers"_sel);
    rt::addMethod<&setSpecifiers>(c, "setSpecifiers:"_sel);
    rt::addMethod<&loadFromPlist>(c, "loadSpecifiersFromPlistName:target:"_sel);
    rt::addMethod<&reloadSpecifiers>(c, "reloadSpecifiers"_sel);
    rt::addMethod<&loadView>(c, "loadView"_sel);
    rt::addMethod<&willAppear>(c, "viewWillAppear:"_sel);
    rt::addMethod<&table>(c, "table"_sel);
    rt::addMethod<&bundle>(c, "bundle"_sel);
    rt::addMethod<&setBundle>(c, "setBundle:"_sel);
    rt::addMethod<&parentSpecifier>(c, "specifier"_sel);
    rt::addMethod<&setParentSpecifier>(c, "setSpecifier:"_sel);
    rt::addMethod<&readValue>(c, "readPreferenceValue:"_sel);
    rt::addMethod<&setValue>(c, "setPreferenceValue:specifier:"_sel);
    rt::addMethod<&returnKeyPressed>(c, "_returnKeyPressed:"_sel);
    rt::addMethod<&selectSpecifier>(c, "_selectSpecifier:"_sel);
    g_items = rt::defineClass("PSListItemsController", g_list);
    rt::addMethod<&itemSpecifiers>(g_items, "specifiers"_sel);
    rt::addMethod<&selectItem>(g_items, "_selectSpecifier:"_sel);
}

void registerPreferences() {
    static std::once_flag once;
    std::call_once(once, [] {
        fnd::registerNSBundle();
        defineSpecifiers();
        defineCells();
        defineListControllers();
    });
}

} // namespace prefs
