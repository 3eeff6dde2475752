#pragma once
// The editor window in Qt: the widgets of template IDD_EDITOR and menu IDR_MAINMENU, wired to the
// EditorController, which decides what every action does.

#include <QDialog>
#include <QIcon>
#include <QString>

#include <memory>

#include "editor/EditorController.h"
#include "editor/qt/TemplateBoxes.h"

class QLineEdit;
class QListView;
class QProgressDialog;
class QTimer;

namespace zrb::gui {
class NameListModel;
}

class CEditorDlg : public QDialog, public zrb::EditorView {
    Q_OBJECT

  public:
    // Captures the process's current directory as the start folder.
    explicit CEditorDlg(QWidget* parent = nullptr);
    ~CEditorDlg() override;

    zrb::EditorController& controller() { return controller_; }
    zrb::ModelEditor& editor() { return controller_.editor(); }
    const zrb::ModelEditor& editor() const { return controller_.editor(); }

    // Enter, Escape and the close box go to the controller.
    void accept() override;
    void reject() override;

    // DialogView.
    std::string BoxText(int id) const override;
    void SetBoxText(int id, std::string_view text) override;
    std::string BoxLabel(int id) const override;
    void FocusBox(int id) override;
    void EndDialog(bool ok) override;
    // EditorView.
    bool AskYesNo(const std::string& question) override;
    int Ask(const std::string& question, const std::vector<std::string>& answers,
            int defaultAnswer) override;
    std::optional<double> CalculateInertia(double mass) override;
    void ShowAbout() override;
    void ShowFleetOverview() override;
    bool OpenDocument(const std::string& path) override;
    void ShowFileWarning(const std::string& text) override;
    void MarkBox(int id, bool marked, const std::string& tooltip) override;
    void WatchPack(const zrb::RunningPack& pack) override;
    void ShowPackStatus(const std::string& text) override;
    // WindowOps.
    void ListClear() override;
    void ListAdd(std::vector<std::string> names) override;
    std::optional<int> ListSelection() const override;
    std::string ListText(int index) const override;
    void ListSelect(int index) override;
    std::optional<int> ListFindExact(const std::string& name) const override;
    int ListCount() const override;
    void SetWindowTitle(const std::string& title) override;
    zrb::FileDialogAnswer FileDialog(const zrb::FileDialogRequest& request) override;
    void WaitCursor(bool on) override;
    void MessageBox(const std::string& text, zrb::MessageIcon icon) override;
    bool Progress(std::size_t done, std::size_t total) override;
    void ProgressEnded() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ConnectBoxes();
    void ConnectCommands();
    void ShowTitle();

    zrb::EditorController controller_;
    QIcon icon_;
    zrb::gui::NameListModel* listModel_ = nullptr;
    QListView* list_ = nullptr;
    zrb::gui::TemplateBoxes boxes_;
    QLineEdit* fileWarning_ = nullptr;
    QString lastFolder_;  // folder of the last confirmed file dialog
    bool selectingFromCode_ = false;
    int waitCursorDepth_ = 0;
    std::unique_ptr<QProgressDialog> progress_;
    QTimer* packTimer_ = nullptr;  // ticks while pack scripts run
    QString title_;                // the title without a pack's status
    QString packStatus_;
};
