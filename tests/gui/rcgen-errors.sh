#!/bin/sh
# The template generator refuses a broken resource script with "file:line: error: what"
# and writes nothing, so that a mistake in the script stops the build where it is.
# Usage: rcgen-errors.sh RCGEN
set -u
rcgen=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
printf '#pragma once\n#define IDC_A 10\n#define IDC_B (11)  // B\n#ifndef IDC_STATIC\n#define IDC_STATIC -1\n#endif\n' \
    >"$work/ids.h"

# Each case: its name, the expected message (the script is $work/s.rc), the script.
check() {
    printf '%s' "$3" >"$work/s.rc"
    rm -f "$work/out.cpp"
    if "$rcgen" "$work/s.rc" "$work/out.cpp" 2>"$work/err"; then
        echo "$1: accepted"
        status=1
    elif [ "$(cat "$work/err")" != "$2" ]; then
        echo "$1: said '$(cat "$work/err")', expected '$2'"
        status=1
    elif [ -e "$work/out.cpp" ]; then
        echo "$1: wrote tables all the same"
        status=1
    fi
}
head='#include <windows.h>
#include "ids.h"
1 DIALOG 0, 0, 100, 50
BEGIN
'

check "unknown id" "$work/s.rc:6: error: unknown id IDC_C" "$head"'    EDITTEXT IDC_A, 1, 1, 10, 8
    EDITTEXT IDC_C, 1, 1, 10, 8
END
'
check "unknown control" "$work/s.rc:5: error: unknown control SCROLLBAR" "$head"'    SCROLLBAR IDC_A, 1, 1, 10, 8
END
'
check "unknown control class" "$work/s.rc:5: error: unknown control class Button" "$head"'    CONTROL "", IDC_A, "Button", WS_TABSTOP, 1, 1, 10, 8
END
'
check "id twice" "$work/s.rc:6: error: id 11 used twice in this template" "$head"'    PUSHBUTTON "B", IDC_B, 1, 1, 10, 8
    LTEXT "b", IDC_B, 1, 1, 10, 8
END
'
check "missing comma" "$work/s.rc:5: error: LTEXT needs a text" "$head"'    LTEXT "a" IDC_STATIC, 1, 1, 10, 8
END
'
check "open string" "$work/s.rc:5: error: unterminated string" "$head"'    LTEXT "a, IDC_STATIC, 1, 1, 10, 8
END
'
check "no END" "$work/s.rc: error: END expected before the end of the script" "$head"
check "unknown menu command" "$work/s.rc:6: error: unknown id IDM_NONE" '#include "ids.h"
2 MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "E&xit", IDM_NONE
    END
END
'
check "header not found" "$work/none.h: error: No such file or directory" '#include "none.h"
'
printf '#define IDC_A 10\n#define IDC_D 1O\n' >"$work/bad.h"
check "header with a bad number" "$work/bad.h:2: error: IDC_D is no number: 1O" '#include "bad.h"
'
printf '#define IDC_A 12\n' >"$work/again.h"
check "id redefined" "$work/again.h:1: error: IDC_A redefined as 12, was 10" '#include "ids.h"
#include "again.h"
'

# And a good script gives tables.
printf '%s' "$head"'    EDITTEXT IDC_A, 1, 1, 10, 8
    DEFPUSHBUTTON "OK", IDOK, 1, 20, 10, 8
END
' >"$work/s.rc"
if ! "$rcgen" "$work/s.rc" "$work/out.cpp" || ! grep -q 'ControlKind::Edit, "", 10,' "$work/out.cpp"; then
    echo "a good script gave no tables"
    status=1
fi
exit $status
