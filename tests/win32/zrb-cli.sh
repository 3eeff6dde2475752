#!/bin/sh
# zrb.exe as cmd starts it from a batch file, where the arguments reach the program as
# typed: a wildcard, a folder in quotes that ends in a backslash, a pattern that matches
# nothing. Output redirected to a file is UTF-8 throughout, a 1252 description included.
# Usage: zrb-cli.sh zrb.exe EXAMPLES_FOLDER
set -eu
program=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all WINEPREFIX="${ZRB_WINEPREFIX:-$HOME/.wine-zrb}"
mkdir "$work/my models"
cp "$program" "$work/zrb.exe"
cp "$examples/small_city_car.zrb" "$work/my models/b.zrb"
# "//Café" in Windows-1252.
{ printf '//Caf\351\r\n'; tail -n +2 "$examples/small_city_car.zrb"; } >"$work/my models/a.zrb"
cp "$work/my models/b.zrb" "$work/my models/a.zrbak"
models=$(winepath -w "$work/my models" 2>/dev/null)
{
    printf '@zrb.exe show "%s\\*.zrb" >show.txt 2>&1\r\n' "$models"
    printf '@zrb.exe table "%s\\" >table.txt 2>&1\r\n' "$models"
    printf '@zrb.exe show "%s\\*.none" >none.txt 2>&1\r\n' "$models"
} >"$work/run.bat"
(cd "$work" && wine cmd /c run.bat >/dev/null 2>&1) || true

fail() {
    echo "zrb-cli: $*" >&2
    for f in show table none; do
        echo "--- $f.txt" >&2
        cat "$work/$f.txt" >&2 || true
    done
    exit 1
}
cafe=$(printf 'Caf\303\251')
headers=$(grep '^==> ' "$work/show.txt" | tr -d '\r') || fail "show printed no blocks"
[ "$headers" = "$(printf '==> %s\\a.zrb <==\n==> %s\\b.zrb <==' "$models" "$models")" ] ||
    fail "the wildcard gave other files: $headers"
grep -q "^description = //$cafe" "$work/show.txt" || fail "show's description is not UTF-8"
grep -q "//$cafe" "$work/table.txt" || fail "the folder in quotes was not read as a folder"
grep -q 'b\.zrb' "$work/table.txt" || fail "the folder in quotes was not read as a folder"
grep -qF "no file matches \"$models\\*.none\"" "$work/none.txt" ||
    fail "a pattern that matches nothing is not named"
[ -n "${ZRB_CLI_SHOW:-}" ] && cat "$work/show.txt" "$work/table.txt" "$work/none.txt"
echo "zrb-cli: passed"
