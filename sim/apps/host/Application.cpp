#include "sim/apps/host/Application.h"

#include "sim/apps/host/Views.h"
#include "sim/foundation/AppCatalog.h"
#include "sim/foundation/ProcessIdentity.h"
#include "sim/foundation/SystemLog.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/UIViewController.h"

namespace apps {

using namespace rt::literals;

namespace {
rt::Ref<rt::Object> g_shared;

void logLifecycle(rt::Id, rt::Sel cmd, rt::Ref<rt::Object>) {
    const auto& bundle = fnd::mainBundleIdentifier();
    fnd::systemLog(fnd::LogLevel::Notice, "app: " + (bundle ? *bundle : std::string("?")) + " " + cmd->name);
}
rt::Ref<rt::Object> sharedApplicationImp(rt::Id, rt::Sel) { return g_shared; }
rt::Ref<rt::Object> keyWindowImp(rt::Id, rt::Sel) { return uikit::keyWindow(); }
// Opening a URL on the device: logged, so that a test or a person sees
// which app would have opened it.
bool openURLImp(rt::Id, rt::Sel, std::string url) {
    const auto& bundle = fnd::mainBundleIdentifier();
    fnd::systemLog(fnd::LogLevel::Notice, "app: " + (bundle ? *bundle : std::string("?")) + " openURL " + url);
    return true;
}
} // namespace

rt::Class* registerApplicationClasses(const std::string& bundleIdentifier) {
    rt::Class* base = rt::getClass("UIApplication");
    if (!base) {
        base = rt::defineClass("UIApplication");
        for (const char* s : {"applicationDidFinishLaunching:", "applicationDidEnterBackground:",
                              "applicationWillEnterForeground:", "applicationWillTerminate:"})
            rt::addMethod<&logLifecycle>(base, rt::sel(s));
        rt::addMethod<&sharedApplicationImp>(rt::objectGetClass(base), "sharedApplication"_sel);
        rt::addMethod<&keyWindowImp>(base, "keyWindow"_sel);
        rt::addMethod<&openURLImp>(base, "openURL:"_sel);
    }
    const fnd::AppInfo* info = fnd::findApp(bundleIdentifier);
    if (!info) return base;
    rt::Class* cls = rt::getClass(info->applicationClass);
    return cls ? cls : rt::defineClass(info->applicationClass, base);
}

void showLaunchScreen(const std::string& bundleIdentifier) {
    const fnd::AppInfo* info = fnd::findApp(bundleIdentifier);
    gfx::CGSize screen = uikit::screenModel().size;
    auto root = uikit::UIViewController::new_();
    uikit::UIView page = root.view();
    page.setBackgroundColor(uikit::makeColor(views::kWhite));
    page.addSubview(views::label({{0, screen.height / 2 - 20}, {screen.width, 40}},
                                 info ? info->displayName : bundleIdentifier, 28, views::kBlack,
                                 uikit::NSTextAlignmentCenter));
    views::showWindow(root);
}

rt::Ref<rt::Object> sharedApplication() { return g_shared; }
void setSharedApplication(rt::Ref<rt::Object> app) { g_shared = std::move(app); }

} // namespace apps
