#pragma once
// The editor's message boxes and file dialogs, with seams for tests: a queued answer
// stands in for the next dialog, which is then not shown at all.

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <string_view>

#include "model/Workspace.h"

class QWidget;

namespace zrb::gui {

// The application's name, the caption of every message box.
inline const QString kApplicationName = QStringLiteral("ZRB Editor");

class MessageBoxes {
  public:
    // A message box captioned with the application's name.
    static QMessageBox::StandardButton Show(
        QWidget* parent, QMessageBox::Icon icon, const QString& text,
        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // A question captioned with the application's name, one button per entry of
    // `answers`; the index of the one chosen. `defaultAnswer` is the default button and
    // what Escape gives.
    static int Choose(QWidget* parent, const QString& text, const QStringList& answers,
                      int defaultAnswer);

    // Test seam: the next box is answered with `answer` without being shown.
    static void SetNextAnswer(QMessageBox::StandardButton answer);
    // Test seam: the next question of Choose is answered with answer `index` unseen.
    static void SetNextChoice(int index);
    // Texts of the boxes that queued answers stood in for, oldest first.
    static QStringList AnsweredTexts();
    static void Reset();
};

class FileDialogs {
  public:
    // Shows the file dialog that `request` describes, opened in `folder` (when not
    // empty). A confirmed dialog sets `folder` to the chosen file's folder. Paths are in
    // the file system's encoding.
    static FileDialogAnswer Show(QWidget* parent, const FileDialogRequest& request,
                                 QString& folder);

    // Test seam: the next dialog answers `path` (an empty path cancels) unseen.
    static void SetNextFileName(const QString& path);
    static void Reset();
};

// A filter in the "Label|pattern|Label|pattern||" form as Qt name filters. The labels
// here name their patterns already ("Motion Models (*.zrb)"), so a label that holds its
// pattern is taken as it is; otherwise the pattern is added in brackets.
QStringList QtNameFilters(std::string_view filter);

}  // namespace zrb::gui
