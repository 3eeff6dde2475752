#include "editor/EditorDlg.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QUrl>

#include <climits>

#include "editor/AboutDlg.h"
#include "editor/Cp1252.h"
#include "editor/DataExchange.h"
#include "editor/DialogBuilder.h"
#include "editor/InertiaDlg.h"
#include "editor/ModalDialogs.h"
#include "editor/NameListModel.h"
#include "pack/PackCommands.h"
#include "platform/Platform.h"

using zrb::MotionModel;
using namespace zrb::gui;

namespace {

enum class BoxKind { Number, Description, Speed };

struct Binding {
    int id;
    BoxKind kind;
    double MotionModel::*field;
};

// The boxes in the order they are exchanged with the model. A pull stops at the first
// box that holds no number, so this order decides which fields keep their values then.
const Binding kBindings[] = {
    {1005, BoxKind::Number, &MotionModel::maxAccel},
    {1009, BoxKind::Number, &MotionModel::bumpyFactor},
    {1001, BoxKind::Description, nullptr},
    {1011, BoxKind::Number, &MotionModel::coeffKineticFriction},
    {1010, BoxKind::Number, &MotionModel::coeffStaticFriction},
    {1004, BoxKind::Number, &MotionModel::gasScaleFactor},
    {1003, BoxKind::Number, &MotionModel::horsePower},
    {1008, BoxKind::Number, &MotionModel::momentOfInertia},
    {1002, BoxKind::Number, &MotionModel::mass},
    {1012, BoxKind::Number, &MotionModel::coefficientOfRestitution},
    {1006, BoxKind::Number, &MotionModel::maxTurnRate},
    {1007, BoxKind::Number, &MotionModel::turnTightness},
    {1015, BoxKind::Speed, nullptr},
};

constexpr int kGasScaleFactorBox = 1004;
constexpr int kSpeedBox = 1015;

QString Decoded(const std::string& bytes) {
    return QFile::decodeName(bytes.c_str());
}

}  // namespace

CEditorDlg::CEditorDlg(QWidget* parent) : QDialog(parent), icon_(AppIcon()) {
    const BuiltControls built = BuildDialog(102, this, icon_);
    list_ = static_cast<QListView*>(built.byId.value(1000));
    labels_ = built.labels;
    listModel_ = new NameListModel(this);
    list_->setModel(listModel_);
    for (const Binding& b : kBindings) {
        boxes_.insert(b.id, static_cast<QLineEdit*>(built.byId.value(b.id)));
    }
    boxes_[1001]->setValidator(new Cp1252Validator(boxes_[1001]));

    ConnectBoxes();
    ConnectCommands();

    editor_.workspace.startFolder = zrb::CurrentFolder();
    lastFolder_ = Decoded(editor_.workspace.startFolder);
    ModelToBoxes();
    list_->setFocus(Qt::OtherFocusReason);
}

CEditorDlg::~CEditorDlg() = default;

void CEditorDlg::ConnectBoxes() {
    // textEdited comes from the user's typing only, never from setText, so the boxes an
    // exchange fills do not run the handlers.
    for (const Binding& b : kBindings) {
        QLineEdit* box = boxes_[b.id];
        if (b.kind == BoxKind::Description) {
            connect(box, &QLineEdit::textEdited, this,
                    [this](const QString& text) { editor_.SetDescription(ToCp1252(text)); });
        } else if (b.id == kGasScaleFactorBox) {
            connect(box, &QLineEdit::textEdited, this, [this, b](const QString& text) {
                editor_.SetNumberFromText(b.field, ToCp1252(text));
                boxes_[kSpeedBox]->setText(FromCp1252(editor_.speedText));
            });
        } else if (b.kind == BoxKind::Number) {
            connect(box, &QLineEdit::textEdited, this, [this, b](const QString& text) {
                editor_.SetNumberFromText(b.field, ToCp1252(text));
            });
        }
    }
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CEditorDlg::OnUserSelection);
}

void CEditorDlg::ConnectCommands() {
    auto* saveChanges = findChild<QPushButton*>(QStringLiteral("id1013"));
    connect(saveChanges, &QPushButton::clicked, this, [this] { editor_.SaveChanges(); });
    connect(findChild<QPushButton*>(QStringLiteral("id1014")), &QPushButton::clicked, this,
            [this] { editor_.SaveAsNew(); });
    connect(findChild<QPushButton*>(QStringLiteral("id1016")), &QPushButton::clicked, this,
            &CEditorDlg::OnCalculateInertia);

    auto action = [this](int id) { return findChild<QAction*>(QStringLiteral("id%1").arg(id)); };
    QAction* open = action(32771);
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, this, [this] { editor_.OpenMotionModel(); });
    connect(action(32776), &QAction::triggered, this, &CEditorDlg::reject);
    connect(action(32775), &QAction::triggered, this,
            [this] { RunPackCommand(&zrb::DefineArchiveLocation); });
    connect(action(32773), &QAction::triggered, this,
            [this] { RunPackCommand(&zrb::PackSelected); });
    connect(action(32774), &QAction::triggered, this, [this] { RunPackCommand(&zrb::PackAll); });
    QAction* help = action(32772);
    connect(help, &QAction::triggered, this, &CEditorDlg::OnHelp);

    // A window manager's system menu cannot be extended here, so the About entry ends
    // the Help menu.
    if (auto* helpMenu = qobject_cast<QMenu*>(help->parent())) {
        const QString aboutText = EditorResources().strings.value(101);
        if (!aboutText.isEmpty()) {
            helpMenu->addSeparator();
            QAction* about = helpMenu->addAction(aboutText);
            about->setObjectName(QStringLiteral("id16"));
            connect(about, &QAction::triggered, this, &CEditorDlg::OnAbout);
        }
    }

    auto* save = new QAction(this);
    save->setObjectName(QStringLiteral("saveShortcut"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, saveChanges, &QPushButton::click);
    addAction(save);
}

void CEditorDlg::OnUserSelection() {
    if (selectingFromCode_ || !list_->selectionModel()->hasSelection()) {
        return;
    }
    editor_.LoadSelectedModel();
}

void CEditorDlg::OnCalculateInertia() {
    CInertiaDlg calculator(this);
    calculator.mass = editor_.model.mass;
    if (calculator.exec() != QDialog::Accepted) {
        return;
    }
    editor_.model.momentOfInertia = calculator.inertia;
    editor_.MarkEdited();
    ModelToBoxes();
}

void CEditorDlg::OnHelp() {
    // The path as joined is what the user is told; the URL is built from its cleaned
    // form, since a leading "//" (a start folder at the root) would name a network host.
    const QString page = Decoded(zrb::JoinPath(editor_.workspace.startFolder, "Help.htm"));
    if (!QFileInfo::exists(page)) {
        MessageBoxes::Show(this, QMessageBox::Warning,
                           QStringLiteral("The help page was not found. It is looked for "
                                          "in the folder the program was started from:\n%1")
                               .arg(page));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::cleanPath(page)))) {
        MessageBoxes::Show(this, QMessageBox::Warning,
                           QStringLiteral("The help page %1 could not be opened: no program "
                                          "to show web pages was found.")
                               .arg(page));
    }
}

void CEditorDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CEditorDlg::RunPackCommand(void (*command)(zrb::ModelEditor&, zrb::WindowOps&)) {
    command(editor_, *this);
    progress_.reset();
}

bool CEditorDlg::MayClose() {
    if (!editor_.HasUnsavedEdits()) {
        return true;
    }
    const QString file = editor_.workspace.currentFile.empty()
                             ? QStringLiteral("the model")
                             : Decoded(editor_.workspace.currentFile);
    return MessageBoxes::Show(this, QMessageBox::Question,
                              QStringLiteral("Discard the unsaved changes to %1?").arg(file),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
}

void CEditorDlg::accept() {
    if (BoxesToModel() && MayClose()) {
        QDialog::accept();
    }
}

void CEditorDlg::reject() {
    if (MayClose()) {
        QDialog::reject();
    }
}

void CEditorDlg::keyPressEvent(QKeyEvent* event) {
    if (RouteEnter(this, event)) {
        return;
    }
    QDialog::keyPressEvent(event);
}

void CEditorDlg::ListClear() {
    const QScopedValueRollback guard(selectingFromCode_, true);
    listModel_->Clear();
}

void CEditorDlg::ListAdd(std::vector<std::string> names) {
    const QScopedValueRollback guard(selectingFromCode_, true);
    listModel_->Add(std::move(names));
}

std::optional<int> CEditorDlg::ListSelection() const {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    return rows.constFirst().row();
}

std::string CEditorDlg::ListText(int index) const {
    const zrb::SortedNameList& names = listModel_->names();
    return index >= 0 && std::size_t(index) < names.size() ? names[std::size_t(index)]
                                                           : std::string();
}

void CEditorDlg::ListSelect(int index) {
    const QScopedValueRollback guard(selectingFromCode_, true);
    const QModelIndex entry = listModel_->index(index);
    list_->selectionModel()->setCurrentIndex(entry, QItemSelectionModel::ClearAndSelect);
    if (entry.isValid()) {
        list_->scrollTo(entry);
    }
}

std::optional<int> CEditorDlg::ListFindExact(const std::string& name) const {
    const auto found = listModel_->names().FindExact(name);
    return found ? std::optional<int>(int(*found)) : std::nullopt;
}

int CEditorDlg::ListCount() const {
    return int(listModel_->names().size());
}

bool CEditorDlg::BoxesToModel() {
    zrb::ModelEditor& e = editor_;
    for (const Binding& b : kBindings) {
        QLineEdit* box = boxes_[b.id];
        switch (b.kind) {
            case BoxKind::Number:
                if (!PullNumber(box, labels_.value(b.id), e.model.*b.field)) {
                    return false;
                }
                break;
            case BoxKind::Description:
                e.model.description = ToCp1252(box->text());
                break;
            case BoxKind::Speed:
                e.speedText = ToCp1252(box->text());
                break;
        }
    }
    return true;
}

void CEditorDlg::ModelToBoxes() {
    for (const Binding& b : kBindings) {
        QLineEdit* box = boxes_[b.id];
        switch (b.kind) {
            case BoxKind::Number:
                PushNumber(box, editor_.model.*b.field);
                break;
            case BoxKind::Description:
                box->setText(FromCp1252(editor_.model.description));
                break;
            case BoxKind::Speed:
                box->setText(FromCp1252(editor_.speedText));
                break;
        }
        box->setCursorPosition(0);
    }
}

void CEditorDlg::SetWindowTitle(const std::string& title) {
    setWindowTitle(Decoded(title));
}

zrb::FileDialogAnswer CEditorDlg::FileDialog(const zrb::FileDialogRequest& request) {
    return FileDialogs::Show(this, request, lastFolder_);
}

void CEditorDlg::WaitCursor(bool on) {
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++waitCursorDepth_;
    } else if (waitCursorDepth_ > 0) {
        QApplication::restoreOverrideCursor();
        --waitCursorDepth_;
    }
}

void CEditorDlg::MessageBox(const std::string& text, zrb::MessageIcon icon) {
    MessageBoxes::Show(
        this, icon == zrb::MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
        Decoded(text));
}

std::vector<std::string> CEditorDlg::FolderSearch(const std::string& folder) {
    return zrb::SearchModelFolder(folder);
}

bool CEditorDlg::Progress(std::size_t done, std::size_t total) {
    // QProgressDialog counts in int; large counts are scaled down.
    const std::size_t scale = total / INT_MAX + 1;
    if (!progress_) {
        progress_ = std::make_unique<QProgressDialog>(QStringLiteral("Packing motion models..."),
                                                      QStringLiteral("Cancel"), 0,
                                                      int(total / scale), this);
        progress_->setWindowTitle(kApplicationName);
        progress_->setWindowModality(Qt::WindowModal);
        // Shown only when the work takes long enough to be worth a window.
        progress_->setMinimumDuration(300);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
    }
    progress_->setMaximum(int(total / scale));
    progress_->setValue(int(done / scale));
    const bool cancelled = progress_->wasCanceled();
    if (done >= total || cancelled) {
        progress_.reset();
    }
    return !cancelled;
}
