// Repaint speed of a skin window built through the real engine, the GDI objects a repaint leaves
// behind (none are expected once the shared bitmaps have grown), the cost of a script callback with
// and without call tracing, and registry slot reuse when a script re-registers callbacks.
//
// Outline:
//   1. For each part count N: a fresh script state, the window class and a 640 x 480 window with a
//      tiled background picture and N parts (pictures, colour rectangles, buttons; every fifth
//      drawn with constant alpha), opened and painted once.
//   2. M repaints of the whole window, then M of a 40 x 40 square: milliseconds per repaint, heap
//      allocation calls per repaint and the process's GDI objects before and after.
//   3. A global callback whose function calls three bound methods, fired K times: tracing off,
//      tracing on but fired untraced (as the frequent events are), and traced.
//   4. Callbacks re-registered and released many times: registry slot numbers issued.
// Needs a display (Xvfb under wine). Arguments: [repaints M] [callback calls K].

#include "alloc_count.h"
#include "bench_engine.h"
#include "bench_timer.h"
#include "gui_objects.h"

#include <lua_class/lua_class.h>
#include <lua_class/lua_load.h>
#include <tro_ui_zin.h>
#include <zin_classes/button.h>
#include <zin_classes/zin_classes.h>
#include <zin_window/callbacks.h>
#include <zin_window/zin_window.h>

#include <lualib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

lua_State* L = nullptr;

// ---- Engine set-up (as the start-up does it, without a host) ---------------------------------------


// Runs script text; "" or the error message. The stack is left as it was.
std::string run(const std::string& code) {
    const int top = lua_gettop(L);
    int status = luaL_loadbuffer(L, code.data(), code.size(), "=bench");
    if (status == 0) status = lua_pcall(L, 0, 0, 0);
    std::string error;
    if (status != 0) {
        const char* text = lua_tostring(L, -1);
        error = text && *text ? text : "(no text)";
    }
    lua_settop(L, top);
    return error;
}

void run_or_die(const std::string& code) {
    const std::string error = run(code);
    if (!error.empty()) {
        std::printf("script failed: %s\n", error.c_str());
        std::exit(2);
    }
}

using bench::pump;

void open_engine() { L = bench::open_engine(); }

void close_engine() {
    bench::close_engine();
    L = nullptr;
}

zin_window* global_window(const char* name) {
    lua_getglobal(L, name);
    // Stack: [value]
    zin_window* w = nullptr;
    if (std::strcmp(lua_class::get_name(L, -1), "window") == 0)
        w = static_cast<zin_window*>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    // Stack: []
    return w;
}

// Paints four coloured quarters into the script's bitmap "bmp", so that the images show something.
void paint_bitmap() {
    lua_getglobal(L, "bmp");
    // Stack: [bmp]
    bitmap* b = static_cast<bitmap*>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    // Stack: []
    if (!b || !b->is_loaded()) return;
    const COLORREF colours[4] = {RGB(200, 40, 40), RGB(40, 200, 40), RGB(40, 40, 200), RGB(220, 220, 60)};
    for (int i = 0; i < 4; ++i) {
        const HBRUSH brush = CreateSolidBrush(colours[i]);
        const RECT area{(i % 2) * 32, (i / 2) * 32, (i % 2) * 32 + 32, (i / 2) * 32 + 32};
        FillRect(b->get_dc(), &area, brush);
        DeleteObject(brush);
    }
}

// The window "main" with a tiled background and n parts on a 16 x 16 grid of 40 x 30 cells (past
// 256 parts the grid starts again, shifted, so that parts overlap).
zin_window* build_window(int n) {
    std::string code =
        "main = window.new('main', 10, 10, rect.new_size(0, 0, 640, 480), 0)\n"
        "bmp = bitmap.new(64, 64)\n"
        "img_a = image.new(bmp, 0, 0, 32, 24)\n"
        "img_b = image.new(bmp, 32, 0, 64, 24)\n"
        "img_c = image.new(bmp, 0, 32, 36, 60)\n"
        "main:add_paint_part(rect.new(0, 0, 640, 480), img_a)\n";
    for (int i = 0; i < n; ++i) {
        const int cell = i % 256;
        const int shift = (i / 256) * 7;
        const int left = (cell % 16) * 40 + shift, top = (cell / 16) * 30 + shift;
        const std::string r = "rect.new(" + std::to_string(left) + ", " + std::to_string(top) + ", " +
                              std::to_string(left + 36) + ", " + std::to_string(top + 26) + ")";
        switch (i % 3) {
            case 0: code += "main:add_paint_part(" + r + ", img_b)\n"; break;
            case 1:
                code += "main:add(color_rect.new(" + r + ", color.new(" + std::to_string(i % 256) +
                        ", 120, 180)))\n";
                break;
            default: code += "main:add(button.new(" + r + ", img_c, " + std::to_string(i + 1) + "))\n"; break;
        }
    }
    run_or_die(code);
    paint_bitmap();
    zin_window* w = global_window("main");
    if (!w) {
        std::printf("no window\n");
        std::exit(2);
    }
    // Every fifth part is blended: it goes through the scratch bitmap.
    for (uint32_t i = 1; i < w->mParts.getSize(); ++i)
        if (i % 5 == 0) w->mParts[i]->mDrawMode = 160;
    run_or_die("main:create()");
    pump();
    return w;
}

// ---- GDI objects -----------------------------------------------------------------------------------

using bench::gdi_objects;

// ---- 2. Repaints -----------------------------------------------------------------------------------

struct repaint_result {
    double ms;
    double allocations;
    DWORD gdi_before;
    DWORD gdi_after;
};

repaint_result repaint(zin_window* w, const rect& area, int times) {
    repaint_result result{};
    result.gdi_before = gdi_objects();
    const std::uint64_t allocations = bench::allocation_count();
    bench::stopwatch clock;
    for (int i = 0; i < times; ++i) w->redraw_rect(area);
    result.ms = clock.elapsed_ns() / 1e6 / times;
    result.allocations = double(bench::allocation_count() - allocations) / times;
    result.gdi_after = gdi_objects();
    return result;
}

void print_repaint(int parts, const char* area, int times, const repaint_result& r) {
    std::printf("%6d  %-18s %8d %11.3f %13.2f %11lu %10lu\n", parts, area, times, r.ms, r.allocations,
                static_cast<unsigned long>(r.gdi_before), static_cast<unsigned long>(r.gdi_after));
}

void bench_repaints(int times) {
    bench::heading("1. Repaints of a 640 x 480 skin window (1 background picture + N parts; 20% blended)");
    std::printf("%6s  %-18s %8s %11s %13s %11s %10s\n", "parts", "area", "repaints", "ms/repaint",
                "allocs/repaint", "GDI before", "GDI after");
    const DWORD gdi_at_start = gdi_objects();
    std::string opened, closed;
    for (int n : {30, 120, 480}) {
        open_engine();
        zin_window* w = build_window(n);
        opened += " " + std::to_string(gdi_objects());
        // The first repaint grows the shared bitmaps to the window; later ones reuse them.
        w->redraw_rect(rect(0, 0, kWidth, kHeight));
        print_repaint(n, "whole window", times, repaint(w, rect(0, 0, kWidth, kHeight), times));
        print_repaint(n, "40 x 40 square", times, repaint(w, rect(300, 220, 340, 260), times));
        close_engine();
        closed += " " + std::to_string(gdi_objects());
    }
    std::printf("GDI objects (%s):\n  at start %lu; each window opened, before its first repaint:%s;"
                " after each was closed:%s\n",
                bench::gdi_count_method(), static_cast<unsigned long>(gdi_at_start), opened.c_str(), closed.c_str());
}

// ---- 3. Callback tracing -----------------------------------------------------------------------------

unsigned g_debug_lines = 0;
void count_debug_line(const wchar_t*, void*) { ++g_debug_lines; }

void callback_row(const char* name, bool tracing, bool untraced, int calls) {
    g_trace_calls = tracing;
    const unsigned lines = g_debug_lines;
    const double ns = bench::best_of(3, [&] {
        bench::stopwatch clock;
        for (int i = 0; i < calls; ++i) {
            if (untraced)
                fire_global_callback_untraced(GCB_ON_SEEK);
            else
                fire_global_callback(GCB_ON_SEEK);
        }
        return clock.elapsed_ns();
    });
    std::printf("%-40s %8d %10.2f %12.1f\n", name, calls, ns / calls / 1e3,
                double(g_debug_lines - lines) / (3.0 * calls));
    g_trace_calls = false;
}

void bench_callbacks(int calls) {
    bench::heading("2. A global callback calling three bound methods (best of 3 runs)");
    std::printf("%-40s %8s %10s %12s\n", "how it is fired", "calls", "us/call", "lines/call");
    open_engine();
    build_window(30);
    run_or_die("set_global_callback('OnSeek', function()\n"
               "  main:is_visible() main:is_visible() main:is_visible()\n"
               "end)");
    void* previous_context = nullptr;
    const zin_debug_output_hook previous =
        zin_set_debug_output_hook(&count_debug_line, nullptr, &previous_context);
    callback_row("tracing off", false, false, calls);
    callback_row("tracing on, fired untraced (OnTime etc.)", true, true, calls);
    callback_row("tracing on, traced", true, false, calls);
    zin_set_debug_output_hook(previous, previous_context);
    const int left_on_stack = lua_gettop(L);

    // 4. Registry slots while a script keeps replacing and dropping its callbacks.
    const uint32_t slots_before = g_reg_slot_count;
    const int rounds = 10000;
    for (int i = 0; i < rounds; ++i) {
        run_or_die("set_global_callback('OnTime', function() end)");
        run_or_die("set_global_callback('OnTime', function() return 1 end)");
        if (i % 2) run_or_die("set_global_callback('OnTime', nil)");
    }
    const uint32_t slots_after = g_reg_slot_count;
    close_engine();
    bench::heading("3. Registry slots");
    std::printf("%d rounds of replacing a callback twice and dropping it every other round: %u slot numbers "
                "issued before, %u after\n",
                rounds, slots_before, slots_after);
    if (left_on_stack != 0) std::printf("note: %d values were left on the script stack\n", left_on_stack);
}

}  // namespace

int main(int argc, char** argv) {
    const int repaints = bench::argument(argc, argv, 1, 200);
    const int calls = bench::argument(argc, argv, 2, 20000);
    std::printf("Repaint and callback benchmarks (times are wall clock from QueryPerformanceCounter)\n");
    bench_repaints(repaints);
    bench_callbacks(calls);
    return 0;
}
