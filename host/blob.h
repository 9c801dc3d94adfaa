#pragma once
// The component's configuration blob as the host keeps it: bytes in a file of the profile folder,
// handed to the component through memory streams. Files are replaced atomically.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/stream.h>

namespace host {

// The host never aborts a blob transfer: the SDK's plain abort callback (flag and event, never set).
using host_abort = trovaplay_io::abort_callback_impl;

// Reads from a byte array.
class memory_reader final : public trovaplay_io::stream_reader {
public:
    explicit memory_reader(const std::vector<std::uint8_t>& data) : m_data(data) {}
    std::uint32_t read(void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback& p_abort) override;
    std::uint64_t skip(std::uint64_t p_bytes, trovaplay_io::abort_callback& p_abort) override;
    std::size_t position() const { return m_pos; }

private:
    const std::vector<std::uint8_t>& m_data;
    std::size_t m_pos = 0;
};

// Appends to a byte array.
class memory_writer final : public trovaplay_io::stream_writer {
public:
    explicit memory_writer(std::vector<std::uint8_t>& data) : m_data(data) {}
    void write(const void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback& p_abort) override;

private:
    std::vector<std::uint8_t>& m_data;
};

// Reads a whole file. False when it does not exist or cannot be read.
bool read_file(const std::wstring& path, std::vector<std::uint8_t>& out);
// Writes a whole file atomically (a temporary file beside it, every write and the close checked, then
// renamed over the old one). False, with the old file left as it was, on any failure.
bool write_file_atomic(const std::wstring& path, const std::vector<std::uint8_t>& data);

}  // namespace host
