// The host's preferences window.
//
// open_preferences
//   1. Already open: bring it to the front, nothing else.
//   2. Find the first preferences_page service; none: log it and stop.
//   3. Make the window (hidden), ask the page to create itself as its child; no page: log it and
//      destroy the window again.
//   4. The page fills the client area; show the window.
// The page service is held (one reference) while the window exists.
#include "preferences_window.h"

#include <trovaplay/sdk/preferences_page.h>

#include "guard.h"
#include "log.h"
#include "registry.h"

namespace host {

namespace {

const wchar_t kWindowClass[] = L"trovaplay_preferences";
const int kClientWidth = 520;
const int kClientHeight = 420;

struct preferences_state {
    HWND window = nullptr;
    HWND page_window = nullptr;
    preferences_page* page = nullptr;  // one reference held
};
preferences_state g_state;

void fit_page(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    if (g_state.page_window)
        MoveWindow(g_state.page_window, 0, 0, client.right - client.left, client.bottom - client.top, TRUE);
}

LRESULT CALLBACK window_proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CLOSE:
            DestroyWindow(wnd);
            return 0;
        case WM_SIZE:
            fit_page(wnd);
            return 0;
        case WM_DESTROY:
            // The page (a child) is gone by the time the window's own destruction ends; the page
            // service is let go afterwards, in the WM_NCDESTROY below.
            return 0;
        case WM_NCDESTROY: {
            preferences_page* page = g_state.page;
            g_state = preferences_state();
            if (page) page->service_release();
            log_host("preferences closed");
            break;
        }
        default:
            break;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

HWND make_window() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);  // a second registration fails harmlessly
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    return CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"Preferences", style, 40, 40,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

}  // namespace

void open_preferences(service_registry& registry) {
    // 1.
    if (g_state.window) {
        ShowWindow(g_state.window, SW_SHOW);
        SetForegroundWindow(g_state.window);
        return;
    }
    // 2.
    service_base* service = registry.get(preferences_page::class_guid, 0);
    if (service == nullptr) {
        log_host("no preferences page offered");
        return;
    }
    // 3.
    const HWND window = make_window();
    if (window == nullptr) {
        service->service_release();
        log_host("ERROR : cannot create the preferences window");
        return;
    }
    g_state.window = window;
    g_state.page = static_cast<preferences_page*>(service);
    preferences_page* page = g_state.page;
    const HWND page_window = guard("preferences page create", HWND(nullptr), [&] { return page->create(window); });
    if (page_window == nullptr) {
        log_host("the preferences page made no window");
        DestroyWindow(window);
        return;
    }
    // 4.
    g_state.page_window = page_window;
    fit_page(window);
    ShowWindow(page_window, SW_SHOW);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    log_host("preferences opened");
}

void close_preferences() {
    if (g_state.window) DestroyWindow(g_state.window);
}

HWND preferences_window() { return g_state.window; }

bool preferences_dialog_message(MSG* msg) {
    return g_state.page_window && IsWindow(g_state.page_window) && IsDialogMessageW(g_state.page_window, msg);
}

}  // namespace host
