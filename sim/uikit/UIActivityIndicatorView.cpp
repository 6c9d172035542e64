#include "sim/uikit/UIActivityIndicatorView.h"

namespace uikit {

using rt::Ref;
using namespace rt::literals;

namespace {

rt::Class* g_spinner = nullptr;
rt::Class* g_effect = nullptr;
rt::Class* g_effectView = nullptr;

class BlurEffectObject : public rt::Object {
public:
    using Object::Object;
    long style = 0;
};

Ref<rt::Object> initWithStyle(SpinnerObject* self, rt::Sel, long style) {
    self->style = style;
    double side = style == 0 ? 37 : 20;
    self->frame = {{0, 0}, {side, side}};
    return Ref<rt::Object>(self);
}
long spinnerStyle(SpinnerObject* self, rt::Sel) { return self->style; }
void startAnimating(SpinnerObject* self, rt::Sel) {
    self->animating = true;
    self->hidden = false;
}
void stopAnimating(SpinnerObject* self, rt::Sel) {
    self->animating = false;
    if (self->hidesWhenStopped) self->hidden = true;
}
bool isAnimating(SpinnerObject* self, rt::Sel) { return self->animating; }
bool hidesWhenStopped(SpinnerObject* self, rt::Sel) { return self->hidesWhenStopped; }
void setHidesWhenStopped(SpinnerObject* self, rt::Sel, bool h) {
    self->hidesWhenStopped = h;
    if (h && !self->animating) self->hidden = true;
}

Ref<rt::Object> effectWithStyle(rt::Id, rt::Sel, long style) {
    auto e = rt::createInstance<BlurEffectObject>(g_effect);
    e->style = style;
    return e;
}
long effectStyle(BlurEffectObject* self, rt::Sel) { return self->style; }

Ref<rt::Object> initWithEffect(EffectViewObject* self, rt::Sel, Ref<rt::Object> effect) {
    self->effect = std::move(effect);
    self->contentView = makeView({});
    rt::send(self, "addSubview:"_sel, self->contentView);
    return Ref<rt::Object>(self);
}
Ref<rt::Object> effect(EffectViewObject* self, rt::Sel) { return self->effect; }
Ref<rt::Object> contentView(EffectViewObject* self, rt::Sel) { return self->contentView; }
// The content view always covers the effect view.
void layoutEffectView(EffectViewObject* self, rt::Sel) {
    rt::sendSuper(g_effectView, self, "layoutSubviews"_sel);
    if (self->contentView) rt::send(self->contentView, "setFrame:"_sel, CGRect{{0, 0}, self->frame.size});
}

} // namespace

void defineUIActivityIndicatorView() {
    g_spinner = rt::defineClass("UIActivityIndicatorView", rt::getClass("UIView"), rt::factoryOf<SpinnerObject>);
    rt::addMethod<&initWithStyle>(g_spinner, "initWithActivityIndicatorStyle:"_sel);
    rt::addMethod<&spinnerStyle>(g_spinner, "activityIndicatorViewStyle"_sel);
    rt::addMethod<&startAnimating>(g_spinner, "startAnimating"_sel);
    rt::addMethod<&stopAnimating>(g_spinner, "stopAnimating"_sel);
    rt::addMethod<&isAnimating>(g_spinner, "isAnimating"_sel);
    rt::addMethod<&hidesWhenStopped>(g_spinner, "hidesWhenStopped"_sel);
    rt::addMethod<&setHidesWhenStopped>(g_spinner, "setHidesWhenStopped:"_sel);
}

void defineUIVisualEffectView() {
    g_effect = rt::defineClass("UIBlurEffect", nullptr, rt::factoryOf<BlurEffectObject>);
    rt::addMethod<&effectWithStyle>(rt::objectGetClass(g_effect), "effectWithStyle:"_sel);
    rt::addMethod<&effectStyle>(g_effect, "style"_sel);
    g_effectView = rt::defineClass("UIVisualEffectView", rt::getClass("UIView"), rt::factoryOf<EffectViewObject>);
    rt::addMethod<&initWithEffect>(g_effectView, "initWithEffect:"_sel);
    rt::addMethod<&effect>(g_effectView, "effect"_sel);
    rt::addMethod<&contentView>(g_effectView, "contentView"_sel);
    rt::addMethod<&layoutEffectView>(g_effectView, "layoutSubviews"_sel);
}

SpinnerObject* spinnerOf(rt::Id obj) { return rt::objectAs<SpinnerObject>(obj, g_spinner); }
EffectViewObject* effectViewOf(rt::Id obj) { return rt::objectAs<EffectViewObject>(obj, g_effectView); }
long blurStyleOf(rt::Id effect) {
    auto* e = rt::objectAs<BlurEffectObject>(effect, g_effect);
    return e ? e->style : -1;
}

} // namespace uikit
