#include "editor/win32/FleetDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "editor/ControlIds.h"
#include "editor/FleetChange.h"
#include "editor/Shortcuts.h"
#include "platform/win32/Wide.h"

namespace ids = zrb::ids;
using zrb::win32::Utf8;
using zrb::win32::Wide;

namespace zrb::win32 {

namespace {

constexpr int kCompareTemplate = IDD_COMPARE;
constexpr UINT_PTR kTimer = 1;
// How often the rows read so far are taken while reading.
constexpr UINT kTimerMs = 50;
constexpr COLORREF kMarked =
    RGB(zrb::kFleetMarkColour.red, zrb::kFleetMarkColour.green, zrb::kFleetMarkColour.blue);
// A light blue for what differs from the reference folder; "~" in the text says the same.
constexpr COLORREF kDiffers = RGB(zrb::kFleetReferenceColour.red, zrb::kFleetReferenceColour.green,
                                  zrb::kFleetReferenceColour.blue);
// Posted by the in-place editor when it ends; wParam: whether to commit.
constexpr UINT kEditorEnded = WM_APP + 1;
constexpr UINT_PTR kSubclass = 1;

// Ctrl+Z and Ctrl+Y anywhere in the overview but in an edit box, which keeps them for
// its own typing. A modal dialog's loop translates no accelerators, but it hands every
// message to the thread's message filter first.
HHOOK undoKeysHook = nullptr;
HWND undoKeysDialog = nullptr;

LRESULT CALLBACK UndoKeys(int code, WPARAM wParam, LPARAM lParam) {
    const MSG& message = *reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message.message == WM_KEYDOWN && ::GetKeyState(VK_SHIFT) >= 0 &&
        ::GetKeyState(VK_MENU) >= 0 &&
        (message.hwnd == undoKeysDialog || ::IsChild(undoKeysDialog, message.hwnd))) {
        const bool control = ::GetKeyState(VK_CONTROL) < 0;
        for (const zrb::Shortcut& shortcut : zrb::kFleetShortcuts) {
            if (shortcut.control != control || shortcut.letter == 0 ||
                message.wParam != static_cast<WPARAM>(shortcut.letter)) {
                continue;
            }
            wchar_t kind[16] = {};
            ::GetClassNameW(message.hwnd, kind, 16);
            if (::lstrcmpiW(kind, L"Edit") != 0) {
                ::PostMessageW(undoKeysDialog, WM_COMMAND, static_cast<WPARAM>(shortcut.command),
                               0);
                return 1;
            }
        }
    }
    return ::CallNextHookEx(undoKeysHook, code, wParam, lParam);
}

// Copies `text` into a buffer the list view gave, cut to its size.
void CopyInto(const std::wstring& text, wchar_t* buffer, int size) {
    if (buffer == nullptr || size <= 0) {
        return;
    }
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::copy_n(text.c_str(), n, buffer);
    buffer[n] = L'\0';
}

std::wstring TextOf(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

int DialogUnitsAcross(HWND dialog, int units) {
    RECT r{0, 0, units, 0};
    ::MapDialogRect(dialog, &r);
    return r.right;
}

// A report view's column: at least `units` dialog units, and wide enough for its title.
void AddColumn(HWND dialog, HWND list, int index, const std::wstring& title, int units,
               bool right) {
    const int titleWidth = static_cast<int>(
        ::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(title.c_str())));
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = right && index > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = std::max(DialogUnitsAcross(dialog, units), titleWidth + 20);
    column.pszText = const_cast<wchar_t*>(title.c_str());
    column.iSubItem = index;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&column));
}

void SetReportStyle(HWND list) {
    const LPARAM extended =
        LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP;
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
}

enum class CellLook { Plain, Marked, Unreadable, Current, Differs };

// Colours each cell as `look` says, in a list view's custom draw.
template <typename Look>
LRESULT CustomDraw(NMLVCUSTOMDRAW& draw, Look look) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            draw.clrText = ::GetSysColor(COLOR_WINDOWTEXT);
            draw.clrTextBk = ::GetSysColor(COLOR_WINDOW);
            switch (look(static_cast<int>(draw.nmcd.dwItemSpec), draw.iSubItem)) {
                case CellLook::Marked:
                    draw.clrText = RGB(0, 0, 0);
                    draw.clrTextBk = kMarked;
                    break;
                case CellLook::Unreadable:
                    draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
                    break;
                case CellLook::Differs:
                    draw.clrText = RGB(0, 0, 0);
                    draw.clrTextBk = kDiffers;
                    break;
                case CellLook::Current:
                    // The cell F2 edits stands out of its selected row: drawn unselected.
                    draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
                    break;
                case CellLook::Plain:
                    break;
            }
            return CDRF_NEWFONT;
        default:
            return CDRF_DODEFAULT;
    }
}

// The models side by side.
class CCompareDlg final : public zrb::win32::Dialog {
  public:
    explicit CCompareDlg(const zrb::FleetComparison& comparison) : comparison_(comparison) {}

  protected:
    bool OnInitDialog() override {
        HWND list = Item(ids::kCompareTable);
        SetReportStyle(list);
        AddColumn(hwnd(), list, 0, L"", 90, false);
        for (std::size_t m = 0; m < comparison_.models.size(); ++m) {
            AddColumn(hwnd(), list, static_cast<int>(m + 1), Wide(comparison_.models[m]), 100,
                      true);
        }
        for (std::size_t line = 0; line < comparison_.lines.size(); ++line) {
            const zrb::FleetComparison::Line& l = comparison_.lines[line];
            std::wstring label = Wide(l.label);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(line);
            item.pszText = label.data();
            ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            for (std::size_t m = 0; m < l.cells.size(); ++m) {
                std::wstring text = Wide(l.cells[m]);
                item.iSubItem = static_cast<int>(m + 1);
                item.pszText = text.data();
                ::SendMessageW(list, LVM_SETITEMTEXTW, line, reinterpret_cast<LPARAM>(&item));
            }
        }
        stretching_.Capture(hwnd(), list);
        ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL,
                       ::SendMessageW(::GetParent(hwnd()), WM_GETICON, ICON_SMALL, 0));
        return true;
    }

    bool OnCommand(int id, int /*code*/, HWND /*control*/) override {
        if (id == IDOK || id == IDCANCEL) {
            End(id);
            return true;
        }
        return false;
    }

    bool OnMessage(UINT message, WPARAM /*wParam*/, LPARAM lParam, INT_PTR& result) override {
        if (message == WM_SIZE) {
            stretching_.Apply(hwnd());
            return false;
        }
        if (message == WM_GETMINMAXINFO) {
            stretching_.LimitTracking(*reinterpret_cast<MINMAXINFO*>(lParam));
            result = 0;
            return true;
        }
        if (message == WM_NOTIFY) {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->idFrom == static_cast<UINT_PTR>(ids::kCompareTable) &&
                header->code == NM_CUSTOMDRAW) {
                if (DrawLeftAligned(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam))) {
                    result = CDRF_SKIPDEFAULT;
                    return true;
                }
                result = CustomDraw(
                    *reinterpret_cast<NMLVCUSTOMDRAW*>(lParam), [this](int line, int column) {
                        return column > 0 && comparison_.lines[static_cast<std::size_t>(line)]
                                                 .differs[static_cast<std::size_t>(column - 1)]
                                   ? CellLook::Marked
                                   : CellLook::Plain;
                    });
                return true;
            }
        }
        return false;
    }

  private:
    // A list view aligns whole columns, and the models' columns are right-aligned for
    // the numbers: a line aligned left (the description) is drawn here. True when done.
    bool DrawLeftAligned(NMLVCUSTOMDRAW& draw) const {
        const auto line = static_cast<std::size_t>(draw.nmcd.dwItemSpec);
        if (draw.nmcd.dwDrawStage != (CDDS_ITEMPREPAINT | CDDS_SUBITEM) || draw.iSubItem <= 0 ||
            line >= comparison_.lines.size() || comparison_.lines[line].rightAligned) {
            return false;
        }
        const zrb::FleetComparison::Line& l = comparison_.lines[line];
        const auto m = static_cast<std::size_t>(draw.iSubItem - 1);
        HWND list = draw.nmcd.hdr.hwndFrom;
        RECT cell{};
        cell.top = draw.iSubItem;
        cell.left = LVIR_LABEL;
        ::SendMessageW(list, LVM_GETSUBITEMRECT, line, reinterpret_cast<LPARAM>(&cell));
        const bool selected = ::SendMessageW(list, LVM_GETITEMSTATE, line, LVIS_SELECTED) != 0;
        COLORREF back = selected ? ::GetSysColor(COLOR_HIGHLIGHT) : ::GetSysColor(COLOR_WINDOW);
        COLORREF text =
            selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : ::GetSysColor(COLOR_WINDOWTEXT);
        if (!selected && l.differs[m]) {
            back = kMarked;
            text = RGB(0, 0, 0);
        }
        HDC dc = draw.nmcd.hdc;
        HBRUSH brush = ::CreateSolidBrush(back);
        ::FillRect(dc, &cell, brush);
        ::DeleteObject(brush);
        HGDIOBJ font =
            ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(list, WM_GETFONT, 0, 0)));
        ::SetTextColor(dc, text);
        ::SetBkMode(dc, TRANSPARENT);
        const std::wstring shown = Wide(l.cells[m]);
        RECT inner = cell;
        inner.left += 6;  // as far in as the list view puts its own text
        inner.right -= 6;
        ::DrawTextW(dc, shown.c_str(), -1, &inner,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        ::SelectObject(dc, font);
        return true;
    }

    const zrb::FleetComparison& comparison_;
    zrb::win32::StretchingChildren stretching_;
};

}  // namespace

CFleetDlg::CFleetDlg(zrb::EditorController& editor, std::wstring& lastFolder)
    : controller_(*this, editor), lastFolder_(lastFolder) {}

HWND CFleetDlg::Table() const {
    return Item(ids::kFleetTable);
}

bool CFleetDlg::OnInitDialog() {
    HWND list = Table();
    SetReportStyle(list);
    for (int c = 0; c < zrb::kFleetColumns; ++c) {
        const zrb::FleetColumnLook look = zrb::FleetColumnLookOf(c);
        AddColumn(hwnd(), list, c, Wide(look.title), look.width,
                  look.alignment == zrb::CellAlignment::Right);
    }
    ::SetWindowSubclass(list, &CFleetDlg::TableProc, kSubclass, reinterpret_cast<DWORD_PTR>(this));
    undoKeysDialog = hwnd();
    undoKeysHook = ::SetWindowsHookExW(WH_MSGFILTER, &UndoKeys, nullptr, ::GetCurrentThreadId());
    ShowShortcutsInMenu(::GetMenu(hwnd()), zrb::kFleetShortcuts);
    ShowHistory({}, -1);
    HWND sortBy = Item(ids::kFleetSortBy);
    for (int c = 0; c < zrb::kFleetColumns; ++c) {
        const std::wstring title = Wide(zrb::FleetColumnTitle(c));
        ::SendMessageW(sortBy, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
    }
    stretching_.Capture(hwnd(), list);
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL,
                   ::SendMessageW(::GetParent(hwnd()), WM_GETICON, ICON_SMALL, 0));
    controller_.OnShow();
    ::SetTimer(hwnd(), kTimer, kTimerMs, nullptr);
    ::SetFocus(list);
    return false;
}

bool CFleetDlg::OnCommand(int id, int code, HWND /*control*/) {
    switch (id) {
        case IDOK:  // Enter
        case ids::kFleetOpen: {
            const int row = CurrentRow();
            if (row >= 0) {
                controller_.OnEnter(row);
            }
            return true;
        }
        case ids::kFleetUndo:
        case ids::kFleetRedo:
            // A menu leaves the focus where it is: an open cell edit is dropped, as the
            // rows it was over may change.
            CloseEditor(false);
            if (id == ids::kFleetUndo) {
                controller_.OnUndo();
            } else {
                controller_.OnRedo();
            }
            return true;
        case ids::kFleetCompare:
            controller_.OnCompare(SelectedRows());
            return true;
        case ids::kFleetExport:
            controller_.OnExport();
            return true;
        case IDCANCEL:  // Escape, Close and the close box
            if (controller_.OnCloseRequested()) {
                End(IDCANCEL);
            }
            return true;
        case ids::kFleetChange:
            controller_.OnChange(SelectedRows());
            return true;
        case ids::kFleetCompareFolder:
            controller_.OnCompareFolder();
            return true;
        case ids::kFleetOnlyChanged:
            if (code == BN_CLICKED) {
                controller_.OnOnlyChanged(::IsDlgButtonChecked(hwnd(), ids::kFleetOnlyChanged) ==
                                          BST_CHECKED);
            }
            return true;
        case ids::kFleetSortBy:
        case ids::kFleetDescending: {
            if ((id == ids::kFleetSortBy && code != CBN_SELCHANGE) ||
                (id == ids::kFleetDescending && code != BN_CLICKED)) {
                return true;
            }
            const LRESULT column = ::SendMessageW(Item(ids::kFleetSortBy), CB_GETCURSEL, 0, 0);
            const bool descending =
                ::IsDlgButtonChecked(hwnd(), ids::kFleetDescending) == BST_CHECKED;
            if (column >= 0) {
                controller_.OnSortChosen(static_cast<int>(column), !descending);
            }
            return true;
        }
        case ids::kFleetFilter:
            if (code == EN_CHANGE) {
                controller_.OnFilterEdited(Utf8(ItemText(ids::kFleetFilter)));
            }
            return true;
        default:
            return false;
    }
}

bool CFleetDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
        case WM_TIMER:
            // It ticks while the window is open: reading first, then any long undo or redo.
            if (wParam == kTimer) {
                controller_.OnTimer();
            }
            result = 0;
            return true;
        case kEditorEnded:
            CloseEditor(wParam != 0);
            result = 0;
            return true;
        case WM_SIZE:
            stretching_.Apply(hwnd());
            return false;
        case WM_GETMINMAXINFO:
            stretching_.LimitTracking(*reinterpret_cast<MINMAXINFO*>(lParam));
            result = 0;
            return true;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<NMHDR*>(lParam), result);
        case WM_DESTROY:
            ::KillTimer(hwnd(), kTimer);
            ::RemoveWindowSubclass(Table(), &CFleetDlg::TableProc, kSubclass);
            ::UnhookWindowsHookEx(undoKeysHook);
            undoKeysHook = nullptr;
            undoKeysDialog = nullptr;
            return false;
        default:
            return false;
    }
}

bool CFleetDlg::OnNotify(NMHDR& header, INT_PTR& result) {
    if (header.idFrom != static_cast<UINT_PTR>(ids::kFleetTable)) {
        return false;
    }
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            auto& info = *reinterpret_cast<NMLVDISPINFOW*>(&header);
            if ((info.item.mask & LVIF_TEXT) != 0 && info.item.iItem < controller_.RowCount()) {
                cellText_ = Wide(controller_.CellText(info.item.iItem, info.item.iSubItem));
                CopyInto(cellText_, info.item.pszText, info.item.cchTextMax);
            }
            result = 0;
            return true;
        }
        case LVN_GETINFOTIPW: {
            auto& tip = *reinterpret_cast<NMLVGETINFOTIPW*>(&header);
            if (tip.iItem >= 0 && tip.iItem < controller_.RowCount()) {
                tipText_ = Wide(controller_.CellTooltip(tip.iItem, tip.iSubItem));
                CopyInto(tipText_, tip.pszText, tip.cchTextMax);
            }
            result = 0;
            return true;
        }
        case LVN_KEYDOWN:
            // Ctrl+A selects every row, as lists elsewhere do; the control has no key for it.
            if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == 'A' &&
                ::GetKeyState(VK_CONTROL) < 0) {
                LVITEMW all{};
                all.stateMask = LVIS_SELECTED;
                all.state = LVIS_SELECTED;
                ::SendMessageW(Table(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(&all));
            }
            result = 0;
            return true;
        case LVN_COLUMNCLICK:
            controller_.OnHeaderClicked(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            result = 0;
            return true;
        case NM_CLICK:
        case NM_DBLCLK: {
            const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
            if (click.iItem >= 0 && click.iSubItem >= 0) {
                column_ = click.iSubItem;
                ::InvalidateRect(Table(), nullptr, FALSE);
                if (header.code == NM_DBLCLK) {
                    controller_.OnDoubleClick(click.iItem, click.iSubItem);
                }
            }
            result = 0;
            return true;
        }
        case NM_CUSTOMDRAW:
            result = CustomDraw(
                *reinterpret_cast<NMLVCUSTOMDRAW*>(&header), [this](int row, int column) {
                    if (row >= controller_.RowCount()) {
                        return CellLook::Plain;
                    }
                    if (controller_.CellDiffers(row, column)) {
                        return CellLook::Differs;
                    }
                    if (!controller_.Row(row).read || controller_.RowMissing(row)) {
                        return CellLook::Unreadable;
                    }
                    if (column == column_ && row == CurrentRow() && ::GetFocus() == Table()) {
                        return CellLook::Current;
                    }
                    return controller_.CellMarked(row, column) ? CellLook::Marked : CellLook::Plain;
                });
            return true;
        default:
            return false;
    }
}

void CFleetDlg::RowsChanged() {
    HWND list = Table();
    // The rows' order changes, so a selection would point at other models.
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&none));
    ::SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(controller_.RowCount()),
                   LVSICF_NOSCROLL);
    ::InvalidateRect(list, nullptr, FALSE);
    if (controller_.reference() && !nameWidened_) {
        nameWidened_ = true;
        const LRESULT width = ::SendMessageW(list, LVM_GETCOLUMNWIDTH, zrb::kFleetNameColumn, 0);
        ::SendMessageW(list, LVM_SETCOLUMNWIDTH, zrb::kFleetNameColumn,
                       width + DialogUnitsAcross(hwnd(), 48));
    }
}

void CFleetDlg::SetStatus(const std::string& text) {
    SetItemText(ids::kFleetStatus, Wide(text));
}

void CFleetDlg::ShowSortColumn(int column, bool ascending) {
    // Neither message notifies: what the user chose is not chosen again.
    ::SendMessageW(Item(ids::kFleetSortBy), CB_SETCURSEL, static_cast<WPARAM>(column), 0);
    ::CheckDlgButton(hwnd(), ids::kFleetDescending,
                     column >= 0 && !ascending ? BST_CHECKED : BST_UNCHECKED);
    HWND header = reinterpret_cast<HWND>(::SendMessageW(Table(), LVM_GETHEADER, 0, 0));
    for (int c = 0; c < zrb::kFleetColumns; ++c) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ::SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(c),
                       reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (c == column) {
            item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
        }
        ::SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(c),
                       reinterpret_cast<LPARAM>(&item));
    }
}

void CFleetDlg::ShowComparison(const zrb::FleetComparison& comparison) {
    CCompareDlg compare(comparison);
    compare.DoModal(kCompareTemplate, hwnd());
}

bool CFleetDlg::AskYesNo(const std::string& question) {
    return zrb::win32::AskYesNo(hwnd(), question);
}

void CFleetDlg::MessageBox(const std::string& text, zrb::MessageIcon icon) {
    zrb::win32::ShowMessage(hwnd(), text, icon);
}

zrb::FileDialogAnswer CFleetDlg::FileDialog(const zrb::FileDialogRequest& request) {
    return zrb::win32::ShowFileDialog(hwnd(), request, lastFolder_);
}

void CFleetDlg::Close() {
    End(IDOK);
}

std::vector<int> CFleetDlg::SelectedRows() const {
    std::vector<int> rows;
    HWND list = Table();
    for (LRESULT row = -1; (row = ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                 LVNI_SELECTED)) >= 0;) {
        rows.push_back(static_cast<int>(row));
    }
    return rows;
}

int CFleetDlg::CurrentRow() const {
    HWND list = Table();
    LRESULT row = ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                 LVNI_FOCUSED | LVNI_SELECTED);
    if (row < 0) {
        row = ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    }
    return static_cast<int>(row);
}

void CFleetDlg::MoveCurrentColumn(int by) {
    column_ = std::clamp(column_ + by, 0, zrb::kFleetColumns - 1);
    HWND list = Table();
    const int row = std::max(CurrentRow(), 0);
    RECT cell{};
    cell.top = column_;
    cell.left = LVIR_LABEL;
    if (::SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&cell)) != 0) {
        RECT client{};
        ::GetClientRect(list, &client);
        const int dx = cell.left < 0 ? cell.left : std::max(0L, cell.right - client.right);
        if (dx != 0) {
            ::SendMessageW(list, LVM_SCROLL, static_cast<WPARAM>(dx), 0);
        }
    }
    ::InvalidateRect(list, nullptr, FALSE);
}

void CFleetDlg::EditCell(int row, int column, const std::string& text) {
    OpenEditor(row, column, Wide(text), true);
}

void CFleetDlg::OpenEditor(int row, int column, const std::wstring& text, bool selectAll) {
    CloseEditor(false);
    HWND list = Table();
    ShowCell(row, column);
    RECT cell{};
    cell.top = column;
    cell.left = LVIR_LABEL;
    ::SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&cell));
    const bool right = zrb::FleetColumnLookOf(column).alignment == zrb::CellAlignment::Right;
    editor_ = ::CreateWindowExW(
        0, L"EDIT", text.c_str(),
        WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | (right ? ES_RIGHT : ES_LEFT),
        cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top + 2, list, nullptr,
        ::GetModuleHandleW(nullptr), nullptr);
    if (editor_ == nullptr) {
        return;
    }
    editRow_ = row;
    editColumn_ = column;
    editorClosing_ = false;
    ::SendMessageW(editor_, WM_SETFONT, ::SendMessageW(list, WM_GETFONT, 0, 0), FALSE);
    ::SetWindowSubclass(editor_, &CFleetDlg::EditorProc, kSubclass,
                        reinterpret_cast<DWORD_PTR>(this));
    const auto length = static_cast<LPARAM>(text.size());
    ::SendMessageW(editor_, EM_SETSEL, selectAll ? 0 : static_cast<WPARAM>(length), length);
    ::SetFocus(editor_);
}

void CFleetDlg::CloseEditor(bool commit) {
    if (editor_ == nullptr) {
        return;
    }
    HWND editor = std::exchange(editor_, nullptr);
    const std::string text = Utf8(TextOf(editor));
    const bool hadFocus = ::GetFocus() == editor;
    ::RemoveWindowSubclass(editor, &CFleetDlg::EditorProc, kSubclass);
    if (hadFocus) {
        ::SetFocus(Table());
    }
    ::DestroyWindow(editor);
    if (commit) {
        controller_.OnCellEdited(editRow_, editColumn_, text);
    }
}

LRESULT CALLBACK CFleetDlg::TableProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR /*id*/, DWORD_PTR self) {
    auto& dialog = *reinterpret_cast<CFleetDlg*>(self);
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    switch (message) {
        case WM_KEYDOWN:
            if ((wParam == VK_LEFT || wParam == VK_RIGHT) && !control) {
                dialog.MoveCurrentColumn(wParam == VK_LEFT ? -1 : 1);
                return 0;
            }
            if (wParam == VK_F2) {
                const int row = dialog.CurrentRow();
                if (dialog.controller_.CellEditable(row, dialog.column_)) {
                    dialog.OpenEditor(row, dialog.column_,
                                      Wide(dialog.controller_.EditText(row, dialog.column_)), true);
                }
                return 0;
            }
            break;
        case WM_CHAR: {
            // Typing into a cell that can be edited starts its editor with what was typed.
            const int row = dialog.CurrentRow();
            if (wParam >= 0x20 && wParam != 0x7F && !control &&
                dialog.controller_.CellEditable(row, dialog.column_)) {
                dialog.OpenEditor(row, dialog.column_,
                                  std::wstring(1, static_cast<wchar_t>(wParam)), false);
                return 0;
            }
            break;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            ::InvalidateRect(window, nullptr, FALSE);  // the current cell shows with focus
            break;
        case WM_VSCROLL:
        case WM_HSCROLL:
        case WM_MOUSEWHEEL:
            // The editor would stay where the cell was.
            dialog.CloseEditor(true);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK CFleetDlg::EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR /*id*/, DWORD_PTR self) {
    auto& dialog = *reinterpret_cast<CFleetDlg*>(self);
    // Its end is posted: the commit may ask a question, which must not run inside the
    // editor's own key or focus handling.
    const auto end = [&dialog](bool commit) {
        if (!dialog.editorClosing_) {
            dialog.editorClosing_ = true;
            ::PostMessageW(dialog.hwnd(), kEditorEnded, commit ? 1 : 0, 0);
        }
    };
    switch (message) {
        case WM_GETDLGCODE:
            // Enter and Escape are the editor's, not the dialog's OK and Cancel.
            return ::DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
                end(wParam == VK_RETURN);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == '\r' || wParam == 0x1B) {
                return 0;  // no beep
            }
            break;
        case WM_KILLFOCUS:
            end(true);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

void CFleetDlg::ShowHistory(const std::vector<std::string>& lines, int current) {
    HWND list = Item(ids::kFleetHistory);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : lines) {
        const std::wstring text = Wide(line);
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
    HMENU menu = ::GetMenu(hwnd());
    ::EnableMenuItem(menu, ids::kFleetUndo,
                     MF_BYCOMMAND | (controller_.CanUndo() ? MF_ENABLED : MF_GRAYED));
    ::EnableMenuItem(menu, ids::kFleetRedo,
                     MF_BYCOMMAND | (controller_.CanRedo() ? MF_ENABLED : MF_GRAYED));
}

int CFleetDlg::Ask(const std::string& question, const std::vector<std::string>& answers,
                   int defaultAnswer) {
    return zrb::win32::AskChoice(hwnd(), question, answers, defaultAnswer);
}

void CFleetDlg::ShowCell(int row, int column) {
    HWND list = Table();
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&state));
    ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    column_ = column < 0 ? column_ : column;
    MoveCurrentColumn(0);
}

namespace {

constexpr int kChangeTemplate = IDD_CHANGE;
// How often the preview reads on while models are left.
constexpr UINT kChangeTimerMs = 10;

// The change of many models: template IDD_CHANGE over a FleetChangeController; OK is Apply.
class CChangeDlg final : public zrb::win32::Dialog, public zrb::FleetChangeView {
  public:
    explicit CChangeDlg(zrb::FleetChangeController& change) : change_(change) {}
    ~CChangeDlg() override { change_.SetView(nullptr); }
    CChangeDlg(const CChangeDlg&) = delete;
    CChangeDlg& operator=(const CChangeDlg&) = delete;

    void StartTimer() override { ::SetTimer(hwnd(), kTimer, kChangeTimerMs, nullptr); }

    void PreviewChanged() override {
        HWND list = Item(ids::kChangePreview);
        ::SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(change_.PreviewCount()), 0);
        ::InvalidateRect(list, nullptr, FALSE);
        SetItemText(ids::kChangeHint, Wide(change_.Hint()));
        SetItemText(ids::kChangeSummary, Wide(change_.Summary()));
        ::EnableWindow(Item(ids::kChangeValue), change_.ValueUsed() ? TRUE : FALSE);
        ::EnableWindow(Item(ids::kChangeSource), change_.SourceUsed() ? TRUE : FALSE);
        ::EnableWindow(Item(IDOK), change_.CanApply() ? TRUE : FALSE);
    }

  protected:
    bool OnInitDialog() override {
        HWND operation = Item(ids::kChangeOperation);
        for (const std::string& name : zrb::FleetChangeController::OperationNames()) {
            ::SendMessageW(operation, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(Wide(name).c_str()));
        }
        ::SendMessageW(operation, CB_SETCURSEL, static_cast<WPARAM>(change_.operation()), 0);
        HWND fields = Item(ids::kChangeFields);
        for (const std::string& name : zrb::FleetChangeController::FieldNames()) {
            ::SendMessageW(fields, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
        }
        for (const int field : change_.fields()) {
            ::SendMessageW(fields, LB_SETSEL, TRUE, static_cast<LPARAM>(field));
            ::SendMessageW(fields, LB_SETCARETINDEX, static_cast<WPARAM>(field), FALSE);
        }
        HWND source = Item(ids::kChangeSource);
        for (const std::string& name : change_.SourceNames()) {
            ::SendMessageW(source, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
        }
        ::SendMessageW(source, CB_SETCURSEL, static_cast<WPARAM>(change_.source()), 0);
        HWND list = Item(ids::kChangePreview);
        SetReportStyle(list);
        const int units[] = {70, 60, 45, 45, 220};
        for (int c = 0; c < zrb::FleetChangeController::kPreviewColumns; ++c) {
            AddColumn(hwnd(), list, c, Wide(zrb::FleetChangeController::PreviewTitle(c)), units[c],
                      false);
        }
        stretching_.Capture(hwnd(), list);
        ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL,
                       ::SendMessageW(::GetParent(hwnd()), WM_GETICON, ICON_SMALL, 0));
        change_.SetView(this);
        PreviewChanged();
        ::SetFocus(operation);
        return false;
    }

    bool OnCommand(int id, int code, HWND /*control*/) override {
        switch (id) {
            case IDOK:
                if (change_.CanApply()) {
                    End(IDOK);
                }
                return true;
            case IDCANCEL:
                End(IDCANCEL);
                return true;
            case ids::kChangeOperation:
                if (code == CBN_SELCHANGE) {
                    change_.OnOperationChosen(static_cast<int>(
                        ::SendMessageW(Item(ids::kChangeOperation), CB_GETCURSEL, 0, 0)));
                }
                return true;
            case ids::kChangeSource:
                if (code == CBN_SELCHANGE) {
                    change_.OnSourceChosen(static_cast<int>(
                        ::SendMessageW(Item(ids::kChangeSource), CB_GETCURSEL, 0, 0)));
                }
                return true;
            case ids::kChangeFields:
                if (code == LBN_SELCHANGE) {
                    HWND fields = Item(ids::kChangeFields);
                    const LRESULT count = ::SendMessageW(fields, LB_GETSELCOUNT, 0, 0);
                    std::vector<int> chosen(static_cast<std::size_t>(std::max<LRESULT>(count, 0)));
                    if (!chosen.empty()) {
                        ::SendMessageW(fields, LB_GETSELITEMS, chosen.size(),
                                       reinterpret_cast<LPARAM>(chosen.data()));
                    }
                    change_.OnFieldsChosen(chosen);
                }
                return true;
            case ids::kChangeValue:
                if (code == EN_CHANGE) {
                    change_.OnValueEdited(Utf8(ItemText(ids::kChangeValue)));
                }
                return true;
            default:
                return false;
        }
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        switch (message) {
            case WM_TIMER:
                if (wParam == kTimer && !change_.OnTimer()) {
                    ::KillTimer(hwnd(), kTimer);
                }
                result = 0;
                return true;
            case WM_DESTROY:
                ::KillTimer(hwnd(), kTimer);
                return false;
            case WM_SIZE:
                stretching_.Apply(hwnd());
                return false;
            case WM_GETMINMAXINFO:
                stretching_.LimitTracking(*reinterpret_cast<MINMAXINFO*>(lParam));
                result = 0;
                return true;
            case WM_NOTIFY: {
                auto& header = *reinterpret_cast<NMHDR*>(lParam);
                if (header.idFrom != static_cast<UINT_PTR>(ids::kChangePreview)) {
                    return false;
                }
                if (header.code == LVN_GETDISPINFOW) {
                    auto& info = *reinterpret_cast<NMLVDISPINFOW*>(&header);
                    if ((info.item.mask & LVIF_TEXT) != 0 &&
                        info.item.iItem < change_.PreviewCount()) {
                        cellText_ = Wide(change_.PreviewCell(info.item.iItem, info.item.iSubItem));
                        CopyInto(cellText_, info.item.pszText, info.item.cchTextMax);
                    }
                    result = 0;
                    return true;
                }
                if (header.code == NM_CUSTOMDRAW) {
                    result = CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(&header),
                                        [this](int row, int /*column*/) {
                                            return row < change_.PreviewCount() &&
                                                           change_.PreviewSkipped(row)
                                                       ? CellLook::Unreadable
                                                       : CellLook::Plain;
                                        });
                    return true;
                }
                return false;
            }
            default:
                return false;
        }
    }

  private:
    zrb::FleetChangeController& change_;
    zrb::win32::StretchingChildren stretching_;
    std::wstring cellText_;
};

}  // namespace

bool CFleetDlg::ShowChange(zrb::FleetChangeController& change) {
    CChangeDlg dialog(change);
    return dialog.DoModal(kChangeTemplate, hwnd()) == IDOK;
}

void CFleetDlg::SetReferenceStatus(const std::string& text) {
    SetItemText(ids::kFleetReferenceStatus, Wide(text));
}

void CFleetDlg::StartTimer() {
    ::SetTimer(hwnd(), kTimer, kTimerMs, nullptr);
}

}  // namespace zrb::win32
