#include "sim/apps/springboard/SpringBoard.h"

#include "sim/apps/host/Application.h"
#include "sim/apps/host/Views.h"
#include "sim/auth/LocalAuthentication.h"
#include "sim/foundation/AppCatalog.h"
#include "sim/foundation/SystemLog.h"
#include "sim/ipc/Endpoint.h"
#include "sim/ipc/Operations.h"
#include "sim/uikit/UIScreen.h"

namespace springboard {

using rt::Ref;
using namespace uikit;
namespace views = apps::views;

namespace {

rt::Class* g_iconView = nullptr;

struct IconLook {
    const char* bundle;
    uikit::Rgba colour;
};
// The tile colours of the home screen, by app.
constexpr IconLook kLooks[] = {
    {"com.apple.camera", {0.35, 0.36, 0.38, 1}},     {"com.apple.mobileslideshow", {1, 0.8, 0.2, 1}},
    {"com.apple.Preferences", {0.55, 0.56, 0.6, 1}}, {"com.example.gallery", {0.2, 0.6, 0.9, 1}},
    {"com.apple.store.Jolly", {0.1, 0.5, 0.95, 1}},
};

uikit::Rgba lookOf(const std::string& bundle) {
    for (const auto& l : kLooks)
        if (bundle == l.bundle) return l.colour;
    return {0.3, 0.7, 0.4, 1};
}

class IconViewObject : public uikit::ViewObject {
public:
    using ViewObject::ViewObject;
    std::string bundle;
};

// The icon's target: asks the device to launch the icon's app.
void iconTapped(rt::Id, rt::Sel, UIGestureRecognizer recognizer) {
    auto* icon = rt::objectAs<IconViewObject>(recognizer.view().get(), g_iconView);
    if (!icon) return;
    fnd::systemLog(fnd::LogLevel::Notice, "springboard: launching " + icon->bundle + " from its icon");
    if (ipc::Endpoint* e = ipc::Endpoint::shared())
        e->sendToDevice({{ipc::op::kKey, fnd::Value(ipc::op::kLaunch)}, {"bundle", fnd::Value(icon->bundle)}});
}

UIView makeIcon(const fnd::AppInfo& app, CGPoint origin, const UIViewController& target) {
    constexpr double kTile = 60;
    UIView icon = makeView({origin, {76, 84}}, g_iconView);
    rt::objectAs<IconViewObject>(icon.get(), g_iconView)->bundle = app.bundleIdentifier;
    icon.setAccessibilityLabel(app.displayName);
    UIView tile = views::box({{8, 0}, {kTile, kTile}}, lookOf(app.bundleIdentifier));
    views::round(tile, 13);
    tile.setUserInteractionEnabled(false);
    tile.addSubview(views::label({{0, 18}, {kTile, 24}}, app.displayName.substr(0, 1), 22, views::kWhite,
                                 NSTextAlignmentCenter, true));
    icon.addSubview(tile);
    icon.addSubview(views::label({{-4, 64}, {84, 16}}, app.displayName, 12, views::kWhite, NSTextAlignmentCenter));
    views::onTap(icon, target, "iconTapped:");
    return icon;
}

void didFinishLaunching(rt::Id self, rt::Sel cmd, Ref<rt::Object> app) {
    rt::sendSuper(rt::getClass("SpringBoard"), self, cmd, app);
    UIViewController home = rt::sendClass<Ref<rt::Object>>(rt::getClass("SBHomeScreenViewController"), "new"_sel);
    UIView page = home.view();
    page.setBackgroundColor(makeColor({0.12, 0.2, 0.36, 1}));
    double width = screenModel().size.width;
    int column = 0, row = 0;
    double gap = (width - 4 * 76) / 5;
    for (const auto& info : fnd::installedApps()) {
        if (info.bundleIdentifier == fnd::kSpringBoard) continue;
        page.addSubview(makeIcon(info, {gap + column * (76 + gap), 40.0 + row * 100}, home));
        if (++column == 4) column = 0, ++row;
    }
    views::showWindow(home);
}

} // namespace

void registerClasses() {
    auth::registerLocalAuthentication();
    rt::Class* app = rt::getClass("SpringBoard");
    if (!app) app = rt::defineClass("SpringBoard", rt::getClass("UIApplication"));
    rt::addMethod<&didFinishLaunching>(app, "applicationDidFinishLaunching:"_sel);
    rt::Class* home = rt::defineClass("SBHomeScreenViewController", UIViewController::cls());
    rt::addMethod<&iconTapped>(home, "iconTapped:"_sel, "v@:@");
    g_iconView = rt::defineClass("SBIconView", UIView::cls(), rt::factoryOf<IconViewObject>);
}

} // namespace springboard
