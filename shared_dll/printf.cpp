// uPrintfV: printf-style formatting into a string receiver. The format language is documented in
// <trovaplay/shared/shared.h>.
//
// 1. Copy literal text up to the next '%'.
// 2. Parse one conversion: flags, width, precision, length modifier, conversion letter.
// 3. Fetch the argument the conversion names and format it (integers and texts here, floating-point
//    numbers by the C runtime).
// 4. Pad to the width, left or right.
// 5. Hand the whole result to the receiver with one add_string call.
#include <trovaplay/shared/shared.h>

#include <stdio.h>
#include <string>

#include <zut/string.h>

#include "utf8.h"

namespace {

// Widths (and zero-filling precisions) beyond this are cut to it: a format never asks for gigabytes.
constexpr int kMaxPad = 100000;

struct conversion_t {
    bool left = false, zero = false, plus = false, space = false, alt = false;
    int width = 0;
    int precision = -1;  // -1: none
    enum { len_int, len_char, len_short, len_long64, len_long_double } length = len_int;
    bool wide_text = false;  // 'l' on s / c, or S
};

// 4. Pads `body` (after an optional sign/prefix) to the width.
void emit_padded(std::string& out, const conversion_t& s, const std::string& prefix, const std::string& body,
                 bool allow_zero_pad) {
    const size_t used = prefix.size() + body.size();
    const size_t pad = s.width > 0 && size_t(s.width) > used ? size_t(s.width) - used : 0;
    if (s.left) {
        out += prefix;
        out += body;
        out.append(pad, ' ');
    } else if (s.zero && allow_zero_pad) {
        out += prefix;
        out.append(pad, '0');
        out += body;
    } else {
        out.append(pad, ' ');
        out += prefix;
        out += body;
    }
}

// Width for texts counts characters, not bytes.
size_t utf8_chars(const std::string& t) {
    size_t n = 0;
    for (unsigned char ch : t)
        if ((ch & 0xC0) != 0x80) ++n;
    return n;
}

void emit_text(std::string& out, const conversion_t& s, std::string body) {
    if (s.precision >= 0 && body.size() > size_t(s.precision)) {
        size_t cut = size_t(s.precision);
        while (cut > 0 && (static_cast<unsigned char>(body[cut]) & 0xC0) == 0x80) --cut;  // whole characters only
        body.resize(cut);
    }
    const size_t chars = utf8_chars(body);
    const size_t pad = s.width > 0 && size_t(s.width) > chars ? size_t(s.width) - chars : 0;
    if (s.left) {
        out += body;
        out.append(pad, ' ');
    } else {
        out.append(pad, ' ');
        out += body;
    }
}

std::string digits_of(uint64_t v, unsigned radix, bool upper) {
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char buf[70];
    int n = 0;
    do {
        buf[n++] = set[v % radix];
        v /= radix;
    } while (v != 0);
    std::string r;
    while (n > 0) r += buf[--n];
    return r;
}

void emit_integer(std::string& out, const conversion_t& s, char conv, uint64_t magnitude, bool negative) {
    unsigned radix = 10;
    bool upper = false;
    if (conv == 'x') radix = 16;
    if (conv == 'X') { radix = 16; upper = true; }
    if (conv == 'o') radix = 8;
    std::string body = (s.precision == 0 && magnitude == 0) ? std::string() : digits_of(magnitude, radix, upper);
    // A precision taken from the arguments may be huge: zero-fill no further than a width may pad.
    const size_t min_digits = s.precision > kMaxPad ? size_t(kMaxPad) : size_t(s.precision > 0 ? s.precision : 0);
    if (body.size() < min_digits) body.insert(0, min_digits - body.size(), '0');
    std::string prefix;
    if (conv == 'd' || conv == 'i') {
        if (negative) prefix = "-";
        else if (s.plus) prefix = "+";
        else if (s.space) prefix = " ";
    } else if (s.alt && magnitude != 0) {
        if (radix == 16) prefix = upper ? "0X" : "0x";
        if (radix == 8 && (body.empty() || body[0] != '0')) prefix = "0";
    }
    emit_padded(out, s, prefix, body, s.precision < 0);
}

void emit_double(std::string& out, const conversion_t& s, char conv, double v) {
    std::string f = "%";
    if (s.left) f += '-';
    if (s.zero) f += '0';
    if (s.plus) f += '+';
    if (s.space) f += ' ';
    if (s.alt) f += '#';
    f += "*.*";
    f += conv;
    const int precision = s.precision < 0 ? 6 : (s.precision > 300 ? 300 : s.precision);
    const int width = s.width > 4096 ? 4096 : s.width;
    char small[128];
    int n = snprintf(small, sizeof small, f.c_str(), width, precision, v);
    if (n < 0) return;
    if (size_t(n) < sizeof small) {
        out.append(small, size_t(n));
        return;
    }
    std::string big(size_t(n) + 1, '\0');
    snprintf(&big[0], big.size(), f.c_str(), width, precision, v);
    out.append(big.c_str(), size_t(n));
}

std::string format(const char* fmt, va_list args) {
    std::string out;
    if (fmt == nullptr) return out;
    const char* p = fmt;
    while (*p) {
        // 1. Literal text.
        if (*p != '%') {
            const char* q = p;
            while (*q && *q != '%') ++q;
            out.append(p, size_t(q - p));
            p = q;
            continue;
        }
        const char* start = p++;
        if (*p == '%') {
            out += '%';
            ++p;
            continue;
        }
        // 2. Flags, width, precision, length.
        conversion_t s;
        for (;; ++p) {
            if (*p == '-') s.left = true;
            else if (*p == '0') s.zero = true;
            else if (*p == '+') s.plus = true;
            else if (*p == ' ') s.space = true;
            else if (*p == '#') s.alt = true;
            else break;
        }
        if (*p == '*') {
            int w = va_arg(args, int);
            if (w < 0) { s.left = true; w = w == INT32_MIN ? 0 : -w; }
            s.width = w;
            ++p;
        } else {
            while (*p >= '0' && *p <= '9') {
                if (s.width < kMaxPad) s.width = s.width * 10 + (*p - '0');
                ++p;
            }
        }
        if (*p == '.') {
            ++p;
            s.precision = 0;
            if (*p == '*') {
                const int pr = va_arg(args, int);
                s.precision = pr < 0 ? -1 : pr;
                ++p;
            } else {
                while (*p >= '0' && *p <= '9') {
                    if (s.precision < kMaxPad) s.precision = s.precision * 10 + (*p - '0');
                    ++p;
                }
            }
        }
        if (s.width > kMaxPad) s.width = kMaxPad;
        if (p[0] == 'h' && p[1] == 'h') { s.length = conversion_t::len_char; p += 2; }
        else if (p[0] == 'h') { s.length = conversion_t::len_short; ++p; }
        else if (p[0] == 'l' && p[1] == 'l') { s.length = conversion_t::len_long64; p += 2; }
        else if (p[0] == 'l') { s.wide_text = true; ++p; }
        else if (p[0] == 'L') { s.length = conversion_t::len_long_double; ++p; }
        else if (p[0] == 'z' || p[0] == 't') { ++p; }
        else if (p[0] == 'j') { s.length = conversion_t::len_long64; ++p; }
        else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') { s.length = conversion_t::len_long64; p += 3; }
        else if (p[0] == 'I' && p[1] == '3' && p[2] == '2') { p += 3; }
        else if (p[0] == 'I') { ++p; }

        // 3. Conversion.
        const char conv = *p;
        if (conv == 0) {  // the format ends inside a conversion: copy it as it stands
            out.append(start);
            break;
        }
        ++p;
        switch (conv) {
            case 'd':
            case 'i': {
                int64_t v;
                if (s.length == conversion_t::len_long64) v = va_arg(args, long long);
                else v = va_arg(args, int);
                if (s.length == conversion_t::len_char) v = static_cast<signed char>(v);
                if (s.length == conversion_t::len_short) v = static_cast<short>(v);
                const uint64_t mag = v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v);
                emit_integer(out, s, conv, mag, v < 0);
                break;
            }
            case 'u':
            case 'x':
            case 'X':
            case 'o': {
                uint64_t v;
                if (s.length == conversion_t::len_long64) v = va_arg(args, unsigned long long);
                else v = va_arg(args, unsigned);
                if (s.length == conversion_t::len_char) v = static_cast<unsigned char>(v);
                if (s.length == conversion_t::len_short) v = static_cast<unsigned short>(v);
                emit_integer(out, s, conv, v, false);
                break;
            }
            case 'c': {
                std::string body;
                shared_dll::append_utf8(body, uint32_t(va_arg(args, int)));
                emit_text(out, conversion_t{s.left, false, false, false, false, s.width, -1, s.length, false}, body);
                break;
            }
            case 's':
            case 'S': {
                std::string body;
                if (conv == 'S' || s.wide_text) {
                    const wchar_t* w = va_arg(args, const wchar_t*);
                    body = w ? shared_dll::from_wide(w) : std::string("(null)");
                } else {
                    const char* t = va_arg(args, const char*);
                    body = t ? std::string(t) : std::string("(null)");
                }
                emit_text(out, s, body);
                break;
            }
            case 'p': {
                const uintptr_t v = reinterpret_cast<uintptr_t>(va_arg(args, void*));
                std::string body = digits_of(v, 16, false);
                if (body.size() < 2 * sizeof(void*)) body.insert(0, 2 * sizeof(void*) - body.size(), '0');
                emit_padded(out, conversion_t{s.left, false, false, false, false, s.width, -1, s.length, false},
                            "0x", body, false);
                break;
            }
            case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
                // A long double is wider than a double here: reading it as one would shift every
                // argument after it.
                if (s.length == conversion_t::len_long_double)
                    emit_double(out, s, conv, double(va_arg(args, long double)));
                else
                    emit_double(out, s, conv, va_arg(args, double));
                break;
            default:  // unknown conversion: copied as it stands, no argument taken
                out.append(start, size_t(p - start));
                break;
        }
    }
    return out;
}

}  // namespace

SHARED_API void SHARED_CALL uPrintfV(zut::string_receiver& out, const char* fmt, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const std::string text = format(fmt, copy);
    va_end(copy);
    out.add_string(text.c_str(), t_size(text.size()));
}

SHARED_API void SHARED_CALL uPrintf(zut::string_receiver& out, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    uPrintfV(out, fmt, args);
    va_end(args);
}
