// Docking and snapping: the geometry on its own, the node list and its relations, and real windows
// that follow, snap and find their place again.

#include "window_test_util.h"

#include <zin_window/docking.h>

using namespace window_test;

namespace {

// ---- Geometry -----------------------------------------------------------------------------------

TEST(dock_geometry, contact_needs_touching_edges_and_overlapping_spans) {
    const rect s(100, 100, 200, 200);
    struct sample {
        rect r;
        uint32_t flag;
    } samples[] = {
        {rect(50, 199, 100, 250), DOCK_LEFT},     // one pixel of vertical overlap
        {rect(50, 200, 100, 250), DOCK_NONE},     // corner only
        {rect(200, 0, 260, 101), DOCK_RIGHT},
        {rect(200, 0, 260, 100), DOCK_NONE},      // corner only
        {rect(150, 40, 400, 100), DOCK_ABOVE},
        {rect(0, 200, 101, 300), DOCK_BELOW},
        {rect(0, 200, 100, 300), DOCK_NONE},      // corner only
        {rect(201, 100, 260, 200), DOCK_NONE},    // a pixel apart
        {rect(150, 150, 260, 260), DOCK_NONE},    // overlapping windows
    };
    for (const sample& t : samples) {
        EXPECT_EQ(t.flag, dock_contact(s, t.r)) << t.r.left << "," << t.r.top << " - " << t.r.right << ","
                                                << t.r.bottom;
        EXPECT_EQ(dock_opposite(t.flag), dock_contact(t.r, s));
    }
}

TEST(dock_geometry, snap_edge_snaps_strictly_within_the_gap) {
    g_snap_gap = 5;
    int32_t edge = 104;
    EXPECT_TRUE(snap_edge(edge, 100, 2, 1));  // that edge did not move
    EXPECT_EQ(104, edge);
    EXPECT_FALSE(snap_edge(edge, 100, 1, 1));
    EXPECT_EQ(100, edge);
    edge = 95;
    EXPECT_TRUE(snap_edge(edge, 100, 15, 8));  // exactly the gap
    EXPECT_EQ(95, edge);
    // Distances beyond the 32-bit range neither overflow nor snap.
    edge = INT32_MIN;
    EXPECT_TRUE(snap_edge(edge, INT32_MAX, 15, 4));
    g_snap_gap = 0;
    edge = 100;
    EXPECT_TRUE(snap_edge(edge, 100, 15, 4));  // gap 0: nothing ever snaps
}

TEST(dock_geometry, neighbour_places_on_the_side_keeping_the_other_coordinate_while_spans_overlap) {
    const rect partner(100, 100, 200, 200);
    const rect beside(0, 150, 40, 190);   // vertical spans overlap
    const rect apart(0, 500, 40, 540);    // they do not
    auto at = [](point p) { return std::make_pair(p.x, p.y); };
    EXPECT_EQ(std::make_pair(60, 150), at(dock_neighbour_pos(beside, partner, DOCK_LEFT)));
    EXPECT_EQ(std::make_pair(200, 150), at(dock_neighbour_pos(beside, partner, DOCK_RIGHT)));
    EXPECT_EQ(std::make_pair(200, 100), at(dock_neighbour_pos(apart, partner, DOCK_RIGHT)));
    const rect over(150, 0, 190, 30);
    EXPECT_EQ(std::make_pair(150, 70), at(dock_neighbour_pos(over, partner, DOCK_ABOVE)));
    EXPECT_EQ(std::make_pair(150, 200), at(dock_neighbour_pos(over, partner, DOCK_BELOW)));
    EXPECT_EQ(std::make_pair(100, 200), at(dock_neighbour_pos(apart, partner, DOCK_BELOW)));
}

// ---- Script table and node list -------------------------------------------------------------------

class docking : public window_fixture {
protected:
    void SetUp() override {
        window_fixture::SetUp();
        register_docking(L);
        g_snap_gap = 0;
    }
    void TearDown() override {
        dock_clear();
        g_snap_gap = 0;
        window_fixture::TearDown();
    }

    // A window at left, top of size width x height, registered with docking and shown.
    zin_window* docked(const char* name, int left, int top, int width, int height, int resize = 0) {
        zin_window* w = new_window(name, left, top, width, height, resize);
        EXPECT_EQ("", run(std::string("docking.add_window(") + name + ") " + name + ":create()"));
        return w;
    }

    static uint32_t flag(uint32_t i, uint32_t j) { return g_dock_nodes[i].flags[j - i - 1]; }
    static void move(zin_window* w, int x, int y) {
        SetWindowPos(w->mWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    static rect screen_rect(zin_window* w) {
        RECT r;
        GetWindowRect(w->mWnd, &r);
        return rect(r.left, r.top, r.right, r.bottom);
    }
    static void expect_at(zin_window* w, int x, int y) {
        EXPECT_EQ(x, w->mRect.left);
        EXPECT_EQ(y, w->mRect.top);
        const rect r = screen_rect(w);
        EXPECT_EQ(x, r.left);
        EXPECT_EQ(y, r.top);
    }
};

TEST_F(docking, snap_gap_is_truncated_and_never_negative) {
    ASSERT_EQ("", run("docking.set_snap_gap(7.9)"));
    EXPECT_EQ(7, g_snap_gap);
    ASSERT_EQ("", run("docking.set_snap_gap(-5)"));
    EXPECT_EQ(0, g_snap_gap);
    ASSERT_EQ("", run("docking.set_snap_gap(1e12)"));
    EXPECT_EQ(INT32_MAX, g_snap_gap);
    EXPECT_NE("", run("docking.set_snap_gap('x')"));
    EXPECT_NE("", run("docking.add_window(rect.new(0, 0, 1, 1))"));
}

TEST_F(docking, a_window_registered_twice_has_one_node) {
    new_window("a", 300, 300, 50, 50);
    new_window("b", 350, 300, 50, 50);
    ASSERT_EQ("", run("docking.add_window(a) docking.add_window(b) docking.add_window(a)"));
    ASSERT_EQ(2u, g_dock_nodes.getSize());
    EXPECT_EQ(1u, g_dock_nodes[0].flags.getSize());
    EXPECT_EQ(0u, g_dock_nodes[1].flags.getSize());
}

TEST_F(docking, relations_are_found_when_windows_open_and_kept_by_the_earlier_node) {
    zin_window* a = docked("a", 300, 300, 100, 50);
    docked("b", 400, 320, 60, 60);   // right of a
    docked("c", 320, 250, 40, 50);   // above a
    docked("d", 100, 100, 20, 20);   // nowhere beside
    EXPECT_EQ(uint32_t(DOCK_RIGHT), flag(0, 1));
    EXPECT_EQ(uint32_t(DOCK_ABOVE), flag(0, 2));
    EXPECT_EQ(uint32_t(DOCK_NONE), flag(0, 3));
    EXPECT_EQ(uint32_t(DOCK_NONE), flag(1, 2));
    // The end of a move recomputes them: a moved away alone is docked to nobody.
    SetWindowPos(a->mWnd, nullptr, 600, 600, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(a->mWnd, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(uint32_t(DOCK_NONE), flag(0, 1));
    EXPECT_EQ(uint32_t(DOCK_NONE), flag(0, 2));
}

TEST_F(docking, copied_relations_are_those_toward_nodes_after_both) {
    for (const char* n : {"a", "b", "c", "d"}) new_window(n, 0, 0, 10, 10);
    ASSERT_EQ("", run("docking.add_window(a) docking.add_window(b) docking.add_window(c) docking.add_window(d)"));
    // a -> b: 1, a -> c: 2, a -> d: 4; b -> c: 8, b -> d: 1; c -> d: 2.
    const uint32_t a_flags[] = {1, 2, 4}, b_flags[] = {8, 1}, c_flags[] = {2};
    for (uint32_t k = 0; k < 3; ++k) g_dock_nodes[0].flags[k] = a_flags[k];
    for (uint32_t k = 0; k < 2; ++k) g_dock_nodes[1].flags[k] = b_flags[k];
    g_dock_nodes[2].flags[0] = c_flags[0];
    // The later b takes the earlier a's relations: toward c and d only.
    dock_copy_relations(g_dock_nodes[1].window, g_dock_nodes[0].window);
    EXPECT_EQ(2u, flag(1, 2));
    EXPECT_EQ(4u, flag(1, 3));
    // The earlier a takes the later c's: toward d only; a's flags for b and c stay.
    dock_copy_relations(g_dock_nodes[0].window, g_dock_nodes[2].window);
    EXPECT_EQ(1u, flag(0, 1));
    EXPECT_EQ(2u, flag(0, 2));
    EXPECT_EQ(2u, flag(0, 3));
}

// ---- Moves of real windows --------------------------------------------------------------------------

TEST_F(docking, a_moved_window_drags_the_later_windows_docked_to_it) {
    zin_window* a = docked("a", 300, 300, 100, 50);
    zin_window* b = docked("b", 400, 310, 60, 60);   // right of a
    zin_window* c = docked("c", 300, 350, 30, 30);   // below a
    move(a, 320, 340);
    expect_at(a, 320, 340);
    expect_at(b, 420, 350);
    expect_at(c, 320, 390);
    // The later b moves alone; the earlier a stays, and the end of the move parts them.
    move(b, 500, 500);
    expect_at(a, 320, 340);
    SendMessageW(b->mWnd, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(uint32_t(DOCK_NONE), flag(0, 1));
    EXPECT_EQ(uint32_t(DOCK_BELOW), flag(0, 2));
    // Moves that docking makes itself start no group move.
    SetWindowPos(a->mWnd, nullptr, 250, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    expect_at(a, 250, 250);
    expect_at(c, 320, 390);
}

TEST_F(docking, a_move_snaps_strictly_within_the_gap) {
    docked("a", 300, 300, 100, 100);
    zin_window* b = docked("b", 600, 300, 50, 50);
    ASSERT_EQ("", run("docking.set_snap_gap(10)"));
    move(b, 409, 320);  // 9 pixels from a's right edge
    expect_at(b, 400, 320);
    move(b, 410, 500);  // exactly the gap, and below a's span
    expect_at(b, 410, 500);
    move(b, 410, 320);
    expect_at(b, 410, 320);
    // Beside a and within the gap of its top: aligned with it as well.
    move(b, 405, 305);
    expect_at(b, 400, 300);
    // With the gap at 0 nothing snaps, but an exact contact still docks.
    ASSERT_EQ("", run("docking.set_snap_gap(0)"));
    move(b, 401, 301);
    expect_at(b, 401, 301);
    move(b, 400, 340);
    SendMessageW(b->mWnd, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(uint32_t(DOCK_RIGHT), flag(0, 1));
}

TEST_F(docking, a_window_snaps_to_the_work_area_but_never_to_its_own_old_place) {
    zin_window* small = docked("small", 300, 300, 5, 5);
    ASSERT_EQ("", run("docking.set_snap_gap(10)"));
    move(small, 302, 300);  // 3 pixels from where its right edge was
    expect_at(small, 302, 300);
    EXPECT_EQ(5, small->mRect.width());  // a record without a size keeps the window's
    RECT area;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    move(small, area.left + 7, 300);
    expect_at(small, area.left, 300);
}

TEST_F(docking, a_group_snaps_when_a_follower_comes_near_a_third_window) {
    zin_window* a = docked("a", 300, 300, 100, 50);
    zin_window* b = docked("b", 400, 300, 50, 50);   // follows a on its right
    docked("c", 600, 200, 50, 300);
    ASSERT_EQ("", run("docking.set_snap_gap(10)"));
    move(a, 443, 300);  // b's right edge would be 7 pixels short of c's left edge
    expect_at(a, 450, 300);
    expect_at(b, 550, 300);
}

// A follower reached along two paths is tried along both, each time from its own leader and with
// the offsets of that moment: d follows a and, through b and c, a again. Tried through c, d only
// lines up with a (whose old place the trial still sees); tried from a, after b's snap took the
// vertical offset back, it comes within the gap of x's top and right edges, and the group takes the
// horizontal correction.
TEST_F(docking, a_follower_reached_along_two_paths_is_tried_along_both) {
    zin_window* a = docked("a", 300, 300, 100, 50);
    zin_window* b = docked("b", 400, 300, 100, 50);   // right of a
    zin_window* c = docked("c", 400, 350, 100, 50);   // below b; a's corner only
    zin_window* d = docked("d", 300, 350, 100, 50);   // below a, left of c
    docked("x", 304, 409, 80, 40);
    ASSERT_EQ(uint32_t(DOCK_BELOW), flag(0, 3));
    ASSERT_EQ(uint32_t(DOCK_LEFT), flag(2, 3));
    ASSERT_EQ("", run("docking.set_snap_gap(10) a:set_pos(rect.new(280, 304, 380, 354))"));
    expect_at(a, 284, 300);
    expect_at(b, 384, 300);
    expect_at(d, 284, 350);
    expect_at(c, 400, 350);  // follows b, not a
}

// A grid of docked windows: every window is reached along every path through its neighbours (a
// trial per path would be some 600 million trials for 16 x 16 windows, C(32, 16) - 1), but each
// distinct trial is computed once. The one follower that snaps, the bottom-left one against a wall,
// is reached only down the first column.
TEST_F(docking, a_grid_moves_as_a_group_and_snaps_when_its_last_follower_comes_near_a_wall) {
    constexpr int kColumns = 16, kRows = 16, kWidth = 20, kHeight = 12, kLeft = 200, kTop = 200;
    zin_window* grid[kRows][kColumns];
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const std::string name = "g" + std::to_string(row) + "_" + std::to_string(column);
            grid[row][column] =
                docked(name.c_str(), kLeft + column * kWidth, kTop + row * kHeight, kWidth, kHeight);
        }
    }
    // Docked to the first window: the next on its right and the one below; not the corner one.
    ASSERT_EQ(uint32_t(DOCK_RIGHT), flag(0, 1));
    ASSERT_EQ(uint32_t(DOCK_BELOW), flag(0, kColumns));
    ASSERT_EQ(uint32_t(DOCK_NONE), flag(0, kColumns + 1));
    // The wall beside the bottom row only, 13 pixels left of the grid.
    docked("wall", kLeft - 13 - 30, kTop + (kRows - 1) * kHeight, 30, kHeight);
    ASSERT_EQ("", run("docking.set_snap_gap(4)"));
    // 10 pixels to the left: every follower's left edge halfway between the grid's lines, and
    // the bottom-left follower's 3 pixels from the wall: the whole group goes 13 pixels.
    move(grid[0][0], kLeft - 10, kTop);
    expect_at(grid[0][0], kLeft - 13, kTop);
    expect_at(grid[0][1], kLeft + kWidth - 13, kTop);
    expect_at(grid[1][0], kLeft - 13, kTop + kHeight);
    // Only the windows docked to the moved one move along.
    expect_at(grid[1][1], kLeft + kWidth, kTop + kHeight);
    expect_at(grid[kRows - 1][0], kLeft, kTop + (kRows - 1) * kHeight);
    // Without the wall in reach nothing snaps: the group goes where it was put.
    move(grid[0][0], kLeft - 33, kTop);
    expect_at(grid[0][0], kLeft - 33, kTop);
    expect_at(grid[0][1], kLeft + kWidth - 33, kTop);
}

TEST_F(docking, resizing_an_edge_snaps_it_and_moves_only_the_followers_on_that_side) {
    zin_window* a = docked("a", 300, 300, 100, 100, 1);
    zin_window* right = docked("right", 400, 300, 40, 40);
    zin_window* below = docked("below", 300, 400, 40, 40);
    docked("wall", 700, 200, 40, 400);
    ASSERT_EQ("", run("docking.set_snap_gap(10)"));
    // The right edge pulled to within the gap of the wall: flush with it.
    SetWindowPos(a->mWnd, nullptr, 300, 300, 395, 100, SWP_NOZORDER);
    EXPECT_EQ(700, a->mRect.right);
    EXPECT_EQ(700, screen_rect(a).right);
    expect_at(right, 700, 300);
    expect_at(below, 300, 400);
    // A left edge that does not snap moves nobody; the followers on the right stay too.
    SetWindowPos(a->mWnd, nullptr, 250, 300, 450, 100, SWP_NOZORDER);
    EXPECT_EQ(250, a->mRect.left);
    expect_at(right, 700, 300);
    expect_at(below, 300, 400);
}

TEST_F(docking, a_reopened_window_returns_beside_its_partner) {
    zin_window* a = docked("a", 300, 300, 100, 50);
    zin_window* b = docked("b", 400, 300, 50, 50);
    ASSERT_EQ("", run("b:close()"));
    ASSERT_EQ(nullptr, b->mWnd);
    move(a, 200, 500);
    ASSERT_EQ("", run("b:create()"));
    expect_at(b, 300, 500);
}

TEST_F(docking, a_switched_window_takes_the_relations_and_moves_its_followers) {
    zin_window* a = docked("a", 300, 300, 100, 50);
    zin_window* b = docked("b", 400, 300, 50, 50);
    zin_window* big = new_window("big", 0, 0, 160, 80);
    ASSERT_EQ("", run("docking.add_window(big)"));
    // Registered last, big takes over a's relations toward later nodes only: none, so b stays.
    ASSERT_EQ("", run("a:switch_to(big)"));
    expect_at(big, 300, 300);
    expect_at(b, 400, 300);
    // Registered first, big takes a's relation to b.
    dock_clear();
    ASSERT_EQ("", run("big:switch_to(a) docking.add_window(big) docking.add_window(a) docking.add_window(b)"));
    SendMessageW(a->mWnd, WM_EXITSIZEMOVE, 0, 0);
    ASSERT_EQ(uint32_t(DOCK_RIGHT), flag(1, 2));
    ASSERT_EQ("", run("a:switch_to(big)"));
    // big (wider) now sits where a was, and b follows it on its right.
    expect_at(big, 300, 300);
    expect_at(b, 460, 300);
}

}  // namespace
