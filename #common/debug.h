// Debug reporting of the common library and the skin engine.
//
// Two routines carry every debug line of the component:
//   zin_debug_output  writes one line to the debugger output through the foundation's one
//                     debug-output routine (zut::debug_output), which tests can hook;
//   zin_debug_report  reports a failed check (type assert, source file, line, optional text) through
//                     zin_debug_output and returns, so that execution goes on.
// Neither ever calls the runtime's assert or shows a message box. A report breaks into a debugger
// only when one is attached. Tests observe both through settable hooks and the report counter.
#pragma once

#include <stdint.h>

// Report types (only failed checks are reported for now).
enum zin_report_type { zin_report_assert = 2 };

// One debug report as handed to the report hook. The texts are UTF-8; text may be null.
struct zin_debug_report_info {
    zin_report_type type;
    const char* file;
    int line;
    const char* text;
};

// Receives every line written through zin_debug_output (wide text, as it goes to the debugger).
typedef void (*zin_debug_output_hook)(const wchar_t* text, void* context);
// Receives every report before its line is written.
typedef void (*zin_debug_report_hook)(const zin_debug_report_info& report, void* context);

// Writes text to the debugger output (and to the output hook, when one is set). The narrow form
// takes UTF-8. Lines carry their own "\n". A null text writes nothing.
void zin_debug_output(const wchar_t* text);
void zin_debug_output(const char* text);

// Reports a failed check: counts it, hands it to the report hook (with file as given) and writes the
// line "ASSERT: <file name>(<line>): <text>\n" (the last component of file; without ": <text>" when
// text is null). Returns normally.
void zin_debug_report(const char* file, int line, const char* text);

// Evaluates a check: returns ok unchanged and reports when it is false. For use in conditions:
//     if (!ZIN_CHECK(index < mSize)) return false;
inline bool zin_debug_check(bool ok, const char* file, int line, const char* text) {
    if (!ok) zin_debug_report(file, line, text);
    return ok;
}

// Installs a hook (null removes it) and returns the previous one together with its context.
zin_debug_output_hook zin_set_debug_output_hook(zin_debug_output_hook hook, void* context,
                                                void** previousContext = nullptr);
zin_debug_report_hook zin_set_debug_report_hook(zin_debug_report_hook hook, void* context,
                                                void** previousContext = nullptr);

// Number of reports made since the process started (never reset; tests compare differences).
uint32_t zin_debug_report_count();

// ZIN_ASSERT(expr): reports the expression text when expr is false, then goes on.
// ZIN_ASSERT_MSG(expr, text): the same with a text of the caller's choice.
// ZIN_CHECK(expr) / ZIN_CHECK_MSG(expr, text): the same as a bool expression (true when expr holds).
#define ZIN_ASSERT(expr) ((void)zin_debug_check(!!(expr), __FILE__, __LINE__, #expr))
#define ZIN_ASSERT_MSG(expr, text) ((void)zin_debug_check(!!(expr), __FILE__, __LINE__, (text)))
#define ZIN_CHECK(expr) zin_debug_check(!!(expr), __FILE__, __LINE__, #expr)
#define ZIN_CHECK_MSG(expr, text) zin_debug_check(!!(expr), __FILE__, __LINE__, (text))
// The same reported under a fixed line number (checks known by their number, whatever line of the
// file they stand on).
#define ZIN_CHECK_AT(expr, line) zin_debug_check(!!(expr), __FILE__, (line), #expr)
#define ZIN_CHECK_MSG_AT(expr, text, line) zin_debug_check(!!(expr), __FILE__, (line), (text))
// Unconditional report (for code paths that are failures by themselves).
#define ZIN_REPORT(text) zin_debug_report(__FILE__, __LINE__, (text))
#define ZIN_REPORT_AT(text, line) zin_debug_report(__FILE__, (line), (text))
