#pragma once
// The GDI objects and windows of this process, counted by the benchmark programs and the tests
// that check an unload leaves none behind.

#include <windows.h>

namespace bench {

// How gdi_objects counted, for the programs' output.
inline const char*& gdi_count_method() {
    static const char* method = "GetGuiResources";
    return method;
}

// GDI objects of this process. Wine answers GetGuiResources with 0; there the live entries of the
// process's GDI handle table are counted instead (a handle whose upper word is 0 names the entry of
// that index whatever its generation).
inline DWORD gdi_objects() {
    const DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (n != 0) return n;
    gdi_count_method() = "live GDI handle table entries (GetGuiResources gives 0 here)";
    DWORD live = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
    return live;
}

inline BOOL CALLBACK count_window(HWND, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}

// Top-level windows of the calling thread (message-only windows are not counted).
inline DWORD thread_windows() {
    DWORD n = 0;
    EnumThreadWindows(GetCurrentThreadId(), &count_window, reinterpret_cast<LPARAM>(&n));
    return n;
}

}  // namespace bench
