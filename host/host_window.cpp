#include "host_window.h"

namespace host {

HWND create_host_window(const wchar_t* class_name, WNDPROC proc, HWND parent, void* owner) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = class_name;
    RegisterClassExW(&wc);
    const bool message_only = parent == HWND_MESSAGE;
    HWND wnd = CreateWindowExW(0, class_name, L"", message_only ? 0 : WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, message_only ? 0 : 400, message_only ? 0 : 300, parent, nullptr,
                               wc.hInstance, nullptr);
    if (wnd != nullptr) SetWindowLongPtrW(wnd, GWLP_USERDATA, LONG_PTR(owner));
    return wnd;
}

}  // namespace host
