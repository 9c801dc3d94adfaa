// Screen capture through GDI: the desktop's device context copied into a 32-bit top-down DIB
// section, then reduced to RGB for the PNG writer.
#include "screenshot.h"

#include <windows.h>

#include "blob.h"
#include "log.h"
#include "png.h"
#include "text.h"

namespace host {

bool capture_screen(std::uint32_t& width, std::uint32_t& height, std::vector<std::uint8_t>& rgb) {
    // The virtual screen covers every monitor.
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (w <= 0 || h <= 0) return false;

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

bool save_screenshot(const std::wstring& path) {
    const std::wstring file = full_path(path);
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    if (!capture_screen(width, height, rgb)) {
        log_host("ERROR : cannot capture the screen for " + to_utf8(file));
        return false;
    }
    const std::vector<std::uint8_t> png = encode_png(width, height, rgb);
    if (png.empty() || !write_file_atomic(file, png)) {
        log_host("ERROR : cannot write the screenshot " + to_utf8(file));
        return false;
    }
    log_host("screenshot " + std::to_string(width) + "x" + std::to_string(height) + " saved to " + to_utf8(file));
    return true;
}

}  // namespace host
