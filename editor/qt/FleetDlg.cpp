#include "editor/qt/FleetDlg.h"

#include <QBrush>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardItemModel>
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

constexpr int kOverviewTemplate = 131;
constexpr int kCompareTemplate = 132;
// How often the rows read so far are taken while reading.
constexpr int kTimerMs = 50;

// A light amber that dark text reads well on; the marker in the text carries the same.
const QColor kMarked(255, 214, 153);
// A light blue for what differs from the reference folder; "~" in the text says the same.
const QColor kDiffers(170, 208, 255);

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

bool IsNumberColumn(int column) {
    return column >= zrb::kFleetFirstFieldColumn;
}

// Widths that show typical values whole: a name, a short description, a number.
void SetColumnWidths(QTableView* table, int columns, const std::function<QString(int)>& title) {
    const QFontMetrics fm(table->font());
    for (int c = 0; c < columns; ++c) {
        const int chars = c == zrb::kFleetNameColumn          ? 18
                          : c == zrb::kFleetDescriptionColumn ? 30
                                                              : 10;
        const int room =
            std::max(fm.averageCharWidth() * chars, fm.horizontalAdvance(title(c)) + 24);
        table->setColumnWidth(c, room);
    }
}

// The models side by side, template 132.
class CompareDlg : public QDialog {
  public:
    CompareDlg(const zrb::FleetComparison& comparison, QWidget* parent) : QDialog(parent) {
        const BuiltControls built = BuildDialog(kCompareTemplate, this, parent->windowIcon());
        auto* table = static_cast<QTableView*>(built.byId.value(ids::kCompareTable));
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
                item->setTextAlignment((line == 0 ? Qt::AlignLeft : Qt::AlignRight) |
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
        connect(findChild<QPushButton*>(QStringLiteral("id1")), &QPushButton::clicked, this,
                &QDialog::accept);
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

QVariant FleetTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= overview_.RowCount()) {
        return {};
    }
    const int row = index.row();
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return Utf8(overview_.CellText(row, column));
        case Qt::ToolTipRole: {
            const std::string tip = overview_.CellTooltip(row, column);
            return tip.empty() ? QVariant() : QVariant(Utf8(tip));
        }
        case Qt::TextAlignmentRole:
            return int((IsNumberColumn(column) ? Qt::AlignRight : Qt::AlignLeft) |
                       Qt::AlignVCenter);
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
    table_ = static_cast<QTableView*>(built.byId.value(ids::kFleetTable));
    filter_ = static_cast<QLineEdit*>(built.byId.value(ids::kFleetFilter));
    status_ = static_cast<QLabel*>(built.byId.value(ids::kFleetStatus));
    model_ = new FleetTableModel(controller_, this);
    table_->setModel(model_);
    table_->horizontalHeader()->setSortIndicatorShown(true);
    SetColumnWidths(table_, zrb::kFleetColumns,
                    [](int c) { return Utf8(zrb::FleetColumnTitle(c)); });
    new StretchingLayout(built, table_, this);

    sortBy_ = static_cast<QComboBox*>(built.byId.value(ids::kFleetSortBy));
    descending_ = static_cast<QCheckBox*>(built.byId.value(ids::kFleetDescending));
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
    connect(table_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { controller_.OnActivate(index.row()); });
    auto button = [this](int id) {
        return findChild<QPushButton*>(QStringLiteral("id%1").arg(id));
    };
    connect(button(ids::kFleetOpen), &QPushButton::clicked, this, &CFleetDlg::accept);
    connect(button(ids::kFleetCompare), &QPushButton::clicked, this,
            [this] { controller_.OnCompare(SelectedRows()); });
    connect(button(ids::kFleetExport), &QPushButton::clicked, this,
            [this] { controller_.OnExport(); });
    connect(button(2), &QPushButton::clicked, this, &QDialog::reject);
    referenceStatus_ = static_cast<QLabel*>(built.byId.value(ids::kFleetReferenceStatus));
    connect(button(ids::kFleetChange), &QPushButton::clicked, this,
            [this] { controller_.OnChange(SelectedRows()); });
    connect(button(ids::kFleetCompareFolder), &QPushButton::clicked, this,
            [this] { controller_.OnCompareFolder(); });
    connect(static_cast<QCheckBox*>(built.byId.value(ids::kFleetOnlyChanged)), &QCheckBox::toggled,
            this, [this](bool on) { controller_.OnOnlyChanged(on); });

    timer_ = new QTimer(this);
    timer_->setInterval(kTimerMs);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (!controller_.OnTimer()) {
            timer_->stop();
        }
    });
    controller_.OnShow();
    timer_->start();
    table_->setFocus(Qt::OtherFocusReason);
}

void CFleetDlg::accept() {
    const QModelIndex current = table_->currentIndex();
    if (current.isValid()) {
        controller_.OnActivate(current.row());
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

bool CFleetDlg::Progress(std::size_t done, std::size_t total) {
    // QProgressDialog counts in int; large counts are scaled down.
    const std::size_t scale = total / INT_MAX + 1;
    if (!progress_) {
        progress_ = std::make_unique<QProgressDialog>(QStringLiteral("Writing motion models..."),
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
    return !progress_->wasCanceled();
}

void CFleetDlg::ProgressEnded() {
    progress_.reset();
}

void CFleetDlg::reject() {
    if (!controller_.OnCancel()) {
        QDialog::reject();
    }
}
