#!/bin/sh
# Each layer includes only the layers below it, and only platform/ includes the
# system's headers (the Win32 front-end excepted: windows.h is its toolkit):
#   platform < model < pack < editor < editor/qt, editor/win32 < app;  tools over model.
root=${1:-.}
status=0

check() {  # folder, the paths it may include (a regular expression), what it is
    files=$(find "$root/$1" -maxdepth 1 -name '*.cpp' -o -maxdepth 1 -name '*.h' 2>/dev/null)
    [ -n "$files" ] || return 0
    bad=$(grep -Hn '^#include "' $files | grep -Ev "#include \"($2)\"")
    if [ -n "$bad" ]; then
        echo "$3 includes a layer above it:"
        echo "$bad"
        status=1
    fi
}

check platform 'platform/[^/]+' platform
check platform/posix 'platform/([^/]+|posix/[^/]+)' platform
check platform/win32 'platform/([^/]+|win32/[^/]+)' platform
check model '(model|platform)/[^/]+' model
check pack '(pack|model|platform)/[^/]+' pack
check editor '(editor|pack|model|platform)/[^/]+|res/resource\.h' 'the window logic'
check editor/qt '(editor/qt|editor|pack|model|platform)/[^/]+|res/resource\.h' 'the Qt front-end'
check editor/win32 '(editor/win32|editor|pack|model|platform|platform/win32)/[^/]+|res/resource\.h' \
    'the Win32 front-end'
check tools/rcgen 'tools/rcgen/[^/]+|editor/qt/ResourceScript\.h' 'the template generator'
check tools/zrb '(tools/zrb|model|platform)/[^/]+' 'the zrb tool'
check tools/zrb-batch '(tools/zrb-batch|platform)/[^/]+' 'zrb-batch'
check tools/sqzip '(tools/sqzip|platform)/[^/]+' 'sqzip'

system=$(cd "$root" && grep -rEn '^#include <(unistd|fcntl|dirent|spawn|signal|windows|shellapi|commdlg)\.h>|^#include <sys/' \
    model pack editor tools app 2>/dev/null | grep -Ev '^(editor/win32/|app/WinMain\.cpp:)')
if [ -n "$system" ]; then
    echo "a system header outside platform/:"
    echo "$system"
    status=1
fi
# Resource ids by their names from res/resource.h, never as numbers: a template, control,
# command or string id written as a number where a front-end builds, finds or loads it.
literals=$(cd "$root" && grep -rnE '"id[0-9]|(Template|kIcon|kAboutText) *= *-?[0-9]|(BuildDialog|DoModal|RunAsMainWindow|MAKEINTRESOURCEW?|LoadStringW|Item|ItemText|SetItemText|FocusItem|LabelOf|GetDlgItem|SendDlgItemMessageW|CheckDlgButton|IsDlgButtonChecked|byId\.value|strings\.value|menus\.value|dialogs\.value|Control<\w+>|FindById<\w+>|button|action)\(([^(),]*, *)?-?[0-9]' \
    editor/qt editor/win32 app 2>/dev/null)
if [ -n "$literals" ]; then
    echo "a resource id written as a number in a front-end (name it from res/resource.h):"
    echo "$literals"
    status=1
fi
exit $status
