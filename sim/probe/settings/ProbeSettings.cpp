// LumiProbeSettings: the device's diagnostic preference bundle. Installed
// with `lumisim install-prefs`, it shows in Settings under "Tweaks" and
// exercises what a preference bundle relies on: its specifier list (a
// switch, a text field, a list of choices, a button) read from the bundle,
// values written to "/var/mobile/Library/Preferences/com.lumi.probe.plist"
// with the notification "com.lumi.probe/settings-changed", and a button
// action of its controller ("probe-settings: hello" in the system log).

#include "sim/foundation/SystemLog.h"
#include "sim/runtime/Runtime.h"

using rt::Ref;
using namespace rt::literals;

namespace {

std::vector<Ref<rt::Object>> specifiers(rt::Id self, rt::Sel) {
    Ref<rt::Object> me(self);
    auto stored = rt::send<std::vector<Ref<rt::Object>>>(me, "_specifiers"_sel);
    if (stored.empty()) {
        stored = rt::send<std::vector<Ref<rt::Object>>>(me, "loadSpecifiersFromPlistName:target:"_sel,
                                                        std::string("Root"), me);
        rt::send(me, "setSpecifiers:"_sel, stored);
    }
    return stored;
}

void sayHello(rt::Id, rt::Sel) { fnd::systemLog(fnd::LogLevel::Notice, "probe-settings: hello"); }

__attribute__((constructor)) void defineClasses() {
    rt::Class* base = rt::getClass("PSListController");
    if (!base) return; // not in Settings: nothing to define
    rt::Class* c = rt::defineClass("LumiProbeSettingsController", base);
    rt::addMethod<&specifiers>(c, "specifiers"_sel);
    rt::addMethod<&sayHello>(c, "sayHello"_sel, "v@:");
}

} // namespace
