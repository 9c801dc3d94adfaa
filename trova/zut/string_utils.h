// String helpers of the foundation library: time and number formatting, hexadecimal dumps, path and
// file-name helpers, searching and comparing texts, parsing numbers, and the order-array primitives.
//
// Unless said otherwise lengths are t_size bytes, a maximum of ~0 means "up to the NUL", "not found"
// is ~0, and a null text reads as empty text.
#pragma once

#include <zut/primitives.h>
#include <zut/string.h>

namespace zut {

// ---- Time and numbers ------------------------------------------------------------------------------

// "[Nwk ][Nd ][h:]m:ss" of a number of seconds; negative values count as 0.
class format_time {
public:
    explicit format_time(t_int64 p_seconds);
    const char* get_ptr() const { return m_buffer; }
    operator const char*() const { return m_buffer; }

private:
    char m_buffer[32];
};

// Digits of an unsigned value in radix 2..16 (upper-case letters), at least min_digits (1..64) digits.
class format_uint {
public:
    explicit format_uint(t_uint64 p_value, unsigned p_min_digits = 0, unsigned p_radix = 10);
    const char* get_ptr() const { return m_buffer; }
    operator const char*() const { return m_buffer; }

private:
    char m_buffer[65];  // 64 digits and the NUL
};

// As format_uint with "-" before negative values; the "-" counts toward min_digits.
class format_int {
public:
    explicit format_int(t_int64 p_value, unsigned p_min_digits = 0, unsigned p_radix = 10);
    const char* get_ptr() const { return m_buffer; }
    operator const char*() const { return m_buffer; }

private:
    char m_buffer[66];  // sign, 64 digits and the NUL
};

// Upper-case hexadecimal, min_digits clamped to 1..16.
class format_hex {
public:
    explicit format_hex(t_uint64 p_value, unsigned p_min_digits = 0);
    const char* get_ptr() const { return m_buffer; }
    operator const char*() const { return m_buffer; }

private:
    char m_buffer[17];
};

// Lower-case hexadecimal, min_digits clamped to 1..16.
class format_hex_lowercase {
public:
    explicit format_hex_lowercase(t_uint64 p_value, unsigned p_min_digits = 0);
    const char* get_ptr() const { return m_buffer; }
    operator const char*() const { return m_buffer; }

private:
    char m_buffer[17];
};

// Two upper-case hexadecimal digits per byte; the spacing text (may be null) between bytes.
class format_hexdump : public string8_t<alloc_fast_aggressive> {
public:
    format_hexdump(const void* p_data, t_size p_size, const char* p_spacing);
};

// The same in lower case.
class format_hexdump_lowercase : public string8_t<alloc_fast_aggressive> {
public:
    format_hexdump_lowercase(const void* p_data, t_size p_size, const char* p_spacing);
};

// value / 10^digits "." value mod 10^digits (exactly digits digits, at least one); "-" when negative.
// digits is clamped to 0..64.
class format_fixedpoint : public string8_t<alloc_fast_aggressive> {
public:
    format_fixedpoint(t_int64 p_value, unsigned p_digits);
};

// Writes value with digits decimals (clamped to 0..64) into out: never more than max - 1 characters and
// always a NUL (nothing at all for max 0). NaN gives "nan", infinities "inf" with their sign.
void float_to_string(char* p_out, t_size p_max, double p_value, unsigned p_digits, bool p_force_sign);

// float_to_string into 64 bytes without force_sign; blanks before it up to width.
class format_float : public string8_t<alloc_standard> {
public:
    format_float(double p_value, unsigned p_width, unsigned p_digits);
};

// Parses a decimal number ("." or "," as the decimal point, optional exponent); at most 127 bytes.
double string_to_float(const char* p_text, t_size p_max = infinite_size);

// Value of the leading decimal digits (at most max bytes), wrapping.
unsigned atoui_ex(const char* p_text, t_size p_max = infinite_size);
t_uint64 atoui64_ex(const char* p_text);
// As atoui64_ex after an optional leading "-", which negates.
t_int64 atoi64_ex(const char* p_text);

bool char_is_numeric(char p_char);
// True when the text (up to max bytes or the NUL) is not empty and all decimal digits.
bool is_numeric_string(const char* p_text, t_size p_max = infinite_size);
// True when a CR or LF comes before the NUL within max bytes.
bool is_multiline(const char* p_text, t_size p_max = infinite_size);

// ---- Paths and file names (separators "\", "/", "|", ":") -------------------------------------------

bool is_path_separator(char p_char);
// A separator or one of * ? " > <.
bool is_path_bad_char(char p_char);
bool has_path_bad_chars(const char* p_text);
// Index after the last separator (0 when there is none).
t_size scan_filename(const char* p_path);

// The file name up to "?" or the end, without its extension.
class string_filename : public string8_t<alloc_standard> {
public:
    explicit string_filename(const char* p_path);
};

// The file name up to "?" or the end.
class string_filename_ext : public string8_t<alloc_standard> {
public:
    explicit string_filename_ext(const char* p_path);
};

// The extension of the file name: empty when there is none or it is longer than 31 bytes.
class string_extension {
public:
    explicit string_extension(const char* p_path);
    const char* get_ptr() const { return m_buffer; }
    operator const char*() const { return m_buffer; }
    t_size length() const;

private:
    char m_buffer[32];
};

// The path before its last separator; empty when there is none or it is the first byte.
class string_directory : public string8_t<alloc_standard> {
public:
    explicit string_directory(const char* p_path);
};

// The path with its extension replaced by (or, without one, extended with) "." ext.
class string_replace_extension : public string8_t<alloc_standard> {
public:
    string_replace_extension(const char* p_path, const char* p_ext);
};

// ---- Searching and comparing (bytes compared as signed chars) ----------------------------------------

// 0 when text begins with pattern; else -1 or 1 by the first differing byte.
int strcmp_partial(const char* p_text, t_size p_text_length, const char* p_pattern,
                   t_size p_pattern_length = infinite_size);
// -1, 0 or 1; when one text is a prefix of the other, the shorter is less.
int strcmp_ex(const char* p_a, t_size p_a_length, const char* p_b, t_size p_b_length);
// strcmp after folding A to Z into a to z; -1, 0 or 1.
int stricmp_ascii(const char* p_a, const char* p_b);
char ascii_tolower(char p_char);

// First index i >= start where the text continues with the pattern, or ~0.
t_size strstr_ex(const char* p_text, t_size p_text_length, const char* p_pattern,
                 t_size p_pattern_length, t_size p_start = 0);
// Last such index, searching downward from min(start, text length - pattern length), or ~0.
t_size strrstr_ex(const char* p_text, t_size p_text_length, const char* p_pattern,
                  t_size p_pattern_length, t_size p_start = infinite_size);
t_size strchr_ex(const char* p_text, t_size p_text_length, char p_char, t_size p_start = 0);
t_size strrchr_ex(const char* p_text, t_size p_text_length, char p_char,
                  t_size p_start = infinite_size);
// Shorter forms over an unbounded text.
t_size strchr_ex(const char* p_text, char p_char, t_size p_start = 0);
t_size strrchr_ex(const char* p_text, char p_char, t_size p_start = infinite_size);

// First match trying only offsets at UTF-8 character starts; ~0 when none or at an invalid sequence.
t_size string_find_first(const char* p_text, t_size p_text_length, const char* p_pattern,
                         t_size p_pattern_length = infinite_size);

// Heap copy (malloc) of at most max bytes plus the NUL; null when allocation fails.
char* strdup_n(const char* p_text, t_size p_max);
// strlen_max and wcslen_max (bounded lengths) are declared in string.h.

// The text with every non-ASCII or invalid UTF-8 character replaced by the byte replace (> 0), into
// out (room for max bytes and the NUL), NUL-terminated.
void convert_to_ascii(const char* p_text, t_size p_max, char* p_out, char p_replace = '?');

// string_base::set_ascii, skip_trailing_char and find_last live with the other searches
// (string_utils_search.cpp).

// ---- Order arrays and raw bytes ---------------------------------------------------------------------

// Swaps entries i and j of an order array; returns j.
t_size order_swap(t_size* p_order, t_size p_i, t_size p_j);
// Follows the order array from i until it comes back to i; returns the index whose entry is i.
t_size order_find_source(const t_size* p_order, t_size p_i);
// Reverses count entries of an order array from start.
void order_reverse(t_size* p_order, t_size p_start, t_size p_count);
// Reverses a byte array in place.
void reverse_bytes(void* p_data, t_size p_count);
// Exchanges two memory blocks of n bytes byte by byte; returns n.
t_size swap_bytes(void* p_a, void* p_b, t_size p_count);
// The smaller of two unsigned values (the second when equal).
inline t_size min_t(t_size p_a, t_size p_b) { return p_a < p_b ? p_a : p_b; }

}  // namespace zut
