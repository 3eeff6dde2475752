#pragma once
// The editor window on Windows: template IDD_EDITOR and menu IDR_MAINMENU run as a modal dialog,
// wired to the EditorController, which decides what every action does.

#include <map>
#include <set>
#include <string>

#include "editor/EditorController.h"
#include "editor/win32/Dialog.h"
#include "model/ModelNames.h"

namespace zrb::win32 {

class CEditorDlg final : public zrb::win32::Dialog, public zrb::EditorView {
  public:
    CEditorDlg();
    ~CEditorDlg() override;
    CEditorDlg(const CEditorDlg&) = delete;
    CEditorDlg& operator=(const CEditorDlg&) = delete;

    // Runs the window as the program's main window until it closes.
    INT_PTR Run();

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
    void WatchPack(const zrb::RunningPack& pack) override;
    void ShowPackStatus(const std::string& text) override;
    void MessageBox(const std::string& text, zrb::MessageIcon icon) override;
    void ShowFileWarning(const std::string& text) override;
    void MarkBox(int id, bool marked, const std::string& tooltip) override;
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
    bool Progress(std::size_t done, std::size_t total) override;
    void ProgressEnded() override;

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

  private:
    void FillList();
    // Each box's tooltip: what its field means and the advice for it.
    void AddTooltips();
    void OnUserEdit(int id);
    void OnDescriptionEdit();
    void SetTooltip(int id, const std::string& text);
    void ShowTitle();

    zrb::EditorController controller_;
    zrb::SortedNameList names_;              // what the list shows, in its order
    std::wstring lastFolder_;                // folder of the last confirmed file dialog
    std::wstring title_;                     // the title without progress
    std::wstring packStatus_;                // how far running packs are; empty: none
    bool settingText_ = false;               // a box is being set by the program, not typed into
    std::map<int, std::wstring> shownText_;  // each box's last text that 1252 can hold
    int waitDepth_ = 0;
    HCURSOR savedCursor_ = nullptr;
    HWND tips_ = nullptr;
    std::set<int> marked_;  // boxes that do not show what the file says, and the warning
    HBRUSH warningBrush_ = nullptr;
};

}  // namespace zrb::win32
