#pragma once
// Capture of debug output (OutputDebugStringA/W of any module in the process, the component's
// included) into the host's log, each line marked "debug: ".
//
// Both calls announce their text by raising a continuable exception (DBG_PRINTEXCEPTION_C, and on
// newer systems DBG_PRINTEXCEPTION_WIDE_C for the wide call) before they look for a debugger; a
// vectored exception handler takes the text and continues, so the text is not sent on a second time.
// Text without a line break is kept until its line is complete (one call may send "\n" alone).
namespace host {

// Installs the handler. Safe to call twice.
void debug_capture_start();
// Removes it and writes out an incomplete last line.
void debug_capture_stop();

}  // namespace host
