#pragma once
// Driving the reference host from a test: trovaplay.exe (beside the test program) started as its
// own process, run to its end or watched for its window and its log lines.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace test_support {

// trovaplay.exe with the given arguments, its standard output and error to a file. The destructor
// ends a process that is still running.
class host_process {
public:
    host_process(const std::vector<std::wstring>& args, const std::wstring& stdout_file);
    ~host_process();
    host_process(const host_process&) = delete;
    host_process& operator=(const host_process&) = delete;

    bool started() const { return m_process != nullptr; }
    // Why it did not start: the program and the system's error code.
    const std::string& start_error() const { return m_start_error; }
    // Waits until the process has ended; on time-out it is ended (exit code 99) and false returned.
    bool wait(DWORD timeout_ms);
    bool running() const;
    DWORD exit_code() const;
    // Polls for a visible top-level window of this process with that class and title; null when
    // none came within the time (other programs may show windows of the same names meanwhile).
    HWND wait_for_window(const wchar_t* class_name, const wchar_t* title, DWORD timeout_ms) const;

private:
    HANDLE m_process = nullptr;
    DWORD m_process_id = 0;
    std::string m_start_error;
};

struct run_result {
    DWORD exit_code = 0xFFFFFFFF;
    std::string log;  // <work>\log.txt
    std::string out;  // standard output and error
};

// Runs the host with args plus --log <work>\log.txt --debug-log and --profile <work>\profile, its standard
// output to <work>\stdout.txt, and waits at most a minute for its end. A host that does not start
// or does not end in time fails the test.
run_result run_host(const std::vector<std::wstring>& args, const std::wstring& work);

// One run of many: the host's arguments and its work folder (made by the caller).
struct host_job {
    std::vector<std::wstring> args;
    std::wstring work;
};

// Runs every job as run_host does (but without --debug-log: add it to the job's arguments when the
// debug lines are wanted), `parallel` hosts at once; a host still running after timeout_ms
// is ended (exit code 99). done(index, result, in_time) is called as each ends, on this thread.
void run_hosts(const std::vector<host_job>& jobs, unsigned parallel, DWORD timeout_ms,
               const std::function<void(size_t, const run_result&, bool)>& done);

// The number of hosts to run at once: the machine's processors, at least two.
unsigned parallel_hosts();

// Polls the file until it contains text; false when it did not within the time.
bool wait_for_text(const std::wstring& file, const std::string& text, DWORD timeout_ms);

// The screen's pixel at a screen position, read by the host's own screen capture (0xRRGGBB);
// 0xFFFFFFFF when it cannot be read.
std::uint32_t screen_pixel(int x, int y);

// The screen's pixels of a rectangle at a screen position, row by row (0xRRGGBB); pixels off the
// screen read 0xFFFFFFFF. False when the screen cannot be read.
bool screen_pixels(int x, int y, int width, int height, std::vector<std::uint32_t>& out);
// Polls the screen until the pixel at a screen position lies within tolerance of the colour (0xRRGGBB):
// what a window drew reaches the screen a moment after it is drawn. False when it did not within the
// time.
bool wait_for_screen_colour(int x, int y, std::uint32_t colour, int tolerance, DWORD timeout_ms);

// A left click at a client position of a window, as the window receives it from the mouse: a move
// onto the point, the press and the release (posted, in this order).
void post_left_click(HWND window, int x, int y);

// Real mouse input, through the system's input queue as from the mouse itself (capture and the
// window under the cursor apply): the cursor moves to a screen position; the left button goes down
// or up where the cursor is. False when the system did not take the input.
bool real_mouse_move(int x, int y);
bool real_left_button(bool down);

}  // namespace test_support
