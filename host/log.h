#pragma once
// The host's log: every line goes to standard output and, when a log file is open, to that file
// (UTF-8, one line per line, flushed at once). Each line is marked with where it came from:
//   "console: <text>"  a line printed through a console receiver
//   "debug: <text>"    debug output of the component
//   "msgbox: <text>"   a message box or dialog of the component and its answer
//   "host: <text>"     the reference host's own progress and errors
// A text that holds line breaks becomes several lines with the same mark; one trailing line break
// is dropped. Safe to call from any thread.
#include <string>

namespace host {

enum class log_kind { console, debug, msgbox, host };

// Opens (creates or empties) the log file. Returns false when it cannot be opened.
bool log_open(const std::wstring& path);
void log_close();

// Writes `text` (UTF-8, `length` bytes, or up to the NUL when length is ~0u) with its mark.
void log_line(log_kind kind, const char* text, unsigned length = ~0u);
inline void log_line(log_kind kind, const std::string& text) {
    log_line(kind, text.c_str(), unsigned(text.size()));
}

// Shorthand for the host's own lines.
void log_host(const std::string& text);

// Number of lines written with the given mark so far.
unsigned log_count(log_kind kind);

}  // namespace host
