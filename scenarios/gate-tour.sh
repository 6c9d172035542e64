#!/usr/bin/env bash
# The lock gate tour: lumicrate12 in the Photos app. A device with a passcode
# boots, the package goes in, two albums get photos and Trips is locked
# through SpringBoard. A tap on Trips in the album list brings up
# SpringBoard's own owner prompt ("Trips needs to be unlocked."); the
# passcode typed, the album opens. With passOption 1 the tweak's password
# prompt asks instead. Then the album picker: a photo moved from Trips into
# Rome leaves Trips and the camera roll, and the Camera Roll target brings
# it back. Screenshots of each screen.
#
# Usage: scenarios/gate-tour.sh BIN_DIR DEVICE_DIR PACKAGE.deb SCREENS_DIR
set -euo pipefail
BIN="$1"
DEVICE="$2"
PACKAGE="$3"
SCREENS="$4"
TOUR="gate tour"
. "$(dirname "$0")/common.sh"
springboard_shot() { sim ui com.apple.springboard screenshot "$SCREENS/$1.png" | sed 's/^/   /'; keep "$1" "$2"; }
library() { sim library | grep -E '^  (Trips|Rome)  |Camera Roll' | sed 's/^/   /'; }

boot_with_package

step "two albums, Trips (two photos) and Rome (one); Trips locked through SpringBoard's message server"
SAMPLES="$(dirname "$DEVICE")/gate-samples"
rm -rf "$SAMPLES"
sim sample-photos "$SAMPLES" --count 3 --label Photo | sed 's/^/   /'
FILES=("$SAMPLES"/*.jpg)
sim addmedia "${FILES[0]}" "${FILES[1]}" --album Trips | sed 's/^/   /'
sim addmedia "${FILES[2]}" --album Rome | sed 's/^/   /'
lock_albums Trips
echo "   lockedAlbums.plist: Trips"

step "Photos: Albums, See All, a tap on Trips; SpringBoard asks the owner"
sim launch $PHOTOS
until_ok sim ui $PHOTOS find --label Albums
tap Albums
tap "See All"
photos_shot 1-album-list "See All: the album list; Trips is locked (lockedAlbums.plist below holds it)."
tap Trips
shows com.apple.springboard "Trips needs to be unlocked."
sim ui com.apple.springboard find --text "Trips needs to be unlocked." | sed 's/^/   /'
springboard_shot 2-owner-prompt "A tap on Trips: SpringBoard asks the owner (Touch ID or the passcode) before the album opens."

step "the passcode typed: the album opens"
sim ui com.apple.springboard type 1234 | sed 's/^/   /'
press com.apple.springboard OK
until_ok sim ui $PHOTOS find --label Select
photos_shot 3-trips-open "The passcode typed: Trips opens. It closes again when Photos goes to the background."
echo "   authenticate.plist (SpringBoard's answer; its token is the request's, used once):"
grep -o '<key>[^<]*</key>' "$DEVICE/var/mobile/Library/lumicrate/authenticate.plist" | tr '\n' ' ' | sed 's/^/      /'
echo

step "passOption 1: the tweak's own password (settings.tct) instead of the owner"
printf 'secret' >"$DEVICE/var/mobile/Library/lumicrate/settings.tct"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict><key>passOption</key><integer>1</integer></dict></plist>\n' \
    >"$DEVICE/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist"
sim notify post com.zel.lumicrate12prefs/reloadPrefs | sed 's/^/   /'
tap "‹ Albums"
tap Trips
shows $PHOTOS "Enter password to unlock album."
photos_shot 4-password-prompt "With passOption 1 the Photos app asks for the product's own album password instead."
sim ui $PHOTOS type secret | sed 's/^/   /'
press $PHOTOS OK
until_ok sim ui $PHOTOS find --label Select
echo "   Trips open after the password"

step "the picker: Trips' first photo moved into Rome, out of Trips and out of the camera roll"
tap Select
tap "Photo 1"
tap "Add To"
tap Rome
shows $PHOTOS "Move or copy photos to the album?"
photos_shot 5-move-or-copy "Add To Rome: the product asks Move or Copy. Move takes the photo out of Trips and out of the camera roll."
press $PHOTOS Move
until_ok sh -c "'$BIN/lumisim' library --root '$DEVICE' | grep -q 'Rome  1 visible, 1 hidden'"
library

step "from Rome, the Camera Roll target: the photo back in the camera roll and out of Rome"
tap "‹ Albums"
tap "‹ Albums"
tap Rome
tap Select
tap "Photo 1"
tap "Add To"
tap "Camera Roll"
shows $PHOTOS "Move photos back to camera roll?"
photos_shot 6-back-to-camera-roll "From Rome, the Camera Roll target: the photo returns to the camera roll and leaves Rome."
press $PHOTOS Move
until_ok sh -c "'$BIN/lumisim' library --root '$DEVICE' | grep -q 'Camera Roll *3 photos'"
library
echo
echo "   screenshots: $SCREENS"
ls "$SCREENS" | sed 's/^/   /'
sim shutdown >/dev/null
echo
echo "gate tour: Trips opened after the owner's passcode and after the password; a photo moved out of the camera roll and back"
