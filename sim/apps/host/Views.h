#pragma once
// Building blocks of the stock apps' screens: the few lines of UIKit that
// every screen repeats, as one call each.

#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIKit.h"
#include "sim/uikit/UIView.h"

#include <string>

namespace apps::views {

// A view of the class (UIView when null) with a background colour.
uikit::UIView box(gfx::CGRect frame, uikit::Rgba colour, const char* cls = nullptr);
// A one-line label.
uikit::UILabel label(gfx::CGRect frame, const std::string& text, double pointSize, uikit::Rgba colour,
                     uikit::NSTextAlignment alignment = uikit::NSTextAlignmentLeft, bool bold = false);
// A tap recogniser on `view` that sends `action` ("v@:@") to `target`.
void onTap(const uikit::UIView& view, const rt::NSObject& target, const char* action);
// Rounds the view's corners; `clip` also clips its content to them.
void round(const uikit::UIView& view, double radius, bool clip = true);
// A collection view with a flow layout, its cells of `cellClass` registered
// under the class's name.
struct Flow {
    gfx::CGSize itemSize{50, 50};
    double lineSpacing = 10, interitemSpacing = 10;
    uikit::UICollectionViewScrollDirection direction = uikit::UICollectionViewScrollDirectionVertical;
};
uikit::UICollectionView collectionView(gfx::CGRect frame, const Flow& flow, const char* cellClass);
// A window of the screen's size with the root controller, made key.
uikit::UIWindow showWindow(const uikit::UIViewController& rootController);

inline constexpr uikit::Rgba kWhite{1, 1, 1, 1};
inline constexpr uikit::Rgba kBlack{0, 0, 0, 1};
inline constexpr uikit::Rgba kClear{0, 0, 0, 0};
inline constexpr uikit::Rgba kSystemBlue{0, 0.478, 1, 1};
inline constexpr uikit::Rgba kSecondaryText{0.56, 0.56, 0.58, 1};
inline constexpr uikit::Rgba kGroupedBackground{0.94, 0.94, 0.96, 1};

} // namespace apps::views
