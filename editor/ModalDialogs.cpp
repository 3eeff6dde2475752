#include "editor/ModalDialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <deque>

namespace zrb::gui {

namespace {

std::deque<QMessageBox::StandardButton>& QueuedAnswers() {
    static std::deque<QMessageBox::StandardButton> answers;
    return answers;
}

QStringList& AnsweredTextList() {
    static QStringList texts;
    return texts;
}

std::deque<QString>& QueuedFileNames() {
    static std::deque<QString> names;
    return names;
}

std::string Encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

QMessageBox::StandardButton MessageBoxes::Show(QWidget* parent, QMessageBox::Icon icon,
                                               const QString& text,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton) {
    if (!QueuedAnswers().empty()) {
        const QMessageBox::StandardButton answer = QueuedAnswers().front();
        QueuedAnswers().pop_front();
        AnsweredTextList() << text;
        return answer;
    }
    QMessageBox box(icon, kApplicationName, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBoxes::SetNextAnswer(QMessageBox::StandardButton answer) {
    QueuedAnswers().push_back(answer);
}

QStringList MessageBoxes::AnsweredTexts() {
    return AnsweredTextList();
}

void MessageBoxes::Reset() {
    QueuedAnswers().clear();
    AnsweredTextList().clear();
}

FileDialogAnswer FileDialogs::Show(QWidget* parent, const FileDialogRequest& request,
                                   QString& folder) {
    QString chosen;
    if (!QueuedFileNames().empty()) {
        chosen = QueuedFileNames().front();
        QueuedFileNames().pop_front();
    } else {
        // Qt's own dialog, not the desktop's: it behaves the same everywhere and tests
        // can drive it.
        QFileDialog dialog(parent);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(request.type == FileDialogType::Save ? QFileDialog::AcceptSave
                                                                  : QFileDialog::AcceptOpen);
        dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile
                                                 : QFileDialog::AnyFile);
        // Saving replaces an existing file without asking.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setNameFilters(QtNameFilters(request.filter));
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
        if (!folder.isEmpty()) {
            dialog.setDirectory(folder);
        }
        // A wildcard name ("*.zrb") is what the name filter does already; only a real
        // name is offered in the name box.
        const QString initial = QFile::decodeName(request.initialName.c_str());
        if (!initial.isEmpty() && !initial.contains(u'*') && !initial.contains(u'?')) {
            dialog.selectFile(initial);
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return {};
        }
        chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen.isEmpty()) {
        return {};
    }
    const QFileInfo info(chosen);
    folder = info.absolutePath();
    return {true, Encoded(chosen), Encoded(info.fileName())};
}

void FileDialogs::SetNextFileName(const QString& path) {
    QueuedFileNames().push_back(path);
}

void FileDialogs::Reset() {
    QueuedFileNames().clear();
}

QStringList QtNameFilters(std::string_view filter) {
    QStringList filters;
    const QStringList parts =
        QString::fromLatin1(filter.data(), qsizetype(filter.size())).split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& label = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
        if (label.isEmpty() && patterns.isEmpty()) {
            break;  // the closing "||"
        }
        filters << (label.contains(u'(' + patterns + u')')
                        ? label
                        : label + QStringLiteral(" (") + patterns + u')');
    }
    return filters;
}

}  // namespace zrb::gui
