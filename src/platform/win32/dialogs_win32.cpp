// dialogs_win32.cpp - the dialog part of the platform seam on the real
// Win32 API and the common controls' list view. Each function is the
// Windows call it is named after.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "platform/platform_dialogs.h"

static_assert(sizeof(PlatDialogProc) == sizeof(DLGPROC), "dialog procedures are DLGPROCs");

template <typename To, typename From>
static To As(From from) {
    return reinterpret_cast<To>(from);
}

// [SECTION] Dialogs

// The list views of the key dialogs need the common controls' classes.
static void RegisterListViewClass() {
    static bool done = false;
    if (done) return;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    done = InitCommonControlsEx(&controls) != FALSE;
}

PlatResult PlatDialogBox(PlatInstance instance, int templateId, PlatWindow owner, PlatDialogProc proc,
                         PlatLParam param) {
    RegisterListViewClass();
    return DialogBoxParamA(As<HINSTANCE>(instance), MAKEINTRESOURCEA(templateId), As<HWND>(owner),
                           As<DLGPROC>(proc), param);
}

void PlatEndDialog(PlatWindow dialog, PlatResult result) {
    EndDialog(As<HWND>(dialog), result);
}

PlatResult PlatSendMessage(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam) {
    return SendMessageA(As<HWND>(window), message, wParam, lParam);
}

PlatWindow PlatDialogItem(PlatWindow dialog, int id) {
    return As<PlatWindow>(GetDlgItem(As<HWND>(dialog), id));
}

PlatWindow PlatParentWindow(PlatWindow window) {
    return As<PlatWindow>(GetParent(As<HWND>(window)));
}

// [SECTION] Controls

void PlatSetItemText(PlatWindow dialog, int id, const char* text) {
    SetDlgItemTextA(As<HWND>(dialog), id, text);
}

std::size_t PlatItemText(PlatWindow dialog, int id, char* buf, std::size_t size) {
    if (size == 0) return 0;
    buf[0] = 0;
    UINT n = GetDlgItemTextA(As<HWND>(dialog), id, buf, int(size));
    buf[n < size ? n : size - 1] = 0;
    return n < size ? n : size - 1;
}

void PlatSetItemChecked(PlatWindow dialog, int id, int checked) {
    CheckDlgButton(As<HWND>(dialog), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int PlatItemChecked(PlatWindow dialog, int id) {
    return IsDlgButtonChecked(As<HWND>(dialog), id) == BST_CHECKED ? 1 : 0;
}

// [SECTION] Placement

void PlatScreenSize(std::int32_t* width, std::int32_t* height) {
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

int PlatWindowSize(PlatWindow window, std::int32_t* width, std::int32_t* height) {
    RECT r;
    if (!GetWindowRect(As<HWND>(window), &r)) return 0;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return 1;
}

void PlatMoveWindow(PlatWindow window, std::int32_t x, std::int32_t y) {
    SetWindowPos(As<HWND>(window), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// [SECTION] Properties, subclassing, timers

int PlatSetProperty(PlatWindow window, const char* name, PlatLParam value) {
    return SetPropA(As<HWND>(window), name, As<HANDLE>(value)) ? 1 : 0;
}

PlatLParam PlatProperty(PlatWindow window, const char* name) {
    return As<PlatLParam>(GetPropA(As<HWND>(window), name));
}

void PlatRemoveProperty(PlatWindow window, const char* name) {
    RemovePropA(As<HWND>(window), name);
}

PlatWindowProc PlatSubclassWindow(PlatWindow window, PlatWindowProc proc) {
    return As<PlatWindowProc>(SetWindowLongPtrA(As<HWND>(window), GWLP_WNDPROC, As<LONG_PTR>(proc)));
}

PlatResult PlatCallWindowProc(PlatWindowProc proc, PlatWindow window, std::uint32_t message, PlatWParam wParam,
                              PlatLParam lParam) {
    return CallWindowProcA(As<WNDPROC>(proc), As<HWND>(window), message, wParam, lParam);
}

void PlatSetTimer(PlatWindow window, std::uintptr_t id, std::uint32_t periodMs) {
    SetTimer(As<HWND>(window), id, periodMs, nullptr);
}

// [SECTION] Report-view lists

void PlatListAddColumn(PlatWindow list, int column, const char* text, int widthPixels) {
    LVCOLUMNA c;
    std::memset(&c, 0, sizeof c);
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.pszText = const_cast<char*>(text);
    c.cx = widthPixels;
    SendMessageA(As<HWND>(list), LVM_INSERTCOLUMNA, WPARAM(column), As<LPARAM>(&c));
}

void PlatListClear(PlatWindow list) {
    SendMessageA(As<HWND>(list), LVM_DELETEALLITEMS, 0, 0);
}

int PlatListInsertRow(PlatWindow list, int row, const char* text, PlatLParam data) {
    LVITEMA item;
    std::memset(&item, 0, sizeof item);
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = const_cast<char*>(text);
    item.lParam = data;
    return int(SendMessageA(As<HWND>(list), LVM_INSERTITEMA, 0, As<LPARAM>(&item)));
}

void PlatListSetText(PlatWindow list, int row, int column, const char* text) {
    LVITEMA item;
    std::memset(&item, 0, sizeof item);
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(As<HWND>(list), LVM_SETITEMTEXTA, WPARAM(row), As<LPARAM>(&item));
}

int PlatListRowCount(PlatWindow list) {
    return int(SendMessageA(As<HWND>(list), LVM_GETITEMCOUNT, 0, 0));
}

int PlatListSelectedCount(PlatWindow list) {
    return int(SendMessageA(As<HWND>(list), LVM_GETSELECTEDCOUNT, 0, 0));
}

int PlatListRowSelected(PlatWindow list, int row) {
    return (SendMessageA(As<HWND>(list), LVM_GETITEMSTATE, WPARAM(row), LVIS_SELECTED) & LVIS_SELECTED) ? 1 : 0;
}

PlatLParam PlatListRowData(PlatWindow list, int row) {
    LVITEMA item;
    std::memset(&item, 0, sizeof item);
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(As<HWND>(list), LVM_GETITEMA, 0, As<LPARAM>(&item))) return 0;
    return item.lParam;
}

void PlatListSort(PlatWindow list, PlatListCompare compare, PlatLParam context) {
    SendMessageA(As<HWND>(list), LVM_SORTITEMS, WPARAM(context), As<LPARAM>(compare));
}
