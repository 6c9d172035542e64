# What every tour shares; sourced after BIN and DEVICE are set, with TOUR
# naming the tour in messages.
#   sim ARGS...       lumisim on this tour's device
#   step TEXT         a heading
#   until_ok CMD...   waits (up to 10 s) until CMD succeeds, as a person waits for a screen
sim() { "$BIN/lumisim" "$@" --root "$DEVICE"; }
step() { printf '\n\033[1m-- %s\033[0m\n' "$*"; }
until_ok() {
    for _ in $(seq 1 500); do "$@" >/dev/null 2>&1 && return 0; sleep 0.02; done
    echo "$TOUR: gave up waiting for: $*" >&2
    return 1
}
