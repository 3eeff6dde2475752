#!/bin/sh
# The Windows editor under Wine, driven by keys as a user drives it: the About box from
# the system menu, open a model, edit
# its description, the calculator, Escape and the close question, Save Changes, Save As
# New, Pack All through a stand-in archiver and its outcome, the fleet overview, close. Runs in its own X server; ASCII
# typing only (xdotool).
# Usage: gui-smoke.sh "ZRB Editor.exe" EXAMPLES_FOLDER STAND_IN_SQZIP.exe
set -eu
program=$1
examples=$2
archiver=$3
work=$(mktemp -d)
cleanup() {
    status=$?
    kill $(jobs -p) 2>/dev/null || true
    # The Wine server stays: the other tests of the run use it.
    rm -rf "$work"
    exit $status
}
trap cleanup EXIT
cp "$program" "$work/"
cp "$archiver" "$work/sqzip.exe"
mkdir "$work/models" "$work/archive"
cp "$examples"/*.zrb "$work/models/"
export WINEDEBUG=-all WINEPREFIX="${ZRB_WINEPREFIX:-$HOME/.wine-zrb}"
display=:$((90 + $$ % 9))
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 &
export DISPLAY=$display
sleep 2

fail() {
    echo "gui-smoke: $*" >&2
    if command -v import >/dev/null; then
        import -window root "${TMPDIR:-/tmp}/gui-smoke-failed.png" 2>/dev/null &&
            echo "gui-smoke: the screen is in ${TMPDIR:-/tmp}/gui-smoke-failed.png" >&2
    fi
    exit 1
}
# Waits until a window whose name matches $1 exists, for up to 60 s.
wait_window() {
    i=0
    until xdotool search --name "$1" >/dev/null 2>&1; do
        i=$((i + 1))
        [ $i -lt 120 ] || fail "no window named '$1'"
        sleep 0.5
    done
}
# Waits until `test $1` holds, for up to 30 s.
wait_for() {
    i=0
    until eval "$1"; do
        i=$((i + 1))
        [ $i -lt 60 ] || fail "$2"
        sleep 0.5
    done
}

# Without a window manager nobody gives the focus back to the editor once a message box
# has gone: the test does. (The prefix must have the X11 driver's Managed and
# UseTakeFocus set to N for this to reach the window.)
focus_window() {
    sleep 0.5
    window=$(xdotool search --name "$1" | head -1)
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    sleep 0.5
}
focus_editor() {
    focus_window "^ZRB Editor"
}

# Closes the pack's console (cmd /k keeps it open) by typing exit into it; the editor then
# removes its script and the archiver it copied, and shows what it found in a message box
# captioned with the program's name alone, which is confirmed. ZRB_SMOKE_SHOTS=FOLDER keeps
# a screenshot of each such message there.
close_console_and_confirm_outcome() {
    wait_window "cmd.exe"
    focus_window "cmd.exe"
    xdotool type --delay 30 "exit"
    xdotool key Return
    wait_for '! xdotool search --name "cmd.exe" >/dev/null 2>&1' "the pack's console did not close"
    wait_for '[ ! -e "$work/archive/Install_ZRB.bat" ] && [ ! -e "$work/archive/sqzip.exe" ]' \
        "the script or the copied archiver was left in the archive folder: $(ls "$work/archive")"
    wait_window "^ZRB Editor\$"
    focus_window "^ZRB Editor\$"
    if [ -n "${ZRB_SMOKE_SHOTS:-}" ]; then
        import -window root "$ZRB_SMOKE_SHOTS/outcome-$1.png"
    fi
    xdotool key Return
    wait_for '! xdotool search --name "^ZRB Editor\$" >/dev/null 2>&1' "no outcome message was shown"
    sleep 1
}

winpath=$(winepath -w "$work/models" 2>/dev/null)
archivepath=$(winepath -w "$work/archive" 2>/dev/null)
(cd "$work" && wine "ZRB Editor.exe" >/dev/null 2>&1) &
editor=$!
wait_window "ZRB Editor"
sleep 2
focus_editor

# The system menu's last entry, after a separator, opens the About box.
xdotool key alt+space
sleep 1
xdotool key Up Return
wait_window "^Info .*ber ZRB Editor"
sleep 0.5
xdotool key Return
sleep 1
focus_editor

xdotool key alt+f
sleep 1
xdotool key Return
wait_window "^Open"
sleep 1
xdotool type --delay 20 "$winpath\\city_bus.zrb"
xdotool key Return
sleep 2
focus_editor

# The first model of the list is loaded; its description is the box after the list.
xdotool key Tab ctrl+a
xdotool type --delay 20 "//Edited under Wine"
# Fifteen stops on, past the boxes and buttons of the template, is Calculate Inertia:
# a width of 2 m gives 0.7 * mass for the battle tank's 55000 kg.
for i in $(seq 15); do xdotool key Tab; done
xdotool key space
wait_window "^Moment of Inertia"
sleep 1
xdotool type --delay 50 "2"
xdotool key Return
sleep 1
# Escape with unsaved edits asks first; No, the default, keeps the window.
focus_editor
xdotool key Escape
wait_window "ZRB Editor"
sleep 1
xdotool key Return
sleep 1
kill -0 $editor 2>/dev/null || fail "Escape closed the editor without asking"
focus_editor
xdotool key ctrl+s  # the accelerator, as on Linux
sleep 1.5
xdotool key Return  # "Changes saved"
focus_editor
wait_for 'head -1 "$work/models/battle_tank.zrb" | grep -q "//Edited under Wine"' \
    "Save Changes did not write battle_tank.zrb"
grep -q "^.momentOfInertia		38500.0" "$work/models/battle_tank.zrb" ||
    fail "the calculator's 38500 did not reach the file"

xdotool key alt+a
wait_window "Save As"
sleep 1
xdotool type --delay 20 "$winpath\\new_tank"
xdotool key Return
sleep 1.5
xdotool key Return  # "Changes saved"
wait_for '[ -f "$work/models/new_tank.zrb" ]' "Save As New did not write new_tank.zrb"
head -1 "$work/models/new_tank.zrb" | grep -q "//Edited under Wine" ||
    fail "new_tank.zrb does not hold the edited model"

# Pack, Define Archive Location, then Pack All: the script runs in the archive folder,
# the archiver adds each copy, and the copies go again.
focus_editor
xdotool key alt+p d
wait_window "Save As"
sleep 1
xdotool type --delay 20 "$archivepath\\vehicles.sqs"
xdotool key Return
sleep 1
focus_editor
xdotool key alt+p a
wait_for '[ "$(wc -l <"$work/archive/sqzip-calls.txt" 2>/dev/null)" = 8 ]' \
    "the archiver was not run for each of the 8 models"
grep -q "^-a -f battle_tank.zrb .\\\\vehicles.sqs (present)" "$work/archive/sqzip-calls.txt" ||
    fail "the archiver was not given battle_tank.zrb: $(cat "$work/archive/sqzip-calls.txt")"
grep -q "(missing)" "$work/archive/sqzip-calls.txt" && fail "a model copy was missing"
wait_for '! ls "$work/archive"/*.zrb >/dev/null 2>&1' "the script did not delete the copies"
printf '@ECHO OFF\r\nATTRIB -R vehicles.sqs\r\n' | cmp -s -n 35 - "$work/archive/Install_ZRB.bat" ||
    fail "Install_ZRB.bat does not begin as it should"
# The console stays open for the archiver's words; once it is closed the editor looks at
# the archive folder, says what it found and removes its own helper files.
close_console_and_confirm_outcome all

# The fleet overview: the filter, Export CSV of the rows it shows, a sort by a click on a
# header and by the keyboard, Enter loads the first row's model, which Pack Selected then
# packs.
focus_editor
xdotool key ctrl+l
wait_window "^Fleet Overview"
focus_window "^Fleet Overview"
xdotool key alt+f
xdotool type --delay 20 "sports"
sleep 0.5
xdotool key alt+e
wait_window "Save As"
sleep 1
xdotool type --delay 20 "$winpath\\fleet.csv"
xdotool key Return
sleep 1.5
xdotool key Return  # "The table was saved as ..."
wait_for '[ -f "$work/models/fleet.csv" ]' "Export CSV wrote no fleet.csv"
[ "$(wc -l <"$work/models/fleet.csv")" = 2 ] && grep -q "^sports_car.zrb," "$work/models/fleet.csv" ||
    fail "fleet.csv is not the filtered table: $(cat "$work/models/fleet.csv")"
# The filter emptied, a click on the name column's header sorts by name, Descending
# (Alt+D) turns it round, so the first row is sports_car.zrb. (The header starts 24
# dialog units down, under the caption.)
focus_window "^Fleet Overview"
xdotool key alt+f ctrl+a BackSpace
sleep 0.5
overview=$(xdotool search --name "^Fleet Overview" | head -1)
xdotool mousemove --window "$overview" 24 68 click 1
sleep 1
xdotool key alt+d
sleep 0.5
xdotool key alt+f Tab Down Return
wait_for '! xdotool search --name "^Fleet Overview" >/dev/null 2>&1' "Enter did not close the overview"
focus_editor
xdotool key alt+p s
# Pack All made the first eight lines; Pack Selected adds the ninth.
wait_for '[ "$(wc -l <"$work/archive/sqzip-calls.txt")" = 9 ]' "Pack Selected did not run"
tail -1 "$work/archive/sqzip-calls.txt" | grep -q "^-a -f sports_car.zrb" ||
    fail "the overview did not load sports_car.zrb: $(tail -1 "$work/archive/sqzip-calls.txt")"
close_console_and_confirm_outcome selected

focus_editor
xdotool key Escape
wait_for '! kill -0 $editor 2>/dev/null' "Escape did not close the editor"
echo "gui-smoke: passed"
