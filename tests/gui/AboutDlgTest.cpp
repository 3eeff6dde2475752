// The About box.

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "GuiTestSupport.h"
#include "editor/ControlIds.h"
#include "editor/qt/AboutDlg.h"
#include "editor/qt/DialogBuilder.h"

using zrb::gui::FindById;
namespace ids = zrb::ids;

class AboutDlgTest : public QObject {
    Q_OBJECT

  private slots:
    void showsNameVersionAndIcon() {
        CAboutDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Info über ZRB Editor"));
        QStringList texts;
        bool hasIcon = false;
        for (QLabel* label : dlg.findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                texts << label->text();
            }
            hasIcon = hasIcon || !label->pixmap().isNull();
        }
        QCOMPARE(texts, QStringList{QStringLiteral("ZRB Editor, Version 1.0")});
        QVERIFY(hasIcon);
        QVERIFY(!dlg.windowIcon().isNull());
        QVERIFY(!(dlg.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
    }

    void okEnterAndEscapeClose_data() {
        QTest::addColumn<int>("how");  // 0 OK button, 1 Enter, 2 Escape
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << 0 << int(QDialog::Accepted);
        QTest::newRow("Enter") << 1 << int(QDialog::Accepted);
        QTest::newRow("Escape") << 2 << int(QDialog::Rejected);
    }

    void okEnterAndEscapeClose() {
        QFETCH(int, how);
        QFETCH(int, result);
        CAboutDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto* ok = FindById<QPushButton>(&dlg, IDOK);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        if (how == 0) {
            QTest::mouseClick(ok, Qt::LeftButton);
        } else {
            QTest::keyClick(&dlg, how == 1 ? Qt::Key_Return : Qt::Key_Escape);
        }
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), result);
    }
};

QTEST_MAIN(AboutDlgTest)
#include "AboutDlgTest.moc"
