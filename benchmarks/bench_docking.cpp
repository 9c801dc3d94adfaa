// The group move of docked windows: a 30 x 10 grid of touching windows (each docked to the one on
// its right and the one below it, so that every window is reached along every path through its
// neighbours) and, for reference, a chain of 300 windows in a row. For each shape and snap gap:
//   1. the group move's computation alone: the moved window's snaps and every follower's trials,
//      with nothing moved (a closed window as the origin makes the call compute only);
//   2. a real move of the first window through SetWindowPos, its docked windows moved along.
// Times are the best of 5 passes.

#include "bench_engine.h"
#include "bench_timer.h"

#include <zin_window/docking.h>
#include <zin_window/zin_window.h>

#include <string>

namespace {

constexpr int kWidth = 20, kHeight = 16, kLeft = 100, kTop = 200;

// Makes columns x rows touching windows, registered row by row, all shown, and a closed window
// registered last (the origin of the computation-only calls).
void make_shape(lua_State* L, int columns, int rows) {
    bench::run_or_die(L, "shape = {} for row = 0, " + std::to_string(rows - 1) + " do for column = 0, " +
                             std::to_string(columns - 1) + " do "
                             "local x, y = " + std::to_string(kLeft) + " + column * " + std::to_string(kWidth) +
                             ", " + std::to_string(kTop) + " + row * " + std::to_string(kHeight) + " "
                             "local w = window.new('d' .. row .. '_' .. column, 10, 10, rect.new(x, y, x + " +
                             std::to_string(kWidth) + ", y + " + std::to_string(kHeight) + ")) "
                             "docking.add_window(w) w:create() table.insert(shape, w) end end "
                             "docking.add_window(window.new('origin', 10, 10, rect.new(0, 0, 10, 10)))");
}

void measure(const char* shape, int columns, int rows) {
    lua_State* L = bench::open_engine();
    make_shape(L, columns, rows);
    bench::pump();
    zin_window* first = g_dock_nodes[0].window;
    const dock_node* origin = &g_dock_nodes[g_dock_nodes.getSize() - 1];
    for (const int gap : {0, 3, 6}) {
        g_snap_gap = gap;
        // 1. Seven pixels right and five down: with a gap, followers come within reach of the
        //    windows beside them that do not follow.
        const double compute_ns = bench::best_of(5, [&] {
            WINDOWPOS pos{};
            pos.x = first->mRect.left + 7;
            pos.y = first->mRect.top + 5;
            pos.cx = first->mRect.width();
            pos.cy = first->mRect.height();
            bench::stopwatch clock;
            dock_move_group(first, &pos, origin);
            return clock.elapsed_ns();
        });
        // 2. There and back, by the window procedure.
        const double move_ns = bench::best_of(5, [&] {
            const rect home = first->mRect;
            bench::stopwatch clock;
            SetWindowPos(first->mWnd, nullptr, home.left + 31, home.top + 23, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            SetWindowPos(first->mWnd, nullptr, home.left, home.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            return clock.elapsed_ns() / 2;
        });
        std::printf("%-14s %4d %8d %14.1f %14.1f\n", shape, gap, columns * rows, compute_ns / 1e3, move_ns / 1e3);
    }
    bench::close_engine();
}

}  // namespace

int main() {
    std::printf("Group moves of docked windows (best of 5, wall clock)\n");
    std::printf("%-14s %4s %8s %14s %14s\n", "shape", "gap", "windows", "compute (us)", "move (us)");
    measure("grid 30 x 10", 30, 10);
    measure("chain 300", 300, 1);
    return 0;
}
