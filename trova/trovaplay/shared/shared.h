#pragma once
// shared.dll: the host's utility library. Every function the component (and the host) may call is
// declared here, with the calling convention and linkage fixed in <trovaplay/sdk/abi.h>.
//
// Text is UTF-8 everywhere. A length of ~0u means "up to the terminating NUL"; a given length also
// ends at an earlier NUL. Functions that write text write it through the foundation library's string
// interfaces (virtual calls only, so the caller's string is grown by the caller's own code).
#include <windows.h>
#include <stdarg.h>
#include <stdint.h>

#include <trovaplay/sdk/abi.h>

namespace zut {
class string_receiver;
class string_base;
}

// Opaque sort key made from a text (uSortStringCreate); compared with uSortStringCompare and
// released with uSortStringFree.
typedef struct shared_sort_key* uSortStringHandle;

// ---------------------------------------------------------------------------------------------
// Formatted text
// ---------------------------------------------------------------------------------------------

// Formats `fmt` with `args` and APPENDS the result to `out` (one add_string call).
// Format language (C printf subset):
//   %[flags][width][.precision][length]conversion
//   flags: '-' left-align, '0' zero-pad, '+' sign, ' ' space for sign, '#' 0x / 0 prefix
//   width and precision: decimal digits or '*' (taken from the arguments as int)
//   length: hh h l ll L j z t I I32 I64 (ll / I64 / j take 64-bit values; others 32-bit;
//           L before f e g a takes a long double)
//   d i      signed decimal           u        unsigned decimal
//   x X      unsigned hexadecimal     o        unsigned octal
//   c        a code point, written as UTF-8 (0 writes nothing)
//   s        UTF-8 text (null prints "(null)"); precision = maximum bytes, never cutting a character
//   S ls     wide (UTF-16) text, converted to UTF-8
//   p        pointer as 0x + 8 hexadecimal digits
//   f F e E g G a A   double, as the C runtime formats it
//   %        a literal '%'
// An unknown conversion, or a format that ends inside a conversion, is copied as it stands.
SHARED_API void SHARED_CALL uPrintfV(zut::string_receiver& out, const char* fmt, va_list args);

// Same as uPrintfV with a variable argument list.
SHARED_API void SHARED_CALL uPrintf(zut::string_receiver& out, const char* fmt, ...);

// ---------------------------------------------------------------------------------------------
// Comparison and case mapping
// ---------------------------------------------------------------------------------------------

// Case-insensitive comparison of two UTF-8 texts, character by lower-cased character.
// Returns <0, 0 or >0. Bytes that do not form valid UTF-8 compare by their byte value.
SHARED_API int SHARED_CALL stricmp_utf8(const char* a, const char* b);

// The same over lengths in bytes (~0u: up to the NUL; a NUL ends a text earlier).
SHARED_API int SHARED_CALL stricmp_utf8_ex(const char* a, uint32_t len_a, const char* b, uint32_t len_b);

// Lower-case form of a code point (unchanged when it has none).
SHARED_API uint32_t SHARED_CALL uCharLower(uint32_t c);

// Upper-case form of a code point (unchanged when it has none).
SHARED_API uint32_t SHARED_CALL uCharUpper(uint32_t c);

// Appends the upper-case form of `src` (len bytes, ~0u: up to the NUL) to `out`.
SHARED_API void SHARED_CALL uAddStringUpper(zut::string_base& out, const char* src, uint32_t len);

// Appends the lower-case form of `src` (len bytes, ~0u: up to the NUL) to `out`.
SHARED_API void SHARED_CALL uAddStringLower(zut::string_base& out, const char* src, uint32_t len);

// Sort keys: a locale-aware, case-insensitive order, consistent for the life of the keys.
// uSortStringCreate returns null only when out of memory (an unconvertible text gives an empty key);
// uSortStringCompare orders a null key first and uSortStringFree accepts it.
SHARED_API uSortStringHandle SHARED_CALL uSortStringCreate(const char* text);
SHARED_API int SHARED_CALL uSortStringCompare(uSortStringHandle a, uSortStringHandle b);
SHARED_API void SHARED_CALL uSortStringFree(uSortStringHandle key);

// ---------------------------------------------------------------------------------------------
// System error texts
// ---------------------------------------------------------------------------------------------

// Writes (set_string) the system's text for a Win32 error code into `out`, without a trailing
// line break. Returns FALSE, leaving `out` untouched, when the system has no text for the code.
SHARED_API BOOL SHARED_CALL uFormatSystemErrorMessage(zut::string_base& out, DWORD code);

// ---------------------------------------------------------------------------------------------
// Call-stack tracker: named scopes per thread, for diagnostics (use the uCallStackTracker class)
// ---------------------------------------------------------------------------------------------

// Enters a named scope on the calling thread and returns a token for uCallStackTrackerLeave.
// The name is kept by pointer: it must outlive the scope (a literal).
SHARED_API uint32_t SHARED_CALL uCallStackTrackerEnter(const char* name);
// Leaves the scope that `token` entered (and every scope entered after it and not left).
SHARED_API void SHARED_CALL uCallStackTrackerLeave(uint32_t token);
// Number of scopes open on the calling thread.
SHARED_API uint32_t SHARED_CALL uCallStackTrackerDepth(void);
// Appends the open scopes of the calling thread to `out`, outermost first, one per line ("\n"
// after each). Scopes nested deeper than the tracker keeps are shown as "...".
SHARED_API void SHARED_CALL uDumpCallStack(zut::string_receiver& out);

#ifdef __cplusplus
// A scope on the calling thread's call-stack record, from construction to destruction.
class uCallStackTracker {
public:
    explicit uCallStackTracker(const char* name) : m_token(uCallStackTrackerEnter(name)) {}
    ~uCallStackTracker() { uCallStackTrackerLeave(m_token); }
    uCallStackTracker(const uCallStackTracker&) = delete;
    uCallStackTracker& operator=(const uCallStackTracker&) = delete;

private:
    uint32_t m_token;
};
#endif

// ---------------------------------------------------------------------------------------------
// Menus (UTF-8 forms of the Windows calls)
// ---------------------------------------------------------------------------------------------

SHARED_API BOOL SHARED_CALL uAppendMenu(HMENU menu, UINT flags, UINT_PTR id, const char* label);
SHARED_API BOOL SHARED_CALL uModifyMenu(HMENU menu, UINT item, UINT flags, UINT_PTR id, const char* label);
// Writes (set_string) the label of an item (flags: MF_BYCOMMAND or MF_BYPOSITION).
// Returns FALSE and leaves `out` untouched when there is no such item.
SHARED_API BOOL SHARED_CALL uGetMenuString(HMENU menu, UINT item, zut::string_base& out, UINT flags);
// The type bits (MFT_*) of the item at `position`: 0 for a text item; ~0u when there is none.
SHARED_API UINT SHARED_CALL uGetMenuItemType(HMENU menu, UINT position);

// ---------------------------------------------------------------------------------------------
// Text output
// ---------------------------------------------------------------------------------------------
// Colour codes inside texts for the *Colors* functions:
//   "\x03" RRGGBB "\x03"          text colour from here (6 hexadecimal digits, red first)
//   "\x03" RRGGBB "|" RRGGBB "\x03"  colour when not selected | colour when selected
//   "\x03\x03"                    back to the default colour
// Malformed codes are drawn as text.

// ExtTextOutW over UTF-8 text (len bytes). `dx` (optional) holds one advance per UTF-16 unit.
SHARED_API BOOL SHARED_CALL uExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect,
                                        const char* text, UINT len, const int* dx);
// Draws text with colour codes at x, y, clipped to `clip` (null: no clipping).
SHARED_API BOOL SHARED_CALL uTextOutColors(HDC dc, const char* text, UINT len, int x, int y,
                                           const RECT* clip, BOOL selected, DWORD default_color);
// Draws one row in `rect`: tab-separated columns (with use_columns) spread over the row; "\t"
// alone right-aligns what follows. `border` pixels are kept free left and right; `clip` null
// means the row rectangle.
SHARED_API BOOL SHARED_CALL uTextOutColorsTabbed(HDC dc, const char* text, UINT len, const RECT* rect,
                                                 int border, const RECT* clip, BOOL selected,
                                                 DWORD default_color, BOOL use_columns);
// Height in pixels of a line of text in the font selected into `dc` (tmHeight).
SHARED_API int SHARED_CALL uGetTextHeight(HDC dc);

// ---------------------------------------------------------------------------------------------
// Dialogs
// ---------------------------------------------------------------------------------------------

// The colour dialog: `color` in/out (COLORREF), `custom_colors` in/out (16 COLORREFs).
// Returns TRUE when the user chose a colour.
SHARED_API BOOL SHARED_CALL uChooseColor(DWORD* color, HWND parent, DWORD* custom_colors);
