#include "editor/qt/ChangeDlg.h"

#include <QAbstractTableModel>
#include <QBrush>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QTableView>
#include <QTimer>

#include "editor/ControlIds.h"
#include "editor/FleetChange.h"
#include "editor/qt/DialogBuilder.h"

using namespace zrb::gui;
namespace ids = zrb::ids;

namespace {

constexpr int kChangeTemplate = IDD_CHANGE;
// How often the preview reads on while models are left.
constexpr int kTimerMs = 10;

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The preview as a Qt model: a line per model and field, skipped lines greyed (their
// note says why, so the grey is not the only sign).
class PreviewModel : public QAbstractTableModel {
  public:
    PreviewModel(const zrb::FleetChangeController& change, QObject* parent)
        : QAbstractTableModel(parent), change_(change) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : change_.PreviewCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : zrb::FleetChangeController::kPreviewColumns;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= change_.PreviewCount()) {
            return {};
        }
        switch (role) {
            case Qt::DisplayRole:
            case Qt::ToolTipRole:
                return Utf8(change_.PreviewCell(index.row(), index.column()));
            case Qt::ForegroundRole:
                return change_.PreviewSkipped(index.row()) ? QVariant(QBrush(Qt::gray))
                                                           : QVariant();
            default:
                return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
            return QAbstractTableModel::headerData(section, orientation, role);
        }
        return Utf8(zrb::FleetChangeController::PreviewTitle(section));
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

  private:
    const zrb::FleetChangeController& change_;
};

QStringList Texts(const std::vector<std::string>& texts) {
    QStringList list;
    for (const std::string& text : texts) {
        list << Utf8(text);
    }
    return list;
}

// The label before `widget` in the template takes its mnemonic to it (the builder pairs
// only edit boxes and lists that drop down).
void PairLabel(const BuiltControls& built, QWidget* widget) {
    for (std::size_t i = 1; i < built.placed.size(); ++i) {
        if (built.placed[i].first == widget) {
            if (auto* label = qobject_cast<QLabel*>(built.placed[i - 1].first)) {
                label->setBuddy(widget);
            }
        }
    }
}

}  // namespace

CChangeDlg::CChangeDlg(zrb::FleetChangeController& change, QWidget* parent)
    : QDialog(parent), change_(change) {
    const BuiltControls built = BuildDialog(kChangeTemplate, this, parent->windowIcon());
    operation_ = Control<QComboBox>(built, ids::kChangeOperation);
    fields_ = Control<QListView>(built, ids::kChangeFields);
    value_ = Control<QLineEdit>(built, ids::kChangeValue);
    source_ = Control<QComboBox>(built, ids::kChangeSource);
    hint_ = Control<QLabel>(built, ids::kChangeHint);
    summary_ = Control<QLabel>(built, ids::kChangeSummary);
    preview_ = Control<QTableView>(built, ids::kChangePreview);
    hint_->setWordWrap(true);
    PairLabel(built, fields_);
    PairLabel(built, preview_);

    operation_->addItems(Texts(zrb::FleetChangeController::OperationNames()));
    operation_->setCurrentIndex(change_.operation());
    auto* fieldModel = new QStringListModel(Texts(zrb::FleetChangeController::FieldNames()), this);
    fields_->setModel(fieldModel);
    fields_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const int field : change_.fields()) {
        fields_->selectionModel()->select(fieldModel->index(field), QItemSelectionModel::Select);
        fields_->selectionModel()->setCurrentIndex(fieldModel->index(field),
                                                   QItemSelectionModel::NoUpdate);
    }
    source_->addItems(Texts(change_.SourceNames()));
    source_->setCurrentIndex(change_.source());

    auto* model = new PreviewModel(change_, this);
    model_ = model;
    preview_->setModel(model);
    preview_->setSelectionMode(QAbstractItemView::SingleSelection);
    const QFontMetrics fm(preview_->font());
    const int widths[] = {18, 16, 12, 12, 30};
    for (int c = 0; c < zrb::FleetChangeController::kPreviewColumns; ++c) {
        preview_->setColumnWidth(c, fm.averageCharWidth() * widths[c]);
    }
    // The note, the reason a model is skipped, takes the room that is left.
    preview_->horizontalHeader()->setStretchLastSection(true);
    new StretchingLayout(built, preview_, this);

    connect(operation_, &QComboBox::activated, this,
            [this](int index) { change_.OnOperationChosen(index); });
    connect(fields_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        std::vector<int> chosen;
        for (const QModelIndex& index : fields_->selectionModel()->selectedIndexes()) {
            chosen.push_back(index.row());
        }
        change_.OnFieldsChosen(chosen);
    });
    connect(value_, &QLineEdit::textEdited, this,
            [this](const QString& text) { change_.OnValueEdited(text.toStdString()); });
    connect(source_, &QComboBox::activated, this,
            [this](int index) { change_.OnSourceChosen(index); });
    connect(FindById<QPushButton>(this, IDOK), &QPushButton::clicked, this, &CChangeDlg::accept);
    connect(FindById<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &QDialog::reject);
    timer_ = new QTimer(this);
    timer_->setInterval(kTimerMs);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (!change_.OnTimer()) {
            timer_->stop();
        }
    });
    change_.SetView(this);
    PreviewChanged();
    operation_->setFocus(Qt::OtherFocusReason);
}

CChangeDlg::~CChangeDlg() {
    change_.SetView(nullptr);
}

void CChangeDlg::StartTimer() {
    timer_->start();
}

void CChangeDlg::accept() {
    if (change_.CanApply()) {
        QDialog::accept();
    }
}

void CChangeDlg::keyPressEvent(QKeyEvent* event) {
    if (RouteEnter(this, event)) {
        return;
    }
    QDialog::keyPressEvent(event);
}

void CChangeDlg::PreviewChanged() {
    static_cast<PreviewModel*>(model_)->Reset();
    hint_->setText(Utf8(change_.Hint()));
    summary_->setText(Utf8(change_.Summary()));
    value_->setEnabled(change_.ValueUsed());
    source_->setEnabled(change_.SourceUsed());
    FindById<QPushButton>(this, IDOK)->setEnabled(change_.CanApply());
}
