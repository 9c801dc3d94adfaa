// Layout edit mode: picking, moving with snapping, resizing, the end of an edit, and one real
// Ctrl-drag through Wine's input. The window procedure does not offer mouse messages to the edit
// mode, so these tests put a procedure of their own in front of it that offers every mouse message
// to edit_mode_mouse first and passes on what it leaves (the same position and step that the mouse
// dispatch would take).

#include "window_test_util.h"

#include <tro_ui_zin.h>
#include <zin_window/edit_mode.h>

#include <windowsx.h>

#include <cstdlib>
#include <ostream>
#include <random>
#include <vector>

using namespace window_test;

// Comparison and printing for the checks (found by argument lookup, so outside the unnamed space).
bool operator==(const snap_candidate& a, const snap_candidate& b) {
    return a.dx == b.dx && a.dy == b.dy && a.count == b.count;
}
void PrintTo(const snap_candidate& c, std::ostream* out) {
    *out << "(" << c.dx << ", " << c.dy << ") x" << c.count;
}
bool operator==(const rect& a, const rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
void PrintTo(const rect& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

// ---- The snap candidates ------------------------------------------------------------------------

// A docking mask of its own memory (freed by the window that takes it, or by the caller).
bitfield new_mask(uint32_t width, uint32_t height) {
    return bitfield{static_cast<uint8_t*>(calloc((width * height + 8) / 8, 1)), width, height};
}
void set_bit(bitfield& b, uint32_t x, uint32_t y) {
    const uint32_t i = y * b.width + x;
    b.bits[i / 8] = static_cast<uint8_t>(b.bits[i / 8] | (1u << (i % 8)));
}

std::vector<snap_candidate> list_of(const snap_candidates& c) {
    return std::vector<snap_candidate>(c.mList.mpData, c.mList.mpData + c.mList.getSize());
}

TEST(snap_candidates, rings_are_visited_in_one_order_and_the_mask_ends_at_its_edges) {
    bitfield mask = new_mask(10, 8);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 10; ++x) set_bit(mask, x, y);
    snap_candidates around;
    collect_snap_candidates(mask, 1, 5, 5, around);
    // The point itself; then columns left to right, top row before bottom row; then the sides.
    const std::vector<snap_candidate> ring = {{0, 0, 1},  {-1, -1, 1}, {-1, 1, 1},
                                              {0, -1, 1}, {0, 1, 1},   {1, -1, 1},
                                              {1, 1, 1},  {-1, 0, 1},  {1, 0, 1}};
    EXPECT_EQ(ring, list_of(around));
    // In the corner, half of the square lies outside the mask and reads as clear.
    snap_candidates corner;
    collect_snap_candidates(mask, 2, 0, 7, corner);
    EXPECT_EQ(9u, corner.mList.getSize());
    for (const snap_candidate& c : list_of(corner)) EXPECT_TRUE(c.dx >= 0 && c.dy <= 0);
    // An empty mask has no candidates.
    snap_candidates none;
    collect_snap_candidates(bitfield{nullptr, 0, 0}, SNAP_RADIUS, 5, 5, none);
    EXPECT_EQ(nullptr, none.best());
    free(mask.bits);
}

// The plain way: a list searched for every hit. The count grid must give the same list.
void collect_by_search(const bitfield& b, int r, int x, int y, std::vector<snap_candidate>& list) {
    auto visit = [&](int dx, int dy) {
        const int px = x + dx, py = y + dy;
        if (px < 0 || py < 0 || px >= static_cast<int>(b.width) || py >= static_cast<int>(b.height))
            return;
        const uint32_t i = static_cast<uint32_t>(py) * b.width + static_cast<uint32_t>(px);
        if (!((b.bits[i / 8] >> (i % 8)) & 1)) return;
        for (snap_candidate& c : list) {
            if (c.dx == dx && c.dy == dy) {
                ++c.count;
                return;
            }
        }
        list.push_back(snap_candidate{dx, dy, 1});
    };
    visit(0, 0);
    for (int k = 1; k <= r; ++k) {
        for (int dx = -k; dx <= k; ++dx) {
            visit(dx, -k);
            visit(dx, k);
        }
        for (int dy = -k + 1; dy < k; ++dy) {
            visit(-k, dy);
            visit(k, dy);
        }
    }
}

TEST(snap_candidates, count_grid_gives_what_a_searched_list_gives) {
    std::mt19937 random(20);
    for (int round = 0; round < 40; ++round) {
        bitfield mask = new_mask(90, 70);
        const int density = 1 + round % 8;  // from nearly empty to one bit in two
        for (uint32_t y = 0; y < 70; ++y)
            for (uint32_t x = 0; x < 90; ++x)
                if (static_cast<int>(random() % 16) < density) set_bit(mask, x, y);
        snap_candidates grid;
        std::vector<snap_candidate> searched;
        // Five points as a part's corners and centre, one radius first smaller than the rest.
        const int left = static_cast<int>(random() % 80) - 5, top = static_cast<int>(random() % 60) - 5;
        const int points[5][2] = {{left, top}, {left + 30, top}, {left, top + 16},
                                  {left + 30, top + 16}, {left + 15, top + 8}};
        for (int i = 0; i < 5; ++i) {
            const int r = i == 0 ? 3 : SNAP_RADIUS;
            collect_snap_candidates(mask, r, points[i][0], points[i][1], grid);
            collect_by_search(mask, r, points[i][0], points[i][1], searched);
        }
        ASSERT_EQ(searched, list_of(grid)) << "round " << round;
        free(mask.bits);
    }
}

TEST(snap_candidates, best_has_most_hits_then_the_shortest_shift_then_came_first) {
    snap_candidates c;
    c.reach(SNAP_RADIUS);
    c.hit(1, 0);    // near, one hit
    c.hit(6, -3);   // far, two hits
    c.hit(6, -3);
    c.hit(-3, 6);   // as far, two hits, found later
    c.hit(-3, 6);
    ASSERT_NE(nullptr, c.best());
    EXPECT_EQ(6, c.best()->dx);
    EXPECT_EQ(-3, c.best()->dy);
    c.hit(2, 2);    // nearer with two hits
    c.hit(2, 2);
    EXPECT_EQ(2, c.best()->dx);
}

// ---- Editing a window's parts -------------------------------------------------------------------

WNDPROC g_window_proc = nullptr;

// Offers each mouse message to the edit mode before the window's own procedure.
LRESULT CALLBACK edit_route(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK) {
        if (zin_window* w = find_window(hwnd)) {
            const point previous = g_mouse_pos;
            g_mouse_pos = point(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
            const struct mouse_event event{hwnd, msg, wparam, lparam, g_mouse_pos,
                                           point(g_mouse_pos.x - previous.x, g_mouse_pos.y - previous.y)};
            if (edit_mode_mouse(w, event)) return 0;
            g_mouse_pos = previous;  // the dispatch takes the step itself
        }
    }
    return CallWindowProcW(g_window_proc, hwnd, msg, wparam, lparam);
}

// Sets the thread's key states of Ctrl and Shift.
void hold_keys(bool ctrl, bool shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
}

class edit_mode : public window_fixture {
protected:
    zin_window* w = nullptr;
    HWND hwnd = nullptr;

    void SetUp() override {
        window_fixture::SetUp();
        w = new_window("w", 100, 100, 200, 100, 0, 200, 100);
        ASSERT_EQ("", run("w:create()"));
        hwnd = w->mWnd;
        g_window_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&edit_route)));
        pump();
    }
    void TearDown() override {
        hold_keys(false, false);
        edit_mode_reset();
        window_fixture::TearDown();
    }
    void send(UINT msg, int x, int y) { window_fixture::mouse(hwnd, msg, x, y); }
    // Ctrl-press at (x, y) and move to (to_x, to_y).
    void drag(int x, int y, int to_x, int to_y, bool shift = false) {
        hold_keys(true, false);
        send(WM_LBUTTONDOWN, x, y);
        hold_keys(true, shift);
        send(WM_MOUSEMOVE, to_x, to_y);
    }
};

TEST_F(edit_mode, press_without_ctrl_or_beside_every_part_goes_on_to_the_parts) {
    probe_part* part = add_probe(w, rect(10, 10, 50, 40));
    hold_keys(false, false);
    send(WM_LBUTTONDOWN, 20, 20);
    send(WM_LBUTTONUP, 20, 20);
    hold_keys(true, false);
    send(WM_LBUTTONDOWN, 100, 60);
    send(WM_LBUTTONUP, 100, 60);
    EXPECT_EQ(nullptr, edit_mode_part());
    EXPECT_EQ(2u, part->messages.size());  // the press and release on the part
    // A move or a right press with Ctrl starts nothing.
    send(WM_MOUSEMOVE, 20, 20);
    send(WM_RBUTTONDOWN, 20, 20);
    EXPECT_EQ(nullptr, edit_mode_part());
    EXPECT_EQ(4u, part->messages.size());
    pump();
}

TEST_F(edit_mode, ctrl_press_takes_the_part_drawn_last_and_the_mouse) {
    probe_part* below = add_probe(w, rect(10, 10, 60, 60));
    probe_part* above = add_probe(w, rect(40, 40, 90, 90));
    hold_keys(true, false);
    send(WM_LBUTTONDOWN, 45, 45);
    EXPECT_EQ(above, edit_mode_part());
    EXPECT_EQ(hwnd, GetCapture());
    EXPECT_TRUE(below->messages.empty());
    EXPECT_TRUE(above->messages.empty());
    // The release ends the edit and gives the mouse back; it reaches no part either.
    send(WM_LBUTTONUP, 45, 45);
    EXPECT_EQ(nullptr, edit_mode_part());
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_TRUE(above->messages.empty());
}

TEST_F(edit_mode, without_a_mask_the_part_follows_the_mouse_and_is_repainted_untraced) {
    probe_part* part = add_probe(w, rect(10, 10, 40, 30));
    std::vector<bool> traced;
    part->on_draw = [&traced] { traced.push_back(g_trace_calls); };
    g_trace_calls = true;
    drag(15, 12, 68, 49);
    EXPECT_TRUE(g_trace_calls);
    EXPECT_EQ(rect(63, 47, 93, 67), part->mRect);
    ASSERT_FALSE(traced.empty());
    EXPECT_FALSE(traced.back());
    // Old and new place are painted again.
    EXPECT_EQ(ZIN_BACKGROUND_COLOR, back_pixel(12, 12));
    EXPECT_EQ(part->colour, back_pixel(90, 65));
    // Moving up and left repaints from the new corner.
    send(WM_MOUSEMOVE, 5, 3);
    EXPECT_EQ(rect(0, 1, 30, 21), part->mRect);
    EXPECT_EQ(part->colour, back_pixel(0, 1));
    EXPECT_EQ(ZIN_BACKGROUND_COLOR, back_pixel(90, 65));
    g_trace_calls = false;
}

TEST_F(edit_mode, two_reference_points_on_set_bits_beat_a_nearer_shift_with_one) {
    probe_part* part = add_probe(w, rect(10, 10, 30, 20));  // 20 x 10
    w->mDockBits = new_mask(200, 100);
    // Unsnapped, the part would lie at (40, 30): one bit a pixel to the right of its top-left
    // corner, and two bits that a shift of (5, 3) puts both top corners on.
    set_bit(w->mDockBits, 41, 30);
    set_bit(w->mDockBits, 45, 33);
    set_bit(w->mDockBits, 65, 33);
    drag(15, 15, 45, 35);
    EXPECT_EQ(rect(45, 33, 65, 43), part->mRect);
}

TEST_F(edit_mode, part_lying_on_set_bits_stays_under_the_mouse) {
    probe_part* part = add_probe(w, rect(10, 10, 30, 20));
    w->mDockBits = new_mask(200, 100);
    for (uint32_t y = 0; y < 100; ++y)
        for (uint32_t x = 0; x < 200; ++x) set_bit(w->mDockBits, x, y);
    drag(15, 15, 18, 19);
    EXPECT_EQ(rect(13, 14, 33, 24), part->mRect);
}

TEST_F(edit_mode, shift_resizes_by_the_mouse_step_down_to_two_by_two) {
    probe_part* part = add_probe(w, rect(10, 10, 40, 30));
    drag(20, 20, 25, 23, true);
    EXPECT_EQ(rect(10, 10, 45, 33), part->mRect);
    EXPECT_EQ(part->colour, back_pixel(44, 32));
    send(WM_MOUSEMOVE, -60, -40);
    EXPECT_EQ(rect(10, 10, 12, 12), part->mRect);
    // Without Shift, the part moves again at its new size, grabbed where the mouse now is.
    hold_keys(true, false);
    send(WM_MOUSEMOVE, -50, -30);
    EXPECT_EQ(rect(20, 20, 22, 22), part->mRect);
    send(WM_LBUTTONUP, -50, -30);
    EXPECT_EQ(nullptr, edit_mode_part());
}

TEST_F(edit_mode, message_of_another_window_ends_the_edit_unused) {
    add_probe(w, rect(10, 10, 40, 30));
    zin_window* other = new_window("other", 400, 100, 100, 100);
    ASSERT_EQ("", run("other:create()"));
    probe_part* there = add_probe(other, rect(0, 0, 50, 50));
    SetWindowLongPtrW(other->mWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&edit_route));
    drag(20, 20, 25, 25);
    ASSERT_NE(nullptr, edit_mode_part());
    window_fixture::mouse(other->mWnd, WM_MOUSEMOVE, 10, 10);
    EXPECT_EQ(nullptr, edit_mode_part());
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(1u, there->messages.size());
}

TEST_F(edit_mode, skin_unload_ends_the_edit) {
    add_probe(w, rect(10, 10, 40, 30));
    drag(20, 20, 30, 30);
    ASSERT_NE(nullptr, edit_mode_part());
    unload_skin();
    EXPECT_EQ(nullptr, edit_mode_part());
    EXPECT_EQ(nullptr, GetCapture());
    L = engine_test::new_state();  // the unload closed the fixture's state
}

// ---- A real drag --------------------------------------------------------------------------------

void send_key(WORD key, bool down) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &in, sizeof in);
}
void send_mouse(int screen_x, int screen_y, DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    // Absolute positions are in 65536ths of the screen: round up so that they map back exactly.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    in.mi.dx = (screen_x * 65536 + width - 1) / width;
    in.mi.dy = (screen_y * 65536 + height - 1) / height;
    in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
    SendInput(1, &in, sizeof in);
}

// Delivers messages until done() holds or five seconds have gone.
template <class Done>
bool pump_until(Done done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 5000) return false;
        pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

TEST_F(edit_mode, real_ctrl_drag_moves_the_part) {
    probe_part* part = add_probe(w, rect(20, 20, 60, 50));
    SetForegroundWindow(hwnd);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    send_mouse(origin.x + 30, origin.y + 30, 0);
    send_key(VK_CONTROL, true);
    send_mouse(origin.x + 30, origin.y + 30, MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(pump_until([&] { return edit_mode_part() == part; }));
    for (int step = 1; step <= 4; ++step) send_mouse(origin.x + 30 + 10 * step, origin.y + 30 + 5 * step, 0);
    EXPECT_TRUE(pump_until([&] { return part->mRect == rect(60, 40, 100, 70); }));
    send_mouse(origin.x + 70, origin.y + 50, MOUSEEVENTF_LEFTUP);
    send_key(VK_CONTROL, false);
    EXPECT_TRUE(pump_until([&] { return edit_mode_part() == nullptr; }));
    EXPECT_EQ(rect(60, 40, 100, 70), part->mRect);
    // Only the move before the press reached the part: the drag went to the edit mode.
    for (UINT msg : part->messages) EXPECT_EQ(static_cast<UINT>(WM_MOUSEMOVE), msg);
    // The pointer is parked where no test puts a window.
    send_mouse(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1, 0);
    pump();
}

}  // namespace
