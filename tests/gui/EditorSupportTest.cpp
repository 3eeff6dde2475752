// The editor's helpers that need no window: the code page, the file dialog filters, the
// resource script and the inertia estimate.

#include <QtTest>

#include <utility>
#include <vector>

#include "editor/ControlIds.h"
#include "editor/EditorController.h"
#include "editor/qt/Cp1252.h"
#include "editor/qt/ModalDialogs.h"
#include "editor/qt/ResourceScript.h"
#include "model/Numbers.h"
#include "tools/rcgen/RcParser.h"

using namespace zrb::gui;
namespace ids = zrb::ids;

Q_DECLARE_METATYPE(zrb::gui::ControlKind)

class EditorSupportTest : public QObject {
    Q_OBJECT

  private slots:
    void cp1252RoundTripsEveryByte() {
        std::string all;
        for (int b = 0; b < 256; ++b) {
            all += char(b);
        }
        const QString text = FromCp1252(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(ToCp1252(text), all);
        // Every byte is its own character: no two bytes share one.
        QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256);
        std::u32string left;
        QCOMPARE(KeepCp1252(text, left), text);
        QVERIFY(left.empty());
    }

    void cp1252MapsTheWindowsCharacters_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("unicode");
        QTest::newRow("euro") << 0x80 << 0x20AC;
        QTest::newRow("undefined 0x81") << 0x81 << 0x81;
        QTest::newRow("undefined 0x8D") << 0x8D << 0x8D;
        QTest::newRow("undefined 0x8F") << 0x8F << 0x8F;
        QTest::newRow("undefined 0x90") << 0x90 << 0x90;
        QTest::newRow("undefined 0x9D") << 0x9D << 0x9D;
        QTest::newRow("left double quote") << 0x93 << 0x201C;
        QTest::newRow("Y diaeresis") << 0x9F << 0x0178;
        QTest::newRow("no-break space") << 0xA0 << 0xA0;
        QTest::newRow("u umlaut") << 0xFC << 0xFC;
        QTest::newRow("ASCII") << 0x41 << 0x41;
    }

    void cp1252MapsTheWindowsCharacters() {
        QFETCH(int, byte);
        QFETCH(int, unicode);
        QCOMPARE(FromCp1252(std::string(1, char(byte))), QString(QChar(char16_t(unicode))));
        QCOMPARE(ToCp1252(QString(QChar(char16_t(unicode)))), std::string(1, char(byte)));
    }

    void cp1252LeavesOutWhatItCannotHold() {
        // A character outside the BMP is one character left out, not two halves.
        std::u32string left;
        QCOMPARE(KeepCp1252(QStringLiteral("\u03a9a\u0100\U0001F600\u0080\u20ac"), left),
                 QStringLiteral("a\u20ac"));
        QCOMPARE(left, std::u32string(U"\u03a9\u0100\U0001F600\u0080"));
        // U+0080 is not a 1252 character: byte 0x80 is the euro sign.
        QCOMPARE(ToCp1252(QStringLiteral("\u03a9x\u0080")), std::string("?x?"));
    }

    void fileDialogFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("qt");
        QTest::newRow("models") << "Motion Models (*.zrb)|*.zrb||"
                                << QStringList{QStringLiteral("Motion Models (*.zrb)")};
        QTest::newRow("archives") << "SQS Archive (*.sqs)|*.sqs||"
                                  << QStringList{QStringLiteral("SQS Archive (*.sqs)")};
        QTest::newRow("label without pattern, two patterns")
            << "Texts|*.txt;*.md|All Files (*.*)|*.*||"
            << QStringList{QStringLiteral("Texts (*.txt *.md)"), QStringLiteral("All Files (*.*)")};
        QTest::newRow("empty") << "" << QStringList();
        QTest::newRow("label beyond ASCII, as every controller text in UTF-8")
            << QStringLiteral("Mod\u00e8les|*.zrb||")
            << QStringList{QStringLiteral("Mod\u00e8les (*.zrb)")};
    }

    void fileDialogFilters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, qt);
        QCOMPARE(QtNameFilters(filter.toStdString()), qt);
    }

    void resourceScriptReadsDialogsMenusAndStrings() {
        const QString text = QStringLiteral(
            "// comment\n"
            "7 DIALOG 0, 0, 100, 50\n"
            "CAPTION \"Say \"\"hi\"\"\"\n"
            "MENU 9\n"
            "FONT 8, \"MS Sans Serif\"\n"
            "BEGIN\n"
            "  LTEXT \"A, b\", -1, 1, 2, 30, 8\n"
            "  EDITTEXT 20, 5, 6, 7, 8, ES_RIGHT | NOT WS_TABSTOP\n"
            "  DEFPUSHBUTTON \"&OK\", 1, 50, 30, 40, 14 // the default\n"
            "END\n"
            "9 MENU\nBEGIN\n POPUP \"&File\"\n BEGIN\n  MENUITEM \"E&xit\", 32776\n"
            "  MENUITEM SEPARATOR\n END\nEND\n"
            "STRINGTABLE\nBEGIN\n 101 \"Inf&o über\"\nEND\n");
        ResourceScript script;
        QString error;
        QVERIFY2(ParseResourceScript(text, script, error), qPrintable(error));
        const DialogTemplate d = script.dialogs.value(7);
        QCOMPARE(d.caption, QStringLiteral("Say \"hi\""));
        QCOMPARE(d.rect, QRect(0, 0, 100, 50));
        QCOMPARE(d.menuId, 9);
        QCOMPARE(d.controls.size(), std::size_t(3));
        QCOMPARE(d.controls[0].text, QStringLiteral("A, b"));
        QCOMPARE(d.controls[0].id, -1);
        QVERIFY(d.controls[1].kind == ControlKind::Edit);
        QCOMPARE(d.controls[1].rect, QRect(5, 6, 7, 8));
        QCOMPARE(d.controls[1].style, (QStringList{"ES_RIGHT", "!WS_TABSTOP"}));
        QVERIFY(d.controls[2].kind == ControlKind::DefPushButton);
        QCOMPARE(d.Control(1)->text, QStringLiteral("&OK"));
        const MenuTemplate m = script.menus.value(9);
        QCOMPARE(m.popups.size(), std::size_t(1));
        QCOMPARE(m.popups[0].items.size(), std::size_t(2));
        QCOMPARE(m.popups[0].items[0].id, 32776);
        QVERIFY(m.popups[0].items[1].text.isEmpty());
        QCOMPARE(script.strings.value(101), QStringLiteral("Inf&o über"));
    }

    // Every control the window logic and the front-ends act on is in the compiled
    // templates, as the kind of control they take it for (a button the code clicks may
    // be the default one).
    void controllersFindTheirControls_data() {
        QTest::addColumn<int>("dialog");
        QTest::addColumn<int>("id");
        QTest::addColumn<ControlKind>("kind");
        const auto row = [](const char* name, int dialog, int id, ControlKind kind) {
            QTest::newRow(name) << dialog << id << kind;
        };
        for (const zrb::Binding& b : zrb::EditorBindings()) {
            QTest::addRow("editor box %d", b.id) << IDD_EDITOR << b.id << ControlKind::Edit;
        }
        row("model list", IDD_EDITOR, ids::kModelList, ControlKind::ListBox);
        row("file warning", IDD_EDITOR, ids::kFileWarning, ControlKind::Edit);
        row("Save Changes", IDD_EDITOR, ids::kSaveChanges, ControlKind::PushButton);
        row("Save As New", IDD_EDITOR, ids::kSaveAsNew, ControlKind::PushButton);
        row("Calculate Inertia", IDD_EDITOR, ids::kCalculateInertia, ControlKind::PushButton);
        row("calculator result", IDD_INERTIA, ids::kInertiaResult, ControlKind::Edit);
        row("calculator width", IDD_INERTIA, ids::kWidth, ControlKind::Edit);
        row("calculator OK", IDD_INERTIA, ids::kInertiaOk, ControlKind::PushButton);
        row("About OK", IDD_ABOUTBOX, IDOK, ControlKind::PushButton);
        row("fleet filter", IDD_FLEET, ids::kFleetFilter, ControlKind::Edit);
        row("fleet status", IDD_FLEET, ids::kFleetStatus, ControlKind::LeftText);
        row("fleet table", IDD_FLEET, ids::kFleetTable, ControlKind::Table);
        row("fleet Open", IDD_FLEET, ids::kFleetOpen, ControlKind::PushButton);
        row("fleet Compare", IDD_FLEET, ids::kFleetCompare, ControlKind::PushButton);
        row("fleet Export", IDD_FLEET, ids::kFleetExport, ControlKind::PushButton);
        row("fleet sort by", IDD_FLEET, ids::kFleetSortBy, ControlKind::ComboBox);
        row("fleet descending", IDD_FLEET, ids::kFleetDescending, ControlKind::CheckBox);
        row("fleet Close", IDD_FLEET, IDCANCEL, ControlKind::PushButton);
        row("compare table", IDD_COMPARE, ids::kCompareTable, ControlKind::Table);
        row("compare Close", IDD_COMPARE, IDOK, ControlKind::PushButton);
        row("fleet history", IDD_FLEET, ids::kFleetHistory, ControlKind::ListBox);
        row("fleet Change", IDD_FLEET, ids::kFleetChange, ControlKind::PushButton);
        row("fleet compare folder", IDD_FLEET, ids::kFleetCompareFolder, ControlKind::PushButton);
        row("fleet only changed", IDD_FLEET, ids::kFleetOnlyChanged, ControlKind::CheckBox);
        row("fleet reference", IDD_FLEET, ids::kFleetReferenceStatus, ControlKind::LeftText);
        row("change operation", IDD_CHANGE, ids::kChangeOperation, ControlKind::ComboBox);
        row("change fields", IDD_CHANGE, ids::kChangeFields, ControlKind::ListBox);
        row("change value", IDD_CHANGE, ids::kChangeValue, ControlKind::Edit);
        row("change source", IDD_CHANGE, ids::kChangeSource, ControlKind::ComboBox);
        row("change hint", IDD_CHANGE, ids::kChangeHint, ControlKind::LeftText);
        row("change preview", IDD_CHANGE, ids::kChangePreview, ControlKind::Table);
        row("change summary", IDD_CHANGE, ids::kChangeSummary, ControlKind::LeftText);
        row("change Apply", IDD_CHANGE, IDOK, ControlKind::PushButton);
        row("change Cancel", IDD_CHANGE, IDCANCEL, ControlKind::PushButton);
    }

    void controllersFindTheirControls() {
        QFETCH(int, dialog);
        QFETCH(int, id);
        QFETCH(ControlKind, kind);
        const auto found = EditorResources().dialogs.constFind(dialog);
        QVERIFY2(found != EditorResources().dialogs.cend(), "no such template");
        const ControlTemplate* control = found->Control(id);
        QVERIFY2(control != nullptr, "no control with this id in the template");
        const bool button =
            kind == ControlKind::PushButton && control->kind == ControlKind::DefPushButton;
        QVERIFY2(control->kind == kind || button, "a control of another kind");
    }

    // Every command a window's menu carries out is an item of its menu, and the About
    // entry's text is in the string table.
    void menuHoldsTheCommands() {
        const std::pair<int, std::vector<int>> windows[] = {
            {IDD_EDITOR,
             {ids::kOpenMotionModel, ids::kReload, ids::kFleetOverview, ids::kExit,
              ids::kDefineArchiveLocation, ids::kPackSelected, ids::kPackAll, ids::kHelp}},
            {IDD_FLEET, {ids::kFleetUndo, ids::kFleetRedo}},
        };
        for (const auto& [dialog, wanted] : windows) {
            const auto menu =
                EditorResources().menus.constFind(EditorResources().dialogs.value(dialog).menuId);
            QVERIFY(menu != EditorResources().menus.cend());
            QSet<int> commands;
            for (const PopupTemplate& popup : menu->popups) {
                for (const MenuItemTemplate& item : popup.items) {
                    commands.insert(item.id);
                }
            }
            for (const int id : wanted) {
                QVERIFY2(commands.contains(id), qPrintable(QString::number(id)));
            }
        }
        QVERIFY(!EditorResources().strings.value(IDS_ABOUTBOX).isEmpty());
    }

    void resourceScriptErrorsNameTheLine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown control") << "1 DIALOG 0,0,1,1\nBEGIN\nSCROLLBAR 3,1,1,1,1\nEND"
                                         << "line 3: unknown control SCROLLBAR";
        QTest::newRow("unknown control class")
            << "1 DIALOG 0,0,1,1\nBEGIN\nCONTROL \"\", 3, \"Button\", WS_TABSTOP, 1, 1, 1, 1\nEND"
            << "line 3: unknown control class Button";
        QTest::newRow("missing rectangle")
            << "1 DIALOG 0,0,1,1\nBEGIN\nEDITTEXT 3,1,1\nEND"
            << "line 3: EDITTEXT needs an id and x, y, width, height";
        QTest::newRow("open string") << "STRINGTABLE\nBEGIN\n1 \"abc\nEND"
                                     << "line 3: unterminated string";
        QTest::newRow("no END") << "1 DIALOG 0,0,1,1\nBEGIN\n"
                                << "END expected before the end of the script";
        QTest::newRow("stray END") << "END"
                                   << "line 1: unexpected END";
        QTest::newRow("bad style") << "1 DIALOG 0,0,1,1\nBEGIN\nEDITTEXT 3,1,1,1,1,A | | B\nEND"
                                   << "line 3: bad style of EDITTEXT";
    }

    void resourceScriptErrorsNameTheLine() {
        QFETCH(QString, text);
        QFETCH(QString, error);
        ResourceScript script;
        QString message;
        QVERIFY(!ParseResourceScript(text, script, message));
        QCOMPARE(message, error);
    }
};

QTEST_MAIN(EditorSupportTest)
#include "EditorSupportTest.moc"
