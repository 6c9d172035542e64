#include "tweak/library/Overlay.h"

#include "sim/graphics/Geometry.h"

#include <vector>

namespace lc {

using rt::Ref;
using namespace rt::literals;
using gfx::CGRect;

namespace {

constexpr double kWidth = 180, kStayingHeight = 70, kBriefHeight = 45, kFade = 0.3, kHold = 1.0;
constexpr unsigned long kAllowUserInteraction = 2;
constexpr long kWhiteSpinnerStyle = 1, kTapticFeedback = 1001;

constinit std::vector<Ref<rt::Object>> g_spinners; // started and not yet stopped; main thread only
constinit Ref<rt::Object> g_lastSpinner;

Ref<rt::Object> hostView() {
    auto app = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIApplication"), "sharedApplication"_sel);
    auto window = app ? rt::send<Ref<rt::Object>>(app, "keyWindow"_sel) : nullptr;
    auto root = window ? rt::send<Ref<rt::Object>>(window, "rootViewController"_sel) : nullptr;
    return root ? rt::send<Ref<rt::Object>>(root, "view"_sel) : nullptr;
}

Ref<rt::Object> color(double white, double alpha) {
    return rt::sendClass<Ref<rt::Object>>(rt::getClass("UIColor"), "colorWithWhite:alpha:"_sel, white, alpha);
}

void animate(double duration, double delay, std::function<void()> changes, std::function<void(bool)> done) {
    rt::sendClass(rt::getClass("UIView"), "animateWithDuration:delay:options:animations:completion:"_sel, duration,
                  delay, kAllowUserInteraction, rt::Block<void()>(std::move(changes)),
                  rt::Block<void(bool)>(std::move(done)));
}

void fadeOutAndRemove(const Ref<rt::Object>& view, double delay) {
    animate(
        kFade, delay, [view] { rt::send(view, "setAlpha:"_sel, 0.0); },
        [view](bool) { rt::send(view, "removeFromSuperview"_sel); });
}

} // namespace

void showMessage(const std::string& text, long kind) {
    Ref<rt::Object> host = hostView();
    if (!host) return;
    auto screen = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIScreen"), "mainScreen"_sel);
    gfx::CGSize size = rt::send<CGRect>(screen, "bounds"_sel).size;
    auto overlay = rt::send<Ref<rt::Object>>(
        rt::sendClass<Ref<rt::Object>>(rt::getClass("UIView"), "alloc"_sel), "initWithFrame:"_sel,
        CGRect{{size.width / 2 - 90, size.height / 2 - 30}, {kWidth, kind == 0 ? kStayingHeight : kBriefHeight}});
    rt::send(overlay, "setBackgroundColor:"_sel, color(0, 0.8));
    rt::send(rt::send<Ref<rt::Object>>(overlay, "layer"_sel), "setCornerRadius:"_sel, 15.0);
    rt::send(overlay, "setUserInteractionEnabled:"_sel, false);
    rt::send(overlay, "setAlpha:"_sel, 0.0);
    rt::send(overlay, "setTag:"_sel, kOverlayTag);
    auto label = rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("UILabel"), "alloc"_sel),
                                           "initWithFrame:"_sel, CGRect{{0, 0}, {kWidth, 40}});
    rt::send(label, "setText:"_sel, text);
    rt::send(label, "setTextAlignment:"_sel, 1L);
    rt::send(label, "setTextColor:"_sel, color(1, 1));
    rt::send(overlay, "addSubview:"_sel, label);
    rt::send(host, "addSubview:"_sel, overlay);
    animate(
        kFade, 0, [overlay] { rt::send(overlay, "setAlpha:"_sel, 1.0); },
        [overlay, kind](bool) {
            if (kind != 0) fadeOutAndRemove(overlay, kHold);
        });
}

void setupSpinner() {
    Ref<rt::Object> host = hostView();
    auto s =
        rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("UIActivityIndicatorView"), "alloc"_sel),
                                  "initWithActivityIndicatorStyle:"_sel, kWhiteSpinnerStyle);
    g_lastSpinner = s;
    if (!host) return;
    rt::send(s, "setHidesWhenStopped:"_sel, true);
    auto layer = rt::send<Ref<rt::Object>>(s, "layer"_sel);
    rt::send(layer, "setCornerRadius:"_sel, 5.0);
    rt::send(layer, "setOpaque:"_sel, false);
    CGRect bounds = rt::send<CGRect>(host, "bounds"_sel);
    rt::send(s, "setCenter:"_sel, gfx::CGPoint{bounds.size.width / 2, bounds.size.height / 2 + 18});
    rt::send(host, "addSubview:"_sel, s);
    rt::send(s, "startAnimating"_sel);
    g_spinners.push_back(s);
}

void stopSpinner() {
    if (!g_spinners.empty()) {
        Ref<rt::Object> s = g_spinners.back();
        g_spinners.pop_back();
        rt::send(s, "stopAnimating"_sel);
        rt::send(s, "removeFromSuperview"_sel);
    }
    Ref<rt::Object> host = hostView();
    if (!host) return;
    // The oldest overlay: the tag search takes the subviews in the order they were added.
    if (auto overlay = rt::send<Ref<rt::Object>>(host, "viewWithTag:"_sel, kOverlayTag); overlay && overlay != host)
        fadeOutAndRemove(overlay, 0);
}

void vibrate() {
    auto device = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIDevice"), "currentDevice"_sel);
    if (!device || !rt::respondsTo(device.get(), "_tapticEngine"_sel)) return;
    if (auto engine = rt::send<Ref<rt::Object>>(device, "_tapticEngine"_sel))
        rt::send(engine, "actuateFeedback:"_sel, kTapticFeedback);
}

Ref<rt::Object> spinner() { return g_lastSpinner; }

} // namespace lc
