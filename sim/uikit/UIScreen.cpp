#include "sim/uikit/UIScreen.h"

#include "sim/foundation/DevicePaths.h"
#include "sim/foundation/PropertyList.h"
#include "sim/foundation/SystemLog.h"
#include "sim/runtime/Runtime.h"

#include <atomic>
#include <mutex>

namespace uikit {

using rt::Ref;
using namespace rt::literals;

namespace {

ScreenModel modelNamed(const std::string& name) {
    if (name == "iphone8plus") return {name, {414, 736}, 3, 0};
    if (name == "iphonexs") return {name, {375, 812}, 3, 0};
    if (name == "ipad") return {name, {768, 1024}, 2, 1};
    return {"iphone8", {375, 667}, 2, 0};
}

std::mutex g_lock;
std::optional<ScreenModel> g_model;
std::atomic<int> g_actuations{0};
std::atomic<long> g_lastFeedback{0};

gfx::CGRect bounds(rt::Id, rt::Sel) { return {{0, 0}, screenModel().size}; }
double scale(rt::Id, rt::Sel) { return screenModel().scale; }
long idiom(rt::Id, rt::Sel) { return screenModel().idiom; }
std::string model(rt::Id, rt::Sel) { return screenModel().idiom == 1 ? "iPad" : "iPhone"; }

Ref<rt::Object> singleton(const char* cls) { return rt::createInstance(rt::getClass(cls)); }
Ref<rt::Object> mainScreen(rt::Id, rt::Sel) {
    static Ref<rt::Object> screen = singleton("UIScreen");
    return screen;
}
Ref<rt::Object> currentDevice(rt::Id, rt::Sel) {
    static Ref<rt::Object> device = singleton("UIDevice");
    return device;
}
Ref<rt::Object> tapticEngine(rt::Id, rt::Sel) {
    static Ref<rt::Object> engine = singleton("_UITapticEngine");
    return engine;
}
void actuateFeedback(rt::Id, rt::Sel, long code) {
    ++g_actuations;
    g_lastFeedback = code;
    fnd::systemLog(fnd::LogLevel::Info, "taptic: feedback " + std::to_string(code));
}

} // namespace

const ScreenModel& screenModel() {
    std::lock_guard guard(g_lock);
    if (!g_model) {
        auto info = fnd::hasDeviceRoot() ? fnd::readDictionaryFile("/System/Library/device.plist") : std::nullopt;
        const std::string* name = info ? fnd::valueForKey(*info, "model").string() : nullptr;
        g_model = modelNamed(name ? *name : "iphone8");
    }
    return *g_model;
}

void setScreenModel(const std::string& model) {
    std::lock_guard guard(g_lock);
    g_model = modelNamed(model);
}

int tapticActuations() { return g_actuations.load(); }
long lastTapticFeedback() { return g_lastFeedback.load(); }

void defineUIScreen() {
    rt::Class* screen = rt::defineClass("UIScreen");
    rt::addMethod<&mainScreen>(rt::objectGetClass(screen), "mainScreen"_sel);
    rt::addMethod<&bounds>(screen, "bounds"_sel);
    rt::addMethod<&scale>(screen, "scale"_sel);
    rt::Class* device = rt::defineClass("UIDevice");
    rt::addMethod<&currentDevice>(rt::objectGetClass(device), "currentDevice"_sel);
    rt::addMethod<&idiom>(device, "userInterfaceIdiom"_sel);
    rt::addMethod<&model>(device, "model"_sel);
    rt::addMethod<&tapticEngine>(device, "_tapticEngine"_sel);
    rt::Class* taptic = rt::defineClass("_UITapticEngine");
    rt::addMethod<&actuateFeedback>(taptic, "actuateFeedback:"_sel);
}

} // namespace uikit
