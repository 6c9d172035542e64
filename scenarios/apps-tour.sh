#!/usr/bin/env bash
# The stock apps tour: boots a device with a passcode and Touch ID, fills
# the photo library, then walks through the apps as a person would, through
# automation (lumisim ui), and saves a screenshot of each screen:
# SpringBoard's home screen; Photos (the Photos tab, the Albums page, an
# album, the album picker adding a photo to another album); Camera (three
# captures); Settings with an installed preference bundle (a switch written
# to its preference file); the gallery app's view of the library.
#
# Usage: scenarios/apps-tour.sh BIN_DIR DEVICE_DIR SCREENS_DIR
set -euo pipefail
BIN="$1"
DEVICE="$2"
SCREENS="$3"
TOUR="apps tour"
. "$(dirname "$0")/common.sh"
shot() { sim ui "$1" screenshot "$SCREENS/$2.png" | sed 's/^/   /'; keep "$2" "$3"; }
tap() { until_ok sim ui "$1" find --label "$2"; sim ui "$1" tap --label "$2" | sed 's/^/   /'; }

"$BIN/lumisim" shutdown --root "$DEVICE" >/dev/null 2>&1 || true
rm -rf "$DEVICE" "$SCREENS"
mkdir -p "$SCREENS"

step "install the diagnostic preference bundle, boot with a passcode and Touch ID"
sim install-prefs "$BIN/../lib/LumiProbeSettings.so" --name LumiProbeSettings --label "Lumi Probe" \
    --detail LumiProbeSettingsController --resources "$BIN/../lib/LumiProbeSettings.resources"
sim boot --model iphone8 --passcode 1234 --touch-id
until_ok sim ui com.apple.springboard find --label Photos
shot com.apple.springboard 01-home "SpringBoard's home screen on a freshly booted device: the stock apps, no product installed yet."

step "fill the library: Trips (3 photos), Beach (1), Rome in the folder Travel (1), one loose photo"
SAMPLES="$(dirname "$DEVICE")/samples"
"$BIN/lumisim" sample-photos "$SAMPLES" --count 6 --label Tour --date 2026-12-01T10:00:00Z >/dev/null
sim addmedia "$SAMPLES/sample-01.jpg" "$SAMPLES/sample-02.jpg" "$SAMPLES/sample-03.jpg" --album Trips --date 2026-12-01T10:00:00Z
sim mkalbum Rome --folder Travel
sim addmedia "$SAMPLES/sample-04.jpg" --album Rome --date 2026-12-02T10:00:00Z
sim addmedia "$SAMPLES/sample-05.jpg" --album Beach --date 2026-12-03T10:00:00Z
sim addmedia "$SAMPLES/sample-06.jpg" --date 2026-12-04T10:00:00Z

step "Photos, opened from its icon: the Photos tab, the Albums page, Trips"
tap com.apple.springboard Photos
until_ok sim ui com.apple.mobileslideshow find --label Albums
shot com.apple.mobileslideshow 02-photos-tab "Photos opened from its icon: the Photos tab, the stock app as iOS 12 has it."
tap com.apple.mobileslideshow Albums
shot com.apple.mobileslideshow 03-albums-page "The Albums page: My Albums with the camera roll first, then the albums of the library."
tap com.apple.mobileslideshow Trips
shot com.apple.mobileslideshow 04-album-trips "The album Trips opened: its photos in a grid."

step "select a photo of Trips and add it to Beach with the album picker"
tap com.apple.mobileslideshow Select
tap com.apple.mobileslideshow "Photo 1"
tap com.apple.mobileslideshow "Add To"
until_ok sim ui com.apple.mobileslideshow find --text "Add to Album"
shot com.apple.mobileslideshow 05-album-picker "Select, then Add To: the stock album picker lists the albums a photo can join."
tap com.apple.mobileslideshow Beach
sim library | grep -E '^  (Trips|Beach) ' | sed 's/^/   /'

step "Camera: three photos from the shutter; the image well shows the last"
sim launch com.apple.camera
for _ in 1 2 3; do tap com.apple.camera "Take Picture"; done
until_ok sh -c "'$BIN/lumisim' log --root '$DEVICE' | grep -q 'camera: capture 3 saved'"
shot com.apple.camera 06-camera "The Camera after three shutter taps: the image well shows the newest photo."

step "Settings: the installed bundle's page; its switch writes the preference file"
sim launch com.apple.Preferences
until_ok sim ui com.apple.Preferences find --label "Lumi Probe"
shot com.apple.Preferences 07-settings "Settings' root list, with the installed preference bundle's row."
tap com.apple.Preferences "Lumi Probe"
tap com.apple.Preferences "Enabled switch"
shot com.apple.Preferences 08-settings-bundle "The preference bundle opened and its switch flipped: the preference file changed on disk."
grep -A1 '<key>enabled' "$DEVICE/private/var/mobile/Library/Preferences/com.lumi.probe.plist" | sed 's/^/   /'

step "the gallery app: what a third-party app is shown"
sim launch com.example.gallery
until_ok sim ui com.example.gallery report
sim ui com.example.gallery report | sed 's/^/   /'
shot com.example.gallery 09-gallery "The third-party gallery app: every album of the library, as PhotoKit shows it to any app."

step "shut down"
sim shutdown
count=$(ls "$SCREENS"/*.png | wc -l)
if [ "$count" -eq 9 ]; then
    echo "apps tour: 9 screens saved in $SCREENS; Photos added a photo to Beach, Camera took 3 photos, Settings wrote its switch."
else
    echo "apps tour: expected 9 screenshots, saved $count." >&2
    exit 1
fi
