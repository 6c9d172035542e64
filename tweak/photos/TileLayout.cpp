#include "tweak/photos/TileLayout.h"

#include "tweak/core/Settings.h"
#include "tweak/core/StateFiles.h"
#include "tweak/library/MoveEngine.h"
#include "tweak/photos/PhotosState.h"

#include <string>
#include <unordered_map>

namespace lc {

using namespace uikit;
using namespace photos;

constinit rt::Orig<void()> g_tileLayout, g_buttonLayout;
constinit rt::Orig<void(bool, bool)> g_tileSetEditing;

namespace {

constexpr double kLongPress = 1.0, kFadeIn = 0.3, kButtonSide = 22, kStockFontSize = 15;
constexpr double kMoveButtonY = 40, kLockButtonY = 70;

struct LCLockView : UIView {
    RT_FACE(LCLockView, UIView)
    void setPhotoView(const UIView& view) const { msg("setPhotoView:"_sel, view); }
};

PUAlbumListCellContentView tileOf(rt::Id self) { return PUAlbumListCellContentView(rt::Ref<rt::Object>(self)); }

// The gadget answers every tile's long press; a tile laid out before any
// gadget was shown gets its recognizer at a later pass.
void attachLongPress(const PUAlbumListCellContentView& tile) {
    PUHorizontalAlbumListGadget gadget = photosState().gadgetController;
    if (!gadget || !tile.gestureRecognizers().empty()) return;
    UILongPressGestureRecognizer press(
        UILongPressGestureRecognizer::alloc().initWithTarget_action(gadget, "handleLongPress:"_sel));
    press.setMinimumPressDuration(kLongPress);
    tile.addGestureRecognizer(press);
}

void recordThumbnailSize(const UIView& stack) {
    CGRect frame = stack ? stack.frame() : CGRect{};
    if (frame.size.height <= 100.0) return;
    auto side = static_cast<std::int32_t>(frame.size.width + 2.0);
    photoHeight = side;
    photoWidth = side;
}

// Each album's count with its hidden photos, kept under the library's change
// token: a layout pass lays out tens of tiles, and lays them out again as
// the list scrolls, while the counts change only with the library. Main
// thread only (layout passes).
struct CountCache {
    PHPersistentChangeToken library;
    std::unordered_map<std::string, unsigned long> counts; // album identifier → photos, hidden ones too
};
unsigned long photosIn(const PHAssetCollection& album) {
    static CountCache* cache = new CountCache; // never destroyed: a layout may run while the process exits
    PHPersistentChangeToken now = PHPhotoLibrary::sharedPhotoLibrary().currentChangeToken();
    if (!cache->library || !cache->library.isEqual(now)) *cache = CountCache{now, {}};
    std::string id = album.localIdentifier();
    if (auto it = cache->counts.find(id); it != cache->counts.end()) return it->second;
    PHFetchOptions withHidden = PHFetchOptions::new_();
    withHidden.setIncludeHiddenAssets(true);
    unsigned long n = PHAsset::fetchAssetsInAssetCollection_options(album, withHidden).count();
    cache->counts.emplace(std::move(id), n);
    return n;
}

// A user album's count with its hidden photos (moved out of the camera roll).
void countHiddenPhotos(const PUAlbumListCellContentView& tile, const PHCollection& shown) {
    if (!shown || !shown.canContainAssets()) return;
    PHAssetCollection album = shown.as<PHAssetCollection>();
    if (album.assetCollectionType() != PHAssetCollectionTypeAlbum || !isStringInt(tile.subtitle())) return;
    tile.setSubtitle(std::to_string(photosIn(album)));
}

CGRect iconRect() {
    IconFrame f = lockIconFrame(photoWidth);
    return {{f.x, f.y}, {f.width, f.height}};
}

void placeLockOverlay(const PUAlbumListCellContentView& tile, const UIView& stack) {
    CGRect s = stack ? stack.frame() : CGRect{};
    double w = photoWidth, h = photoHeight;
    UIView overlay = tile.viewWithTag(kLockViewTag);
    if (!overlay || overlay == tile) {
        LCLockView lock(LCLockView::alloc().initWithFrame({s.origin, {w, h}}));
        lock.setPhotoView(stack);
        lock.setTag(kLockViewTag);
        lock.setBackgroundColor(UIColor::clearColor());
        UIVisualEffectView blur(
            UIVisualEffectView::alloc().initWithEffect(UIBlurEffect::effectWithStyle(UIBlurEffectStyleDark)));
        blur.setFrame({{0, 0}, {w + 100, h + 100}});
        blur.layer().setMasksToBounds(true);
        lock.addSubview(blur);
        UIImageView icon(UIImageView::alloc().initWithImage(UIImage::imageWithContentsOfFile(kWhiteLockImage)));
        icon.setTag(kLockImageTag);
        icon.setFrame(iconRect());
        lock.addSubview(icon);
        lock.setClipsToBounds(true);
        lock.layer().setCornerRadius(5.0);
        tile.addSubview(lock);
        overlay = lock;
    } else if (UIViewController owner = tile._viewControllerForAncestor();
               owner && owner.isKindOfClass(PUAlbumListViewController::cls())) {
        LCLockView(overlay).setPhotoView(stack);
        overlay.setFrame({{s.origin.x - 1, s.origin.y - 1}, {w + 2, h + 2}});
        if (UIView icon = overlay.viewWithTag(kLockImageTag)) icon.setFrame(iconRect());
    }
    tile.bringSubviewToFront(overlay);
}

void removeTagged(const UIView& parent, long tag) {
    if (UIView v = parent.viewWithTag(tag); v && v != parent) v.removeFromSuperview();
}

// What a button says to accessibility (and automation): the action and the
// album the tile shows now (a reused cell shows another album).
std::string buttonLabel(const PUAlbumListCellContentView& tile, long tag) {
    return (tag == kMoveButtonTag ? "Move " : "Lock ") + libraryTitle(tile.collection());
}

// A button of edit mode where it belongs, or gone when the tile is not
// editing or cannot be deleted.
void placeButton(const PUAlbumListCellContentView& tile, long tag, double y, bool keep) {
    UIView button = tile.viewWithTag(tag);
    if (!button || button == tile) return;
    if (!keep) return button.removeFromSuperview();
    button.setFrame({{0, y}, {kButtonSide, kButtonSide}});
    button.setAccessibilityLabel(buttonLabel(tile, tag));
    tile.bringSubviewToFront(button);
}

void applyFonts(const PUAlbumListCellContentView& tile) {
    UITextField title = tile._titleTextField();
    UILabel subtitle = tile._subtitleLabel();
    if (layoutFontSize != kStockFontSize) {
        UIFont font = UIFont::systemFontOfSize(layoutFontSize);
        if (title) title.setFont(font);
        if (subtitle) subtitle.setFont(font);
    }
    if (!layoutShowTitle && title) title.setFont(UIFont::systemFontOfSize(0));
    if (!layoutShowSubtitle && subtitle) subtitle.setFont(UIFont::systemFontOfSize(0));
}

void addButton(const PUAlbumListCellContentView& tile, long tag, const char* image, double y, const char* action) {
    if (UIView existing = tile.viewWithTag(tag); existing && existing != tile) return;
    UIImageView button(UIImageView::alloc().initWithImage(UIImage::imageWithContentsOfFile(image)));
    button.setFrame({{0, y}, {kButtonSide, kButtonSide}});
    button.setTag(tag);
    button.setUserInteractionEnabled(true);
    UITapGestureRecognizer tap(UITapGestureRecognizer::alloc().initWithTarget_action(tile, rt::sel(action)));
    tap.setNumberOfTapsRequired(1);
    tap.setDelegate(tile);
    button.addGestureRecognizer(tap);
    button.setAccessibilityLabel(buttonLabel(tile, tag));
    button.setAlpha(0);
    tile.addSubview(button);
    UIView::animateWithDuration_delay_options_animations_completion(
        kFadeIn, 0, UIViewAnimationOptionAllowUserInteraction, [button] { button.setAlpha(1.0); }, [](bool) {});
}

} // namespace

IconFrame lockIconFrame(std::int32_t width) {
    double corner = width / 2 - 25; // integer halving, as the padlock has always sat
    return {corner, corner, 50, 50};
}

void tileLayoutSubviews(rt::Id self, rt::Sel cmd) {
    g_tileLayout(self, cmd);
    PUAlbumListCellContentView tile = tileOf(self);
    tile.setClipsToBounds(true);
    PHCollection shown = tile.collection();
    std::string title = libraryTitle(shown);
    attachLongPress(tile);
    UIView stack = tile.stackView();
    recordThumbnailSize(stack);
    countHiddenPhotos(tile, shown);
    reloadLockedAlbums();
    if (isLocked(title))
        placeLockOverlay(tile, stack);
    else
        removeTagged(tile, kLockViewTag);
    tile.setHidden(false);
    UIView deleteButton = tile._deleteButton();
    bool buttons = photosState().viewIsEditing && deleteButton;
    placeButton(tile, kMoveButtonTag, kMoveButtonY, buttons);
    placeButton(tile, kLockButtonTag, kLockButtonY, buttons);
    if (deleteButton) tile.bringSubviewToFront(deleteButton);
    applyFonts(tile);
}

void tileSetEditing(rt::Id self, rt::Sel cmd, bool editing, bool animated) {
    g_tileSetEditing(self, cmd, editing, animated);
    if (editing) tileOf(self).createButtons();
}

void buttonLayoutSubviews(rt::Id self, rt::Sel cmd) {
    g_buttonLayout(self, cmd);
    UIView parent = UIView(rt::Ref<rt::Object>(self)).superview();
    if (parent && parent.isKindOfClass(PUAlbumListCellContentView::cls()))
        PUAlbumListCellContentView(parent).createButtons();
}

void createButtons(rt::Id self, rt::Sel) {
    PUAlbumListCellContentView tile = tileOf(self);
    if (UIView deleteButton = tile._deleteButton()) tile.bringSubviewToFront(deleteButton);
    addButton(tile, kMoveButtonTag, kMoveImage, kMoveButtonY, "askToMoveAlbum");
    if (UIView move = tile.viewWithTag(kMoveButtonTag)) tile.bringSubviewToFront(move);
    addButton(tile, kLockButtonTag, kGreenLockImage, kLockButtonY, "lockAlbum");
    if (UIView lock = tile.viewWithTag(kLockButtonTag)) tile.bringSubviewToFront(lock);
}

} // namespace lc
