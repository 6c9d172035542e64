#pragma once
// lumicrate12prefs: lumicrate12's settings pane, a preference bundle that the
// Settings app loads from /Library/PreferenceBundles/lumicrate12prefs.bundle.
// It meets the tweak only through the preference file, the reload
// notification and settings.tct; it shares no code with it.
//
// Each file holds one part:
//   Cells           LCSwitchTableCell, LCButtonCell (the accent colour)
//   BaseController  LCBaseListController: values, the password, respring, links
//   RootController  LCRootListController: the banner, the "Respring" button
//   Pages           LCAppearanceListController, LCBehaviourListController,
//                   LCAlbumsListController (one switch per album title)
//   Module          the classes, defined when the Settings app loads the bundle

#include "sim/preferences/Preferences.h"
#include "sim/uikit/UIKit.h"

#include <string>

namespace lcprefs {

using namespace rt::literals;

inline constexpr const char* kDomain = "com.zel.lumicrate12prefs";
inline constexpr const char* kPreferenceFolder = "/var/mobile/Library/Preferences/";
inline constexpr const char* kReloadNotification = "com.zel.lumicrate12prefs/reloadPrefs";
inline constexpr const char* kBundlePath = "/Library/PreferenceBundles/lumicrate12prefs.bundle";
inline constexpr const char* kPasswordPath = "/var/mobile/Library/lumicrate/settings.tct";
inline constexpr const char* kAlbumKeyPrefix = "albumName";
inline constexpr const char* kSupportAddress = "support@lumicrate.example";
inline constexpr const char* kProfilePage = "https://lumicrate.example/developer";

// The pane's accent: red 52, green 160, blue 138.
uikit::UIColor accentColour();
// The key window's tint: the accent, or the default (nil).
void tintKeyWindow(bool accent);

// The preference file a specifier names by its "defaults" ("" for none).
std::string preferencePath(const prefs::PSSpecifier& specifier);

// The banner's height for a screen `width` points wide and an image of
// `imageWidth` x `imageHeight` (0 for no image): the width's integer part
// scaled by the image's aspect, truncated.
int bannerHeight(double width, double imageWidth, double imageHeight);
// The bundle-wide banner height, as the root page last computed it.
extern int height;

void defineCells();
void defineBaseController();
void defineRootController();
void definePages();

} // namespace lcprefs
