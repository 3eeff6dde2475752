#pragma once
// The moment-of-inertia calculator: the user types the object's width, the dialog shows
// 0.7 * mass * (width / 2)^2 after every change, and OK hands the shown whole number
// back in `inertia`.

#include <QDialog>

class QLineEdit;

class CInertiaDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CInertiaDlg(QWidget* parent = nullptr);

    double mass = 0.0;     // kg; set by the caller, never shown
    double inertia = 0.0;  // kg*m^2, box 1008
    double width = 0.0;    // m, box 1018

    // OK and Enter: pulls the boxes and ends the dialog when both hold numbers.
    void accept() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool Pull();
    void Recalculate();

    QLineEdit* inertiaBox_ = nullptr;
    QLineEdit* widthBox_ = nullptr;
    QString inertiaLabel_;
    QString widthLabel_;
};
