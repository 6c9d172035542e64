#pragma once
// The horizontal album strip of the Albums page, PUHorizontalAlbumListGadget.
// lumicrate12 makes it behave like the full album list:
//
//   - showing it sizes the tile thumbnails from the screen (width / 2.3 + 1:
//     164 points on a 375-point screen, 181 on 414), writes the locked list
//     back and makes it the gadget that answers long presses;
//   - a tap on a locked album asks the gate first (action code 0);
//   - a long press on any album tile (the recognizers of every tile, in the
//     strip and in the full list, are bound to this gadget) locks the album
//     at once with a pulse, or unlocks it through the gate (code 2); 0.1 s
//     later the pressed tile is laid out again, which adds or removes its
//     padlock;
//   - the settings for People, Places, titles and subtitles, as the list.
//
// The album is the one the tile stands for, by its title as the library has
// it (the locked list holds titles: two albums of one title lock together).

#include "sim/foundation/Foundation.h"
#include "sim/photos/kit/PhotoKit.h"
#include "sim/runtime/Runtime.h"
#include "sim/uikit/UIKit.h"

namespace lc {

extern rt::Orig<void(bool)> g_gadgetWillAppear;
void gadgetViewWillAppear(rt::Id self, rt::Sel, bool animated);
extern rt::Orig<uikit::UICollectionViewCell(uikit::UICollectionView, fnd::NSIndexPath)> g_gadgetCell;
uikit::UICollectionViewCell gadgetCellForItem(rt::Id self, rt::Sel, uikit::UICollectionView view,
                                              fnd::NSIndexPath path);
extern rt::Orig<void(uikit::UICollectionView, fnd::NSIndexPath)> g_gadgetSelect;
void gadgetDidSelectItem(rt::Id self, rt::Sel, uikit::UICollectionView view, fnd::NSIndexPath path);
// Added.
void handleLongPress(rt::Id self, rt::Sel, rt::Ref<rt::Object> recognizer);
// The slots of the switches, which the list's implementations serve (ListSwitches.h).
extern rt::Orig<bool()> g_gadgetShowPeople, g_gadgetShowPlaces;
extern rt::Orig<std::string(photos::PHCollection)> g_gadgetTitle, g_gadgetSubtitle;

// The thumbnail side the strip's tiles draw at on a screen this wide.
std::int32_t stripThumbnailSide(double screenWidth);

} // namespace lc
