#include "sim/uikit/UIColor.h"

#include <algorithm>

namespace uikit {

using rt::Ref;
using namespace rt::literals;

namespace {
rt::Class* g_class = nullptr;

double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

Ref<rt::Object> withRgba(rt::Id, rt::Sel, double r, double g, double b, double a) {
    return makeColor({clamp01(r), clamp01(g), clamp01(b), clamp01(a)});
}
Ref<rt::Object> withWhite(rt::Id, rt::Sel, double w, double a) {
    return makeColor({clamp01(w), clamp01(w), clamp01(w), clamp01(a)});
}
Ref<rt::Object> withAlpha(ColorObject* self, rt::Sel, double a) {
    Rgba c = self->rgba;
    c.a = clamp01(a);
    return makeColor(c);
}

template <int R, int G, int B, int A> Ref<rt::Object> named(rt::Id, rt::Sel) {
    return makeColor({R / 2.0, G / 2.0, B / 2.0, A / 1.0});
}
} // namespace

void defineUIColor() {
    g_class = rt::defineClass("UIColor", nullptr, rt::factoryOf<ColorObject>);
    rt::Class* meta = rt::objectGetClass(g_class);
    rt::addMethod<&withRgba>(meta, "colorWithRed:green:blue:alpha:"_sel);
    rt::addMethod<&withWhite>(meta, "colorWithWhite:alpha:"_sel);
    // Components in halves, so that grey (0.5) is exact.
    rt::addMethod<&named<0, 0, 0, 1>>(meta, "blackColor"_sel);
    rt::addMethod<&named<2, 2, 2, 1>>(meta, "whiteColor"_sel);
    rt::addMethod<&named<0, 0, 0, 0>>(meta, "clearColor"_sel);
    rt::addMethod<&named<2, 0, 0, 1>>(meta, "redColor"_sel);
    rt::addMethod<&named<0, 2, 0, 1>>(meta, "greenColor"_sel);
    rt::addMethod<&named<0, 0, 2, 1>>(meta, "blueColor"_sel);
    rt::addMethod<&named<1, 1, 1, 1>>(meta, "grayColor"_sel);
    rt::addMethod<&withAlpha>(g_class, "colorWithAlphaComponent:"_sel);
}

Ref<rt::Object> makeColor(Rgba c) {
    auto o = rt::createInstance<ColorObject>(g_class);
    o->rgba = c;
    return o;
}

Rgba rgbaOf(rt::Id color) {
    auto* c = rt::objectAs<ColorObject>(color, g_class);
    return c ? c->rgba : Rgba{};
}

} // namespace uikit
