// System error texts, the colour dialog and the loud failure report.
#include <trovaplay/shared/shared.h>

#include <commdlg.h>
#include <stdio.h>
#include <string>

#include <zut/string.h>

#include "utf8.h"

void shared_dll::report_error(const char* what) {
    std::string line = "ERROR : shared.dll: ";
    line += what ? what : "";
    line += "\n";
    OutputDebugStringA(line.c_str());
    fputs(line.c_str(), stderr);
    fflush(stderr);
}

SHARED_API BOOL SHARED_CALL uFormatSystemErrorMessage(zut::string_base& out, DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (n == 0 || buffer == nullptr) {
        if (buffer) LocalFree(buffer);
        return FALSE;
    }
    std::string t = shared_dll::from_wide(buffer, n);
    LocalFree(buffer);
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r' || t.back() == ' ' || t.back() == '.')) {
        if (t.back() == '.') {  // keep a sentence's full stop, drop only trailing blanks
            break;
        }
        t.pop_back();
    }
    if (t.empty()) return FALSE;
    out.set_string(t.c_str(), t_size(t.size()));
    return TRUE;
}

SHARED_API BOOL SHARED_CALL uChooseColor(DWORD* color, HWND parent, DWORD* custom_colors) {
    if (color == nullptr) {
        shared_dll::report_error("uChooseColor: no colour given");
        return FALSE;
    }
    static COLORREF fallback_custom[16];
    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = parent;
    cc.rgbResult = *color;
    cc.lpCustColors = custom_colors ? reinterpret_cast<COLORREF*>(custom_colors) : fallback_custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (!ChooseColorW(&cc)) return FALSE;
    *color = cc.rgbResult;
    return TRUE;
}
