// The rows of a Settings list: PSTableCell and its switch and text kinds.

#include "sim/preferences/Preferences.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIFont.h"
#include "sim/uikit/UIGestureRecognizer.h"
#include "sim/uikit/UILabel.h"
#include "sim/uikit/UISwitch.h"
#include "sim/uikit/UIView.h"

namespace prefs {

using rt::Ref;
using namespace rt::literals;
using fnd::Value;

namespace {

rt::Class* g_cell = nullptr;
rt::Class* g_switchCell = nullptr;
rt::Class* g_editCell = nullptr;

class CellObject : public uikit::ViewObject {
public:
    using ViewObject::ViewObject;
    Ref<rt::Object> specifier, title, value, control, field;
};

CellObject* cellOf(rt::Id o) { return rt::objectAs<CellObject>(o, g_cell); }
long typeOf(const CellObject* c) {
    return c->specifier ? rt::send<long>(c->specifier, "cellType"_sel) : PSStaticTextCell;
}
Value property(const CellObject* c, const char* key) {
    return c->specifier ? rt::send<Value>(c->specifier, "propertyForKey:"_sel, std::string(key)) : Value();
}
Ref<rt::Object> targetOf(const CellObject* c) {
    return c->specifier ? rt::send<Ref<rt::Object>>(c->specifier, "target"_sel) : nullptr;
}
Value currentValue(const CellObject* c) {
    Ref<rt::Object> t = targetOf(c);
    return t ? rt::send<Value>(t, "readPreferenceValue:"_sel, c->specifier) : property(c, "default");
}
void write(CellObject* c, Value v) {
    if (Ref<rt::Object> t = targetOf(c)) rt::send(t, "setPreferenceValue:specifier:"_sel, std::move(v), c->specifier);
}

Ref<rt::Object> makeLabel(double size, uikit::Rgba colour) {
    auto l = uikit::makeView({}, rt::getClass("UILabel"));
    rt::send(l, "setFont:"_sel, uikit::makeFont({size, false}));
    rt::send(l, "setTextColor:"_sel, uikit::makeColor(colour));
    return l;
}

// A row that is tapped: its list controller decides what the row does.
void rowTapped(rt::Id recognizer, long state) {
    auto cell = rt::send<Ref<rt::Object>>(recognizer, "view"_sel);
    CellObject* c = cellOf(cell.get());
    if (state != uikit::UIGestureRecognizerStateEnded || !c || !c->specifier) return;
    if (auto controller = rt::send<Ref<rt::Object>>(cell, "_viewControllerForAncestor"_sel);
        controller && rt::respondsTo(controller.get(), "_selectSpecifier:"_sel))
        rt::send(controller, "_selectSpecifier:"_sel, c->specifier);
}
constexpr uikit::BuiltInAction kRowTap{nullptr, &rowTapped};

Ref<rt::Object> initCell(CellObject* self, rt::Sel, long, std::string, Ref<rt::Object> specifier) {
    Ref<rt::Object> me(self);
    self->specifier = std::move(specifier);
    long type = typeOf(self);
    self->frame.size.height = type == PSGroupCell ? 44 : 44;
    rt::send(me, "setBackgroundColor:"_sel,
             uikit::makeColor(type == PSGroupCell ? uikit::Rgba{0.94, 0.94, 0.96, 1} : uikit::Rgba{1, 1, 1, 1}));
    std::string name = self->specifier ? rt::send<std::string>(self->specifier, "name"_sel) : "";
    self->title = makeLabel(type == PSGroupCell ? 13 : 17, type == PSGroupCell    ? uikit::Rgba{0.43, 0.43, 0.45, 1}
                                                           : type == PSButtonCell ? uikit::Rgba{0, 0.478, 1, 1}
                                                                                  : uikit::Rgba{0, 0, 0, 1});
    std::string shown = name;
    if (type == PSGroupCell)
        for (auto& ch : shown)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    rt::send(self->title, "setText:"_sel, shown);
    rt::send(me, "addSubview:"_sel, self->title);
    if (type != PSGroupCell) rt::send(me, "setAccessibilityLabel:"_sel, name);
    if (type == PSLinkCell || type == PSLinkListCell || type == PSListItemCell) {
        self->value = makeLabel(17, {0.56, 0.56, 0.58, 1});
        rt::send(self->value, "setTextAlignment:"_sel, 2L);
        rt::send(me, "addSubview:"_sel, self->value);
    }
    if (type != PSGroupCell && type != PSSwitchCell && type != PSEditTextCell && type != PSSecureEditTextCell)
        rt::send(me, "addGestureRecognizer:"_sel, uikit::makeBuiltInRecognizer("UITapGestureRecognizer", &kRowTap));
    return me;
}

// The value a link-list row shows: the title of the current choice.
std::string choiceTitle(const CellObject* c) {
    const Value titleList = property(c, "validTitles"), valueList = property(c, "validValues");
    const fnd::Array* titles = titleList.array();
    const fnd::Array* values = valueList.array();
    if (!titles || !values) return "";
    Value now = currentValue(c);
    for (std::size_t i = 0; i < values->size() && i < titles->size(); ++i)
        if ((*values)[i] == now ||
            ((*values)[i].integer() && now.integer() && *(*values)[i].integer() == *now.integer()))
            return (*titles)[i].string() ? *(*titles)[i].string() : "";
    return "";
}

void layoutCell(CellObject* self, rt::Sel) {
    gfx::CGSize size = self->frame.size;
    long type = typeOf(self);
    if (type == PSGroupCell) {
        rt::send(self->title, "setFrame:"_sel, gfx::CGRect{{16, size.height - 24}, {size.width - 32, 18}});
        return;
    }
    rt::send(self->title, "setFrame:"_sel, gfx::CGRect{{16, 0}, {size.width * 0.6, size.height}});
    if (self->value && type == PSListItemCell) {
        rt::send(self->value, "setText:"_sel, std::string(property(self, "checked").boolValue() ? "\u2713" : ""));
        rt::send(self->value, "setTextColor:"_sel, uikit::makeColor({0, 0.478, 1, 1}));
        rt::send(self->value, "setFrame:"_sel,
                 gfx::CGRect{{size.width * 0.45, 0}, {size.width * 0.55 - 16, size.height}});
    } else if (self->value) {
        rt::send(self->value, "setText:"_sel,
                 (type == PSLinkListCell ? choiceTitle(self) + "  " : std::string()) + "\u203a");
        rt::send(self->value, "setFrame:"_sel,
                 gfx::CGRect{{size.width * 0.45, 0}, {size.width * 0.55 - 16, size.height}});
    }
}

Ref<rt::Object> specifier(CellObject* self, rt::Sel) { return self->specifier; }
Ref<rt::Object> titleLabel(CellObject* self, rt::Sel) { return self->title; }
Ref<rt::Object> control(CellObject* self, rt::Sel) { return self->control; }
Ref<rt::Object> textField(CellObject* self, rt::Sel) { return self->field; }

// ---- switch rows --------------------------------------------------------------------------------
Ref<rt::Object> initSwitchCell(CellObject* self, rt::Sel cmd, long style, std::string id, Ref<rt::Object> spec) {
    auto me = rt::sendSuper<Ref<rt::Object>>(g_switchCell, self, cmd, style, id, spec);
    self->control = rt::sendClass<Ref<rt::Object>>(rt::getClass("UISwitch"), "new"_sel);
    rt::send(self->control, "setOn:"_sel, currentValue(self).boolValue());
    rt::send(self->control, "setAccessibilityLabel:"_sel, rt::send<std::string>(spec, "name"_sel) + " switch");
    rt::send(self->control, "addTarget:action:forControlEvents:"_sel, me, rt::sel("_switchChanged:"),
             uikit::UIControlEventValueChanged);
    rt::send(me, "addSubview:"_sel, self->control);
    return me;
}
void layoutSwitchCell(CellObject* self, rt::Sel cmd) {
    rt::sendSuper(g_switchCell, self, cmd);
    rt::send(self->control, "setFrame:"_sel,
             gfx::CGRect{{self->frame.size.width - 67, (self->frame.size.height - 31) / 2}, {51, 31}});
}
void switchChanged(CellObject* self, rt::Sel, Ref<rt::Object> sw) {
    write(self, Value(rt::send<bool>(sw, "isOn"_sel)));
}

// ---- text rows -----------------------------------------------------------------------------------------
Ref<rt::Object> initEditCell(CellObject* self, rt::Sel cmd, long style, std::string id, Ref<rt::Object> spec) {
    auto me = rt::sendSuper<Ref<rt::Object>>(g_editCell, self, cmd, style, id, spec);
    self->field = uikit::makeView({}, rt::getClass("UITextField"));
    Value v = currentValue(self);
    std::string text = v.string() ? *v.string() : v.integer() ? std::to_string(*v.integer()) : "";
    rt::send(self->field, "setText:"_sel, text);
    rt::send(self->field, "setSecureTextEntry:"_sel, typeOf(self) == PSSecureEditTextCell);
    rt::send(self->field, "setAccessibilityLabel:"_sel, rt::send<std::string>(spec, "name"_sel) + " field");
    rt::send(self->field, "setDelegate:"_sel, me);
    rt::send(me, "addSubview:"_sel, self->field);
    return me;
}
void layoutEditCell(CellObject* self, rt::Sel cmd) {
    rt::sendSuper(g_editCell, self, cmd);
    rt::send(
        self->field, "setFrame:"_sel,
        gfx::CGRect{{self->frame.size.width * 0.5, 0}, {self->frame.size.width * 0.5 - 16, self->frame.size.height}});
}
// The value is written when editing ends; the return key ends it through the list.
void didEndEditing(CellObject* self, rt::Sel, Ref<rt::Object> field) {
    std::string text = rt::send<std::string>(field, "text"_sel);
    Value typed(text);
    if (property(self, "isNumeric").boolValue() || property(self, "default").integer()) {
        char* end = nullptr;
        long n = std::strtol(text.c_str(), &end, 10);
        if (!text.empty() && end && !*end) typed = Value(static_cast<std::int64_t>(n));
    }
    write(self, typed);
}
bool shouldReturn(CellObject* self, rt::Sel, Ref<rt::Object> field) {
    auto controller = rt::send<Ref<rt::Object>>(Ref<rt::Object>(self), "_viewControllerForAncestor"_sel);
    if (controller)
        rt::send(controller, "_returnKeyPressed:"_sel, field);
    else
        rt::send<bool>(field, "resignFirstResponder"_sel);
    return true;
}

} // namespace

void defineCells() {
    g_cell = rt::defineClass("PSTableCell", rt::getClass("UITableViewCell"), rt::factoryOf<CellObject>);
    rt::addMethod<&initCell>(g_cell, "initWithStyle:reuseIdentifier:specifier:"_sel);
    rt::addMethod<&layoutCell>(g_cell, "layoutSubviews"_sel);
    rt::addMethod<&specifier>(g_cell, "specifier"_sel);
    rt::addMethod<&titleLabel>(g_cell, "titleLabel"_sel);
    g_switchCell = rt::defineClass("PSSwitchTableCell", g_cell);
    rt::addMethod<&initSwitchCell>(g_switchCell, "initWithStyle:reuseIdentifier:specifier:"_sel);
    rt::addMethod<&layoutSwitchCell>(g_switchCell, "layoutSubviews"_sel);
    rt::addMethod<&control>(g_switchCell, "control"_sel);
    rt::addMethod<&switchChanged>(g_switchCell, "_switchChanged:"_sel);
    g_editCell = rt::defineClass("PSEditableTableCell", g_cell);
    rt::addMethod<&initEditCell>(g_editCell, "initWithStyle:reuseIdentifier:specifier:"_sel);
    rt::addMethod<&layoutEditCell>(g_editCell, "layoutSubviews"_sel);
    rt::addMethod<&textField>(g_editCell, "textField"_sel);
    rt::addMethod<&didEndEditing>(g_editCell, "textFieldDidEndEditing:"_sel);
    rt::addMethod<&shouldReturn>(g_editCell, "textFieldShouldReturn:"_sel);
}

} // namespace prefs
