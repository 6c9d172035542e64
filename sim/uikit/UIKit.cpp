#include "sim/uikit/UIKit.h"

#include "sim/dispatch/NSTimer.h"
#include "sim/foundation/NSBundle.h"
#include "sim/foundation/NSIndexPath.h"
#include "sim/graphics/UIImage.h"
#include "sim/uikit/UIActivityIndicatorView.h"
#include "sim/uikit/UIAlertController.h"
#include "sim/uikit/UICollectionView.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIFont.h"
#include "sim/uikit/UIGestureRecognizer.h"
#include "sim/uikit/UILabel.h"
#include "sim/uikit/UINavigationController.h"
#include "sim/uikit/UIScreen.h"
#include "sim/uikit/UIScrollView.h"
#include "sim/uikit/UISwitch.h"
#include "sim/uikit/UITableView.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/UIViewController.h"

#include <mutex>

namespace uikit {

void registerUIKit() {
    static std::once_flag once;
    std::call_once(once, [] {
        gfx::registerUIImage();
        dsp::defineNSTimer();
        defineUIColor();
        fnd::registerNSIndexPath();
        fnd::registerNSBundle();
        defineUIView();
        defineUIScrollView();
        defineUICollectionView();
        defineAnimations();
        defineUIFont();
        defineUILabel();
        defineUIImageView();
        defineUIActivityIndicatorView();
        defineUIVisualEffectView();
        defineUIScreen();
        defineUIViewController();
        defineUIWindow();
        defineGestureRecognizers();
        defineUIAlertController();
        defineUISwitch();
        defineUITableView();
        defineContainers();
    });
}

} // namespace uikit
