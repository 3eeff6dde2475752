#include "editor/win32/Dialog.h"

#include "model/Cp1252.h"

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
        return self->OnInitDialog() ? TRUE : FALSE;
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

}  // namespace zrb::win32
