// Layout edit mode: one part of one window at a time is moved or resized with the mouse.
//
// edit_mode_mouse (window, event):
//   1. No edit under way: a left press with Ctrl down picks the topmost part under the mouse
//      (parts are walked from the last drawn to the first), remembers the grab offset and the
//      part's size, and captures the mouse. Anything else is not used.
//   2. Editing, left release: the edit ends and the capture is given back.
//   3. Editing, any other mouse message:
//      a. Shift up, a move: place the part at the mouse plus the grab offset, take the snap
//         candidates of its five reference points (the four corners and the centre), shift by
//         the best one and repaint the old and the new place.
//      b. Shift down, a resize: grow the part by the mouse's step, never below 2 x 2, and take
//         offset and size again from the new rect.
//   4. The part hears of its new rect, and the window repaints what changed, untraced.
//
// collect_snap_candidates (bits, r, x, y): the point itself, then the square rings k = 1 .. r
// around it. Each ring is visited in one fixed order:
//   - the columns x - k .. x + k from left to right, in each column row y - k, then row y + k;
//   - the rows y - k + 1 .. y + k - 1 from top to bottom, in each row column x - k, then x + k.
// Every set bit is a hit at its offset from (x, y). The hits of all five reference points of one
// message go to the same candidates, so a count says how many reference points that shift brings
// onto set bits; the order decides between shifts of equal count and equal length.

#include "edit_mode.h"

#include <algorithm>

namespace {

// The edit under way; window and part are null while there is none.
struct edit_state {
    zin_window* window;
    class_base* part;
    point offset;  // the part's left and top minus the mouse position
    point size;    // the part's width and height
};
edit_state g_edit{nullptr, nullptr, point(0, 0), point(0, 0)};

bool key_down(int key) { return GetKeyState(key) < 0; }

bool is_part_of(zin_window* w, class_base* part) { return w->mParts.find(part, 0) != nullptr; }

// The topmost part under p: the one drawn last.
class_base* part_at(zin_window* w, const point& p) {
    for (uint32_t i = w->mParts.getSize(); i > 0; --i)
        if (point_in_rect(p, w->mParts[i - 1]->mRect)) return w->mParts[i - 1];
    return nullptr;
}

void take_offset_and_size(const point& mouse) {
    const rect& r = g_edit.part->mRect;
    g_edit.offset = point(clamp_to_int32(static_cast<int64_t>(r.left) - mouse.x),
                          clamp_to_int32(static_cast<int64_t>(r.top) - mouse.y));
    g_edit.size = point(r.width(), r.height());
}

void end_edit() {
    g_edit = edit_state{nullptr, nullptr, point(0, 0), point(0, 0)};
    ReleaseCapture();
}

bool dock_bit(const bitfield& bits, int64_t x, int64_t y) {
    if (!bits.bits || x < 0 || y < 0 || x >= bits.width || y >= bits.height) return false;
    const uint64_t i = static_cast<uint64_t>(y) * bits.width + static_cast<uint64_t>(x);
    return (bits.bits[i / 8] >> (i % 8)) & 1u;
}

// 3a. Where the part goes: the mouse plus the grab offset, shifted by the best snap candidate.
point snapped_position(zin_window* w, const point& mouse) {
    point pos = mouse + g_edit.offset;
    const int32_t width = g_edit.size.x;
    const int32_t height = g_edit.size.y;
    const point reference[5] = {pos, pos + point(width, 0), pos + point(0, height),
                                pos + point(width, height), pos + point(width / 2, height / 2)};
    snap_candidates candidates;
    for (const point& p : reference)
        collect_snap_candidates(w->mDockBits, SNAP_RADIUS, p.x, p.y, candidates);
    if (const snap_candidate* best = candidates.best()) pos.add(point(best->dx, best->dy));
    return pos;
}

// 3a. Moves the part; dirty grows from the old rect to cover the new one.
void move_part(zin_window* w, const point& mouse, rect& dirty) {
    const point pos = snapped_position(w, mouse);
    rect& r = g_edit.part->mRect;
    const rect old = r;
    r = rect(pos.x, pos.y, add_clamped(pos.x, g_edit.size.x), add_clamped(pos.y, g_edit.size.y));
    if (r.left >= old.left)
        dirty.right = r.right;
    else
        dirty.left = r.left;
    if (r.top >= old.top)
        dirty.bottom = r.bottom;
    else
        dirty.top = r.top;
}

// 3b. Resizes the part by the mouse's step.
void resize_part(const struct mouse_event& event, rect& dirty) {
    rect& r = g_edit.part->mRect;
    r.right = add_clamped(r.right, event.delta.x);
    r.bottom = add_clamped(r.bottom, event.delta.y);
    if (r.width() < 2) r.right = r.left + 2;
    if (r.height() < 2) r.bottom = r.top + 2;
    if (event.delta.x > 0) dirty.right = add_clamped(dirty.right, event.delta.x);
    if (event.delta.y > 0) dirty.bottom = add_clamped(dirty.bottom, event.delta.y);
    take_offset_and_size(event.pos);
}

int64_t length2(const snap_candidate& c) {
    return static_cast<int64_t>(c.dx) * c.dx + static_cast<int64_t>(c.dy) * c.dy;
}

// Clears the trace flag for its life and puts back what was there, however the repaint ends.
class untraced_scope {
public:
    untraced_scope() : m_tracing(g_trace_calls) { g_trace_calls = false; }
    ~untraced_scope() { g_trace_calls = m_tracing; }
    untraced_scope(const untraced_scope&) = delete;
    untraced_scope& operator=(const untraced_scope&) = delete;

private:
    bool m_tracing;
};

}  // namespace

void snap_candidates::reach(int32_t r) {
    if (r <= mReach) return;
    mReach = r;
    const size_t side = static_cast<size_t>(2 * r + 1);
    mGrid.assign(side * side, 0);
    // Candidates found with a smaller reach keep their place in the list.
    for (uint32_t i = 0; i < mList.getSize(); ++i) {
        const snap_candidate& c = mList[i];
        mGrid[static_cast<size_t>(c.dy + r) * side + static_cast<size_t>(c.dx + r)] = i + 1;
    }
}

void snap_candidates::hit(int32_t dx, int32_t dy) {
    if (!ZIN_CHECK(dx >= -mReach && dx <= mReach && dy >= -mReach && dy <= mReach)) return;
    const size_t side = static_cast<size_t>(2 * mReach + 1);
    uint32_t& slot = mGrid[static_cast<size_t>(dy + mReach) * side + static_cast<size_t>(dx + mReach)];
    if (slot != 0) {
        ++mList[slot - 1].count;
        return;
    }
    if (mList.push(snap_candidate{dx, dy, 1})) slot = mList.getSize();
}

const snap_candidate* snap_candidates::best() const {
    const snap_candidate* best = nullptr;
    for (uint32_t i = 0; i < mList.getSize(); ++i) {
        const snap_candidate& c = mList[i];
        if (best && c.count < best->count) continue;
        if (best && c.count == best->count && length2(c) >= length2(*best)) continue;
        best = &c;
    }
    return best;
}

void collect_snap_candidates(const bitfield& bits, int32_t r, int32_t x, int32_t y,
                             snap_candidates& candidates) {
    if (r < 0) return;
    candidates.reach(r);
    auto visit = [&](int32_t dx, int32_t dy) {
        if (dock_bit(bits, static_cast<int64_t>(x) + dx, static_cast<int64_t>(y) + dy))
            candidates.hit(dx, dy);
    };
    // The point itself: a part already in place stays there.
    visit(0, 0);
    for (int32_t k = 1; k <= r; ++k) {
        for (int32_t dx = -k; dx <= k; ++dx) {
            visit(dx, -k);
            visit(dx, k);
        }
        for (int32_t dy = -k + 1; dy <= k - 1; ++dy) {
            visit(-k, dy);
            visit(k, dy);
        }
    }
}

// The event's position is the mouse position of the dispatch (g_mouse_pos).
bool edit_mode_mouse(zin_window* w, const struct mouse_event& event) {
    // 1.
    if (!g_edit.part) {
        if (event.msg != WM_LBUTTONDOWN || !key_down(VK_CONTROL) || w->mParts.getSize() == 0)
            return false;
        class_base* part = part_at(w, event.pos);
        if (!part) return false;
        g_edit.window = w;
        g_edit.part = part;
        take_offset_and_size(event.pos);
        SetCapture(w->mWnd);
        return true;
    }
    // An edit whose part is no longer there (or another window's message) ends unused.
    if (g_edit.window != w || !is_part_of(w, g_edit.part)) {
        end_edit();
        return false;
    }
    // 2.
    if (event.msg == WM_LBUTTONUP) {
        end_edit();
        return true;
    }
    // 3.
    class_base* part = g_edit.part;
    rect dirty = part->mRect;
    if (!key_down(VK_SHIFT))
        move_part(w, event.pos, dirty);
    else
        resize_part(event, dirty);
    // 4.
    part->size();
    untraced_scope untraced;
    w->redraw_rect(dirty);
    return true;
}

class_base* edit_mode_part() { return g_edit.part; }

void edit_mode_reset() {
    if (g_edit.part) end_edit();
}
