#include "editor/qt/ModalDialogs.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QStyle>

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

std::deque<int>& QueuedChoices() {
    static std::deque<int> choices;
    return choices;
}

std::deque<QString>& QueuedFileNames() {
    static std::deque<QString> names;
    return names;
}

std::string Encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Icons and types by kind of entry only. Qt's own provider looks into every file for its
// type, which on the window's thread stalls the dialog for seconds in a folder of many
// thousand models.
class PlainIconProvider : public QAbstractFileIconProvider {
  public:
    PlainIconProvider() {
        QStyle* style = QApplication::style();
        folder_ = style->standardIcon(QStyle::SP_DirIcon);
        file_ = style->standardIcon(QStyle::SP_FileIcon);
        drive_ = style->standardIcon(QStyle::SP_DriveHDIcon);
        computer_ = style->standardIcon(QStyle::SP_ComputerIcon);
    }

    QIcon icon(IconType type) const override {
        switch (type) {
            case Computer:
            case Network:
                return computer_;
            case Drive:
                return drive_;
            case Folder:
            case Desktop:
            case Trashcan:
                return folder_;
            case File:
                break;
        }
        return file_;
    }

    QIcon icon(const QFileInfo& info) const override {
        if (info.isRoot()) {
            return drive_;
        }
        return info.isDir() ? folder_ : file_;
    }

    QString type(const QFileInfo& info) const override {
        if (info.isRoot()) {
            return QStringLiteral("Drive");
        }
        if (info.isDir()) {
            return QStringLiteral("Folder");
        }
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? QStringLiteral("File") : suffix + QStringLiteral(" File");
    }

  private:
    QIcon folder_, file_, drive_, computer_;
};

// Qt's widget dialog where the desktop has none of its own, or where asked for: the tests
// drive it, and a user whose desktop dialog misbehaves can fall back to it.
bool WidgetDialogWanted() {
    return qEnvironmentVariableIntValue("ZRB_WIDGET_FILE_DIALOG") != 0;
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

int MessageBoxes::Choose(QWidget* parent, const QString& text, const QStringList& answers,
                         int defaultAnswer) {
    if (!QueuedChoices().empty()) {
        const int answer = QueuedChoices().front();
        QueuedChoices().pop_front();
        AnsweredTextList() << text;
        return answer;
    }
    QMessageBox box(QMessageBox::Warning, kApplicationName, text, QMessageBox::NoButton, parent);
    QList<QPushButton*> buttons;
    for (const QString& answer : answers) {
        // The role only places the button; what it does is its index.
        buttons << box.addButton(answer, QMessageBox::AcceptRole);
    }
    if (defaultAnswer >= 0 && defaultAnswer < buttons.size()) {
        box.setDefaultButton(buttons[defaultAnswer]);
        box.setEscapeButton(buttons[defaultAnswer]);
    }
    box.exec();
    const int chosen = int(buttons.indexOf(static_cast<QPushButton*>(box.clickedButton())));
    return chosen >= 0 ? chosen : defaultAnswer;
}

void MessageBoxes::SetNextChoice(int index) {
    QueuedChoices().push_back(index);
}

void MessageBoxes::SetNextAnswer(QMessageBox::StandardButton answer) {
    QueuedAnswers().push_back(answer);
}

QStringList MessageBoxes::AnsweredTexts() {
    return AnsweredTextList();
}

void MessageBoxes::Reset() {
    QueuedAnswers().clear();
    QueuedChoices().clear();
    AnsweredTextList().clear();
}

FileDialogAnswer FileDialogs::Show(QWidget* parent, const FileDialogRequest& request,
                                   QString& folder) {
    QString chosen;
    if (!QueuedFileNames().empty()) {
        chosen = QueuedFileNames().front();
        QueuedFileNames().pop_front();
    } else {
        // The desktop's own dialog where it has one (the portal on GNOME and KDE); Qt falls
        // back to its widget dialog elsewhere.
        PlainIconProvider icons;  // outlives the dialog that uses it
        QFileDialog dialog(parent);
        dialog.setIconProvider(&icons);
        dialog.setOption(QFileDialog::DontUseNativeDialog, WidgetDialogWanted());
        dialog.setAcceptMode(request.type == FileDialogType::Save ? QFileDialog::AcceptSave
                                                                  : QFileDialog::AcceptOpen);
        dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile
                                                 : QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        dialog.setNameFilters(QtNameFilters(request.filter));
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
        const QString initialFolder = QFile::decodeName(request.initialFolder.c_str());
        if (!initialFolder.isEmpty()) {
            dialog.setDirectory(initialFolder);
        } else if (!folder.isEmpty()) {
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
        QString::fromUtf8(filter.data(), qsizetype(filter.size())).split(u'|');
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
