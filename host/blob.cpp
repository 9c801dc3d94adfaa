#include "blob.h"

#include <cstring>

namespace host {

std::uint32_t memory_reader::read(void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback&) {
    const std::size_t left = m_data.size() - m_pos;
    const std::uint32_t n = left < p_bytes ? std::uint32_t(left) : p_bytes;
    if (n) std::memcpy(p_buffer, m_data.data() + m_pos, n);
    m_pos += n;
    return n;
}

std::uint64_t memory_reader::skip(std::uint64_t p_bytes, trovaplay_io::abort_callback&) {
    const std::uint64_t left = m_data.size() - m_pos;
    const std::uint64_t n = left < p_bytes ? left : p_bytes;
    m_pos += std::size_t(n);
    return n;
}

void memory_writer::write(const void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback&) {
    const std::uint8_t* p = static_cast<const std::uint8_t*>(p_buffer);
    m_data.insert(m_data.end(), p, p + p_bytes);
}

bool read_file(const std::wstring& path, std::vector<std::uint8_t>& out) {
    out.clear();
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(h, &size) && size.QuadPart < 0x40000000;
    if (ok) {
        out.resize(std::size_t(size.QuadPart));
        std::size_t done = 0;
        while (ok && done < out.size()) {
            DWORD got = 0;
            ok = ReadFile(h, out.data() + done, DWORD(out.size() - done), &got, nullptr) && got > 0;
            done += got;
        }
    }
    CloseHandle(h);
    if (!ok) out.clear();
    return ok;
}

bool write_file_atomic(const std::wstring& path, const std::vector<std::uint8_t>& data) {
    const std::wstring temp = path + L".tmp";
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < data.size()) {
        DWORD written = 0;
        ok = WriteFile(h, data.data() + done, DWORD(data.size() - done), &written, nullptr) && written > 0;
        done += written;
    }
    ok = FlushFileBuffers(h) && ok;
    ok = CloseHandle(h) && ok;
    if (ok) ok = MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
}

}  // namespace host
