#pragma once
// The Settings app's list-controller framework (Preferences.framework), as
// runtime classes, so that a preference bundle's subclasses work as on the
// phone.
//
// PSSpecifier: +preferenceSpecifierNamed:target:set:get:detail:cell:edit:
//   -name -target -cellType -detailControllerClass -properties
//   -propertyForKey: -setProperty:forKey: -identifier
// PSListController (a UIViewController): -specifiers (the storage, loaded
//   by nobody until a subclass does) -setSpecifiers: -_specifiers (the
//   storage itself) -loadSpecifiersFromPlistName:target: (the bundle's
//   "<name>.plist": {"title", "items": [...]}) -readPreferenceValue:
//   -setPreferenceValue:specifier: -table -bundle -setBundle: -reloadSpecifiers
//   -_returnKeyPressed: (ends editing)
// PSTableCell (a UITableViewCell): -initWithStyle:reuseIdentifier:specifier:
//   -specifier -titleLabel -layoutSubviews
// PSSwitchTableCell: -control (a UISwitch that writes the value)
// PSEditableTableCell: -textField (the value, written when editing ends)
// PSListItemsController: the choices of a specifier ("validTitles",
//   "validValues"), the current one ticked; a tap writes it.
//
// An item of a specifier list has "cell" (PSGroupCell, PSLinkCell,
// PSLinkListCell, PSSwitchCell, PSEditTextCell, PSSecureEditTextCell,
// PSButtonCell, PSStaticTextCell), "label", and as its kind needs "key",
// "defaults", "default", "PostNotification", "detail" (a controller class),
// "action" (a selector of the target), "cellClass", "validTitles",
// "validValues", "footerText". Values live in
// "/var/mobile/Library/Preferences/<defaults>.plist"; a change is written
// at once, then "PostNotification" is posted as a Darwin notification.
// A tap on a link row pushes its detail controller (with the same bundle);
// on a button row, sends its action to the target.

#include "sim/foundation/Value.h"
#include "sim/runtime/Runtime.h"
#include "sim/runtime/Weak.h"
#include "sim/uikit/UIKit.h"

#include <string>

namespace prefs {

// PSCellType, with the platform's values.
using PSCellType = long;
inline constexpr PSCellType PSGroupCell = 0;
inline constexpr PSCellType PSLinkCell = 1;
inline constexpr PSCellType PSLinkListCell = 2;
inline constexpr PSCellType PSListItemCell = 3;
inline constexpr PSCellType PSTitleValueCell = 4;
inline constexpr PSCellType PSSwitchCell = 6;
inline constexpr PSCellType PSStaticTextCell = 7;
inline constexpr PSCellType PSEditTextCell = 8;
inline constexpr PSCellType PSSecureEditTextCell = 12;
inline constexpr PSCellType PSButtonCell = 13;

// ---- faces (Face.h) -------------------------------------------------------------------------------
using uikit::UILabel;
using uikit::UISwitch;
using uikit::UITableView;
using uikit::UITextField;
using namespace rt::literals;

struct PSSpecifier : rt::NSObject {
    RT_FACE(PSSpecifier, rt::NSObject)
    static PSSpecifier preferenceSpecifierNamed_target_set_get_detail_cell_edit(const std::string& name,
                                                                                const rt::Face& target, rt::Sel set,
                                                                                rt::Sel get, rt::Class* detail,
                                                                                PSCellType cell, rt::Class* edit) {
        return rt::sendClass<PSSpecifier>(cls(), "preferenceSpecifierNamed:target:set:get:detail:cell:edit:"_sel, name,
                                          target, set, get, detail, cell, edit);
    }
    std::string name() const { return msg<std::string>("name"_sel); }
    std::string identifier() const { return msg<std::string>("identifier"_sel); }
    rt::NSObject target() const { return msg<rt::NSObject>("target"_sel); }
    PSCellType cellType() const { return msg<PSCellType>("cellType"_sel); }
    rt::Class* detailControllerClass() const { return msg<rt::Class*>("detailControllerClass"_sel); }
    fnd::Dictionary properties() const { return msg<fnd::Dictionary>("properties"_sel); }
    fnd::Value propertyForKey(const std::string& key) const { return msg<fnd::Value>("propertyForKey:"_sel, key); }
    void setProperty_forKey(const fnd::Value& value, const std::string& key) const {
        msg("setProperty:forKey:"_sel, value, key);
    }
};

struct PSListController : uikit::UIViewController {
    RT_FACE(PSListController, uikit::UIViewController)
    std::vector<PSSpecifier> specifiers() const { return msg<std::vector<PSSpecifier>>("specifiers"_sel); }
    void setSpecifiers(const std::vector<PSSpecifier>& specifiers) const { msg("setSpecifiers:"_sel, specifiers); }
    // The storage behind -specifiers, as a subclass's override reads it.
    std::vector<PSSpecifier> _specifiers() const { return msg<std::vector<PSSpecifier>>("_specifiers"_sel); }
    std::vector<PSSpecifier> loadSpecifiersFromPlistName_target(const std::string& name, const rt::Face& target) const {
        return msg<std::vector<PSSpecifier>>("loadSpecifiersFromPlistName:target:"_sel, name, target);
    }
    fnd::Value readPreferenceValue(const PSSpecifier& specifier) const {
        return msg<fnd::Value>("readPreferenceValue:"_sel, specifier);
    }
    void setPreferenceValue_specifier(const fnd::Value& value, const PSSpecifier& specifier) const {
        msg("setPreferenceValue:specifier:"_sel, value, specifier);
    }
    void reloadSpecifiers() const { msg("reloadSpecifiers"_sel); }
    PSSpecifier specifier() const { return msg<PSSpecifier>("specifier"_sel); }
    void setSpecifier(const PSSpecifier& specifier) const { msg("setSpecifier:"_sel, specifier); }
    fnd::NSBundle bundle() const { return msg<fnd::NSBundle>("bundle"_sel); }
    void setBundle(const fnd::NSBundle& bundle) const { msg("setBundle:"_sel, bundle); }
    UITableView table() const { return msg<UITableView>("table"_sel); }
};

struct PSListItemsController : PSListController {
    RT_FACE(PSListItemsController, PSListController)
};

struct PSTableCell : uikit::UITableViewCell {
    RT_FACE(PSTableCell, uikit::UITableViewCell)
    PSTableCell initWithStyle_reuseIdentifier_specifier(long style, const std::string& identifier,
                                                        const PSSpecifier& specifier) const {
        return msg<PSTableCell>("initWithStyle:reuseIdentifier:specifier:"_sel, style, identifier, specifier);
    }
    PSSpecifier specifier() const { return msg<PSSpecifier>("specifier"_sel); }
    UILabel titleLabel() const { return msg<UILabel>("titleLabel"_sel); }
};

struct PSSwitchTableCell : PSTableCell {
    RT_FACE(PSSwitchTableCell, PSTableCell)
    UISwitch control() const { return msg<UISwitch>("control"_sel); }
};

struct PSEditableTableCell : PSTableCell {
    RT_FACE(PSEditableTableCell, PSTableCell)
    UITextField textField() const { return msg<UITextField>("textField"_sel); }
};

void registerPreferences();

// The specifiers of a specifier list file (a device path), for `target`.
std::vector<rt::Ref<rt::Object>> specifiersFromFile(const std::string& path, const rt::Ref<rt::Object>& target);

// ---- inside the framework ---------------------------------------------------------------------------
// The pieces, in their files.
void defineSpecifiers();
void defineCells();
void defineListControllers();

} // namespace prefs
