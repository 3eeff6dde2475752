#!/bin/sh
# Qt acts on options such as -platform when it is handed the command line; the editor
# must behave the same whatever its arguments. With a bogus platform Qt would abort at
# once, so the program still running after a while is the pass.
program=$1
QT_QPA_PLATFORM=offscreen "$program" -platform bogus -style bogus -reverse >/dev/null 2>&1 &
pid=$!
sleep 2
if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    wait "$pid" 2>/dev/null
    exit 0
fi
wait "$pid"
echo "the editor ended at once with status $? when given Qt's options" >&2
exit 1
