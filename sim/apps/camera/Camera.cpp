#include "sim/apps/camera/Camera.h"

#include "sim/apps/host/Views.h"
#include "sim/uikit/UIScreen.h"

namespace camera {

using rt::Ref;
using namespace rt::literals;

namespace {

void didFinishLaunching(rt::Id self, rt::Sel cmd, Ref<rt::Object> app) {
    rt::sendSuper(rt::getClass("CAMApplication"), self, cmd, app);
    apps::views::showWindow(rt::sendClass<Ref<rt::Object>>(rt::getClass("CAMViewfinderViewController"), "new"_sel));
}

} // namespace

double bottomBarHeight() {
    const std::string& model = uikit::screenModel().model;
    if (model == "iphonexs") return 157;
    if (model == "iphone8plus") return 137;
    return 125;
}

void registerClasses() {
    defineBottomBar();
    defineCaptureEngine();
    defineViewfinder();
    rt::Class* app = rt::getClass("CAMApplication");
    if (!app) app = rt::defineClass("CAMApplication", uikit::UIApplication::cls());
    rt::addMethod<&didFinishLaunching>(app, "applicationDidFinishLaunching:"_sel);
}

} // namespace camera
