#include "editor/win32/Dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <optional>

#include "editor/Placement.h"
#include "model/Cp1252.h"
#include "platform/win32/Wide.h"

namespace zrb::win32 {

INT_PTR Dialog::DoModal(int templateId, HWND parent) {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent,
                             &Dialog::Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::RunAsMainWindow(int templateId, HACCEL accelerators) {
    modeless_ = true;
    HWND window = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                       nullptr, &Dialog::Procedure, reinterpret_cast<LPARAM>(this));
    if (window == nullptr) {
        return -1;
    }
    ::ShowWindow(window, SW_SHOW);
    MSG message;
    while (!ended_ && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (accelerators != nullptr && ::TranslateAcceleratorW(window, accelerators, &message)) {
            continue;
        }
        if (!::IsDialogMessageW(window, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    ::DestroyWindow(window);
    return result_;
}

void Dialog::End(INT_PTR result) {
    if (!modeless_) {
        ::EndDialog(hwnd_, result);
        return;
    }
    ended_ = true;
    result_ = result;
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the loop
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        self->hwnd_ = hwnd;
        RECT before{};
        ::GetWindowRect(hwnd, &before);
        const bool focusLeft = self->OnInitDialog();
        // The templates place every dialog at 0,0: one that its initialisation leaves
        // there opens centred, over its owner or, with none, on its monitor.
        RECT after{};
        ::GetWindowRect(hwnd, &after);
        if (after.left == before.left && after.top == before.top) {
            CentreOverOwner(hwnd);
        }
        return focusLeft ? TRUE : FALSE;
    }
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return FALSE;
    }
    if (message == WM_COMMAND) {
        return self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))
                   ? TRUE
                   : FALSE;
    }
    INT_PTR result = 0;
    if (self->OnMessage(message, wParam, lParam, result)) {
        // A colour message is answered with the brush itself.
        if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
            return result;
        }
        ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) {
    return false;
}

std::wstring Dialog::ItemText(int id) const {
    HWND item = Item(id);
    const int length = ::GetWindowTextLengthW(item);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(item, text.data(), length + 1)));
    return text;
}

void Dialog::SetItemText(int id, const std::wstring& text) {
    ::SetDlgItemTextW(hwnd_, id, text.c_str());
}

std::wstring Dialog::LabelOf(int id) const {
    HWND before = ::GetWindow(Item(id), GW_HWNDPREV);
    wchar_t className[16] = {};
    if (before == nullptr || ::GetClassNameW(before, className, 16) == 0 ||
        ::lstrcmpiW(className, L"Static") != 0) {
        return {};
    }
    const int length = ::GetWindowTextLengthW(before);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(before, text.data(), length + 1)));
    return text;
}

void Dialog::FocusItem(int id) {
    ::SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
    ::SendMessageW(Item(id), EM_SETSEL, 0, -1);
}

namespace {

Box BoxOf(const RECT& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

}  // namespace

void CentreOverOwner(HWND window) {
    HWND owner = ::GetWindow(window, GW_OWNER);
    if (owner != nullptr && (!::IsWindowVisible(owner) || ::IsIconic(owner))) {
        owner = nullptr;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(
            ::MonitorFromWindow(owner != nullptr ? owner : window, MONITOR_DEFAULTTONEAREST),
            &monitor)) {
        return;
    }
    const Box workArea = BoxOf(monitor.rcWork);
    RECT over = monitor.rcWork;
    if (owner != nullptr) {
        ::GetWindowRect(owner, &over);
    }
    RECT own{};
    ::GetWindowRect(window, &own);
    const Box place =
        CentredOver(BoxOf(over), own.right - own.left, own.bottom - own.top, workArea);
    ::SetWindowPos(window, nullptr, place.x, place.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

thread_local HHOOK centringHook = nullptr;
thread_local HWND centredWindow = nullptr;

// A file dialog still changes its size once shown: centred again when its thread next
// waits for messages.
void CALLBACK CentreAgain(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (centredWindow != nullptr && ::IsWindow(centredWindow)) {
        CentreOverOwner(centredWindow);
    }
    centredWindow = nullptr;
}

LRESULT CALLBACK CentreOnActivation(int code, WPARAM wParam, LPARAM lParam) {
    const LRESULT next = ::CallNextHookEx(centringHook, code, wParam, lParam);
    if (code == HCBT_ACTIVATE && centringHook != nullptr) {
        ::UnhookWindowsHookEx(centringHook);
        centringHook = nullptr;
        centredWindow = reinterpret_cast<HWND>(wParam);
        CentreOverOwner(centredWindow);
        ::SetTimer(nullptr, 0, 0, &CentreAgain);
    }
    return next;
}

}  // namespace

CentringNextWindow::CentringNextWindow() {
    if (centringHook == nullptr) {
        centringHook =
            ::SetWindowsHookExW(WH_CBT, &CentreOnActivation, nullptr, ::GetCurrentThreadId());
    }
}

CentringNextWindow::~CentringNextWindow() {
    if (centringHook != nullptr) {  // no window was activated
        ::UnhookWindowsHookEx(centringHook);
        centringHook = nullptr;
    }
}

zrb::FileDialogAnswer ShowFileDialog(HWND owner, const zrb::FileDialogRequest& request,
                                     std::wstring& lastFolder) {
    // "Label|pattern||" as the system wants it: each part ended by a NUL.
    std::wstring filter = Wide(request.filter);
    for (wchar_t& c : filter) {
        if (c == L'|') {
            c = L'\0';
        }
    }
    // A folder asked for goes into the name: the system prefers the folder it used last
    // to an initial folder it was given before.
    std::wstring file =
        Wide(request.initialFolder.empty() ? request.initialName
                                           : request.initialFolder + "\\" + request.initialName);
    file.resize(32768, L'\0');
    const std::wstring extension = Wide(request.defaultExtension);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir =
        lastFolder.empty() || !request.initialFolder.empty() ? nullptr : lastFolder.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                   (request.fileMustExist ? OFN_FILEMUSTEXIST : 0) |
                   (request.confirmOverwrite ? OFN_OVERWRITEPROMPT : 0);
    // Not a hook of the dialog's own (OFN_ENABLEHOOK): Windows would show the old style
    // of the dialog for it.
    const CentringNextWindow centred;
    const bool confirmed = request.type == zrb::FileDialogType::Save
                               ? ::GetSaveFileNameW(&dialog) != 0
                               : ::GetOpenFileNameW(&dialog) != 0;
    if (!confirmed) {
        return {};
    }
    const std::wstring path = file.c_str();
    const std::wstring name = path.substr(dialog.nFileOffset);
    lastFolder = path.substr(0, dialog.nFileOffset > 0 ? dialog.nFileOffset - 1 : 0);
    return {true, Utf8(path), Utf8(name)};
}

namespace {

constexpr wchar_t kCaption[] = L"ZRB Editor";

int CentredMessageBox(HWND owner, const std::string& text, UINT type) {
    const CentringNextWindow centred;
    return ::MessageBoxW(owner, Wide(text).c_str(), kCaption, type);
}

}  // namespace

void ShowMessage(HWND owner, const std::string& text, MessageIcon icon) {
    CentredMessageBox(owner, text, MB_OK | (icon == MessageIcon::Warning ? MB_ICONWARNING : 0));
}

namespace {

using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// The task dialog of common controls 6, which the manifest asks for; older systems
// lack it, and then the questions are message boxes.
TaskDialogFunction TaskDialogIndirectOrNull() {
    HMODULE controls = ::GetModuleHandleW(L"comctl32.dll");
    if (controls == nullptr) {
        return nullptr;
    }
    // Through a plain function pointer: the cast between two function types is meant.
    const auto address =
        reinterpret_cast<void (*)()>(::GetProcAddress(controls, "TaskDialogIndirect"));
    return reinterpret_cast<TaskDialogFunction>(address);
}

// The question as a task dialog with a button per answer; nothing when the system has
// no task dialogs. The default answer's button is the dialog's cancel button, so that
// Escape and the close box give it.
std::optional<int> TaskDialogChoice(HWND owner, const std::wstring& text,
                                    const std::vector<std::string>& answers, int defaultAnswer,
                                    PCWSTR icon) {
    const TaskDialogFunction taskDialog = TaskDialogIndirectOrNull();
    if (taskDialog == nullptr) {
        return std::nullopt;
    }
    constexpr int kFirstId = 100;
    const int count = static_cast<int>(answers.size());
    std::vector<std::wstring> labels;
    for (const std::string& answer : answers) {
        labels.push_back(Wide(answer));
    }
    std::vector<TASKDIALOG_BUTTON> buttons;
    for (int i = 0; i < count; ++i) {
        buttons.push_back({i == defaultAnswer ? IDCANCEL : kFirstId + i,
                           labels[static_cast<std::size_t>(i)].c_str()});
    }
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.hInstance = ::GetModuleHandleW(nullptr);
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = kCaption;
    config.pszMainIcon = icon;
    config.pszContent = text.c_str();
    config.cButtons = static_cast<UINT>(buttons.size());
    config.pButtons = buttons.data();
    config.nDefaultButton = IDCANCEL;
    int button = IDCANCEL;
    if (FAILED(taskDialog(&config, &button, nullptr, nullptr))) {
        return std::nullopt;
    }
    const int chosen = button - kFirstId;
    return chosen >= 0 && chosen < count ? chosen : defaultAnswer;
}

std::string WithoutAmpersands(const std::string& label) {
    std::string text;
    for (const char c : label) {
        if (c != '&') {
            text += c;
        }
    }
    return text;
}

}  // namespace

bool AskYesNo(HWND owner, const std::string& question) {
    if (const std::optional<int> answer =
            TaskDialogChoice(owner, Wide(question), {"&Yes", "&No"}, 1, nullptr)) {
        return *answer == 0;
    }
    // A message box with Yes and No takes no Escape: it answers only with a button.
    return CentredMessageBox(owner, question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

int AskChoice(HWND owner, const std::string& question, const std::vector<std::string>& answers,
              int defaultAnswer) {
    const int count = static_cast<int>(answers.size());
    if (defaultAnswer < 0 || defaultAnswer >= count) {
        defaultAnswer = count - 1;
    }
    const std::wstring text = Wide(question);
    if (const std::optional<int> answer =
            TaskDialogChoice(owner, text, answers, defaultAnswer, TD_WARNING_ICON)) {
        return *answer;
    }
    // Without task dialogs the buttons are Yes, No and Cancel (or OK and Cancel), and the
    // text says which stands for what.
    static const int kThree[] = {IDYES, IDNO, IDCANCEL};
    static const int kTwo[] = {IDOK, IDCANCEL};
    static const char* const kThreeNames[] = {"Yes", "No", "Cancel"};
    static const char* const kTwoNames[] = {"OK", "Cancel"};
    const bool three = count > 2;
    std::string full = question + "\n";
    for (int i = 0; i < count && i < 3; ++i) {
        full += '\n';
        full += three ? kThreeNames[i] : kTwoNames[i];
        full += ": ";
        full += WithoutAmpersands(answers[static_cast<std::size_t>(i)]);
    }
    const UINT defaults[] = {MB_DEFBUTTON1, MB_DEFBUTTON2, MB_DEFBUTTON3};
    const int result = CentredMessageBox(owner, full,
                                         (three ? MB_YESNOCANCEL : MB_OKCANCEL) | MB_ICONWARNING |
                                             defaults[std::min(defaultAnswer, 2)]);
    // Escape gives Cancel, the last button.
    for (int i = 0; i < count && i < 3; ++i) {
        if (result == (three ? kThree[i] : kTwo[i])) {
            return i;
        }
    }
    return defaultAnswer;
}

void StretchingChildren::Capture(HWND dialog, HWND table) {
    RECT client{};
    ::GetClientRect(dialog, &client);
    base_ = {client.right, client.bottom};
    RECT window{};
    ::GetWindowRect(dialog, &window);
    minTrack_ = {window.right - window.left, window.bottom - window.top};
    children_.clear();
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        const Box box{r.left, r.top, r.right - r.left, r.bottom - r.top};
        children_.emplace_back(child, box);
        if (child == table) {
            table_ = box;
        }
    }
}

void StretchingChildren::Apply(HWND dialog) const {
    RECT client{};
    ::GetClientRect(dialog, &client);
    const int dx = std::max(0L, client.right - base_.cx);
    const int dy = std::max(0L, client.bottom - base_.cy);
    HDWP moves = ::BeginDeferWindowPos(static_cast<int>(children_.size()));
    for (const auto& [child, box] : children_) {
        const Box r = Stretched(box, table_, dx, dy);
        if (moves != nullptr) {
            moves = ::DeferWindowPos(moves, child, nullptr, r.x, r.y, r.width, r.height,
                                     SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (moves != nullptr) {
        ::EndDeferWindowPos(moves);
    }
    ::InvalidateRect(dialog, nullptr, TRUE);
}

void StretchingChildren::LimitTracking(MINMAXINFO& info) const {
    if (minTrack_.cx > 0) {
        info.ptMinTrackSize = {minTrack_.cx, minTrack_.cy};
    }
}

std::wstring FromCp1252(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        text += static_cast<wchar_t>(Cp1252ToUnicode(static_cast<unsigned char>(b)));
    }
    return text;
}

std::string ToCp1252(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t c : text) {
        const std::optional<unsigned char> byte = UnicodeToCp1252(c);
        bytes += static_cast<char>(byte ? *byte : '?');
    }
    return bytes;
}

void ShowShortcutsInMenu(HMENU menu, std::span<const Shortcut> table) {
    for (const Shortcut& shortcut : table) {
        const auto id = static_cast<UINT>(shortcut.command);
        wchar_t text[128] = {};
        if (menu == nullptr || ::GetMenuStringW(menu, id, text, 128, MF_BYCOMMAND) <= 0) {
            continue;
        }
        std::wstring shown = text;
        shown += L'\t';
        shown += Wide(shortcut.shown);
        ::ModifyMenuW(menu, id, MF_BYCOMMAND | MF_STRING, id, shown.c_str());
    }
}

}  // namespace zrb::win32
