#pragma once
// The Photos app's full album list, PUAlbumListViewController, which is also
// its album picker (the list shown with a banner for photos chosen in an
// album view). lumicrate12 makes it:
//
//   - ask the gate before it opens or deletes a locked album;
//   - in picker mode, ask "Add photos to album" / "Move or copy photos to
//     the album?": Move takes the photos out of the camera roll (hidden) and
//     out of the album they came from, once the add has reached the album;
//     Copy only adds them;
//   - in picker mode, make "Camera Roll" a target ("Move photos" / "Move
//     photos back to camera roll?") that shows the photos again, and with
//     Move takes them out of the album they came from;
//   - count an album's hidden photos in its subtitle when the stock count
//     says 0, and record the tile thumbnail's size;
//   - bring back into the camera roll, when editing ends, the photos that
//     only a deleted album held;
//   - follow the settings for People, Places, titles, subtitles and a tab
//     bar of one tab.
//
// Each function is the implementation of one row of the hook table; the
// `g_…` slots keep the host's methods they replace.

#include "sim/foundation/Foundation.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/runtime/Runtime.h"
#include "sim/uikit/UIKit.h"

namespace lc {

extern rt::Orig<void(bool)> g_listWillAppear;
void listViewWillAppear(rt::Id self, rt::Sel, bool animated);

extern rt::Orig<void()> g_listDidLayout;
void listViewDidLayoutSubviews(rt::Id self, rt::Sel);

extern rt::Orig<void(rt::Ref<rt::Object>)> g_listWillDrag;
void listScrollViewWillBeginDragging(rt::Id self, rt::Sel, rt::Ref<rt::Object> scrollView);

extern rt::Orig<uikit::UICollectionViewCell(uikit::UICollectionView, fnd::NSIndexPath)> g_listCell;
uikit::UICollectionViewCell listCellForItem(rt::Id self, rt::Sel, uikit::UICollectionView view, fnd::NSIndexPath path);

extern rt::Orig<void(fnd::NSIndexPath)> g_listSelect;
void listDidSelectItem(rt::Id self, rt::Sel, fnd::NSIndexPath path);

extern rt::Orig<void(rt::Ref<rt::Object>, rt::Ref<rt::Object>)> g_listDelete;
void listPerformDeleteAction(rt::Id self, rt::Sel, rt::Ref<rt::Object> tile, rt::Ref<rt::Object> action);

extern rt::Orig<void(bool, bool)> g_listSetEditing;
void listSetEditing(rt::Id self, rt::Sel, bool editing, bool animated);

// Added: the picker's Camera Roll target and its two steps.
void handleCameraTap(rt::Id self, rt::Sel, rt::Ref<rt::Object> recognizer);
void returnSelectedPhotos(rt::Id self, rt::Sel, bool move);
void reloadCameraRollWithMove(rt::Id self, rt::Sel, bool move);

// A deletion that an earlier run of the app left pending (it ended between
// the delete and the photos' return): taken up again. The Photos app's
// start-up calls it.
void resumePendingDelete();

// The switches.
extern rt::Orig<bool()> g_listShowPeople, g_listShowPlaces, g_listHideTabBar, g_listWantsTabBar;
extern rt::Orig<std::string(photos::PHCollection)> g_listTitle, g_listSubtitle;
bool listAlwaysHideTabBar(rt::Id self, rt::Sel);
bool listWantsTabBarVisible(rt::Id self, rt::Sel);

} // namespace lc
