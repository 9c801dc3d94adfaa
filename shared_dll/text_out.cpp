// UTF-8 text output with colour codes and tab-separated columns.
//
// 1. Split the text into runs of one colour (colour codes are described in shared.h).
// 2. Measure the runs when the placement needs the total width (right alignment).
// 3. Draw run after run, each with its colour, advancing by its measured width.
#include <trovaplay/shared/shared.h>

#include <string>
#include <vector>

#include "utf8.h"

namespace {

struct run_t {
    std::wstring text;
    COLORREF color;
};

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parse_rgb(const char* p, COLORREF& out) {
    int v[6];
    for (int i = 0; i < 6; ++i)
        if ((v[i] = hex_value(p[i])) < 0) return false;
    out = RGB(v[0] * 16 + v[1], v[2] * 16 + v[3], v[4] * 16 + v[5]);
    return true;
}

// 1. Colour runs of text[0..n).
std::vector<run_t> split_runs(const char* text, uint32_t n, bool selected, COLORREF default_color) {
    std::vector<run_t> runs;
    COLORREF current = default_color;
    std::string pending;
    auto flush = [&] {
        if (!pending.empty()) runs.push_back({shared_dll::to_wide(pending.c_str(), uint32_t(pending.size())), current});
        pending.clear();
    };
    uint32_t i = 0;
    while (i < n) {
        if (text[i] != '\x03') {
            pending += text[i++];
            continue;
        }
        if (i + 1 < n && text[i + 1] == '\x03') {  // reset
            flush();
            current = default_color;
            i += 2;
            continue;
        }
        COLORREF normal, sel;
        if (i + 8 <= n && parse_rgb(text + i + 1, normal) && text[i + 7] == '\x03') {
            flush();
            current = normal;
            i += 8;
            continue;
        }
        if (i + 15 <= n && parse_rgb(text + i + 1, normal) && text[i + 7] == '|' && parse_rgb(text + i + 8, sel) &&
            text[i + 14] == '\x03') {
            flush();
            current = selected ? sel : normal;
            i += 15;
            continue;
        }
        pending += text[i++];  // malformed code: drawn as text
    }
    flush();
    return runs;
}

int width_of(HDC dc, const std::vector<run_t>& runs) {
    int total = 0;
    for (const run_t& r : runs) {
        SIZE sz = {0, 0};
        if (!r.text.empty() && GetTextExtentPoint32W(dc, r.text.c_str(), int(r.text.size()), &sz)) total += sz.cx;
    }
    return total;
}

// 3. Draws the runs from x (left edge), clipped; returns FALSE when a call failed.
BOOL draw_runs(HDC dc, const std::vector<run_t>& runs, int x, int y, const RECT* clip) {
    const COLORREF old_color = GetTextColor(dc);
    const UINT old_align = SetTextAlign(dc, (GetTextAlign(dc) & ~(TA_RIGHT | TA_CENTER | TA_UPDATECP)) | TA_LEFT);
    BOOL ok = TRUE;
    for (const run_t& r : runs) {
        SetTextColor(dc, r.color);
        if (!ExtTextOutW(dc, x, y, clip ? ETO_CLIPPED : 0, clip, r.text.c_str(), UINT(r.text.size()), nullptr))
            ok = FALSE;
        SIZE sz = {0, 0};
        if (GetTextExtentPoint32W(dc, r.text.c_str(), int(r.text.size()), &sz)) x += sz.cx;
    }
    SetTextColor(dc, old_color);
    if (old_align != GDI_ERROR) SetTextAlign(dc, old_align);
    return ok;
}

}  // namespace

SHARED_API BOOL SHARED_CALL uExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const char* text,
                                        UINT len, const int* dx) {
    const std::wstring w = shared_dll::to_wide(text, len);
    return ExtTextOutW(dc, x, y, options, rect, w.c_str(), UINT(w.size()), dx);
}

SHARED_API BOOL SHARED_CALL uTextOutColors(HDC dc, const char* text, UINT len, int x, int y, const RECT* clip,
                                           BOOL selected, DWORD default_color) {
    const std::vector<run_t> runs = split_runs(text, shared_dll::bounded_length(text, len), selected != FALSE,
                                               default_color);
    // 2. Right or centred alignment of the device context places the whole text around x.
    const UINT align = GetTextAlign(dc);
    if (align != GDI_ERROR && (align & TA_CENTER) == TA_CENTER) x -= width_of(dc, runs) / 2;
    else if (align != GDI_ERROR && (align & TA_RIGHT)) x -= width_of(dc, runs);
    return draw_runs(dc, runs, x, y, clip);
}

SHARED_API BOOL SHARED_CALL uTextOutColorsTabbed(HDC dc, const char* text, UINT len, const RECT* rect, int border,
                                                 const RECT* clip, BOOL selected, DWORD default_color,
                                                 BOOL use_columns) {
    if (rect == nullptr) return FALSE;
    const uint32_t n = shared_dll::bounded_length(text, len);
    std::vector<std::string> parts(1);
    for (uint32_t i = 0; i < n; ++i) {
        if (text[i] == '\t') parts.emplace_back();
        else parts.back() += text[i];
    }
    RECT inner = *rect;
    inner.left += border;
    inner.right -= border;
    RECT row_clip = clip ? *clip : *rect;
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    const int y = rect->top + ((rect->bottom - rect->top) - tm.tmHeight) / 2;
    if (!use_columns && parts.size() > 2) {  // everything after the first tab forms one right part
        std::string right = parts[1];
        for (size_t i = 2; i < parts.size(); ++i) right += ' ' + parts[i];
        parts.resize(2);
        parts[1] = right;
    }
    const int count = int(parts.size());
    const int cell = count > 0 ? (inner.right - inner.left) / count : 0;
    BOOL ok = TRUE;
    for (int i = 0; i < count; ++i) {
        RECT cell_rect = {inner.left + i * cell, rect->top, i == count - 1 ? inner.right : inner.left + (i + 1) * cell,
                          rect->bottom};
        if (count == 2 && !use_columns) cell_rect = inner;  // left part and right part share the row
        RECT c;
        if (!IntersectRect(&c, &cell_rect, &row_clip)) continue;
        const std::vector<run_t> runs =
            split_runs(parts[size_t(i)].c_str(), uint32_t(parts[size_t(i)].size()), selected != FALSE, default_color);
        const bool right = count > 1 && i == count - 1;
        const int x = right ? cell_rect.right - width_of(dc, runs) : cell_rect.left;
        if (!draw_runs(dc, runs, x, y, &c)) ok = FALSE;
    }
    return ok;
}

SHARED_API int SHARED_CALL uGetTextHeight(HDC dc) {
    TEXTMETRICW tm = {};
    if (!GetTextMetricsW(dc, &tm)) return 0;
    return tm.tmHeight;
}
