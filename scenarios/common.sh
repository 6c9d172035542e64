# What every tour shares; sourced after BIN and DEVICE are set, with TOUR
# naming the tour in messages.
#   sim ARGS...       lumisim on this tour's device
#   step TEXT         a heading
#   until_ok CMD...   waits (up to 10 s) until CMD succeeds, as a person waits for a screen
#   served            SpringBoard runs with lumicrate12 loaded (after an install restarted it)
#   savearray PATH ITEM...
#                     asks SpringBoard's array writer to write the ITEMs as the array at PATH
#   keep NAME NOTE    beside SCREENS/NAME.png, what the report shows of that step:
#                     NOTE (what the step did and what to notice), the library
#                     and the state files as they stand (lumisim report)
#   photos_shot NAME NOTE, tap LABEL, press APP BUTTON, shows APP TEXT
#                     the Photos app's screen saved as SCREENS/NAME.png (and kept),
#                     a tap on its element, an alert's button pressed, a text waited for
#   boot_with_package [BOOT OPTION...]
#                     a fresh device whose owner set the passcode 1234 (booted with
#                     the options too: --touch-id), with PACKAGE installed and
#                     SpringBoard serving again
#   three_albums NAME Trips, Rome and Oslo with two sample photos each (drawn in a
#                     folder NAME beside the device)
#   lock_albums TITLE...
#                     lumicrate12's locked list written through SpringBoard, as the Photos
#                     app has it written; waits until the file holds it
sim() { "$BIN/lumisim" "$@" --root "$DEVICE"; }
step() { printf '\n\033[1m-- %s\033[0m\n' "$*"; }
until_ok() {
    for _ in $(seq 1 500); do "$@" >/dev/null 2>&1 && return 0; sleep 0.02; done
    echo "$TOUR: gave up waiting for: $*" >&2
    return 1
}
served() { sim ps >/dev/null && "$BIN/lumisim" log --root "$DEVICE" | grep -q "injection: loaded lumicrate12 into com.apple.springboard"; }
savearray() {
    local path="$1" info
    shift
    info="$(mktemp "$(dirname "$DEVICE")/savearray.XXXXXX")"
    {
        printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict><key>array</key><array>'
        for item in "$@"; do printf '<string>%s</string>' "$item"; done
        printf '</array><key>path</key><string>%s</string></dict></plist>\n' "$path"
    } >"$info"
    sim send com.zel.lumicrate12 savearray --info "$info" | sed 's/^/   /'
    rm -f "$info"
}
LOCKED_LIST=/var/mobile/Library/lumicrate/lockedAlbums.plist
lock_albums() {
    savearray "$LOCKED_LIST" "$@"
    local want=""
    for item in "$@"; do want+="<string>$item</string>"; done
    until_ok sh -c "tr -d ' \t\n' <'$DEVICE$LOCKED_LIST' | grep -q '<array>$want</array>'"
}

keep() {
    local name="$1" file
    printf '%s\n' "$2" >"$SCREENS/$name.txt"
    sim library >"$SCREENS/$name.library.txt" 2>/dev/null || rm -f "$SCREENS/$name.library.txt"
    for file in lockedAlbums.plist album.tct; do
        rm -f "$SCREENS/$name.$file"
        [ -f "$DEVICE/var/mobile/Library/lumicrate/$file" ] && cp "$DEVICE/var/mobile/Library/lumicrate/$file" "$SCREENS/$name.$file"
    done
    return 0
}

PHOTOS=com.apple.mobileslideshow
photos_shot() { sim ui $PHOTOS screenshot "$SCREENS/$1.png" | sed 's/^/   /'; keep "$1" "$2"; }
tap() { until_ok sim ui $PHOTOS tap --label "$1"; echo "   tapped $1"; }
press() { until_ok sim ui "$1" alert "$2"; echo "   pressed $2 in $1"; }
shows() { until_ok sim ui "$1" find --text "$2"; }

boot_with_package() {
    "$BIN/lumisim" shutdown --root "$DEVICE" >/dev/null 2>&1 || true
    rm -rf "$DEVICE" "$SCREENS"
    mkdir -p "$SCREENS"
    step "boot a device whose owner set the passcode 1234${*:+ ($*)}, then install $(basename "$PACKAGE")"
    sim boot --model iphone8 --passcode 1234 "$@"
    until_ok sim ui com.apple.springboard find --label Photos
    sim install "$PACKAGE" | sed 's/^/   /'
    until_ok served
    until_ok sim ui com.apple.springboard find --label Photos
}

three_albums() {
    local samples
    samples="$(dirname "$DEVICE")/$1"
    rm -rf "$samples"
    sim sample-photos "$samples" --count 6 --label Photo | sed 's/^/   /'
    local files=("$samples"/*.jpg)
    sim addmedia "${files[0]}" "${files[1]}" --album Trips | sed 's/^/   /'
    sim addmedia "${files[2]}" "${files[3]}" --album Rome | sed 's/^/   /'
    sim addmedia "${files[4]}" "${files[5]}" --album Oslo | sed 's/^/   /'
}
