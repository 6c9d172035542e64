#pragma once
// The Photos app's small adjustments (hook group "photos"): back to the album
// list when the app leaves the screen, the delete confirmation skipped,
// album grids that open at their end without section headers in the camera
// roll, photos that leave their last album shown in the camera roll again,
// the tab bar kept in album views when one tab is left, the live badge and
// the viewer's zoom. Two hooks record what the album views last showed
// (albumViewController, zoomGridController, isZoomController in
// PhotosState), which the album list, the gadget and the gate read.
//
// Each function is the implementation of one row of the hook table; the
// `g_…` slots keep the host's methods they replace.

#include "sim/photos/kit/PhotoKit.h"
#include "sim/runtime/Runtime.h"

namespace lc {

// The tab settings of which exactly one is on: the tab bar then stays.
bool exactlyOneTabShown();

extern rt::Orig<void(rt::Ref<rt::Object>)> g_photosEnterBackground;
void photosDidEnterBackground(rt::Id self, rt::Sel, rt::Ref<rt::Object> application);
void returnToMainView(rt::Id self, rt::Sel);

extern rt::Orig<bool()> g_skipDeleteConfirmation;
bool shouldSkipDeleteConfirmation(rt::Id self, rt::Sel);

extern rt::Orig<rt::Ref<rt::Object>()> g_navigationBar;
rt::Ref<rt::Object> navigationBar(rt::Id self, rt::Sel);

extern rt::Orig<bool()> g_albumSectionHeaders;
bool albumShouldShowSectionHeaders(rt::Id self, rt::Sel);

extern rt::Orig<void(photos::PHCollection, rt::Ref<rt::Object>, rt::Ref<rt::Object>, rt::Ref<rt::Object>)>
    g_albumSetCollection;
void albumSetAssetCollection(rt::Id self, rt::Sel, photos::PHCollection collection, rt::Ref<rt::Object> fetchResult,
                             rt::Ref<rt::Object> filter, rt::Ref<rt::Object> existing);

extern rt::Orig<bool()> g_albumScrolledToBottom;
bool albumInitiallyScrolledToBottom(rt::Id self, rt::Sel);

extern rt::Orig<void(rt::Block<void(bool)>)> g_albumRemoveSelected;
void albumRemoveSelectedAssets(rt::Id self, rt::Sel, rt::Block<void(bool)> completion);

extern rt::Orig<bool()> g_albumWantsTabBar;
bool albumWantsTabBarVisible(rt::Id self, rt::Sel);

extern rt::Orig<void(bool)> g_zoomGridWillAppear;
void zoomGridWillAppear(rt::Id self, rt::Sel, bool animated);

extern rt::Orig<bool()> g_irisBadge;
bool wantsIrisBadgeVisible(rt::Id self, rt::Sel);

extern rt::Orig<void(double)> g_setMaximumZoom;
void setDefaultMaximumZoomFactor(rt::Id self, rt::Sel, double factor);

} // namespace lc
