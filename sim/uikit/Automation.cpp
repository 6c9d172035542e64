#include "sim/uikit/Automation.h"

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/Render.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UIGestureRecognizer.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UILabel.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIViewController.h"

#include <map>
#include <string_view>

namespace uikit::automation {

using fnd::Dictionary;
using fnd::Value;
using rt::Ref;
using namespace rt::literals;

namespace {

std::map<std::string, Command>& appCommands() {
    static std::map<std::string, Command> commands;
    return commands;
}

std::string textOf(rt::Id v) {
    if (LabelObject* l = labelOf(v)) return l->text;
    if (TextFieldObject* f = textFieldOf(v)) return f->text;
    return {};
}

Value frameValue(const gfx::CGRect& r) {
    return Value(fnd::Array{Value(r.origin.x), Value(r.origin.y), Value(r.size.width), Value(r.size.height)});
}

Value treeOf(ViewObject* v) {
    Dictionary d{{"class", Value(rt::className(v))},
                 {"frame", frameValue(v->frame)},
                 {"tag", Value(static_cast<int64_t>(v->tag))},
                 {"hidden", Value(v->hidden)},
                 {"alpha", Value(v->alpha)}};
    if (std::string t = textOf(v); !t.empty()) d["text"] = Value(t);
    if (!v->accessibilityLabel.empty()) d["label"] = Value(v->accessibilityLabel);
    fnd::Array subs;
    for (const auto& s : v->subviews)
        if (ViewObject* sv = viewOf(s.get())) subs.push_back(treeOf(sv));
    if (!subs.empty()) d["subviews"] = Value(subs);
    return Value(d);
}

// The visible views under `v`, front to back order not needed: in tree order.
void visibleViews(ViewObject* v, std::vector<ViewObject*>& out) {
    if (v->hidden || v->alpha <= 0) return;
    out.push_back(v);
    for (const auto& s : v->subviews)
        if (ViewObject* sv = viewOf(s.get())) visibleViews(sv, out);
}

std::string describe(const Dictionary& q) {
    std::string out;
    for (const auto& [k, v] : q) {
        if (k == "command" || k == "seconds") continue;
        std::string text = v.string() ? "\"" + *v.string() + "\"" : std::to_string(v.number().value_or(0));
        out += (out.empty() ? "" : ", ") + k + " " + text;
    }
    return out.empty() ? "no criteria" : out;
}

struct Found {
    Ref<rt::Object> view;
    std::string error;
};

Found findOne(const Ref<rt::Object>& window, const Dictionary& q) {
    ViewObject* w = viewOf(window.get());
    if (!w) return {nullptr, "the app has no key window"};
    std::optional<double> x = fnd::valueForKey(q, "x").number(), y = fnd::valueForKey(q, "y").number();
    if (x || y) {
        if (!x || !y) return {nullptr, "a point needs both x and y"};
        auto hit = rt::send<Ref<rt::Object>>(window, "hitTest:withEvent:"_sel, gfx::CGPoint{*x, *y}, Ref<rt::Object>());
        if (!hit) return {nullptr, "nothing takes a touch at (" + std::to_string(*x) + ", " + std::to_string(*y) + ")"};
        return {hit, {}};
    }
    const std::string* label = fnd::valueForKey(q, "label").string();
    const std::string* text = fnd::valueForKey(q, "text").string();
    const std::string* cls = fnd::valueForKey(q, "class").string();
    const int64_t* tag = fnd::valueForKey(q, "tag").integer();
    if (!label && !text && !cls && !tag) return {nullptr, "a query needs label, text, tag, class or x and y"};
    std::vector<ViewObject*> all, matches;
    visibleViews(w, all);
    for (ViewObject* v : all) {
        if (label && v->accessibilityLabel != *label) continue;
        if (text && textOf(v) != *text) continue;
        if (tag && v->tag != *tag) continue;
        if (cls && !rt::isKindOf(v, rt::getClass(*cls))) continue;
        matches.push_back(v);
    }
    if (matches.empty()) return {nullptr, "no element matches " + describe(q)};
    if (matches.size() > 1)
        return {nullptr, std::to_string(matches.size()) + " elements match " + describe(q) + "; narrow the query"};
    return {Ref<rt::Object>(matches[0]), {}};
}

gfx::CGPoint centreInWindow(const Ref<rt::Object>& view) {
    gfx::CGRect b = rt::send<gfx::CGRect>(view, "bounds"_sel);
    return rt::send<gfx::CGPoint>(view, "convertPoint:toView:"_sel, gfx::CGPoint{b.midX(), b.midY()},
                                  Ref<rt::Object>());
}

// The frontmost presented controller of the window's root, or nil.
Ref<rt::Object> frontmost(const Ref<rt::Object>& window) {
    Ref<rt::Object> c = rt::send<Ref<rt::Object>>(window, "rootViewController"_sel);
    Ref<rt::Object> front;
    while (c) {
        Ref<rt::Object> next = rt::send<Ref<rt::Object>>(c, "presentedViewController"_sel);
        if (next) front = next;
        c = next;
    }
    return front;
}

} // namespace

Dictionary failure(const std::string& why) { return {{"ok", Value(false)}, {"error", Value(why)}}; }
Dictionary success(Dictionary body) {
    body["ok"] = Value(true);
    return body;
}

void addCommand(const std::string& name, Command command) { appCommands()[name] = std::move(command); }

namespace {

using Window = Ref<rt::Object>;

Dictionary treeCommand(const std::string&, const Window& window, const Dictionary&) {
    return success({{"tree", treeOf(viewOf(window.get()))}});
}

// One finger: a long press holds it down until it lifts on the run loop's
// clock, and a touch asked for meanwhile is refused (the caller tries again)
// rather than landing in the middle of the press and ending it.
bool g_fingerDown = false;
constexpr const char* kFingerDown = "a finger is still down (a long press has not lifted yet)";

// find, tap and long-press: the element, and for the last two a finger on it.
Dictionary elementCommand(const std::string& command, const Window& window, const Dictionary& request) {
    Found f = findOne(window, request);
    if (!f.view) return failure(f.error);
    if (command != command::kFind && g_fingerDown) return failure(kFingerDown);
    gfx::CGPoint c = centreInWindow(f.view);
    // Hittable: a touch at the centre reaches the element (or a view
    // inside it, or the view it lies in), not something over it.
    auto hit = rt::send<Ref<rt::Object>>(window, "hitTest:withEvent:"_sel, c, Ref<rt::Object>());
    bool hittable = false;
    for (ViewObject* v = viewOf(hit.get()); v && !hittable; v = v->superview)
        hittable = v == f.view.get();
    for (ViewObject* v = viewOf(f.view.get()); v && !hittable; v = v->superview)
        hittable = v == hit.get();
    Dictionary found{{"class", Value(rt::className(f.view.get()))},
                     {"frame", frameValue(viewOf(f.view.get())->frame)},
                     {"x", Value(c.x)},
                     {"y", Value(c.y)},
                     {"hittable", Value(hittable)}};
    if (command == command::kTap) {
        touchDown(window.get(), c);
        touchUp(c);
    } else if (command == command::kLongPress) {
        double seconds = fnd::valueForKey(request, "seconds").number().value_or(1.0);
        if (seconds < 0 || seconds > 60) return failure("a long press lasts from 0 to 60 seconds");
        touchDown(window.get(), c);
        dsp::RunLoop* main = dsp::RunLoop::main();
        if (main) {
            g_fingerDown = true;
            main->scheduleTimer(dsp::seconds(seconds), false, [c](dsp::Timer&) {
                g_fingerDown = false;
                touchUp(c);
            });
        } else {
            touchUp(c);
        }
    }
    return success(found);
}

// The return key of the keyboard, for the field being edited.
Dictionary returnCommand(const std::string&, const Window&, const Dictionary&) {
    TextFieldObject* field = textFieldOf(firstResponder().get());
    if (!field) return failure("no text field is being edited");
    Ref<rt::Object> keep(field), d = field->delegate.load();
    if (d && rt::respondsTo(d.get(), "textFieldShouldReturn:"_sel)) {
        auto sent = rt::trySend<bool>(d, "textFieldShouldReturn:"_sel, keep);
        if (!sent.ok()) return failure("the field's delegate cannot take the return key: " + sent.error());
    } else
        rt::send<bool>(keep, "resignFirstResponder"_sel);
    return success();
}

Dictionary dragCommand(const std::string&, const Window& window, const Dictionary& request) {
    std::optional<double> x = fnd::valueForKey(request, "x").number(), y = fnd::valueForKey(request, "y").number();
    std::optional<double> toX = fnd::valueForKey(request, "toX").number(),
                          toY = fnd::valueForKey(request, "toY").number();
    if (!x || !y || !toX || !toY) return failure("a drag needs x, y, toX and toY");
    if (g_fingerDown) return failure(kFingerDown);
    // Down, through ten steps along the way, and up: as a finger moves.
    touchDown(window.get(), {*x, *y});
    for (int step = 1; step <= 10; ++step)
        touchMove({*x + (*toX - *x) * step / 10, *y + (*toY - *y) * step / 10});
    touchUp({*toX, *toY});
    return success();
}

// One phase of a finger a viewer moves by hand: down, move, up, each at a
// point of the window. A press lasts as long as the hand holds it, so the
// recognisers tell a tap from a long press on the run loop's clock.
bool g_handDown = false;

Dictionary touchCommand(const std::string&, const Window& window, const Dictionary& request) {
    const std::string* phase = fnd::valueForKey(request, "phase").string();
    std::optional<double> x = fnd::valueForKey(request, "x").number(), y = fnd::valueForKey(request, "y").number();
    if (!phase || !x || !y) return failure("a touch needs phase, x and y");
    gfx::CGPoint p{*x, *y};
    if (*phase == "down") {
        if (g_fingerDown || g_handDown) return failure(kFingerDown);
        g_handDown = true;
        touchDown(window.get(), p);
    } else if (*phase == "move" || *phase == "up") {
        if (!g_handDown) return failure("no finger is down");
        if (*phase == "move") {
            touchMove(p);
        } else {
            g_handDown = false;
            touchUp(p);
        }
    } else {
        return failure("a touch's phase is down, move or up");
    }
    return success();
}

// The text field that takes typing: the first field of the frontmost alert,
// or else the field being edited.
struct TypingTarget {
    Ref<rt::Object> alert;
    TextFieldObject* field = nullptr;
};
TypingTarget typingTarget(const Window& window) {
    Ref<rt::Object> front = frontmost(window);
    if (front && isAlert(front.get())) return {front, textFieldOf(alertTextField(front.get(), 0).get())};
    return {nullptr, textFieldOf(firstResponder().get())};
}

// Keys pressed one by one: "text" is added at the end of the field, and
// "delete" removes that many characters (UTF-8 sequences) from its end.
Dictionary keysCommand(const std::string&, const Window& window, const Dictionary& request) {
    TypingTarget target = typingTarget(window);
    if (!target.field) return failure("no alert with a text field is presented and no text field is being edited");
    const std::string* text = fnd::valueForKey(request, "text").string();
    const int64_t* remove = fnd::valueForKey(request, "delete").integer();
    if (!text && !remove) return failure("keys needs a text or a delete count");
    std::string now = target.field->text;
    for (int64_t n = remove ? *remove : 0; n > 0 && !now.empty(); --n) {
        std::size_t end = now.size() - 1;
        while (end > 0 && (static_cast<unsigned char>(now[end]) & 0xC0) == 0x80)
            --end; // back to the sequence's first byte
        now.erase(end);
    }
    if (text) now += *text;
    rt::send(Ref<rt::Object>(target.field), "setText:"_sel, now);
    return success({{"text", Value(target.field->secure ? std::string(now.size(), '*') : now)}});
}

Dictionary typeCommand(const std::string&, const Window& window, const Dictionary& request) {
    Ref<rt::Object> front = frontmost(window);
    const std::string* text = fnd::valueForKey(request, "text").string();
    if (!front || !isAlert(front.get())) {
        // No alert: the text field being edited takes the typing.
        TextFieldObject* field = textFieldOf(firstResponder().get());
        if (!field) return failure("no alert is presented and no text field is being edited");
        if (!text) return failure("type needs a text");
        rt::send(field, "setText:"_sel, *text);
        return success();
    }
    const int64_t* index = fnd::valueForKey(request, "index").integer();
    if (!text) return failure("type needs a text");
    if (!typeIntoAlertField(front.get(), index ? static_cast<std::size_t>(*index) : 0, *text))
        return failure("the alert has no text field " + std::to_string(index ? *index : 0));
    return success();
}

Dictionary alertCommand(const std::string&, const Window& window, const Dictionary& request) {
    Ref<rt::Object> front = frontmost(window);
    if (!front || !isAlert(front.get())) return failure("no alert is presented");
    const std::string* button = fnd::valueForKey(request, "button").string();
    if (!button || !pressAlertButton(front.get(), *button))
        return failure("the alert has no button \"" + (button ? *button : std::string()) + "\"");
    return success();
}

Dictionary presentedCommand(const std::string&, const Window& window, const Dictionary&) {
    fnd::Array list;
    UIViewController c = window ? UIWindow(window).rootViewController() : nullptr;
    while ((c = c ? c.presentedViewController() : nullptr)) {
        Dictionary entry;
        entry["class"] = Value(rt::className(c.get()));
        entry["title"] = Value(c.title());
        list.emplace_back(std::move(entry));
    }
    return success({{"presented", Value(list)}});
}

Dictionary screenshotCommand(const std::string&, const Window& window, const Dictionary&) {
    auto png = renderView(window.get(), screenModel().scale).pngBytes();
    if (!png) return failure("the screenshot could not be encoded");
    return success({{"png", Value(fnd::Data(png->begin(), png->end()))}});
}

struct CommandEntry {
    Dictionary (*run)(const std::string& command, const Window& window, const Dictionary& request);
    bool needsWindow;
};

const std::map<std::string_view, CommandEntry>& commands() {
    static const std::map<std::string_view, CommandEntry> table{
        {command::kTree, {&treeCommand, true}},
        {command::kFind, {&elementCommand, true}},
        {command::kTap, {&elementCommand, true}},
        {command::kLongPress, {&elementCommand, true}},
        {command::kDrag, {&dragCommand, true}},
        {command::kType, {&typeCommand, true}},
        {command::kReturn, {&returnCommand, true}},
        {command::kAlert, {&alertCommand, true}},
        {command::kPresented, {&presentedCommand, false}},
        {command::kScreenshot, {&screenshotCommand, true}},
        {command::kTouch, {&touchCommand, true}},
        {command::kKeys, {&keysCommand, true}},
    };
    return table;
}

} // namespace

Dictionary handle(const Dictionary& request) {
    const std::string* command = fnd::valueForKey(request, "command").string();
    if (!command) return failure("no command");
    if (auto own = appCommands().find(*command); own != appCommands().end()) return own->second(request);
    auto entry = commands().find(*command);
    if (entry == commands().end()) return failure("unknown command \"" + *command + "\"");
    Window window = keyWindow();
    if (!window && entry->second.needsWindow) return failure("the app has no key window");
    return entry->second.run(*command, window, request);
}

} // namespace uikit::automation
