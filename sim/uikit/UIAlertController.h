#pragma once
// UIAlertController, UIAlertAction and UITextField as runtime classes.
//
// UIAlertController (a UIViewController):
//   +alertControllerWithTitle:message:preferredStyle: (0 action sheet, 1 alert)
//   -title -message -preferredStyle -addAction: -actions
//   -addTextFieldWithConfigurationHandler: -textFields
//   -popoverPresentationController (-sourceView -setSourceView:
//   -sourceRect -setSourceRect:)
// UIAlertAction: +actionWithTitle:style:handler: (0 default, 1 cancel,
//   2 destructive) -title -style
// UITextField (a UIView): -text -setText: -placeholder -setPlaceholder:
//   -isSecureTextEntry -setSecureTextEntry: -font -setFont: -textColor
//   -setTextColor: -borderStyle -setBorderStyle: -canBecomeFirstResponder (YES)
//   -delegate -setDelegate: (not retained; hears textFieldShouldReturn: when
//   the return key is pressed and textFieldDidEndEditing: when the field
//   stops being the first responder)
//
// Pressing a button closes the alert; its handler runs on the main run loop
// once the alert has closed, with the action. An action sheet presented on
// an iPad needs a popover source view, as on the device (without one the
// process ends with the platform's message).
//
// Automation (what a person does with a presented alert) is in C++:
// pressAlertButton and typeIntoAlertField.

#include "sim/runtime/Weak.h"
#include "sim/uikit/UIKitConstants.h"
#include "sim/uikit/UIView.h"

#include <string>

namespace uikit {

class TextFieldObject : public ViewObject {
public:
    explicit TextFieldObject(rt::Class* cls); // a tap makes it the first responder
    std::string text, placeholder;
    bool secure = false;
    rt::Ref<rt::Object> font;      // nil: the system font of 17 points
    rt::Ref<rt::Object> textColor; // nil: black
    long borderStyle = 0;          // 3: the rounded box of an alert's field, text inset
    rt::Weak<rt::Object> delegate;
};
TextFieldObject* textFieldOf(rt::Id obj);

void defineUIAlertController();

// Presses the button titled `title` of a presented alert; false when it has
// no such button or is not presented.
bool pressAlertButton(rt::Id alert, const std::string& title);
// Types into the alert's text field number `index`; false when there is none.
bool typeIntoAlertField(rt::Id alert, std::size_t index, const std::string& text);
// The alert's text field number `index`, or nil.
rt::Ref<rt::Object> alertTextField(rt::Id alert, std::size_t index);
// Whether the object is an alert controller.
bool isAlert(rt::Id obj);

} // namespace uikit
