#include "sim/uikit/UIAlertController.h"

#include "sim/dispatch/RunLoop.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIFont.h"
#include "sim/uikit/UIGestureRecognizer.h"
#include "sim/uikit/UILabel.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIViewController.h"

#include <algorithm>

namespace uikit {

using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

namespace {

rt::Class* g_alert = nullptr;
rt::Class* g_action = nullptr;
rt::Class* g_textField = nullptr;
rt::Class* g_popover = nullptr;

class ActionObject : public rt::Object {
public:
    using Object::Object;
    std::string title;
    long style = UIAlertActionStyleDefault;
    rt::Block<void(Ref<rt::Object>)> handler;
};

class PopoverObject : public rt::Object {
public:
    using Object::Object;
    Ref<rt::Object> sourceView;
    gfx::CGRect sourceRect;
};

class AlertObject : public ControllerObject {
public:
    using ControllerObject::ControllerObject;
    std::string message;
    long preferredStyle = UIAlertControllerStyleAlert;
    Objects actions;
    Objects textFields;
    Ref<rt::Object> popover;
};

AlertObject* alertOf(rt::Id o) { return rt::objectAs<AlertObject>(o, g_alert); }

// ---- UIAlertAction ----------------------------------------------------------------------------
Ref<rt::Object> actionWithTitle(rt::Id, rt::Sel, std::string title, long style,
                                rt::Block<void(Ref<rt::Object>)> handler) {
    auto a = rt::createInstance<ActionObject>(g_action);
    a->title = std::move(title);
    a->style = style;
    a->handler = std::move(handler);
    return a;
}
std::string actionTitle(ActionObject* self, rt::Sel) { return self->title; }
long actionStyle(ActionObject* self, rt::Sel) { return self->style; }

// ---- UITextField ------------------------------------------------------------------------------------
std::string fieldText(TextFieldObject* self, rt::Sel) { return self->text; }
void setFieldText(TextFieldObject* self, rt::Sel, std::string t) { self->text = std::move(t); }
std::string placeholder(TextFieldObject* self, rt::Sel) { return self->placeholder; }
void setPlaceholder(TextFieldObject* self, rt::Sel, std::string p) { self->placeholder = std::move(p); }
bool isSecure(TextFieldObject* self, rt::Sel) { return self->secure; }
bool fieldCanBecomeFirstResponder(TextFieldObject*, rt::Sel) { return true; }
void fieldTapped(rt::Id recognizer, long state) {
    auto field = rt::send<Ref<rt::Object>>(recognizer, "view"_sel);
    if (state == UIGestureRecognizerStateEnded && field) rt::send<bool>(field, "becomeFirstResponder"_sel);
}
constexpr BuiltInAction kFieldTap{nullptr, &fieldTapped};

// A tap on one of the alert's buttons presses it, as a finger does.
void buttonTapped(rt::Id recognizer, long state) {
    if (state != UIGestureRecognizerStateEnded) return;
    auto button = rt::send<Ref<rt::Object>>(recognizer, "view"_sel);
    ViewObject* v = viewOf(button.get());
    const LabelObject* label = labelOf(button.get());
    if (!v || !label) return;
    for (ViewObject* up = v; up; up = up->superview)
        if (Ref<rt::Object> c = up->viewController.load()) {
            pressAlertButton(c.get(), label->text);
            return;
        }
}
constexpr BuiltInAction kButtonTap{nullptr, &buttonTapped};
Ref<rt::Object> fieldDelegate(TextFieldObject* self, rt::Sel) { return self->delegate.load(); }
void setFieldDelegate(TextFieldObject* self, rt::Sel, Ref<rt::Object> d) { self->delegate = d.get(); }
bool fieldResign(TextFieldObject* self, rt::Sel cmd) {
    bool was = rt::send<bool>(Ref<rt::Object>(self), "isFirstResponder"_sel);
    rt::sendSuper<bool>(g_textField, self, cmd);
    Ref<rt::Object> d = self->delegate.load();
    if (was && d && rt::respondsTo(d.get(), "textFieldDidEndEditing:"_sel))
        rt::send(d, "textFieldDidEndEditing:"_sel, Ref<rt::Object>(self));
    return true;
}
Ref<rt::Object> fieldFont(TextFieldObject* self, rt::Sel) { return self->font; }
void setFieldFont(TextFieldObject* self, rt::Sel, Ref<rt::Object> f) { self->font = std::move(f); }
Ref<rt::Object> fieldTextColor(TextFieldObject* self, rt::Sel) { return self->textColor; }
void setFieldTextColor(TextFieldObject* self, rt::Sel, Ref<rt::Object> c) { self->textColor = std::move(c); }
long borderStyle(TextFieldObject* self, rt::Sel) { return self->borderStyle; }
void setBorderStyle(TextFieldObject* self, rt::Sel, long s) { self->borderStyle = s; }
void setSecure(TextFieldObject* self, rt::Sel, bool s) { self->secure = s; }

// ---- the popover ----------------------------------------------------------------------------------------
Ref<rt::Object> sourceView(PopoverObject* self, rt::Sel) { return self->sourceView; }
void setSourceView(PopoverObject* self, rt::Sel, Ref<rt::Object> v) { self->sourceView = std::move(v); }
gfx::CGRect sourceRect(PopoverObject* self, rt::Sel) { return self->sourceRect; }
void setSourceRect(PopoverObject* self, rt::Sel, gfx::CGRect r) { self->sourceRect = r; }

// ---- UIAlertController ----------------------------------------------------------------------------------
Ref<rt::Object> alertWithTitle(rt::Id, rt::Sel, std::string title, std::string message, long style) {
    auto a = rt::createInstance<AlertObject>(g_alert);
    a->title = std::move(title);
    a->message = std::move(message);
    a->preferredStyle = style;
    a->popover = rt::createInstance(g_popover);
    return a;
}
std::string message(AlertObject* self, rt::Sel) { return self->message; }
long preferredStyle(AlertObject* self, rt::Sel) { return self->preferredStyle; }
void addAction(AlertObject* self, rt::Sel, Ref<rt::Object> a) {
    if (a && rt::isKindOf(a.get(), g_action)) self->actions.push_back(std::move(a));
}
Objects actions(AlertObject* self, rt::Sel) { return self->actions; }
void addTextField(AlertObject* self, rt::Sel, rt::Block<void(Ref<rt::Object>)> configure) {
    if (self->preferredStyle != UIAlertControllerStyleAlert)
        rt::fatal(
            "-[UIAlertController addTextFieldWithConfigurationHandler:]: text fields can only be added to an alert");
    auto field = rt::sendClass<Ref<rt::Object>>(g_textField, "new"_sel);
    textFieldOf(field.get())->borderStyle = 3;
    textFieldOf(field.get())->font = makeFont({13, false});
    self->textFields.push_back(field);
    configure(field);
}
Objects textFields(AlertObject* self, rt::Sel) { return self->textFields; }
Ref<rt::Object> popover(AlertObject* self, rt::Sel) { return self->popover; }

// The alert's screen: a dimmed window with a rounded box of the title, the
// message, the text fields and a row of buttons (a column for a sheet).
void loadAlertView(AlertObject* self, rt::Sel) {
    gfx::CGSize screen = screenModel().size;
    auto dim = makeView({{0, 0}, screen});
    rt::send(dim, "setBackgroundColor:"_sel, makeColor({0, 0, 0, 0.4}));
    bool sheet = self->preferredStyle == UIAlertControllerStyleActionSheet;
    double width = sheet ? screen.width - 16 : 270;
    double y = 16;
    auto box = makeView({});
    rt::send(box, "setBackgroundColor:"_sel, makeColor({0.97, 0.97, 0.97, 1}));
    rt::send(rt::send<Ref<rt::Object>>(box, "layer"_sel), "setCornerRadius:"_sel, 13.0);
    auto addLabel = [&](const std::string& text, double size, bool bold, Rgba color, double height) {
        auto l = makeView({{8, y}, {width - 16, height}}, rt::getClass("UILabel"));
        rt::send(l, "setText:"_sel, text);
        rt::send(l, "setFont:"_sel, makeFont({size, bold}));
        rt::send(l, "setTextColor:"_sel, makeColor(color));
        rt::send(l, "setTextAlignment:"_sel, 1L);
        rt::send(box, "addSubview:"_sel, l);
        y += height + 4;
        return l;
    };
    if (!self->title.empty()) addLabel(self->title, 17, true, {0, 0, 0, 1}, 22);
    if (!self->message.empty()) addLabel(self->message, 13, false, {0.2, 0.2, 0.2, 1}, 36);
    for (const auto& f : self->textFields) {
        rt::send(f, "setFrame:"_sel, gfx::CGRect{{12, y + 4}, {width - 24, 26}});
        rt::send(f, "setBackgroundColor:"_sel, makeColor({1, 1, 1, 1}));
        rt::send(box, "addSubview:"_sel, f);
        y += 34;
    }
    y += 8;
    bool row = !sheet && self->actions.size() == 2;
    double buttonWidth = row ? width / 2 : width;
    for (std::size_t i = 0; i < self->actions.size(); ++i) {
        auto* a = static_cast<ActionObject*>(self->actions[i].get());
        double x = row ? buttonWidth * static_cast<double>(i) : 0;
        auto l = makeView({{x, y}, {buttonWidth, 44}}, rt::getClass("UILabel"));
        rt::send(l, "setText:"_sel, a->title);
        rt::send(l, "setFont:"_sel, makeFont({17, a->style == UIAlertActionStyleCancel}));
        rt::send(l, "setTextColor:"_sel, makeColor(a->style == 2 ? Rgba{1, 0.23, 0.19, 1} : Rgba{0, 0.48, 1, 1}));
        rt::send(l, "setTextAlignment:"_sel, 1L);
        rt::send(l, "setUserInteractionEnabled:"_sel, true);
        auto tap = makeBuiltInRecognizer("UITapGestureRecognizer", &kButtonTap);
        rt::send(l, "addGestureRecognizer:"_sel, tap);
        rt::send(box, "addSubview:"_sel, l);
        if (!row) y += 44;
    }
    if (row) y += 44;
    double height = y + 4;
    rt::send(
        box, "setFrame:"_sel,
        gfx::CGRect{{(screen.width - width) / 2, sheet ? screen.height - height - 8 : (screen.height - height) / 2},
                    {width, height}});
    rt::send(dim, "addSubview:"_sel, box);
    self->view = dim;
}

// Sent by presentation before the alert comes up.
void checkBeforePresentation(AlertObject* self, rt::Sel) {
    if (self->preferredStyle == UIAlertControllerStyleActionSheet && screenModel().idiom == 1) {
        auto* p = static_cast<PopoverObject*>(self->popover.get());
        if (!p->sourceView)
            rt::fatal("UIAlertController: an action sheet on an iPad needs a popover source view "
                      "(popoverPresentationController.sourceView) before it is presented");
    }
}

} // namespace

TextFieldObject::TextFieldObject(rt::Class* cls)
    : ViewObject(cls) {
    auto tap = makeBuiltInRecognizer("UITapGestureRecognizer", &kFieldTap);
    attachRecognizer(tap.get(), this);
    gestureRecognizers.push_back(tap);
}

void defineUIAlertController() {
    g_action = rt::defineClass("UIAlertAction", nullptr, rt::factoryOf<ActionObject>);
    rt::addMethod<&actionWithTitle>(rt::objectGetClass(g_action), "actionWithTitle:style:handler:"_sel);
    rt::addMethod<&actionTitle>(g_action, "title"_sel);
    rt::addMethod<&actionStyle>(g_action, "style"_sel);

    g_textField = rt::defineClass("UITextField", rt::getClass("UIView"), rt::factoryOf<TextFieldObject>);
    rt::addMethod<&fieldText>(g_textField, "text"_sel);
    rt::addMethod<&fieldCanBecomeFirstResponder>(g_textField, "canBecomeFirstResponder"_sel);
    rt::addMethod<&fieldDelegate>(g_textField, "delegate"_sel);
    rt::addMethod<&setFieldDelegate>(g_textField, "setDelegate:"_sel);
    rt::addMethod<&fieldResign>(g_textField, "resignFirstResponder"_sel);
    rt::addMethod<&fieldFont>(g_textField, "font"_sel);
    rt::addMethod<&setFieldFont>(g_textField, "setFont:"_sel);
    rt::addMethod<&fieldTextColor>(g_textField, "textColor"_sel);
    rt::addMethod<&setFieldTextColor>(g_textField, "setTextColor:"_sel);
    rt::addMethod<&borderStyle>(g_textField, "borderStyle"_sel);
    rt::addMethod<&setBorderStyle>(g_textField, "setBorderStyle:"_sel);
    rt::addMethod<&setFieldText>(g_textField, "setText:"_sel);
    rt::addMethod<&placeholder>(g_textField, "placeholder"_sel);
    rt::addMethod<&setPlaceholder>(g_textField, "setPlaceholder:"_sel);
    rt::addMethod<&isSecure>(g_textField, "isSecureTextEntry"_sel);
    rt::addMethod<&setSecure>(g_textField, "setSecureTextEntry:"_sel);

    g_popover = rt::defineClass("UIPopoverPresentationController", nullptr, rt::factoryOf<PopoverObject>);
    rt::addMethod<&sourceView>(g_popover, "sourceView"_sel);
    rt::addMethod<&setSourceView>(g_popover, "setSourceView:"_sel);
    rt::addMethod<&sourceRect>(g_popover, "sourceRect"_sel);
    rt::addMethod<&setSourceRect>(g_popover, "setSourceRect:"_sel);

    g_alert = rt::defineClass("UIAlertController", rt::getClass("UIViewController"), rt::factoryOf<AlertObject>);
    rt::addMethod<&alertWithTitle>(rt::objectGetClass(g_alert), "alertControllerWithTitle:message:preferredStyle:"_sel);
    rt::addMethod<&message>(g_alert, "message"_sel);
    rt::addMethod<&preferredStyle>(g_alert, "preferredStyle"_sel);
    rt::addMethod<&addAction>(g_alert, "addAction:"_sel);
    rt::addMethod<&actions>(g_alert, "actions"_sel);
    rt::addMethod<&addTextField>(g_alert, "addTextFieldWithConfigurationHandler:"_sel);
    rt::addMethod<&textFields>(g_alert, "textFields"_sel);
    rt::addMethod<&popover>(g_alert, "popoverPresentationController"_sel);
    rt::addMethod<&loadAlertView>(g_alert, "loadView"_sel);
    rt::addMethod<&checkBeforePresentation>(g_alert, "_checkBeforePresentation"_sel);
}

bool isAlert(rt::Id obj) { return alertOf(obj) != nullptr; }

TextFieldObject* textFieldOf(rt::Id obj) { return rt::objectAs<TextFieldObject>(obj, g_textField); }

bool pressAlertButton(rt::Id alert, const std::string& title) {
    AlertObject* a = alertOf(alert);
    if (!a || !a->presenting) return false;
    auto it = std::find_if(a->actions.begin(), a->actions.end(), [&](const Ref<rt::Object>& o) {
        return static_cast<ActionObject*>(o.get())->title == title;
    });
    if (it == a->actions.end()) return false;
    Ref<rt::Object> action = *it;
    rt::send(alert, "dismissViewControllerAnimated:completion:"_sel, true,
             rt::Block<void()>([action] { static_cast<ActionObject*>(action.get())->handler(action); }));
    return true;
}

rt::Ref<rt::Object> alertTextField(rt::Id alert, std::size_t index) {
    AlertObject* a = alertOf(alert);
    if (!a || index >= a->textFields.size()) return nullptr;
    return a->textFields[index];
}

bool typeIntoAlertField(rt::Id alert, std::size_t index, const std::string& text) {
    AlertObject* a = alertOf(alert);
    if (!a || index >= a->textFields.size()) return false;
    rt::send(a->textFields[index], "setText:"_sel, text);
    return true;
}

} // namespace uikit
