#!/usr/bin/env bash
# The product tour: lumicrate12 on the device. Builds nothing; installs the
# package given into a freshly booted device as a person would (which
# restarts SpringBoard), then shows through `lumisim runtime` which hooks
# and added methods each process got, and SpringBoard's message server at
# work: an array saved into the state folder, and a write elsewhere refused.
# Then the camera's album picker as a person uses it: an album chosen on the
# Camera app's screen, three photos taken, and each of them in that album
# and out of the camera roll, with screenshots of the bar, the chooser and
# the bar afterwards (its image well showing the newest photo still visible),
# and the caption of a long title on an iPhone 8 and of "Camera Roll" on an
# iPhone XS, each inside the room left of the shutter.
#
# Usage: scenarios/product-tour.sh BIN_DIR DEVICE_DIR PACKAGE.deb SCREENS_DIR
set -euo pipefail
BIN="$1"
DEVICE="$2"
PACKAGE="$3"
SCREENS="$4"
TOUR="product tour"
. "$(dirname "$0")/common.sh"

"$BIN/lumisim" shutdown --root "$DEVICE" >/dev/null 2>&1 || true
rm -rf "$DEVICE"

step "boot the device, then install $(basename "$PACKAGE")"
sim boot --model iphone8
until_ok sim ui com.apple.springboard find --label Photos
dpkg-deb --contents "$PACKAGE" | awk '{ $1=$2=$3=$4=$5=""; print "   " substr($0, 6) }' | grep -v '/$'
sim install "$PACKAGE"
until_ok served
until_ok sim ui com.apple.springboard find --label Photos

step "what SpringBoard got: its launch hooked, the message handler added"
sim runtime com.apple.springboard methods SpringBoard

step "the apps load it too (its filter names UIKit); the camera gets its picker"
sim launch com.apple.camera
until_ok sim ui com.apple.camera find --class CAMBottomBar
sim runtime com.apple.camera methods CAMBottomBar
sim runtime com.apple.camera methods CAMCaptureEngine | grep lumicrate12
sim runtime com.apple.camera methods CAMImageWell | grep lumicrate12
CAMERA_PID="$(sim ps | awk '$2 == "com.apple.camera" { print $1 }')"
sim terminate com.apple.camera
# Gone once the device has reaped it; the picker's part below launches it afresh.
until_ok sh -c "'$BIN/lumisim' log --root '$DEVICE' | grep -q 'com.apple.camera pid $CAMERA_PID exited'"
"$BIN/lumisim" log --root "$DEVICE" | grep "injection: loaded lumicrate12" | sed 's/^/   /'

step "SpringBoard's message server: a state file written, a path outside refused"
savearray /var/mobile/Library/lumicrate/lockedAlbums.plist Private Q3
savearray /var/mobile/Library/Preferences/x.plist x
until_ok test -f "$DEVICE/var/mobile/Library/lumicrate/lockedAlbums.plist"
until_ok sh -c "'$BIN/lumisim' log --root '$DEVICE' | grep -q 'savearray refused'"
grep -o '<string>[^<]*</string>' "$DEVICE/var/mobile/Library/lumicrate/lockedAlbums.plist" | sed 's/^/   /'
"$BIN/lumisim" log --root "$DEVICE" | grep "savearray refused" | sed 's/^/   /'
[ ! -e "$DEVICE/var/mobile/Library/Preferences/x.plist" ]

step "the camera's album picker: two photos in the library, an album Trips, the album button in the bar"
rm -rf "$SCREENS"
mkdir -p "$SCREENS"
shot() { sim ui com.apple.camera screenshot "$SCREENS/$1.png" | sed 's/^/   /'; keep "$1" "$2"; }
sim sample-photos "$(dirname "$DEVICE")/product-samples" --count 2 --label Before | sed 's/^/   /'
# Taken an hour ago: the captures below are then the newest photos.
sim addmedia "$(dirname "$DEVICE")"/product-samples/*.jpg --date "$(date -u -d '1 hour ago' +%Y-%m-%dT%H:%M:%SZ)" | sed 's/^/   /'
sim mkalbum Trips | sed 's/^/   /'
sim launch com.apple.camera
until_ok sim ui com.apple.camera find --tag 77
sim ui com.apple.camera find --label "Choose Album" | sed 's/^/   /'
sim ui com.apple.camera find --tag 78 --text "Camera Roll" | sed 's/^/   /'
shot 1-camera-bar "The package installed: the Camera's bar has the album button."

step "tap it: the chooser lists Camera Roll, the albums, Cancel and a new album; choose Trips"
sim ui com.apple.camera tap --tag 77 | sed 's/^/   /'
until_ok sh -c "'$BIN/lumisim' ui com.apple.camera presented --root '$DEVICE' | grep -q 'Choose Album'"
shot 2-chooser "The album button: the chooser lists the albums to take photos into; Trips chosen."
sim ui com.apple.camera alert Trips | sed 's/^/   /'
until_ok sim ui com.apple.camera find --tag 78 --text Trips
sim ui com.apple.camera find --tag 78 --text Trips | sed 's/^/   /'
ALBUM_TCT="$DEVICE/var/mobile/Library/lumicrate/album.tct"
until_ok grep -q '<string>Trips</string>' "$ALBUM_TCT"
echo "   album.tct (written by SpringBoard; the camera's sandbox keeps it out):"
grep -o '<string>[^<]*</string>' "$ALBUM_TCT" | sed 's/^/      /'

step "three photos: 1.5 s after each capture it goes into Trips and out of the camera roll"
for _ in 1 2 3; do sim ui com.apple.camera tap --label "Take Picture" | sed 's/^/   /'; done
until_ok sh -c "'$BIN/lumisim' library --root '$DEVICE' | grep -q 'Trips  0 visible, 3 hidden'"
sim library | grep -E 'Trips|Camera Roll|IMG_' | sed 's/^/   /'
shot 3-after-three-photos "Three photos taken: each went into Trips and out of the camera roll (the library below)."
echo "   the image well shows the newest photo still visible: the second sample (\"Before 2\")"

step "a long album title: the caption keeps to the room beside the shutter and truncates its tail"
LONG="Summer holidays at the lake, July 2026 x"
sim mkalbum "$LONG" | sed 's/^/   /'
sim ui com.apple.camera tap --tag 77 | sed 's/^/   /'
until_ok sh -c "'$BIN/lumisim' ui com.apple.camera presented --root '$DEVICE' | grep -q 'Choose Album'"
sim ui com.apple.camera alert "$LONG" | sed 's/^/   /'
until_ok sim ui com.apple.camera find --tag 78 --text "$LONG"
sim ui com.apple.camera find --tag 78 | sed 's/^/   /'
sim ui com.apple.camera find --label "Take Picture" | sed 's/^/   /'
shot 4-long-title-iphone8 "A long album title: the caption stays on the screen and off the shutter on an iPhone 8."

step "an iPhone XS (its shutter drawn by a CustomDrawButton): \"Camera Roll\" whole, beside the shutter ring"
sim shutdown >/dev/null
rm -rf "$DEVICE"
sim boot --model iphonexs
until_ok sim ui com.apple.springboard find --label Photos
sim install "$PACKAGE" >/dev/null
until_ok served
until_ok sim ui com.apple.springboard find --label Photos
sim launch com.apple.camera
until_ok sim ui com.apple.camera find --tag 78 --text "Camera Roll"
sim ui com.apple.camera find --tag 78 | sed 's/^/   /'
sim ui com.apple.camera find --label "Take Picture" | sed 's/^/   /'
shot 5-camera-bar-iphonexs "The same bar on an iPhone XS, with its notch and home indicator."

count="$(ls "$SCREENS"/*.png | wc -l)"
[ "$count" -eq 5 ] || { echo "product tour: expected 5 screenshots, saved $count." >&2; exit 1; }
printf '\nproduct tour: package installed, SpringBoard hooked, state file written through SpringBoard;\n'
printf 'the camera chose Trips and its three photos went there, out of the camera roll (screens in %s)\n' "$SCREENS"
