#pragma once
// The I/O exception family (the classes that can arise in this component so far). Each keeps a fixed
// static message by pointer.

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

class exception_io_data : public exception_io {
 public:
  exception_io_data() : exception_io("Unsupported format or corrupted file") {}
  exception_io_data(const exception_io_data&) = default;
  ~exception_io_data() override = default;

 protected:
  explicit exception_io_data(const char* p_message) : exception_io(p_message) {}
};

class exception_io_data_truncation : public exception_io_data {
 public:
  exception_io_data_truncation() : exception_io_data("Unsupported format or corrupted file") {}
  exception_io_data_truncation(const exception_io_data_truncation&) = default;
  ~exception_io_data_truncation() override = default;
};

class exception_aborted : public std::exception {
 public:
  exception_aborted() = default;
  exception_aborted(const exception_aborted&) = default;
  ~exception_aborted() override = default;
  const char* what() const noexcept override { return "User abort"; }
};

}  // namespace trovaplay_io
