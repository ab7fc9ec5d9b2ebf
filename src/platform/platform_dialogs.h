// platform_dialogs.h - the seam for the module's modal dialogs: a dialog from
// one of the module's templates, the operations its procedure makes on the
// controls (texts, check marks, report-view lists), window properties,
// subclassing, timers, centring and the messages it sends.
//
// platform/win32 calls the Windows functions of the same purpose;
// platform/sim runs the dialogs in the substitute host's model of them
// (hostsim/sim_dialogs.h), which builds them from the same templates.
#pragma once

#include "platform/platform.h"

// Windows calls dialog procedures, window procedures and list sort callbacks
// with its own calling convention; the core writes them with this mark.
#if defined(_WIN32) && defined(__i386__)
#define PLAT_CALLBACK __attribute__((stdcall))
#else
#define PLAT_CALLBACK
#endif

// DLGPROC: nonzero when the message was handled.
using PlatDialogProc = PlatResult(PLAT_CALLBACK*)(PlatWindow dialog, std::uint32_t message, PlatWParam wParam,
                                                  PlatLParam lParam);
// WNDPROC.
using PlatWindowProc = PlatResult(PLAT_CALLBACK*)(PlatWindow window, std::uint32_t message, PlatWParam wParam,
                                                  PlatLParam lParam);
// PFNLVCOMPARE: below 0 when a sorts before b. a and b are the rows' data.
using PlatListCompare = int(PLAT_CALLBACK*)(PlatLParam a, PlatLParam b, PlatLParam context);

// ---------------------------------------------------------------------------
// [SECTION] Messages, ids and notifications the dialogs use
// ---------------------------------------------------------------------------
enum : std::uint32_t {
    kMsgDestroy = 0x0002,
    kMsgClose = 0x0010,
    kMsgSetFont = 0x0030,
    kMsgNcDestroy = 0x0082,
    kMsgNcLButtonDown = 0x00A1,
    kMsgChar = 0x0102,
    kMsgSysKeyDown = 0x0104,
    kMsgSysKeyUp = 0x0105,
    kMsgSysCommand = 0x0112,
};
enum : int {
    kHitSystemMenu = 3,  // HTSYSMENU
    kIdOk = 1,           // IDOK
    kIdCancel = 2,       // IDCANCEL
};

// ---------------------------------------------------------------------------
// [SECTION] Dialogs
// ---------------------------------------------------------------------------
// A modal dialog from template `templateId` of the module's resources,
// owned by owner (null: none); param reaches the procedure with
// WM_INITDIALOG. Returns the result given to PlatEndDialog, -1 when the
// dialog could not be created.
PlatResult PlatDialogBox(PlatInstance instance, int templateId, PlatWindow owner, PlatDialogProc proc,
                         PlatLParam param);
void PlatEndDialog(PlatWindow dialog, PlatResult result);
// A sent message; returns the window procedure's answer.
PlatResult PlatSendMessage(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam);
PlatWindow PlatDialogItem(PlatWindow dialog, int id);  // null when there is no such control
PlatWindow PlatParentWindow(PlatWindow window);

// ---------------------------------------------------------------------------
// [SECTION] Controls
// ---------------------------------------------------------------------------
void PlatSetItemText(PlatWindow dialog, int id, const char* text);
// At most size - 1 characters into buf, always zero-terminated; the length.
std::size_t PlatItemText(PlatWindow dialog, int id, char* buf, std::size_t size);
void PlatSetItemChecked(PlatWindow dialog, int id, int checked);
int PlatItemChecked(PlatWindow dialog, int id);  // 1 checked, 0 not

// ---------------------------------------------------------------------------
// [SECTION] Placement
// ---------------------------------------------------------------------------
void PlatScreenSize(std::int32_t* width, std::int32_t* height);
// Outer size of the window in pixels; 0 when unknown.
int PlatWindowSize(PlatWindow window, std::int32_t* width, std::int32_t* height);
// Move the window's top-left corner to screen x, y; size and z-order kept.
void PlatMoveWindow(PlatWindow window, std::int32_t x, std::int32_t y);

// ---------------------------------------------------------------------------
// [SECTION] Properties, subclassing, timers
// ---------------------------------------------------------------------------
int PlatSetProperty(PlatWindow window, const char* name, PlatLParam value);  // 1 when set
PlatLParam PlatProperty(PlatWindow window, const char* name);                 // 0 when absent
void PlatRemoveProperty(PlatWindow window, const char* name);
// Give the window a new procedure; returns the one it had.
PlatWindowProc PlatSubclassWindow(PlatWindow window, PlatWindowProc proc);
PlatResult PlatCallWindowProc(PlatWindowProc proc, PlatWindow window, std::uint32_t message, PlatWParam wParam,
                              PlatLParam lParam);
// WM_TIMER with wParam id to the window every periodMs milliseconds.
void PlatSetTimer(PlatWindow window, std::uintptr_t id, std::uint32_t periodMs);

// ---------------------------------------------------------------------------
// [SECTION] Report-view lists (common controls list view)
// ---------------------------------------------------------------------------
void PlatListAddColumn(PlatWindow list, int column, const char* text, int widthPixels);
void PlatListClear(PlatWindow list);
// A row with its first column's text and its data at index row (the end
// when beyond it); the row's index, -1 on failure.
int PlatListInsertRow(PlatWindow list, int row, const char* text, PlatLParam data);
void PlatListSetText(PlatWindow list, int row, int column, const char* text);
int PlatListRowCount(PlatWindow list);
int PlatListSelectedCount(PlatWindow list);
int PlatListRowSelected(PlatWindow list, int row);  // 1 when the row's state has the selected bit
PlatLParam PlatListRowData(PlatWindow list, int row);
void PlatListSort(PlatWindow list, PlatListCompare compare, PlatLParam context);
