#pragma once
// A modal dialog from a template: the dialog procedure keeps the object with the window
// from WM_INITDIALOG on and hands the messages to its virtual handlers.

#include <windows.h>
// The window logic's MessageBox is ours; the system's is called as MessageBoxW.
#undef MessageBox

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/Shortcuts.h"
#include "editor/Stretch.h"
#include "model/WindowOps.h"

namespace zrb::win32 {

class Dialog {
  public:
    virtual ~Dialog() = default;

    // Runs the dialog of template `templateId`; the value End gave.
    INT_PTR DoModal(int templateId, HWND parent);
    // Runs it as the program's main window with a message loop of its own, which
    // translates `accelerators` (a modal dialog's loop would not).
    INT_PTR RunAsMainWindow(int templateId, HACCEL accelerators);
    // Ends the dialog with `result`, whichever way it runs.
    void End(INT_PTR result);

    HWND hwnd() const { return hwnd_; }
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    std::wstring ItemText(int id) const;
    void SetItemText(int id, const std::wstring& text);
    // The text of the static right before control `id` in the template: its label.
    std::wstring LabelOf(int id) const;
    // Focus into control `id`, an edit box's text selected, as the dialog manager does.
    void FocusItem(int id);

  protected:
    // False when the focus was set here.
    virtual bool OnInitDialog() { return true; }
    // A WM_COMMAND; true when handled.
    virtual bool OnCommand(int id, int code, HWND control) = 0;
    // Any other message; true when handled, with `result` the dialog's answer.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

  private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    bool modeless_ = false;
    bool ended_ = false;
    INT_PTR result_ = 0;
};

// Moves `window` to the middle of its owner (a visible one), else of its monitor's work
// area, inside that work area.
void CentreOverOwner(HWND window);

// Shows the keys of `table` after a tab beside their items of `menu`, as the system's
// menus show them; the template's texts stay as they are. A command that is no item of
// the menu (a button) is left out.
void ShowShortcutsInMenu(HMENU menu, std::span<const Shortcut> table);

// While it lives, the first window this thread activates is centred over its owner as
// CentreOverOwner does: the system places message boxes and file dialogs on its own (a
// message box in the middle of the screen, a file dialog at its top left corner).
class CentringNextWindow {
  public:
    CentringNextWindow();
    ~CentringNextWindow();
    CentringNextWindow(const CentringNextWindow&) = delete;
    CentringNextWindow& operator=(const CentringNextWindow&) = delete;
};

// A message box captioned with the program's name, one OK button, centred over `owner`.
void ShowMessage(HWND owner, const std::string& text, MessageIcon icon);
// A question with Yes and No, No the default and Escape's answer, centred over `owner`;
// true for Yes.
bool AskYesNo(HWND owner, const std::string& question);
// A question with one button per entry of `answers`; the index of the one chosen.
// `defaultAnswer` is the default button and Escape's answer.
int AskChoice(HWND owner, const std::string& question, const std::vector<std::string>& answers,
              int defaultAnswer);

// The common file dialog that `request` describes, owned by `owner`, opened in
// `lastFolder` (when not empty), which a confirmed dialog sets to the chosen file's folder.
FileDialogAnswer ShowFileDialog(HWND owner, const FileDialogRequest& request,
                                std::wstring& lastFolder);

// The children of a resizable dialog following its size (see Stretched): the table takes
// the room the dialog gains.
class StretchingChildren {
  public:
    // At WM_INITDIALOG: the template's places, and its size as the least.
    void Capture(HWND dialog, HWND table);
    // At WM_SIZE.
    void Apply(HWND dialog) const;
    // At WM_GETMINMAXINFO.
    void LimitTracking(MINMAXINFO& info) const;

  private:
    SIZE base_{};
    SIZE minTrack_{};
    Box table_;
    std::vector<std::pair<HWND, Box>> children_;
};

// Windows-1252 bytes to the characters they stand for, and back ('?' where 1252 has no
// byte for a character).
std::wstring FromCp1252(std::string_view bytes);
std::string ToCp1252(std::wstring_view text);

}  // namespace zrb::win32
