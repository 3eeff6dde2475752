#include "editor/qt/EditorDlg.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QUrl>

#include <climits>

#include "editor/ControlIds.h"
#include "editor/Shortcuts.h"
#include "editor/qt/AboutDlg.h"
#include "editor/qt/Cp1252.h"
#include "editor/qt/DialogBuilder.h"
#include "editor/qt/FleetDlg.h"
#include "editor/qt/InertiaDlg.h"
#include "editor/qt/ModalDialogs.h"
#include "editor/qt/NameListModel.h"
#include "editor/qt/TemplateBoxes.h"
#include "platform/Platform.h"

using namespace zrb::gui;
namespace ids = zrb::ids;

namespace {

// File names and paths handed to the system.
QString Decoded(const std::string& bytes) {
    return QFile::decodeName(bytes.c_str());
}

// The controllers' texts (see DialogView.h).
QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// The key of `command` in the editor's shortcut table.
QKeySequence ShortcutKeys(int command) {
    for (const zrb::Shortcut& shortcut : zrb::kEditorShortcuts) {
        if (shortcut.command == command) {
            return KeysOf(shortcut);
        }
    }
    return {};
}

// Light amber with dark text: the fleet overview marks its cells the same way.
const QColor kWarningColour(255, 214, 153);

void SetBase(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Text, Qt::black);
    widget->setPalette(palette);
}

}  // namespace

CEditorDlg::CEditorDlg(QWidget* parent)
    : QDialog(parent),
      controller_(*this, zrb::CurrentFolder(), zrb::ProgramFolder()),
      icon_(AppIcon()) {
    const BuiltControls built = BuildDialog(IDD_EDITOR, this, icon_);
    list_ = Control<QListView>(built, ids::kModelList);
    listModel_ = new NameListModel(this);
    list_->setModel(listModel_);
    for (const zrb::Binding& b : zrb::EditorBindings()) {
        boxes_.Take(built, b.id);
    }
    for (const zrb::Binding& b : zrb::EditorBindings()) {
        boxes_[b.id]->setToolTip(FromUtf8(zrb::EditorBoxTooltip(b.id)));
    }
    fileWarning_ = Control<QLineEdit>(built, ids::kFileWarning);
    fileWarning_->setAccessibleName(QStringLiteral("Warning about the model file"));
    SetBase(fileWarning_, kWarningColour);

    ConnectBoxes();
    ConnectCommands();

    title_ = windowTitle();
    lastFolder_ = Decoded(editor().workspace.startFolder);
    controller_.OnShow();
    list_->setFocus(Qt::OtherFocusReason);
}

CEditorDlg::~CEditorDlg() = default;

void CEditorDlg::ConnectBoxes() {
    // textEdited comes from the user's typing only, never from setText, so the boxes an
    // exchange fills do not run the handlers.
    for (auto it = boxes_.all().cbegin(); it != boxes_.all().cend(); ++it) {
        const int id = it.key();
        if (id == ids::kDescription) {
            continue;
        }
        connect(it.value(), &QLineEdit::textEdited, this,
                [this, id](const QString& text) { controller_.OnBoxEdited(id, ToCp1252(text)); });
    }
    // The description keeps what a model file can hold of what is typed or pasted; the
    // controller tells the user what was left out.
    QLineEdit* description = boxes_[ids::kDescription];
    connect(description, &QLineEdit::textEdited, this, [this, description](const QString& text) {
        std::u32string left;
        const QString kept = KeepCp1252(text, left);
        if (!left.empty()) {
            const int cursor = description->cursorPosition() - int(text.size() - kept.size());
            description->setText(kept);  // emits no textEdited
            description->setCursorPosition(std::max(0, cursor));
        }
        controller_.OnBoxEdited(ids::kDescription, ToCp1252(kept));
        controller_.OnCharactersLeftOut(ids::kDescription, left);
    });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!selectingFromCode_ && list_->selectionModel()->hasSelection()) {
            controller_.OnSelectionChanged();
        }
    });
}

void CEditorDlg::ConnectCommands() {
    auto command = [this](int id) { return [this, id] { controller_.OnCommand(id); }; };
    for (const int id : {ids::kSaveChanges, ids::kSaveAsNew, ids::kCalculateInertia}) {
        connect(FindById<QPushButton>(this, id), &QPushButton::clicked, this, command(id));
    }
    auto action = [this](int id) { return FindById<QAction>(this, id); };
    for (const int id :
         {ids::kOpenMotionModel, ids::kReload, ids::kFleetOverview, ids::kExit,
          ids::kDefineArchiveLocation, ids::kPackSelected, ids::kPackAll, ids::kHelp}) {
        connect(action(id), &QAction::triggered, this, command(id));
    }
    // A menu item shows its key after its text.
    // (Save Changes is a button: its key is the action below.)
    for (const zrb::Shortcut& shortcut : zrb::kEditorShortcuts) {
        if (shortcut.command != ids::kSaveChanges) {
            action(shortcut.command)->setShortcut(ShortcutKeys(shortcut.command));
        }
    }

    // A window manager's system menu cannot be extended here, so the About entry ends
    // the Help menu.
    if (auto* helpMenu = qobject_cast<QMenu*>(action(ids::kHelp)->parent())) {
        const QString aboutText = EditorResources().strings.value(IDS_ABOUTBOX);
        if (!aboutText.isEmpty()) {
            helpMenu->addSeparator();
            QAction* about = helpMenu->addAction(aboutText);
            about->setObjectName(QStringLiteral("id%1").arg(ids::kAbout));
            connect(about, &QAction::triggered, this, command(ids::kAbout));
        }
    }

    auto* save = new QAction(this);
    save->setObjectName(QStringLiteral("saveShortcut"));
    save->setShortcut(ShortcutKeys(ids::kSaveChanges));
    connect(save, &QAction::triggered, FindById<QPushButton>(this, ids::kSaveChanges),
            &QPushButton::click);
    addAction(save);
}

void CEditorDlg::accept() {
    controller_.OnOk();
}

void CEditorDlg::reject() {
    controller_.OnCancel();
}

std::string CEditorDlg::BoxText(int id) const {
    return boxes_.Text(id);
}

void CEditorDlg::SetBoxText(int id, std::string_view text) {
    boxes_.SetText(id, text);
}

std::string CEditorDlg::BoxLabel(int id) const {
    return boxes_.Label(id);
}

void CEditorDlg::FocusBox(int id) {
    boxes_.Focus(id);
}

void CEditorDlg::EndDialog(bool ok) {
    if (ok) {
        QDialog::accept();
    } else {
        QDialog::reject();
    }
}

bool CEditorDlg::AskYesNo(const std::string& question) {
    return MessageBoxes::Show(this, QMessageBox::Question, FromUtf8(question),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
}

int CEditorDlg::Ask(const std::string& question, const std::vector<std::string>& answers,
                    int defaultAnswer) {
    QStringList labels;
    for (const std::string& answer : answers) {
        labels << QString::fromStdString(answer);
    }
    return MessageBoxes::Choose(this, FromUtf8(question), labels, defaultAnswer);
}

std::optional<double> CEditorDlg::CalculateInertia(double mass) {
    CInertiaDlg calculator(mass, this);
    if (calculator.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return calculator.inertia();
}

void CEditorDlg::ShowFleetOverview() {
    CFleetDlg overview(controller_, lastFolder_, this);
    overview.exec();
}

void CEditorDlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

bool CEditorDlg::OpenDocument(const std::string& path) {
    // A cleaned path: a leading "//" (a start folder at the root) would name a network
    // host in a URL.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::cleanPath(Decoded(path))));
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

void CEditorDlg::SetWindowTitle(const std::string& title) {
    title_ = FromUtf8(title);
    ShowTitle();
}

void CEditorDlg::ShowTitle() {
    // After the title, which still begins with the program's name.
    setWindowTitle(packStatus_.isEmpty() ? title_
                                         : title_ + QStringLiteral(" (%1)").arg(packStatus_));
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
        FromUtf8(text));
}

void CEditorDlg::ShowFileWarning(const std::string& text) {
    fileWarning_->setText(FromUtf8(text));
    fileWarning_->setCursorPosition(0);
    fileWarning_->setToolTip(FromUtf8(text));
    fileWarning_->setAccessibleDescription(FromUtf8(text));
    fileWarning_->setVisible(!text.empty());
}

void CEditorDlg::MarkBox(int id, bool marked, const std::string& tooltip) {
    QLineEdit* box = boxes_[id];
    if (box == nullptr) {
        return;
    }
    if (marked) {
        SetBase(box, kWarningColour);
    } else {
        box->setPalette(QPalette());  // the window's own again
    }
    box->setToolTip(FromUtf8(tooltip));
    box->setAccessibleDescription(marked ? FromUtf8(tooltip) : QString());
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

void CEditorDlg::ProgressEnded() {
    progress_.reset();
}

void CEditorDlg::WatchPack(const zrb::RunningPack& /*pack*/) {
    // The runner is no child of the editor (it outlives it): its report and lock are
    // looked at on this thread, a few times a second, until no pack runs.
    if (packTimer_ == nullptr) {
        packTimer_ = new QTimer(this);
        packTimer_->setInterval(250);
        connect(packTimer_, &QTimer::timeout, this, [this] {
            controller_.OnPackTick();
            if (!controller_.PacksRunning()) {
                packTimer_->stop();
            }
        });
    }
    packTimer_->start();
}

void CEditorDlg::ShowPackStatus(const std::string& text) {
    packStatus_ = FromUtf8(text);
    ShowTitle();
}
