// The editor window, driven through its widgets.

#include <QAbstractFileIconProvider>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include "GuiTestSupport.h"
#include "WorkedExample.h"
#include "editor/ControlIds.h"
#include "editor/qt/AboutDlg.h"
#include "editor/qt/ChangeDlg.h"
#include "editor/qt/Cp1252.h"
#include "editor/qt/DialogBuilder.h"
#include "editor/qt/EditorDlg.h"
#include "editor/qt/FleetDlg.h"
#include "editor/qt/InertiaDlg.h"
#include "model/LoadFindings.h"
#include "model/ModelFile.h"

using zrb::ModelFileVariant;
using zrb::MotionModel;
using zrb::gui::FileDialogs;
using zrb::gui::MessageBoxes;
using namespace zrb::testing;

using zrb::gui::FindById;
namespace ids = zrb::ids;

namespace {

// Every parameter box with its field.
const struct {
    int id;
    double MotionModel::*field;
} kNumberBoxes[] = {
    {ids::kMass, &MotionModel::mass},
    {ids::kHorsePower, &MotionModel::horsePower},
    {ids::kGasScaleFactor, &MotionModel::gasScaleFactor},
    {ids::kMaxAccel, &MotionModel::maxAccel},
    {ids::kMaxTurnRate, &MotionModel::maxTurnRate},
    {ids::kTurnTightness, &MotionModel::turnTightness},
    {ids::kMomentOfInertia, &MotionModel::momentOfInertia},
    {ids::kBumpyFactor, &MotionModel::bumpyFactor},
    {ids::kStaticFriction, &MotionModel::coeffStaticFriction},
    {ids::kKineticFriction, &MotionModel::coeffKineticFriction},
    {ids::kRestitution, &MotionModel::coefficientOfRestitution},
};

// With 120 horsepower, so that typing 75 is an edit.
MotionModel Model(const char* description, double mass) {
    return With(ExampleModel(description, mass), &MotionModel::horsePower, 120);
}

}  // namespace

// Stands in for the desktop's browser: records the URLs Help asks it to open.
class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class EditorDlgTest : public QObject {
    Q_OBJECT

  private:
    QLineEdit* Box(CEditorDlg& dlg, int id) {
        return dlg.findChild<QLineEdit*>(QStringLiteral("id%1").arg(id));
    }
    QListView* List(CEditorDlg& dlg) { return FindById<QListView>(&dlg, ids::kModelList); }
    QAction* Action(CEditorDlg& dlg, int id) {
        return dlg.findChild<QAction*>(QStringLiteral("id%1").arg(id));
    }
    QPushButton* Button(CEditorDlg& dlg, int id) {
        return dlg.findChild<QPushButton*>(QStringLiteral("id%1").arg(id));
    }
    void ShowActive(CEditorDlg& dlg) {
        dlg.show();
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
    }
    // A models folder holding a.zrb, B.zrb and c.zrb.
    void MakeModels(const QTemporaryDir& dir) {
        const std::pair<const char*, MotionModel> models[] = {{"a.zrb", Model("//first", 100)},
                                                              {"B.zrb", Model("//second", 200)},
                                                              {"c.zrb", Model("//third", 300)}};
        for (auto [name, model] : models) {
            QVERIFY(zrb::WriteModelFile(Encoded(dir.filePath(name)), model,
                                        ModelFileVariant::SaveChanges));
        }
    }
    void Open(CEditorDlg& dlg, const QString& pickedFile) {
        FileDialogs::SetNextFileName(pickedFile);
        Action(dlg, ids::kOpenMotionModel)->trigger();
    }
    void ClickRow(CEditorDlg& dlg, int row) {
        QListView* list = List(dlg);
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

  private slots:
    void init() { ResetHooks(); }

    void opensEmptyWithZeroInEveryBox() {
        CEditorDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("ZRB Editor"));
        for (const auto& b : kNumberBoxes) {
            QCOMPARE(Box(dlg, b.id)->text(), QStringLiteral("0"));
        }
        QCOMPARE(Box(dlg, ids::kDescription)->text(), QString());
        QCOMPARE(Box(dlg, ids::kSpeed)->text(), QString());
        QVERIFY(Box(dlg, ids::kSpeed)->isReadOnly());
        QCOMPARE(Box(dlg, ids::kSpeed)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(Box(dlg, ids::kMass)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QCOMPARE(List(dlg)->model()->rowCount(), 0);
        QVERIFY(!dlg.editor().HasUnsavedEdits());
        QCOMPARE(dlg.editor().workspace.startFolder, Encoded(QDir::currentPath()));
    }

    void tabOrderFollowsTheTemplate() {
        CEditorDlg dlg;
        QStringList order;
        QWidget* w = List(dlg);
        do {
            order << w->objectName();
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(&dlg)) {
                w = w->nextInFocusChain();
            }
        } while (w != List(dlg) && order.size() < 40);
        QStringList expected;
        for (int id = ids::kModelList; id <= ids::kCalculateInertia; ++id) {
            expected << QStringLiteral("id%1").arg(id);
        }
        QCOMPARE(order, expected);
    }

    void typingIntoTheMassBoxStoresEachKeystroke() {
        CEditorDlg dlg;
        ShowActive(dlg);
        QLineEdit* mass = Box(dlg, ids::kMass);
        mass->setFocus();
        mass->selectAll();
        const std::pair<char, double> steps[] = {{'1', 1.0}, {'.', 1.0}, {'5', 1.5}};
        for (auto [key, value] : steps) {
            QTest::keyClick(mass, key);
            QCOMPARE(dlg.editor().model.mass, value);
        }
        QCOMPARE(mass->text(), QStringLiteral("1.5"));
        QVERIFY(dlg.editor().HasUnsavedEdits());
        // Only the mass changed.
        MotionModel expected;
        expected.mass = 1.5;
        QCOMPARE(dlg.editor().model, expected);
    }

    // What the speed is for a text is the controller's (see ControllerTest); here: typing
    // reaches it and its answer reaches the speed box.
    void gasScaleFactorShowsTheSpeed() {
        CEditorDlg dlg;
        ShowActive(dlg);
        QLineEdit* gas = Box(dlg, ids::kGasScaleFactor);
        Retype(gas, QStringLiteral("0.25"));
        QCOMPARE(Box(dlg, ids::kSpeed)->text(), QStringLiteral("150"));
        Retype(gas, QString());
        QCOMPARE(gas->text(), QString());
        QCOMPARE(Box(dlg, ids::kSpeed)->text(), QStringLiteral("0"));
    }

    void exchangeIntoBoxesRunsNoHandler() {
        CEditorDlg dlg;
        dlg.editor().model.gasScaleFactor = 0.1;
        dlg.editor().model.mass = 1e-5;
        dlg.editor().model.description = "//x";
        dlg.editor().speedText = "7";  // not derived: shows the handler did not run
        dlg.controller().ModelToBoxes();
        QCOMPARE(Box(dlg, ids::kGasScaleFactor)->text(), QStringLiteral("0.1"));
        QCOMPARE(Box(dlg, ids::kMass)->text(), QStringLiteral("1e-005"));
        QCOMPARE(Box(dlg, ids::kSpeed)->text(), QStringLiteral("7"));
        QCOMPARE(Box(dlg, ids::kDescription)->text(), QStringLiteral("//x"));
        QCOMPARE(dlg.editor().speedText, std::string("7"));
    }

    // Which texts are numbers and the order of the pull are the controller's (see
    // ControllerTest); here: the prompt is shown and the bad box's text is selected.
    void badNumberStopsThePull() {
        CEditorDlg dlg;
        ShowActive(dlg);
        const QString badText = QStringLiteral("1,5");
        Box(dlg, ids::kKineticFriction)->setText(badText);
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);

        QVERIFY(!dlg.controller().BoxesToModel());

        QCOMPARE(
            MessageBoxes::AnsweredTexts(),
            QStringList{QStringLiteral("Motion Friction Coefficient: please enter a number.")});
        QLineEdit* bad = Box(dlg, ids::kKineticFriction);
        QCOMPARE(QApplication::focusWidget(), bad);
        QCOMPARE(bad->selectedText(), badText);
    }

    void enterClosesOnlyWhenEveryBoxHoldsANumber() {
        CEditorDlg dlg;
        ShowActive(dlg);
        Box(dlg, ids::kHorsePower)->setText(QStringLiteral("abc"));
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        QTest::keyClick(Box(dlg, ids::kDescription), Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), 1);
        QCOMPARE(QApplication::focusWidget(), Box(dlg, ids::kHorsePower));

        // The pull takes 75 into the model, which was 0 as loaded: the edit is asked about.
        Box(dlg, ids::kHorsePower)->setText(QStringLiteral(" 75 "));
        MessageBoxes::SetNextAnswer(QMessageBox::Yes);
        QTest::keyClick(Box(dlg, ids::kHorsePower), Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.editor().model.horsePower, 75.0);
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), 2);
    }

    void enterOnAFocusedButtonClicksIt() {
        CEditorDlg dlg;
        ShowActive(dlg);
        QPushButton* calculate = Button(dlg, ids::kCalculateInertia);
        calculate->setFocus();
        bool calculatorShown = false;
        WhenModal<CInertiaDlg>([&](CInertiaDlg* c) {
            calculatorShown = true;
            c->reject();
        });
        QTest::keyClick(calculate, Qt::Key_Return);
        QVERIFY(calculatorShown);
        QVERIFY(dlg.isVisible());
    }

    void closingWithUnsavedEditsAsksFirst_data() {
        QTest::addColumn<int>("how");  // 0 Escape, 1 Exit, 2 close box, 3 Enter
        QTest::newRow("Escape") << 0;
        QTest::newRow("Exit") << 1;
        QTest::newRow("close box") << 2;
        QTest::newRow("Enter") << 3;
    }

    void closingWithUnsavedEditsAsksFirst() {
        QFETCH(int, how);
        QTemporaryDir dir;
        MakeModels(dir);
        CEditorDlg dlg;
        ShowActive(dlg);
        const auto close = [&] {
            switch (how) {
                case 0:
                    QTest::keyClick(Box(dlg, ids::kMass), Qt::Key_Escape);
                    break;
                case 1:
                    Action(dlg, ids::kExit)->trigger();
                    break;
                case 2:
                    dlg.close();
                    break;
                default:
                    QTest::keyClick(Box(dlg, ids::kMass), Qt::Key_Return);
            }
        };
        Open(dlg, dir.filePath("a.zrb"));
        QTest::keyClicks(Box(dlg, ids::kMass), "7");
        MessageBoxes::SetNextAnswer(QMessageBox::No);
        close();
        QVERIFY(dlg.isVisible());
        QCOMPARE(MessageBoxes::AnsweredTexts(),
                 QStringList{QStringLiteral("Discard the unsaved changes to a.zrb?")});
        MessageBoxes::SetNextAnswer(QMessageBox::Yes);
        close();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), 2);
        // Nothing was saved.
        MotionModel a = Model("//first", 100);
        QCOMPARE(FileBytes(dir.filePath("a.zrb")),
                 QByteArray::fromStdString(zrb::ModelFileBytes(a, ModelFileVariant::SaveChanges)));
    }

    void closingWithNothingUnsavedDoesNotAsk() {
        CEditorDlg dlg;
        ShowActive(dlg);
        QTest::keyClick(Box(dlg, ids::kMass), Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(MessageBoxes::AnsweredTexts().isEmpty());

        CEditorDlg edited;
        ShowActive(edited);
        QTest::keyClicks(Box(edited, ids::kDescription), "x");
        MessageBoxes::SetNextAnswer(QMessageBox::Yes);
        edited.close();
        QCOMPARE(MessageBoxes::AnsweredTexts(),
                 QStringList{QStringLiteral("Discard the unsaved changes to the model?")});
    }

    void openListLoadEditSave() {
        QTemporaryDir dir;
        MakeModels(dir);
        CEditorDlg dlg;
        ShowActive(dlg);

        FileDialogs::SetNextFileName(dir.filePath("B.zrb"));
        QTest::keyClick(&dlg, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("ZRB Editor - ") + dir.path());
        QCOMPARE(dlg.ListCount(), 3);
        QCOMPARE(List(dlg)->model()->index(1, 0).data().toString(), QStringLiteral("B.zrb"));
        // The first entry is loaded, not the picked file.
        QCOMPARE(dlg.ListSelection(), std::optional<int>(0));
        QCOMPARE(dlg.editor().workspace.currentFile, std::string("a.zrb"));
        QCOMPARE(Box(dlg, ids::kDescription)->text(), QStringLiteral("//first"));
        QCOMPARE(Box(dlg, ids::kSpeed)->text(), QStringLiteral("150"));

        // Selecting from code loads nothing; the user's click loads at once.
        dlg.ListSelect(1);
        QCOMPARE(dlg.editor().workspace.currentFile, std::string("a.zrb"));
        ClickRow(dlg, 2);
        QCOMPARE(dlg.editor().workspace.currentFile, std::string("c.zrb"));
        QCOMPARE(Box(dlg, ids::kMass)->text(), QStringLiteral("300"));
        QVERIFY(!dlg.editor().HasUnsavedEdits());

        Retype(Box(dlg, ids::kMass), QStringLiteral("1234.5"));
        Retype(Box(dlg, ids::kDescription), QStringLiteral("//third, heavier"));
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        Button(dlg, ids::kSaveChanges)->click();
        QCOMPARE(MessageBoxes::AnsweredTexts(), QStringList{QStringLiteral("Changes saved")});
        QVERIFY(!dlg.editor().HasUnsavedEdits());
        MotionModel expected = Model("//third, heavier", 1234.5);
        QCOMPARE(FileBytes(dir.filePath("c.zrb")), QByteArray::fromStdString(zrb::ModelFileBytes(
                                                       expected, ModelFileVariant::SaveChanges)));
        QVERIFY(!QApplication::overrideCursor());

        // Ctrl+S saves as well.
        Retype(Box(dlg, ids::kHorsePower), QStringLiteral("99"));
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        QTest::keyClick(&dlg, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), 2);
        expected.horsePower = 99;
        QCOMPARE(FileBytes(dir.filePath("c.zrb")), QByteArray::fromStdString(zrb::ModelFileBytes(
                                                       expected, ModelFileVariant::SaveChanges)));

        // An edit, then a click on another entry: No keeps the model and its entry.
        Retype(Box(dlg, ids::kHorsePower), QStringLiteral("98"));
        MessageBoxes::SetNextAnswer(QMessageBox::No);
        ClickRow(dlg, 0);
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), 3);
        QCOMPARE(MessageBoxes::AnsweredTexts().last(),
                 QStringLiteral("Discard the unsaved changes to c.zrb?"));
        QCOMPARE(dlg.ListSelection(), std::optional<int>(2));
        QCOMPARE(Box(dlg, ids::kHorsePower)->text(), QStringLiteral("98"));

        // F5 reads the folder and the model again, once the edit may go.
        expected.horsePower = 77;
        QVERIFY(zrb::WriteModelFile(Encoded(dir.filePath("c.zrb")), expected,
                                    ModelFileVariant::SaveChanges));
        WriteBytes(Encoded(dir.filePath("d.zrb")), "");
        MessageBoxes::SetNextAnswer(QMessageBox::Yes);
        QTest::keyClick(&dlg, Qt::Key_F5);
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), 4);
        QCOMPARE(dlg.ListCount(), 4);
        QCOMPARE(dlg.ListSelection(), std::optional<int>(2));
        QCOMPARE(Box(dlg, ids::kHorsePower)->text(), QStringLiteral("77"));
        QCOMPARE(Action(dlg, ids::kReload)->text(), QStringLiteral("&Reload"));
    }

    void descriptionKeepsEveryByte() {
        QTemporaryDir dir;
        QByteArray description = "//";
        for (int b = 1; b < 256; ++b) {
            if (b != '\n' && b != '\r') {
                description += char(b);
            }
        }
        MotionModel model = Model("", 5);
        model.description = description.toStdString();
        QVERIFY(zrb::WriteModelFile(Encoded(dir.filePath("x.zrb")), model,
                                    ModelFileVariant::SaveChanges));
        const QByteArray before = FileBytes(dir.filePath("x.zrb"));

        CEditorDlg dlg;
        Open(dlg, dir.filePath("x.zrb"));
        QCOMPARE(Box(dlg, ids::kDescription)->text(),
                 zrb::gui::FromCp1252(description.toStdString()));
        QVERIFY(
            Box(dlg, ids::kDescription)->text().contains(QChar(0x20AC)));  // 0x80, the euro sign
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        Button(dlg, ids::kSaveChanges)->click();
        QCOMPARE(FileBytes(dir.filePath("x.zrb")), before);
    }

    // The controllers' texts are UTF-8, the file's bytes 1252: a folder named with
    // characters beyond ASCII and a value with a 1252 character come out as they are.
    void warningStripAndQuestionShowEveryCharacter() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("K\u00e4fer \u20ac"));
        QVERIFY(QDir().mkpath(folder));
        MotionModel model = Model("//Bus", 9500);
        QVERIFY(zrb::WriteModelFile(Encoded(folder + QStringLiteral("/\u00fc.zrb")), model,
                                    ModelFileVariant::SaveChanges));
        QByteArray bytes = FileBytes(folder + QStringLiteral("/\u00fc.zrb"));
        bytes.replace("9500.00",
                      "95\x80"
                      "00");
        WriteBytes(Encoded(folder + QStringLiteral("/\u00fc.zrb")), bytes.toStdString());

        CEditorDlg dlg;
        ShowActive(dlg);
        QLineEdit* strip = Box(dlg, ids::kFileWarning);
        QVERIFY(!strip->isVisible());
        Open(dlg, folder + QStringLiteral("/\u00fc.zrb"));
        QVERIFY(dlg.windowTitle().endsWith(QStringLiteral("K\u00e4fer \u20ac")));
        const QString said =
            QStringLiteral("The file's .mass line says 95\u20ac00, but the editor reads 95.");
        QVERIFY(strip->isVisible());
        QCOMPARE(strip->text(), said);
        QVERIFY(!strip->accessibleName().isEmpty());
        QVERIFY(strip->focusPolicy() & Qt::TabFocus);
        QVERIFY(Box(dlg, ids::kMass)->toolTip().startsWith(said));
        QVERIFY(!Box(dlg, ids::kHorsePower)->toolTip().startsWith(said));

        MessageBoxes::SetNextAnswer(QMessageBox::No);
        Button(dlg, ids::kSaveChanges)->click();
        QCOMPARE(MessageBoxes::AnsweredTexts(),
                 QStringList{said + QStringLiteral(" Save anyway?")});
        QCOMPARE(FileBytes(folder + QStringLiteral("/\u00fc.zrb")), bytes);
        MessageBoxes::SetNextAnswer(QMessageBox::Yes);
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        Button(dlg, ids::kSaveChanges)->click();
        QCOMPARE(MessageBoxes::AnsweredTexts().last(), QStringLiteral("Changes saved"));
        QVERIFY(!strip->isVisible());
        QVERIFY(!Box(dlg, ids::kMass)->toolTip().startsWith(said));
    }

    void descriptionLeavesOutCharactersTheFileCannotHold() {
        CEditorDlg dlg;
        ShowActive(dlg);
        QLineEdit* box = Box(dlg, ids::kDescription);
        box->setFocus();
        // Typed one by one, then pasted: the box keeps the rest, the user is told.
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        for (const QString& text :
             {QStringLiteral("\u20ac"), QStringLiteral("\u03a9"), QStringLiteral("\u00e9"),
              QStringLiteral("a\u2192b\U0001F600c")}) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
            QApplication::sendEvent(box, &press);
        }
        QCOMPARE(box->text(), QStringLiteral("\u20ac\u00e9abc"));
        QCOMPARE(box->cursorPosition(), 5);
        QCOMPARE(dlg.editor().model.description, std::string("\x80\xe9"
                                                             "abc"));
        QCOMPARE(MessageBoxes::AnsweredTexts(),
                 (QStringList{
                     QString::fromStdString(zrb::CharactersLeftOutMessage(U"\u03a9")),
                     QString::fromStdString(zrb::CharactersLeftOutMessage(U"\u2192\U0001F600"))}));
    }

    void saveAsNewWritesListsAndReloads() {
        QTemporaryDir dir;
        MakeModels(dir);
        CEditorDlg dlg;
        ShowActive(dlg);
        Open(dlg, dir.filePath("a.zrb"));
        Retype(Box(dlg, ids::kDescription), QStringLiteral("a truck"));
        Retype(Box(dlg, ids::kHorsePower), QStringLiteral("75"));

        FileDialogs::SetNextFileName(dir.filePath("truck.zrb"));
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        Button(dlg, ids::kSaveAsNew)->click();

        QCOMPARE(MessageBoxes::AnsweredTexts(), QStringList{QStringLiteral("Changes saved")});
        QCOMPARE(dlg.ListCount(), 4);
        QCOMPARE(dlg.ListSelection(), std::optional<int>(3));
        QCOMPARE(dlg.editor().workspace.currentFile, std::string("truck.zrb"));
        QCOMPARE(Box(dlg, ids::kDescription)->text(), QStringLiteral("//a truck"));
        MotionModel expected = Model("//a truck", 100);
        expected.horsePower = 75;
        QCOMPARE(
            FileBytes(dir.filePath("truck.zrb")),
            QByteArray::fromStdString(zrb::ModelFileBytes(expected, ModelFileVariant::SaveAsNew)));

        // Onto an existing file: replaced without a question.
        FileDialogs::SetNextFileName(dir.filePath("B.zrb"));
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        Button(dlg, ids::kSaveAsNew)->click();
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), 2);
        QCOMPARE(FileBytes(dir.filePath("B.zrb")), QByteArray::fromStdString(zrb::ModelFileBytes(
                                                       expected, ModelFileVariant::SaveAsNew)));
        QCOMPARE(dlg.ListCount(), 4);

        // Cancelled: nothing changes.
        FileDialogs::SetNextFileName(QString());
        Button(dlg, ids::kSaveAsNew)->click();
        QCOMPARE(dlg.editor().workspace.currentFile, std::string("B.zrb"));
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), 2);
    }

    void realFileDialogsOpenWhereTheLastOneWasConfirmed() {
        QTemporaryDir dir;
        MakeModels(dir);
        CEditorDlg dlg;
        ShowActive(dlg);
        // The dialogs are looked at first and closed second, so that a failed check
        // cannot leave one open.
        struct Seen {
            QFileDialog::AcceptMode mode{};
            QFileDialog::FileMode fileMode{};
            QStringList filters;
            QString suffix, folder, offered, modelType;
            bool confirmsOverwrite = true, native = true;
        } seen;
        const auto look = [&seen](QFileDialog* fd) {
            seen = {fd->acceptMode(), fd->fileMode(), fd->nameFilters(), fd->defaultSuffix(),
                    fd->directory().absolutePath(), fd->selectedFiles().value(0),
                    // Told by its name, not by looking into the file.
                    fd->iconProvider()->type(QFileInfo(fd->directory().filePath("a.zrb"))),
                    !fd->testOption(QFileDialog::DontConfirmOverwrite),
                    !fd->testOption(QFileDialog::DontUseNativeDialog)};
        };
        WhenModal<QFileDialog>([&](QFileDialog* fd) {
            look(fd);
            TypeFileNameAndAccept(fd, dir.filePath("c.zrb"));
        });
        Action(dlg, ids::kOpenMotionModel)->trigger();
        QCOMPARE(seen.mode, QFileDialog::AcceptOpen);
        QCOMPARE(seen.fileMode, QFileDialog::ExistingFile);
        QCOMPARE(seen.filters, QStringList{QStringLiteral("Motion Models (*.zrb)")});
        QCOMPARE(seen.suffix, QStringLiteral("zrb"));
        QCOMPARE(seen.folder, QDir::currentPath());  // the start folder
        QCOMPARE(seen.modelType, QStringLiteral("zrb File"));
        QCOMPARE(dlg.editor().workspace.modelsFolder, Encoded(dir.path()));
        QCOMPARE(dlg.ListCount(), 3);

        // Save As New opens in the models folder, not where the last dialog was confirmed.
        QTemporaryDir archive;
        FileDialogs::SetNextFileName(archive.filePath("vehicles.sqs"));
        Action(dlg, ids::kDefineArchiveLocation)->trigger();
        QTemporaryDir other;
        WhenModal<QFileDialog>([&](QFileDialog* fd) {
            look(fd);
            TypeFileNameAndAccept(fd, other.filePath("van"));  // the default suffix is added
        });
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        Button(dlg, ids::kSaveAsNew)->click();
        QCOMPARE(seen.mode, QFileDialog::AcceptSave);
        QVERIFY(seen.confirmsOverwrite);
        QVERIFY(!seen.native);
        QCOMPARE(seen.folder, dir.path());
        QCOMPARE(seen.offered, dir.filePath("new.zrb"));
        QVERIFY(QFileInfo::exists(other.filePath("van.zrb")));
        QCOMPARE(dlg.editor().workspace.currentFile, std::string("van.zrb"));
        QCOMPARE(dlg.editor().workspace.modelsFolder, Encoded(other.path()));

        // Onto an existing file the dialog asks first.
        QString replaceQuestion;
        WhenModal<QFileDialog>([&](QFileDialog* fd) {
            WhenModal<QMessageBox>([&](QMessageBox* box) {
                replaceQuestion = box->text();
                box->button(QMessageBox::Yes)->click();
            });
            TypeFileNameAndAccept(fd, other.filePath("van.zrb"));
        });
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        Button(dlg, ids::kSaveAsNew)->click();
        QVERIFY2(replaceQuestion.contains(QStringLiteral("already exists")),
                 qPrintable(replaceQuestion));

        // Cancelling keeps the folder and changes nothing. Without the switch the
        // desktop's dialog is asked for; the test platform has none, so Qt shows its own.
        qunsetenv("ZRB_WIDGET_FILE_DIALOG");
        WhenModal<QFileDialog>([&](QFileDialog* fd) {
            look(fd);
            fd->reject();
        });
        Action(dlg, ids::kOpenMotionModel)->trigger();
        qputenv("ZRB_WIDGET_FILE_DIALOG", "1");
        QVERIFY(seen.native);
        QCOMPARE(seen.folder, other.path());
        QCOMPARE(dlg.editor().workspace.modelsFolder, Encoded(other.path()));
    }

    void realMessageBoxIsCaptionedWithTheProgramName() {
        QTemporaryDir dir;
        MakeModels(dir);
        CEditorDlg dlg;
        ShowActive(dlg);
        Open(dlg, dir.filePath("a.zrb"));
        struct Seen {
            QString title, text;
            QMessageBox::Icon icon;
        };
        QList<Seen> seen;
        const auto record = [&](QMessageBox* box) {
            seen.append({box->windowTitle(), box->text(), box->icon()});
            box->accept();
        };
        WhenModal<QMessageBox>(record);
        Button(dlg, ids::kSaveChanges)->click();
        Box(dlg, ids::kRestitution)->setText(QStringLiteral("x"));
        WhenModal<QMessageBox>(record);
        QVERIFY(!dlg.controller().BoxesToModel());
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0].title, QStringLiteral("ZRB Editor"));
        QCOMPARE(seen[0].text, QStringLiteral("Changes saved"));
        QCOMPARE(seen[0].icon, QMessageBox::NoIcon);
        QCOMPARE(seen[1].title, QStringLiteral("ZRB Editor"));
        QCOMPARE(seen[1].icon, QMessageBox::Warning);
    }

    void calculatorResultGoesIntoTheModel() {
        CEditorDlg dlg;
        ShowActive(dlg);
        Retype(Box(dlg, ids::kMass), QStringLiteral("1000"));
        Retype(Box(dlg, ids::kGasScaleFactor), QStringLiteral("0.2"));
        Box(dlg, ids::kMomentOfInertia)
            ->setText(QStringLiteral("5"));  // not pulled: still 0 in the model
        const MotionModel before = dlg.editor().model;
        WhenModal<CInertiaDlg>([&dlg](CInertiaDlg* c) {
            QCOMPARE(c->parentWidget(), &dlg);
            QLineEdit* width = FindById<QLineEdit>(c, ids::kWidth);
            Retype(width, QStringLiteral("2"));
            FindById<QPushButton>(c, ids::kInertiaOk)->click();
        });
        Button(dlg, ids::kCalculateInertia)->click();
        MotionModel expected = before;
        expected.momentOfInertia = 700;
        QCOMPARE(dlg.editor().model, expected);
        QCOMPARE(Box(dlg, ids::kMomentOfInertia)->text(), QStringLiteral("700"));
        QCOMPARE(Box(dlg, ids::kMass)->text(), QStringLiteral("1000"));
        QCOMPARE(Box(dlg, ids::kSpeed)->text(), QStringLiteral("120"));

        // Escape and the close box drop what the calculator shows.
        for (const bool escape : {true, false}) {
            WhenModal<CInertiaDlg>([escape](CInertiaDlg* c) {
                Retype(FindById<QLineEdit>(c, ids::kWidth), QStringLiteral("3"));
                if (escape) {
                    QTest::keyClick(c, Qt::Key_Escape);
                } else {
                    c->close();
                }
            });
            Button(dlg, ids::kCalculateInertia)->click();
            QCOMPARE(dlg.editor().model, expected);
            QCOMPARE(Box(dlg, ids::kMomentOfInertia)->text(), QStringLiteral("700"));
        }
    }

    void missingHelpPageIsReported() {
        QTemporaryDir dir;
        CEditorDlg dlg;
        dlg.editor().workspace.startFolder = Encoded(dir.path());
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);
        Action(dlg, ids::kHelp)->trigger();
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), 1);
        QVERIFY(MessageBoxes::AnsweredTexts()[0].contains(dir.filePath("Help.htm")));
    }

    void helpFromAFolderSpeltWithALeadingDoubleSlashOpensTheLocalPage() {
        // A start folder at the root joins to "//Help.htm"; "//tmp/..." is the same case
        // in a folder the test may write to.
        QTemporaryDir dir;
        QFile page(dir.filePath(QStringLiteral("Help.htm")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        UrlRecorder browser;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "open");
        CEditorDlg dlg;
        dlg.editor().workspace.startFolder = "/" + Encoded(dir.path());
        Action(dlg, ids::kHelp)->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), 0);
        QCOMPARE(browser.opened.size(), 1);
        QCOMPARE(browser.opened[0].host(), QString());
        QCOMPARE(browser.opened[0].toLocalFile(), page.fileName());
    }

    void aboutBoxOpensFromTheHelpMenu() {
        CEditorDlg dlg;
        ShowActive(dlg);
        QString caption;
        WhenModal<CAboutDlg>([&](CAboutDlg* about) {
            caption = about->windowTitle();
            QTest::keyClick(about, Qt::Key_Return);
        });
        Action(dlg, ids::kAbout)->trigger();
        QCOMPARE(caption, QStringLiteral("Info über ZRB Editor"));
        QVERIFY(dlg.isVisible());
    }

    void packMenuReachesThePacker() {
        QTemporaryDir models;
        MakeModels(models);
        QTemporaryDir archive;
        QTemporaryDir start;  // holds no archiver
        CEditorDlg dlg;
        dlg.editor().workspace.startFolder = Encoded(start.path());
        Open(dlg, models.filePath("a.zrb"));

        FileDialogs::SetNextFileName(archive.filePath("vehicles.sqs"));
        Action(dlg, ids::kDefineArchiveLocation)->trigger();
        QCOMPARE(dlg.editor().workspace.archiveFolder, Encoded(archive.path()));
        QCOMPARE(dlg.editor().workspace.archiveFile, std::string("vehicles.sqs"));

        for (int command : {ids::kPackSelected, ids::kPackAll}) {
            MessageBoxes::Reset();
            MessageBoxes::SetNextAnswer(QMessageBox::Ok);
            Action(dlg, command)->trigger();
            QCOMPARE(MessageBoxes::AnsweredTexts().size(), 1);
            QVERIFY2(MessageBoxes::AnsweredTexts()[0].contains(QStringLiteral("sqzip.exe")),
                     qPrintable(MessageBoxes::AnsweredTexts()[0]));
        }
        QCOMPARE(QDir(archive.path()).entryList(QDir::Files), QStringList());
    }

    void progressCanBeCancelled() {
        CEditorDlg dlg;
        ShowActive(dlg);
        QVERIFY(dlg.Progress(0, 1000));
        QVERIFY(dlg.Progress(10, 1000));
        auto* progress = dlg.findChild<QProgressDialog*>();
        QVERIFY(progress != nullptr);
        QCOMPARE(progress->maximum(), 1000);
        QCOMPARE(progress->value(), 10);
        progress->cancel();
        QVERIFY(!dlg.Progress(20, 1000));
        QVERIFY(dlg.findChild<QProgressDialog*>() == nullptr);
        // Finished work closes the window.
        QVERIFY(dlg.Progress(0, 2));
        QVERIFY(dlg.Progress(2, 2));
        QVERIFY(dlg.findChild<QProgressDialog*>() == nullptr);
    }

    void listTakesAHundredThousandModels() {
        CEditorDlg dlg;
        std::vector<std::string> names;
        for (int i = 99999; i >= 0; --i) {
            names.push_back(QStringLiteral("M%1.zrb").arg(i, 6, 10, QChar(u'0')).toStdString());
        }
        QSignalSpy resets(List(dlg)->model(), &QAbstractItemModel::modelReset);
        dlg.ListAdd(std::move(names));
        QCOMPARE(resets.count(), 1);
        QCOMPARE(dlg.ListCount(), 100000);
        QCOMPARE(dlg.ListText(0), std::string("M000000.zrb"));
        QCOMPARE(dlg.ListText(99999), std::string("M099999.zrb"));
        QCOMPARE(dlg.ListFindExact("m050000.ZRB"), std::optional<int>(50000));
        dlg.ListAdd({"a.zrb"});
        QCOMPARE(dlg.ListText(0), std::string("a.zrb"));
        dlg.ListSelect(70000);
        QCOMPARE(dlg.ListSelection(), std::optional<int>(70000));
        dlg.ListClear();
        QCOMPARE(dlg.ListCount(), 0);
        QCOMPARE(dlg.ListSelection(), std::nullopt);
    }

    // Ctrl+L opens the overview; a click on the mass header sorts, a second the other
    // way, as does Descending; Enter loads the first row's model, asking first when edits
    // would be lost.
    void fleetOverviewSortsAndEnterLoadsTheModel_data() {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<bool>("stillOpen");
        QTest::newRow("unedited") << false << QMessageBox::NoButton << "c.zrb" << false;
        QTest::newRow("edited, Yes") << true << QMessageBox::Yes << "c.zrb" << false;
        QTest::newRow("edited, No") << true << QMessageBox::No << "a.zrb" << true;
    }
    void fleetOverviewSortsAndEnterLoadsTheModel() {
        QFETCH(bool, edited);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QString, loaded);
        QFETCH(bool, stillOpen);
        QTemporaryDir dir;
        MakeModels(dir);
        CEditorDlg dlg;
        ShowActive(dlg);
        Open(dlg, dir.filePath(QStringLiteral("a.zrb")));
        if (edited) {
            Retype(Box(dlg, ids::kMass), QStringLiteral("5"));
        }
        if (answer != QMessageBox::NoButton) {
            MessageBoxes::SetNextAnswer(answer);
        }
        QStringList firstRows;
        bool wasOpenAfterEnter = false;
        WhenModal<CFleetDlg>([&](CFleetDlg* fleet) {
            [&] {
                auto* table = FindById<QTableView>(fleet, ids::kFleetTable);
                QVERIFY(table != nullptr);
                QTRY_COMPARE(table->model()->rowCount(), 3);
                constexpr int kMass = 6;
                table->scrollTo(table->model()->index(0, kMass));
                QHeaderView* header = table->horizontalHeader();
                const QPoint at(
                    header->sectionViewportPosition(kMass) + header->sectionSize(kMass) / 2,
                    header->height() / 2);
                for (int click = 0; click < 2; ++click) {
                    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
                    firstRows << table->model()->index(0, 0).data().toString();
                }
                // Descending follows the header; Space on it turns the order round.
                auto* descending = FindById<QCheckBox>(fleet, ids::kFleetDescending);
                QVERIFY(descending != nullptr);
                for (int press = 0; press < 2; ++press) {
                    descending->setFocus();
                    QTest::keyClick(descending, Qt::Key_Space);
                    firstRows << table->model()->index(0, 0).data().toString();
                }
                table->setCurrentIndex(table->model()->index(0, 0));
                QTest::keyClick(table, Qt::Key_Return);
                wasOpenAfterEnter = fleet->isVisible();
            }();
            if (fleet->isVisible()) {
                fleet->reject();
            }
        });
        QTest::keyClick(&dlg, Qt::Key_L, Qt::ControlModifier);
        const QString a = QStringLiteral("a.zrb");
        const QString c = QStringLiteral("c.zrb");
        QCOMPARE(firstRows, (QStringList{a, c, a, c}));
        QCOMPARE(wasOpenAfterEnter, stillOpen);
        QCOMPARE(QString::fromStdString(dlg.editor().workspace.currentFile), loaded);
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), answer == QMessageBox::NoButton ? 0 : 1);
        QCOMPARE(dlg.editor().HasUnsavedEdits(), stillOpen);
    }

    // The change of many models by keyboard alone: Ctrl+A and Alt+H in the overview;
    // Multiply, the mass and a factor in the dialog; the preview fills and Enter writes it.
    void fleetChangeByKeyboardWritesWhatThePreviewShows() {
        QTemporaryDir dir;
        MakeModels(dir);
        CEditorDlg dlg;
        ShowActive(dlg);
        Open(dlg, dir.filePath(QStringLiteral("a.zrb")));
        MessageBoxes::SetNextAnswer(QMessageBox::Ok);  // what was written
        QStringList preview;
        bool changeShown = false;
        WhenModal<CFleetDlg>([&](CFleetDlg* fleet) {
            WhenModal<CChangeDlg>([&](CChangeDlg* change) {
                changeShown = true;
                [&] {
                    auto* operation = FindById<QComboBox>(change, ids::kChangeOperation);
                    auto* fields = FindById<QListView>(change, ids::kChangeFields);
                    auto* value = FindById<QLineEdit>(change, ids::kChangeValue);
                    auto* table = FindById<QTableView>(change, ids::kChangePreview);
                    QVERIFY(operation && fields && value && table);
                    QTRY_COMPARE(QApplication::focusWidget(), operation);
                    QTest::keyClick(operation, Qt::Key_Down);  // Multiply
                    QTest::keyClick(change, Qt::Key_I, Qt::AltModifier);
                    QTRY_COMPARE(QApplication::focusWidget(), fields);
                    QTest::keyClick(fields, Qt::Key_Home);
                    for (int field = 0; field < 5; ++field) {  // the description, then mass
                        QTest::keyClick(fields, Qt::Key_Down);
                    }
                    QTest::keyClick(change, Qt::Key_V, Qt::AltModifier);
                    QTRY_COMPARE(QApplication::focusWidget(), value);
                    QTest::keyClicks(value, QStringLiteral("2"));
                    QTRY_COMPARE(table->model()->rowCount(), 3);
                    for (int row = 0; row < 3; ++row) {
                        auto cell = [&](int c) {
                            return table->model()->index(row, c).data().toString();
                        };
                        preview << cell(0) + QStringLiteral(" ") + cell(1) + QStringLiteral(": ") +
                                       cell(2) + QStringLiteral(" -> ") + cell(3);
                    }
                    QTest::keyClick(value, Qt::Key_Return);
                }();
                if (change->isVisible()) {
                    change->reject();
                }
            });
            [&] {
                auto* table = FindById<QTableView>(fleet, ids::kFleetTable);
                QVERIFY(table != nullptr);
                // Mnemonics reach the active window only.
                fleet->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(fleet));
                auto* status = FindById<QLabel>(fleet, ids::kFleetStatus);
                QTRY_COMPARE(status->text(), QStringLiteral("3 models"));
                table->setFocus();
                QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier);
                // The button clicks a moment after its key, as a click shows.
                QTest::keyClick(fleet, Qt::Key_H, Qt::AltModifier);
                QTRY_VERIFY(changeShown);
                QTRY_VERIFY(!fleet->controller().Busy());  // written off the window's thread
                QTRY_COMPARE(MessageBoxes::AnsweredTexts().size(), 1);
            }();
            fleet->reject();
        });
        QTest::keyClick(&dlg, Qt::Key_L, Qt::ControlModifier);
        QVERIFY(changeShown);
        QCOMPARE(preview, (QStringList{QStringLiteral("a.zrb mass: 100.00 -> 200.00"),
                                       QStringLiteral("B.zrb mass: 200.00 -> 400.00"),
                                       QStringLiteral("c.zrb mass: 300.00 -> 600.00")}));
        QFile written(dir.filePath(QStringLiteral("c.zrb")));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains(".mass\t\t\t\t\t600.00\r\n"));
        QCOMPARE(MessageBoxes::AnsweredTexts().size(), 1);
        QCOMPARE(dlg.editor().model.mass, 200.0);  // the editor's model shows it too
    }

    // The wiring of the in-place editor: a double click on a value opens it, Enter
    // commits it into the file and opens no model, Ctrl+Z takes it back; the history
    // list shows the step.
    void fleetOverviewEditsACellAndUndoesIt() {
        QTemporaryDir dir;
        MakeModels(dir);
        const QString path = dir.filePath(QStringLiteral("c.zrb"));
        const auto bytes = [&path] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray before = bytes();
        CEditorDlg dlg;
        ShowActive(dlg);
        Open(dlg, dir.filePath(QStringLiteral("a.zrb")));
        QByteArray written;
        QByteArray undone;
        QStringList history;
        bool openAfterEnter = false;
        WhenModal<CFleetDlg>([&](CFleetDlg* fleet) {
            [&] {
                auto* table = FindById<QTableView>(fleet, ids::kFleetTable);
                QVERIFY(table != nullptr);
                QTRY_COMPARE(table->model()->rowCount(), 3);
                QTRY_VERIFY(table->model()->flags(table->model()->index(2, 6)) &
                            Qt::ItemIsEditable);
                constexpr int kMass = 6;
                const QModelIndex cell = table->model()->index(2, kMass);  // c.zrb
                table->scrollTo(cell);
                const QPoint at = table->visualRect(cell).center();
                QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
                auto* editor = qobject_cast<QLineEdit*>(table->indexWidget(cell));
                QVERIFY(editor != nullptr);
                editor->selectAll();
                QTest::keyClicks(editor, QStringLiteral("4321"));
                QTest::keyClick(editor, Qt::Key_Return);
                QTRY_VERIFY(bytes() != before);
                written = bytes();
                openAfterEnter = fleet->isVisible();
                QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
                QVERIFY(fleet->controller().Busy());
                QTRY_VERIFY(!fleet->controller().Busy());
                undone = bytes();
                auto* list = FindById<QListView>(fleet, ids::kFleetHistory);
                QVERIFY(list != nullptr);
                for (int row = 0; row < list->model()->rowCount(); ++row) {
                    history << list->model()->index(row, 0).data().toString();
                }
            }();
            fleet->done(QDialog::Rejected);  // whatever runs
        });
        QTest::keyClick(&dlg, Qt::Key_L, Qt::ControlModifier);
        QVERIFY(written.contains(".mass\t\t\t\t\t4321.00\r\n"));
        QVERIFY(openAfterEnter);
        QCOMPARE(undone, before);
        QCOMPARE(history, QStringList{QStringLiteral("1. (undone) mass = 4321 on c.zrb")});
        QCOMPARE(QString::fromStdString(dlg.editor().workspace.currentFile),
                 QStringLiteral("a.zrb"));
    }
};

QTEST_MAIN(EditorDlgTest)
#include "EditorDlgTest.moc"
