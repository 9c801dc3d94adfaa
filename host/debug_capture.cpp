#include "debug_capture.h"

#include <windows.h>

#include <string>

#include <zut/sync.h>

#include "log.h"
#include "text.h"

namespace host {

namespace {

const DWORD kDebugPrintAnsi = 0x40010006;  // DBG_PRINTEXCEPTION_C
const DWORD kDebugPrintWide = 0x4001000A;  // DBG_PRINTEXCEPTION_WIDE_C

struct capture_state {
    zut::critical_section lock;
    void* handler = nullptr;
    std::string pending;     // text of an incomplete line
    DWORD pending_thread = 0;  // the thread that sent it
    // Never destroyed: other threads may still send debug output while the process ends.
};

capture_state& state() {
    static capture_state* s = new capture_state;
    return *s;
}

// Complete lines go to the log; the rest waits. A different thread's text first ends the waiting
// line, so lines of two threads are never glued together.
void take_text(const std::string& text) {
    capture_state& s = state();
    zut::scoped_lock lock(s.lock);
    const DWORD thread = GetCurrentThreadId();
    if (!s.pending.empty() && s.pending_thread != thread) {
        log_line(log_kind::debug, s.pending);
        s.pending.clear();
    }
    s.pending += text;
    s.pending_thread = thread;
    const size_t end = s.pending.find_last_of('\n');
    if (end != std::string::npos) {
        log_line(log_kind::debug, s.pending.substr(0, end + 1));
        s.pending.erase(0, end + 1);
    }
}

// Text of at most `length` characters, shorter at its first NUL.
template <typename C>
std::basic_string<C> bounded(const C* text, ULONG_PTR length) {
    std::basic_string<C> out;
    if (text == nullptr) return out;
    for (ULONG_PTR i = 0; i < length && text[i] != 0; ++i) out += text[i];
    return out;
}

// Runs inside the system's exception dispatch, on whatever thread sent the text: a C++ exception
// thrown here (out of memory) would unwind through frames that cannot take it, so the line is lost
// instead.
LONG CALLBACK debug_print_handler(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    // Parameters: [0] length with the NUL, [1] the text (for the wide call, [2] and [3] its ANSI form).
    const bool wide = r->ExceptionCode == kDebugPrintWide;
    if ((!wide && r->ExceptionCode != kDebugPrintAnsi) || r->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    try {
        if (wide)
            take_text(to_utf8(bounded(reinterpret_cast<const wchar_t*>(r->ExceptionInformation[1]),
                                      r->ExceptionInformation[0])));
        else
            take_text(ansi_to_utf8(
                bounded(reinterpret_cast<const char*>(r->ExceptionInformation[1]), r->ExceptionInformation[0])));
    } catch (...) {
    }
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

void debug_capture_start() {
    capture_state& s = state();
    zut::scoped_lock lock(s.lock);
    if (s.handler == nullptr) s.handler = AddVectoredExceptionHandler(1, &debug_print_handler);
}

void debug_capture_stop() {
    capture_state& s = state();
    zut::scoped_lock lock(s.lock);
    if (s.handler != nullptr) RemoveVectoredExceptionHandler(s.handler);
    s.handler = nullptr;
    if (!s.pending.empty()) log_line(log_kind::debug, s.pending);
    s.pending.clear();
}

}  // namespace host
