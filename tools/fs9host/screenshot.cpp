// screenshot.cpp - screen captures written as PNG files into the folder
// named by the SKYVANE_SCREENSHOTS environment variable (the current folder
// without it). "screenshot-menu" opens the fourth top-level menu of the main
// window from the keyboard, as a user would, opens the module's popup at its
// end, and captures the screen while both are open.
#include "screenshot.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// [SECTION] PNG writing: 8-bit RGB, stored (uncompressed) deflate blocks.

std::uint32_t Crc(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0xFFFFFFFFu) {
    for (std::size_t i = 0; i < size; i++) {
        crc ^= data[i];
        for (int k = 0; k < 8; k++) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc;
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

void Chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    Put32(out, std::uint32_t(data.size()));
    std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, Crc(&out[start], out.size() - start) ^ 0xFFFFFFFFu);
}

std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    std::size_t at = 0;
    do {
        std::size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.push_back(std::uint8_t(n));
        z.push_back(std::uint8_t(n >> 8));
        z.push_back(std::uint8_t(~n));
        z.push_back(std::uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + n));
        at += n;
    } while (at < raw.size());
    Put32(z, (b << 16) | a);
    return z;
}

bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& bgr) {
    std::vector<std::uint8_t> raw;
    raw.reserve(std::size_t(height) * (std::size_t(width) * 3 + 1));
    std::size_t stride = (std::size_t(width) * 3 + 3) & ~std::size_t(3);
    for (int y = 0; y < height; y++) {
        raw.push_back(0);  // no filter
        const std::uint8_t* row = &bgr[std::size_t(y) * stride];
        for (int x = 0; x < width; x++) {
            raw.push_back(row[x * 3 + 2]);
            raw.push_back(row[x * 3 + 1]);
            raw.push_back(row[x * 3]);
        }
    }
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    Put32(header, std::uint32_t(width));
    Put32(header, std::uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", Zlib(raw));
    Chunk(png, "IEND", {});
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

// [SECTION] Capturing

struct Capture {
    int width = 0;
    int height = 0;
    int colours = 0;  // distinct colours seen on a sample grid: 1 means blank
    bool written = false;
};

Capture CaptureArea(const std::string& path, int left, int top, int width, int height) {
    Capture c;
    c.width = width;
    c.height = height;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), c.width, -c.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, c.width, c.height, screen, left, top, SRCCOPY);
        GdiFlush();
        std::size_t stride = (std::size_t(c.width) * 3 + 3) & ~std::size_t(3);
        std::vector<std::uint8_t> pixels(static_cast<std::uint8_t*>(bits),
                                         static_cast<std::uint8_t*>(bits) + stride * std::size_t(c.height));
        std::vector<std::uint32_t> seen;
        for (int y = 0; y < c.height; y += 7) {
            for (int x = 0; x < c.width; x += 7) {
                const std::uint8_t* p = &pixels[std::size_t(y) * stride + std::size_t(x) * 3];
                std::uint32_t colour = p[0] | (p[1] << 8) | (p[2] << 16);
                bool known = false;
                for (std::uint32_t s : seen) known = known || s == colour;
                if (!known && seen.size() < 64) seen.push_back(colour);
            }
        }
        c.colours = int(seen.size());
        c.written = WritePng(path, c.width, c.height, pixels);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return c;
}

Capture CaptureScreen(const std::string& path) {
    return CaptureArea(path, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

std::string ScreenshotPath(const std::string& name) {
    const char* folder = std::getenv("SKYVANE_SCREENSHOTS");
    return (folder && *folder) ? std::string(folder) + "\\" + name : name;
}

// Let the host's windows paint before a capture.
void Settle(int ms) {
    DWORD until = GetTickCount() + DWORD(ms);
    while (GetTickCount() < until) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

bool Screenshot(Scenario& s, const Args& a) {
    Settle(200);
    Capture c = CaptureScreen(ScreenshotPath(a[0]));
    if (!c.written) return ScenarioError(s, "cannot write %s", a[0].c_str());
    Emit(s, "screenshot %s blank %s", a[0].c_str(), c.colours > 1 ? "no" : "yes");
    return true;
}

// [SECTION] The menu, opened as a user would

struct MenuShot {
    std::string path;
    HWND main;
    int step;
    int items;  // entries of the module's popup while it was open
    Capture capture;
};

MenuShot* g_shot;

HMENU ModulePopup(HWND main) {
    HMENU views = GetSubMenu(GetMenu(main), 3);
    int count = GetMenuItemCount(views);
    return count > 0 ? GetSubMenu(views, count - 1) : nullptr;
}

void Key(HWND hwnd, UINT vk) {
    PostMessageA(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageA(hwnd, WM_KEYUP, vk, 0xC0000001);
}

// Runs inside the menu loop, every 250 ms: select the last entry of the
// open menu (the module's popup), open it, capture, close everything.
void CALLBACK MenuStep(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    MenuShot& shot = *g_shot;
    switch (shot.step++) {
    case 0: Key(hwnd, VK_END); break;
    case 1: Key(hwnd, VK_RIGHT); break;
    case 2:
        shot.items = GetMenuItemCount(ModulePopup(shot.main));
        shot.capture = CaptureScreen(shot.path);
        break;
    default:
        EndMenu();
        KillTimer(hwnd, id);
        break;
    }
}

bool ScreenshotMenu(Scenario& s, const Args& a) {
    HWND main = reinterpret_cast<HWND>(Host().WindowByName("main"));
    if (!main) return ScenarioError(s, "no main window");
    MenuShot shot{ScreenshotPath(a[0]), main, 0, -1, {}};
    g_shot = &shot;
    SetForegroundWindow(main);
    Settle(200);
    SetTimer(main, 1, 250, MenuStep);
    // Alt+V: the keyboard way into the fourth menu ("&Views").
    PostMessageA(main, WM_SYSCOMMAND, SC_KEYMENU, 'v');
    DWORD until = GetTickCount() + 5000;
    while (shot.step < 4 && GetTickCount() < until) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
    KillTimer(main, 1);
    g_shot = nullptr;
    if (!shot.capture.written) return ScenarioError(s, "the menu did not open for %s", a[0].c_str());
    Emit(s, "screenshot-menu %s items %d blank %s", a[0].c_str(), shot.items,
         shot.capture.colours > 1 ? "no" : "yes");
    return true;
}

const ScenarioCommand kScreenshotCommands[] = {
    {"screenshot", 1, 1, Screenshot, "screenshot NAME.png"},
    {"screenshot-menu", 1, 1, ScreenshotMenu, "screenshot-menu NAME.png"},
};

}  // namespace

ScenarioTable ScreenshotCommands() {
    return {kScreenshotCommands, int(sizeof kScreenshotCommands / sizeof kScreenshotCommands[0])};
}

bool CaptureScreenArea(const std::string& name, int left, int top, int width, int height, bool* blank) {
    if (width <= 0 || height <= 0) return false;
    Capture c = CaptureArea(ScreenshotPath(name), left, top, width, height);
    *blank = c.colours <= 1;
    return c.written;
}
