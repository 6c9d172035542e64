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

boot_with_package --touch-id

step "the library: Trips, Rome and Oslo, two sample photos each"
three_albums view-samples

step "the device's screen, live: open the address below in a browser"
echo "   Click to tap, hold for a long press, drag to drag, type into the prompts;"
echo "   try a long press on an album's tile in Photos, then open it with 1234 or the enrolled finger."
echo "   Ctrl-C ends the viewer and shuts the device down."
trap '"$BIN/lumisim" shutdown --root "$DEVICE" >/dev/null 2>&1 || true' EXIT
sim view "$@" || true
