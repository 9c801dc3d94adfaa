// string_printf: the small printf of the string classes.
//
// Steps of the walk over the format:
//   1. The output is reset; the format is walked byte by byte until its NUL.
//   2. An ordinary byte is copied.
//   3. "%%" appends "%".
//   4. After "%": optional "+", "0" fill, decimal width, then the conversion letter. An unknown
//      letter drops "%", flags and width and is copied as an ordinary byte. A format that ends after
//      "%", the flags or the width ends the output there.
#include "string.h"

namespace zut {
namespace {

// Widths beyond this are taken as this (a width cannot ask for gigabytes of fill).
const t_size kMaxWidth = 1u << 20;

void add_fill(string_base& p_out, char p_fill, t_size p_count) {
  char chunk[64];
  std::memset(chunk, p_fill, sizeof(chunk));
  while (p_count > 0) {
    const t_size piece = p_count < sizeof(chunk) ? p_count : static_cast<t_size>(sizeof(chunk));
    p_out.add_string(chunk, piece);
    p_count -= piece;
  }
}

// Digits of p_value in p_radix (10 or 16), upper-case letters when asked; returns the count.
t_size format_digits(char* p_out, t_uint32 p_value, unsigned p_radix, bool p_upper) {
  const char* letters = p_upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char reversed[16];
  t_size count = 0;
  do {
    reversed[count++] = letters[p_value % p_radix];
    p_value /= p_radix;
  } while (p_value != 0);
  for (t_size n = 0; n < count; n++) p_out[n] = reversed[count - 1 - n];
  p_out[count] = 0;
  return count;
}

}  // namespace

string_printf::string_printf(const char* p_format, ...) {
  va_list args;
  va_start(args, p_format);
  run_va(*this, p_format, args);
  va_end(args);
}

void string_printf::run(string_base& p_out, const char* p_format, ...) {
  va_list args;
  va_start(args, p_format);
  run_va(p_out, p_format, args);
  va_end(args);
}

void string_printf::run_va(string_base& p_out, const char* p_format, va_list p_args) {
  // 1. Reset, then walk.
  p_out.reset();
  if (p_format == nullptr) return;
  const char* at = p_format;
  while (*at != 0) {
    // 2. Ordinary bytes, copied as one run.
    if (*at != '%') {
      const char* run_start = at;
      while (*at != 0 && *at != '%') at++;
      p_out.add_string(run_start, static_cast<t_size>(at - run_start));
      continue;
    }
    at++;  // past "%"
    if (*at == 0) return;  // a "%" at the very end is dropped
    // 3. "%%".
    if (*at == '%') {
      p_out.add_byte('%');
      at++;
      continue;
    }
    // 4. Flags, fill and width.
    bool force_sign = false;
    if (*at == '+') {
      force_sign = true;
      at++;
    }
    const char fill = (*at == '0') ? '0' : ' ';
    t_size width = 0;
    while (*at >= '0' && *at <= '9') {
      width = width * 10 + static_cast<t_size>(*at - '0');
      if (width > kMaxWidth) width = kMaxWidth;
      at++;
    }
    const char letter = *at;
    if (letter == 0) return;  // the format ended after the flags or the width
    at++;

    char digits[24];
    t_size digit_count = 0;
    bool numeric = true;
    t_int32 signed_value = 0;
    switch (letter) {
      case 's':
      case 'S': {
        const char* text = va_arg(p_args, const char*);
        if (text == nullptr) text = "";
        const t_size length = strlen_max(text);
        if (width > length) add_fill(p_out, fill, width - length);
        p_out.add_string(text, length);
        numeric = false;
        break;
      }
      case 'd':
      case 'D':
      case 'i':
      case 'I': {
        signed_value = va_arg(p_args, t_int32);
        const bool negative = signed_value < 0;
        const t_uint32 magnitude = negative ? 0u - static_cast<t_uint32>(signed_value)
                                            : static_cast<t_uint32>(signed_value);
        t_size n = 0;
        if (negative) digits[n++] = '-';
        digit_count = n + format_digits(digits + n, magnitude, 10, false);
        break;
      }
      case 'u':
      case 'U': {
        const t_uint32 value = va_arg(p_args, t_uint32);
        signed_value = static_cast<t_int32>(value);
        digit_count = format_digits(digits, value, 10, false);
        break;
      }
      case 'x':
      case 'X': {
        const t_uint32 value = va_arg(p_args, t_uint32);
        signed_value = static_cast<t_int32>(value);
        digit_count = format_digits(digits, value, 16, letter == 'X');
        break;
      }
      case 'c':
      case 'C': {
        // The low byte as a character: 1 to 127 give it, anything else nothing.
        const signed char byte = static_cast<signed char>(va_arg(p_args, int));
        if (byte > 0) p_out.add_char(static_cast<unsigned>(byte));
        numeric = false;
        break;
      }
      default:
        // Not a conversion: flags and width are dropped, the letter is an ordinary byte.
        p_out.add_byte(letter);
        numeric = false;
        break;
    }
    if (numeric) {
      if (force_sign && signed_value > 0) p_out.add_byte('+');
      if (width > digit_count) add_fill(p_out, fill, width - digit_count);
      p_out.add_string(digits, digit_count);
    }
  }
}

}  // namespace zut
