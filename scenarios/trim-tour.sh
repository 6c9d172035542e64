#!/usr/bin/env bash
# The trim tour: the Photos app as the settings trim it. With the package in
# and a few photos (one of them a screenshot), the Albums page shows every
# section and the four tabs. Then the preference file switches off Shared
# Albums, People & Places, the Screenshots smart album and three of the
# four tabs, and the reload is announced: the Albums page at its next
# appearance has lost those sections and that smart album, and at the app's
# next launch the Albums tab is all there is, without a tab bar. The camera
# roll heads My Albums throughout. Screenshots before and after.
#
# Usage: scenarios/trim-tour.sh BIN_DIR DEVICE_DIR PACKAGE.deb SCREENS_DIR
set -euo pipefail
BIN="$1"
DEVICE="$2"
PACKAGE="$3"
SCREENS="$4"
TOUR="trim tour"
. "$(dirname "$0")/common.sh"
PREFS=/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist
scroll_down() { sim ui $PHOTOS drag 187 600 187 100 >/dev/null; sleep 0.5; }

boot_with_package

step "photos: Trips (two), Rome (one), and a screenshot in the camera roll"
SAMPLES="$(dirname "$DEVICE")/trim-samples"
rm -rf "$SAMPLES"
sim sample-photos "$SAMPLES" --count 4 --label Photo | sed 's/^/   /'
FILES=("$SAMPLES"/*.jpg)
sim addmedia "${FILES[0]}" "${FILES[1]}" --album Trips | sed 's/^/   /'
sim addmedia "${FILES[2]}" --album Rome | sed 's/^/   /'
sim addmedia "${FILES[3]}" --screenshot | sed 's/^/   /'

step "before: the Albums page with every section, the camera roll first in My Albums, four tabs"
sim launch $PHOTOS
tap Albums
until_ok sim ui $PHOTOS find --label "Camera Roll"
photos_shot 1-before-albums-page "Before the trim: the Albums page with every section, the camera roll first in My Albums, four tabs."
scroll_down
scroll_down
until_ok sim ui $PHOTOS find --label "Screenshots"
photos_shot 2-before-media-types "Before the trim: Media Types lists Screenshots among others."

step "the settings: Shared Albums, People & Places, Screenshots and the Photos, For You and Shared tabs off"
cat >"$DEVICE$PREFS" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>showSharedAlbums</key><false/><key>showPeopleAnd</key><false/><key>showScreenshots</key><false/>
<key>showTabMoments</key><false/><key>showTabMemories</key><false/><key>showTabShared</key><false/>
</dict></plist>
PLIST
sim notify post com.zel.lumicrate12prefs/reloadPrefs | sed 's/^/   /'

step "after: the Albums page again: no Shared Albums, no People & Places, no Screenshots"
tap Photos
tap Albums
until_ok sh -c "! '$BIN/lumisim' ui $PHOTOS find --text 'Shared Albums' --root '$DEVICE'"
photos_shot 3-after-albums-page "After the trim (Shared Albums, People & Places, Screenshots and three tabs off): those sections and Screenshots are gone; the camera roll still heads My Albums."

step "after the next launch: the Albums tab alone, without a tab bar"
sim terminate $PHOTOS | sed 's/^/   /'
until_ok sh -c "! '$BIN/lumisim' ps --root '$DEVICE' | grep -q $PHOTOS"
sim launch $PHOTOS | sed 's/^/   /'
until_ok sim ui $PHOTOS find --text "My Albums"
sleep 0.5
photos_shot 4-after-relaunch-one-tab "Relaunched with one tab left: the tab bar is hidden."
echo
echo "   screenshots: $SCREENS"
ls "$SCREENS" | sed 's/^/   /'
sim shutdown >/dev/null
echo
echo "trim tour: the switched-off sections, smart album and tabs left the Photos app, and the camera roll headed My Albums throughout"
