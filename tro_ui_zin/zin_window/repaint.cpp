// Repaint: every pixel of a skin window is composed in the one shared back buffer and then copied
// to the window.
//
// zin_window::redraw_rect (r):
//   1. A window without native window is not painted; r is cut to the window.
//   2. A repaint asked for while one runs (a part's draw or a callback) is merged into a pending
//      rectangle, never nested. The pending repaints are done from a timer once the message loop
//      runs again: a draw that asks for a repaint every time (an animation) repaints as often as
//      the timer comes, and timers, input and quitting are seen between its repaints.
//   3. Grow the back buffer to the window (compatible with the window's device context).
//   4. Under the paint lock: fill r with the background colour, clip to r, composite every part
//      that meets r in drawing order, copy r to the window.
//   From 3. until the repaint ends, however it ends (a part's draw may throw), a paint is under way
//   (paint_under_way): menus and dialogs asked for meanwhile are refused (modal_ui_allowed), since
//   their modal loop would run inside the draw.
//
// composite_part (part, clip): draw mode -1 draws straight into the back buffer; other modes draw
// into the scratch bitmap, primed with what lies beneath (alpha) or with black (raster operation),
// and combine it back by AlphaBlend or by BitBlt with the mode's raster code.

#include "zin_window.h"

#include <trovaplay/sdk/console.h>

#include <algorithm>
#include <exception>

CBitmapDC g_back_buffer;
CBitmapDC g_scratch_bitmap;
CRITICAL_SECTION g_paint_lock;
BLENDFUNCTION g_blend_function;

// Indexed by the negated draw mode; entry 1 exists but draw mode -1 never reaches it.
const DWORD g_raster_ops[18] = {
    0,          SRCCOPY,   SRCPAINT,  SRCAND,    SRCINVERT, SRCERASE,  NOTSRCCOPY,
    NOTSRCERASE, MERGECOPY, MERGEPAINT, PATCOPY, PATPAINT,  PATINVERT, DSTINVERT,
    BLACKNESS,  WHITENESS, 0,         0};

namespace {

bool g_paint_lock_ready = false;

// The repaint under way, and what was asked for while it ran.
zin_window* g_painting = nullptr;
struct deferred_repaint {
    zin_window* window;
    rect r;
};
CDynArray<deferred_repaint> g_deferred;
// The thread timer that does the pending repaints (0 while none is set).
UINT_PTR g_deferred_timer = 0;

void CALLBACK paint_deferred(HWND, UINT, UINT_PTR, DWORD);

void defer(zin_window* w, const rect& r) {
    if (g_deferred_timer == 0) g_deferred_timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &paint_deferred);
    for (uint32_t i = 0; i < g_deferred.getSize(); ++i) {
        deferred_repaint& d = g_deferred[i];
        if (d.window != w) continue;
        d.r = rect(std::min(d.r.left, r.left), std::min(d.r.top, r.top),
                   std::max(d.r.right, r.right), std::max(d.r.bottom, r.bottom));
        return;
    }
    g_deferred.push(deferred_repaint{w, r});
}

void stop_deferred_timer() {
    if (g_deferred_timer != 0) KillTimer(nullptr, g_deferred_timer);
    g_deferred_timer = 0;
}

// The repaints asked for during earlier ones, each window once with the union of its rectangles.
// What these repaints ask for waits for the next tick.
void CALLBACK paint_deferred(HWND, UINT, UINT_PTR, DWORD) {
    stop_deferred_timer();
    CDynArray<deferred_repaint> pending(std::move(g_deferred));
    // Nothing may unwind into the system's message dispatch: a script part's draw reports its own
    // errors, so only the engine's failures come here.
    try {
        for (uint32_t i = 0; i < pending.getSize(); ++i) {
            zin_window* w = pending[i].window;
            // A window destroyed meanwhile has left g_windows: never touch it. One closed
            // meanwhile has no record any more.
            if (g_windows.find(w, 0) && find_window(w->mWnd)) w->redraw_rect(pending[i].r);
        }
    } catch (const std::exception& e) {
        console::report_error("repaint", e.what());
    }
}

// Holds the paint lock for one repaint and takes the back buffer's clipping away again; both
// however the repaint ends (a part's draw may throw).
class paint_scope {
public:
    explicit paint_scope(HDC back) : m_back(back) { paint_lock_enter(); }
    ~paint_scope() {
        SelectClipRgn(m_back, nullptr);
        paint_lock_leave();
    }
    paint_scope(const paint_scope&) = delete;
    paint_scope& operator=(const paint_scope&) = delete;

private:
    HDC m_back;
};

void paint(zin_window* w, const rect& r) {
    // 3.
    g_back_buffer.create(w->width(), w->height(), w->mDC, false);
    const HDC back = g_back_buffer.getDC();
    if (!back) return;
    SetBkMode(back, TRANSPARENT);
    // 4.
    paint_scope scope(back);
    const RECT area = r.to_RECT();
    // The device context's own brush: no brush is made and deleted per repaint. Its colour is put
    // back, so the parts find the context as before.
    const COLORREF brush_color = SetDCBrushColor(back, ZIN_BACKGROUND_COLOR);
    FillRect(back, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (brush_color != CLR_INVALID) SetDCBrushColor(back, brush_color);
    // Clip to r without a region object of our own: none, then r.
    SelectClipRgn(back, nullptr);
    IntersectClipRect(back, r.left, r.top, r.right, r.bottom);
    // Parts are walked by index: a part's draw may run script code. Parts it adds are drawn by
    // the next repaint (one that adds a part at every draw would otherwise never end this one).
    const uint32_t count = w->mParts.getSize();
    for (uint32_t i = 0; i < count && i < w->mParts.getSize(); ++i) {
        class_base* part = w->mParts[i];
        if (part->mDrawMode == 0) continue;
        rect overlap = part->mRect;
        if (overlap.intersect(r)) composite_part(part, overlap);
    }
    SelectClipRgn(back, nullptr);
    if (w->mWnd) {
        ValidateRect(w->mWnd, &area);
        BitBlt(w->mDC, r.left, r.top, r.width(), r.height(), back, r.left, r.top, SRCCOPY);
    }
}

}  // namespace

bool paint_under_way() { return g_painting != nullptr; }

void zin_window::redraw_rect(const rect& requested) {
    // 1. Nothing is painted while the state closes: parts may be destroyed already. Nor is a
    //    window whose native window is going: it is unloaded (its views have no brushes, the
    //    playlist mirror may be off) and hidden.
    if (!mWnd || script_state_closing() || handle_marked(mWnd, this, handle_state::destroying)) return;
    rect r = requested;
    if (!r.intersect(rect(0, 0, width(), height()))) return;
    // 2.
    if (g_painting) {
        defer(this, r);
        return;
    }
    // The marker is cleared however the repaint ends, or every later one would wait for ever (and
    // every menu and dialog would be refused).
    struct painting_mark {
        explicit painting_mark(zin_window* w) { g_painting = w; }
        ~painting_mark() { g_painting = nullptr; }
    } mark(this);
    paint(this, r);
}

void composite_part(class_base* part, const rect& c) {
    const HDC back = g_back_buffer.getDC();
    const int32_t mode = part->mDrawMode;
    // 1.
    if (mode == DRAW_MODE_DIRECT) {
        part->draw(back, part->mRect, c);
        return;
    }
    // 2.
    const int32_t w = c.width();
    const int32_t h = c.height();
    rect shifted = part->mRect;
    shifted.offset(-c.left, -c.top);
    const rect local(0, 0, w, h);
    g_scratch_bitmap.create(w, h, back, false);
    const HDC scratch = g_scratch_bitmap.getDC();
    if (!scratch) return;
    // 3. Alpha parts start on what lies beneath, raster-operation parts on black.
    BitBlt(scratch, 0, 0, w, h, back, c.left, c.top, mode >= 0 ? SRCCOPY : BLACKNESS);
    // 4. Whatever the part draws beyond w x h stays in the scratch.
    part->draw(scratch, shifted, local);
    if (mode >= 0) {
        // 5.
        AlphaBlend(back, c.left, c.top, w, h, scratch, 0, 0, w, h,
                   make_blend_function(static_cast<uint8_t>(mode), false));
    } else if (mode >= -17) {
        // 6.
        BitBlt(back, c.left, c.top, w, h, scratch, 0, 0, g_raster_ops[-mode]);
    }
}

BLENDFUNCTION make_blend_function(uint8_t alpha, bool per_pixel) {
    g_blend_function.SourceConstantAlpha = alpha;
    g_blend_function.AlphaFormat = per_pixel ? AC_SRC_ALPHA : 0;
    return g_blend_function;
}

void init_paint_lock() {
    if (!g_paint_lock_ready) InitializeCriticalSection(&g_paint_lock);
    g_paint_lock_ready = true;
    g_blend_function.BlendOp = AC_SRC_OVER;
    g_blend_function.BlendFlags = 0;
}

void delete_paint_lock() {
    if (g_paint_lock_ready) DeleteCriticalSection(&g_paint_lock);
    g_paint_lock_ready = false;
    stop_deferred_timer();
    g_deferred.clear();
}

void paint_lock_enter() {
    if (ZIN_CHECK_MSG(g_paint_lock_ready, "paint lock")) EnterCriticalSection(&g_paint_lock);
}

void paint_lock_leave() {
    if (g_paint_lock_ready) LeaveCriticalSection(&g_paint_lock);
}
