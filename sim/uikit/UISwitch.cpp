#include "sim/uikit/UISwitch.h"

#include "sim/runtime/Weak.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIGestureRecognizer.h"
#include "sim/uikit/UIView.h"

#include <vector>

namespace uikit {

using rt::Ref;
using namespace rt::literals;

namespace {

rt::Class* g_switch = nullptr;

class SwitchObject : public ViewObject {
public:
    explicit SwitchObject(rt::Class* cls);
    bool on = false;
    Ref<rt::Object> onTint;
    Ref<rt::Object> track, knob;
    std::vector<std::pair<rt::Weak<rt::Object>, rt::Sel>> actions;
};

SwitchObject* switchOf(rt::Id o) { return rt::objectAs<SwitchObject>(o, g_switch); }

void show(SwitchObject* s) {
    Rgba tint = s->onTint ? rgbaOf(s->onTint.get()) : Rgba{0.3, 0.85, 0.39, 1};
    rt::send(s->track, "setBackgroundColor:"_sel, makeColor(s->on ? tint : Rgba{0.9, 0.9, 0.92, 1}));
    rt::send(s->knob, "setFrame:"_sel, gfx::CGRect{{s->on ? 22.0 : 2.0, 2}, {27, 27}});
}

void flip(rt::Id recognizer, long state) {
    SwitchObject* s = switchOf(rt::send<Ref<rt::Object>>(recognizer, "view"_sel).get());
    if (!s || state != UIGestureRecognizerStateEnded) return;
    Ref<rt::Object> keep(s);
    s->on = !s->on;
    show(s);
    for (const auto& [target, action] : std::vector(s->actions))
        if (Ref<rt::Object> t = target.load()) rt::send(t, action, keep);
}
constexpr BuiltInAction kFlip{nullptr, &flip};

bool isOn(SwitchObject* self, rt::Sel) { return self->on; }
void setOn(SwitchObject* self, rt::Sel, bool on) {
    self->on = on;
    show(self);
}
void setOnAnimated(SwitchObject* self, rt::Sel, bool on, bool) { setOn(self, nullptr, on); }
Ref<rt::Object> onTintColor(SwitchObject* self, rt::Sel) { return self->onTint; }
void setOnTintColor(SwitchObject* self, rt::Sel, Ref<rt::Object> c) {
    self->onTint = std::move(c);
    show(self);
}
void addTarget(SwitchObject* self, rt::Sel, Ref<rt::Object> target, rt::Sel action, unsigned long events) {
    if ((events & UIControlEventValueChanged) && target && action) self->actions.emplace_back(target.get(), action);
}

} // namespace

SwitchObject::SwitchObject(rt::Class* cls)
    : ViewObject(cls) {
    frame.size = {51, 31};
    track = makeView({{0, 0}, {51, 31}});
    rt::send(rt::send<Ref<rt::Object>>(track, "layer"_sel), "setCornerRadius:"_sel, 15.5);
    rt::send(track, "setUserInteractionEnabled:"_sel, false);
    knob = makeView({{2, 2}, {27, 27}});
    rt::send(knob, "setBackgroundColor:"_sel, makeColor({1, 1, 1, 1}));
    rt::send(rt::send<Ref<rt::Object>>(knob, "layer"_sel), "setCornerRadius:"_sel, 13.5);
    rt::send(knob, "setUserInteractionEnabled:"_sel, false);
    for (const auto& v : {track, knob}) {
        subviews.push_back(v);
        viewOf(v.get())->superview = this;
    }
    auto tap = makeBuiltInRecognizer("UITapGestureRecognizer", &kFlip);
    attachRecognizer(tap.get(), this);
    gestureRecognizers.push_back(tap);
    show(this);
}

void defineUISwitch() {
    g_switch = rt::defineClass("UISwitch", rt::getClass("UIView"), rt::factoryOf<SwitchObject>);
    rt::addMethod<&isOn>(g_switch, "isOn"_sel);
    rt::addMethod<&setOn>(g_switch, "setOn:"_sel);
    rt::addMethod<&setOnAnimated>(g_switch, "setOn:animated:"_sel);
    rt::addMethod<&onTintColor>(g_switch, "onTintColor"_sel);
    rt::addMethod<&setOnTintColor>(g_switch, "setOnTintColor:"_sel);
    rt::addMethod<&addTarget>(g_switch, "addTarget:action:forControlEvents:"_sel);
}

} // namespace uikit
