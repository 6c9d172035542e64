// PSSpecifier and specifier lists.

#include "sim/foundation/PropertyList.h"
#include "sim/preferences/Preferences.h"

namespace prefs {

using rt::Ref;
using namespace rt::literals;
using fnd::Dictionary;
using fnd::Value;

namespace {

rt::Class* g_specifier = nullptr;

class SpecifierObject : public rt::Object {
public:
    using Object::Object;
    std::string name;
    rt::Weak<rt::Object> target;
    rt::Sel setter = nullptr, getter = nullptr;
    rt::Class* detail = nullptr;
    long cell = PSGroupCell;
    rt::Class* edit = nullptr;
    Dictionary properties;
};

SpecifierObject* specifierOf(rt::Id o) { return rt::objectAs<SpecifierObject>(o, g_specifier); }

Ref<rt::Object> named(rt::Id, rt::Sel, std::string name, Ref<rt::Object> target, rt::Sel set, rt::Sel get,
                      rt::Class* detail, long cell, rt::Class* edit) {
    auto s = rt::createInstance<SpecifierObject>(g_specifier);
    s->name = std::move(name);
    s->target = target.get();
    s->setter = set;
    s->getter = get;
    s->detail = detail;
    s->cell = cell;
    s->edit = edit;
    return s;
}
std::string name(SpecifierObject* self, rt::Sel) { return self->name; }
Ref<rt::Object> target(SpecifierObject* self, rt::Sel) { return self->target.load(); }
long cellType(SpecifierObject* self, rt::Sel) { return self->cell; }
rt::Class* detailClass(SpecifierObject* self, rt::Sel) { return self->detail; }
Dictionary properties(SpecifierObject* self, rt::Sel) { return self->properties; }
Value propertyForKey(SpecifierObject* self, rt::Sel, std::string key) {
    return fnd::valueForKey(self->properties, key);
}
void setProperty(SpecifierObject* self, rt::Sel, Value v, std::string key) { self->properties[key] = std::move(v); }
std::string identifier(SpecifierObject* self, rt::Sel) {
    const std::string* key = fnd::valueForKey(self->properties, "key").string();
    return key ? *key : self->name;
}

long cellTypeNamed(const std::string& cell) {
    static const std::pair<const char*, long> kNames[] = {{"PSGroupCell", PSGroupCell},
                                                          {"PSLinkCell", PSLinkCell},
                                                          {"PSLinkListCell", PSLinkListCell},
                                                          {"PSListItemCell", PSListItemCell},
                                                          {"PSTitleValueCell", PSTitleValueCell},
                                                          {"PSSwitchCell", PSSwitchCell},
                                                          {"PSStaticTextCell", PSStaticTextCell},
                                                          {"PSEditTextCell", PSEditTextCell},
                                                          {"PSSecureEditTextCell", PSSecureEditTextCell},
                                                          {"PSButtonCell", PSButtonCell}};
    for (const auto& [n, t] : kNames)
        if (cell == n) return t;
    return PSStaticTextCell; // an unknown kind shows as text
}

} // namespace

std::vector<Ref<rt::Object>> specifiersFromFile(const std::string& path, const Ref<rt::Object>& target) {
    std::vector<Ref<rt::Object>> out;
    auto list = fnd::readDictionaryFile(path);
    const fnd::Array* items = list ? fnd::valueForKey(*list, "items").array() : nullptr;
    if (!items) return out;
    for (const Value& item : *items) {
        const Dictionary* d = item.dictionary();
        if (!d) continue; // garbage in a list: that item is skipped
        const std::string* cell = fnd::valueForKey(*d, "cell").string();
        const std::string* label = fnd::valueForKey(*d, "label").string();
        const std::string* detail = fnd::valueForKey(*d, "detail").string();
        long type = cellTypeNamed(cell ? *cell : "");
        bool valued = fnd::valueForKey(*d, "key").string() != nullptr;
        auto s = rt::sendClass<Ref<rt::Object>>(
            g_specifier, "preferenceSpecifierNamed:target:set:get:detail:cell:edit:"_sel,
            label ? *label : std::string(), target, valued ? rt::sel("setPreferenceValue:specifier:") : nullptr,
            valued ? rt::sel("readPreferenceValue:") : nullptr, detail ? rt::getClass(*detail) : nullptr, type,
            static_cast<rt::Class*>(nullptr));
        specifierOf(s.get())->properties = *d;
        out.push_back(s);
    }
    return out;
}

void defineSpecifiers() {
    g_specifier = rt::defineClass("PSSpecifier", nullptr, rt::factoryOf<SpecifierObject>);
    rt::addMethod<&named>(rt::objectGetClass(g_specifier),
                          "preferenceSpecifierNamed:target:set:get:detail:cell:edit:"_sel);
    rt::addMethod<&name>(g_specifier, "name"_sel);
    rt::addMethod<&target>(g_specifier, "target"_sel);
    rt::addMethod<&cellType>(g_specifier, "cellType"_sel);
    rt::addMethod<&detailClass>(g_specifier, "detailControllerClass"_sel);
    rt::addMethod<&properties>(g_specifier, "properties"_sel);
    rt::addMethod<&propertyForKey>(g_specifier, "propertyForKey:"_sel);
    rt::addMethod<&setProperty>(g_specifier, "setProperty:forKey:"_sel);
    rt::addMethod<&identifier>(g_specifier, "identifier"_sel);
}

} // namespace prefs
