#pragma once
// The host's own windows: a class registered once per process, a window of it that carries its owner
// object in GWLP_USERDATA.
#include <windows.h>

namespace host {

// Registers `class_name` with `proc` (a second registration of the same class fails harmlessly) and
// creates a window of it owned by `owner`. `parent` HWND_MESSAGE makes a message-only window; null
// makes a hidden top-level window. Null when the window cannot be made.
HWND create_host_window(const wchar_t* class_name, WNDPROC proc, HWND parent, void* owner);

// The owner given to create_host_window; null for messages that come before it is set.
template <typename T>
T* window_owner(HWND wnd) {
    return reinterpret_cast<T*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

}  // namespace host
