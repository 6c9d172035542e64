# What every tour shares; sourced after BIN and DEVICE are set, with TOUR
# naming the tour in messages.
#   sim ARGS...       lumisim on this tour's device
#   step TEXT         a heading
#   until_ok CMD...   waits (up to 10 s) until CMD succeeds, as a person waits for a screen
#   served            SpringBoard runs with lumicrate12 loaded (after an install restarted it)
#   savearray PATH ITEM...
#                     asks SpringBoard's array writer to write the ITEMs as the array at PATH
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
