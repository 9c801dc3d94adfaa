// The assertion reporter and the byte-wise swap.
#include "primitives.h"

#include <windows.h>

#include <cwchar>

namespace zut {
namespace {

const t_size kReportTextMax = 512;

// The last report, kept for tests. Reports may come from several threads; the copy is best effort.
wchar_t g_last_expression[kReportTextMax];
wchar_t g_last_file[kReportTextMax];
volatile LONG g_last_line = 0;
volatile LONG g_assert_count = 0;
assert_hook_t volatile g_assert_hook = nullptr;

debug_output_hook_t volatile g_output_hook = nullptr;
void* volatile g_output_context = nullptr;

void copy_text(wchar_t* p_dest, const wchar_t* p_source) {
  if (p_source == nullptr) p_source = L"";
  t_size n = 0;
  for (; n + 1 < kReportTextMax && p_source[n] != 0; n++) p_dest[n] = p_source[n];
  p_dest[n] = 0;
}

// Whether anybody reads the system's debug output: a debugger, or a debug monitor, which announces
// itself by the event "DBWIN_BUFFER_READY". Under Wine each line handed to the system costs tens of
// microseconds even when nobody reads it, and the call trace writes many: the answer is asked
// again at most twice a second, so that a monitor started later is heard from soon.
bool debug_output_heard() {
  static volatile LONG s_heard = 0;
  static volatile DWORD s_asked_at = 0;
  static volatile LONG s_asked = 0;
  const DWORD now = GetTickCount();
  if (s_asked == 0 || now - s_asked_at >= 500) {
    bool heard = IsDebuggerPresent() != FALSE;
    if (!heard) {
      const HANDLE ready = OpenEventW(SYNCHRONIZE, FALSE, L"DBWIN_BUFFER_READY");
      heard = ready != nullptr;
      if (ready != nullptr) CloseHandle(ready);
    }
    s_heard = heard ? 1 : 0;
    s_asked_at = now;
    s_asked = 1;
  }
  return s_heard != 0;
}

}  // namespace

void debug_output(const wchar_t* p_text) {
  if (p_text == nullptr) return;
  const debug_output_hook_t hook = g_output_hook;
  if (hook != nullptr) hook(p_text, g_output_context);
  if (debug_output_heard()) OutputDebugStringW(p_text);
}

bool debug_output_wanted() { return g_output_hook != nullptr || debug_output_heard(); }

debug_output_hook_t set_debug_output_hook(debug_output_hook_t p_hook, void* p_context,
                                          void** p_previous_context) {
  const debug_output_hook_t previous = g_output_hook;
  if (p_previous_context != nullptr) *p_previous_context = g_output_context;
  g_output_hook = p_hook;
  g_output_context = p_context;
  return previous;
}

void assert_failed(const wchar_t* p_expression, const wchar_t* p_file, unsigned p_line,
                   bool p_allow_break) {
  if (p_expression == nullptr) p_expression = L"";
  if (p_file == nullptr) p_file = L"";

  // 1. Count and remember the report.
  InterlockedIncrement(&g_assert_count);
  copy_text(g_last_expression, p_expression);
  copy_text(g_last_file, p_file);
  g_last_line = static_cast<LONG>(p_line);

  // 2. One debug-output line.
  wchar_t line[kReportTextMax * 2 + 64];
  std::swprintf(line, sizeof(line) / sizeof(line[0]), L"Assertion failed: %ls, file %ls, line %u\n",
                p_expression, p_file, p_line);
  debug_output(line);

  // 3. The test hook.
  assert_hook_t hook = g_assert_hook;
  if (hook != nullptr) hook(p_expression, p_file, p_line);

  // 4. Stop in an attached debugger only; otherwise the caller goes on.
  if (p_allow_break && IsDebuggerPresent()) DebugBreak();
}

assert_hook_t set_assert_hook(assert_hook_t p_hook) {
  assert_hook_t previous = g_assert_hook;
  g_assert_hook = p_hook;
  return previous;
}

t_size get_assert_count() { return static_cast<t_size>(g_assert_count); }
void reset_assert_count() { InterlockedExchange(&g_assert_count, 0); }
const wchar_t* get_last_assert_expression() { return g_last_expression; }
const wchar_t* get_last_assert_file() { return g_last_file; }
unsigned get_last_assert_line() { return static_cast<unsigned>(g_last_line); }

void dynamic_assert(bool p_condition) {
  if (p_condition) return;
  assert_failed(L"0", L"primitives", 233);
  throw exception_dynamic_assert("dynamic_assert failure");
}

void swap_void(void* p_item1, void* p_item2, t_size p_bytes) {
  unsigned char* a = static_cast<unsigned char*>(p_item1);
  unsigned char* b = static_cast<unsigned char*>(p_item2);
  if (a == b) return;
  for (t_size n = 0; n < p_bytes; n++) {
    unsigned char t = a[n];
    a[n] = b[n];
    b[n] = t;
  }
}

}  // namespace zut
