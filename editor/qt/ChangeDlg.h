#pragma once
// The change of many models in Qt: template 140 over a FleetChangeController.

#include <QDialog>

#include "editor/FleetChange.h"

class QAbstractTableModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QTableView;
class QTimer;

namespace zrb {
class FleetChangeController;
}

class CChangeDlg : public QDialog, public zrb::FleetChangeView {
    Q_OBJECT

  public:
    CChangeDlg(zrb::FleetChangeController& change, QWidget* parent);
    ~CChangeDlg() override;

    // Enter and Apply: closes with OK only when there is something to apply.
    void accept() override;

    // FleetChangeView.
    void PreviewChanged() override;
    void StartTimer() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    zrb::FleetChangeController& change_;
    QComboBox* operation_ = nullptr;
    QListView* fields_ = nullptr;
    QLineEdit* value_ = nullptr;
    QComboBox* source_ = nullptr;
    QLabel* hint_ = nullptr;
    QLabel* summary_ = nullptr;
    QTableView* preview_ = nullptr;
    QAbstractTableModel* model_ = nullptr;
    QTimer* timer_ = nullptr;
};
