// Time and number formatting, hexadecimal dumps and number parsing.
//
// The integer formatters work in three steps:
//   1. Clamp the radix to 2..16 and the minimum digit count to the field (64 digits, 16 for hex).
//   2. Generate the digits of the magnitude into the end of the field, least significant first.
//   3. Skip leading "0" digits, never more than the field size minus the minimum; the sign goes before.
#include <zut/string_utils.h>

#include <cmath>
#include <cstdio>

namespace zut {

namespace {

const unsigned max_digits = 64;  // an unsigned 64-bit value in radix 2

char digit_upper(unsigned p_val) {
    ZUT_ASSERT(p_val < 16);
    return "0123456789ABCDEF"[p_val & 0xF];
}

char digit_lower(unsigned p_val) {
    ZUT_ASSERT(p_val < 16);
    return "0123456789abcdef"[p_val & 0xF];
}

unsigned clamp_unsigned(unsigned p_value, unsigned p_min, unsigned p_max) {
    return p_value < p_min ? p_min : (p_value > p_max ? p_max : p_value);
}

// Writes the digits of p_value into p_out (room for field + 1) and returns the count written.
t_size write_digits(char* p_out, t_uint64 p_value, unsigned p_min_digits, unsigned p_radix,
                    unsigned p_field, bool p_lower) {
    // 1. Clamp.
    p_radix = clamp_unsigned(p_radix, 2, 16);
    p_min_digits = clamp_unsigned(p_min_digits, 1, p_field);

    // 2. Generate the digits into the end of the field.
    char field[max_digits];
    for (unsigned n = p_field; n > 0; --n) {
        unsigned digit = unsigned(p_value % p_radix);
        field[n - 1] = p_lower ? digit_lower(digit) : digit_upper(digit);
        p_value /= p_radix;
    }

    // 3. Skip leading zeros, keeping at least the minimum.
    unsigned skip = 0;
    while (skip < p_field - p_min_digits && field[skip] == '0') ++skip;
    t_size count = 0;
    for (unsigned n = skip; n < p_field; ++n) p_out[count++] = field[n];
    p_out[count] = 0;
    return count;
}

t_uint64 magnitude_of(t_int64 p_value) {
    // Negated as unsigned, so the most negative value keeps its magnitude.
    return p_value < 0 ? t_uint64(0) - t_uint64(p_value) : t_uint64(p_value);
}

// Appends the text of two hexadecimal digits per byte with the spacing between bytes.
void hexdump_into(string_base& p_out, const void* p_data, t_size p_size, const char* p_spacing,
                  bool p_lower) {
    const unsigned char* bytes = static_cast<const unsigned char*>(p_data);
    if (bytes == nullptr) return;
    for (t_size n = 0; n < p_size; ++n) {
        if (n > 0 && p_spacing != nullptr) p_out.add_string(p_spacing);
        char pair[2];
        pair[0] = p_lower ? digit_lower(bytes[n] >> 4) : digit_upper(bytes[n] >> 4);
        pair[1] = p_lower ? digit_lower(bytes[n] & 0xF) : digit_upper(bytes[n] & 0xF);
        p_out.add_string(pair, 2);
    }
}

// Decimal digits of p_value with the "." placed before the last p_digits of them ("0." and zeros
// first when there are not more digits than that). No "." when p_digits is 0.
t_size place_decimal_point(char* p_out, t_uint64 p_value, unsigned p_digits) {
    char digits[max_digits + 1];
    t_size length = write_digits(digits, p_value, 1, 10, max_digits, false);
    t_size pos = 0;
    if (length > p_digits) {
        for (t_size n = 0; n < length; ++n) {
            if (n == length - p_digits) p_out[pos++] = '.';
            p_out[pos++] = digits[n];
        }
    } else {
        p_out[pos++] = '0';
        p_out[pos++] = '.';
        for (t_size n = length; n < p_digits; ++n) p_out[pos++] = '0';
        for (t_size n = 0; n < length; ++n) p_out[pos++] = digits[n];
    }
    p_out[pos] = 0;
    return pos;
}

}  // namespace

// ---- Time ----------------------------------------------------------------------------------------------

format_time::format_time(t_int64 p_seconds) {
    // 1. A negative value counts as 0.
    t_uint64 s = p_seconds < 0 ? 0 : t_uint64(p_seconds);
    // 2. The units.
    t_uint64 weeks = s / 604800;
    t_uint64 days = (s / 86400) % 7;
    t_uint64 hours = (s / 3600) % 24;
    t_uint64 minutes = (s / 60) % 60;
    t_uint64 secs = s % 60;

    char* out = m_buffer;
    auto put = [&out](t_uint64 value, unsigned min_digits) {
        out += write_digits(out, value, min_digits, 10, 20, false);
    };
    auto put_text = [&out](const char* text) {
        while (*text != 0) *out++ = *text++;
    };
    // 3. Weeks and days.
    if (weeks > 0) {
        put(weeks, 1);
        put_text("wk ");
    }
    if (weeks > 0 || days > 0) {
        put(days, 1);
        put_text("d ");
    }
    // 4. The clock part.
    if (weeks == 0 && days == 0 && hours == 0) {
        put(minutes, 1);
        put_text(":");
        put(secs, 2);
    } else {
        put(hours, 1);
        put_text(":");
        put(minutes, 2);
        put_text(":");
        put(secs, 2);
    }
    *out = 0;
}

// ---- Integers ------------------------------------------------------------------------------------------

format_uint::format_uint(t_uint64 p_value, unsigned p_min_digits, unsigned p_radix) {
    write_digits(m_buffer, p_value, p_min_digits, p_radix, max_digits, false);
}

format_int::format_int(t_int64 p_value, unsigned p_min_digits, unsigned p_radix) {
    p_min_digits = clamp_unsigned(p_min_digits, 1, max_digits);
    if (p_value < 0) {
        // The "-" counts toward the minimum.
        m_buffer[0] = '-';
        if (p_min_digits >= 2) --p_min_digits;
        write_digits(m_buffer + 1, magnitude_of(p_value), p_min_digits, p_radix, max_digits, false);
    } else {
        write_digits(m_buffer, t_uint64(p_value), p_min_digits, p_radix, max_digits, false);
    }
}

format_hex::format_hex(t_uint64 p_value, unsigned p_min_digits) {
    write_digits(m_buffer, p_value, p_min_digits, 16, 16, false);
}

format_hex_lowercase::format_hex_lowercase(t_uint64 p_value, unsigned p_min_digits) {
    write_digits(m_buffer, p_value, p_min_digits, 16, 16, true);
}

format_hexdump::format_hexdump(const void* p_data, t_size p_size, const char* p_spacing) {
    hexdump_into(*this, p_data, p_size, p_spacing, false);
}

format_hexdump_lowercase::format_hexdump_lowercase(const void* p_data, t_size p_size,
                                                   const char* p_spacing) {
    hexdump_into(*this, p_data, p_size, p_spacing, true);
}

format_fixedpoint::format_fixedpoint(t_int64 p_value, unsigned p_digits) {
    p_digits = clamp_unsigned(p_digits, 0, max_digits);
    if (p_value < 0) add_byte('-');
    char text[2 * max_digits + 4];
    place_decimal_point(text, magnitude_of(p_value), p_digits);
    add_string(text);
    // With no decimals the fraction is still one digit.
    if (p_digits == 0) add_string(".0");
}

// ---- Floating point ------------------------------------------------------------------------------------

void float_to_string(char* p_out, t_size p_max, double p_value, unsigned p_digits, bool p_force_sign) {
    if (p_max == 0 || p_out == nullptr) return;
    p_digits = clamp_unsigned(p_digits, 0, max_digits);

    // Room for the longest text: a sign, 309 integer digits of the largest double, ".", the decimals.
    char text[512];
    t_size pos = 0;
    if (std::isnan(p_value)) {
        std::snprintf(text, sizeof text, "nan");
    } else {
        // 1. The sign.
        if (p_value < 0) {
            text[pos++] = '-';
            p_value = -p_value;
        } else if (p_force_sign) {
            text[pos++] = '+';
        }
        if (std::isinf(p_value)) {
            std::snprintf(text + pos, sizeof text - pos, "inf");
        } else {
            // 2. The value scaled by 10^digits and rounded, when that fits 64 bits.
            double scaled = p_value * std::pow(10.0, double(p_digits)) + 0.5;
            if (scaled < 18446744073709551616.0) {
                // 3./4. The digits with the decimal point placed (none for 0 digits).
                place_decimal_point(text + pos, t_uint64(scaled), p_digits);
            } else {
                // A value too large for the integer path is printed by the runtime, still bounded.
                std::snprintf(text + pos, sizeof text - pos, "%.*f", int(p_digits), p_value);
            }
        }
    }

    // Never more than max - 1 characters, always a NUL.
    t_size n = 0;
    while (n + 1 < p_max && text[n] != 0) {
        p_out[n] = text[n];
        ++n;
    }
    p_out[n] = 0;
}

format_float::format_float(double p_value, unsigned p_width, unsigned p_digits) {
    char text[64];
    float_to_string(text, sizeof text, p_value, p_digits, false);
    t_size length = strlen_max(text, sizeof text);
    for (t_size n = length; n < p_width; ++n) add_byte(' ');
    add_string(text, length);
}

// ---- Parsing -------------------------------------------------------------------------------------------

double string_to_float(const char* p_text, t_size p_max) {
    // At most 127 bytes of text are taken.
    char text[128];
    t_size length = strlen_max(p_text, p_max < 127 ? p_max : 127);
    for (t_size n = 0; n < length; ++n) text[n] = p_text[n];
    text[length] = 0;

    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    } else if (*p == '+') {
        ++p;
    }

    const t_uint64 mantissa_limit = (~t_uint64(0) - 9) / 10;
    t_uint64 mantissa = 0;
    long exponent = 0;
    bool after_point = false;
    for (;; ++p) {
        char c = *p;
        if (c >= '0' && c <= '9') {
            if (mantissa <= mantissa_limit) {
                // The digit fits the 64-bit mantissa.
                mantissa = mantissa * 10 + unsigned(c - '0');
                if (after_point) --exponent;
            } else if (!after_point) {
                // Digits beyond the mantissa's precision still count toward the magnitude.
                ++exponent;
            }
        } else if (c == '.' || c == ',') {
            if (after_point) break;  // a second decimal point ends the number
            after_point = true;
        } else {
            if (c == 'e' || c == 'E') {
                ++p;
                bool exp_negative = false;
                if (*p == '-') {
                    exp_negative = true;
                    ++p;
                } else if (*p == '+') {
                    ++p;
                }
                long value = 0;
                for (; *p >= '0' && *p <= '9'; ++p) {
                    if (value < 100000) value = value * 10 + (*p - '0');
                }
                exponent += exp_negative ? -value : value;
            }
            break;
        }
    }

    double result = double(mantissa);
    if (mantissa != 0 && exponent > 0) {
        result *= std::pow(10.0, double(exponent));
    } else if (mantissa != 0 && exponent < 0) {
        // Dividing by an exact power of ten rounds best; a very small result takes two steps, so that
        // the divisor itself does not overflow.
        if (exponent < -300) {
            result /= 1e300;
            exponent += 300;
        }
        result /= std::pow(10.0, double(-exponent));
    }
    return negative ? -result : result;
}

unsigned atoui_ex(const char* p_text, t_size p_max) {
    unsigned value = 0;
    if (p_text == nullptr) return 0;
    for (t_size n = 0; n < p_max && char_is_numeric(p_text[n]); ++n) {
        value = value * 10 + unsigned(p_text[n] - '0');
    }
    return value;
}

t_uint64 atoui64_ex(const char* p_text) {
    t_uint64 value = 0;
    if (p_text == nullptr) return 0;
    for (; char_is_numeric(*p_text); ++p_text) value = value * 10 + unsigned(*p_text - '0');
    return value;
}

t_int64 atoi64_ex(const char* p_text) {
    if (p_text == nullptr) return 0;
    if (*p_text == '-') return t_int64(t_uint64(0) - atoui64_ex(p_text + 1));
    return t_int64(atoui64_ex(p_text));
}

bool char_is_numeric(char p_char) { return p_char >= '0' && p_char <= '9'; }

bool is_numeric_string(const char* p_text, t_size p_max) {
    t_size length = strlen_max(p_text, p_max);
    if (length == 0) return false;
    for (t_size n = 0; n < length; ++n) {
        if (!char_is_numeric(p_text[n])) return false;
    }
    return true;
}

bool is_multiline(const char* p_text, t_size p_max) {
    t_size length = strlen_max(p_text, p_max);
    for (t_size n = 0; n < length; ++n) {
        if (p_text[n] == '\r' || p_text[n] == '\n') return true;
    }
    return false;
}

}  // namespace zut
