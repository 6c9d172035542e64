#!/usr/bin/env bash
# The live window: a device whose owner set the passcode 1234 and enrolled a
# finger, with lumicrate12 installed and a library of sample photos (Trips,
# Rome and Oslo), then lumisim view on it until Ctrl-C, after which the
# device shuts down. Run by `./lumi view [--port N]`.
#   scenarios/view-device.sh BIN DEVICE PACKAGE [VIEW OPTIONS...]
set -euo pipefail
BIN="$1" DEVICE="$2" PACKAGE="$3"
shift 3
TOUR="view"
SCREENS="$(dirname "$DEVICE")/view-screens" # boot_with_package makes it; nothing is kept there
. "$(dirname "$0")/common.sh"

"$BIN/lumisim" shutdown --root "$DEVICE" >/dev/null 2>&1 || true
rm -rf "$DEVICE"
step "boot a device whose owner set the passcode 1234 and enrolled a finger, then install $(basename "$PACKAGE")"
sim boot --model iphone8 --passcode 1234 --touch-id
until_ok sim ui com.apple.springboard find --label Photos
sim install "$PACKAGE" | sed 's/^/   /'
until_ok served
until_ok sim ui com.apple.springboard find --label Photos

step "the library: Trips, Rome and Oslo, two sample photos each"
SAMPLES="$(dirname "$DEVICE")/view-samples"
rm -rf "$SAMPLES"
sim sample-photos "$SAMPLES" --count 6 --label Photo | sed 's/^/   /'
FILES=("$SAMPLES"/*.jpg)
sim addmedia "${FILES[0]}" "${FILES[1]}" --album Trips | sed 's/^/   /'
sim addmedia "${FILES[2]}" "${FILES[3]}" --album Rome | sed 's/^/   /'
sim addmedia "${FILES[4]}" "${FILES[5]}" --album Oslo | sed 's/^/   /'

step "the device's screen, live: open the address below in a browser"
echo "   Click to tap, hold for a long press, drag to drag, type into the prompts;"
echo "   try a long press on an album's tile in Photos, then open it with 1234 or the enrolled finger."
echo "   Ctrl-C ends the viewer and shuts the device down."
trap '"$BIN/lumisim" shutdown --root "$DEVICE" >/dev/null 2>&1 || true' EXIT
sim view "$@" || true
