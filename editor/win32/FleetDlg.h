#pragma once
// The fleet overview on Windows: template IDD_FLEET with a virtual list view over the
// FleetOverviewController, and the comparison, template IDD_COMPARE.

#include <string>
#include <vector>

#include "editor/FleetOverview.h"
#include "editor/win32/Dialog.h"
#include "res/resource.h"

namespace zrb::win32 {

class CFleetDlg final : public zrb::win32::Dialog, public zrb::FleetView {
  public:
    static constexpr int kTemplate = IDD_FLEET;

    CFleetDlg(zrb::EditorController& editor, std::wstring& lastFolder);

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

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

  private:
    bool OnNotify(NMHDR& header, INT_PTR& result);
    HWND Table() const;
    // The row with the keyboard's focus, else the first selected; -1 when none.
    int CurrentRow() const;
    // The shown rows selected, in order.
    std::vector<int> SelectedRows() const;
    // The in-place editor on the current cell, starting with `text` (all selected, or
    // the caret after it when typing began it).
    void OpenEditor(int row, int column, const std::wstring& text, bool selectAll);
    // Ends the in-place editor, handing its text to the controller when `commit`.
    void CloseEditor(bool commit);
    // Moves the current column (the cell F2 and typing edit) by `by` columns.
    void MoveCurrentColumn(int by);
    static LRESULT CALLBACK TableProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);

    zrb::FleetOverviewController controller_;
    std::wstring& lastFolder_;
    zrb::win32::StretchingChildren stretching_;
    std::wstring cellText_;  // the text a list view asked for lives until it asks again
    std::wstring tipText_;
    bool nameWidened_ = false;  // for the state that follows each name against a reference
    // The list view knows rows only: the column F2 and typing edit is kept here.
    int column_ = zrb::kFleetDescriptionColumn;
    HWND editor_ = nullptr;  // the in-place editor while a cell is edited
    int editRow_ = -1;
    int editColumn_ = -1;
    bool editorClosing_ = false;  // its end is posted, and comes once
};

}  // namespace zrb::win32
