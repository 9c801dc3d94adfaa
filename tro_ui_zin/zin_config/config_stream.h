#pragma once
// The configuration file's byte stream and the serialisation helpers of its format.
//
// Format: little-endian, no padding, no alignment, no terminators. A 4-byte value is an unsigned
// 32-bit integer; a wide string is a 4-byte count of UTF-16 units and the units; a narrow string a
// 4-byte byte count and the bytes; an array a 4-byte element count and the elements.
//
// Every read and write moves exactly the bytes asked for or throws std::runtime_error ("error
// reading from file", "error writing to file"). A reading stream knows the bytes left in the file,
// and every count read from it is checked against them before anything is allocated, so that a
// corrupt or hostile file fails cleanly.

#include <array.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace zin_config {

class config_stream {
public:
    config_stream() = default;
    ~config_stream();  // closes a file still open (without checking: the failure is on its way)
    config_stream(const config_stream&) = delete;
    config_stream& operator=(const config_stream&) = delete;

    // Opens path ("wbS" to write: created or truncated; "rbS" to read). Throws "error opening file".
    void open(const wchar_t* path, bool write);
    // A writing stream into memory (memory()); its close checks nothing.
    void open_memory();
    const std::string& memory() const { return m_memory; }
    void read(void* buffer, uint32_t n);
    void write(const void* buffer, uint32_t n);
    // Ends the stream. For a writing stream the flush, the commit to disk and the close are checked
    // ("error writing to file").
    void close();

    // Bytes not yet read (reading streams).
    uint64_t bytes_left() const { return m_left; }
    // Reads an element count and checks that count elements of at least min_size bytes each fit in
    // the bytes left.
    uint32_t read_count(uint32_t min_size);

private:
    FILE* m_file = nullptr;
    bool m_write = false;
    bool m_to_memory = false;
    std::string m_memory;
    uint64_t m_left = 0;
};

// ---- Fixed-size values ---------------------------------------------------------------------------
uint32_t read_4(config_stream& s);
void write_4(config_stream& s, uint32_t value);
double read_8(config_stream& s);
void write_8(config_stream& s, double value);
uint8_t read_1(config_stream& s);
void write_1(config_stream& s, uint8_t value);
void read_16(config_stream& s, RECT& out);
void write_16(config_stream& s, const RECT& value);
void read_60(config_stream& s, LOGFONTA& out);
void write_60(config_stream& s, const LOGFONTA& value);
void read_colors(config_stream& s, COLORREF (&out)[16]);
void write_colors(config_stream& s, const COLORREF (&value)[16]);

// ---- Strings -------------------------------------------------------------------------------------
// The readers allocate count + 1 units with new[] and terminate the text in memory; the writers
// require a string (null throws "error writing to file").
wchar_t* read_wstring(config_stream& s);
void write_wstring(config_stream& s, const wchar_t* text);
char* read_string(config_stream& s);
void write_string(config_stream& s, const char* text);

}  // namespace zin_config
