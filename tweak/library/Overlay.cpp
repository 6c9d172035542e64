#include "tweak/library/Overlay.h"

#include <algorithm>
#include <vector>

namespace lc {

using namespace uikit;

namespace {

constexpr double kWidth = 180, kStayingHeight = 70, kBriefHeight = 45, kFade = 0.3, kHold = 1.0;
constexpr NSInteger kTapticPeek = 1001;

constinit std::vector<rt::Ref<rt::Object>> g_spinners; // started and not yet stopped; main thread only
constinit rt::Ref<rt::Object> g_lastSpinner;

UIView hostView() {
    UIApplication app = UIApplication::sharedApplication();
    if (!app) return nullptr;
    UIViewController root = app.keyWindow().rootViewController();
    return root ? root.view() : nullptr;
}

void animate(double duration, double delay, std::function<void()> changes, std::function<void(bool)> done) {
    UIView::animateWithDuration_delay_options_animations_completion(
        duration, delay, UIViewAnimationOptionAllowUserInteraction, std::move(changes), std::move(done));
}

// Overlays fading out, until they are gone: stopSpinner passes them over.
constinit std::vector<rt::Ref<rt::Object>> g_leaving; // main thread only

bool leaving(const UIView& view) {
    return std::find(g_leaving.begin(), g_leaving.end(), view.ref()) != g_leaving.end();
}

void fadeOutAndRemove(const UIView& view, double delay) {
    g_leaving.push_back(view.ref());
    animate(
        kFade, delay, [view] { view.setAlpha(0); },
        [view](bool) {
            view.removeFromSuperview();
            std::erase(g_leaving, view.ref());
        });
}

// The oldest overlay that is not already on its way out: the subviews are
// in the order they were added.
UIView oldestOverlay(const UIView& host) {
    for (const UIView& v : host.subviews())
        if (v.tag() == kOverlayTag && !leaving(v)) return v;
    return nullptr;
}

} // namespace

void showMessage(const std::string& text, long kind) {
    UIView host = hostView();
    if (!host) return;
    CGSize size = UIScreen::mainScreen().bounds().size;
    UIView overlay = UIView::alloc().initWithFrame(
        {{size.width / 2 - 90, size.height / 2 - 30}, {kWidth, kind == 0 ? kStayingHeight : kBriefHeight}});
    overlay.setBackgroundColor(UIColor::colorWithWhite_alpha(0, 0.8));
    overlay.layer().setCornerRadius(15);
    overlay.setUserInteractionEnabled(false);
    overlay.setAlpha(0);
    overlay.setTag(kOverlayTag);
    UILabel label(UILabel::alloc().initWithFrame({{0, 0}, {kWidth, 40}}));
    label.setText(text);
    label.setTextAlignment(NSTextAlignmentCenter);
    label.setTextColor(UIColor::colorWithWhite_alpha(1, 1));
    overlay.addSubview(label);
    host.addSubview(overlay);
    animate(
        kFade, 0, [overlay] { overlay.setAlpha(1); },
        [overlay, kind](bool) {
            if (kind != 0) fadeOutAndRemove(overlay, kHold);
        });
}

void setupSpinner() {
    UIView host = hostView();
    UIActivityIndicatorView s =
        UIActivityIndicatorView::alloc().initWithActivityIndicatorStyle(UIActivityIndicatorViewStyleWhite);
    g_lastSpinner = s;
    if (!host) return;
    s.setHidesWhenStopped(true);
    s.layer().setCornerRadius(5);
    s.layer().setOpaque(false);
    CGRect bounds = host.bounds();
    s.setCenter({bounds.size.width / 2, bounds.size.height / 2 + 18});
    host.addSubview(s);
    s.startAnimating();
    g_spinners.push_back(s);
}

void stopSpinner() {
    if (!g_spinners.empty()) {
        UIActivityIndicatorView s = g_spinners.back();
        g_spinners.pop_back();
        s.stopAnimating();
        s.removeFromSuperview();
    }
    UIView host = hostView();
    if (!host) return;
    // The oldest overlay, as the tag search finds it, but for one already
    // fading out: a second batch's stop must take the second staying
    // message, not the first one again.
    if (UIView overlay = oldestOverlay(host)) fadeOutAndRemove(overlay, 0);
}

void vibrate() {
    UIDevice device = UIDevice::currentDevice();
    if (!device || !device.respondsToSelector("_tapticEngine"_sel)) return;
    if (_UITapticEngine engine = device._tapticEngine()) engine.actuateFeedback(kTapticPeek);
}

rt::Ref<rt::Object> spinner() { return g_lastSpinner; }

} // namespace lc
