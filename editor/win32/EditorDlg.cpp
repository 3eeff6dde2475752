#include "editor/win32/EditorDlg.h"

#include <commctrl.h>

#include <thread>
#include <vector>

#include "editor/ControlIds.h"
#include "editor/Shortcuts.h"
#include "editor/win32/AboutDlg.h"
#include "editor/win32/FleetDlg.h"
#include "editor/win32/InertiaDlg.h"
#include "model/Cp1252.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/win32/Wide.h"

namespace ids = zrb::ids;
using zrb::win32::FromCp1252;
using zrb::win32::ToCp1252;
using zrb::win32::Utf8;
using zrb::win32::Wide;

namespace zrb::win32 {

namespace {

constexpr int kTemplate = IDD_EDITOR;
constexpr int kIcon = IDR_MAINFRAME;
constexpr int kAboutText = IDS_ABOUTBOX;
// Posted by a pack's watcher thread when the pack's console has closed; wParam: its id.
constexpr UINT kPackEnded = WM_APP + 1;

}  // namespace

// Light amber with dark text, as the fleet overview marks its cells.
constexpr COLORREF kWarningColour = RGB(255, 214, 153);

CEditorDlg::CEditorDlg() : controller_(*this, zrb::CurrentFolder(), zrb::ProgramFolder()) {
    lastFolder_ = Wide(controller_.editor().workspace.startFolder);
    warningBrush_ = ::CreateSolidBrush(kWarningColour);
}

CEditorDlg::~CEditorDlg() {
    ::DeleteObject(warningBrush_);
}

bool CEditorDlg::OnInitDialog() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto icon = [instance](int size) {
        return reinterpret_cast<LPARAM>(
            ::LoadImageW(instance, MAKEINTRESOURCEW(kIcon), IMAGE_ICON, size, size, 0));
    };
    ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, icon(::GetSystemMetrics(SM_CXICON)));
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, icon(::GetSystemMetrics(SM_CXSMICON)));

    // The About entry at the end of the system menu, after a separator.
    if (HMENU system = ::GetSystemMenu(hwnd(), FALSE)) {
        wchar_t text[128] = {};
        if (::LoadStringW(instance, kAboutText, text, 128) > 0) {
            ::AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(system, MF_STRING, ids::kAbout, text);
        }
    }
    AddTooltips();
    ShowShortcutsInMenu(::GetMenu(hwnd()), zrb::kEditorShortcuts);
    wchar_t caption[256] = {};
    ::GetWindowTextW(hwnd(), caption, 256);
    title_ = caption;
    controller_.OnShow();
    ::SetFocus(Item(ids::kModelList));
    return false;
}

void CEditorDlg::AddTooltips() {
    HWND tips = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (tips == nullptr) {
        return;
    }
    // Long enough to read: a tip is a sentence, and wraps.
    ::SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, 360);
    ::SendMessageW(tips, TTM_SETDELAYTIME, TTDT_AUTOPOP, 20000);
    tips_ = tips;
    std::vector<int> tipped;
    for (const zrb::Binding& b : zrb::EditorBindings()) {
        tipped.push_back(b.id);
    }
    tipped.push_back(ids::kFileWarning);  // the whole warning, which the box may cut
    for (const int id : tipped) {
        std::wstring text = Wide(zrb::EditorBoxTooltip(id));
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd();
        tool.uId = reinterpret_cast<UINT_PTR>(Item(id));
        tool.lpszText = text.data();  // copied by the control
        ::SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

bool CEditorDlg::OnCommand(int id, int code, HWND /*control*/) {
    switch (id) {
        case IDOK:  // Enter
            controller_.OnOk();
            return true;
        case IDCANCEL:  // Escape and the close box
            controller_.OnCancel();
            return true;
        case ids::kModelList:
            // Only the user's selections: LB_SETCURSEL sends no notification.
            if (code == LBN_SELCHANGE) {
                controller_.OnSelectionChanged();
            }
            return true;
        default:
            break;
    }
    if (code == EN_CHANGE) {
        if (!settingText_) {
            OnUserEdit(id);
        }
        return true;
    }
    if (code == BN_CLICKED || code == 1) {  // buttons and menu items; 1: accelerators
        controller_.OnCommand(id);
        return true;
    }
    return false;
}

void CEditorDlg::OnUserEdit(int id) {
    if (id == ids::kDescription) {
        OnDescriptionEdit();
        return;
    }
    const std::wstring text = ItemText(id);
    const std::string bytes = ToCp1252(text);
    // A model file holds 1252 bytes: a character it cannot hold is refused as it is typed,
    // and the box goes back to what it held.
    if (FromCp1252(bytes) != text) {
        ::MessageBeep(MB_ICONWARNING);
        const std::wstring before = shownText_[id];
        settingText_ = true;
        SetItemText(id, before);
        settingText_ = false;
        ::SendMessageW(Item(id), EM_SETSEL, before.size(), before.size());
        return;
    }
    shownText_[id] = text;
    controller_.OnBoxEdited(id, bytes);
}

// The description keeps what a model file can hold of what is typed or pasted; the
// controller tells the user what was left out.
void CEditorDlg::OnDescriptionEdit() {
    const std::wstring text = ItemText(ids::kDescription);
    std::wstring kept;
    std::u32string left;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // half a pair
        }
        if (zrb::UnicodeToCp1252(c)) {
            kept += static_cast<wchar_t>(c);
        } else {
            left += c;
        }
    }
    if (!left.empty()) {
        DWORD start = 0;
        DWORD end = 0;
        ::SendMessageW(Item(ids::kDescription), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
        const std::size_t removed = text.size() - kept.size();
        const std::size_t caret = end > removed ? end - removed : 0;
        settingText_ = true;
        SetItemText(ids::kDescription, kept);
        settingText_ = false;
        ::SendMessageW(Item(ids::kDescription), EM_SETSEL, caret, caret);
    }
    shownText_[ids::kDescription] = kept;
    controller_.OnBoxEdited(ids::kDescription, ToCp1252(kept));
    controller_.OnCharactersLeftOut(ids::kDescription, left);
}

bool CEditorDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message == kPackEnded) {
        controller_.OnPackEnded(static_cast<int>(wParam));
        result = 0;
        return true;
    }
    // Marked boxes and the warning in amber; read-only boxes ask with WM_CTLCOLORSTATIC.
    if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORSTATIC) {
        const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (marked_.count(id) > 0) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetBkColor(dc, kWarningColour);
            ::SetTextColor(dc, RGB(0, 0, 0));
            result = reinterpret_cast<INT_PTR>(warningBrush_);
            return true;
        }
        return false;
    }
    // The system menu's own commands carry flags in their low four bits.
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == static_cast<WPARAM>(ids::kAbout)) {
        controller_.OnCommand(ids::kAbout);
        result = 0;
        return true;
    }
    return false;
}

std::string CEditorDlg::BoxText(int id) const {
    return ToCp1252(ItemText(id));
}

void CEditorDlg::SetBoxText(int id, std::string_view text) {
    settingText_ = true;
    shownText_[id] = FromCp1252(text);
    SetItemText(id, shownText_[id]);
    settingText_ = false;
}

std::string CEditorDlg::BoxLabel(int id) const {
    return Utf8(LabelOf(id));
}

void CEditorDlg::FocusBox(int id) {
    FocusItem(id);
}

void CEditorDlg::EndDialog(bool ok) {
    End(ok ? IDOK : IDCANCEL);
}

INT_PTR CEditorDlg::Run() {
    // The overview's list view is a common control, registered before its dialog opens.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    std::vector<ACCEL> keys;
    for (const zrb::Shortcut& shortcut : zrb::kEditorShortcuts) {
        const int key = shortcut.letter != 0 ? shortcut.letter : VK_F1 + shortcut.functionKey - 1;
        keys.push_back({static_cast<BYTE>(FVIRTKEY | (shortcut.control ? FCONTROL : 0)),
                        static_cast<WORD>(key), static_cast<WORD>(shortcut.command)});
    }
    HACCEL accelerators = ::CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
    const INT_PTR result = RunAsMainWindow(kTemplate, accelerators);
    ::DestroyAcceleratorTable(accelerators);
    return result;
}

bool CEditorDlg::AskYesNo(const std::string& question) {
    return zrb::win32::AskYesNo(hwnd(), question);
}

int CEditorDlg::Ask(const std::string& question, const std::vector<std::string>& answers,
                    int defaultAnswer) {
    return zrb::win32::AskChoice(hwnd(), question, answers, defaultAnswer);
}

std::optional<double> CEditorDlg::CalculateInertia(double mass) {
    CInertiaDlg calculator(mass);
    if (calculator.DoModal(CInertiaDlg::kTemplate, hwnd()) != IDOK) {
        return std::nullopt;
    }
    return calculator.inertia();
}

void CEditorDlg::ShowFleetOverview() {
    CFleetDlg overview(controller_, lastFolder_);
    overview.DoModal(CFleetDlg::kTemplate, hwnd());
}

void CEditorDlg::ShowAbout() {
    CAboutDlg about;
    about.DoModal(CAboutDlg::kTemplate, hwnd());
}

bool CEditorDlg::OpenDocument(const std::string& path) {
    return zrb::OpenWithShell(path, zrb::FolderOf(path)).ok();
}

void CEditorDlg::MessageBox(const std::string& text, zrb::MessageIcon icon) {
    zrb::win32::ShowMessage(hwnd(), text, icon);
}

void CEditorDlg::ShowFileWarning(const std::string& text) {
    SetItemText(ids::kFileWarning, Wide(text));
    SetTooltip(ids::kFileWarning, text);
    if (text.empty()) {
        marked_.erase(ids::kFileWarning);
    } else {
        marked_.insert(ids::kFileWarning);
    }
    ::ShowWindow(Item(ids::kFileWarning), text.empty() ? SW_HIDE : SW_SHOW);
}

void CEditorDlg::MarkBox(int id, bool marked, const std::string& tooltip) {
    if (marked) {
        marked_.insert(id);
    } else {
        marked_.erase(id);
    }
    SetTooltip(id, tooltip);
    ::InvalidateRect(Item(id), nullptr, TRUE);
}

void CEditorDlg::SetTooltip(int id, const std::string& text) {
    if (tips_ == nullptr) {
        return;
    }
    std::wstring wide = Wide(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(Item(id));
    tool.lpszText = wide.data();
    ::SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CEditorDlg::FillList() {
    HWND list = Item(ids::kModelList);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    ::SendMessageW(list, LB_INITSTORAGE, names_.size(), names_.size() * 32 * sizeof(wchar_t));
    // LB_INSERTSTRING keeps the order given: the list's order is the editor's, not the
    // control's own sort.
    for (std::size_t i = 0; i < names_.size(); ++i) {
        const std::wstring name = Wide(names_[i]);
        ::SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(name.c_str()));
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void CEditorDlg::ListClear() {
    names_.Clear();
    ::SendMessageW(Item(ids::kModelList), LB_RESETCONTENT, 0, 0);
}

void CEditorDlg::ListAdd(std::vector<std::string> names) {
    names_.AddMany(std::move(names));
    FillList();
}

std::optional<int> CEditorDlg::ListSelection() const {
    const LRESULT selected = ::SendMessageW(Item(ids::kModelList), LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? std::nullopt : std::optional<int>(static_cast<int>(selected));
}

std::string CEditorDlg::ListText(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < names_.size()
               ? names_[static_cast<std::size_t>(index)]
               : std::string();
}

void CEditorDlg::ListSelect(int index) {
    ::SendMessageW(Item(ids::kModelList), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::optional<int> CEditorDlg::ListFindExact(const std::string& name) const {
    const auto found = names_.FindExact(name);
    return found ? std::optional<int>(static_cast<int>(*found)) : std::nullopt;
}

int CEditorDlg::ListCount() const {
    return static_cast<int>(names_.size());
}

void CEditorDlg::SetWindowTitle(const std::string& title) {
    title_ = Wide(title);
    ShowTitle();
}

void CEditorDlg::ShowTitle() {
    // After the title, which still begins with the program's name.
    const std::wstring shown = packStatus_.empty() ? title_ : title_ + L" (" + packStatus_ + L")";
    ::SetWindowTextW(hwnd(), shown.c_str());
}

zrb::FileDialogAnswer CEditorDlg::FileDialog(const zrb::FileDialogRequest& request) {
    return zrb::win32::ShowFileDialog(hwnd(), request, lastFolder_);
}

void CEditorDlg::WaitCursor(bool on) {
    if (on) {
        if (waitDepth_++ == 0) {
            savedCursor_ = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        }
    } else if (waitDepth_ > 0 && --waitDepth_ == 0) {
        ::SetCursor(savedCursor_);
    }
}

bool CEditorDlg::Progress(std::size_t done, std::size_t total) {
    // The title tells how far packing is, and Escape stops it; the window keeps being
    // drawn meanwhile. Other keys typed while packing are dropped rather than let into
    // the boxes of a model being packed.
    const std::size_t percent = total == 0 ? 100 : done * 100 / total;
    const std::wstring text =
        L"Packing motion models... " + std::to_wstring(percent) + L"% (Esc cancels) - " + title_;
    ::SetWindowTextW(hwnd(), text.c_str());
    MSG message;
    bool cancelled = false;
    while (::PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        cancelled = cancelled || (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE);
    }
    while (::PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
        ::DispatchMessageW(&message);
    }
    if (done >= total || cancelled) {
        ProgressEnded();
    }
    return !cancelled;
}

void CEditorDlg::ProgressEnded() {
    ::SetWindowTextW(hwnd(), title_.c_str());
}

void CEditorDlg::WatchPack(const zrb::RunningPack& pack) {
    // The console stays open until the user closes it: waited for off this thread, whose
    // window goes on working meanwhile. The thread touches nothing but the process and
    // a message to the window, which is simply lost should the window be gone.
    HWND window = hwnd();
    const int id = pack.id;
    const std::intptr_t process = pack.process;
    std::thread([window, id, process] {
        zrb::WaitForProcess(process);
        ::PostMessageW(window, kPackEnded, static_cast<WPARAM>(id), 0);
    }).detach();
}

void CEditorDlg::ShowPackStatus(const std::string& text) {
    packStatus_ = Wide(text);
    ShowTitle();
}

}  // namespace zrb::win32
