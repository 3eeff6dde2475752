// ZRB Editor: runs the editor window as the program's only window and ends when it
// closes. Command-line arguments are ignored; nothing is written on the way out.

#include "editor/qt/Application.h"
#include "editor/qt/EditorDlg.h"

int main() {
    zrb::gui::EditorApplication app(QStringLiteral(ZRB_VERSION));
    CEditorDlg editor;
    editor.exec();
    return 0;
}
