#pragma once
// The fleet overview in Qt: template IDD_FLEET with a table view over the
// FleetOverviewController, and the comparison, template IDD_COMPARE.

#include <QAbstractTableModel>
#include <QDialog>
#include <QString>

#include <memory>

#include "editor/FleetOverview.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QStringListModel;
class QTableView;
class QTimer;

namespace zrb::gui {

// The shown rows of the overview as a Qt model: texts, tooltips and the marks.
class FleetTableModel : public QAbstractTableModel {
  public:
    FleetTableModel(const FleetOverviewController& overview, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The controller's rows changed.
    void Reset();

  private:
    const FleetOverviewController& overview_;
};

}  // namespace zrb::gui

class CFleetDlg : public QDialog, public zrb::FleetView {
    Q_OBJECT

  public:
    CFleetDlg(zrb::EditorController& editor, QString& lastFolder, QWidget* parent);
    ~CFleetDlg() override;

    zrb::FleetOverviewController& controller() { return controller_; }

    // Enter opens the current row's model.
    void accept() override;

    // FleetView.
    void RowsChanged() override;
    void SetStatus(const std::string& text) override;
    void ShowSortColumn(int column, bool ascending) override;
    void ShowComparison(const zrb::FleetComparison& comparison) override;
    bool AskYesNo(const std::string& question) override;
    int Ask(const std::string& question, const std::vector<std::string>& answers,
            int defaultAnswer) override;
    void MessageBox(const std::string& text, zrb::MessageIcon icon) override;
    zrb::FileDialogAnswer FileDialog(const zrb::FileDialogRequest& request) override;
    void Close() override;
    void SetReferenceStatus(const std::string& text) override;
    bool ShowChange(zrb::FleetChangeController& change) override;
    void StartTimer() override;

    void EditCell(int row, int column, const std::string& text) override;
    void ShowCell(int row, int column) override;
    void ShowHistory(const std::vector<std::string>& lines, int current) override;

    // Escape and Close stop reading a reference, or an undo, that runs before they close.
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    std::vector<int> SelectedRows() const;

    zrb::FleetOverviewController controller_;
    QString& lastFolder_;
    zrb::gui::FleetTableModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QLabel* status_ = nullptr;
    QComboBox* sortBy_ = nullptr;
    QCheckBox* descending_ = nullptr;
    QTimer* timer_ = nullptr;
    QLabel* referenceStatus_ = nullptr;
    bool nameWidened_ = false;  // for the state that follows each name against a reference
    QListView* history_ = nullptr;
    QStringListModel* historyModel_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
};
