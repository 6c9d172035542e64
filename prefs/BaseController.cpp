// LCBaseListController: what every page of the pane does. Values are read
// from the preference file each time a cell asks and written whole for each
// change, then announced; a write that fails is said, and the page shows
// again what the file holds.

#include "prefs/Pane.h"
#include "sim/foundation/Files.h"
#include "sim/foundation/PropertyList.h"
#include "sim/foundation/Spawn.h"
#include "sim/foundation/SystemLog.h"
#include "sim/ipc/Notify.h"
#include "sim/uikit/UIAlertController.h"

#include <memory>
#include <sys/wait.h>

namespace lcprefs {

using fnd::Value;
using prefs::PSListController;
using prefs::PSSpecifier;
using rt::Ref;
using namespace uikit;

namespace {

rt::Class* g_base = nullptr;

// The Settings app's application object: its navigation controller.
struct PreferencesAppController : UIApplication {
    RT_FACE(PreferencesAppController, UIApplication)
    UIViewController rootController() const { return msg<UIViewController>("rootController"_sel); }
};

std::string keyOf(const PSSpecifier& specifier) {
    Value key = specifier.propertyForKey("key");
    return key.string() ? *key.string() : "";
}

void sayNotSaved(const PSListController& page) {
    auto alert = UIAlertController::alertControllerWithTitle_message_preferredStyle(
        "Setting Not Saved", "lumicrate12's settings file could not be written, so this change was not kept.",
        UIAlertControllerStyleAlert);
    alert.addAction(UIAlertAction::actionWithTitle_style_handler("OK", UIAlertActionStyleDefault, nullptr));
    page.presentViewController_animated_completion(alert, true);
}

Value readPreferenceValue(rt::Id, rt::Sel, Ref<rt::Object> specifierObject) {
    PSSpecifier specifier(std::move(specifierObject));
    std::string path = preferencePath(specifier), key = keyOf(specifier);
    if (!path.empty() && !key.empty())
        if (auto file = fnd::readDictionaryFile(path); file && file->count(key)) return file->at(key);
    return specifier.propertyForKey("default");
}

void setPreferenceValue(rt::Id self, rt::Sel, Value value, Ref<rt::Object> specifierObject) {
    PSSpecifier specifier(std::move(specifierObject));
    PSListController page{Ref<rt::Object>(self)};
    std::string path = preferencePath(specifier), key = keyOf(specifier);
    if (path.empty() || key.empty()) return;
    // An absent or unreadable file starts a new one: what it held cannot be read back anyway.
    fnd::Dictionary file = fnd::readDictionaryFile(path).value_or(fnd::Dictionary{});
    file[key] = std::move(value);
    if (!fnd::writePlistFile(path, Value(std::move(file)))) {
        fnd::systemLog(fnd::LogLevel::Error, "lumicrate12prefs: cannot write " + path + "; " + key + " is unchanged");
        sayNotSaved(page);
        page.reloadSpecifiers(); // the switch shows the value the file holds
        return;
    }
    Value post = specifier.propertyForKey("PostNotification");
    if (const std::string* name = post.string())
        CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), name->c_str(), nullptr,
                                             nullptr, true);
}

void returnKeyPressed(rt::Id self, rt::Sel, Ref<rt::Object>) {
    PSListController(Ref<rt::Object>(self)).view().endEditing(true);
}

// Restarts the user interface: killall backboardd, waited for.
void respring(rt::Id, rt::Sel) {
    pid_t pid = 0;
    if (int rc = fnd::posixSpawn(&pid, "/usr/bin/killall", {"killall", "backboardd"}); rc != 0) {
        fnd::systemLog(fnd::LogLevel::Error, "lumicrate12prefs: cannot start killall (" + std::to_string(rc) + ")");
        return;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

void sendEmail(rt::Id, rt::Sel) {
    UIApplication::sharedApplication().openURL(std::string("mailto:") + kSupportAddress + "?subject=Lumicrate-support");
}

void openProfile(rt::Id, rt::Sel) { UIApplication::sharedApplication().openURL(kProfilePage); }

// The album password: one field; an empty entry writes nothing.
void setPassword(rt::Id, rt::Sel) {
    auto alert = UIAlertController::alertControllerWithTitle_message_preferredStyle("Enter new password", "",
                                                                                    UIAlertControllerStyleAlert);
    // The action holds the field, not the alert (which holds the action).
    auto field = std::make_shared<UITextField>();
    alert.addTextFieldWithConfigurationHandler([field](UITextField f) {
        f.setPlaceholder("");
        *field = f;
    });
    alert.addAction(
        UIAlertAction::actionWithTitle_style_handler("OK", UIAlertActionStyleDefault, [field](UIAlertAction) {
            std::string text = *field ? field->text() : "";
            if (text.empty()) return;
            if (!fnd::writeFileAtomically(kPasswordPath, text))
                fnd::systemLog(fnd::LogLevel::Error, "lumicrate12prefs: cannot write the album password");
        }));
    UIViewController root = UIApplication::sharedApplication().as<PreferencesAppController>().rootController();
    if (root) root.presentViewController_animated_completion(alert, true);
}

void viewWillAppear(rt::Id self, rt::Sel cmd, bool animated) {
    rt::sendSuper(g_base, self, cmd, animated);
    tintKeyWindow(true);
}

} // namespace

std::string preferencePath(const PSSpecifier& specifier) {
    Value domain = specifier ? specifier.propertyForKey("defaults") : Value();
    const std::string* d = domain.string();
    if (!d || d->empty() || d->find('/') != std::string::npos || d->find("..") != std::string::npos) return "";
    return kPreferenceFolder + *d + ".plist";
}

void tintKeyWindow(bool accent) {
    if (UIWindow window = UIApplication::sharedApplication().keyWindow())
        window.setTintColor(accent ? accentColour() : UIColor());
}

void defineBaseController() {
    g_base = rt::defineClass("LCBaseListController", PSListController::cls());
    rt::addMethod<&readPreferenceValue>(g_base, "readPreferenceValue:"_sel);
    rt::addMethod<&setPreferenceValue>(g_base, "setPreferenceValue:specifier:"_sel);
    rt::addMethod<&returnKeyPressed>(g_base, "_returnKeyPressed:"_sel);
    rt::addMethod<&respring>(g_base, "respring"_sel, "v@:");
    rt::addMethod<&sendEmail>(g_base, "sendEmail"_sel, "v@:");
    rt::addMethod<&openProfile>(g_base, "openProfile"_sel, "v@:");
    rt::addMethod<&setPassword>(g_base, "setPassword"_sel, "v@:");
    rt::addMethod<&viewWillAppear>(g_base, "viewWillAppear:"_sel);
}

} // namespace lcprefs
