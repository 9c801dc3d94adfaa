#pragma once
// The host's console receiver service: every line it is given goes to the log (standard output and
// the --log file), marked as a console line.
#include <trovaplay/sdk/console_receiver.h>

namespace host {

// A new console receiver with one reference (the caller's).
console_receiver* make_console_receiver();

}  // namespace host
