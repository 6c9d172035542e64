#pragma once
// UIScreen and UIDevice as runtime classes: what the device model (from
// "/System/Library/device.plist", written at boot) makes them answer.
//
//   +[UIScreen mainScreen]  -bounds -scale
//   +[UIDevice currentDevice]  -userInterfaceIdiom (0 phone, 1 pad) -model
//   -_tapticEngine -> an object answering -actuateFeedback: (NSInteger); each
//   actuation is counted and logged ("taptic: feedback N")
//
// Models: iphone8 375 x 667 @2x, iphone8plus 414 x 736 @3x, iphonexs
// 375 x 812 @3x, ipad 768 x 1024 @2x. Without the file (a test with no
// booted device, or no device root at all), an iPhone 8.

#include "sim/graphics/Geometry.h"

#include <string>

namespace uikit {

struct ScreenModel {
    std::string model;
    gfx::CGSize size;
    double scale;
    long idiom; // UIUserInterfaceIdiom
};

// The device's model, read once per process.
const ScreenModel& screenModel();
// For tests: answer as this model from now on.
void setScreenModel(const std::string& model);
// How many times the taptic engine was actuated in this process, and with which code last.
int tapticActuations();
long lastTapticFeedback();

void defineUIScreen();

} // namespace uikit
