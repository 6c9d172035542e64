#pragma once
// UIColor as a runtime class: a colour in sRGB with alpha, each part 0…1.
//
//   +colorWithRed:green:blue:alpha:  +colorWithWhite:alpha:
//   +blackColor +whiteColor +clearColor +redColor +greenColor +blueColor +grayColor
//   -colorWithAlphaComponent:

#include "sim/runtime/Runtime.h"

namespace uikit {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};

class ColorObject : public rt::Object {
public:
    using Object::Object;
    Rgba rgba;
};

void defineUIColor();
rt::Ref<rt::Object> makeColor(Rgba c);
// The colour of a UIColor; transparent for nil.
Rgba rgbaOf(rt::Id color);

} // namespace uikit
