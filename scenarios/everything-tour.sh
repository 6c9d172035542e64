#!/usr/bin/env bash
# The tour of everything: one device, every feature of lumicrate12 in the
# order a new user meets it, each step kept with its screen for the report.
# Install the package; choose an album in the Camera and take photos into
# it; lock that album with a long press; open it through SpringBoard's
# prompt and see it close when Photos leaves the screen; set an album
# password in Settings and open the album with it; move an album's photos
# out of the camera roll and back; Move with the album picker and the
# Camera Roll target; delete an album whose photos were moved out; what the
# gallery app is shown before and after a lock; trim the Photos app from
# the settings; respring.
#
# Usage: scenarios/everything-tour.sh BIN_DIR DEVICE_DIR PACKAGE.deb SCREENS_DIR
set -euo pipefail
BIN="$1"
DEVICE="$2"
PACKAGE="$3"
SCREENS="$4"
TOUR="everything tour"
. "$(dirname "$0")/common.sh"
SB=com.apple.springboard
CAMERA=com.apple.camera
SETTINGS=com.apple.Preferences
GALLERY=com.example.gallery
PREFS=/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist
shot() { sim ui "$1" screenshot "$SCREENS/$2.png" | sed 's/^/   /'; keep "$2" "$3"; }
stap() { until_ok sim ui $SETTINGS tap --label "$1"; echo "   tapped $1"; }
sback() { sim ui $SETTINGS tap --x 40 --y 22 >/dev/null; sleep 0.5; }
holds() { "$BIN/lumisim" library --root "$DEVICE" | grep -q "$1"; }
locked() { tr -d ' \t\n' <"$DEVICE$LOCKED_LIST" | grep -q "<string>$1</string>"; }
# Settings written as the pane writes them, into the file it keeps, then announced.
set_prefs() {
    [ -f "$DEVICE$PREFS" ] ||
        printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict></dict></plist>\n' >"$DEVICE$PREFS"
    sed -i "s#</dict>#$1</dict>#" "$DEVICE$PREFS"
    sim notify post com.zel.lumicrate12prefs/reloadPrefs | sed 's/^/   /'
}
# The gallery draws its page when it opens: opened afresh for each look.
gallery_shot() {
    sim terminate $GALLERY >/dev/null 2>&1 || true
    until_ok sh -c "! '$BIN/lumisim' ps --root '$DEVICE' | grep -q ' $GALLERY'"
    sim launch $GALLERY >/dev/null
    until_ok sim ui $GALLERY find --text Gallery
    shot $GALLERY "$1" "$2"
}

boot_with_package
shot $SB 01-installed "The package installed on a device whose owner set the passcode 1234: SpringBoard restarted with lumicrate12 loaded."

step "the library: Rome and Oslo with two photos each, taken an hour ago; an empty album Trips"
SAMPLES="$(dirname "$DEVICE")/everything-samples"
rm -rf "$SAMPLES"
sim sample-photos "$SAMPLES" --count 4 --label Photo | sed 's/^/   /'
FILES=("$SAMPLES"/*.jpg)
HOUR_AGO="$(date -u -d '1 hour ago' +%Y-%m-%dT%H:%M:%SZ)"
sim addmedia "${FILES[0]}" "${FILES[1]}" --album Rome --date "$HOUR_AGO" | sed 's/^/   /'
sim addmedia "${FILES[2]}" "${FILES[3]}" --album Oslo --date "$HOUR_AGO" | sed 's/^/   /'
sim mkalbum Trips | sed 's/^/   /'

step "the Camera: the album button, Trips chosen, two photos taken into Trips and out of the camera roll"
sim launch $CAMERA
until_ok sim ui $CAMERA find --tag 77
sim ui $CAMERA tap --tag 77 | sed 's/^/   /'
until_ok sh -c "'$BIN/lumisim' ui $CAMERA presented --root '$DEVICE' | grep -q 'Choose Album'"
shot $CAMERA 02-camera-chooser "The Camera's album button: the chooser lists Camera Roll and the albums; Trips is chosen (SpringBoard writes album.tct)."
sim ui $CAMERA alert Trips | sed 's/^/   /'
until_ok sim ui $CAMERA find --tag 78 --text Trips
for _ in 1 2; do sim ui $CAMERA tap --label "Take Picture" | sed 's/^/   /'; done
until_ok holds 'Trips  0 visible, 2 hidden'
shot $CAMERA 03-photos-into-trips "Two photos taken: each went into Trips and out of the camera roll; the image well still shows the newest photo in the camera roll."

step "Photos: a long press on Trips' tile locks it; its padlock"
sim launch $PHOTOS
until_ok sim ui $PHOTOS find --label Albums
tap Albums
until_ok sim ui $PHOTOS long-press --label Trips --seconds 1.3
until_ok locked Trips
sleep 1.5
photos_shot 04-trips-padlock "A long press on Trips' tile locked it at once (lockedAlbums.plist below); the tile is blurred under a padlock."

step "a tap on Trips: SpringBoard asks for the passcode; typed, Trips opens"
tap Trips
shows $SB "Trips needs to be unlocked."
shot $SB 05-owner-prompt "A tap on the locked Trips: SpringBoard asks the device's owner before the album opens."
sim ui $SB type 1234 | sed 's/^/   /'
press $SB OK
until_ok sim ui $PHOTOS find --label Select
photos_shot 06-trips-open "The passcode typed: Trips opens, with the two photos the Camera took into it."

step "Photos goes to the background and comes back: Trips has closed (returnToMainLocked on)"
set_prefs "<key>returnToMainLocked</key><true/>"
sim background $PHOTOS | sed 's/^/   /'
sim foreground $PHOTOS | sed 's/^/   /'
until_ok sim ui $PHOTOS find --label "See All"
photos_shot 07-closed-on-return "Photos left the screen and came back: the locked album closed behind it, back at the Albums page."

step "Settings: an album password, and Album Password as the way to unlock"
sim launch $SETTINGS
until_ok sim ui $SETTINGS find --label lumicrate12
stap lumicrate12
until_ok sim ui $SETTINGS find --label Appearance
stap "Set Album Password"
until_ok sim ui $SETTINGS find --text "Enter new password"
sim ui $SETTINGS type pw | sed 's/^/   /'
press $SETTINGS OK
until_ok sh -c "[ \"\$(cat '$DEVICE/var/mobile/Library/lumicrate/settings.tct')\" = pw ]"
stap "Unlock With"
stap "Album Password"
until_ok sh -c "tr -d ' \t\n' <'$DEVICE$PREFS' | grep -q '<key>passOption</key><integer>1</integer>'"
shot $SETTINGS 08-unlock-with "In the settings pane: the album password set (\"pw\"), and Album Password chosen as the way to unlock."
sback

step "Photos: Trips asks for the album password; typed, it opens"
sim launch $PHOTOS | sed 's/^/   /'
tap Trips
shows $PHOTOS "Enter password to unlock album."
photos_shot 09-password-prompt "A tap on Trips now asks for the album password instead of the owner's passcode."
sim ui $PHOTOS type pw | sed 's/^/   /'
press $PHOTOS OK
until_ok sim ui $PHOTOS find --label Select
photos_shot 10-open-with-password "The password typed: Trips opens."
tap "‹ Albums"

step "Oslo's photos out of the camera roll and back: See All, Edit, Oslo's move button"
tap "See All"
tap Edit
until_ok sim ui $PHOTOS find --label "Move Oslo"
tap "Move Oslo"
press $PHOTOS "Move out of camera roll"
shows $PHOTOS "Finished moving"
until_ok holds 'Oslo  0 visible, 2 hidden'
photos_shot 11-oslo-moved-out "Oslo's move button, \"Move out of camera roll\": Oslo keeps its photos, the camera roll no longer shows them."
sleep 2
tap "Move Oslo"
press $PHOTOS "Return to camera roll"
shows $PHOTOS "Finished returning"
until_ok holds 'Oslo  2 photos'
photos_shot 12-oslo-returned "And back, \"Return to camera roll\": Oslo's photos are in the camera roll again."
sleep 2
tap Done

step "the album picker: a photo of Rome moved into Oslo, then from Oslo to the Camera Roll target"
tap Rome
tap Select
tap "Photo 1"
tap "Add To"
tap Oslo
shows $PHOTOS "Move or copy photos to the album?"
photos_shot 13-move-or-copy "Add To Oslo: lumicrate12 asks Move or Copy; Move takes the photo out of Rome and out of the camera roll."
press $PHOTOS Move
until_ok holds 'Oslo  2 visible, 1 hidden'
tap "‹ Albums"
tap Oslo
tap Select
tap "Photo 1"
tap "Add To"
tap "Camera Roll"
shows $PHOTOS "Move photos back to camera roll?"
photos_shot 14-camera-roll-target "From Oslo, the Camera Roll target: the photo goes back to the camera roll and leaves Oslo."
press $PHOTOS Move
until_ok holds 'Oslo  2 photos'
tap "‹ Albums"

step "Rome's photos moved out, then Rome deleted: its photos come back to the camera roll"
tap Edit
until_ok sim ui $PHOTOS find --label "Move Rome"
tap "Move Rome"
press $PHOTOS "Move out of camera roll"
shows $PHOTOS "Finished moving"
until_ok holds 'Rome  0 visible, 1 hidden'
sleep 2
tap "Delete Rome"
press $PHOTOS "Delete Album"
tap Done
until_ok sh -c "! '$BIN/lumisim' library --root '$DEVICE' | grep -q '^  Rome '"
photos_shot 15-rome-deleted "Rome deleted while its photo was out of the camera roll: the photo is back in the camera roll, none is lost (the library below)."

step "the gallery app: Trips (locked) is not shown; then Oslo locked too, and it goes"
gallery_shot 16-gallery-before "What the third-party gallery app is shown: Oslo, but not the locked Trips nor its photos."
sim launch $PHOTOS | sed 's/^/   /'
until_ok sim ui $PHOTOS long-press --label Oslo --seconds 1.3
until_ok locked Oslo
gallery_shot 17-gallery-after "Oslo locked with a long press: the gallery no longer sees Oslo either."

step "the Photos app trimmed in the settings: the Shared and For You tabs, Shared Albums, People & Places off"
set_prefs "<key>showTabShared</key><false/><key>showTabMemories</key><false/><key>showSharedAlbums</key><false/><key>showPeopleAnd</key><false/>"
sim terminate $PHOTOS | sed 's/^/   /'
until_ok sh -c "! '$BIN/lumisim' ps --root '$DEVICE' | grep -q ' $PHOTOS'"
sim launch $PHOTOS | sed 's/^/   /'
until_ok sim ui $PHOTOS find --label Albums
tap Albums
until_ok sh -c "! '$BIN/lumisim' ui $PHOTOS find --text 'Shared Albums' --root '$DEVICE'"
photos_shot 18-trimmed "Relaunched after the trim: two tabs left, no Shared Albums section; the camera roll still heads My Albums."

step "Respring from the pane: SpringBoard and every app end, SpringBoard comes back with the tweak"
sim launch $SETTINGS | sed 's/^/   /'
loads=$("$BIN/lumisim" log --root "$DEVICE" | grep -c "injection: loaded lumicrate12 into com.apple.springboard")
sim ui $SETTINGS tap --text Respring --class _UIButtonBarButton >/dev/null 2>&1 || true
until_ok sh -c "[ \$('$BIN/lumisim' log --root '$DEVICE' | grep -c 'injection: loaded lumicrate12 into com.apple.springboard') -gt $loads ]"
until_ok sim ui $SB find --label Photos
shot $SB 19-after-respring "The pane's Respring: every app ended and SpringBoard came back with lumicrate12; the locked albums stay locked (lockedAlbums.plist below)."
echo
echo "   screenshots: $SCREENS"
ls "$SCREENS"/*.png | wc -l | sed 's/^/   /'
sim shutdown >/dev/null
echo
echo "everything tour: photos taken into Trips, Trips locked and opened by passcode and by password, photos moved out and back, Rome deleted with no photo lost, the gallery kept from locked albums, the Photos app trimmed, and a respring"
