#include "tweak/camera/AlbumPicker.h"

#include "sim/foundation/Value.h"
#include "sim/uikit/UIFont.h"
#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/springboard/MessageServer.h"

#include <vector>

namespace lc {

using gfx::CGPoint;
using gfx::CGRect;
using gfx::CGSize;
using rt::Ref;
using namespace rt::literals;
using Objects = std::vector<Ref<rt::Object>>;

constinit std::string chosenAlbum = kCameraRoll;
constinit rt::Orig<void()> g_bottomBarLayout;

namespace {

constexpr long kTypeAlbum = 1, kSubtypeRegular = 2;
constexpr long kActionSheet = 0, kAlert = 1, kActionDefault = 0, kActionCancel = 1;
constexpr long kAlignBaselines = 0, kAlignCentre = 1;

Ref<rt::Object> make(const char* cls) { return rt::sendClass<Ref<rt::Object>>(rt::getClass(cls), "alloc"_sel); }
Ref<rt::Object> colour(const char* name) {
    return rt::sendClass<Ref<rt::Object>>(rt::getClass("UIColor"), rt::sel(name));
}
Ref<rt::Object> captionFont() {
    return rt::sendClass<Ref<rt::Object>>(rt::getClass("UIFont"), "systemFontOfSize:"_sel, kCaptionFontSize);
}
Ref<rt::Object> backgroundOf(const Ref<rt::Object>& bar) {
    return rt::send<Ref<rt::Object>>(bar, "backgroundView"_sel);
}
Ref<rt::Object> taggedIn(const Ref<rt::Object>& view, long tag) {
    return view ? rt::send<Ref<rt::Object>>(view, "viewWithTag:"_sel, tag) : nullptr;
}

// The frame (91, 65, measured size), then the centre under the button: the
// order a label is placed in, kept so that a caller sees the same frames.
void placeCaption(const Ref<rt::Object>& caption, const std::string& text, CGSize box, CGPoint buttonCentre) {
    CGRect frame = captionFrame(text, box, buttonCentre);
    rt::send(caption, "setFrame:"_sel, CGRect{{91, 65}, frame.size});
    rt::send(caption, "setCenter:"_sel, CGPoint{buttonCentre.x, buttonCentre.y + 28});
}

void makeAlbumViews(const Ref<rt::Object>& bar, const Ref<rt::Object>& background, bool customDraw) {
    // A missing image file leaves the view empty; it still takes taps.
    auto image = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIImage"), "imageWithContentsOfFile:"_sel,
                                                std::string(kAlbumImagePath));
    auto button = rt::send<Ref<rt::Object>>(make("UIImageView"), "initWithImage:"_sel, image);
    rt::send(button, "setFrame:"_sel, CGRect{{0, 0}, {kAlbumButtonSize, kAlbumButtonSize}});
    CGSize size = rt::send<CGRect>(background, "frame"_sel).size;
    CGPoint centre = albumButtonCentre(size, customDraw);
    rt::send(button, "setCenter:"_sel, centre);
    auto tap = rt::send<Ref<rt::Object>>(make("UITapGestureRecognizer"), "initWithTarget:action:"_sel, bar,
                                         rt::sel("chooseAlbum"));
    rt::send(tap, "setNumberOfTapsRequired:"_sel, 1L);
    rt::send(tap, "setDelegate:"_sel, bar);
    rt::send(button, "addGestureRecognizer:"_sel, tap);
    rt::send(button, "setTag:"_sel, kAlbumTag);
    rt::send(button, "setAccessibilityLabel:"_sel, std::string("Choose Album"));
    rt::send(button, "setUserInteractionEnabled:"_sel, true);
    rt::send(background, "addSubview:"_sel, button);
    rt::send(background, "setUserInteractionEnabled:"_sel, true);

    auto caption = rt::send<Ref<rt::Object>>(make("UILabel"), "initWithFrame:"_sel, CGRect{});
    placeCaption(caption, chosenAlbum, customDraw ? kCustomDrawCaptionBox : kCaptionBox, centre);
    rt::send(caption, "setText:"_sel, chosenAlbum);
    rt::send(caption, "setFont:"_sel, captionFont());
    rt::send(caption, "setNumberOfLines:"_sel, 1L);
    rt::send(caption, "setBaselineAdjustment:"_sel, kAlignBaselines);
    rt::send(caption, "setAdjustsFontSizeToFitWidth:"_sel, true);
    rt::send(caption, "setMinimumScaleFactor:"_sel, kCaptionMinimumScale);
    rt::send(caption, "setClipsToBounds:"_sel, true);
    rt::send(caption, "setBackgroundColor:"_sel, colour("clearColor"));
    rt::send(caption, "setTextColor:"_sel, colour("whiteColor"));
    rt::send(caption, "setTextAlignment:"_sel, kAlignCentre);
    rt::send(caption, "setTag:"_sel, kLabelTag);
    rt::send(background, "addSubview:"_sel, caption);
}

void storeChoice() { saveArrayToFile(fnd::Array{fnd::Value(chosenAlbum)}, kCameraAlbumTctPath); }

Ref<rt::Object> action(const std::string& title, long style, std::function<void()> run) {
    return rt::sendClass<Ref<rt::Object>>(rt::getClass("UIAlertAction"), "actionWithTitle:style:handler:"_sel, title,
                                          style,
                                          rt::Block<void(Ref<rt::Object>)>([run = std::move(run)](Ref<rt::Object>) {
                                              if (run) run();
                                          }));
}

// Presents from the controller that owns the bar. A sheet is anchored on
// the album button, which an iPad needs (without an anchor it refuses the
// sheet and the app ends); a phone ignores the anchor.
void present(const Ref<rt::Object>& bar, const Ref<rt::Object>& alert) {
    auto owner = rt::send<Ref<rt::Object>>(bar, "_viewControllerForAncestor"_sel);
    if (!owner) return;
    if (auto popover = rt::send<Ref<rt::Object>>(alert, "popoverPresentationController"_sel)) {
        if (auto button = taggedIn(backgroundOf(bar), kAlbumTag)) {
            rt::send(popover, "setSourceView:"_sel, button);
            rt::send(popover, "setSourceRect:"_sel, rt::send<CGRect>(button, "bounds"_sel));
        }
    }
    rt::send(owner, "presentViewController:animated:completion:"_sel, alert, true, rt::Block<void()>());
}

} // namespace

CGPoint albumButtonCentre(CGSize background, bool customDrawButton) {
    double x = background.width / 7 + background.width / 7 + (customDrawButton ? kAlbumButtonSize : 0);
    return {x, background.height / 2 + 5};
}

CGRect captionFrame(const std::string& text, CGSize box, CGPoint buttonCentre) {
    uikit::TextStyle style;
    style.font = {kCaptionFontSize, false};
    style.lineBreak = uikit::LineBreak::TruncateTail;
    CGSize measured = uikit::boundingRect(text, box, 0, style).size;
    return {{buttonCentre.x - measured.width / 2, buttonCentre.y + 28 - measured.height / 2}, measured};
}

bool holdsCustomDrawButton(const Ref<rt::Object>& bar) {
    rt::Class* custom = rt::getClass("CustomDrawButton");
    if (!custom) return false;
    for (const auto& v : rt::send<Objects>(bar, "subviews"_sel))
        if (rt::isKindOf(v.get(), custom)) return true;
    return false;
}

void bottomBarLayoutSubviews(rt::Id self, rt::Sel cmd) {
    g_bottomBarLayout(self, cmd);
    if (!enabled || !enableCameraPicker) return;
    Ref<rt::Object> bar(self);
    Ref<rt::Object> background = backgroundOf(bar);
    if (!background) return;
    bool customDraw = holdsCustomDrawButton(bar);
    if (!taggedIn(bar, kAlbumTag)) makeAlbumViews(bar, background, customDraw);
    if (auto caption = taggedIn(background, kLabelTag)) rt::send(caption, "setText:"_sel, chosenAlbum);
}

std::vector<std::string> regularAlbumTitles() {
    std::vector<std::string> titles;
    auto options = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHFetchOptions"), "new"_sel);
    auto albums = rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollection"),
                                                 "fetchAssetCollectionsWithType:subtype:options:"_sel, kTypeAlbum,
                                                 kSubtypeRegular, options);
    if (!albums) return titles;
    for (const auto& album : rt::send<Objects>(albums, "fetchedObjects"_sel))
        titles.push_back(rt::send<std::string>(album, "localizedTitle"_sel));
    return titles;
}

void chooseAlbumNamed(const Ref<rt::Object>& bar, const std::string& name) {
    chosenAlbum = name;
    Ref<rt::Object> background = backgroundOf(bar);
    Ref<rt::Object> caption = taggedIn(background, kLabelTag), button = taggedIn(background, kAlbumTag);
    if (caption && button) {
        rt::send(caption, "setText:"_sel, name); // "Camera Roll" for that entry, the album's title otherwise
        placeCaption(caption, chosenAlbum, kCaptionBox, rt::send<CGPoint>(button, "center"_sel));
    }
    storeChoice();
}

void chooseAlbum(rt::Id self, rt::Sel) {
    Ref<rt::Object> bar(self);
    auto sheet = rt::sendClass<Ref<rt::Object>>(
        rt::getClass("UIAlertController"), "alertControllerWithTitle:message:preferredStyle:"_sel,
        std::string("Choose Album"), std::string("Choose the album to save the photo to."), kActionSheet);
    rt::send(sheet, "addAction:"_sel,
             action(kCameraRoll, kActionDefault, [bar] { chooseAlbumNamed(bar, kCameraRoll); }));
    for (const std::string& title : regularAlbumTitles())
        rt::send(sheet, "addAction:"_sel,
                 action(title, kActionDefault, [bar, title] { chooseAlbumNamed(bar, title); }));
    rt::send(sheet, "addAction:"_sel, action("Cancel", kActionCancel, nullptr));
    rt::send(sheet, "addAction:"_sel,
             action("- Create new album -", kActionDefault, [bar] { rt::send(bar, "createNewAlbum"_sel); }));
    present(bar, sheet);
}

void createNewAlbum(rt::Id self, rt::Sel) {
    Ref<rt::Object> bar(self);
    auto alert = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIAlertController"),
                                                "alertControllerWithTitle:message:preferredStyle:"_sel,
                                                std::string("Enter new album title"), std::string(), kAlert);
    rt::send(alert, "addTextFieldWithConfigurationHandler:"_sel,
             rt::Block<void(Ref<rt::Object>)>(
                 [](Ref<rt::Object> field) { rt::send(field, "setPlaceholder:"_sel, std::string()); }));
    // The handler keeps the field, not the alert (which keeps the handler).
    Objects fields = rt::send<Objects>(alert, "textFields"_sel);
    Ref<rt::Object> field = fields.empty() ? nullptr : fields.front();
    rt::send(alert, "addAction:"_sel, action("OK", kActionDefault, [bar, field] {
                 std::string title = field ? rt::send<std::string>(field, "text"_sel) : std::string();
                 if (title.empty()) return; // nothing created, the choice unchanged
                 auto library =
                     rt::sendClass<Ref<rt::Object>>(rt::getClass("PHPhotoLibrary"), "sharedPhotoLibrary"_sel);
                 rt::send(library, "performChanges:completionHandler:"_sel, rt::Block<void()>([title] {
                              rt::sendClass<Ref<rt::Object>>(rt::getClass("PHAssetCollectionChangeRequest"),
                                                             "creationRequestForAssetCollectionWithTitle:"_sel, title);
                          }),
                          rt::Block<void(bool, Ref<rt::Object>)>());
                 chosenAlbum = title;
                 if (auto caption = taggedIn(backgroundOf(bar), kLabelTag))
                     rt::send(caption, "setText:"_sel, chosenAlbum);
                 storeChoice();
             }));
    present(bar, alert);
}

} // namespace lc
