#include "sim/auth/LocalAuthentication.h"

#include "sim/dispatch/Queue.h"
#include "sim/foundation/AppCatalog.h"
#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/NSError.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/PropertyList.h"
#include "sim/uikit/Automation.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIViewController.h"

#include <deque>
#include <mutex>
#include <optional>

namespace auth {

using rt::Ref;
using namespace rt::literals;
using Reply = rt::Block<void(bool, Ref<rt::Object>)>;

namespace {

constexpr LAError kNotInteractive = -1004; // LAErrorNotInteractive

std::optional<Credentials> g_testCredentials;

struct Request {
    long policy;
    std::string reason;
    Reply reply;
};

// The prompt: main thread only.
struct Prompt {
    std::deque<Request> waiting;
    std::optional<Request> current;
    Ref<rt::Object> alert;
    bool askingForFinger = false;
    int wrongFingers = 0;
} g_prompt;

void showNext();
void showPasscode(const std::string& message);

void dismissAlert() {
    Ref<rt::Object> alert = std::move(g_prompt.alert);
    if (!alert) return;
    if (auto presenter = rt::send<Ref<rt::Object>>(alert, "presentingViewController"_sel))
        rt::send(presenter, "dismissViewControllerAnimated:completion:"_sel, false, rt::Block<void()>());
}

// The one reply of the current request, on the global queue.
void finish(bool ok, long code = 0, const std::string& why = {}) {
    dismissAlert();
    if (!g_prompt.current) return;
    Reply reply = g_prompt.current->reply;
    g_prompt.current.reset();
    Ref<rt::Object> error = ok ? nullptr : fnd::makeError(LAErrorDomain, code, why);
    dsp::globalQueue().async([reply, ok, error] { reply(ok, error); });
    showNext();
}

Ref<rt::Object> frontmostController() {
    Ref<rt::Object> window = uikit::keyWindow();
    if (!window) return nullptr;
    Ref<rt::Object> c = rt::send<Ref<rt::Object>>(window, "rootViewController"_sel);
    while (c)
        if (auto next = rt::send<Ref<rt::Object>>(c, "presentedViewController"_sel))
            c = next;
        else
            break;
    return c;
}

std::string appName() {
    const auto& bundle = fnd::mainBundleIdentifier();
    const fnd::AppInfo* info = bundle ? fnd::findApp(*bundle) : nullptr;
    return info ? info->displayName : "this app";
}

Ref<rt::Object> action(const char* title, long style, std::function<void(Ref<rt::Object>)> handler) {
    return rt::sendClass<Ref<rt::Object>>(rt::getClass("UIAlertAction"), "actionWithTitle:style:handler:"_sel,
                                          std::string(title), style,
                                          rt::Block<void(Ref<rt::Object>)>(std::move(handler)));
}

void present(const std::string& title, const std::string& message, bool finger, bool withPasscodeField) {
    Ref<rt::Object> presenter = frontmostController();
    if (!presenter) return finish(false, kNotInteractive, "The prompt cannot be shown: the app has no window.");
    auto alert = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIAlertController"),
                                                "alertControllerWithTitle:message:preferredStyle:"_sel, title, message,
                                                uikit::UIAlertControllerStyleAlert);
    g_prompt.alert = alert;
    g_prompt.askingForFinger = finger;
    if (withPasscodeField) {
        rt::send(alert, "addTextFieldWithConfigurationHandler:"_sel,
                 rt::Block<void(Ref<rt::Object>)>([](Ref<rt::Object> f) {
                     rt::send(f, "setPlaceholder:"_sel, std::string("Passcode"));
                     rt::send(f, "setSecureTextEntry:"_sel, true);
                 }));
        rt::send(alert, "addAction:"_sel, action("Cancel", uikit::UIAlertActionStyleCancel, [](Ref<rt::Object>) {
                     g_prompt.alert = nullptr;
                     finish(false, LAErrorUserCancel, "Canceled by user.");
                 }));
        // The handler reads the field of its own alert, which owns the handler.
        rt::Weak<rt::Object> owner(alert);
        rt::send(alert, "addAction:"_sel, action("OK", uikit::UIAlertActionStyleDefault, [owner](Ref<rt::Object>) {
                     Ref<rt::Object> a = owner.load();
                     auto fields = a ? rt::send<std::vector<Ref<rt::Object>>>(a, "textFields"_sel)
                                     : std::vector<Ref<rt::Object>>{};
                     std::string typed = fields.empty() ? "" : rt::send<std::string>(fields[0], "text"_sel);
                     g_prompt.alert = nullptr;
                     if (typed == deviceCredentials().passcode)
                         finish(true);
                     else
                         showPasscode("Wrong passcode. Try again.");
                 }));
    } else {
        if (g_prompt.current->policy == LAPolicyDeviceOwnerAuthentication && deviceCredentials().passcodeSet)
            rt::send(alert, "addAction:"_sel,
                     action("Enter Passcode", uikit::UIAlertActionStyleDefault, [](Ref<rt::Object>) {
                         g_prompt.alert = nullptr;
                         showPasscode(g_prompt.current ? g_prompt.current->reason : "");
                     }));
        rt::send(alert, "addAction:"_sel, action("Cancel", uikit::UIAlertActionStyleCancel, [](Ref<rt::Object>) {
                     g_prompt.alert = nullptr;
                     finish(false, LAErrorUserCancel, "Canceled by user.");
                 }));
    }
    rt::send(presenter, "presentViewController:animated:completion:"_sel, alert, true, rt::Block<void()>());
}

void showPasscode(const std::string& message) {
    if (!g_prompt.current) return;
    present("Enter Passcode", message, false, true);
}

void showNext() {
    if (g_prompt.current || g_prompt.waiting.empty()) return;
    g_prompt.current = std::move(g_prompt.waiting.front());
    g_prompt.waiting.pop_front();
    g_prompt.wrongFingers = 0;
    if (deviceCredentials().fingerEnrolled)
        present("Touch ID for \u201c" + appName() + "\u201d", g_prompt.current->reason, true, false);
    else
        showPasscode(g_prompt.current->reason);
}

// What can be evaluated; the error code when it cannot.
std::optional<long> refusal(long policy) {
    Credentials c = deviceCredentials();
    if (policy == LAPolicyDeviceOwnerAuthenticationWithBiometrics)
        return c.fingerEnrolled ? std::nullopt : std::optional(LAErrorBiometryNotEnrolled);
    if (policy == LAPolicyDeviceOwnerAuthentication)
        return c.fingerEnrolled || c.passcodeSet ? std::nullopt : std::optional(LAErrorPasscodeNotSet);
    return LAErrorAuthenticationFailed;
}

std::string describe(long code) {
    switch (code) {
    case LAErrorPasscodeNotSet:
        return "Passcode not set.";
    case LAErrorBiometryNotEnrolled:
        return "No identities are enrolled.";
    default:
        return "The policy cannot be evaluated.";
    }
}

bool canEvaluate(rt::Id, rt::Sel, long policy, Ref<rt::Object>* error) {
    auto no = refusal(policy);
    if (no && error) *error = fnd::makeError(LAErrorDomain, *no, describe(*no));
    return !no;
}

void evaluate(rt::Id, rt::Sel, long policy, std::string reason, Reply reply) {
    if (auto no = refusal(policy)) {
        Ref<rt::Object> error = fnd::makeError(LAErrorDomain, *no, describe(*no));
        dsp::globalQueue().async([reply, error] { reply(false, error); });
        return;
    }
    // The prompt belongs to the main thread, whichever thread asked.
    dsp::mainQueue().async([policy, reason = std::move(reason), reply] {
        g_prompt.waiting.push_back(Request{policy, reason, reply});
        showNext();
    });
}

fnd::Dictionary touchId(const fnd::Dictionary& request) {
    const std::string* finger = fnd::valueForKey(request, "finger").string();
    if (!finger || (*finger != "enrolled" && *finger != "other"))
        return uikit::automation::failure("touch-id needs finger \"enrolled\" or \"other\"");
    if (!g_prompt.current || !g_prompt.askingForFinger)
        return uikit::automation::failure("no Touch ID prompt is showing");
    if (*finger == "enrolled" && deviceCredentials().fingerEnrolled) {
        finish(true);
        return uikit::automation::success({{"result", fnd::Value("matched")}});
    }
    if (++g_prompt.wrongFingers >= 3) {
        finish(false, LAErrorAuthenticationFailed, "Application retry limit exceeded.");
        return uikit::automation::success({{"result", fnd::Value("failed")}});
    }
    dismissAlert();
    present("Try Again", g_prompt.current->reason, true, false);
    return uikit::automation::success({{"result", fnd::Value("try again")}});
}

} // namespace

Credentials deviceCredentials() {
    if (g_testCredentials) return *g_testCredentials;
    Credentials c;
    auto info = fnd::hasDeviceRoot() ? fnd::readDictionaryFile("/System/Library/device.plist") : std::nullopt;
    if (!info) return c;
    if (const std::string* p = fnd::valueForKey(*info, "passcode").string()) {
        c.passcode = *p;
        c.passcodeSet = !p->empty();
    }
    c.fingerEnrolled = fnd::valueForKey(*info, "fingerEnrolled").boolValue();
    return c;
}

void setCredentialsForTesting(const Credentials& c) { g_testCredentials = c; }

void registerLocalAuthentication() {
    static std::once_flag once;
    std::call_once(once, [] {
        rt::Class* c = rt::defineClass("LAContext");
        rt::addMethod<&canEvaluate>(c, "canEvaluatePolicy:error:"_sel);
        rt::addMethod<&evaluate>(c, "evaluatePolicy:localizedReason:reply:"_sel);
        uikit::automation::addCommand("touch-id", touchId);
    });
}

} // namespace auth
