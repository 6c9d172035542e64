#!/usr/bin/env bash
# The album tiles tour: lumicrate12's padlocks and tile buttons in the Photos
# app. A device with a passcode boots, the package goes in, three albums get
# photos and Trips is locked through SpringBoard. The Albums page shows
# Trips' tile under a blurred padlock; a long press on Rome's tile locks it
# at once; in the full list's edit mode every album tile carries the move
# and lock buttons; Oslo's photos are moved out of the camera roll ("Moving
# photos", then "Finished moving") and back; Trips is unlocked with its
# lock button after the owner's passcode. Screenshots of each screen.
#
# Usage: scenarios/tiles-tour.sh BIN_DIR DEVICE_DIR PACKAGE.deb SCREENS_DIR
set -euo pipefail
BIN="$1"
DEVICE="$2"
PACKAGE="$3"
SCREENS="$4"
TOUR="tiles tour"
. "$(dirname "$0")/common.sh"
library() { sim library | grep -E '^  (Trips|Rome|Oslo)  |Camera Roll' | sed 's/^/   /'; }
locked() { tr -d ' \t\n' <"$DEVICE$LOCKED_LIST" | grep -o '<array>.*</array>' | sed 's/<string>/ /g; s/<[^>]*>//g'; }

boot_with_package

step "three albums: Trips (two photos), Rome (two), Oslo (two); Trips locked through SpringBoard"
three_albums tiles-samples
lock_albums Trips
echo "   locked:$(locked)"

step "Photos, the Albums page: Trips' tile under the blurred padlock"
sim launch $PHOTOS
until_ok sim ui $PHOTOS find --label Albums
tap Albums
until_ok sim ui $PHOTOS find --tag 200
sim ui $PHOTOS find --tag 200 | sed 's/^/   /'
photos_shot 1-albums-padlock "The Albums page: Trips, locked through SpringBoard, shows a blurred tile under the padlock."

step "a long press on Rome's tile: locked at once, with a pulse; its padlock 0.1 s later"
until_ok sim ui $PHOTOS long-press --label Rome --seconds 1.3
until_ok sh -c "tr -d ' \t\n' <'$DEVICE$LOCKED_LIST' | grep -q '<string>Rome</string>'"
echo "   locked:$(locked)"
sleep 1.5
photos_shot 2-long-press-locked-rome "A long press on Rome's tile locked it at once, with a pulse; its padlock came 0.1 s later."

step "See All, Edit: each album tile carries the move button and the lock button"
tap "See All"
tap Edit
until_ok sim ui $PHOTOS find --label "Move Oslo"
photos_shot 3-edit-mode-buttons "See All, Edit: every album tile carries a move button and a lock button."

step "Oslo's move button: \"Move Album\", then \"Move out of camera roll\""
tap "Move Oslo"
shows $PHOTOS "Return album photos to the camera roll or move them out?"
photos_shot 4-move-album-sheet "Oslo's move button: the Move Album sheet offers to move its photos out of the camera roll or back."
press $PHOTOS "Move out of camera roll"
shows $PHOTOS "Finished moving"
photos_shot 5-finished-moving "Moved out: \"Finished moving\"; Oslo's photos are hidden from the camera roll but stay in Oslo."
until_ok sh -c "'$BIN/lumisim' library --root '$DEVICE' | grep -q 'Oslo  0 visible, 2 hidden'"
library

step "and back: \"Return to camera roll\""
sleep 2
tap "Move Oslo"
press $PHOTOS "Return to camera roll"
shows $PHOTOS "Finished returning"
photos_shot 6-finished-returning "And back: \"Finished returning\"; the photos are in the camera roll again."
until_ok sh -c "'$BIN/lumisim' library --root '$DEVICE' | grep -q 'Oslo  2 photos'"
library

step "Trips' lock button: SpringBoard asks the owner; the passcode typed, Trips is unlocked"
tap "Lock Trips"
shows com.apple.springboard "Trips needs to be unlocked."
sim ui com.apple.springboard type 1234 | sed 's/^/   /'
press com.apple.springboard OK
until_ok sh -c "! tr -d ' \t\n' <'$DEVICE$LOCKED_LIST' | grep -q '<string>Trips</string>'"
echo "   locked:$(locked)"
sleep 1
photos_shot 7-trips-unlocked "Trips' lock button asked the owner; the passcode typed, Trips is unlocked (no padlock)."
echo
echo "   screenshots: $SCREENS"
ls "$SCREENS" | sed 's/^/   /'
sim shutdown >/dev/null
echo
echo "tiles tour: Trips showed its padlock, a long press locked Rome, Oslo's photos left the camera roll and came back, and Trips was unlocked after the owner's passcode"
