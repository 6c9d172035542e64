#!/usr/bin/env bash
# The settings pane tour: lumicrate12's page in the Settings app, as a person
# meets it. The package goes in and Settings lists lumicrate12 under
# "Tweaks"; its four pages are shown; the Shared tab is switched off, Rome
# is switched off on the albums page, an album password is set and chosen
# as the way to unlock. Then the Photos app opens without its Shared tab,
# and locked Trips opens with the password. Last, the pane's Respring
# restarts the user interface and SpringBoard comes back with the tweak.
# Screenshots of each screen.
#
# Usage: scenarios/prefs-tour.sh BIN_DIR DEVICE_DIR PACKAGE.deb SCREENS_DIR
set -euo pipefail
BIN="$1"
DEVICE="$2"
PACKAGE="$3"
SCREENS="$4"
TOUR="prefs tour"
. "$(dirname "$0")/common.sh"
SETTINGS=com.apple.Preferences
PREFS=/var/mobile/Library/Preferences/com.zel.lumicrate12prefs.plist
settings_shot() { sim ui $SETTINGS screenshot "$SCREENS/$1.png" | sed 's/^/   /'; keep "$1" "$2"; }
stap() { until_ok sim ui $SETTINGS tap --label "$1"; echo "   tapped $1"; }
sback() { sim ui $SETTINGS tap --x 40 --y 22 >/dev/null; sleep 0.5; }
setting() { tr -d ' \t\n' <"$DEVICE$PREFS" | grep -o "<key>$1</key><[^>]*>[^<]*" | sed 's/<key>[^<]*<\/key>//'; }

boot_with_package

step "three albums with a photo each: Trips, Rome, Oslo"
SAMPLES="$(dirname "$DEVICE")/prefs-samples"
rm -rf "$SAMPLES"
sim sample-photos "$SAMPLES" --count 3 --label Photo | sed 's/^/   /'
FILES=("$SAMPLES"/*.jpg)
sim addmedia "${FILES[0]}" --album Trips | sed 's/^/   /'
sim addmedia "${FILES[1]}" --album Rome | sed 's/^/   /'
sim addmedia "${FILES[2]}" --album Oslo | sed 's/^/   /'

step "Settings lists lumicrate12 under Tweaks (the preference loader's entry the package installed)"
sim launch $SETTINGS
until_ok sim ui $SETTINGS find --label lumicrate12
settings_shot 1-settings "Settings after the install: lumicrate12 has its row under Tweaks, from the entry the package installed."

step "lumicrate12's page: the banner, the Respring button, the pages, the way to unlock, support"
stap lumicrate12
until_ok sim ui $SETTINGS find --label Appearance
sleep 0.5
settings_shot 2-pane "The pane: the banner, the Respring button, the pages, the way to unlock and support."
# Further down, the support buttons open their links (the device logs each).
sim ui $SETTINGS drag 187 600 187 150 >/dev/null
sleep 0.5
stap "Email Support"
stap "Developer Profile"
until_ok sh -c "'$BIN/lumisim' log --root '$DEVICE' | grep -q 'openURL https://lumicrate.example/developer'"
"$BIN/lumisim" log --root "$DEVICE" | grep "openURL" | sed 's/^/   /'

step "Appearance: the Shared tab switched off (written, and announced to running apps)"
stap Appearance
until_ok sim ui $SETTINGS find --label "Shared switch"
stap "Shared switch"
until_ok sh -c "tr -d ' \t\n' <'$DEVICE$PREFS' | grep -q '<key>showTabShared</key><false/>'"
echo "   showTabShared: $(setting showTabShared)"
settings_shot 3-appearance "Appearance: the Shared tab switched off, written and announced to the running apps."
sback

step "Behaviour: the Camera, the Photos app, other apps"
stap Behaviour
sleep 0.5
settings_shot 4-behaviour "Behaviour: what the Camera, the Photos app and other apps do."
sback

step "Albums: one switch per album; Rome switched off"
stap Albums
until_ok sim ui $SETTINGS find --label "Rome switch"
stap "Rome switch"
until_ok sh -c "tr -d ' \t\n' <'$DEVICE$PREFS' | grep -q '<key>albumNameRome</key><false/>'"
settings_shot 5-albums "Albums: one switch per album title; switching Rome off hides it from other apps."
sback

step "the album password (\"pw\"), then \"Album Password\" as the way to unlock"
stap "Set Album Password"
until_ok sim ui $SETTINGS find --text "Enter new password"
sim ui $SETTINGS type pw | sed 's/^/   /'
settings_shot 6-password-prompt "Set Album Password: \"Enter new password\", and \"pw\" typed; OK writes it to settings.tct."
press $SETTINGS OK
until_ok sh -c "[ \"\$(cat '$DEVICE/var/mobile/Library/lumicrate/settings.tct')\" = pw ]"
stap "Unlock With"
stap "Album Password"
until_ok sh -c "tr -d ' \t\n' <'$DEVICE$PREFS' | grep -q '<key>passOption</key><integer>1</integer>'"
settings_shot 7-unlock-with "Unlock With: Touch ID or Code, Album Password, No Check; Album Password chosen."
sback

step "Photos: no Shared tab; locked Trips asks for the album password and opens with it"
lock_albums Trips
sim launch $PHOTOS
tap Albums
tap "See All"
photos_shot 8-photos-without-shared-tab "Photos relaunched: the Shared tab switched off in the pane is gone."
tap Trips
shows $PHOTOS "Enter password to unlock album."
sim ui $PHOTOS type pw | sed 's/^/   /'
photos_shot 9-photos-password "A tap on the locked Trips asks for the album password set in the pane."
press $PHOTOS OK
until_ok sim ui $PHOTOS find --label Select
photos_shot 10-trips-open "The password typed: Trips opens."

step "Respring from the pane: SpringBoard and every app end, SpringBoard comes back with the tweak"
sim foreground $SETTINGS >/dev/null
loads=$("$BIN/lumisim" log --root "$DEVICE" | grep -c "injection: loaded lumicrate12 into com.apple.springboard")
sim ui $SETTINGS tap --text Respring --class _UIButtonBarButton >/dev/null 2>&1 || true
until_ok sh -c "[ \$('$BIN/lumisim' log --root '$DEVICE' | grep -c 'injection: loaded lumicrate12 into com.apple.springboard') -gt $loads ]"
until_ok sim ui com.apple.springboard find --label Photos
sim ps | sed 's/^/   /'
sim ui com.apple.springboard screenshot "$SCREENS/11-after-respring.png" | sed 's/^/   /'
keep 11-after-respring "The pane's Respring: SpringBoard and every app ended, and SpringBoard came back with lumicrate12 loaded (the home screen, as after a restart)."
echo
echo "   screenshots: $SCREENS"
ls "$SCREENS" | sed 's/^/   /'
sim shutdown >/dev/null
echo
echo "prefs tour: the pane switched off the Shared tab and Rome, set the album password that opened Trips, and its Respring brought SpringBoard back with the tweak"
