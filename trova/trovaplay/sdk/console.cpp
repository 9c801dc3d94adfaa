// Console output.
//
// 1. print: while services are available, every console receiver of the host, in its index order,
//    gets the text unchanged (length ~0); the last receiver pointer is released at the end.
// 2. The formatter prints its text from its destructor when not empty.
// 3. error / warning: the prefix and the text as one line through a formatter.
// 4. info_location: the location's text through a formatter.

#include <trovaplay/sdk/console.h>
#include <trovaplay/sdk/core_api.h>
#include <trovaplay/sdk/metadb_handle.h>
#include <trovaplay/sdk/service.h>
#include <trovaplay/shared/shared.h>
#include <zut/primitives.h>
#include <zut/string_conv.h>

#include <cstdarg>

namespace console {

void print(const char* p_text) {
  // 1. Nothing is printed or kept while services are unavailable.
  if (!core_api::are_services_available()) return;
  // A null pointer is no text: receivers get the empty text instead.
  if (p_text == nullptr) p_text = "";
  service_enumerator_t<console_receiver> receivers;
  service_ptr_t<console_receiver> receiver;
  while (receivers.next(receiver)) receiver->print(p_text, ~std::uint32_t(0));
  // The last receiver is released with `receiver`.
}

void info(const char* p_text) { print(p_text); }

formatter::~formatter() {
  // 2. Never let an exception out of a destructor.
  try {
    if (!is_empty()) print(get_ptr());
  } catch (...) {
  }
}

void error(const char* p_text) {
  // 3.
  formatter f;
  f << "ERROR : " << p_text;
}

void warning(const char* p_text) {
  formatter f;
  f << "WARNING : " << p_text;
}

void printf(const char* p_format, ...) {
  zut::string8_t<zut::alloc_fast_aggressive> text;
  va_list args;
  va_start(args, p_format);
  try {
    uPrintfV(text, p_format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
  print(text.get_ptr());
}

void info_location(const playable_location& p_location) {
  // 4.
  formatter f;
  playable_location_text(p_location, f);
}

void info_location(const service_ptr_t<metadb_handle>& p_handle) {
  if (p_handle.is_valid()) info_location(p_handle->get_location());
}

void report_error(const char* p_where, const char* p_message) noexcept {
  try {
    zut::string8_t<zut::alloc_fast_aggressive> line;
    line << "ERROR : " << (p_where ? p_where : "") << ": " << (p_message ? p_message : "");
    print(line.get_ptr());
    // The debug output: the same text as one wide line.
    line << "\n";
    zut::wide_from_utf8 wide(line.get_ptr());
    zut::debug_output(wide.get_ptr());
  } catch (...) {
  }
}

}  // namespace console
