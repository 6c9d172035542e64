#pragma once
// UIKit's public constants, once, under the names the platform gives them.
// The framework's own code and every caller use these; the values are the
// platform's, so a number written by a library for iOS means the same here.

#include "sim/foundation/Foundation.h"

namespace uikit {

using fnd::NSInteger;
using fnd::NSUInteger;

using UIAlertControllerStyle = NSInteger;
inline constexpr UIAlertControllerStyle UIAlertControllerStyleActionSheet = 0;
inline constexpr UIAlertControllerStyle UIAlertControllerStyleAlert = 1;

using UIAlertActionStyle = NSInteger;
inline constexpr UIAlertActionStyle UIAlertActionStyleDefault = 0;
inline constexpr UIAlertActionStyle UIAlertActionStyleCancel = 1;
inline constexpr UIAlertActionStyle UIAlertActionStyleDestructive = 2;

using UIGestureRecognizerState = NSInteger;
inline constexpr UIGestureRecognizerState UIGestureRecognizerStatePossible = 0;
inline constexpr UIGestureRecognizerState UIGestureRecognizerStateBegan = 1;
inline constexpr UIGestureRecognizerState UIGestureRecognizerStateChanged = 2;
inline constexpr UIGestureRecognizerState UIGestureRecognizerStateEnded = 3;
inline constexpr UIGestureRecognizerState UIGestureRecognizerStateCancelled = 4;
inline constexpr UIGestureRecognizerState UIGestureRecognizerStateFailed = 5;
inline constexpr UIGestureRecognizerState UIGestureRecognizerStateRecognized = UIGestureRecognizerStateEnded;

using UIViewAnimationOptions = NSUInteger;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionLayoutSubviews = 1ul << 0;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionAllowUserInteraction = 1ul << 1;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionBeginFromCurrentState = 1ul << 2;

using UIViewContentMode = NSInteger;
inline constexpr UIViewContentMode UIViewContentModeScaleToFill = 0;
inline constexpr UIViewContentMode UIViewContentModeScaleAspectFit = 1;
inline constexpr UIViewContentMode UIViewContentModeScaleAspectFill = 2;

using NSTextAlignment = NSInteger;
inline constexpr NSTextAlignment NSTextAlignmentLeft = 0;
inline constexpr NSTextAlignment NSTextAlignmentCenter = 1;
inline constexpr NSTextAlignment NSTextAlignmentRight = 2;

using NSLineBreakMode = NSInteger;
inline constexpr NSLineBreakMode NSLineBreakByWordWrapping = 0;
inline constexpr NSLineBreakMode NSLineBreakByTruncatingTail = 4;

using UIBaselineAdjustment = NSInteger;
inline constexpr UIBaselineAdjustment UIBaselineAdjustmentAlignBaselines = 0;
inline constexpr UIBaselineAdjustment UIBaselineAdjustmentAlignCenters = 1;
inline constexpr UIBaselineAdjustment UIBaselineAdjustmentNone = 2;

// NSStringDrawingOptions, for measuring text.
using NSStringDrawingOptions = NSInteger;
inline constexpr NSStringDrawingOptions NSStringDrawingUsesLineFragmentOrigin = 1 << 0;
inline constexpr NSStringDrawingOptions NSStringDrawingTruncatesLastVisibleLine = 1 << 5;

using UIActivityIndicatorViewStyle = NSInteger;
inline constexpr UIActivityIndicatorViewStyle UIActivityIndicatorViewStyleWhiteLarge = 0;
inline constexpr UIActivityIndicatorViewStyle UIActivityIndicatorViewStyleWhite = 1;
inline constexpr UIActivityIndicatorViewStyle UIActivityIndicatorViewStyleGray = 2;

using UIBlurEffectStyle = NSInteger;
inline constexpr UIBlurEffectStyle UIBlurEffectStyleExtraLight = 0;
inline constexpr UIBlurEffectStyle UIBlurEffectStyleLight = 1;
inline constexpr UIBlurEffectStyle UIBlurEffectStyleDark = 2;

using UIControlEvents = NSUInteger;
inline constexpr UIControlEvents UIControlEventValueChanged = 1ul << 12;

using UICollectionViewScrollDirection = NSInteger;
inline constexpr UICollectionViewScrollDirection UICollectionViewScrollDirectionVertical = 0;
inline constexpr UICollectionViewScrollDirection UICollectionViewScrollDirectionHorizontal = 1;

using UICollectionViewScrollPosition = NSUInteger;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionNone = 0;

using UIBarButtonItemStyle = NSInteger;
inline constexpr UIBarButtonItemStyle UIBarButtonItemStylePlain = 0;
inline constexpr UIBarButtonItemStyle UIBarButtonItemStyleDone = 2;

using UITextBorderStyle = NSInteger;
inline constexpr UITextBorderStyle UITextBorderStyleNone = 0;
inline constexpr UITextBorderStyle UITextBorderStyleRoundedRect = 3;

using UIUserInterfaceIdiom = NSInteger;
inline constexpr UIUserInterfaceIdiom UIUserInterfaceIdiomPhone = 0;
inline constexpr UIUserInterfaceIdiom UIUserInterfaceIdiomPad = 1;

} // namespace uikit
