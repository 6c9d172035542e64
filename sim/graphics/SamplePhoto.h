#pragma once
// Sample photos for tests and the demo: each one distinct (its own colours,
// its number drawn large), labelled and dated, so that a screenshot shows
// which photo went where.

#include "sim/graphics/Image.h"

#include <string>

namespace gfx {

struct SamplePhotoSpec {
    int index = 1;          // picks the colours; drawn as "#index"
    std::string label{};    // a line under the number, e.g. "Beach"
    std::string dateText{}; // printed at the foot, e.g. "2026-12-08 09:00"
    int width = 1200;
    int height = 900;
};

Image makeSamplePhoto(const SamplePhotoSpec& spec);

} // namespace gfx
