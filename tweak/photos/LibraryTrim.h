#pragma once
// The trimmed Photos app (hook group "photos"): the tabs, smart albums,
// Albums-page sections and user albums the settings switch off are left out
// of what the app's stock methods return; a tab bar with one item is
// hidden; the camera roll heads the top album list; albums whose photos are
// all hidden stay listed; the Albums page lays its tiles out again when it
// appears. Nothing is deleted from the library.
//
// Which hooks test `enabled`: the excluded tabs, the album list filter and
// reordering. The others act whenever they are installed.
//
// Each function is the implementation of one row of the hook table; the
// `g_…` slots keep the host's methods they replace.

#include "sim/foundation/Value.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/runtime/Runtime.h"
#include "sim/uikit/UIKit.h"

#include <vector>

namespace lc {

using Objects = std::vector<rt::Ref<rt::Object>>;

// The content mode of the Moments tab: 10 on systems newer than iOS 12
// (CoreFoundation above 1620), 0 on iOS 12 and before.
long momentsContentMode(double coreFoundationVersion);

// The content modes that the tab settings exclude, in tab order (Moments,
// For You, Shared, Albums); with all four off the Albums tab stays.
fnd::Array excludedTabs();

// The Albums page's sections to keep, from the stock list: People & Places
// (provider list type 3) and Shared Albums (2) by their switches; of the
// gadgets of type 10, the first (Media Types) by showMediaTypes and every
// later one (Other Albums) by showOtherAlbums.
std::vector<uikit::UIViewController> keptGadgets(const std::vector<uikit::UIViewController>& stock);

extern rt::Orig<fnd::Array()> g_excludedContentModes;
fnd::Array tabsExcludedContentModes(rt::Id self, rt::Sel);

extern rt::Orig<void()> g_tabBarLayout;
void tabBarLayoutSubviews(rt::Id self, rt::Sel);
extern rt::Orig<bool()> g_tabBarHidden;
bool tabBarHidden(rt::Id self, rt::Sel);
extern rt::Orig<Objects()> g_tabBarItems;
Objects tabBarItems(rt::Id self, rt::Sel);

extern rt::Orig<Objects()> g_trimCollections;
Objects trimCollections(rt::Id self, rt::Sel);

extern rt::Orig<std::vector<uikit::UIViewController>()> g_gadgets;
std::vector<uikit::UIViewController> dataSourceGadgets(rt::Id self, rt::Sel);

extern rt::Orig<void(bool)> g_albumsPageWillAppear;
void albumsPageWillAppear(rt::Id self, rt::Sel, bool animated);

extern rt::Orig<bool(photos::PHCollection)> g_containsAnyAssets;
bool containsAnyAssets(rt::Id self, rt::Sel, photos::PHCollection collection);

extern rt::Orig<bool(photos::PHCollection)> g_canReorderCollection;
bool canReorderCollection(rt::Id self, rt::Sel, photos::PHCollection collection);

} // namespace lc
