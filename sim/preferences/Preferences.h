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

#include <string>

namespace prefs {

enum CellType : long {
    kGroupCell = 0,
    kLinkCell = 1,
    kLinkListCell = 2,
    kListItemCell = 3,
    kTitleValueCell = 4,
    kSwitchCell = 6,
    kStaticTextCell = 7,
    kEditTextCell = 8,
    kSecureEditTextCell = 12,
    kButtonCell = 13,
};

void registerPreferences();

// The specifiers of a specifier list file (a device path), for `target`.
std::vector<rt::Ref<rt::Object>> specifiersFromFile(const std::string& path, const rt::Ref<rt::Object>& target);

// The pieces, in their files.
void defineSpecifiers();
void defineCells();
void defineListControllers();

} // namespace prefs
