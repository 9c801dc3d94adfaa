#pragma once
// Console output: lines for every console receiver of the host. Dropped silently while services are
// unavailable or when the host has no receiver.

#include <trovaplay/sdk/console_receiver.h>
#include <trovaplay/sdk/service.h>
#include <zut/string.h>

#include <exception>

class metadb_handle;
class playable_location;

namespace console {

void print(const char* p_text);
void info(const char* p_text);
void error(const char* p_text);    // "ERROR : " + text
void warning(const char* p_text);  // "WARNING : " + text
// Formats with shared.dll's uPrintfV and prints the result.
void printf(const char* p_format, ...);
// The location as text (the display path in double quotes, " / index: N" for a sub-song); for a
// handle, its location. An empty handle prints nothing.
void info_location(const playable_location& p_location);
void info_location(const service_ptr_t<metadb_handle>& p_handle);

// For the boundaries that must not let an exception out (methods the host calls): prints
// "ERROR : <where>: <message>" when services are available and always writes the same line to the
// debug output. Never throws.
void report_error(const char* p_where, const char* p_message) noexcept;

// Runs `p_body` and keeps every exception in, reporting it with report_error(p_where, ...). For the
// methods the host calls; never around script calls (a script error must unwind to its own handler).
template <typename F>
void guarded(const char* p_where, F&& p_body) noexcept {
  try {
    p_body();
  } catch (const std::exception& e) {
    report_error(p_where, e.what());
  } catch (...) {
    report_error(p_where, "unknown exception");
  }
}

// Collects text with <<; its destructor prints it (when not empty) and never lets an exception out.
class formatter : public zut::string8_t<zut::alloc_fast_aggressive> {
 public:
  formatter() = default;
  formatter(const formatter&) = delete;
  formatter& operator=(const formatter&) = delete;
  virtual ~formatter();
};

}  // namespace console
