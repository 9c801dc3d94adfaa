// GUID comparison and GUID text.
//
// Parsing, in steps:
//   1. Start from the null GUID.
//   2. Skip a leading "{"; the text ends at the first "}" or at the NUL.
//   3. Read the fields in turn (8, 4, 4, 4 and 12 hexadecimal digits), each only when enough
//      characters are left, each followed by skipping any dashes. The first field that does not fit
//      ends the parse.
//   4. A character that is not a hexadecimal digit counts as 0.
#include <zut/guid.h>

#include <cstdint>
#include <cstring>

namespace zut {

bool guid_equal(const GUID& p_a, const GUID& p_b) {
    std::uint32_t a[4], b[4];
    static_assert(sizeof(GUID) == sizeof(a), "a GUID is four 32-bit words");
    std::memcpy(a, &p_a, sizeof(a));
    std::memcpy(b, &p_b, sizeof(b));
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2] && a[3] == b[3];
}

namespace {

const char hex_digits[] = "0123456789ABCDEF";

char hex_digit(unsigned val) {
    // Reported under line 92, the line this check is known by.
    if ((val & ~0xFu) != 0) assert_failed(L"(val & ~0xF) == 0", ZUT_WIDEN(__FILE__), 92);
    return hex_digits[val & 0xF];
}

// Writes p_digits hexadecimal digits of p_value, most significant first.
char* put_hex(char* p_out, unsigned long long p_value, unsigned p_digits) {
    for (unsigned n = p_digits; n > 0; --n) {
        p_out[n - 1] = hex_digit(unsigned(p_value & 0xF));
        p_value >>= 4;
    }
    return p_out + p_digits;
}

// 4. Any character that is not a hexadecimal digit counts as 0.
unsigned hex_value(char p_char) {
    if (p_char >= '0' && p_char <= '9') return unsigned(p_char - '0');
    if (p_char >= 'a' && p_char <= 'f') return unsigned(p_char - 'a' + 10);
    if (p_char >= 'A' && p_char <= 'F') return unsigned(p_char - 'A' + 10);
    return 0;
}

// Reads p_digits characters as a hexadecimal number.
unsigned long long read_hex(const char* p_text, unsigned p_digits) {
    unsigned long long value = 0;
    for (unsigned n = 0; n < p_digits; ++n) value = (value << 4) | hex_value(p_text[n]);
    return value;
}

}  // namespace

print_guid::print_guid(const GUID& p_guid) {
    char* out = m_buffer;
    out = put_hex(out, p_guid.Data1, 8);
    *out++ = '-';
    out = put_hex(out, p_guid.Data2, 4);
    *out++ = '-';
    out = put_hex(out, p_guid.Data3, 4);
    *out++ = '-';
    for (unsigned n = 0; n < 2; ++n) out = put_hex(out, p_guid.Data4[n], 2);
    *out++ = '-';
    for (unsigned n = 2; n < 8; ++n) out = put_hex(out, p_guid.Data4[n], 2);
    *out = 0;
}

void guid_from_text(GUID& p_out, const char* p_text) {
    // 1. The null GUID.
    p_out = GUID();
    if (p_text == nullptr) return;

    // 2. The bounds of the text.
    if (*p_text == '{') ++p_text;
    t_size length = 0;
    while (p_text[length] != 0 && p_text[length] != '}') ++length;

    // 3. The fields, each only when it fits whole, each followed by any dashes.
    const char* p = p_text;
    const char* end = p_text + length;
    auto take = [&p, end](unsigned p_digits, unsigned long long& p_value) {
        if (t_size(end - p) < p_digits) return false;
        p_value = read_hex(p, p_digits);
        p += p_digits;
        while (p < end && *p == '-') ++p;
        return true;
    };
    unsigned long long value = 0;
    if (!take(8, value)) return;
    p_out.Data1 = static_cast<decltype(p_out.Data1)>(value);
    if (!take(4, value)) return;
    p_out.Data2 = static_cast<unsigned short>(value);
    if (!take(4, value)) return;
    p_out.Data3 = static_cast<unsigned short>(value);
    if (!take(4, value)) return;
    p_out.Data4[0] = static_cast<unsigned char>(value >> 8);
    p_out.Data4[1] = static_cast<unsigned char>(value);
    if (!take(12, value)) return;
    for (unsigned n = 0; n < 6; ++n) {
        p_out.Data4[2 + n] = static_cast<unsigned char>(value >> (8 * (5 - n)));
    }
}

t_size print_hex_raw(const void* p_data, t_size p_size, char* p_out) {
    const unsigned char* bytes = static_cast<const unsigned char*>(p_data);
    for (t_size n = 0; n < p_size; ++n) {
        p_out[2 * n] = hex_digit(bytes[n] >> 4);
        p_out[2 * n + 1] = hex_digit(bytes[n] & 0xF);
    }
    p_out[2 * p_size] = 0;
    return p_size;
}

}  // namespace zut
