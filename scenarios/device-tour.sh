#!/usr/bin/env bash
# The device tour: boots a device, injects the diagnostic library LumiProbe
# into SpringBoard, Camera and Photos, launches the apps, posts a Darwin
# notification that reaches all three, and shows the named message each app
# then sends to SpringBoard; fills the photo library from outside and shows
# that the running Photos app sees it at its next fetch; shows Camera's
# screen through automation (out/screens); then shuts the device down.
#
# Usage: scenarios/device-tour.sh BIN_DIR DEVICE_DIR
set -euo pipefail
BIN="$1"
DEVICE="$2"
TOUR="device tour"
. "$(dirname "$0")/common.sh"

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
# Each app hears it and sends the message "seen" to SpringBoard's centre. An
# app subscribes as it starts, and a post made before that rightly misses
# it, so the post is made again until each of the three has heard one.
heard_by() { sim log | grep -o 'probe: [a-z.]* heard com.lumi.probe.hello' | sort -u | wc -l; }
seen_by() { sim log | grep -o 'probe: seen [a-z.]*' | sort -u | wc -l; }
posts=0
for _ in $(seq 1 100); do
    sim notify post com.lumi.probe.hello >/dev/null
    posts=$((posts + 1))
    for _ in $(seq 1 20); do
        [ "$(seen_by)" -ge 3 ] && break 2
        sleep 0.01
    done
done
echo "posted com.lumi.probe.hello ($posts time(s))"
step "what the system log says (probe lines)"
sim log | grep -E 'probe: (constructor|.* heard|seen)' | sed 's/^/   /'

step "send Photos to the background and bring it back"
sim background com.apple.mobileslideshow
sim foreground com.apple.mobileslideshow

step "make four sample photos (real JPEG files) and add them to the library"
SAMPLES="$(dirname "$DEVICE")/samples"
"$BIN/lumisim" sample-photos "$SAMPLES" --count 4 --label Trip --date 2026-12-01T10:00:00Z | sed 's/^/   /'
sim addmedia "$SAMPLES/sample-01.jpg" "$SAMPLES/sample-02.jpg" --album Trips --date 2026-12-01T10:00:00Z
sim addmedia "$SAMPLES/sample-03.jpg" --album Trips --hidden --date 2026-12-02T10:00:00Z
sim mkalbum Rome --folder Travel
sim addmedia "$SAMPLES/sample-04.jpg" --album Rome --date 2026-12-03T10:00:00Z

step "the running Photos app fetches again (com.lumi.probe.library) and sees the new photos"
sim notify post com.lumi.probe.library
for _ in $(seq 1 200); do
    sim log | grep -q 'com.apple.mobileslideshow library camera-roll 3' && break
    sleep 0.01
done
sim log | grep 'probe: com.apple.mobileslideshow library' | sed 's/^/   /'

step "the library as lumisim reads it: the hidden photo stays in Trips, out of the camera roll"
sim library | grep -v ' 0 photos ' | sed 's/^/   /'

step "what Camera shows, as automation sees it and as a screenshot"
sim ui com.apple.camera tree | sed 's/^/   /'
SCREENS="$(dirname "$DEVICE")/screens"
mkdir -p "$SCREENS"
sim ui com.apple.camera screenshot "$SCREENS/camera-launch.png" | sed 's/^/   /'

step "shut down: every process ends"
sim shutdown
heard=$(heard_by)
seen=$(seen_by)
library=$(sim log | grep -c 'com.apple.mobileslideshow library camera-roll 3 hidden 1 albums Trips=3,Rome=1' || true)
if [ "$heard" -eq 3 ] && [ "$seen" -eq 3 ] && [ "$library" -eq 1 ]; then
    echo "device tour: the notification reached 3 processes, SpringBoard got 3 messages,"
    echo "and Photos saw the 4 photos added from outside (1 hidden, out of the camera roll)."
else
    echo "device tour: expected 3 deliveries, 3 messages and 1 library report; saw $heard, $seen and $library." >&2
    exit 1
fi
