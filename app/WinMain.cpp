// ZRB Editor for Windows: runs the editor window as the program's only window and ends
// when it closes. The command line is ignored; nothing is written on the way out.

// windows.h comes through the dialog header, which takes back the name MessageBox.
#include "editor/win32/EditorDlg.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
    zrb::win32::CEditorDlg editor;
    editor.Run();
    return 0;
}
