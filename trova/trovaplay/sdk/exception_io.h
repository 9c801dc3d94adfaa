#pragma once
// The I/O exception family: every failure of the file-system and stream layer is one of these. Each
// class has a fixed static message kept by pointer; the two classes whose text is formatted at run
// time (exception_io_win32_ex, exception_win32) own their text and copy it deeply.
//
// Catch sites rely on the tree: exception_io_not_found also catches exception_io_invalid_drive,
// exception_io_denied catches exception_io_write_protected, exception_io_data catches the truncation
// class, and exception_io catches every I/O class but exception_aborted and exception_win32.

#include <zut/string.h>

#include <windows.h>

#include <cstdint>
#include <exception>

namespace trovaplay_io {

class exception_io : public std::exception {
 public:
  exception_io(const exception_io&) = default;
  ~exception_io() override = default;
  const char* what() const noexcept override { return m_message; }

 protected:
  explicit exception_io(const char* p_message) : m_message(p_message) {}

 private:
  const char* m_message;
};

// A class of the family: its fixed message, a copy constructor, and (for classes that others derive
// from) a constructor that takes the subclass's message.
#define TROVA_IO_EXCEPTION(name, base, message)                   \
  class name : public base {                                      \
   public:                                                        \
    name() : base(message) {}                                     \
    name(const name&) = default;                                  \
    ~name() override = default;                                   \
                                                                  \
   protected:                                                     \
    explicit name(const char* p_message) : base(p_message) {}     \
  };

TROVA_IO_EXCEPTION(exception_io_not_found, exception_io, "Object not found")
TROVA_IO_EXCEPTION(exception_io_denied, exception_io, "Access denied")
TROVA_IO_EXCEPTION(exception_io_write_protected, exception_io_denied, "The media is write protected")
TROVA_IO_EXCEPTION(exception_io_data, exception_io, "Unsupported format or corrupted file")
TROVA_IO_EXCEPTION(exception_io_data_truncation, exception_io_data, "Unsupported format or corrupted file")
TROVA_IO_EXCEPTION(exception_io_object_is_remote, exception_io,
                   "This operation is not supported on remote objects")
TROVA_IO_EXCEPTION(exception_io_sharing_violation, exception_io, "Sharing violation")
TROVA_IO_EXCEPTION(exception_io_device_full, exception_io, "Device full")
TROVA_IO_EXCEPTION(exception_io_object_not_seekable, exception_io, "Object is not seekable")
TROVA_IO_EXCEPTION(exception_io_no_length, exception_io, "Length of object is unknown")
TROVA_IO_EXCEPTION(exception_io_no_handler_for_path, exception_io, "Invalid path")
TROVA_IO_EXCEPTION(exception_io_already_exists, exception_io, "Object already exists")
TROVA_IO_EXCEPTION(exception_io_no_data, exception_io, "The process receiving or sending data has terminated")
TROVA_IO_EXCEPTION(exception_io_network_not_reachable, exception_io, "Network not reachable")
TROVA_IO_EXCEPTION(exception_io_file_corrupted, exception_io, "The file is corrupted")

// Thrown by the abort callback's check and sleep. Not an I/O exception.
class exception_aborted : public std::exception {
 public:
  exception_aborted() = default;
  exception_aborted(const exception_aborted&) = default;
  ~exception_aborted() override = default;
  const char* what() const noexcept override { return "User abort"; }
};

}  // namespace trovaplay_io

// The classes that only the file-system code raises, for Win32 codes without a class of their own.
TROVA_IO_EXCEPTION(exception_io_device_not_ready, trovaplay_io::exception_io, "Device not ready")
TROVA_IO_EXCEPTION(exception_io_invalid_drive, trovaplay_io::exception_io_not_found, "Drive not found")
TROVA_IO_EXCEPTION(exception_io_buffer_overflow, trovaplay_io::exception_io, "The file name is too long")
TROVA_IO_EXCEPTION(exception_io_win32, trovaplay_io::exception_io, "Generic win32 I/O error")

#undef TROVA_IO_EXCEPTION

// Any other Win32 code: "I/O error (win32 #<code>)", formatted into a string of its own.
class exception_io_win32_ex : public exception_io_win32 {
 public:
  explicit exception_io_win32_ex(std::uint32_t p_code);
  exception_io_win32_ex(const exception_io_win32_ex& p_source);
  ~exception_io_win32_ex() override = default;
  const char* what() const noexcept override { return m_text.get_ptr(); }

 private:
  zut::string8_t<zut::alloc_fast_aggressive> m_text;
};

// A Win32 failure outside the I/O family (the abort callback's event): the system's text for the code,
// or "Unknown error code (<code>)".
class exception_win32 : public std::exception {
 public:
  explicit exception_win32(std::uint32_t p_code);
  exception_win32(const exception_win32& p_source);
  ~exception_win32() override = default;
  const char* what() const noexcept override { return m_text.get_ptr(); }
  std::uint32_t get_code() const { return m_code; }

 private:
  zut::string8_t<zut::alloc_fast_aggressive> m_text;
  std::uint32_t m_code;
};

// Throws the class of the family that stands for the Win32 code (exception_io_win32_ex for a code
// without a class of its own). Never returns.
[[noreturn]] void throw_io_for_win32_error(std::uint32_t p_code);
