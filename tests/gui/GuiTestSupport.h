#pragma once
// Helpers shared by the dialog tests.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

#include "TestFolder.h"
#include "editor/qt/ModalDialogs.h"

namespace zrb::testing {

// Runs `act` on the next modal dialog of type T once it is up. Modal dialogs block in
// exec(), so the test reaches them from the event loop.
template <class T>
void WhenModal(std::function<void(T*)> act, int triesLeft = 200) {
    QTimer::singleShot(10, [act, triesLeft] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(dialog);
        } else if (triesLeft > 0) {
            WhenModal<T>(act, triesLeft - 1);
        }
    });
}

// Types a path into a file dialog's name box and confirms, as a user does. selectFile()
// is no substitute: it leaves the box alone while the box has the focus. Closes the
// dialog either way so that a failure cannot leave the test waiting.
inline void TypeFileNameAndAccept(QFileDialog* dialog, const QString& path) {
    auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (box == nullptr) {
        dialog->reject();
        QFAIL("the file dialog has no name box");
    }
    box->setText(path);
    static_cast<QDialog*>(dialog)->accept();  // public there, protected here
    if (dialog->isVisible()) {
        dialog->reject();
        QFAIL(qPrintable(QStringLiteral("the file dialog did not take ") + path));
    }
}

inline std::string Encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The file's bytes (see ReadBytes), as QCOMPARE shows them when they differ.
inline QByteArray FileBytes(const QString& path) {
    return QByteArray::fromStdString(ReadBytes(Encoded(path)));
}

// Replaces a box's text the way a user does: select all, then type.
inline void Retype(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(box, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(box, text);
    }
}

// Replaces a box's text in one edit, as pasting does.
inline void Paste(QLineEdit* box, const QString& text) {
    box->selectAll();
    box->insert(text);
}

inline void ResetHooks() {
    gui::MessageBoxes::Reset();
    gui::FileDialogs::Reset();
}

}  // namespace zrb::testing
