#pragma once
// Automation of an app's user interface, in the spirit of XCUITest: what a
// person sees and does, as requests and answers in property-list
// dictionaries, so that the device can carry them between lumisim and the
// app process.
//
// Requests ({"command": ...}), all on the key window:
//   tree                      the view tree: class, frame, tag, text, label,
//                             hidden, alpha, subviews
//   find {query}              the one element that matches, or an error;
//                             "hittable" says whether a tap at its centre
//                             would reach it (nothing lies over it)
//   tap {query}               a tap at the element's centre
//   long-press {query, seconds}  a press held for that long on the run
//                             loop's clock (the answer comes at once; the
//                             finger lifts later, and until it has, a tap,
//                             a long press or a drag is refused: one finger)
//   drag {x, y, toX, toY}     a finger moved from one point to the other
//   type {index, text}        text into a text field of the presented alert
//                             (or, with none, into the field being edited)
//   return                    the return key, for the field being edited
//   alert {button}            presses the presented alert's button
//   presented                 the presented controllers, front last
//   screenshot                the window as PNG bytes ("png", data)
// A query has any of "label" (accessibility label), "text" (a label's or a
// text field's text), "tag", "class" (of the view or a superclass), and
// "x"/"y" (the frontmost view that takes a touch at that point). Elements
// are the visible views (not hidden, alpha above zero, with every ancestor
// visible). No match, or more than one, is an error that says so.
// Answers: {"ok": true, ...} or {"ok": false, "error": "..."}.

#include "sim/foundation/Value.h"
#include "sim/runtime/Runtime.h"

#include <functional>
#include <string>

namespace uikit::automation {

// The commands, as the requests name them.
namespace command {
inline constexpr const char* kTree = "tree";
inline constexpr const char* kFind = "find";
inline constexpr const char* kTap = "tap";
inline constexpr const char* kLongPress = "long-press";
inline constexpr const char* kDrag = "drag";
inline constexpr const char* kType = "type";
inline constexpr const char* kReturn = "return";
inline constexpr const char* kAlert = "alert";
inline constexpr const char* kPresented = "presented";
inline constexpr const char* kScreenshot = "screenshot";
inline constexpr const char* kTouch = "touch"; // phase down|move|up, x, y: a finger moved by hand
inline constexpr const char* kKeys = "keys";   // text to add, delete N: keys pressed one by one
} // namespace command

fnd::Dictionary handle(const fnd::Dictionary& request);

// A command of the app's own (SpringBoard's "touch-id"), answered before
// the key window is looked at. Main thread.
using Command = std::function<fnd::Dictionary(const fnd::Dictionary& request)>;
void addCommand(const std::string& name, Command command);
fnd::Dictionary success(fnd::Dictionary body = {});
fnd::Dictionary failure(const std::string& why);

} // namespace uikit::automation
