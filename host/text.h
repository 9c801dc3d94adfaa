#pragma once
// Text conversion for the host's own use (Windows calls take wide text; the component and the log
// speak UTF-8). Invalid input becomes U+FFFD, never a cut text: a log line is kept whole.
#include <windows.h>

#include <string>

namespace host {

inline std::wstring to_wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n);
    return out;
}

inline std::string to_utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// Text in the system code page (CP_ACP) as UTF-8; the text as it is when it cannot be converted.
inline std::string ansi_to_utf8(const std::string& text) {
    if (text.empty()) return text;
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    if (n <= 0) return text;
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), &wide[0], n);
    return to_utf8(wide);
}

// Absolute form of a path (GetFullPathNameW); the path itself when that fails.
inline std::wstring full_path(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring out(n, L'\0');
    const DWORD got = GetFullPathNameW(path.c_str(), n, &out[0], nullptr);
    if (got == 0 || got >= n) return path;
    out.resize(got);
    return out;
}

// The folder part of a path, without the trailing separator.
inline std::wstring folder_of(const std::wstring& path) {
    const size_t pos = path.find_last_of(L"\\/");
    return pos == std::wstring::npos ? std::wstring() : path.substr(0, pos);
}

// The full path of this program (or of `module`).
inline std::wstring module_path(HMODULE module = nullptr) {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, &buf[0], DWORD(buf.size()));
        if (n == 0) return std::wstring();
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

}  // namespace host
