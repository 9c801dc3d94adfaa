#pragma once
// The host's log: every line goes to standard output and, when a log file is open, to that file
// (UTF-8, one line per line, flushed at once). Each line starts with the local time of day
// ("13:05:42.117 ") and is marked with where it came from:
//   "console: <text>"  a line printed through a console receiver
//   "debug: <text>"    debug output of the component
//   "msgbox: <text>"   a message box or dialog of the component and its answer
//   "host: <text>"     the reference host's own progress and errors
// A text that holds line breaks becomes several lines with the same mark; one trailing line break
// is dropped. Debug lines are written only after log_show_debug(true) (--debug-log); otherwise they
// are only counted. Safe to call from any thread.
#include <string>

namespace host {

enum class log_kind { console, debug, msgbox, host };

// Opens (creates or empties) the log file. Returns false when it cannot be opened.
bool log_open(const std::wstring& path);
void log_close();

// Whether debug lines are written (default: no).
void log_show_debug(bool show);

// Writes `text` (UTF-8, `length` bytes, or up to the NUL when length is ~0u) with its mark.
void log_line(log_kind kind, const char* text, unsigned length = ~0u);
inline void log_line(log_kind kind, const std::string& text) {
    log_line(kind, text.c_str(), unsigned(text.size()));
}

// Shorthand for the host's own lines.
void log_host(const std::string& text);

// Writes text to standard output as it stands: no time, no mark, not into the log file (the usage
// text).
void print_plain(const std::string& text);

// The text of the last message-box line (without its mark); empty when there was none.
std::string last_message_box();

// Number of lines written with the given mark so far.
unsigned log_count(log_kind kind);

}  // namespace host
