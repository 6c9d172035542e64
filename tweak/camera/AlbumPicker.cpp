#include "tweak/camera/AlbumPicker.h"

#include "sim/photos/kit/PhotoKit.h"
#include "sim/uikit/UIFont.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/springboard/MessageServer.h"

#include <algorithm>
#include <vector>

namespace lc {

using namespace uikit;

constinit std::string chosenAlbum = kCameraRoll;
constinit rt::Orig<void()> g_bottomBarLayout;

namespace {

// The Camera's private bottom bar, reached by name as on the phone.
struct CAMBottomBar : UIView {
    RT_FACE(CAMBottomBar, UIView)
    UIView backgroundView() const { return msg<UIView>("backgroundView"_sel); }
    UIView shutterButton() const { return msg<UIView>("shutterButton"_sel); }
    // lumicrate12's own methods on the bar.
    void chooseAlbum() const { msg("chooseAlbum"_sel); }
    void createNewAlbum() const { msg("createNewAlbum"_sel); }
};

UIView taggedIn(const UIView& view, NSInteger tag) { return view ? view.viewWithTag(tag) : nullptr; }

// The frame (91, 65, measured size), then the centre: the order a label is
// placed in, kept so that a caller sees the same frames.
void placeCaption(const UILabel& caption, const std::string& text, CGSize box, CGPoint buttonCentre, CaptionRoom room) {
    CGRect frame = captionFrame(text, box, buttonCentre, room);
    caption.setFrame({{91, 65}, frame.size});
    caption.setCenter({frame.midX(), frame.midY()});
}

void makeAlbumViews(const CAMBottomBar& bar, const UIView& background, bool customDraw) {
    // A missing image file leaves the view empty; it still takes taps.
    UIImageView button(UIImageView::alloc().initWithImage(UIImage::imageWithContentsOfFile(kAlbumImagePath)));
    button.setFrame({{0, 0}, {kAlbumButtonSize, kAlbumButtonSize}});
    CGPoint centre = albumButtonCentre(background.frame().size, customDraw);
    button.setCenter(centre);
    UITapGestureRecognizer tap(UITapGestureRecognizer::alloc().initWithTarget_action(bar, rt::sel("chooseAlbum")));
    tap.setNumberOfTapsRequired(1);
    tap.setDelegate(bar);
    button.addGestureRecognizer(tap);
    button.setTag(kAlbumTag);
    button.setAccessibilityLabel("Choose Album");
    button.setUserInteractionEnabled(true);
    background.addSubview(button);
    background.setUserInteractionEnabled(true);

    UILabel caption(UILabel::alloc().initWithFrame({}));
    placeCaption(caption, chosenAlbum, customDraw ? kCustomDrawCaptionBox : kCaptionBox, centre, captionRoom(bar));
    caption.setText(chosenAlbum);
    caption.setFont(UIFont::systemFontOfSize(kCaptionFontSize));
    caption.setNumberOfLines(1);
    caption.setLineBreakMode(NSLineBreakByTruncatingTail);
    caption.setBaselineAdjustment(UIBaselineAdjustmentAlignBaselines);
    caption.setAdjustsFontSizeToFitWidth(true);
    caption.setMinimumScaleFactor(kCaptionMinimumScale);
    caption.setClipsToBounds(true);
    caption.setBackgroundColor(UIColor::clearColor());
    caption.setTextColor(UIColor::whiteColor());
    caption.setTextAlignment(NSTextAlignmentCenter);
    caption.setTag(kLabelTag);
    background.addSubview(caption);
}

void storeChoice() { saveArrayToFile(fnd::Array{fnd::Value(chosenAlbum)}, kCameraAlbumTctPath); }

UIAlertAction action(const std::string& title, UIAlertActionStyle style, std::function<void()> run) {
    return UIAlertAction::actionWithTitle_style_handler(title, style, [run = std::move(run)](UIAlertAction) {
        if (run) run();
    });
}

// Presents from the controller that owns the bar. A sheet is anchored on
// the album button, which an iPad needs (without an anchor it refuses the
// sheet and the app ends); a phone ignores the anchor.
void present(const CAMBottomBar& bar, const UIAlertController& alert) {
    UIViewController owner = bar._viewControllerForAncestor();
    if (!owner) return;
    if (UIPopoverPresentationController popover = alert.popoverPresentationController()) {
        if (UIView button = taggedIn(bar.backgroundView(), kAlbumTag)) {
            popover.setSourceView(button);
            popover.setSourceRect(button.bounds());
        }
    }
    owner.presentViewController_animated_completion(alert, true);
}

} // namespace

CGPoint albumButtonCentre(CGSize background, bool customDrawButton) {
    double x = background.width / 7 + background.width / 7 + (customDrawButton ? kAlbumButtonSize : 0);
    return {x, background.height / 2 + 5};
}

CGRect captionFrame(const std::string& text, CGSize box, CGPoint buttonCentre, CaptionRoom room) {
    uikit::TextStyle style;
    style.font = {kCaptionFontSize, false};
    style.lineBreak = uikit::LineBreak::TruncateTail;
    CGSize measured = uikit::boundingRect(text, box, 0, style).size;
    double width = std::min(measured.width, std::max(0.0, room.right - room.left));
    double x = buttonCentre.x - width / 2;
    x = std::min(std::max(x, room.left), room.right - width);
    return {{x, buttonCentre.y + 28 - measured.height / 2}, {width, measured.height}};
}

CaptionRoom captionRoom(const UIView& bar) {
    CaptionRoom room;
    CAMBottomBar camBar(bar);
    UIView background = camBar.backgroundView();
    if (!background) return room;
    // The screen's left edge, in the background view's coordinates.
    CGPoint origin = background.convertPoint_toView({0, 0}, nullptr);
    room.left = -origin.x + kCaptionMargin;
    if (UIView shutter = camBar.respondsToSelector("shutterButton"_sel) ? camBar.shutterButton() : nullptr)
        room.right = shutter.convertPoint_toView({0, 0}, background).x - kCaptionMargin;
    else
        room.right = background.bounds().size.width - kCaptionMargin;
    return room;
}

bool holdsCustomDrawButton(const UIView& bar) {
    rt::Class* custom = rt::getClass("CustomDrawButton");
    if (!custom) return false;
    for (const UIView& v : bar.subviews())
        if (v.isKindOf(custom)) return true;
    return false;
}

void bottomBarLayoutSubviews(rt::Id self, rt::Sel cmd) {
    g_bottomBarLayout(self, cmd);
    if (!enabled || !enableCameraPicker) return;
    CAMBottomBar bar(self);
    UIView background = bar.backgroundView();
    if (!background) return;
    bool customDraw = holdsCustomDrawButton(bar);
    if (!taggedIn(bar, kAlbumTag)) makeAlbumViews(bar, background, customDraw);
    if (UILabel caption{taggedIn(background, kLabelTag)}) caption.setText(chosenAlbum);
}

std::vector<std::string> regularAlbumTitles() {
    using namespace photos;
    std::vector<std::string> titles;
    auto albums = PHAssetCollection::fetchAssetCollectionsWithType_subtype_options(
        PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAlbumRegular, PHFetchOptions::new_());
    for (const PHAssetCollection& album : albums.fetchedObjects())
        titles.push_back(album.localizedTitle());
    return titles;
}

void chooseAlbumNamed(const UIView& bar, const std::string& name) {
    chosenAlbum = name;
    UIView background = CAMBottomBar(bar).backgroundView();
    UILabel caption{taggedIn(background, kLabelTag)};
    UIView button = taggedIn(background, kAlbumTag);
    if (caption && button) {
        caption.setText(name); // "Camera Roll" for that entry, the album's title otherwise
        placeCaption(caption, chosenAlbum, kCaptionBox, button.center(), captionRoom(bar));
    }
    storeChoice();
}

void chooseAlbum(rt::Id self, rt::Sel) {
    CAMBottomBar bar(self);
    auto sheet = UIAlertController::alertControllerWithTitle_message_preferredStyle(
        "Choose Album", "Choose the album to save the photo to.", UIAlertControllerStyleActionSheet);
    sheet.addAction(action(kCameraRoll, UIAlertActionStyleDefault, [bar] { chooseAlbumNamed(bar, kCameraRoll); }));
    for (const std::string& title : regularAlbumTitles())
        sheet.addAction(action(title, UIAlertActionStyleDefault, [bar, title] { chooseAlbumNamed(bar, title); }));
    sheet.addAction(action("Cancel", UIAlertActionStyleCancel, nullptr));
    sheet.addAction(action("- Create new album -", UIAlertActionStyleDefault, [bar] { bar.createNewAlbum(); }));
    present(bar, sheet);
}

void createNewAlbum(rt::Id self, rt::Sel) {
    CAMBottomBar bar(self);
    auto alert = UIAlertController::alertControllerWithTitle_message_preferredStyle("Enter new album title", "",
                                                                                    UIAlertControllerStyleAlert);
    alert.addTextFieldWithConfigurationHandler([](UITextField field) { field.setPlaceholder(""); });
    // The handler keeps the field, not the alert (which keeps the handler).
    std::vector<UITextField> fields = alert.textFields();
    UITextField field = fields.empty() ? nullptr : fields.front();
    alert.addAction(action("OK", UIAlertActionStyleDefault, [bar, field] {
        std::string title = field ? field.text() : std::string();
        if (title.empty()) return; // nothing created, the choice unchanged
        photos::PHPhotoLibrary::sharedPhotoLibrary().performChanges_completionHandler(
            [title] { photos::PHAssetCollectionChangeRequest::creationRequestForAssetCollectionWithTitle(title); });
        chosenAlbum = title;
        if (UILabel caption{taggedIn(bar.backgroundView(), kLabelTag)}) caption.setText(chosenAlbum);
        storeChoice();
    }));
    present(bar, alert);
}

} // namespace lc
