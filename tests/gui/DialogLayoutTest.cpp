// The dialogs laid out from their templates under different fonts: every text fits its
// control and the arrangement of the template holds.

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

#include <memory>

#include "GuiTestSupport.h"
#include "editor/qt/AboutDlg.h"
#include "editor/qt/DialogBuilder.h"
#include "editor/qt/EditorDlg.h"
#include "editor/qt/InertiaDlg.h"

using namespace zrb::gui;

namespace {

QString Shown(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
}

std::unique_ptr<QDialog> MakeDialog(int id) {
    switch (id) {
        case 100:
            return std::make_unique<CAboutDlg>();
        case 130:
            return std::make_unique<CInertiaDlg>();
        default:
            return std::make_unique<CEditorDlg>();
    }
}

}  // namespace

class DialogLayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QApplication::setFont(QFont()); }

    void layout_data() {
        QTest::addColumn<int>("dialog");
        QTest::addColumn<QFont>("font");
        const QFont fonts[] = {QFont(QStringLiteral("DejaVu Sans"), 9),
                               QFont(QStringLiteral("DejaVu Serif"), 15),
                               QFont(QStringLiteral("DejaVu Sans Mono"), 11),
                               QFont(QStringLiteral("DejaVu Sans Condensed"), 7)};
        for (int dialog : {102, 130, 100}) {
            for (const QFont& font : fonts) {
                QTest::addRow("%d %s %d", dialog, qPrintable(font.family()), font.pointSize())
                    << dialog << font;
            }
        }
    }

    // Each text shows whole in its control.
    void layout() {
        QFETCH(int, dialog);
        QFETCH(QFont, font);
        QApplication::setFont(font);
        const std::unique_ptr<QDialog> dlg = MakeDialog(dialog);
        QVERIFY(dlg->minimumSize() == dlg->maximumSize());
        int checked = 0;
        for (QLabel* label : dlg->findChildren<QLabel*>()) {
            if (label->text().isEmpty()) {
                continue;
            }
            ++checked;
            if (label->wordWrap()) {
                QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                         qPrintable(label->text()));
            } else {
                QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
                QVERIFY2(label->sizeHint().height() <= label->height(), qPrintable(label->text()));
            }
        }
        for (QPushButton* button : dlg->findChildren<QPushButton*>()) {
            ++checked;
            const int text = button->fontMetrics().horizontalAdvance(Shown(button->text()));
            QVERIFY2(text + 4 <= button->width(), qPrintable(button->text()));
            QVERIFY2(button->fontMetrics().height() + 2 <= button->height(),
                     qPrintable(button->text()));
        }
        for (QGroupBox* group : dlg->findChildren<QGroupBox*>()) {
            ++checked;
            QVERIFY2(group->minimumSizeHint().width() <= group->width(),
                     qPrintable(group->title()));
        }
        for (QLineEdit* edit : dlg->findChildren<QLineEdit*>()) {
            ++checked;
            QVERIFY2(edit->minimumSizeHint().height() <= edit->height(),
                     qPrintable(edit->objectName()));
        }
        for (QWidget* w : dlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QVERIFY2(dlg->rect().contains(w->geometry()), qPrintable(w->objectName()));
        }
        // Every control of the template but lists and icons was looked at.
        const DialogTemplate tmpl = EditorResources().dialogs.value(dialog);
        const auto expected = std::count_if(
            tmpl.controls.begin(), tmpl.controls.end(),
            [](auto& c) { return c.kind != ControlKind::ListBox && c.kind != ControlKind::Icon; });
        QCOMPARE(checked, int(expected));
    }

    // What lies left of or above another control in the template does so on screen, and
    // controls that touch in dialog units touch in pixels.
    void arrangementHolds() {
        QFETCH(int, dialog);
        QFETCH(QFont, font);
        QApplication::setFont(font);
        QDialog dlg;
        const DialogTemplate tmpl = EditorResources().dialogs.value(dialog);
        const BuiltControls built = BuildControls(tmpl, &dlg, QPoint(0, 0), QIcon());
        QCOMPARE(built.placed.size(), tmpl.controls.size());
        const DialogUnits base = BaseUnits(dlg.font());
        QVERIFY(built.units.x >= base.x && built.units.y >= base.y);
        for (const auto& [a, aDu] : built.placed) {
            const QRect aPx = a->geometry();
            for (const auto& [b, bDu] : built.placed) {
                const QRect bPx = b->geometry();
                if (aDu.x() + aDu.width() <= bDu.x()) {
                    QVERIFY(aPx.x() + aPx.width() <= bPx.x());
                }
                if (aDu.y() + aDu.height() <= bDu.y()) {
                    QVERIFY(aPx.y() + aPx.height() <= bPx.y());
                }
                if (aDu.x() + aDu.width() == bDu.x()) {
                    QCOMPARE(aPx.x() + aPx.width(), bPx.x());
                }
            }
        }
        QCOMPARE(dlg.size(), built.clientSize);
    }

    void arrangementHolds_data() { layout_data(); }

    void unitsFollowTheFont() {
        // A bigger font gives a bigger dialog, by about the ratio of the fonts.
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        const QSize small = CInertiaDlg().size();
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 16));
        const QSize big = CInertiaDlg().size();
        QVERIFY(big.width() > small.width() * 1.8 && big.width() < small.width() * 2.2);
        QVERIFY(big.height() > small.height() * 1.8 && big.height() < small.height() * 2.2);
    }
};

QTEST_MAIN(DialogLayoutTest)
#include "DialogLayoutTest.moc"
