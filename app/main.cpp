// ZRB Editor: runs the editor window as the program's only window and ends when it
// closes. Command-line arguments are ignored; nothing is written on the way out.

#include <QApplication>
#include <QTimer>

#include "editor/EditorDlg.h"
#include "editor/ModalDialogs.h"
#include "editor/ResourceScript.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The name alone, not a display name as well: Qt would append a display name to
    // every window title ("ZRB Editor - /models — ZRB Editor").
    QApplication::setApplicationName(zrb::gui::kApplicationName);
    QApplication::setApplicationVersion(QStringLiteral(ZRB_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("zrb-editor"));
    QApplication::setWindowIcon(zrb::gui::AppIcon());

    CEditorDlg editor;
    // For the start-up benchmark only: end as soon as the window has been shown.
    if (qEnvironmentVariableIsSet("ZRB_QUIT_WHEN_SHOWN")) {
        QTimer::singleShot(0, &editor, [&editor] { editor.done(0); });
    }
    editor.exec();
    return 0;
}
