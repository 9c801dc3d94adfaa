// The configuration file's byte stream and its serialisation helpers (see config_stream.h).

#include "config_stream.h"

#include <io.h>

#include <cstring>
#include <memory>
#include <stdexcept>

namespace zin_config {

namespace {

[[noreturn]] void fail_read() { throw std::runtime_error("error reading from file"); }
[[noreturn]] void fail_write() { throw std::runtime_error("error writing to file"); }

// The length of the open file; false when it cannot be told.
bool file_length(FILE* file, uint64_t& out) {
    const long long length = _filelengthi64(_fileno(file));
    if (length < 0) return false;
    out = static_cast<uint64_t>(length);
    return true;
}

template <class T>
T* read_text(config_stream& s) {
    const uint32_t count = s.read_count(sizeof(T));
    // count + 1 units must be a size (a file of more than 4 GiB passes the check above).
    if (static_cast<uint64_t>(count) + 1 > SIZE_MAX / sizeof(T)) fail_read();
    std::unique_ptr<T[]> text(new T[static_cast<size_t>(count) + 1]);
    s.read(text.get(), count * static_cast<uint32_t>(sizeof(T)));
    text[count] = 0;
    return text.release();
}

template <class T, size_t (*length_of)(const T*)>
void write_text(config_stream& s, const T* text) {
    if (!text) fail_write();
    const size_t length = length_of(text);
    if (length > UINT32_MAX / sizeof(T)) fail_write();
    write_4(s, static_cast<uint32_t>(length));
    s.write(text, static_cast<uint32_t>(length * sizeof(T)));
}

size_t narrow_length(const char* text) { return strlen(text); }
size_t wide_length(const wchar_t* text) { return wcslen(text); }

}  // namespace

config_stream::~config_stream() {
    if (m_file) fclose(m_file);
}

void config_stream::open(const wchar_t* path, bool write) {
    if (m_file || m_to_memory || !path) throw std::runtime_error("error opening file");
    m_file = _wfopen(path, write ? L"wbS" : L"rbS");
    if (!m_file) throw std::runtime_error("error opening file");
    m_write = write;
    m_left = 0;
    if (!write && !file_length(m_file, m_left)) throw std::runtime_error("error opening file");
}

void config_stream::open_memory() {
    if (m_file || m_to_memory) throw std::runtime_error("error opening file");
    m_to_memory = true;
    m_write = true;
    m_memory.clear();
}

void config_stream::read(void* buffer, uint32_t n) {
    if (n == 0) return;
    if (!m_file || m_write || n > m_left) fail_read();
    if (fread(buffer, 1, n, m_file) != n) fail_read();
    m_left -= n;
}

void config_stream::write(const void* buffer, uint32_t n) {
    if (n == 0) return;
    if (m_to_memory) {
        m_memory.append(static_cast<const char*>(buffer), n);
        return;
    }
    if (!m_file || !m_write) fail_write();
    if (fwrite(buffer, 1, n, m_file) != n) fail_write();
}

void config_stream::close() {
    if (!m_file) return;
    FILE* file = m_file;
    m_file = nullptr;
    if (!m_write) {
        fclose(file);
        return;
    }
    // A file that only looks written is worse than none: each step is checked.
    bool ok = fflush(file) == 0;
    ok = ok && _commit(_fileno(file)) == 0;
    ok = (fclose(file) == 0) && ok;
    if (!ok) fail_write();
}

uint32_t config_stream::read_count(uint32_t min_size) {
    const uint32_t count = read_4(*this);
    if (min_size != 0 && static_cast<uint64_t>(count) * min_size > m_left) fail_read();
    return count;
}

uint32_t read_4(config_stream& s) {
    uint32_t value;
    s.read(&value, 4);
    return value;
}
void write_4(config_stream& s, uint32_t value) { s.write(&value, 4); }

double read_8(config_stream& s) {
    double value;
    s.read(&value, 8);
    return value;
}
void write_8(config_stream& s, double value) { s.write(&value, 8); }

uint8_t read_1(config_stream& s) {
    uint8_t value;
    s.read(&value, 1);
    return value;
}
void write_1(config_stream& s, uint8_t value) { s.write(&value, 1); }

static_assert(sizeof(RECT) == 16, "RECT is four 32-bit values");
void read_16(config_stream& s, RECT& out) { s.read(&out, 16); }
void write_16(config_stream& s, const RECT& value) { s.write(&value, 16); }

static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA is the 60-byte record of the file");
void read_60(config_stream& s, LOGFONTA& out) { s.read(&out, 60); }
void write_60(config_stream& s, const LOGFONTA& value) { s.write(&value, 60); }

void read_colors(config_stream& s, COLORREF (&out)[16]) { s.read(out, 64); }
void write_colors(config_stream& s, const COLORREF (&value)[16]) { s.write(value, 64); }

wchar_t* read_wstring(config_stream& s) { return read_text<wchar_t>(s); }
void write_wstring(config_stream& s, const wchar_t* text) { write_text<wchar_t, &wide_length>(s, text); }
char* read_string(config_stream& s) { return read_text<char>(s); }
void write_string(config_stream& s, const char* text) { write_text<char, &narrow_length>(s, text); }

}  // namespace zin_config
