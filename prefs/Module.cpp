// The pane's classes, defined when the Settings app loads the bundle (they
// stand on the Preferences framework's, which only the Settings app has).

#include "prefs/Pane.h"

namespace {

__attribute__((constructor)) void defineClasses() {
    if (!rt::getClass("PSListController")) return; // not in Settings: nothing to define
    lcprefs::defineCells();
    lcprefs::defineBaseController();
    lcprefs::defineRootController();
    lcprefs::definePages();
}

} // namespace
