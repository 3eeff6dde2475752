// The editor as it starts, ending as soon as its window has been shown: what the
// start-up benchmark times.

#include <QTimer>

#include "editor/qt/Application.h"
#include "editor/qt/EditorDlg.h"

int main() {
    zrb::gui::EditorApplication app(QStringLiteral("bench"));
    CEditorDlg editor;
    QTimer::singleShot(0, &editor, [&editor] { editor.done(0); });
    editor.exec();
    return 0;
}
