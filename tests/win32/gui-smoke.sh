#!/bin/sh
# The Windows editor under Wine, driven by keys as a user drives it: the About box from
# the system menu, open a model, edit
# its description, the calculator, Escape and the close question, Save Changes, Save As
# New, Pack All through a stand-in archiver and its outcome, the fleet overview, close; a
# file changed outside before Save Changes, F5, the question on another list entry, Save As
# New onto an existing file; then where the windows open and the calculator's selected
# width. Runs in its own X server; ASCII
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
# Names cmd must receive in the console's code page, not as UTF-8 bytes.
cp "$examples/city_bus.zrb" "$work/models/Müllwagen.zrb"
cp "$examples/small_city_car.zrb" "$work/models/café.zrb"
export WINEDEBUG=-all WINEPREFIX="${ZRB_WINEPREFIX:-$HOME/.wine-zrb}"
# A display number Xvfb finds free and reports: one picked here could be another test's
# server, whose windows would then take the keys.
Xvfb -displayfd 3 -screen 0 1280x800x24 3>"$work/display" >/dev/null 2>&1 &
i=0
until [ -s "$work/display" ]; do
    i=$((i + 1))
    [ $i -lt 40 ] || { echo "gui-smoke: Xvfb did not start" >&2; exit 1; }
    sleep 0.5
done
export DISPLAY=:$(cat "$work/display")
sleep 1

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
    # Only a shown window: a question that has gone may leave a hidden one of its name.
    window=$(xdotool search --onlyvisible --name "$1" | head -1)
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    sleep 0.5
}
focus_editor() {
    focus_window "^ZRB Editor"
}
# The questions with named buttons (task dialogs) do not take the focus by themselves
# without a window manager either.
focus_question() {
    sleep 1
    question=$(xdotool search --onlyvisible --name "^ZRB Editor\$" | head -1)
    [ -n "$question" ] || fail "no question was asked: $1"
    xdotool windowfocus --sync "$question" 2>/dev/null || true
    sleep 0.5
}
# A click at x, y in the editor window (the description box is at 482, 81; the list's
# entries start at 57, 78, 13 apart).
click_editor() {
    window=$(xdotool search --onlyvisible --name "^ZRB Editor - " | head -1)
    xdotool mousemove --window "$window" "$1" "$2" click 1
    sleep 0.5
}
checksum() {
    md5sum <"$1"
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
focus_question "Escape with unsaved edits"
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
grep -q "^.momentOfInertia		38500\.0" "$work/models/battle_tank.zrb" ||
    fail "the calculator's 38500 did not reach the file"

# Changed outside after the save: Save Changes asks; Escape (Cancel) writes nothing, Alt+O
# (Overwrite) writes what the window shows.
printf '.mass\t\t\t\t\t1234.00\r\n' >>"$work/models/battle_tank.zrb"
outside=$(checksum "$work/models/battle_tank.zrb")
focus_editor
click_editor 482 81
xdotool key ctrl+a
xdotool type --delay 20 "//Edited twice"
xdotool key ctrl+s
focus_question "Save Changes on a file changed outside"
xdotool key Escape
sleep 1
[ "$(checksum "$work/models/battle_tank.zrb")" = "$outside" ] ||
    fail "Cancel on the changed-file question wrote battle_tank.zrb"
focus_editor
xdotool key ctrl+s
focus_question "Save Changes on a file changed outside, again"
xdotool key alt+o
sleep 1.5
xdotool key Return  # "Changes saved"
wait_for 'head -1 "$work/models/battle_tank.zrb" | grep -q "//Edited twice"' \
    "Overwrite did not write battle_tank.zrb"
grep -q "1234" "$work/models/battle_tank.zrb" && fail "Overwrite kept the outside change"

# F5 lists the folder again (aaa_bus.zrb, new, comes first) and reads the current model
# again by its name: the next edit and save go to battle_tank.zrb, over what was written
# outside, without a question.
sed -i '1s|.*|//Changed outside\r|' "$work/models/battle_tank.zrb"
cp "$work/models/city_bus.zrb" "$work/models/aaa_bus.zrb"
focus_editor
xdotool key F5
sleep 1.5
click_editor 482 81
xdotool key End
xdotool type --delay 20 " and reloaded"
xdotool key ctrl+s
sleep 1.5
xdotool key Return  # "Changes saved"
wait_for 'head -1 "$work/models/battle_tank.zrb" | grep -q "//Changed outside and reloaded"' \
    "F5 did not read battle_tank.zrb again by its name"

# An edit, then a click on another entry of the list: the question, and No (Escape) keeps
# the model, its edit and its entry, so the save goes to battle_tank.zrb.
focus_editor
click_editor 482 81
xdotool key ctrl+a
xdotool type --delay 20 "//Kept"
click_editor 57 104  # city_bus.zrb, the third entry
focus_question "another list entry with unsaved edits"
xdotool key Escape
focus_editor
xdotool key ctrl+s
sleep 1.5
xdotool key Return  # "Changes saved"
wait_for 'head -1 "$work/models/battle_tank.zrb" | grep -q "//Kept"' \
    "No on the discard question did not keep battle_tank.zrb and its edit"

# Save As New onto an existing file asks first (the dialog opens in the models folder, so
# the bare name names the file there); No leaves it as it was.
before=$(checksum "$work/models/city_bus.zrb")
focus_editor
xdotool key alt+a
wait_window "Save As"
sleep 1
xdotool type --delay 20 "city_bus"
xdotool key Return
sleep 1.5
xdotool key n  # "city_bus.zrb already exists. Do you want to replace it?"
sleep 1
xdotool key Escape
sleep 1
[ "$(checksum "$work/models/city_bus.zrb")" = "$before" ] ||
    fail "Save As New replaced city_bus.zrb without asking"
rm "$work/models/aaa_bus.zrb"
focus_editor
xdotool key F5  # the list without it again
sleep 1.5

focus_editor
xdotool key alt+a
wait_window "Save As"
sleep 1
xdotool type --delay 20 "$winpath\\new_tank"
xdotool key Return
sleep 1.5
xdotool key Return  # "Changes saved"
wait_for '[ -f "$work/models/new_tank.zrb" ]' "Save As New did not write new_tank.zrb"
head -1 "$work/models/new_tank.zrb" | grep -q "//Kept" ||
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
wait_for '[ "$(wc -l 2>/dev/null <"$work/archive/sqzip-calls.txt")" = 10 ]' \
    "the archiver was not run for each of the 10 models"
for name in battle_tank.zrb Müllwagen.zrb café.zrb; do
    grep -q "^-a -f $name .\\\\vehicles.sqs (present)" "$work/archive/sqzip-calls.txt" ||
        fail "the archiver was not given $name: $(cat "$work/archive/sqzip-calls.txt")"
done
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
# dialog units down, under the caption and the menu bar.)
focus_window "^Fleet Overview"
xdotool key alt+f ctrl+a BackSpace
sleep 0.5
overview=$(xdotool search --name "^Fleet Overview" | head -1)
xdotool mousemove --window "$overview" 24 87 click 1
sleep 1
xdotool key alt+d
sleep 0.5
# Export CSV writes the rows in the order shown.
xdotool key alt+e
wait_window "Save As"
sleep 1
xdotool type --delay 20 "$winpath\\sorted.csv"
xdotool key Return
sleep 1.5
xdotool key Return  # "The table was saved as ..."
wait_for '[ -f "$work/models/sorted.csv" ]' "Export CSV wrote no sorted.csv"
sed -n 2p "$work/models/sorted.csv" | grep -q "^sports_car.zrb," ||
    fail "the sorted table does not begin with sports_car.zrb: $(head -3 "$work/models/sorted.csv")"
rm "$work/models/sorted.csv"
# With the filter, the one row left is the model Enter opens. First F2 edits its
# description in place and Enter writes it into the file, without opening the model;
# Ctrl+Z gives the file its bytes back.
focus_window "^Fleet Overview"
xdotool key alt+f
xdotool type --delay 20 "sports_car"
sleep 0.5
original=$(checksum "$work/models/sports_car.zrb")
xdotool key alt+f Tab Down F2
sleep 0.5
xdotool type --delay 20 "Edited in place"
xdotool key Return
wait_for 'head -1 "$work/models/sports_car.zrb" | grep -q "^//Edited in place"' \
    "the cell edit did not reach sports_car.zrb: $(head -1 "$work/models/sports_car.zrb")"
xdotool search --name "^Fleet Overview" >/dev/null 2>&1 || fail "Enter in the cell editor closed the overview"
xdotool key ctrl+z
wait_for '[ "$(checksum "$work/models/sports_car.zrb")" = "$original" ]' \
    "Ctrl+Z did not give sports_car.zrb its bytes back"
# Change... (Alt+H) on that row by keys alone: Multiply, the mass, 2; Enter applies
# what the preview shows, and the message is confirmed; Ctrl+Z takes it back too.
sleep 1
xdotool key alt+f Tab Down alt+h
wait_window "^Change Models"
focus_window "^Change Models"
xdotool key Down alt+i Home Down Down Down Down Down alt+v
xdotool type --delay 20 "2"
sleep 1.5
xdotool key Return
wait_for 'grep -q "^\.mass.*2700\.00" "$work/models/sports_car.zrb"' \
    "Change... did not double the mass of sports_car.zrb: $(grep "^\.mass" "$work/models/sports_car.zrb")"
focus_question "the change's outcome"
xdotool key Return
focus_window "^Fleet Overview"
xdotool key alt+f Tab ctrl+z
wait_for '[ "$(checksum "$work/models/sports_car.zrb")" = "$original" ]' \
    "Ctrl+Z did not take back the change of sports_car.zrb"
xdotool key alt+f Tab Down
xdotool key Return
wait_for '! xdotool search --name "^Fleet Overview" >/dev/null 2>&1' "Enter did not close the overview"
focus_editor
xdotool key alt+p s
# Pack All made the first ten lines; Pack Selected adds the eleventh.
wait_for '[ "$(wc -l <"$work/archive/sqzip-calls.txt")" = 11 ]' "Pack Selected did not run"
tail -1 "$work/archive/sqzip-calls.txt" | grep -q "^-a -f sports_car.zrb" ||
    fail "the overview did not load sports_car.zrb: $(tail -1 "$work/archive/sqzip-calls.txt")"
close_console_and_confirm_outcome selected

focus_editor
xdotool key Escape
wait_for '! kill -0 $editor 2>/dev/null' "Escape did not close the editor"

# Where the windows open and where the focus goes: the editor centred on the screen (no
# taskbar in this X server: the work area is the whole screen);
# then the About box, the Open dialog, the calculator, a message box and the overview
# each centred over it; the calculator's width box with its 0 selected, so that typing 3
# gives 0.7 * mass * 1.5^2.

# The middle of window $1 as "X Y".
middle() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
}
# Fails unless window $1 (named $2 in the message) has its middle within 2 pixels of "$3"
# within 10 s.
centred_at() {
    want_x=${3% *}
    want_y=${3#* }
    i=0
    while :; do
        set -- "$1" "$2" "$3" $(middle "$1")
        [ $(($4 - want_x)) -le 2 ] && [ $((want_x - $4)) -le 2 ] &&
            [ $(($5 - want_y)) -le 2 ] && [ $((want_y - $5)) -le 2 ] && return 0
        i=$((i + 1))
        [ $i -lt 20 ] || fail "$2 is not centred: its middle is $4,$5, not $3"
        sleep 0.5
    done
}
(cd "$work" && wine "ZRB Editor.exe" >/dev/null 2>&1) &
editor=$!
wait_window "ZRB Editor"
sleep 2
main=$(xdotool search --onlyvisible --name "^ZRB Editor" | head -1)
centred_at "$main" "the editor" "640 400"
focus_editor
# Each dialog over the editor's middle. (Moving the editor first, by its system menu's
# Move, hides it for good under Wine without a window manager; where the middle comes
# from is the placement arithmetic's own tests.)
owner=$(middle "$main")
focus_editor
xdotool key alt+space
sleep 1
xdotool key Up Return
wait_window "^Info .*ber ZRB Editor"
sleep 0.5
centred_at "$(xdotool search --name "^Info .*ber ZRB Editor" | head -1)" "the About box" "$owner"
xdotool key Return
sleep 1
focus_editor
xdotool key alt+f
sleep 1
xdotool key Return
wait_window "^Open"
sleep 1
centred_at "$(xdotool search --name "^Open" | head -1)" "the Open dialog" "$owner"
xdotool type --delay 20 "$winpath\\battle_tank.zrb"
xdotool key Return
sleep 2
focus_editor
# From the list, sixteen stops on is Calculate Inertia.
for i in $(seq 16); do xdotool key Tab; done
xdotool key space
wait_window "^Moment of Inertia"
sleep 1
centred_at "$(xdotool search --name "^Moment of Inertia" | head -1)" "the calculator" "$owner"
xdotool type --delay 50 "3"
xdotool key Return
sleep 1
focus_editor
xdotool key ctrl+s
wait_window "^ZRB Editor$"
sleep 0.5
centred_at "$(xdotool search --name "^ZRB Editor$" | head -1)" "the message box" "$owner"
xdotool key Return  # "Changes saved"
focus_editor
wait_for 'tr -d "\r" <"$work/models/battle_tank.zrb" | grep -q "^.momentOfInertia		86625\.0$"' \
    "typing 3 into the calculator did not give 0.7 * 55000 * 1.5^2 = 86625: $(grep momentOfInertia "$work/models/battle_tank.zrb")"
xdotool key ctrl+l
wait_window "^Fleet Overview"
centred_at "$(xdotool search --name "^Fleet Overview" | head -1)" "the fleet overview" "$owner"
focus_window "^Fleet Overview"
xdotool key Escape
wait_for '! xdotool search --name "^Fleet Overview" >/dev/null 2>&1' "Escape did not close the overview"
focus_editor
xdotool key Escape
wait_for '! kill -0 $editor 2>/dev/null' "Escape did not close the editor"
echo "gui-smoke: passed"
