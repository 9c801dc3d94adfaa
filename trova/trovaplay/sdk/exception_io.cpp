// The I/O exception family: the two classes with formatted texts and the Win32 code mapping.
//
// Mapping of a Win32 code:
//   1. above 1231: 1392 and 1393 are a corrupted file, every other code the generic class;
//   2. 1231: network not reachable;
//   3. otherwise the table of codes 2 to 232; a code without a row gets the generic class.

#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/shared/shared.h>

exception_io_win32_ex::exception_io_win32_ex(std::uint32_t p_code) {
  m_text << "I/O error (win32 #" << static_cast<unsigned>(p_code) << ")";
}

exception_io_win32_ex::exception_io_win32_ex(const exception_io_win32_ex& p_source)
    : exception_io_win32(p_source), m_text(p_source.m_text) {}

exception_win32::exception_win32(std::uint32_t p_code) : m_code(p_code) {
  if (!uFormatSystemErrorMessage(m_text, p_code)) {
    m_text.reset();
    m_text << "Unknown error code (" << static_cast<unsigned>(p_code) << ")";
  }
}

exception_win32::exception_win32(const exception_win32& p_source)
    : std::exception(p_source), m_text(p_source.m_text), m_code(p_source.m_code) {}

namespace {

template <typename T>
[[noreturn]] void throw_as() {
  throw T();
}

struct win32_row {
  std::uint32_t code;
  void (*thrower)();
};

const win32_row g_win32_rows[] = {
    {2, &throw_as<trovaplay_io::exception_io_not_found>},
    {3, &throw_as<trovaplay_io::exception_io_not_found>},
    {5, &throw_as<trovaplay_io::exception_io_denied>},
    {15, &throw_as<exception_io_invalid_drive>},
    {19, &throw_as<trovaplay_io::exception_io_write_protected>},
    {21, &throw_as<exception_io_device_not_ready>},
    {23, &throw_as<trovaplay_io::exception_io_file_corrupted>},
    {32, &throw_as<trovaplay_io::exception_io_sharing_violation>},
    {33, &throw_as<trovaplay_io::exception_io_sharing_violation>},
    {39, &throw_as<trovaplay_io::exception_io_device_full>},
    {64, &throw_as<trovaplay_io::exception_io_network_not_reachable>},
    {65, &throw_as<trovaplay_io::exception_io_denied>},
    {80, &throw_as<trovaplay_io::exception_io_already_exists>},
    {109, &throw_as<trovaplay_io::exception_io_no_data>},
    {111, &throw_as<exception_io_buffer_overflow>},
    {112, &throw_as<trovaplay_io::exception_io_device_full>},
    {148, &throw_as<trovaplay_io::exception_io_sharing_violation>},
    {170, &throw_as<trovaplay_io::exception_io_sharing_violation>},
    {183, &throw_as<trovaplay_io::exception_io_already_exists>},
    {232, &throw_as<trovaplay_io::exception_io_no_data>},
};

}  // namespace

void throw_io_for_win32_error(std::uint32_t p_code) {
  // 1.
  if (p_code > 1231) {
    if (p_code == 1392 || p_code == 1393) throw trovaplay_io::exception_io_file_corrupted();
    throw exception_io_win32_ex(p_code);
  }
  // 2.
  if (p_code == 1231) throw trovaplay_io::exception_io_network_not_reachable();
  // 3.
  for (const win32_row& row : g_win32_rows) {
    if (row.code == p_code) row.thrower();
  }
  throw exception_io_win32_ex(p_code);
}
