// toWide / toAnsi: conversions between a code page (the system ANSI code page for toWide and toAnsi)
// and wide text into new buffers, over the foundation library's code-page converters:
//   1. The converted length, terminating NUL included, sizes the buffer.
//   2. The conversion fills it and always terminates it; a failure leaves an empty text, and is
//      reported.
#include <misc.h>

#include <zut/string_conv.h>

namespace {

template <class T>
T* emptyText() {
    T* buffer = new T[1];
    buffer[0] = 0;
    return buffer;
}

}  // namespace

wchar_t* toWideCP(const char* str, uint32_t codePage) {
    if (!ZIN_CHECK(str != nullptr)) return emptyText<wchar_t>();
    // 1. Size.
    t_size length = zut::estimate_codepage_to_wide(codePage, str);
    wchar_t* buffer = new wchar_t[length];
    // 2. Convert. Any text that is not empty gives at least one unit.
    t_size converted = zut::convert_codepage_to_wide(codePage, buffer, length, str);
    ZIN_ASSERT_MSG(converted + 1 == length && (converted > 0 || str[0] == 0),
                   "conversion to wide text failed");
    return buffer;
}

char* toAnsiCP(const wchar_t* str, uint32_t codePage) {
    if (!ZIN_CHECK(str != nullptr)) return emptyText<char>();
    // 1. Size (characters the code page lacks become its default character).
    t_size length = zut::estimate_wide_to_codepage(codePage, str);
    char* buffer = new char[length];
    // 2. Convert.
    t_size converted = zut::convert_wide_to_codepage(codePage, buffer, length, str);
    ZIN_ASSERT_MSG(converted + 1 == length && (converted > 0 || str[0] == 0),
                   "conversion to multibyte text failed");
    return buffer;
}

wchar_t* toWide(const char* str) { return toWideCP(str, CP_ACP); }

char* toAnsi(const wchar_t* str) { return toAnsiCP(str, CP_ACP); }
