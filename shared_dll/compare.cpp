// Case-insensitive comparison, case mapping and sort keys over UTF-8 text.
#include <trovaplay/shared/shared.h>

#include <new>
#include <string>

#include <zut/string.h>

#include "utf8.h"

namespace {

uint32_t map_case(uint32_t c, bool upper) {
    if (c < 0x80) {
        if (upper) return (c >= 'a' && c <= 'z') ? c - 32 : c;
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    }
    if (c >= 0x10000 || (c >= 0xD800 && c <= 0xDFFF)) return c;  // only the basic plane is mapped
    WCHAR w = WCHAR(c);
    if (upper) CharUpperBuffW(&w, 1);
    else CharLowerBuffW(&w, 1);
    return uint16_t(w);
}

// Appends the case-mapped form of text[0..n) to a UTF-8 buffer; invalid bytes are copied as they are.
std::string mapped(const char* text, uint32_t len, bool upper) {
    const uint32_t n = shared_dll::bounded_length(text, len);
    std::string out;
    out.reserve(n);
    uint32_t i = 0;
    while (i < n) {
        uint32_t c;
        const unsigned used = shared_dll::decode_utf8(reinterpret_cast<const unsigned char*>(text) + i, n - i, c);
        if (c & 0x80000000u) out += text[i];
        else shared_dll::append_utf8(out, map_case(c, upper));
        i += used;
    }
    return out;
}

}  // namespace

struct shared_sort_key {
    std::wstring text;
};

SHARED_API int SHARED_CALL stricmp_utf8_ex(const char* a, uint32_t len_a, const char* b, uint32_t len_b) {
    const uint32_t na = shared_dll::bounded_length(a, len_a);
    const uint32_t nb = shared_dll::bounded_length(b, len_b);
    const unsigned char* pa = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* pb = reinterpret_cast<const unsigned char*>(b);
    uint32_t ia = 0, ib = 0;
    while (ia < na && ib < nb) {
        // ASCII fast path.
        if (pa[ia] < 0x80 && pb[ib] < 0x80) {
            const uint32_t ca = map_case(pa[ia], false), cb = map_case(pb[ib], false);
            if (ca != cb) return ca < cb ? -1 : 1;
            ++ia;
            ++ib;
            continue;
        }
        uint32_t ca, cb;
        ia += shared_dll::decode_utf8(pa + ia, na - ia, ca);
        ib += shared_dll::decode_utf8(pb + ib, nb - ib, cb);
        if (!(ca & 0x80000000u)) ca = map_case(ca, false);
        if (!(cb & 0x80000000u)) cb = map_case(cb, false);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (ia < na) return 1;
    if (ib < nb) return -1;
    return 0;
}

SHARED_API int SHARED_CALL stricmp_utf8(const char* a, const char* b) {
    return stricmp_utf8_ex(a, ~0u, b, ~0u);
}

SHARED_API uint32_t SHARED_CALL uCharLower(uint32_t c) { return map_case(c, false); }

SHARED_API uint32_t SHARED_CALL uCharUpper(uint32_t c) { return map_case(c, true); }

SHARED_API void SHARED_CALL uAddStringUpper(zut::string_base& out, const char* src, uint32_t len) {
    const std::string t = mapped(src, len, true);
    out.add_string(t.c_str(), t_size(t.size()));
}

SHARED_API void SHARED_CALL uAddStringLower(zut::string_base& out, const char* src, uint32_t len) {
    const std::string t = mapped(src, len, false);
    out.add_string(t.c_str(), t_size(t.size()));
}

SHARED_API uSortStringHandle SHARED_CALL uSortStringCreate(const char* text) {
    shared_sort_key* key = new (std::nothrow) shared_sort_key;
    if (key == nullptr) return nullptr;
    try {
        key->text = shared_dll::to_wide(text, ~0u);
    } catch (...) {
        key->text.clear();
    }
    return key;
}

SHARED_API int SHARED_CALL uSortStringCompare(uSortStringHandle a, uSortStringHandle b) {
    if (a == b) return 0;
    if (a == nullptr) return -1;
    if (b == nullptr) return 1;
    const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a->text.c_str(), int(a->text.size()),
                                 b->text.c_str(), int(b->text.size()));
    if (r == CSTR_LESS_THAN) return -1;
    if (r == CSTR_GREATER_THAN) return 1;
    if (r == CSTR_EQUAL) return 0;
    // The system could not compare: fall back to code-unit order, still a consistent order.
    return a->text < b->text ? -1 : (b->text < a->text ? 1 : 0);
}

SHARED_API void SHARED_CALL uSortStringFree(uSortStringHandle key) { delete key; }
