#pragma once
// The editor window: the model list, the description and the eleven parameter boxes,
// the two save buttons, and the File, Pack and Help menus. It owns the model and the
// workspace (ModelEditor) and is the window the workspace commands act on.

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QString>

#include <memory>

#include "model/Workspace.h"

class QLineEdit;
class QListView;
class QProgressDialog;

namespace zrb::gui {
class NameListModel;
}

class CEditorDlg : public QDialog, public zrb::WindowOps {
    Q_OBJECT

  public:
    // Captures the process's current directory as the start folder.
    explicit CEditorDlg(QWidget* parent = nullptr);
    ~CEditorDlg() override;

    zrb::ModelEditor& editor() { return editor_; }
    const zrb::ModelEditor& editor() const { return editor_; }

    // Enter: pulls every box and closes when they all hold numbers.
    void accept() override;
    // Escape, the close box and File, Exit: close without pulling.
    void reject() override;

    // WindowOps.
    void ListClear() override;
    void ListAdd(std::vector<std::string> names) override;
    std::optional<int> ListSelection() const override;
    std::string ListText(int index) const override;
    void ListSelect(int index) override;
    std::optional<int> ListFindExact(const std::string& name) const override;
    int ListCount() const override;
    bool BoxesToModel() override;
    void ModelToBoxes() override;
    void SetWindowTitle(const std::string& title) override;
    zrb::FileDialogAnswer FileDialog(const zrb::FileDialogRequest& request) override;
    void WaitCursor(bool on) override;
    void MessageBox(const std::string& text, zrb::MessageIcon icon) override;
    std::vector<std::string> FolderSearch(const std::string& folder) override;
    bool Progress(std::size_t done, std::size_t total) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ConnectBoxes();
    void ConnectCommands();
    void OnUserSelection();
    void OnCalculateInertia();
    void OnHelp();
    void OnAbout();
    void RunPackCommand(void (*command)(zrb::ModelEditor&, zrb::WindowOps&));
    // Whether the window may close: asks first when edits have not been saved.
    bool MayClose();

    zrb::ModelEditor editor_{*this};
    QIcon icon_;
    zrb::gui::NameListModel* listModel_ = nullptr;
    QListView* list_ = nullptr;
    QHash<int, QLineEdit*> boxes_;
    QHash<int, QString> labels_;
    QString lastFolder_;  // folder of the last confirmed file dialog
    bool selectingFromCode_ = false;
    int waitCursorDepth_ = 0;
    std::unique_ptr<QProgressDialog> progress_;
};
