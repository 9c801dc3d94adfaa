// Searching, comparing and ASCII helpers, the string_base helpers, and the order-array primitives.
// Bytes are compared as signed chars; "not found" is ~0.
#include <zut/string_utils.h>

#include <zut/string_conv.h>

#include <cstdlib>

namespace zut {

namespace {

const t_size none = infinite_size;

int compare_bytes(char p_a, char p_b) {
    signed char a = static_cast<signed char>(p_a), b = static_cast<signed char>(p_b);
    return a < b ? -1 : (a > b ? 1 : 0);
}

// The byte used in place of a non-ASCII or invalid character: replace, which must be above 0.
char checked_replacement(char p_replace) {
    if (!(p_replace > 0)) {
        assert_failed(L"replace>0", ZUT_WIDEN(__FILE__), __LINE__);
        return '?';
    }
    return p_replace;
}

// Writes the ASCII form of the first p_length bytes of p_text to p_out (room for p_length + 1).
void ascii_into(const char* p_text, t_size p_length, char* p_out, char p_replace) {
    t_size pos = 0, out = 0;
    while (pos < p_length) {
        t_size delta = utf8_char_len(p_text + pos, p_length - pos);
        if (delta == 1) {
            p_out[out++] = p_text[pos];
        } else {
            // A non-ASCII character gives one replacement byte; an invalid byte gives one too.
            p_out[out++] = p_replace;
            if (delta == 0) delta = 1;
        }
        pos += delta;
    }
    p_out[out] = 0;
}

}  // namespace

int strcmp_partial(const char* p_text, t_size p_text_length, const char* p_pattern,
                   t_size p_pattern_length) {
    t_size pattern_length = strlen_max(p_pattern, p_pattern_length);
    bool text_ended = p_text == nullptr;
    for (t_size n = 0; n < pattern_length; ++n) {
        // The text reads as NUL past its length (and past its own NUL).
        char t = 0;
        if (!text_ended && n < p_text_length) t = p_text[n];
        if (t == 0) text_ended = true;
        int order = compare_bytes(t, p_pattern[n]);
        if (order != 0) return order;
    }
    return 0;
}

int strcmp_ex(const char* p_a, t_size p_a_length, const char* p_b, t_size p_b_length) {
    t_size a_length = strlen_max(p_a, p_a_length), b_length = strlen_max(p_b, p_b_length);
    t_size common = min_t(a_length, b_length);
    for (t_size n = 0; n < common; ++n) {
        int order = compare_bytes(p_a[n], p_b[n]);
        if (order != 0) return order;
    }
    return a_length < b_length ? -1 : (a_length > b_length ? 1 : 0);
}

char ascii_tolower(char p_char) {
    return (p_char >= 'A' && p_char <= 'Z') ? char(p_char - 'A' + 'a') : p_char;
}

int stricmp_ascii(const char* p_a, const char* p_b) {
    if (p_a == nullptr) p_a = "";
    if (p_b == nullptr) p_b = "";
    for (;; ++p_a, ++p_b) {
        int order = compare_bytes(ascii_tolower(*p_a), ascii_tolower(*p_b));
        if (order != 0) return order;
        if (*p_a == 0) return 0;
    }
}

t_size strstr_ex(const char* p_text, t_size p_text_length, const char* p_pattern,
                 t_size p_pattern_length, t_size p_start) {
    t_size text_length = strlen_max(p_text, p_text_length);
    t_size pattern_length = strlen_max(p_pattern, p_pattern_length);
    if (pattern_length > text_length) return none;
    for (t_size n = p_start; n <= text_length - pattern_length; ++n) {
        if (strcmp_partial(p_text + n, text_length - n, p_pattern, pattern_length) == 0) return n;
    }
    return none;
}

t_size strrstr_ex(const char* p_text, t_size p_text_length, const char* p_pattern,
                  t_size p_pattern_length, t_size p_start) {
    t_size text_length = strlen_max(p_text, p_text_length);
    t_size pattern_length = strlen_max(p_pattern, p_pattern_length);
    if (pattern_length > text_length) return none;
    for (t_size n = min_t(p_start, text_length - pattern_length) + 1; n > 0; --n) {
        if (strcmp_partial(p_text + n - 1, text_length - (n - 1), p_pattern, pattern_length) == 0) {
            return n - 1;
        }
    }
    return none;
}

// The NUL reads as the empty pattern, which is found at the start position.
t_size strchr_ex(const char* p_text, t_size p_text_length, char p_char, t_size p_start) {
    return strstr_ex(p_text, p_text_length, &p_char, 1, p_start);
}

t_size strrchr_ex(const char* p_text, t_size p_text_length, char p_char, t_size p_start) {
    return strrstr_ex(p_text, p_text_length, &p_char, 1, p_start);
}

t_size strchr_ex(const char* p_text, char p_char, t_size p_start) {
    return strchr_ex(p_text, none, p_char, p_start);
}

t_size strrchr_ex(const char* p_text, char p_char, t_size p_start) {
    return strrchr_ex(p_text, none, p_char, p_start);
}

t_size string_find_first(const char* p_text, t_size p_text_length, const char* p_pattern,
                         t_size p_pattern_length) {
    t_size text_length = strlen_max(p_text, p_text_length);
    t_size pattern_length = strlen_max(p_pattern, p_pattern_length);
    t_size pos = 0;
    for (;;) {
        if (pattern_length <= text_length - pos &&
            strcmp_partial(p_text + pos, text_length - pos, p_pattern, pattern_length) == 0) {
            return pos;
        }
        if (pos >= text_length) return none;
        // Only offsets at character starts are tried; an invalid sequence ends the search.
        t_size delta = utf8_char_len(p_text + pos, text_length - pos);
        if (delta == 0) return none;
        pos += delta;
    }
}

char* strdup_n(const char* p_text, t_size p_max) {
    t_size length = strlen_max(p_text, p_max);
    if (length == infinite_size) return nullptr;
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr) return nullptr;
    for (t_size n = 0; n < length; ++n) copy[n] = p_text[n];
    copy[length] = 0;
    return copy;
}

void convert_to_ascii(const char* p_text, t_size p_max, char* p_out, char p_replace) {
    p_replace = checked_replacement(p_replace);
    if (p_out == nullptr) return;
    ascii_into(p_text, strlen_max(p_text, p_max), p_out, p_replace);
}

void string_base::set_ascii(const char* p_text, char p_replace) {
    p_replace = checked_replacement(p_replace);
    // Built in a buffer of its own first, so a text inside the own block is read before it changes.
    t_size length = strlen_max(p_text, infinite_size);
    array_t<char, alloc_standard> buffer;
    if (length == infinite_size) throw_bad_alloc();
    buffer.set_size(length + 1);
    ascii_into(p_text, length, buffer.get_ptr(), p_replace);
    set_string(buffer.get_ptr());
}

void string_base::skip_trailing_char(unsigned p_char) {
    const char* text = get_ptr();
    t_size pos = 0, last = none;
    unsigned last_char = 0;
    while (text[pos] != 0) {
        unsigned c;
        t_size delta = utf8_decode_char(text + pos, &c);
        if (delta == 0) return;  // an invalid sequence: no last character to judge
        last = pos;
        last_char = c;
        pos += delta;
    }
    if (last != none && last_char == p_char) truncate(last);
}

t_size string_base::find_last(char p_char, t_size p_start) const {
    return strrchr_ex(get_ptr(), get_length(), p_char, p_start);
}

// ---- Order arrays and raw bytes ---------------------------------------------------------------------

t_size order_swap(t_size* p_order, t_size p_i, t_size p_j) {
    t_size temp = p_order[p_i];
    p_order[p_i] = p_order[p_j];
    p_order[p_j] = temp;
    return p_j;
}

t_size order_find_source(const t_size* p_order, t_size p_i) {
    t_size previous = p_i, current = p_order[p_i];
    while (current != p_i) {
        previous = current;
        current = p_order[current];
    }
    return previous;
}

void order_reverse(t_size* p_order, t_size p_start, t_size p_count) {
    t_size* items = p_order + p_start;
    for (t_size n = 0; n < p_count / 2; ++n) order_swap(items, n, p_count - 1 - n);
}

void reverse_bytes(void* p_data, t_size p_count) {
    unsigned char* bytes = static_cast<unsigned char*>(p_data);
    for (t_size n = 0; n < p_count / 2; ++n) {
        unsigned char temp = bytes[n];
        bytes[n] = bytes[p_count - 1 - n];
        bytes[p_count - 1 - n] = temp;
    }
}

t_size swap_bytes(void* p_a, void* p_b, t_size p_count) {
    unsigned char* a = static_cast<unsigned char*>(p_a);
    unsigned char* b = static_cast<unsigned char*>(p_b);
    for (t_size n = 0; n < p_count; ++n) {
        unsigned char temp = a[n];
        a[n] = b[n];
        b[n] = temp;
    }
    return p_count;
}

}  // namespace zut
