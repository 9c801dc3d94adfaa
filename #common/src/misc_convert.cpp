// toWide / toAnsi: conversions between the system ANSI code page and wide text into new buffers.
#include <misc.h>

namespace {

wchar_t* emptyWide() {
    wchar_t* buffer = new wchar_t[1];
    buffer[0] = 0;
    return buffer;
}

char* emptyNarrow() {
    char* buffer = new char[1];
    buffer[0] = 0;
    return buffer;
}

}  // namespace

wchar_t* toWideCP(const char* str, uint32_t codePage) {
    if (!ZIN_CHECK(str != nullptr)) return emptyWide();
    // 1. The converted length, terminating NUL included.
    int length = MultiByteToWideChar(codePage, 0, str, -1, nullptr, 0);
    if (!ZIN_CHECK_MSG(length > 0, "conversion to wide text failed")) return emptyWide();
    // 2. Convert into a buffer of exactly that length.
    wchar_t* buffer = new wchar_t[length];
    int converted = MultiByteToWideChar(codePage, 0, str, -1, buffer, length);
    if (!ZIN_CHECK_MSG(converted == length, "conversion to wide text failed")) buffer[0] = 0;
    // 3. Always terminated.
    buffer[length - 1] = 0;
    return buffer;
}

char* toAnsiCP(const wchar_t* str, uint32_t codePage) {
    if (!ZIN_CHECK(str != nullptr)) return emptyNarrow();
    // 1. The converted length, terminating NUL included (unmappable characters become the default one).
    int length = WideCharToMultiByte(codePage, 0, str, -1, nullptr, 0, nullptr, nullptr);
    if (!ZIN_CHECK_MSG(length > 0, "conversion to multibyte text failed")) return emptyNarrow();
    // 2. Convert into a buffer of exactly that length.
    char* buffer = new char[length];
    int converted = WideCharToMultiByte(codePage, 0, str, -1, buffer, length, nullptr, nullptr);
    if (!ZIN_CHECK_MSG(converted == length, "conversion to multibyte text failed")) buffer[0] = 0;
    // 3. Always terminated.
    buffer[length - 1] = 0;
    return buffer;
}

wchar_t* toWide(const char* str) { return toWideCP(str, CP_ACP); }

char* toAnsi(const wchar_t* str) { return toAnsiCP(str, CP_ACP); }
