#pragma once
// The faces (Face.h) of UIKit's views and what they are drawn with: UIColor,
// UIFont, CALayer, UIView and its subclasses. Each method is a send of the
// selector it is named after; the classes' behaviour is described with
// their definitions (UIView.h, UILabel.h, ...).

#include "sim/graphics/Geometry.h"
#include "sim/graphics/UIImage.h"
#include "sim/uikit/UIKitConstants.h"

#include <string>
#include <vector>

namespace uikit {

using gfx::CGPoint;
using gfx::CGRect;
using gfx::CGSize;
using gfx::UIImage;
using rt::NSObject;
using namespace rt::literals;

struct UIColor : NSObject {
    RT_FACE(UIColor, NSObject)
    static UIColor clearColor() { return rt::sendClass<rt::Ref<rt::Object>>(cls(), "clearColor"_sel); }
    static UIColor whiteColor() { return rt::sendClass<rt::Ref<rt::Object>>(cls(), "whiteColor"_sel); }
    static UIColor blackColor() { return rt::sendClass<rt::Ref<rt::Object>>(cls(), "blackColor"_sel); }
    static UIColor grayColor() { return rt::sendClass<rt::Ref<rt::Object>>(cls(), "grayColor"_sel); }
    static UIColor redColor() { return rt::sendClass<rt::Ref<rt::Object>>(cls(), "redColor"_sel); }
    static UIColor greenColor() { return rt::sendClass<rt::Ref<rt::Object>>(cls(), "greenColor"_sel); }
    static UIColor blueColor() { return rt::sendClass<rt::Ref<rt::Object>>(cls(), "blueColor"_sel); }
    static UIColor colorWithWhite_alpha(double white, double alpha) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), "colorWithWhite:alpha:"_sel, white, alpha);
    }
    static UIColor colorWithRed_green_blue_alpha(double r, double g, double b, double a) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), "colorWithRed:green:blue:alpha:"_sel, r, g, b, a);
    }
    UIColor colorWithAlphaComponent(double alpha) const {
        return msg<rt::Ref<rt::Object>>("colorWithAlphaComponent:"_sel, alpha);
    }
};

struct UIFont : NSObject {
    RT_FACE(UIFont, NSObject)
    static UIFont systemFontOfSize(double size) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), "systemFontOfSize:"_sel, size);
    }
    static UIFont boldSystemFontOfSize(double size) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), "boldSystemFontOfSize:"_sel, size);
    }
    UIFont fontWithSize(double size) const { return msg<rt::Ref<rt::Object>>("fontWithSize:"_sel, size); }
    double pointSize() const { return msg<double>("pointSize"_sel); }
    bool isBold() const { return msg<bool>("isBold"_sel); }
};

struct CALayer : NSObject {
    RT_FACE(CALayer, NSObject)
    double cornerRadius() const { return msg<double>("cornerRadius"_sel); }
    void setCornerRadius(double r) const { msg("setCornerRadius:"_sel, r); }
    bool masksToBounds() const { return msg<bool>("masksToBounds"_sel); }
    void setMasksToBounds(bool on) const { msg("setMasksToBounds:"_sel, on); }
    bool isOpaque() const { return msg<bool>("isOpaque"_sel); }
    void setOpaque(bool on) const { msg("setOpaque:"_sel, on); }
};

struct UIGestureRecognizer;
struct UIViewController;

struct UIView : NSObject {
    RT_FACE(UIView, NSObject)
    UIView initWithFrame(CGRect frame) const { return msg<rt::Ref<rt::Object>>("initWithFrame:"_sel, frame); }
    CGRect frame() const { return msg<CGRect>("frame"_sel); }
    void setFrame(CGRect frame) const { msg("setFrame:"_sel, frame); }
    CGRect bounds() const { return msg<CGRect>("bounds"_sel); }
    void setBounds(CGRect bounds) const { msg("setBounds:"_sel, bounds); }
    CGPoint center() const { return msg<CGPoint>("center"_sel); }
    void setCenter(CGPoint centre) const { msg("setCenter:"_sel, centre); }
    NSInteger tag() const { return msg<NSInteger>("tag"_sel); }
    void setTag(NSInteger tag) const { msg("setTag:"_sel, tag); }
    UIView viewWithTag(NSInteger tag) const { return msg<rt::Ref<rt::Object>>("viewWithTag:"_sel, tag); }
    std::vector<UIView> subviews() const { return msg<std::vector<UIView>>("subviews"_sel); }
    UIView superview() const { return msg<rt::Ref<rt::Object>>("superview"_sel); }
    void addSubview(const UIView& view) const { msg("addSubview:"_sel, view); }
    void insertSubview_atIndex(const UIView& view, NSInteger index) const {
        msg("insertSubview:atIndex:"_sel, view, index);
    }
    void removeFromSuperview() const { msg("removeFromSuperview"_sel); }
    void bringSubviewToFront(const UIView& view) const { msg("bringSubviewToFront:"_sel, view); }
    bool isHidden() const { return msg<bool>("isHidden"_sel); }
    void setHidden(bool hidden) const { msg("setHidden:"_sel, hidden); }
    double alpha() const { return msg<double>("alpha"_sel); }
    void setAlpha(double alpha) const { msg("setAlpha:"_sel, alpha); }
    UIColor backgroundColor() const { return msg<rt::Ref<rt::Object>>("backgroundColor"_sel); }
    void setBackgroundColor(const UIColor& colour) const { msg("setBackgroundColor:"_sel, colour); }
    void setAutoresizingMask(unsigned long mask) const { msg("setAutoresizingMask:"_sel, mask); }
    bool clipsToBounds() const { return msg<bool>("clipsToBounds"_sel); }
    void setClipsToBounds(bool on) const { msg("setClipsToBounds:"_sel, on); }
    CALayer layer() const { return msg<rt::Ref<rt::Object>>("layer"_sel); }
    bool isUserInteractionEnabled() const { return msg<bool>("isUserInteractionEnabled"_sel); }
    void setUserInteractionEnabled(bool on) const { msg("setUserInteractionEnabled:"_sel, on); }
    std::vector<UIGestureRecognizer> gestureRecognizers() const;
    void addGestureRecognizer(const UIGestureRecognizer& recognizer) const;
    void removeGestureRecognizer(const UIGestureRecognizer& recognizer) const;
    void setNeedsLayout() const { msg("setNeedsLayout"_sel); }
    void layoutIfNeeded() const { msg("layoutIfNeeded"_sel); }
    void layoutSubviews() const { msg("layoutSubviews"_sel); }
    UIView hitTest_withEvent(CGPoint point, const NSObject& event) const {
        return msg<rt::Ref<rt::Object>>("hitTest:withEvent:"_sel, point, event);
    }
    bool pointInside_withEvent(CGPoint point, const NSObject& event) const {
        return msg<bool>("pointInside:withEvent:"_sel, point, event);
    }
    CGPoint convertPoint_toView(CGPoint point, const UIView& view) const {
        return msg<CGPoint>("convertPoint:toView:"_sel, point, view);
    }
    std::string accessibilityLabel() const { return msg<std::string>("accessibilityLabel"_sel); }
    void setAccessibilityLabel(const std::string& label) const { msg("setAccessibilityLabel:"_sel, label); }
    bool canBecomeFirstResponder() const { return msg<bool>("canBecomeFirstResponder"_sel); }
    bool becomeFirstResponder() const { return msg<bool>("becomeFirstResponder"_sel); }
    bool resignFirstResponder() const { return msg<bool>("resignFirstResponder"_sel); }
    bool isFirstResponder() const { return msg<bool>("isFirstResponder"_sel); }
    bool endEditing(bool force) const { return msg<bool>("endEditing:"_sel, force); }
    // The controller that owns this view or the nearest ancestor one owns.
    UIViewController _viewControllerForAncestor() const;

    static void animateWithDuration_animations(double seconds, rt::Block<void()> animations) {
        rt::sendClass(cls(), "animateWithDuration:animations:"_sel, seconds, std::move(animations));
    }
    static void animateWithDuration_animations_completion(double seconds, rt::Block<void()> animations,
                                                          rt::Block<void(bool)> completion) {
        rt::sendClass(cls(), "animateWithDuration:animations:completion:"_sel, seconds, std::move(animations),
                      std::move(completion));
    }
    static void animateWithDuration_delay_options_animations_completion(double seconds, double delay,
                                                                        UIViewAnimationOptions options,
                                                                        rt::Block<void()> animations,
                                                                        rt::Block<void(bool)> completion) {
        rt::sendClass(cls(), "animateWithDuration:delay:options:animations:completion:"_sel, seconds, delay, options,
                      std::move(animations), std::move(completion));
    }
};

struct UILabel : UIView {
    RT_FACE(UILabel, UIView)
    std::string text() const { return msg<std::string>("text"_sel); }
    void setText(const std::string& text) const { msg("setText:"_sel, text); }
    UIFont font() const { return msg<rt::Ref<rt::Object>>("font"_sel); }
    void setFont(const UIFont& font) const { msg("setFont:"_sel, font); }
    UIColor textColor() const { return msg<rt::Ref<rt::Object>>("textColor"_sel); }
    void setTextColor(const UIColor& colour) const { msg("setTextColor:"_sel, colour); }
    NSTextAlignment textAlignment() const { return msg<NSTextAlignment>("textAlignment"_sel); }
    void setTextAlignment(NSTextAlignment alignment) const { msg("setTextAlignment:"_sel, alignment); }
    NSInteger numberOfLines() const { return msg<NSInteger>("numberOfLines"_sel); }
    void setNumberOfLines(NSInteger lines) const { msg("setNumberOfLines:"_sel, lines); }
    NSLineBreakMode lineBreakMode() const { return msg<NSLineBreakMode>("lineBreakMode"_sel); }
    void setLineBreakMode(NSLineBreakMode mode) const { msg("setLineBreakMode:"_sel, mode); }
    bool adjustsFontSizeToFitWidth() const { return msg<bool>("adjustsFontSizeToFitWidth"_sel); }
    void setAdjustsFontSizeToFitWidth(bool on) const { msg("setAdjustsFontSizeToFitWidth:"_sel, on); }
    double minimumScaleFactor() const { return msg<double>("minimumScaleFactor"_sel); }
    void setMinimumScaleFactor(double factor) const { msg("setMinimumScaleFactor:"_sel, factor); }
    UIBaselineAdjustment baselineAdjustment() const { return msg<UIBaselineAdjustment>("baselineAdjustment"_sel); }
    void setBaselineAdjustment(UIBaselineAdjustment adjustment) const { msg("setBaselineAdjustment:"_sel, adjustment); }
    CGSize sizeThatFits(CGSize size) const { return msg<CGSize>("sizeThatFits:"_sel, size); }
    void sizeToFit() const { msg("sizeToFit"_sel); }
};

struct UIImageView : UIView {
    RT_FACE(UIImageView, UIView)
    UIImageView initWithImage(const UIImage& image) const {
        return msg<rt::Ref<rt::Object>>("initWithImage:"_sel, image);
    }
    UIImage image() const { return msg<rt::Ref<rt::Object>>("image"_sel); }
    void setImage(const UIImage& image) const { msg("setImage:"_sel, image); }
    UIViewContentMode contentMode() const { return msg<UIViewContentMode>("contentMode"_sel); }
    void setContentMode(UIViewContentMode mode) const { msg("setContentMode:"_sel, mode); }
};

struct UIScrollView : UIView {
    RT_FACE(UIScrollView, UIView)
    CGPoint contentOffset() const { return msg<CGPoint>("contentOffset"_sel); }
    void setContentOffset(CGPoint offset) const { msg("setContentOffset:"_sel, offset); }
    void setContentOffset_animated(CGPoint offset, bool animated) const {
        msg("setContentOffset:animated:"_sel, offset, animated);
    }
    CGSize contentSize() const { return msg<CGSize>("contentSize"_sel); }
    void setContentSize(CGSize size) const { msg("setContentSize:"_sel, size); }
    NSObject delegate() const { return msg<rt::Ref<rt::Object>>("delegate"_sel); }
    void setDelegate(const NSObject& delegate) const { msg("setDelegate:"_sel, delegate); }
    bool isDragging() const { return msg<bool>("isDragging"_sel); }
    bool isScrollEnabled() const { return msg<bool>("isScrollEnabled"_sel); }
    void setScrollEnabled(bool on) const { msg("setScrollEnabled:"_sel, on); }
};

struct UITextField : UIView {
    RT_FACE(UITextField, UIView)
    std::string text() const { return msg<std::string>("text"_sel); }
    void setText(const std::string& text) const { msg("setText:"_sel, text); }
    std::string placeholder() const { return msg<std::string>("placeholder"_sel); }
    void setPlaceholder(const std::string& text) const { msg("setPlaceholder:"_sel, text); }
    bool isSecureTextEntry() const { return msg<bool>("isSecureTextEntry"_sel); }
    void setSecureTextEntry(bool on) const { msg("setSecureTextEntry:"_sel, on); }
    UIFont font() const { return msg<rt::Ref<rt::Object>>("font"_sel); }
    void setFont(const UIFont& font) const { msg("setFont:"_sel, font); }
    UIColor textColor() const { return msg<rt::Ref<rt::Object>>("textColor"_sel); }
    void setTextColor(const UIColor& colour) const { msg("setTextColor:"_sel, colour); }
    UITextBorderStyle borderStyle() const { return msg<UITextBorderStyle>("borderStyle"_sel); }
    void setBorderStyle(UITextBorderStyle style) const { msg("setBorderStyle:"_sel, style); }
    NSObject delegate() const { return msg<rt::Ref<rt::Object>>("delegate"_sel); }
    void setDelegate(const NSObject& delegate) const { msg("setDelegate:"_sel, delegate); }
};

struct UISwitch : UIView {
    RT_FACE(UISwitch, UIView)
    bool isOn() const { return msg<bool>("isOn"_sel); }
    void setOn(bool on) const { msg("setOn:"_sel, on); }
    void setOn_animated(bool on, bool animated) const { msg("setOn:animated:"_sel, on, animated); }
    UIColor onTintColor() const { return msg<rt::Ref<rt::Object>>("onTintColor"_sel); }
    void setOnTintColor(const UIColor& colour) const { msg("setOnTintColor:"_sel, colour); }
    void addTarget_action_forControlEvents(const NSObject& target, rt::Sel action, UIControlEvents events) const {
        msg("addTarget:action:forControlEvents:"_sel, target, action, events);
    }
};

struct UIActivityIndicatorView : UIView {
    RT_FACE(UIActivityIndicatorView, UIView)
    UIActivityIndicatorView initWithActivityIndicatorStyle(UIActivityIndicatorViewStyle style) const {
        return msg<rt::Ref<rt::Object>>("initWithActivityIndicatorStyle:"_sel, style);
    }
    UIActivityIndicatorViewStyle activityIndicatorViewStyle() const {
        return msg<UIActivityIndicatorViewStyle>("activityIndicatorViewStyle"_sel);
    }
    bool hidesWhenStopped() const { return msg<bool>("hidesWhenStopped"_sel); }
    void setHidesWhenStopped(bool on) const { msg("setHidesWhenStopped:"_sel, on); }
    void startAnimating() const { msg("startAnimating"_sel); }
    void stopAnimating() const { msg("stopAnimating"_sel); }
    bool isAnimating() const { return msg<bool>("isAnimating"_sel); }
};

struct UIBlurEffect : NSObject {
    RT_FACE(UIBlurEffect, NSObject)
    static UIBlurEffect effectWithStyle(UIBlurEffectStyle style) {
        return rt::sendClass<rt::Ref<rt::Object>>(cls(), "effectWithStyle:"_sel, style);
    }
    UIBlurEffectStyle style() const { return msg<UIBlurEffectStyle>("style"_sel); }
};

struct UIVisualEffectView : UIView {
    RT_FACE(UIVisualEffectView, UIView)
    UIVisualEffectView initWithEffect(const UIBlurEffect& effect) const {
        return msg<rt::Ref<rt::Object>>("initWithEffect:"_sel, effect);
    }
    UIBlurEffect effect() const { return msg<rt::Ref<rt::Object>>("effect"_sel); }
    UIView contentView() const { return msg<rt::Ref<rt::Object>>("contentView"_sel); }
};

struct UITableViewCell : UIView {
    RT_FACE(UITableViewCell, UIView)
    UILabel textLabel() const { return msg<rt::Ref<rt::Object>>("textLabel"_sel); }
    UILabel detailTextLabel() const { return msg<rt::Ref<rt::Object>>("detailTextLabel"_sel); }
};

// The device's table: a header view and stacked rows (UITableView.h).
struct UITableView : UIScrollView {
    RT_FACE(UITableView, UIScrollView)
    std::vector<UITableViewCell> rows() const { return msg<std::vector<UITableViewCell>>("rows"_sel); }
    void setRows(const std::vector<UITableViewCell>& rows) const { msg("setRows:"_sel, rows); }
    UIView tableHeaderView() const { return msg<rt::Ref<rt::Object>>("tableHeaderView"_sel); }
    void setTableHeaderView(const UIView& view) const { msg("setTableHeaderView:"_sel, view); }
};

} // namespace uikit
