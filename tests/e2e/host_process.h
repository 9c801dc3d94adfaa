#pragma once
// Driving the reference host from a test: trovaplay.exe (beside the test program) started as its
// own process, waiting for its window and its log lines, and the files it leaves behind.

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// UTF-16 to UTF-8.
std::string narrow(const std::wstring& text);

// A file of the source tree (path relative to its top, with '/'), as a Windows path.
std::wstring source_file(const char* relative);

// A fresh, empty folder under the temporary folder, named after the test and this process.
std::wstring temp_folder(const wchar_t* name);

// The whole file; empty when it cannot be read. The file may still be open for writing.
std::string read_file(const std::wstring& path);

// The lines of text that contain what.
std::vector<std::string> lines_containing(const std::string& text, const std::string& what);

// trovaplay.exe with the given arguments, its standard output and error to a file. The destructor
// ends a process that is still running.
class host_process {
public:
    host_process(const std::vector<std::wstring>& args, const std::wstring& stdout_file);
    ~host_process();
    host_process(const host_process&) = delete;
    host_process& operator=(const host_process&) = delete;

    bool started() const { return m_process != nullptr; }
    // Waits until the process has ended; on time-out it is ended (exit code 99) and false returned.
    bool wait(DWORD timeout_ms);
    DWORD exit_code() const;
    // Polls for a visible top-level window of this process with that class and title; null when
    // none came within the time (other programs may show windows of the same names meanwhile).
    HWND wait_for_window(const wchar_t* class_name, const wchar_t* title, DWORD timeout_ms) const;

private:
    HANDLE m_process = nullptr;
    DWORD m_process_id = 0;
};

// Polls the file until it contains text; false when it did not within the time.
bool wait_for_text(const std::wstring& file, const std::string& text, DWORD timeout_ms);

// A left click at a client position of a window, as the window receives it from the mouse: a move
// onto the point, the press and the release (posted, in this order).
void post_left_click(HWND window, int x, int y);

}  // namespace e2e
