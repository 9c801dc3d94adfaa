// The playlist view and the title mirror against the reference host's playlist manager, with
// 100 and 100,000 tracks side by side.
//
// Outline:
//   1. For each item count N: the host's playlist manager with N tracks (titles from the host's own
//      row format), a fresh script state and a 640 x 480 window holding one playlist view, opened
//      (the mirror fills) and painted once (the shown titles are formatted).
//   2. M repaints of the whole window and M of the view scrolled to the middle of the list:
//      milliseconds per repaint; the ratio of N = 100,000 to N = 100 should stay near 1, since a
//      repaint only touches the rows it shows.
//   3. Rebuilding the mirror for 100,000 items (emptied and sized as a playlist switch does, then
//      every title formatted through the playlist manager into the mirror) against formatting the
//      same items bare (each track handle formats itself with the same script): goal at most 1.5.
// Needs a display (Xvfb under wine). Arguments: [repaints M] [rebuild runs R].

#include "alloc_count.h"
#include "bench_engine.h"
#include "bench_timer.h"

#include <lua_class/lua_class.h>
#include <lua_class/lua_load.h>
#include <playlist_format.h>
#include <tro_ui_zin.h>
#include <zin_classes/playlist.h>
#include <zin_window/playlist_events.h>
#include <zin_window/zin_window.h>

#include <playlist_manager.h>
#include <titleformat_config.h>
#include <tracks.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

lua_State* L = nullptr;

void run_or_die(const std::string& code) { bench::run_or_die(L, code); }

using bench::pump;

// The host's side: a playlist manager with n tracks in its active playlist, and the row format.
struct host_side {
    host::playlist_manager_impl* playlists = host::playlist_manager_impl::make();
    host::titleformat_config_impl* rows = host::make_playlist_row_format();
    service_ptr_t<titleformat_script> script;

    explicit host_side(int n) {
        std::vector<host::track*> made;
        made.reserve(n);
        for (int i = 0; i < n; ++i) {
            host::track_facts f;
            f.artist = "Band " + std::to_string(i % 97);
            f.title = "Track number " + std::to_string(i);
            f.path = "C:\\music\\" + std::to_string(i) + ".mp3";
            f.length = 180;
            made.push_back(host::track::make(f));
        }
        playlists->add_items(0, made);
        for (host::track* t : made) t->service_release();
        playlists->set_row_format(rows);
        rows->compile(script);
    }
    ~host_side() {
        playlists->set_row_format(nullptr);
        playlists->clear_all();
        playlists->service_release();
        rows->service_release();
    }
};

// 1. The engine as a skin load makes it, with one window holding a view.
zin_window* open_view_window() {
    L = bench::open_engine();
    run_or_die("main = window.new('main', 10, 10, rect.new_size(0, 0, 640, 480), 0)\n"
               "v = playlist.new(rect.new(0, 0, 640, 480), font.new('Tahoma', 13, 0, 400),\n"
               "  color.new(230, 230, 230), color.new(0, 0, 0), color.new(0, 0, 120), color.new(255, 0, 0))\n"
               "main:add(v)\n"
               "main:create()");
    pump();
    lua_getglobal(L, "main");
    // Stack: [main]
    zin_window* w = static_cast<zin_window*>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    // Stack: []
    return w;
}

void close_engine() {
    bench::close_engine();
    L = nullptr;
}

// 2. Milliseconds per whole-window repaint (best of 3 passes of m repaints).
double repaint_ms(zin_window* w, int m) {
    return bench::best_of(3, [&] {
               bench::stopwatch clock;
               for (int i = 0; i < m; ++i) w->redraw_rect(rect(0, 0, 640, 480));
               return clock.elapsed_ns();
           }) / 1e6 / m;
}

struct view_figures {
    double top_ms;
    double middle_ms;
    int rows;
};

view_figures measure_view(int n, int m) {
    host_side host(n);
    g_pl_oper = host.playlists;
    g_playlist_format = host.script;
    zin_window* w = open_view_window();
    playlist* view = static_cast<playlist*>(w->mViews[0]);
    view_figures f{};
    f.rows = view->mRows;
    f.top_ms = repaint_ms(w, m);
    view->set_top(n / 2);
    w->redraw_rect(rect(0, 0, 640, 480));  // the new rows' titles are formatted once
    f.middle_ms = repaint_ms(w, m);
    close_engine();
    g_playlist_format.release();
    g_pl_oper = nullptr;
    return f;
}

// 3. Nanoseconds per item: the mirror rebuilt and filled through the playlist manager.
double mirror_rebuild_ns(host_side& host, int n) {
    g_pl_oper = host.playlists;
    g_playlist_format = host.script;
    playlist_mirror_on();
    bench::stopwatch clock;
    playlist_mirror_resize(0);
    playlist_mirror_resize(g_pl_oper->activeplaylist_get_item_count());
    for (uint32_t i = 0; i < g_items.getSize(); ++i)
        g_pl_oper->activeplaylist_item_format_title(i, nullptr, g_items[i], g_playlist_format, nullptr, 1);
    const double ns = clock.elapsed_ns();
    playlist_mirror_off();
    g_playlist_format.release();
    g_pl_oper = nullptr;
    return ns / n;
}

// Nanoseconds per item: each track handle formats itself with the same script, into one string.
double bare_format_ns(host_side& host, int n) {
    std::vector<service_ptr_t<metadb_handle>> handles;
    for (int i = 0; i < n; ++i) handles.push_back(host.playlists->get_item(0, i));
    zut::string8 text;
    bench::stopwatch clock;
    for (const service_ptr_t<metadb_handle>& h : handles) h->format_title(nullptr, text, host.script, nullptr);
    return clock.elapsed_ns() / n;
}

}  // namespace

int main(int argc, char** argv) {
    const int m = argc > 1 ? std::atoi(argv[1]) : 200;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;

    bench::heading("1-2. Playlist view repaint, whole 640 x 480 window (ms per repaint, best of 3)");
    measure_view(100, m / 4 + 1);  // warm-up: the first window and font of the process cost more
    const view_figures small = measure_view(100, m);
    const view_figures large = measure_view(100000, m);
    std::printf("%-28s %10s %10s %8s\n", "view", "100 items", "100000", "ratio");
    std::printf("%-28s %10.3f %10.3f %8.2f\n", "top of the list", small.top_ms, large.top_ms,
                large.top_ms / small.top_ms);
    std::printf("%-28s %10.3f %10.3f %8.2f\n", "scrolled to the middle", small.middle_ms, large.middle_ms,
                large.middle_ms / small.middle_ms);
    std::printf("rows shown: %d\n", large.rows);

    bench::heading("3. Title mirror rebuild for 100000 items against bare formatting (ns per item, best of runs)");
    const int n = 100000;
    host_side host(n);
    const double mirror = bench::best_of(runs, [&] { return mirror_rebuild_ns(host, n); });
    const double bare = bench::best_of(runs, [&] { return bare_format_ns(host, n); });
    std::printf("%-28s %10s %10s %8s\n", "", "mirror", "bare", "ratio");
    std::printf("%-28s %10.0f %10.0f %8.2f\n", "ns per item", mirror, bare, mirror / bare);
    return 0;
}
