#!/usr/bin/env bash
# The privacy filter tour: what other apps see of the library. A device
# boots with the package in; the library gets Trips (two photos), Rome (one)
# and Oslo inside the folder Travel (one). The third-party gallery and the
# store app (which lumicrate12 leaves alone) report what they are shown,
# through every query they make, and their screens are saved. Then Trips is
# locked (SpringBoard writes the locked list, as it does for the Photos app)
# and Rome is switched off in the settings: the gallery loses each at once,
# the store app keeps seeing all three.
#
# Usage: scenarios/filter-tour.sh BIN_DIR DEVICE_DIR PACKAGE.deb SCREENS_DIR
set -euo pipefail
BIN="$1"
DEVICE="$2"
PACKAGE="$3"
SCREENS="$4"
TOUR="filter tour"
. "$(dirname "$0")/common.sh"
GALLERY=com.example.gallery
STORE=com.apple.store.Jolly
report() { until_ok sim ui "$1" report; sim ui "$1" report | sed 's/^/   /'; }
# The gallery draws its page when it opens: it is opened afresh for each screenshot.
shot() {
    sim terminate "$1" >/dev/null 2>&1 || true
    # The app is given time to end: it is launched again once it is gone.
    until_ok sh -c "! '$BIN/lumisim' ps --root '$DEVICE' | grep -q ' $1'"
    sim launch "$1" >/dev/null
    until_ok sim ui "$1" find --text Gallery
    sim ui "$1" screenshot "$SCREENS/$2.png" | sed 's/^/   /'
    keep "$2" "$3"
}
albums() { sim ui "$1" report | grep '^albums:'; }

"$BIN/lumisim" shutdown --root "$DEVICE" >/dev/null 2>&1 || true
rm -rf "$DEVICE" "$SCREENS"
mkdir -p "$SCREENS"

step "boot a device and install $(basename "$PACKAGE")"
sim boot --model iphone8
until_ok sim ui com.apple.springboard find --label Photos
sim install "$PACKAGE" | sed 's/^/   /'
until_ok served

step "the library: Trips (two photos), Rome (one), Oslo in the folder Travel (one)"
SAMPLES="$(dirname "$DEVICE")/filter-samples"
rm -rf "$SAMPLES"
sim sample-photos "$SAMPLES" --count 4 --label Photo | sed 's/^/   /'
FILES=("$SAMPLES"/*.jpg)
sim addmedia "${FILES[0]}" "${FILES[1]}" --album Trips | sed 's/^/   /'
sim addmedia "${FILES[2]}" --album Rome | sed 's/^/   /'
sim mkalbum Oslo --folder Travel | sed 's/^/   /'
sim addmedia "${FILES[3]}" --album Oslo | sed 's/^/   /'

step "before: the gallery (filtered: Oslo's copy comes up beside the folder, no identifiers) and the store app (no hook)"
sim launch $GALLERY
sim launch $STORE
echo "   gallery:"
report $GALLERY
echo "   store app:"
report $STORE
shot $GALLERY 1-gallery-before "Before any lock: the gallery app sees Trips, Rome and Oslo (the folder's album comes up beside the folder)."
shot $STORE 2-store-before "The Apple Store app, which the privacy filter leaves alone, sees the same three albums."

step "Trips locked: SpringBoard writes the locked list, as it does for the Photos app"
lock_albums Trips
echo "   gallery, at its next query:"
report $GALLERY
echo "   store app:"
albums $STORE | sed 's/^/   /'
shot $GALLERY 3-gallery-trips-locked "Trips locked: the gallery no longer sees the album nor its photos."
shot $STORE 4-store-trips-locked "The store app still sees all three: the filter is for other apps, not every one."

step "Rome switched off in the settings (albumNameRome), every app told to reload"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict><key>albumNameRome</key><false/></dict></plist>\n' \
    >"$DEVICE/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist"
sim notify post com.zel.lumicrate12prefs/reloadPrefs | sed 's/^/   /'
until_ok sh -c "! '$BIN/lumisim' ui $GALLERY report --root '$DEVICE' | grep -q Rome"
echo "   gallery:"
albums $GALLERY | sed 's/^/   /'
echo "   store app:"
albums $STORE | sed 's/^/   /'
shot $GALLERY 5-gallery-rome-off "Rome switched off in the settings: the gallery loses Rome as well."

GALLERY_NOW="$(sim ui $GALLERY report)"
STORE_NOW="$(albums $STORE)"
if grep -qE 'Trips|Rome' <<<"$GALLERY_NOW" || ! grep -q 'Trips(2) Rome(1)' <<<"$STORE_NOW"; then
    echo "$TOUR: the gallery still shows a hidden album, or the store app lost one" >&2
    exit 1
fi
echo
echo "   screenshots: $SCREENS"
ls "$SCREENS" | sed 's/^/   /'
sim shutdown >/dev/null
echo
echo "filter tour: the gallery lost Trips when it was locked and Rome when it was switched off; the store app saw all three throughout"
