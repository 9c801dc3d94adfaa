// Text conversion: UTF-8/UTF-16 primitives, bulk converters and converter objects.
//
// Decoding one UTF-8 character (utf8_decode_char):
//   1. Nothing decoded yet; a maximum of 0 decodes nothing.
//   2. A byte below 0x80 is the character itself (a NUL ends the text).
//   3. The lead byte gives the sequence length, never above the maximum.
//   4. Each following byte must be a continuation byte and adds six bits.
//   5. Overlong forms are invalid: the value must need all the bytes it took.
//   6. Surrogates and values above 0x10FFFF are handed back as they are.
//
// Converting between UTF-8 and UTF-16 walks the input one character at a time:
//   W1. Decode one character of the source form, with the elements left as its limit; stop at a NUL,
//       an invalid sequence or the end of the input.
//   W2. Encode the code point in the target form; stop when it cannot be encoded.
//   W3. Estimating adds up the encoded lengths (plus one for the NUL); converting writes the units
//       while room remains (a character that does not fit whole is cut) and ends the output with a
//       NUL, so the estimate always gives a buffer that holds the whole result.
// Code-page conversions hand the NUL-bounded input to the Windows conversion functions, for the
// estimate and the conversion alike; a failed conversion leaves an empty, zero-filled result.
#include <zut/string_conv.h>
#include <zut/string.h>

#include <windows.h>

#include <climits>

namespace zut {

namespace {

// Lead-byte tables of UTF-8: index i stands for a sequence of i + 1 bytes.
const unsigned char lead_mask[6] = {0x80, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE};
const unsigned char lead_value[6] = {0x00, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};
// Smallest code point that needs a sequence of i + 1 bytes; anything below is an overlong form.
const unsigned min_for_length[6] = {0, 0x80, 0x800, 0x10000, 0x200000, 0x4000000};

void check_step(bool ok, unsigned line) {
    if (!ok) assert_failed(L"inptr + delta <= insize", ZUT_WIDEN(__FILE__), line);
}

// The Windows conversion functions take int lengths.
int to_int_length(t_size n) { return n > t_size(INT_MAX) ? INT_MAX : int(n); }

// Writes units into a caller's buffer while room remains.
template <typename T>
class unit_writer {
public:
    unit_writer(T* out, t_size max) : m_out(out), m_max(max), m_pos(0) {}
    bool is_full() const { return m_pos >= m_max; }
    void write(const T* units, t_size n) {
        for (t_size i = 0; i < n && m_pos < m_max; ++i) m_out[m_pos++] = units[i];
    }
    // Puts the NUL at min(position, max - 1) and returns that index (0 when there is no room at all).
    t_size finish() {
        if (m_max == 0) return 0;
        t_size at = m_pos < m_max - 1 ? m_pos : m_max - 1;
        m_out[at] = 0;
        return at;
    }

private:
    T* m_out;
    t_size m_max;
    t_size m_pos;
};

// W1. One step of the walk over UTF-8 input: decodes the character at in[pos]; false at the end.
bool next_from_utf8(const char* in, t_size in_len, t_size& pos, unsigned& c) {
    if (pos >= in_len) return false;
    t_size delta = utf8_decode_char(in + pos, &c, in_len - pos);
    if (delta == 0 || c == 0) return false;
    check_step(delta <= in_len - pos, __LINE__);
    pos += delta;
    return true;
}

// W1. One step of the walk over UTF-16 input.
bool next_from_wide(const wchar_t* in, t_size in_len, t_size& pos, unsigned& c) {
    if (pos >= in_len) return false;
    t_size delta = utf16_decode_char(in + pos, &c, in_len - pos);
    if (delta == 0 || c == 0) return false;
    check_step(delta <= in_len - pos, __LINE__);
    pos += delta;
    return true;
}

}  // namespace

// ---- UTF-8 primitives ------------------------------------------------------------------------------

t_size utf8_decode_char(const char* p_text, unsigned* out, t_size max) {
    // 1. Nothing decoded yet.
    if (out != nullptr) *out = 0;
    if (max == 0 || p_text == nullptr) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(p_text);

    // 2. A single-byte character.
    if (p[0] < 0x80) {
        if (out != nullptr) *out = p[0];
        return p[0] != 0 ? 1 : 0;
    }

    // 3. The sequence length from the lead byte, never above max.
    t_size limit = max < 6 ? max : 6;
    t_size n = 0;
    for (t_size i = 0; i < limit; ++i) {
        if ((p[0] & lead_mask[i]) == lead_value[i]) {
            n = i + 1;
            break;
        }
    }
    if (n < 2) return 0;

    // 4. Continuation bytes (a NUL is none, so decoding never reads past the text's end).
    unsigned value = p[0] & (0xFFu >> (n + 1));
    for (t_size k = 1; k < n; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
        value = (value << 6) | (p[k] & 0x3F);
    }

    // 5. Overlong forms are invalid: the value must need all n bytes.
    if (value < min_for_length[n - 1]) return 0;

    // 6. Surrogate code points and values above 0x10FFFF are accepted.
    if (out != nullptr) *out = value;
    return n;
}

t_size utf8_encode_char(unsigned c, char* out) {
    t_size n;
    if (c < 0x80) n = 1;
    else if (c < 0x800) n = 2;
    else if (c < 0x10000) n = 3;
    else if (c < 0x200000) n = 4;
    else if (c < 0x4000000) n = 5;
    else if (c <= 0x7FFFFFFF) n = 6;
    else return 0;
    if (out != nullptr) {
        // The lead byte carries the top bits; each following byte six bits, most significant first.
        for (t_size k = n - 1; k > 0; --k) {
            out[k] = char(0x80 | (c & 0x3F));
            c >>= 6;
        }
        out[0] = char(lead_value[n - 1] | c);
    }
    return n;
}

t_size utf8_char_len_from_lead(char b) {
    unsigned char u = static_cast<unsigned char>(b);
    for (t_size i = 0; i < 6; ++i) {
        if ((u & lead_mask[i]) == lead_value[i]) return i + 1;
    }
    return 0;
}

t_size utf8_char_len(const char* p, t_size max) { return utf8_decode_char(p, nullptr, max); }

unsigned utf8_get_char(const char* p) {
    unsigned c = 0;
    utf8_decode_char(p, &c);
    return c;
}

t_size utf8_chars_to_bytes(const char* p, t_size count) {
    t_size pos = 0;
    for (t_size i = 0; i < count; ++i) {
        t_size d = utf8_decode_char(p + pos, nullptr);
        if (d == 0) break;
        pos += d;
    }
    return pos;
}

t_size utf8_count_chars(const char* p, t_size len) {
    t_size pos = 0, count = 0;
    while (pos < len) {
        t_size d = utf8_decode_char(p + pos, nullptr, len - pos);
        if (d == 0) break;
        pos += d;
        ++count;
    }
    return count;
}

t_size utf8_copy_max(const char* src, char* dst, t_size max) {
    if (max == 0 || dst == nullptr) return 0;
    // One byte stays reserved for the NUL.
    t_size room = max - 1, pos = 0;
    while (pos < room) {
        t_size d = utf8_char_len(src + pos);
        if (d == 0 || d > room - pos) break;
        for (t_size k = 0; k < d; ++k) dst[pos + k] = src[pos + k];
        pos += d;
    }
    dst[pos] = 0;
    return pos;
}

namespace {

// The end of the readable memory region that holds p; p itself when p cannot be read (not
// committed, no read access, a guard page, or no address at all).
const char* readable_end(const char* p) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(p, &info, sizeof info) != sizeof info) return p;
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (info.State != MEM_COMMIT || (info.Protect & PAGE_GUARD) || !(info.Protect & readable)) return p;
    return static_cast<const char*>(info.BaseAddress) + info.RegionSize;
}

}  // namespace

// Text that cannot be read is not valid. Without structured exception handling in this compiler,
// the walk asks the system which memory it may read before it enters each region, and decodes no
// character past the readable end; a region is asked for once, so a long text costs one query
// per region, not per character.
bool is_valid_utf8(const char* p) {
    if (p == nullptr) return false;
    const char* end = p;  // [p, end) is known to be readable
    for (;;) {
        // A character takes at most six bytes: have that many known, or reach unreadable memory.
        while (static_cast<t_size>(end - p) < 6) {
            const char* next = readable_end(end);
            if (next <= end) break;
            end = next;
        }
        if (end == p) return false;
        if (*p == 0) return true;
        const t_size room = static_cast<t_size>(end - p);
        const t_size d = utf8_decode_char(p, nullptr, room < 6 ? room : 6);
        if (d == 0) return false;
        p += d;
    }
}

bool is_lower_ascii(const char* p) {
    if (p == nullptr) return true;
    for (; *p != 0; ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80) return false;
    }
    return true;
}

// ---- UTF-16 primitives -----------------------------------------------------------------------------

t_size utf16_decode_char(const wchar_t* p, unsigned* out, t_size max) {
    if (out != nullptr) *out = 0;
    if (max == 0 || p == nullptr) return 0;
    unsigned first = static_cast<unsigned short>(p[0]);
    if (max == 1) {
        if (out != nullptr) *out = first;
        return 1;
    }
    if (first == 0) return 0;
    if (first >= 0xD800 && first <= 0xDBFF) {
        unsigned second = static_cast<unsigned short>(p[1]);
        if (second >= 0xDC00 && second <= 0xDFFF) {
            if (out != nullptr) *out = ((first & 0x3FF) << 10) + (second & 0x3FF) + 0x10000;
            return 2;
        }
    }
    if (out != nullptr) *out = first;
    return 1;
}

t_size utf16_encode_char(unsigned c, wchar_t* out) {
    if (c == 0 || c > 0x10FFFF) return 0;
    if (c < 0x10000) {
        out[0] = wchar_t(c);
        return 1;
    }
    out[0] = wchar_t(0xD800 | (((c - 0x10000) >> 10) & 0x3FF));
    out[1] = wchar_t(0xDC00 | (c & 0x3FF));
    return 2;
}

// ---- UTF-8 <-> UTF-16 --------------------------------------------------------------------------------

t_size estimate_utf8_to_wide(const char* in, t_size in_len) {
    if (in == nullptr) in_len = 0;
    t_size count = 1, pos = 0;
    unsigned c;
    while (next_from_utf8(in, in_len, pos, c)) {
        wchar_t units[2];
        t_size n = utf16_encode_char(c, units);  // W2.
        if (n == 0) break;
        count += n;  // W3.
    }
    return count;
}

t_size convert_utf8_to_wide(wchar_t* out, t_size out_max, const char* in, t_size in_len) {
    if (out == nullptr) return 0;
    if (in == nullptr) in_len = 0;
    unit_writer<wchar_t> writer(out, out_max);
    t_size pos = 0;
    unsigned c;
    while (!writer.is_full() && next_from_utf8(in, in_len, pos, c)) {
        wchar_t units[2];
        t_size n = utf16_encode_char(c, units);  // W2.
        if (n == 0) break;
        writer.write(units, n);  // W3.
    }
    return writer.finish();
}

t_size estimate_wide_to_utf8(const wchar_t* in, t_size in_len) {
    if (in == nullptr) in_len = 0;
    t_size count = 1, pos = 0;
    unsigned c;
    while (next_from_wide(in, in_len, pos, c)) {
        t_size n = utf8_encode_char(c, nullptr);  // W2.
        if (n == 0) break;
        count += n;  // W3.
    }
    return count;
}

t_size convert_wide_to_utf8(char* out, t_size out_max, const wchar_t* in, t_size in_len) {
    if (out == nullptr) return 0;
    if (in == nullptr) in_len = 0;
    unit_writer<char> writer(out, out_max);
    t_size pos = 0;
    unsigned c;
    while (!writer.is_full() && next_from_wide(in, in_len, pos, c)) {
        char bytes[6];
        t_size n = utf8_encode_char(c, bytes);  // W2.
        if (n == 0) break;
        writer.write(bytes, n);  // W3.
    }
    return writer.finish();
}

// ---- Code page <-> UTF-16 ----------------------------------------------------------------------------

t_size estimate_codepage_to_wide(unsigned codepage, const char* in, t_size in_len) {
    int len = to_int_length(strlen_max(in, in_len));
    if (len == 0) return 1;
    int units = MultiByteToWideChar(codepage, 0, in, len, nullptr, 0);
    return (units > 0 ? t_size(units) : 0) + 1;
}

t_size convert_codepage_to_wide(unsigned codepage, wchar_t* out, t_size out_len, const char* in,
                                t_size in_len) {
    if (out_len == 0 || out == nullptr) return 0;
    for (t_size i = 0; i < out_len; ++i) out[i] = 0;
    int len = to_int_length(strlen_max(in, in_len));
    if (len > 0) {
        if (MultiByteToWideChar(codepage, 0, in, len, out, to_int_length(out_len)) == 0) {
            // A failed conversion (e.g. a buffer too small) leaves an empty result.
            for (t_size i = 0; i < out_len; ++i) out[i] = 0;
        }
    }
    out[out_len - 1] = 0;
    return wcslen_max(out, out_len);
}

t_size estimate_wide_to_codepage(unsigned codepage, const wchar_t* in, t_size in_len) {
    int len = to_int_length(wcslen_max(in, in_len));
    if (len == 0) return 1;
    int bytes = WideCharToMultiByte(codepage, 0, in, len, nullptr, 0, nullptr, nullptr);
    return (bytes > 0 ? t_size(bytes) : 0) + 1;
}

t_size convert_wide_to_codepage(unsigned codepage, char* out, t_size out_len, const wchar_t* in,
                                t_size in_len) {
    if (out_len == 0 || out == nullptr) return 0;
    for (t_size i = 0; i < out_len; ++i) out[i] = 0;
    int len = to_int_length(wcslen_max(in, in_len));
    if (len > 0) {
        if (WideCharToMultiByte(codepage, 0, in, len, out, to_int_length(out_len), nullptr, nullptr) ==
            0) {
            for (t_size i = 0; i < out_len; ++i) out[i] = 0;
        }
    }
    out[out_len - 1] = 0;
    return strlen_max(out, out_len);
}

// ---- Converter objects -------------------------------------------------------------------------------

utf8_from_wide::utf8_from_wide(const wchar_t* src, t_size len) {
    t_size n = estimate_wide_to_utf8(src, len);
    convert_wide_to_utf8(m_buffer.set_size(n), n, src, len);
}

wide_from_utf8::wide_from_utf8(const char* src, t_size len) {
    t_size n = estimate_utf8_to_wide(src, len);
    convert_utf8_to_wide(m_buffer.set_size(n), n, src, len);
}

wide_from_codepage::wide_from_codepage(const char* src, t_size len) {
    t_size n = estimate_codepage_to_wide(CP_ACP, src, len);
    convert_codepage_to_wide(CP_ACP, m_buffer.set_size(n), n, src, len);
}

codepage_from_wide::codepage_from_wide(const wchar_t* src, t_size len) {
    t_size n = estimate_wide_to_codepage(CP_ACP, src, len);
    convert_wide_to_codepage(CP_ACP, m_buffer.set_size(n), n, src, len);
}

utf8_from_codepage::utf8_from_codepage(const char* src, t_size len) {
    wide_from_codepage wide(src, len);
    t_size n = estimate_wide_to_utf8(wide.get_ptr(), infinite_size);
    convert_wide_to_utf8(m_buffer.set_size(n), n, wide.get_ptr(), infinite_size);
}

codepage_from_utf8::codepage_from_utf8(const char* src, t_size len) {
    wide_from_utf8 wide(src, len);
    t_size n = estimate_wide_to_codepage(CP_ACP, wide.get_ptr(), infinite_size);
    convert_wide_to_codepage(CP_ACP, m_buffer.set_size(n), n, wide.get_ptr(), infinite_size);
}

}  // namespace zut
