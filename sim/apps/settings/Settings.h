#pragma once
// Settings, the stock app "com.apple.Preferences": the list of settings
// built with the Preferences framework, with the rows of the installed
// preference bundles.
//
// The preference loader: each "/Library/PreferenceLoader/Preferences/*.plist"
// holds {"entry": {"label", "bundle", "detail", "cell": "PSLinkCell"}}; its
// row, under "Tweaks", opens the bundle "/Library/PreferenceBundles/
// <bundle>.bundle": the bundle's library (the file named <bundle> in it) is
// loaded once, which defines its classes, and the "detail" controller is
// shown with the bundle set, so that it finds its specifier lists and
// images. A bundle that cannot be loaded shows an alert and nothing else.
//
// -[PreferencesAppController rootController] is the navigation controller
// the lists are shown in.

namespace settings {

void registerClasses();

} // namespace settings
