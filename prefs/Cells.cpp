#include "prefs/Pane.h"
#include "sim/uikit/UIColor.h"

namespace lcprefs {

using prefs::PSSwitchTableCell;
using prefs::PSTableCell;
using rt::Ref;

namespace {

rt::Class* g_switchCell = nullptr;
rt::Class* g_buttonCell = nullptr;

// A switch whose on-tint is the accent.
Ref<rt::Object> initSwitchCell(rt::Id self, rt::Sel cmd, long style, std::string identifier,
                               Ref<rt::Object> specifier) {
    auto cell = rt::sendSuper<Ref<rt::Object>>(g_switchCell, self, cmd, style, identifier, specifier);
    if (cell)
        if (uikit::UISwitch control = PSSwitchTableCell(cell).control()) control.setOnTintColor(accentColour());
    return cell;
}

// A button whose title is in the accent.
void layoutButtonCell(rt::Id self, rt::Sel cmd) {
    rt::sendSuper(g_buttonCell, self, cmd);
    if (uikit::UILabel title = PSTableCell(Ref<rt::Object>(self)).titleLabel()) title.setTextColor(accentColour());
}

} // namespace

uikit::UIColor accentColour() { return uikit::makeColor({52 / 255.0, 160 / 255.0, 138 / 255.0, 1}); }

void defineCells() {
    g_switchCell = rt::defineClass("LCSwitchTableCell", PSSwitchTableCell::cls());
    rt::addMethod<&initSwitchCell>(g_switchCell, "initWithStyle:reuseIdentifier:specifier:"_sel);
    g_buttonCell = rt::defineClass("LCButtonCell", PSTableCell::cls());
    rt::addMethod<&layoutButtonCell>(g_buttonCell, "layoutSubviews"_sel);
}

} // namespace lcprefs
