// win_driver.cpp - the scenario host on real Windows. It plays the
// simulator's part for the real module DLL: its windows and menus, its
// message loop, the registry and files, and it records the message boxes
// the module shows (closing each at once, as a user clicking OK would).
#include "win_driver.h"

#include "hostsim/host_process.h"
#include "win_process.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "win_dialogs.h"

namespace {

constexpr char kModuleKey[] = "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0\\Skyvane";
constexpr int kMessageBoxTextId = 0xFFFF;

std::vector<ReceivedMessage> g_received;
std::vector<std::string> g_messageBoxes;
HHOOK g_cbtHook;

// The host's window procedure: all it needs to tell is what arrived.
LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    g_received.push_back(ReceivedMessage{hwnd, message});
    // The module's dialogs send this as they open; like the simulator, the
    // host does not open its system menu for it.
    if (message == WM_NCLBUTTONDOWN && wParam == HTSYSMENU) return NoteSystemMenuClick(), 0;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The common file dialogs carry a file name box (combo box 1148 or edit
// 1152); message boxes do not.
constexpr int kFileNameCombo = 1148;
constexpr int kFileNameEdit = 1152;

bool IsFileDialog(HWND dialog) {
    return GetDlgItem(dialog, kFileNameCombo) != nullptr || GetDlgItem(dialog, kFileNameEdit) != nullptr;
}

struct FileDialogAnswer {
    bool ok;
    std::string path;
};
std::deque<FileDialogAnswer> g_fileAnswers;
std::vector<HWND> g_answeredDialogs;

bool Answered(HWND dialog) {
    return std::find(g_answeredDialogs.begin(), g_answeredDialogs.end(), dialog) != g_answeredDialogs.end();
}

// A user at a file dialog: types the next queued path into the file name
// box and presses OK, or cancels when nothing is queued. A dialog that comes
// back after it was answered (it refused the name and showed why) is
// cancelled, so no dialog waits for ever.
void AnswerFileDialogNow(HWND dialog) {
    if (Answered(dialog) || g_fileAnswers.empty() || !g_fileAnswers.front().ok) {
        if (!Answered(dialog) && !g_fileAnswers.empty()) g_fileAnswers.pop_front();
        g_answeredDialogs.push_back(dialog);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    std::string path = g_fileAnswers.front().path;
    g_fileAnswers.pop_front();
    g_answeredDialogs.push_back(dialog);
    int box = GetDlgItem(dialog, kFileNameCombo) ? kFileNameCombo : kFileNameEdit;
    SetDlgItemTextA(dialog, box, path.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

// Modal dialogs of class #32770 on this thread, other than the module's
// own (which the script drives), are answered at once, as a user would: a
// file dialog as above; a file dialog's own question (replace the file?)
// with Yes; any other message box has its text noted and OK pressed.
LRESULT CALLBACK DialogWatch(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND dialog = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(dialog, className, sizeof className);
        if (std::strcmp(className, "#32770") == 0 && !ClaimModuleDialog(dialog)) {
            HWND owner = GetWindow(dialog, GW_OWNER);
            if (IsFileDialog(dialog)) {
                AnswerFileDialogNow(dialog);
            } else if (owner && IsFileDialog(owner)) {
                PostMessageA(dialog, WM_COMMAND, IDYES, 0);
            } else {
                char text[512] = {};
                GetDlgItemTextA(dialog, kMessageBoxTextId, text, sizeof text);
                g_messageBoxes.push_back(text);
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            }
        }
    }
    return CallNextHookEx(g_cbtHook, code, wParam, lParam);
}

bool RegisterHostClass(const std::string& className) {
    WNDCLASSA existing;
    if (GetClassInfoA(GetModuleHandleA(nullptr), className.c_str(), &existing)) return true;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className.c_str();
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    return RegisterClassA(&wc) != 0;
}

// The same menu bar as the substitute host's, so that menu prints compare.
HMENU MakeMenuBar(int topMenus) {
    static const char* const kTitles[] = {"&Flights", "&World", "&Aircraft", "&Views", "&Options", "&Help"};
    HMENU bar = CreateMenu();
    for (int i = 0; i < topMenus; i++) {
        HMENU sub = CreatePopupMenu();
        UINT base = 40000 + 100 * UINT(i);
        AppendMenuA(sub, MF_STRING, base + 1, "Host item 1");
        AppendMenuA(sub, MF_STRING, base + 2, "Host item 2");
        std::string title = i < 6 ? kTitles[i] : "Menu " + std::to_string(i + 1);
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), title.c_str());
    }
    return bar;
}

void MakeFolders(const std::string& path) {
    for (std::size_t i = 3; i < path.size(); i++) {
        if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
}

Delivery Received(HWND hwnd, UINT message, std::size_t from) {
    for (std::size_t i = from; i < g_received.size(); i++) {
        if (g_received[i].hwnd == hwnd && g_received[i].message == message) return Delivery::kHost;
    }
    return Delivery::kNoWindow;
}

}  // namespace

std::vector<ReceivedMessage>& ReceivedMessages() {
    return g_received;
}

bool WinDriver::Open(const std::string& folder) {
    folder_ = folder;
    g_cbtHook = SetWindowsHookExA(WH_CBT, DialogWatch, nullptr, GetCurrentThreadId());
    if (!AddWindow("main", "FS98MAIN", 5)) return false;
    return AddWindow("child", "FS98CHILD", 0);
}

void WinDriver::Close() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
    for (NamedWindow& w : windows_) {
        if (IsWindow(w.hwnd)) DestroyWindow(w.hwnd);
    }
    if (g_cbtHook) UnhookWindowsHookEx(g_cbtHook);
}

HostWindow WinDriver::WindowByName(const std::string& name) {
    for (const NamedWindow& w : windows_) {
        if (w.name == name && IsWindow(w.hwnd)) return reinterpret_cast<HostWindow>(w.hwnd);
    }
    return 0;
}

std::string WinDriver::WindowName(HostWindow window) {
    HWND hwnd = reinterpret_cast<HWND>(window);
    for (const NamedWindow& w : windows_) {
        if (w.hwnd == hwnd && IsWindow(hwnd)) return w.name;
    }
    return "none";
}

// Windows without a menu bar are borderless pop-ups laid over the main
// window like the simulator's 3D views; they are not its children, so that
// closing the main window leaves them, as in the substitute host.
bool WinDriver::AddWindow(const std::string& name, const std::string& className, int topMenus) {
    if (!RegisterHostClass(className)) return false;
    bool view = topMenus <= 0;
    DWORD style = view ? (WS_POPUP | WS_VISIBLE | WS_BORDER) : (WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HMENU menu = view ? nullptr : MakeMenuBar(topMenus);
    int x = view ? 40 : 20, y = view ? 90 : 20, cx = view ? 560 : 800, cy = view ? 380 : 600;
    HWND hwnd = CreateWindowExA(0, className.c_str(), name.c_str(), style, x, y, cx, cy, nullptr, menu,
                                GetModuleHandleA(nullptr), nullptr);
    if (!hwnd) return false;
    windows_.push_back(NamedWindow{name, hwnd});
    return true;
}

void WinDriver::RemoveWindow(HostWindow window) {
    DestroyWindow(reinterpret_cast<HWND>(window));
}

void WinDriver::LoadModule() {
    std::string path = folder_ + "\\Modules\\Skyvane2004.dll";
    module_ = LoadLibraryA(path.c_str());
    if (!module_) {
        std::fprintf(stderr, "fs9host: cannot load %s (error %lu)\n", path.c_str(), GetLastError());
        return;
    }
    // As the simulator does once the module is loaded: the interface table
    // into ImportTable. The clock, cursor and rand() the module reads are
    // then fs9host's, as they are the substitute host's.
    SetModuleImage(module_);
    InterposeModuleImports(module_);
}

void WinDriver::UnloadModule() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
    SetModuleImage(nullptr);
}

void WinDriver::CallLinkage(bool init) {
    struct Linkage {
        std::uint32_t id;
        void (*init)();
        void (*deinit)();
    };
    auto* linkage = reinterpret_cast<const Linkage*>(GetProcAddress(module_, "Linkage"));
    if (linkage) (init ? linkage->init : linkage->deinit)();
}

Delivery WinDriver::Send(HostWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    HWND hwnd = reinterpret_cast<HWND>(window);
    if (!hwnd || !IsWindow(hwnd)) return Delivery::kNoWindow;
    std::size_t from = g_received.size();
    SendMessageA(hwnd, message, wParam, lParam);
    return Received(hwnd, message, from);
}

void WinDriver::Post(HostWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    HWND hwnd = reinterpret_cast<HWND>(window);
    bool queued = PostMessageA(hwnd, message, wParam, lParam) != 0;
    posted_.push_back(Posted{hwnd, message, wParam, lParam, queued});
}

// Only the message number is filtered on: the module's hook may turn the
// message into WM_NULL after it has been picked by its original number.
bool WinDriver::PeekFirst(Delivery* seen) {
    if (posted_.empty()) return false;
    const Posted& p = posted_.front();
    MSG msg = {};
    if (!p.queued || !PeekMessageA(&msg, nullptr, p.message, p.message, PM_NOREMOVE)) {
        *seen = Delivery::kNoWindow;
    } else {
        *seen = msg.message == WM_NULL ? Delivery::kNull : Delivery::kHost;
    }
    return true;
}

bool WinDriver::PumpOne(QueuedDelivery* taken) {
    if (posted_.empty()) return false;
    Posted p = posted_.front();
    posted_.pop_front();
    *taken = QueuedDelivery{reinterpret_cast<HostWindow>(p.hwnd), p.message, p.wParam, p.lParam, Delivery::kNoWindow};
    MSG msg = {};
    if (!p.queued || !PeekMessageA(&msg, nullptr, p.message, p.message, PM_REMOVE)) return true;
    if (msg.message == WM_NULL) {
        taken->delivery = Delivery::kNull;
        return true;
    }
    std::size_t from = g_received.size();
    DispatchMessageA(&msg);
    taken->delivery = Received(msg.hwnd, msg.message, from);
    return true;
}

// Time passes on fs9host's clock, which the module reads, and for the
// aircraft; nothing sleeps, except inside a dialog of the module, whose
// loop goes on for that long (its timers are the system's).
void WinDriver::Wait(std::uint32_t ms) {
    HostClockMs() += ms;
    hostsim::Fly(ms / 1000.0);
    WaitInDialog(ms);
}

HostMenu WinDriver::MenuBar(HostWindow window) {
    return reinterpret_cast<HostMenu>(GetMenu(reinterpret_cast<HWND>(window)));
}

std::vector<MenuItemView> WinDriver::MenuItems(HostMenu menu) {
    std::vector<MenuItemView> items;
    HMENU h = reinterpret_cast<HMENU>(menu);
    int count = GetMenuItemCount(h);
    for (int i = 0; i < count; i++) {
        char text[256] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text - 1;
        if (!GetMenuItemInfoA(h, UINT(i), TRUE, &info)) continue;
        MenuItemView view{MenuItemView::kItem, info.wID, (info.fState & MFS_CHECKED) != 0, text, 0};
        if (info.fType & MFT_SEPARATOR) {
            view = MenuItemView{MenuItemView::kSeparator, 0, false, "", 0};
        } else if (info.hSubMenu) {
            view = MenuItemView{MenuItemView::kPopup, 0, false, text, reinterpret_cast<HostMenu>(info.hSubMenu)};
        }
        items.push_back(view);
    }
    return items;
}

void WinDriver::SetRegistryText(const std::string& name, const std::string& text) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kModuleKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
    RegCloseKey(key);
}

void WinDriver::DeleteRegistryKey() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kModuleKey);
}

bool WinDriver::RegistryValues(std::vector<std::pair<std::string, std::string>>* values) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kModuleKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    for (DWORD i = 0;; i++) {
        char name[300];
        BYTE data[4100];
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        data[dataSize] = 0;
        values->emplace_back(name, reinterpret_cast<char*>(data));
    }
    RegCloseKey(key);
    return true;
}

bool WinDriver::PutFile(const std::string& path, const std::string& text) {
    MakeFolders(path);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

bool WinDriver::GetFile(const std::string& path, std::string* text) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text->append(buf, n);
    std::fclose(f);
    return true;
}

void WinDriver::RemoveFile(const std::string& path) {
    DeleteFileA(path.c_str());
}

std::vector<std::string> WinDriver::MessageBoxes() {
    return g_messageBoxes;
}

// Every host window gets the process's client area (the substitute host
// reports that one area for every window): the window rectangle around it,
// then a check of where the client area really landed.
bool WinDriver::PlaceClientArea() {
    const hostsim::Screen& screen = hostsim::TheScreen();
    for (const NamedWindow& w : windows_) {
        if (!IsWindow(w.hwnd)) continue;
        RECT r = {screen.clientX, screen.clientY, screen.clientX + screen.clientWidth,
                  screen.clientY + screen.clientHeight};
        DWORD style = DWORD(GetWindowLongA(w.hwnd, GWL_STYLE));
        DWORD exStyle = DWORD(GetWindowLongA(w.hwnd, GWL_EXSTYLE));
        AdjustWindowRectEx(&r, style, GetMenu(w.hwnd) != nullptr, exStyle);
        MoveWindow(w.hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        RECT client;
        POINT origin = {0, 0};
        if (!GetClientRect(w.hwnd, &client) || !ClientToScreen(w.hwnd, &origin)) return false;
        if (origin.x != screen.clientX || origin.y != screen.clientY || client.right != screen.clientWidth ||
            client.bottom != screen.clientHeight) {
            std::fprintf(stderr, "fs9host: window %s has its client area at %ld,%ld size %ldx%ld\n", w.name.c_str(),
                         long(origin.x), long(origin.y), long(client.right), long(client.bottom));
            return false;
        }
    }
    return true;
}

// The module's rand() is fs9host's (see LoadModule), as in the substitute host.
bool WinDriver::FeedRand(const std::vector<int>& values) {
    hostsim::FeedRand(values);
    return true;
}

void WinDriver::AnswerFileDialog(bool ok, const std::string& path) {
    g_fileAnswers.push_back(FileDialogAnswer{ok, path});
}
