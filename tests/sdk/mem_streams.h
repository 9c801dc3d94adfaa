#pragma once
// Memory streams for the SDK layer's tests: a reader over a text that logs every request, and a
// writer that collects what it is given.

#include <trovaplay/sdk/stream.h>

#include <cstring>
#include <string>
#include <vector>

class mem_reader : public trovaplay_io::stream_reader {
 public:
  explicit mem_reader(std::string data) : m_data(std::move(data)) {}
  std::uint32_t read(void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback&) override {
    asked.push_back(p_bytes);
    std::size_t left = m_data.size() - m_pos;
    std::uint32_t n = p_bytes < left ? p_bytes : static_cast<std::uint32_t>(left);
    std::memcpy(p_buffer, m_data.data() + m_pos, n);
    m_pos += n;
    return n;
  }
  std::size_t consumed() const { return m_pos; }
  std::vector<std::uint32_t> asked;  // the byte counts of every read

 private:
  std::string m_data;
  std::size_t m_pos = 0;
};

class mem_writer : public trovaplay_io::stream_writer {
 public:
  void write(const void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback&) override {
    data.append(static_cast<const char*>(p_buffer), p_bytes);
    writes++;
  }
  std::string data;
  int writes = 0;
};
