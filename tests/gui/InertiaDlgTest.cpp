// The moment-of-inertia calculator, driven through its widgets.

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "GuiTestSupport.h"
#include "editor/ControlIds.h"
#include "editor/qt/DialogBuilder.h"
#include "editor/qt/InertiaDlg.h"

using zrb::gui::MessageBoxes;
using namespace zrb::testing;

using zrb::gui::FindById;
namespace ids = zrb::ids;

class InertiaDlgTest : public QObject {
    Q_OBJECT

  private:
    QLineEdit* WidthBox(CInertiaDlg& dlg) { return FindById<QLineEdit>(&dlg, ids::kWidth); }
    QLineEdit* InertiaBox(CInertiaDlg& dlg) {
        return FindById<QLineEdit>(&dlg, ids::kInertiaResult);
    }
    void ShowActive(CInertiaDlg& dlg) {
        dlg.show();
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
    }

  private slots:
    void init() { ResetHooks(); }

    void opensWithZeroInBothBoxes() {
        CInertiaDlg dlg(1500);
        ShowActive(dlg);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Moment of Inertia"));
        QCOMPARE(WidthBox(dlg)->text(), QStringLiteral("0"));
        QCOMPARE(InertiaBox(dlg)->text(), QStringLiteral("0"));
        QVERIFY(InertiaBox(dlg)->isReadOnly());
        QCOMPARE(QApplication::focusWidget(), WidthBox(dlg));
        QCOMPARE(WidthBox(dlg)->selectedText(), QStringLiteral("0"));
        QPushButton* ok = FindById<QPushButton>(&dlg, ids::kInertiaOk);
        QCOMPARE(ok->text(), QStringLiteral("&OK"));
        QVERIFY(!ok->isDefault());
    }

    // The estimates are the controller's (see ControllerTest); here: a pasted width shows
    // its estimate and Enter returns it.
    void widthGivesTheRoundedEstimate() {
        const QString width = QStringLiteral(" 2 ");
        const QString shown = QStringLiteral("700");
        const double result = 700;
        CInertiaDlg dlg(1000);
        ShowActive(dlg);
        Paste(WidthBox(dlg), width);
        QCOMPARE(width, WidthBox(dlg)->text());
        QCOMPARE(InertiaBox(dlg)->text(), shown);
        QTest::keyClick(WidthBox(dlg), Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.inertia(), result);
        QVERIFY(MessageBoxes::AnsweredTexts().isEmpty());
    }

    void eachKeystrokeRecalculates() {
        CInertiaDlg dlg(1200);
        ShowActive(dlg);
        QLineEdit* width = WidthBox(dlg);
        width->selectAll();
        const std::pair<char, const char*> steps[] = {{'1', "210"}, {'.', "210"}, {'8', "680"}};
        for (auto [key, shown] : steps) {
            QTest::keyClick(width, key);
            QCOMPARE(InertiaBox(dlg)->text(), QString::fromLatin1(shown));
        }
        QCOMPARE(width->text(), QStringLiteral("1.8"));
        QVERIFY(MessageBoxes::AnsweredTexts().isEmpty());
    }

    void okWithoutAWidthGivesZero() {
        CInertiaDlg dlg(1000);
        ShowActive(dlg);
        FindById<QPushButton>(&dlg, ids::kInertiaOk)->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.inertia(), 0.0);
    }

    void badWidthIsReportedAndTheLastGoodOneCounts() {
        CInertiaDlg dlg(1000);
        ShowActive(dlg);
        QLineEdit* width = WidthBox(dlg);
        Retype(width, QStringLiteral("2"));
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        QTest::keyClick(width, Qt::Key_Backspace);  // empty: not a number
        QCOMPARE(MessageBoxes::AnsweredTexts(),
                 QStringList{QStringLiteral(
                     "How wide is this object, approximately: please enter a number.")});
        QCOMPARE(dlg.width(), 2.0);
        QCOMPARE(InertiaBox(dlg)->text(), QStringLiteral("700"));

        // A lone minus sign is reported and selected, so the next digit replaces it.
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        QTest::keyClick(width, '-');
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), 2);
        QCOMPARE(QApplication::focusWidget(), width);
        QCOMPARE(width->selectedText(), QStringLiteral("-"));
        QTest::keyClick(width, '4');
        QCOMPARE(width->text(), QStringLiteral("4"));
        QCOMPARE(InertiaBox(dlg)->text(), QStringLiteral("2800"));

        // OK with a bad width: reported, the dialog stays.
        width->setText(QStringLiteral("1,8"));
        MessageBoxes::Reset();
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        FindById<QPushButton>(&dlg, ids::kInertiaOk)->click();
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), 1);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }

    void enterOnTheOkButtonAccepts() {
        CInertiaDlg dlg(800);
        ShowActive(dlg);
        Retype(WidthBox(dlg), QStringLiteral("1.6"));
        QPushButton* ok = FindById<QPushButton>(&dlg, ids::kInertiaOk);
        ok->setFocus();
        QTest::keyClick(ok, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.inertia(), 358.0);
    }
};

QTEST_MAIN(InertiaDlgTest)
#include "InertiaDlgTest.moc"
