// The one debug-output routine and the one debug-report routine (see debug.h).
#include <debug.h>

#include <zut/primitives.h>

#include <windows.h>

namespace {

zin_debug_report_hook g_report_hook = nullptr;
void* g_report_context = nullptr;
volatile LONG g_report_count = 0;

// A line is built in a fixed buffer: reporting never allocates and never throws. Longer lines are cut.
const int kLineChars = 1024;

struct LineBuffer {
    wchar_t text[kLineChars];
    int length = 0;

    LineBuffer() { text[0] = 0; }

    void appendWide(const wchar_t* s) {
        for (; s && *s && length < kLineChars - 1; ++s) text[length++] = *s;
        text[length] = 0;
    }

    // Appends UTF-8 text (invalid bytes become U+FFFD, as the system converter does).
    void appendUtf8(const char* s) {
        if (!s || !*s || length >= kLineChars - 1) return;
        int room = kLineChars - 1 - length;
        int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, text + length, room + 1);
        if (n > 0) {
            length += n - 1;  // n counts the terminating NUL
        } else {
            // Too long for the room left: convert into a scratch buffer and copy what fits.
            int need = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
            if (need <= 0) {
                appendWide(L"?");
                return;
            }
            wchar_t scratch[kLineChars];
            int cut = 0;
            // Convert at most as many bytes as can possibly fit (one byte gives at most one unit).
            int bytes = 0;
            while (s[bytes] && bytes < room) ++bytes;
            cut = MultiByteToWideChar(CP_UTF8, 0, s, bytes, scratch, kLineChars);
            for (int i = 0; i < cut && length < kLineChars - 1; ++i) text[length++] = scratch[i];
        }
        text[length] = 0;
    }

    void appendNumber(int value) {
        wchar_t digits[16];
        int n = 0;
        unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
        do {
            digits[n++] = static_cast<wchar_t>(L'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude);
        if (value < 0) digits[n++] = L'-';
        wchar_t reversed[16];
        for (int i = 0; i < n; ++i) reversed[i] = digits[n - 1 - i];
        reversed[n] = 0;
        appendWide(reversed);
    }
};

// The last component of a source path ("/build/src/array.h" -> "array.h").
const char* fileName(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') name = p + 1;
    return *name ? name : path;
}

}  // namespace

void zin_debug_output(const wchar_t* text) { zut::debug_output(text); }

void zin_debug_output(const char* text) {
    if (!text || !zut::debug_output_wanted()) return;
    LineBuffer line;
    line.appendUtf8(text);
    zin_debug_output(line.text);
}

void zin_debug_report(const char* file, int line, const char* text) {
    InterlockedIncrement(&g_report_count);
    if (g_report_hook) {
        zin_debug_report_info info{zin_report_assert, file, line, text};
        g_report_hook(info, g_report_context);
    }
    LineBuffer out;
    out.appendWide(L"ASSERT: ");
    out.appendUtf8(file ? fileName(file) : "?");
    out.appendWide(L"(");
    out.appendNumber(line);
    out.appendWide(L")");
    if (text) {
        out.appendWide(L": ");
        out.appendUtf8(text);
    }
    // The line always ends with its line feed, even when it was cut.
    if (out.length >= kLineChars - 1) out.length = kLineChars - 2;
    out.text[out.length++] = L'\n';
    out.text[out.length] = 0;
    zin_debug_output(out.text);
    if (IsDebuggerPresent()) DebugBreak();
}

zin_debug_output_hook zin_set_debug_output_hook(zin_debug_output_hook hook, void* context,
                                                void** previousContext) {
    return zut::set_debug_output_hook(hook, context, previousContext);
}

zin_debug_report_hook zin_set_debug_report_hook(zin_debug_report_hook hook, void* context,
                                                void** previousContext) {
    zin_debug_report_hook previous = g_report_hook;
    if (previousContext) *previousContext = g_report_context;
    g_report_hook = hook;
    g_report_context = context;
    return previous;
}

uint32_t zin_debug_report_count() {
    return static_cast<uint32_t>(g_report_count);
}
