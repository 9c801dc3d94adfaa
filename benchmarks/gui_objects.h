#pragma once
// The GDI objects and windows of this process, counted by the benchmark programs and the tests
// that check an unload leaves none behind.

#include <windows.h>
#include <psapi.h>

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

// How private_bytes counted, for the programs' output.
inline const char*& private_count_method() {
    static const char* method = "PrivateUsage of GetProcessMemoryInfo";
    return method;
}

// Committed private memory of the process. Wine leaves PrivateUsage at 0: there the address space
// is walked and its committed private regions are added up.
inline SIZE_T private_bytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    if (counters.PrivateUsage != 0) return counters.PrivateUsage;
    private_count_method() = "committed private regions of VirtualQuery (PrivateUsage gives 0 here)";
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
         at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (static_cast<const char*>(info.BaseAddress) + info.RegionSize < at) break;  // wrapped
    }
    return total;
}

}  // namespace bench
