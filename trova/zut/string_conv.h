// Text conversion of the foundation library: UTF-8 and UTF-16 character primitives, bulk converters
// that first estimate the output size and then convert into a caller's buffer, and converter objects
// that do both and hold the result.
//
// Text rules: inside the component UTF-8; at the script boundary the system ANSI code page (code page
// 0, CP_ACP); Windows calls take wide text. Lengths count bytes for UTF-8 and code-page text and 16-bit
// units for wide text; a length or maximum of ~0 means "up to the terminating NUL". A null input text
// reads as empty text everywhere.
#pragma once

#include <zut/primitives.h>
#include <zut/array.h>
#include <zut/alloc.h>

namespace zut {

// ---- UTF-8 and UTF-16 character primitives -------------------------------------------------------

// Byte length (1..6) of the character at p, 0 for NUL, an invalid sequence (overlong forms included)
// or max 0. The code point goes to *out (0 on failure) when out is not null.
t_size utf8_decode_char(const char* p, unsigned* out, t_size max = ~t_size(0));
// Byte length (1..6) of c encoded as UTF-8, 0 above 0x7FFFFFFF; writes the bytes when out is not null.
t_size utf8_encode_char(unsigned c, char* out);
// Sequence length 1..6 that the byte b leads, 0 when b leads nothing.
t_size utf8_char_len_from_lead(char b);
// utf8_decode_char without the code point.
t_size utf8_char_len(const char* p, t_size max = ~t_size(0));
// The code point at p, 0 when invalid.
unsigned utf8_get_char(const char* p);
// Byte offset after at most count characters; stops early at the NUL or an invalid sequence.
t_size utf8_chars_to_bytes(const char* p, t_size count);
// Characters in the first len bytes; stops at the NUL or an invalid sequence.
t_size utf8_count_chars(const char* p, t_size len = ~t_size(0));
// Copies whole characters of src into dst (capacity max bytes, NUL included); returns the bytes copied.
t_size utf8_copy_max(const char* src, char* dst, t_size max);
// True when every character up to the NUL decodes; false for a null pointer.
bool is_valid_utf8(const char* p);
// True when no byte up to the NUL is 0x80 or above.
bool is_lower_ascii(const char* p);
// Units used by the character at p: 0 for max 0 or a NUL (when max > 1), 2 for a surrogate pair,
// else 1. The code point goes to *out when out is not null.
t_size utf16_decode_char(const wchar_t* p, unsigned* out, t_size max = ~t_size(0));
// Units written to out (room for two): 1 below 0x10000, 2 up to 0x10FFFF, 0 for c = 0 or above.
t_size utf16_encode_char(unsigned c, wchar_t* out);

// ---- Bulk routines ---------------------------------------------------------------------------------
// Estimates count the terminating NUL; conversions return the elements written without it. out_max
// and out_len count the NUL.

t_size estimate_utf8_to_wide(const char* in, t_size in_len = ~t_size(0));
t_size convert_utf8_to_wide(wchar_t* out, t_size out_max, const char* in, t_size in_len = ~t_size(0));
t_size estimate_wide_to_utf8(const wchar_t* in, t_size in_len = ~t_size(0));
t_size convert_wide_to_utf8(char* out, t_size out_max, const wchar_t* in, t_size in_len = ~t_size(0));

t_size estimate_codepage_to_wide(unsigned codepage, const char* in, t_size in_len = ~t_size(0));
t_size convert_codepage_to_wide(unsigned codepage, wchar_t* out, t_size out_len, const char* in,
                                t_size in_len = ~t_size(0));
t_size estimate_wide_to_codepage(unsigned codepage, const wchar_t* in, t_size in_len = ~t_size(0));
t_size convert_wide_to_codepage(unsigned codepage, char* out, t_size out_len, const wchar_t* in,
                                t_size in_len = ~t_size(0));

// ---- Converter objects -----------------------------------------------------------------------------

// The result buffer of a converter object: sized to exactly the estimated element count, NUL
// included. An empty buffer reads as the empty text.
template <typename T>
class conversion_buffer {
public:
    T* set_size(t_size n) {
        m_data.set_size(n);
        return m_data.get_ptr();
    }
    t_size get_size() const { return m_data.get_size(); }
    const T* get_ptr() const {
        static const T empty[1] = {};
        return m_data.get_size() > 0 ? m_data.get_ptr() : empty;
    }

private:
    array_t<T, alloc_standard> m_data;
};

// Base of the six converter objects: one field, the result buffer. No virtual operations.
template <typename T>
class string_converter {
public:
    const T* get_ptr() const { return m_buffer.get_ptr(); }
    operator const T*() const { return get_ptr(); }
    // Elements of the result buffer, NUL included (0 while it is empty).
    t_size get_buffer_size() const { return m_buffer.get_size(); }
    // Elements of the result, without the NUL.
    t_size length() const {
        const T* p = get_ptr();
        t_size n = 0;
        while (p[n] != 0) ++n;
        return n;
    }

protected:
    string_converter() = default;
    conversion_buffer<T> m_buffer;
};

// Wide text to UTF-8.
class utf8_from_wide : public string_converter<char> {
public:
    explicit utf8_from_wide(const wchar_t* src, t_size len = ~t_size(0));
};

// UTF-8 to wide text.
class wide_from_utf8 : public string_converter<wchar_t> {
public:
    explicit wide_from_utf8(const char* src, t_size len = ~t_size(0));
};

// System ANSI code page text to wide text.
class wide_from_codepage : public string_converter<wchar_t> {
public:
    explicit wide_from_codepage(const char* src, t_size len = ~t_size(0));
};

// Wide text to system ANSI code page text.
class codepage_from_wide : public string_converter<char> {
public:
    explicit codepage_from_wide(const wchar_t* src, t_size len = ~t_size(0));
};

// System ANSI code page text to UTF-8.
class utf8_from_codepage : public string_converter<char> {
public:
    explicit utf8_from_codepage(const char* src, t_size len = ~t_size(0));
};

// UTF-8 to system ANSI code page text.
class codepage_from_utf8 : public string_converter<char> {
public:
    explicit codepage_from_utf8(const char* src, t_size len = ~t_size(0));
};

}  // namespace zut
