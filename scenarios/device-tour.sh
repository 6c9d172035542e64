#!/usr/bin/env bash
# The device tour: boots a device, injects the diagnostic library LumiProbe
# into SpringBoard, Camera and Photos, launches the apps, posts a Darwin
# notification that reaches all three, and shows the named message each app
# then sends to SpringBoard; then shuts the device down.
#
# Usage: scenarios/device-tour.sh BIN_DIR DEVICE_DIR
set -euo pipefail
BIN="$1"
DEVICE="$2"
sim() { "$BIN/lumisim" "$@" --root "$DEVICE"; }
step() { printf '\n\033[1m-- %s\033[0m\n' "$*"; }

"$BIN/lumisim" shutdown --root "$DEVICE" >/dev/null 2>&1 || true
rm -rf "$DEVICE"

step "inject LumiProbe into SpringBoard, Camera and Photos (filter by bundle id)"
sim inject "$BIN/../lib/LumiProbe.so" --bundles com.apple.springboard,com.apple.camera,com.apple.mobileslideshow

step "boot the device: deviced starts SpringBoard"
sim boot --model iphone8
step "launch Camera, Photos and Settings (Settings is not in the filter)"
sim launch com.apple.camera
sim launch com.apple.mobileslideshow
sim launch com.apple.Preferences
sim ps

step "post the Darwin notification com.lumi.probe.hello"
sim notify post com.lumi.probe.hello
# Each app hears it and sends the message "seen" to SpringBoard's centre.
for _ in $(seq 1 200); do
    [ "$(sim log | grep -c 'probe: seen')" -ge 3 ] && break
    sleep 0.01
done
step "what the system log says (probe lines)"
sim log | grep -E 'probe: (constructor|.* heard|seen)' | sed 's/^/   /'

step "send Photos to the background and bring it back"
sim background com.apple.mobileslideshow
sim foreground com.apple.mobileslideshow

step "shut down: every process ends"
sim shutdown
heard=$(sim log | grep -c 'heard com.lumi.probe.hello' || true)
seen=$(sim log | grep -c 'probe: seen' || true)
if [ "$heard" -eq 3 ] && [ "$seen" -eq 3 ]; then
    echo "device tour: the notification reached 3 processes and SpringBoard got 3 messages."
else
    echo "device tour: expected 3 deliveries and 3 messages, saw $heard and $seen." >&2
    exit 1
fi
