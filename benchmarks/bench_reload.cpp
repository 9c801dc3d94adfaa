// The skin reload cycle run again and again on the default skin: time per cycle, and whether the
// process's private bytes, GDI objects and windows stay flat (nothing of an unloaded skin may stay).
//
// Outline:
//   1. The engine as the start-up makes it over the reference host's services (title formatting,
//      playlists, a player that stands still): profile folder, skin path, window class, main
//      window; the default skin loaded once.
//   2. Reload cycles (remember the windows, save, unload, load from the file again) in rounds:
//      after each round the milliseconds per cycle, private bytes, GDI objects and top-level
//      windows of the process.
// Needs a display (Xvfb under wine). Arguments: [cycles per round C=100] [rounds R=5].

#include "bench_host.h"
#include "bench_timer.h"
#include "gui_objects.h"

#include <lua_class/lua_load.h>
#include <tray.h>
#include <tro_ui_zin.h>
#include <zin_config/zin_config.h>
#include <zin_window/zin_window.h>

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// ---- 1. The engine over the reference host's services ------------------------------------------

using bench::pump;
using bench::private_bytes;

void print_row(const char* when, int cycles, double ms_per_cycle) {
    std::printf("%-14s %7d %12.2f %14lu %12lu %9lu %6u\n", when, cycles, ms_per_cycle,
                static_cast<unsigned long>(private_bytes() / 1024),
                static_cast<unsigned long>(bench::gdi_objects()),
                static_cast<unsigned long>(bench::thread_windows()), g_tray ? g_tray->getCount() : 0u);
}

}  // namespace

int main(int argc, char** argv) {
    const int cycles = bench::argument(argc, argv, 1, 100);
    const int rounds = bench::argument(argc, argv, 2, 5);
    // 1.
    const std::string profile = bench::open_host_less_engine("bench_reload");
    if (!load_skin()) {
        std::printf("the default skin did not load\n");
        return 1;
    }
    clear_skin_sections();
    pump();
    // 2.
    std::printf("Reload cycles of the default skin (%d per round)\n", cycles);
    std::printf("%-14s %7s %12s %14s %12s %9s %6s\n", "after", "cycles", "ms/cycle", "private KiB",
                "GDI objects", "windows", "tray");
    print_row("first load", 0, 0);
    int done = 0;
    for (int round = 0; round < rounds; ++round) {
        bench::stopwatch watch;
        for (int i = 0; i < cycles; ++i) {
            reload_skin();
            pump();
        }
        const double ms = watch.elapsed_ns() / 1e6 / cycles;
        done += cycles;
        print_row(("round " + std::to_string(round + 1)).c_str(), done, ms);
        if (!g_skin_running) {
            std::printf("FAILED: the skin is not running\n");
            return 1;
        }
    }
    std::printf("GDI objects: %s\nprivate bytes: %s\n", bench::gdi_count_method(), bench::private_count_method());
    unload_skin();
    bench::remove_profile(profile);
    bench::close_reference_host_services();
    return 0;
}
