#pragma once
// Drawing a view tree into an image with cairo: what a screenshot shows.
// Frames, background colours, alpha (a view and everything in it), layer
// corner radius, clipping (clipsToBounds or the layer's masksToBounds),
// images by content mode, and label text in the label's font, colour and
// alignment. Hidden views and views of zero alpha draw nothing.

#include "sim/graphics/Image.h"
#include "sim/runtime/Runtime.h"

namespace uikit {

// The view and its subviews at `scale` pixels per point, on a transparent
// background.
gfx::Image renderView(rt::Id view, double scale = 1);

} // namespace uikit
