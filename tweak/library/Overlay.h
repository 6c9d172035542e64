#pragma once
// lumicrate12's feedback: a rounded dark message overlay in the middle of
// the screen, a spinner over a staying overlay while a batch runs, and a
// taptic pulse. Main thread only; the host is the view of the key window's
// root controller (with none, nothing is shown).
//
//   showMessage(text, 0)   a staying overlay (180 x 70), until stopSpinner
//   showMessage(text, k)   a brief overlay (180 x 45): fades in over 0.3 s,
//                          holds 1.0 s, fades out over 0.3 s, then goes
//   setupSpinner()         a white spinner under the staying overlay's text
//   stopSpinner()          removes one spinner and fades out the oldest
//                          overlay (tag 204) that is not already fading out
//   vibrate()              the taptic feedback 1001
//
// Every spinner setupSpinner starts is tracked, and each stopSpinner removes
// one (the most recent), so overlapping batches leave no spinner behind.
// Overlays take no touches: the app under them stays usable.

#include "sim/uikit/UIKit.h"

#include <string>

namespace lc {

inline constexpr long kOverlayTag = 204;

void showMessage(const std::string& text, long kind);
void setupSpinner();
void stopSpinner();
void vibrate();
// The spinner started last (what `spinner` names), or nil.
rt::Ref<rt::Object> spinner();

} // namespace lc
