// Files of the tests that run trovaplay.exe.

#include "files.h"

#include <windows.h>

#include <sstream>

namespace test_support {

namespace {

std::wstring widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n);
    return out;
}

void remove_tree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

}  // namespace

std::string narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

void remove_folder(const std::wstring& dir) { remove_tree(dir); }

std::wstring temp_folder(const std::wstring& name) {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    const std::wstring dir = std::wstring(base) + L"zin_test_" + name + L"_" + std::to_wstring(GetCurrentProcessId());
    remove_tree(dir);  // left by an earlier process of the same id
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::string read_file(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::string();
    std::string out;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    CloseHandle(f);
    return out;
}

std::vector<std::uint8_t> read_bytes(const std::wstring& path) {
    const std::string s = read_file(path);
    return std::vector<std::uint8_t>(s.begin(), s.end());
}

bool write_file(const std::wstring& path, const std::string& text) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(f, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
    CloseHandle(f);
    return ok;
}

std::wstring beside_this_program(const std::wstring& name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring p = path;
    const size_t slash = p.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring(L".") : p.substr(0, slash)) + L"\\" + name;
}

std::wstring source_file(const char* relative) {
    // The source tree is a Unix folder: under Wine it has a drive letter of its own, which Wine's
    // own call knows; the default prefix maps the root to Z:.
    const std::string unix_path = std::string(ZIN_SOURCE_DIR) + "/" + relative;
    using to_dos_function = wchar_t* (*)(const char*);
    const auto to_dos = reinterpret_cast<to_dos_function>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (to_dos) {
        if (wchar_t* dos = to_dos(unix_path.c_str())) {
            std::wstring out = dos;
            HeapFree(GetProcessHeap(), 0, dos);
            return out;
        }
    }
    std::wstring out = L"Z:" + widen(unix_path);
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    return out;
}

bool has(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

std::string tail(const std::string& text, size_t max) {
    return text.size() <= max ? text : "..." + text.substr(text.size() - max);
}

std::string untimed(const std::string& log) {
    const size_t kTime = 13;  // "hh:mm:ss.mmm "
    std::string out;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        end = end == std::string::npos ? log.size() : end + 1;
        const bool timed = end - start > kTime && log[start + 2] == ':' && log[start + 8] == '.' &&
                           log[start + kTime - 1] == ' ';
        out.append(log, timed ? start + kTime : start, end - (timed ? start + kTime : start));
        start = end;
    }
    return out;
}

std::vector<std::string> lines_containing(const std::string& text, const std::string& what) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (has(line, what)) out.push_back(line);
    return out;
}

}  // namespace test_support
