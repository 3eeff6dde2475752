#include "editor/qt/FleetDlg.h"

#include <QAction>
#include <QBrush>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <functional>

#include "editor/ControlIds.h"
#include "editor/EditorController.h"
#include "editor/FleetChange.h"
#include "editor/qt/ChangeDlg.h"
#include "editor/qt/DialogBuilder.h"
#include "editor/qt/ModalDialogs.h"

using namespace zrb::gui;
namespace ids = zrb::ids;

namespace {

constexpr int kOverviewTemplate = IDD_FLEET;
constexpr int kCompareTemplate = IDD_COMPARE;
// How often the rows read so far are taken while reading.
constexpr int kTimerMs = 50;

const QColor kMarked(zrb::kFleetMarkColour.red, zrb::kFleetMarkColour.green,
                     zrb::kFleetMarkColour.blue);
const QColor kDiffers(zrb::kFleetReferenceColour.red, zrb::kFleetReferenceColour.green,
                      zrb::kFleetReferenceColour.blue);

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

Qt::Alignment AlignmentOf(int column) {
    return (zrb::FleetColumnLookOf(column).alignment == zrb::CellAlignment::Right ? Qt::AlignRight
                                                                                  : Qt::AlignLeft) |
           Qt::AlignVCenter;
}

// The columns' widths in the dialog's units, each wide enough for its title and the
// header's sort arrow.
void SetColumnWidths(QTableView* table, const DialogUnits& units) {
    const QFontMetrics fm(table->horizontalHeader()->font());
    for (int c = 0; c < zrb::kFleetColumns; ++c) {
        const zrb::FleetColumnLook look = zrb::FleetColumnLookOf(c);
        table->setColumnWidth(
            c, std::max(units.X(look.width), fm.horizontalAdvance(Utf8(look.title)) + 24));
    }
}

// The in-place editor of a cell: a line edit aligned as the column is. What it holds is
// handed to the controller once the editor has closed, never from inside its own focus
// handling, since the commit may ask a question.
class CellDelegate : public QStyledItemDelegate {
  public:
    CellDelegate(std::function<void(int, int, std::string)> commit, QObject* parent)
        : QStyledItemDelegate(parent), commit_(std::move(commit)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setAlignment(AlignmentOf(index.column()));
        }
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                      const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr) {
            return;
        }
        QMetaObject::invokeMethod(
            parent(),
            [commit = commit_, row = index.row(), column = index.column(),
             text = line->text().toStdString()] { commit(row, column, text); },
            Qt::QueuedConnection);
    }

  private:
    std::function<void(int, int, std::string)> commit_;
};

// The models side by side, template IDD_COMPARE.
class CompareDlg : public QDialog {
  public:
    CompareDlg(const zrb::FleetComparison& comparison, QWidget* parent) : QDialog(parent) {
        const BuiltControls built = BuildDialog(kCompareTemplate, this, parent->windowIcon());
        auto* table = Control<QTableView>(built, ids::kCompareTable);
        auto* model = new QStandardItemModel(int(comparison.lines.size()),
                                             int(comparison.models.size()), this);
        table->setModel(model);
        table->verticalHeader()->show();
        QStringList models;
        for (const std::string& name : comparison.models) {
            models << Utf8(name);
        }
        model->setHorizontalHeaderLabels(models);
        for (std::size_t line = 0; line < comparison.lines.size(); ++line) {
            const zrb::FleetComparison::Line& l = comparison.lines[line];
            model->setVerticalHeaderItem(int(line), new QStandardItem(Utf8(l.label)));
            for (std::size_t m = 0; m < l.cells.size(); ++m) {
                auto* item = new QStandardItem(Utf8(l.cells[m]));
                item->setTextAlignment((l.rightAligned ? Qt::AlignRight : Qt::AlignLeft) |
                                       Qt::AlignVCenter);
                if (l.differs[m]) {
                    item->setBackground(kMarked);
                    item->setForeground(QBrush(Qt::black));
                }
                item->setToolTip(item->text());
                model->setItem(int(line), int(m), item);
            }
        }
        const QFontMetrics fm(table->font());
        for (int m = 0; m < model->columnCount(); ++m) {
            table->setColumnWidth(m, fm.averageCharWidth() * 24);
        }
        new StretchingLayout(built, table, this);
        connect(FindById<QPushButton>(this, IDOK), &QPushButton::clicked, this, &QDialog::accept);
        table->setFocus(Qt::OtherFocusReason);
    }
};

}  // namespace

FleetTableModel::FleetTableModel(const zrb::FleetOverviewController& overview, QObject* parent)
    : QAbstractTableModel(parent), overview_(overview) {}

int FleetTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : overview_.RowCount();
}

int FleetTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : zrb::kFleetColumns;
}

Qt::ItemFlags FleetTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && overview_.CellEditable(index.row(), index.column())) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

QVariant FleetTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= overview_.RowCount()) {
        return {};
    }
    const int row = index.row();
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return Utf8(overview_.CellText(row, column));
        case Qt::EditRole:
            return Utf8(overview_.EditText(row, column));
        case Qt::ToolTipRole: {
            const std::string tip = overview_.CellTooltip(row, column);
            return tip.empty() ? QVariant() : QVariant(Utf8(tip));
        }
        case Qt::TextAlignmentRole:
            return int(AlignmentOf(column));
        case Qt::BackgroundRole:
            if (overview_.CellDiffers(row, column)) {
                return QBrush(kDiffers);
            }
            return overview_.CellMarked(row, column) ? QVariant(QBrush(kMarked)) : QVariant();
        case Qt::ForegroundRole:
            if (overview_.CellMarked(row, column) || overview_.CellDiffers(row, column)) {
                return QBrush(Qt::black);
            }
            return overview_.Row(row).read && !overview_.RowMissing(row)
                       ? QVariant()
                       : QVariant(QBrush(Qt::gray));
        default:
            return {};
    }
}

QVariant FleetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return Utf8(zrb::FleetColumnTitle(section));
}

void FleetTableModel::Reset() {
    beginResetModel();
    endResetModel();
}

CFleetDlg::CFleetDlg(zrb::EditorController& editor, QString& lastFolder, QWidget* parent)
    : QDialog(parent), controller_(*this, editor), lastFolder_(lastFolder) {
    const BuiltControls built = BuildDialog(kOverviewTemplate, this, parent->windowIcon());
    table_ = Control<QTableView>(built, ids::kFleetTable);
    filter_ = Control<QLineEdit>(built, ids::kFleetFilter);
    status_ = Control<QLabel>(built, ids::kFleetStatus);
    model_ = new FleetTableModel(controller_, this);
    table_->setModel(model_);
    table_->horizontalHeader()->setSortIndicatorShown(true);
    SetColumnWidths(table_, built.units);
    // F2 or typing edits the current cell; a double click is the controller's to decide.
    table_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    table_->setItemDelegate(new CellDelegate(
        [this](int row, int column, const std::string& text) {
            controller_.OnCellEdited(row, column, text);
        },
        this));
    history_ = Control<QListView>(built, ids::kFleetHistory);
    historyModel_ = new QStringListModel(this);
    history_->setModel(historyModel_);
    new StretchingLayout(built, table_, this);
    undo_ = FindById<QAction>(this, ids::kFleetUndo);
    redo_ = FindById<QAction>(this, ids::kFleetRedo);
    for (const zrb::Shortcut& shortcut : zrb::kFleetShortcuts) {
        FindById<QAction>(this, shortcut.command)->setShortcut(KeysOf(shortcut));
    }
    connect(undo_, &QAction::triggered, this, [this] { controller_.OnUndo(); });
    connect(redo_, &QAction::triggered, this, [this] { controller_.OnRedo(); });
    ShowHistory({}, -1);

    sortBy_ = Control<QComboBox>(built, ids::kFleetSortBy);
    descending_ = Control<QCheckBox>(built, ids::kFleetDescending);
    for (int c = 0; c < zrb::kFleetColumns; ++c) {
        sortBy_->addItem(Utf8(zrb::FleetColumnTitle(c)));
    }
    sortBy_->setCurrentIndex(-1);
    connect(sortBy_, &QComboBox::activated, this,
            [this](int column) { controller_.OnSortChosen(column, !descending_->isChecked()); });
    connect(descending_, &QCheckBox::toggled, this, [this](bool checked) {
        if (sortBy_->currentIndex() >= 0) {
            controller_.OnSortChosen(sortBy_->currentIndex(), !checked);
        }
    });
    connect(filter_, &QLineEdit::textEdited, this,
            [this](const QString& text) { controller_.OnFilterEdited(text.toStdString()); });
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { controller_.OnHeaderClicked(column); });
    connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        controller_.OnDoubleClick(index.row(), index.column());
    });
    auto button = [this](int id) { return FindById<QPushButton>(this, id); };
    connect(button(ids::kFleetOpen), &QPushButton::clicked, this, &CFleetDlg::accept);
    connect(button(ids::kFleetCompare), &QPushButton::clicked, this,
            [this] { controller_.OnCompare(SelectedRows()); });
    connect(button(ids::kFleetExport), &QPushButton::clicked, this,
            [this] { controller_.OnExport(); });
    connect(button(IDCANCEL), &QPushButton::clicked, this, &QDialog::reject);
    referenceStatus_ = Control<QLabel>(built, ids::kFleetReferenceStatus);
    connect(button(ids::kFleetChange), &QPushButton::clicked, this,
            [this] { controller_.OnChange(SelectedRows()); });
    connect(button(ids::kFleetCompareFolder), &QPushButton::clicked, this,
            [this] { controller_.OnCompareFolder(); });
    connect(Control<QCheckBox>(built, ids::kFleetOnlyChanged), &QCheckBox::toggled, this,
            [this](bool on) { controller_.OnOnlyChanged(on); });

    // It ticks while the window is open: reading first, then any long undo or redo.
    timer_ = new QTimer(this);
    timer_->setInterval(kTimerMs);
    connect(timer_, &QTimer::timeout, this, [this] { controller_.OnTimer(); });
    controller_.OnShow();
    timer_->start();
    table_->setFocus(Qt::OtherFocusReason);
}

void CFleetDlg::accept() {
    // Enter in the in-place editor commits the edit; it opens nothing.
    const QModelIndex current = table_->currentIndex();
    if (current.isValid() && table_->indexWidget(current) != nullptr) {
        return;
    }
    if (current.isValid()) {
        controller_.OnEnter(current.row());
    }
}

void CFleetDlg::reject() {
    if (controller_.OnCloseRequested()) {
        QDialog::reject();
    }
}

void CFleetDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (auto* bar = findChild<QMenuBar*>()) {
        bar->setFixedWidth(width());
    }
}

void CFleetDlg::keyPressEvent(QKeyEvent* event) {
    if (RouteEnter(this, event)) {
        return;
    }
    QDialog::keyPressEvent(event);
}

std::vector<int> CFleetDlg::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CFleetDlg::RowsChanged() {
    // The rows' order changes under a reset, so the selection would point elsewhere.
    model_->Reset();
    if (controller_.reference() && !nameWidened_) {
        nameWidened_ = true;
        table_->setColumnWidth(zrb::kFleetNameColumn,
                               table_->columnWidth(zrb::kFleetNameColumn) +
                                   table_->fontMetrics().averageCharWidth() * 12);
    }
}

void CFleetDlg::SetStatus(const std::string& text) {
    status_->setText(Utf8(text));
}

void CFleetDlg::ShowSortColumn(int column, bool ascending) {
    table_->horizontalHeader()->setSortIndicator(
        column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (sortBy_ != nullptr) {
        const QSignalBlocker quietList(sortBy_);
        const QSignalBlocker quietBox(descending_);
        sortBy_->setCurrentIndex(column);
        descending_->setChecked(column >= 0 && !ascending);
    }
}

void CFleetDlg::ShowComparison(const zrb::FleetComparison& comparison) {
    CompareDlg compare(comparison, this);
    compare.exec();
}

bool CFleetDlg::AskYesNo(const std::string& question) {
    return MessageBoxes::Show(this, QMessageBox::Question, Utf8(question),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
}

void CFleetDlg::MessageBox(const std::string& text, zrb::MessageIcon icon) {
    MessageBoxes::Show(
        this, icon == zrb::MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
        Utf8(text));
}

zrb::FileDialogAnswer CFleetDlg::FileDialog(const zrb::FileDialogRequest& request) {
    return FileDialogs::Show(this, request, lastFolder_);
}

void CFleetDlg::Close() {
    QDialog::accept();
}

CFleetDlg::~CFleetDlg() = default;

bool CFleetDlg::ShowChange(zrb::FleetChangeController& change) {
    CChangeDlg dialog(change, this);
    return dialog.exec() == QDialog::Accepted;
}

void CFleetDlg::SetReferenceStatus(const std::string& text) {
    referenceStatus_->setText(Utf8(text));
}

void CFleetDlg::StartTimer() {
    timer_->start();
}

void CFleetDlg::EditCell(int row, int column, const std::string& text) {
    const QModelIndex index = model_->index(row, column);
    table_->setCurrentIndex(index);
    table_->edit(index);
    if (auto* line = qobject_cast<QLineEdit*>(table_->indexWidget(index))) {
        line->setText(Utf8(text));
        line->selectAll();
    }
}

void CFleetDlg::ShowHistory(const std::vector<std::string>& lines, int current) {
    QStringList shown;
    for (const std::string& line : lines) {
        shown << Utf8(line);
    }
    historyModel_->setStringList(shown);
    if (current >= 0) {
        history_->setCurrentIndex(historyModel_->index(current));
    }
    undo_->setEnabled(controller_.CanUndo());
    redo_->setEnabled(controller_.CanRedo());
}

int CFleetDlg::Ask(const std::string& question, const std::vector<std::string>& answers,
                   int defaultAnswer) {
    QStringList labels;
    for (const std::string& answer : answers) {
        labels << Utf8(answer);
    }
    return MessageBoxes::Choose(this, Utf8(question), labels, defaultAnswer);
}

void CFleetDlg::ShowCell(int row, int column) {
    if (column < 0) {
        column = std::max(table_->currentIndex().column(), 0);
    }
    const QModelIndex index = model_->index(row, column);
    table_->setCurrentIndex(index);
    table_->scrollTo(index);
}
