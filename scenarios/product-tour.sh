#!/usr/bin/env bash
# The product tour: lumicrate12 on the device. Builds nothing; installs the
# package given into a freshly booted device as a person would (which
# restarts SpringBoard), then shows through `lumisim runtime` which hooks
# and added methods each process got, and SpringBoard's message server at
# work: an array saved into the state folder, and a write elsewhere refused.
#
# Usage: scenarios/product-tour.sh BIN_DIR DEVICE_DIR PACKAGE.deb
set -euo pipefail
BIN="$1"
DEVICE="$2"
PACKAGE="$3"
TOUR="product tour"
. "$(dirname "$0")/common.sh"
served() { sim ps >/dev/null && "$BIN/lumisim" log --root "$DEVICE" | grep -q "injection: loaded lumicrate12 into com.apple.springboard"; }

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

step "the apps load it too (its filter names UIKit); the camera bar is still stock"
sim launch com.apple.camera
until_ok sim ui com.apple.camera find --class CAMBottomBar
sim runtime com.apple.camera methods CAMBottomBar
sim terminate com.apple.camera
"$BIN/lumisim" log --root "$DEVICE" | grep "injection: loaded lumicrate12" | sed 's/^/   /'

step "SpringBoard's message server: a state file written, a path outside refused"
INFO="$(dirname "$DEVICE")/savearray"
mkdir -p "$INFO"
plist() { # PATH ITEM...: the user info of a savearray
    local path="$1"; shift
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict><key>array</key><array>'
    for item in "$@"; do printf '<string>%s</string>' "$item"; done
    printf '</array><key>path</key><string>%s</string></dict></plist>\n' "$path"
}
plist /var/mobile/Library/lumicrate/lockedAlbums.plist Trips Q3 >"$INFO/locked.plist"
plist /var/mobile/Library/Preferences/x.plist x >"$INFO/elsewhere.plist"
sim send com.zel.lumicrate12 savearray --info "$INFO/locked.plist" | sed 's/^/   /'
sim send com.zel.lumicrate12 savearray --info "$INFO/elsewhere.plist" | sed 's/^/   /'
until_ok test -f "$DEVICE/var/mobile/Library/lumicrate/lockedAlbums.plist"
until_ok sh -c "'$BIN/lumisim' log --root '$DEVICE' | grep -q 'savearray refused'"
grep -o '<string>[^<]*</string>' "$DEVICE/var/mobile/Library/lumicrate/lockedAlbums.plist" | sed 's/^/   /'
"$BIN/lumisim" log --root "$DEVICE" | grep "savearray refused" | sed 's/^/   /'
[ ! -e "$DEVICE/var/mobile/Library/Preferences/x.plist" ]

printf '\nproduct tour: package installed, SpringBoard hooked, state file written through SpringBoard\n'
