#pragma once
// The application object of the editor, shared by the program and the start-up
// benchmark so that both start the same way.

#include <QApplication>
#include <QString>

namespace zrb::gui {

// A QApplication that never sees the command line: Qt would act on options such as
// -platform, -style or -reverse, and the program must behave the same whatever its
// arguments.
class EditorApplication : public QApplication {
  public:
    explicit EditorApplication(const QString& version);

  private:
    static int argc_;
    static char* argv_[];
};

}  // namespace zrb::gui
