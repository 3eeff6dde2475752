#include "editor/win32/FleetDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "editor/ControlIds.h"
#include "editor/FleetChange.h"
#include "platform/win32/Wide.h"

namespace ids = zrb::ids;
using zrb::win32::Utf8;
using zrb::win32::Wide;

namespace {

constexpr int kCompareTemplate = 132;
constexpr UINT_PTR kTimer = 1;
// How often the rows read so far are taken while reading.
constexpr UINT kTimerMs = 50;
// A light amber that dark text reads well on; the marker in the text carries the same.
constexpr COLORREF kMarked = RGB(255, 214, 153);
// A light blue for what differs from the reference folder; "~" in the text says the same.
constexpr COLORREF kDiffers = RGB(170, 208, 255);

// Copies `text` into a buffer the list view gave, cut to its size.
void CopyInto(const std::wstring& text, wchar_t* buffer, int size) {
    if (buffer == nullptr || size <= 0) {
        return;
    }
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::copy_n(text.c_str(), n, buffer);
    buffer[n] = L'\0';
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

enum class CellLook { Plain, Marked, Unreadable, Differs };

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
        const int units = c == zrb::kFleetNameColumn          ? 80
                          : c == zrb::kFleetDescriptionColumn ? 120
                                                              : 45;
        AddColumn(hwnd(), list, c, Wide(zrb::FleetColumnTitle(c)), units,
                  c >= zrb::kFleetFirstFieldColumn);
    }
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
            HWND list = Table();
            LRESULT row = ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                         LVNI_FOCUSED | LVNI_SELECTED);
            if (row < 0) {
                row = ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
            }
            if (row >= 0) {
                controller_.OnActivate(static_cast<int>(row));
            }
            return true;
        }
        case ids::kFleetCompare: {
            std::vector<int> rows;
            HWND list = Table();
            for (LRESULT row = -1;
                 (row = ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                       LVNI_SELECTED)) >= 0;) {
                rows.push_back(static_cast<int>(row));
            }
            controller_.OnCompare(rows);
            return true;
        }
        case ids::kFleetExport:
            controller_.OnExport();
            return true;
        case IDCANCEL:  // Escape, Close and the close box
            if (!controller_.OnCancel()) {
                End(IDCANCEL);
            }
            return true;
        case ids::kFleetChange: {
            std::vector<int> rows;
            HWND list = Table();
            for (LRESULT row = -1;
                 (row = ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                       LVNI_SELECTED)) >= 0;) {
                rows.push_back(static_cast<int>(row));
            }
            controller_.OnChange(rows);
            return true;
        }
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
            if (wParam == kTimer && !controller_.OnTimer()) {
                ::KillTimer(hwnd(), kTimer);
            }
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
        case NM_DBLCLK: {
            const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
            if (row >= 0) {
                controller_.OnActivate(row);
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

namespace {

constexpr int kChangeTemplate = 140;
// How often the preview reads on while models are left.
constexpr UINT kChangeTimerMs = 10;

// The change of many models: template 140 over a FleetChangeController; OK is Apply.
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

bool CFleetDlg::Progress(std::size_t done, std::size_t total) {
    // The caption tells how far writing is, and Escape stops it; the window keeps being
    // drawn meanwhile. Other keys typed meanwhile are dropped.
    if (title_.empty()) {
        const int length = ::GetWindowTextLengthW(hwnd());
        title_.resize(static_cast<std::size_t>(length) + 1);
        title_.resize(
            static_cast<std::size_t>(::GetWindowTextW(hwnd(), title_.data(), length + 1)));
    }
    const std::size_t percent = total == 0 ? 100 : done * 100 / total;
    const std::wstring text =
        L"Writing motion models... " + std::to_wstring(percent) + L"% (Esc cancels) - " + title_;
    ::SetWindowTextW(hwnd(), text.c_str());
    MSG message;
    bool cancelled = false;
    while (::PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        cancelled = cancelled || (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE);
    }
    while (::PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
        ::DispatchMessageW(&message);
    }
    return !cancelled;
}

void CFleetDlg::ProgressEnded() {
    if (!title_.empty()) {
        ::SetWindowTextW(hwnd(), title_.c_str());
        title_.clear();
    }
}
