#include "editor/qt/Application.h"

#include "editor/qt/ModalDialogs.h"
#include "editor/qt/ResourceScript.h"

namespace zrb::gui {

namespace {
char g_programName[] = "zrb-editor";
}  // namespace

int EditorApplication::argc_ = 1;
char* EditorApplication::argv_[] = {g_programName, nullptr};

EditorApplication::EditorApplication(const QString& version) : QApplication(argc_, argv_) {
    // The name alone, not a display name as well: Qt would append a display name to
    // every window title ("ZRB Editor - /models — ZRB Editor").
    setApplicationName(kApplicationName);
    setApplicationVersion(version);
    setDesktopFileName(QStringLiteral("zrb-editor"));
    setWindowIcon(AppIcon());
}

}  // namespace zrb::gui
