// Screen capture through GDI: the desktop's device context copied into a 32-bit top-down DIB
// section, then reduced to RGB for the PNG writer.
#include "screenshot.h"

#include <windows.h>

#include "blob.h"
#include "log.h"
#include "png.h"
#include "text.h"

namespace host {

namespace {

// The virtual screen covers every monitor.
RECT virtual_screen() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

BOOL CALLBACK add_own_window(HWND wnd, LPARAM param) {
    DWORD owner = 0;
    GetWindowThreadProcessId(wnd, &owner);
    RECT r;
    if (owner == GetCurrentProcessId() && IsWindowVisible(wnd) && !IsIconic(wnd) && GetWindowRect(wnd, &r) &&
        !IsRectEmpty(&r)) {
        RECT* box = reinterpret_cast<RECT*>(param);
        UnionRect(box, box, &r);
    }
    return TRUE;
}

}  // namespace

bool capture_screen(std::uint32_t& width, std::uint32_t& height, std::vector<std::uint8_t>& rgb) {
    return capture_rect(virtual_screen(), width, height, rgb);
}

bool capture_rect(RECT area, std::uint32_t& width, std::uint32_t& height, std::vector<std::uint8_t>& rgb) {
    const RECT screen_rect = virtual_screen();
    if (!IntersectRect(&area, &area, &screen_rect)) return false;
    const int left = area.left, top = area.top;
    const int w = area.right - area.left, h = area.bottom - area.top;

    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return false;
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = memory ? CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    bool ok = false;
    if (dib != nullptr && bits != nullptr) {
        HGDIOBJ old = SelectObject(memory, dib);
        ok = BitBlt(memory, 0, 0, w, h, screen, left, top, SRCCOPY | CAPTUREBLT) != FALSE;
        GdiFlush();
        if (ok) {
            width = std::uint32_t(w);
            height = std::uint32_t(h);
            rgb.resize(std::size_t(w) * std::size_t(h) * 3);
            const std::uint8_t* src = static_cast<const std::uint8_t*>(bits);
            std::uint8_t* dst = rgb.data();
            for (std::size_t i = 0, n = std::size_t(w) * std::size_t(h); i < n; ++i, src += 4, dst += 3) {
                dst[0] = src[2];  // the DIB holds blue, green, red, unused
                dst[1] = src[1];
                dst[2] = src[0];
            }
        }
        SelectObject(memory, old);
    }
    if (dib) DeleteObject(dib);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

bool save_screenshot(const std::wstring& path, bool full_screen) {
    const std::wstring file = full_path(path);
    RECT area = {0, 0, 0, 0};
    if (!full_screen) EnumWindows(&add_own_window, reinterpret_cast<LPARAM>(&area));
    const RECT screen_rect = virtual_screen();
    RECT shown;
    area = IntersectRect(&shown, &area, &screen_rect) ? shown : screen_rect;  // no window shown: all of it
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    if (!capture_rect(area, width, height, rgb)) {
        log_host("ERROR : cannot capture the screen for " + to_utf8(file));
        return false;
    }
    const std::vector<std::uint8_t> png = encode_png(width, height, rgb);
    if (png.empty() || !write_file_atomic(file, png)) {
        log_host("ERROR : cannot write the screenshot " + to_utf8(file));
        return false;
    }
    log_host("screenshot " + std::to_string(width) + "x" + std::to_string(height) + " at (" + std::to_string(area.left) +
             ", " + std::to_string(area.top) + ") saved to " + to_utf8(file));
    return true;
}

}  // namespace host
