#pragma once
// Small UTF-8 / UTF-16 helpers private to shared.dll (it stands alone: no foundation-library code
// runs inside it, only virtual calls on the strings it is handed).
#include <windows.h>
#include <stdint.h>
#include <string>

namespace shared_dll {

// Length of `text` in bytes, bounded by `len` (~0u: up to the NUL) and by an earlier NUL.
inline uint32_t bounded_length(const char* text, uint32_t len) {
    if (text == nullptr) return 0;
    uint32_t n = 0;
    while (n < len && text[n] != 0) ++n;
    return n;
}

// Decodes one character at text[0..avail). Returns the bytes used (1..4) and the code point in `c`.
// Invalid or truncated sequences (overlong forms and surrogates included) use 1 byte and give
// 0x80000000 | byte, a value no character has, so they compare by byte value.
inline unsigned decode_utf8(const unsigned char* p, uint32_t avail, uint32_t& c) {
    const unsigned b0 = p[0];
    if (b0 < 0x80) { c = b0; return 1; }
    unsigned need;
    uint32_t v, min;
    if ((b0 & 0xE0) == 0xC0) { need = 2; v = b0 & 0x1F; min = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { need = 3; v = b0 & 0x0F; min = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { need = 4; v = b0 & 0x07; min = 0x10000; }
    else { c = 0x80000000u | b0; return 1; }
    if (avail < need) { c = 0x80000000u | b0; return 1; }
    for (unsigned i = 1; i < need; ++i) {
        if ((p[i] & 0xC0) != 0x80) { c = 0x80000000u | b0; return 1; }
        v = (v << 6) | (p[i] & 0x3F);
    }
    if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) { c = 0x80000000u | b0; return 1; }
    c = v;
    return need;
}

// Appends the UTF-8 form of code point c (nothing for 0 or values past 0x10FFFF, or surrogates).
inline void append_utf8(std::string& out, uint32_t c) {
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return;
    if (c < 0x80) { out += char(c); return; }
    if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
    }
    out += char(0x80 | (c & 0x3F));
}

// UTF-8 (len bytes, bounded as above) to UTF-16. Invalid bytes become U+FFFD.
inline std::wstring to_wide(const char* text, uint32_t len) {
    const uint32_t n = bounded_length(text, len);
    std::wstring out;
    out.reserve(n);
    uint32_t i = 0;
    while (i < n) {
        uint32_t c;
        i += decode_utf8(reinterpret_cast<const unsigned char*>(text) + i, n - i, c);
        if (c & 0x80000000u) c = 0xFFFD;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += wchar_t(0xD800 | (c >> 10));
            out += wchar_t(0xDC00 | (c & 0x3FF));
        } else {
            out += wchar_t(c);
        }
    }
    return out;
}

// UTF-16 (n units, or up to the NUL when n is ~0u) to UTF-8. Unpaired surrogates become U+FFFD.
inline std::string from_wide(const wchar_t* text, uint32_t n = ~0u) {
    std::string out;
    if (text == nullptr) return out;
    for (uint32_t i = 0; i < n && text[i] != 0; ++i) {
        uint32_t c = uint16_t(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && uint16_t(text[i + 1]) >= 0xDC00 &&
            uint16_t(text[i + 1]) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (uint16_t(text[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        append_utf8(out, c);
    }
    return out;
}

// Writes "ERROR : shared.dll: <what>" to the debugger output and to standard error.
void report_error(const char* what);

}  // namespace shared_dll
