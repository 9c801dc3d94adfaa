// Ratios measured side by side in one run: what the engine costs against the least the same work
// can cost.
//
// Outline:
//   1. Start-up of the default skin, load to first paint (script state, skin script, its bitmaps,
//      tray icon, windows, the first paint), against a bare Lua state that compiles and runs the
//      same script with stand-ins for the script interface, loads the same bitmap files and gives
//      the shell the same tray icons; and against that plus two plain windows made (as the engine
//      makes its windows) and shown by hand. Also where the engine's extra time goes: its debug
//      lines and what one costs when nobody listens.
//   2. Whole repaints of an 800 x 600 window with 50 parts (a background picture, pictures and
//      colour rectangles), against raw BitBlts / FillRects of the same layers into a back buffer of
//      the same size and one BitBlt of it into the same window.
//   3. A script callback fired by the engine with tracing off and with tracing on, against a bare
//      lua_pcall of the same function.
//   4. 100 load/unload cycles of the default skin: GDI objects, USER objects (windows) and private
//      bytes before and after.
// Needs a display (Xvfb under wine). Arguments: [runs R=15] [repaints M=200] [calls K=20000].

#include "bench_engine.h"
#include "bench_host.h"
#include "bench_timer.h"
#include "gui_objects.h"

#include <bitmap.h>
#include <zin_classes/zin_classes.h>
#include <lua_class/lua_class.h>
#include <lua_class/lua_load.h>
#include <tray.h>
#include <tro_ui_zin.h>
#include <zin_config/zin_config.h>
#include <zin_window/callbacks.h>
#include <zin_window/zin_window.h>

#include <lualib.h>
#include <psapi.h>
#include <shellapi.h>
#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bench::pump;

using bench::source_path;

// ---- 1. Start-up ---------------------------------------------------------------------------------

// A reader of the engine's debug lines: while it is set the engine builds every line, as it does for
// a debugger or the host's --debug-log (the timed start-ups go without). While g_timeline is set,
// every line with the time it came (to show where a start-up spends its time).
std::vector<std::pair<double, std::wstring>>* g_timeline = nullptr;
bench::stopwatch* g_timeline_clock = nullptr;
void count_debug_line(const wchar_t* text, void*) {
    if (g_timeline) g_timeline->emplace_back(g_timeline_clock->elapsed_ns(), text);
}

// The skin's windows are painted once they have no update region left.
BOOL CALLBACK painted(HWND w, LPARAM all) {
    RECT r;
    if (IsWindowVisible(w) && GetUpdateRect(w, &r, FALSE)) *reinterpret_cast<bool*>(all) = false;
    return TRUE;
}

double engine_start_up_ns() {
    bench::stopwatch clock;
    if (!load_skin()) {
        std::printf("FAILED: the default skin did not load\n");
        std::exit(1);
    }
    // One message at a time, so that the clock stops at the paint that leaves nothing to paint.
    for (;;) {
        bool all = true;
        EnumThreadWindows(GetCurrentThreadId(), &painted, reinterpret_cast<LPARAM>(&all));
        if (all) break;
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    const double ns = clock.elapsed_ns();
    unload_skin();
    pump();
    return ns;
}

// Stand-ins: every class is a table whose functions return a stand-in object; every method of a
// stand-in object returns another. bitmap.new loads its file as the engine does.
std::vector<CBitmapDC*> g_bare_bitmaps;

int stand_in(lua_State* L) {
    lua_newtable(L);
    // Stack: [..., object]
    luaL_getmetatable(L, "stand_in");
    lua_setmetatable(L, -2);
    return 1;
}

int stand_in_index(lua_State* L) {
    lua_pushcfunction(L, &stand_in);
    return 1;
}

// Arithmetic with a stand-in (a volume plus 100) gives 0, joining it to a text gives "".
int stand_in_number(lua_State* L) {
    lua_pushnumber(L, 0);
    return 1;
}

int stand_in_text(lua_State* L) {
    lua_pushstring(L, "");
    return 1;
}

int stand_in_bitmap(lua_State* L) {
    if (lua_type(L, 1) == LUA_TSTRING) {
        CBitmapDC* b = new CBitmapDC;
        const std::string name = lua_tostring(L, 1);
        b->setFile(std::wstring(name.begin(), name.end()).c_str());
        g_bare_bitmaps.push_back(b);
    }
    return stand_in(L);
}

// add_tray_icon loads its icon file and gives the icon to the shell (NIM_ADD) as the engine's tray
// manager does: the same record, owned by a message-only window as the engine's icons are.
HWND g_bare_icon_window = nullptr;
std::vector<NOTIFYICONDATAW> g_bare_icons;

int stand_in_tray_icon(lua_State* L) {
    if (lua_type(L, 1) == LUA_TSTRING) {
        const std::string name = lua_tostring(L, 1);
        HICON icon = ExtractIconW(nullptr, std::wstring(name.begin(), name.end()).c_str(),
                                  static_cast<UINT>(lua_tonumber(L, 2)));
        if (reinterpret_cast<UINT_PTR>(icon) <= 1) icon = nullptr;
        NOTIFYICONDATAW data = {};
        data.cbSize = 152;  // the record of the first version
        data.hWnd = g_bare_icon_window;
        data.uID = static_cast<UINT>(g_bare_icons.size());
        data.uCallbackMessage = 0x801B + data.uID;
        data.uFlags = NIF_MESSAGE | (icon ? NIF_ICON : 0);
        data.hIcon = icon;
        Shell_NotifyIconW(NIM_ADD, &data);
        g_bare_icons.push_back(data);
    }
    return stand_in(L);
}

// The bare run's icons leave the shell after the plain windows were made, so that those, like the
// engine's windows, are made while the shell shows the skin's icon.
void remove_bare_tray_icons() {
    for (NOTIFYICONDATAW& data : g_bare_icons) {
        Shell_NotifyIconW(NIM_DELETE, &data);
        if (data.hIcon) DestroyIcon(data.hIcon);
    }
    g_bare_icons.clear();
}

const char* const kClasses[] = {"window",     "rect",     "point",       "image", "bitmap",   "color",
                                "font",       "textfield", "text_scroll", "button", "color_rect", "progbar",
                                "timer",      "playlist", "docking",     "trova", "config"};

// The script is read from its file and compiled as the engine does it (luaL_loadfile), without the
// engine's opener that enters the skin folder first: the bare run starts in that folder.
double bare_start_up_ns(const char* file) {
    bench::stopwatch clock;
    lua_State* L = luaL_newstate();
    for (lua_CFunction open : {&luaopen_base, &luaopen_table, &luaopen_string, &luaopen_math}) {
        lua_pushcfunction(L, open);
        lua_call(L, 0, 0);
    }
    luaL_newmetatable(L, "stand_in");
    // Stack: [mt]
    lua_pushcfunction(L, &stand_in_index);
    lua_setfield(L, -2, "__index");
    for (const char* name : {"__add", "__sub", "__mul", "__div", "__unm"}) {
        lua_pushcfunction(L, &stand_in_number);
        lua_setfield(L, -2, name);
    }
    lua_pushcfunction(L, &stand_in_text);
    lua_setfield(L, -2, "__concat");
    lua_pop(L, 1);
    // Stack: []
    for (const char* name : kClasses) {
        lua_newtable(L);
        // Stack: [class]
        lua_pushcfunction(L, std::string(name) == "bitmap" ? &stand_in_bitmap : &stand_in);
        lua_setfield(L, -2, "new");
        luaL_getmetatable(L, "stand_in");
        lua_setmetatable(L, -2);
        lua_setglobal(L, name);
        // Stack: []
    }
    for (const char* name : {"set_global_callback", "remove_tray_icon", "debug_out"}) {
        lua_pushcfunction(L, &stand_in);
        lua_setglobal(L, name);
    }
    lua_pushcfunction(L, &stand_in_tray_icon);
    lua_setglobal(L, "add_tray_icon");
    const luaL_FileOpener engine_opener = luaL_setfileopener(nullptr);
    int status = luaL_loadfile(L, file);
    luaL_setfileopener(engine_opener);
    if (status == 0) status = lua_pcall(L, 0, 0, 0);
    if (status != 0) {
        // A stand-in missing for something the skin uses: the comparison would mean nothing.
        std::printf("FAILED: the bare run stopped: %s\n", lua_tostring(L, -1));
        std::exit(1);
    }
    const double ns = clock.elapsed_ns();
    lua_close(L);
    for (CBitmapDC* b : g_bare_bitmaps) delete b;
    g_bare_bitmaps.clear();
    return ns;
}

// What the system alone takes for the windows of the default skin: two windows of the same class
// style, styles and sizes made by hand with DefWindowProc as the engine makes them (created as
// tool windows that take dropped files, then made top-most), given a device context, shown and
// brought forward, as the engine does, until nothing is left to paint. No script, no parts.
double plain_windows_ns() {
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSW wc = {};
        wc.style = CS_OWNDC | CS_DBLCLKS;
        wc.lpfnWndProc = &DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
        wc.lpszClassName = L"bench_plain_window";
        atom = RegisterClassW(&wc);
    }
    const RECT rects[] = {{400, 300, 700, 410}, {400, 410, 700, 600}};
    HWND windows[2] = {};
    bench::stopwatch clock;
    for (int i = 0; i < 2; ++i) {
        const RECT& r = rects[i];
        windows[i] = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES, L"bench_plain_window", L"",
                                     WS_POPUP | WS_CLIPCHILDREN, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        GetDC(windows[i]);
        SetWindowPos(windows[i], HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_DEFERERASE);
        ShowWindow(windows[i], SW_SHOWNOACTIVATE);
        SetForegroundWindow(windows[i]);
    }
    for (HWND w : windows) UpdateWindow(w);
    const double ns = clock.elapsed_ns();
    for (HWND w : windows) DestroyWindow(w);
    pump();
    return ns;
}

double g_line_ns = 0;  // one debug line written with nobody listening

void bench_start_up(int runs) {
    bench::heading("1. Start-up of the default skin, load to first paint (best of runs)");
    const std::wstring skin = source_path("skins/default/skin.lua");
    std::wstring folder = skin.substr(0, skin.find_last_of(L'\\'));
    g_bare_icon_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    double engine = 0, bare = 0, windows = 0;
    for (int i = 0; i < runs; ++i) {
        SetCurrentDirectoryW(folder.c_str());
        const double b = bare_start_up_ns("skin.lua");
        const double w = plain_windows_ns();
        remove_bare_tray_icons();
        const double e = engine_start_up_ns();
        if (i == 0 || e < engine) engine = e;
        if (i == 0 || b < bare) bare = b;
        if (i == 0 || w < windows) windows = w;
    }
    DestroyWindow(g_bare_icon_window);
    g_bare_icon_window = nullptr;
    // One debug line as the engine writes it, with nobody listening.
    const double line_ns = bench::best_of(3, [] {
        bench::stopwatch clock;
        for (int i = 0; i < 200; ++i) zin_debug_output("a debug line of ordinary length, 40 chars\n");
        return clock.elapsed_ns() / 200;
    });
    g_line_ns = line_ns;
    // One more start-up with a reader that times every debug line: the longest stretches between two.
    std::vector<std::pair<double, std::wstring>> timeline;
    bench::stopwatch timeline_clock;
    g_timeline = &timeline;
    g_timeline_clock = &timeline_clock;
    zin_set_debug_output_hook(&count_debug_line, nullptr);
    const double whole = engine_start_up_ns();
    zin_set_debug_output_hook(nullptr, nullptr);
    g_timeline = nullptr;
    const unsigned lines = static_cast<unsigned>(timeline.size());
    std::vector<std::pair<double, std::wstring>> gaps;
    double last = 0;
    for (const auto& line : timeline) {
        gaps.emplace_back(line.first - last, line.second);
        last = line.first;
    }
    gaps.emplace_back(whole - last, L"(the first paint and the unload)");
    std::sort(gaps.begin(), gaps.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::printf("%-44s %10s\n", "", "ms");
    std::printf("%-44s %10.2f\n", "engine: load_skin to first paint", engine / 1e6);
    std::printf("%-44s %10.2f\n", "bare Lua + stand-ins + bitmaps + tray icons", bare / 1e6);
    std::printf("%-44s %10.2f   (goal: at most 1.5)\n", "ratio", engine / bare);
    std::printf("%-44s %10.2f\n", "two plain windows made and shown by hand", windows / 1e6);
    std::printf("%-44s %10.2f   (the engine against bare work that has windows)\n", "ratio to bare + plain windows",
                engine / (bare + windows));
    std::printf("debug lines per start-up: %u, none built while nobody reads them (%.2f us a line to find that out)\n",
                lines, line_ns / 1e3);
    std::printf("longest stretches before a debug line, in a start-up of %.2f ms with a reader:\n", whole / 1e6);
    for (size_t i = 0; i < gaps.size() && i < 8; ++i) {
        std::wstring text = gaps[i].second;
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
        std::printf("  %8.2f ms  before \"%ls\"\n", gaps[i].first / 1e6, text.substr(0, 60).c_str());
    }
}

// ---- 2. Repaint ----------------------------------------------------------------------------------

constexpr int kWidth = 800, kHeight = 600, kParts = 50;

lua_State* L = nullptr;

void run_or_die(const std::string& code) { bench::run_or_die(L, code); }

// Part i: its rectangle on a 10 x 5 grid of 80 x 120 cells, overlapping its neighbours.
RECT part_rect(int i) {
    const int left = (i % 10) * 80, top = (i / 10) * 120;
    return RECT{left, top, left + 100, top + 140};
}

// A 64 x 64 picture repeated over the rectangle, cut at its right and bottom edges.
void tile(HDC dc, const RECT& r, HDC source) {
    for (int y = r.top; y < r.bottom; y += 64)
        for (int x = r.left; x < r.right; x += 64)
            BitBlt(dc, x, y, std::min(64, int(r.right - x)), std::min(64, int(r.bottom - y)), source, 0, 0, SRCCOPY);
}

void bench_repaint(int times) {
    bench::heading("2. Whole repaints of an 800 x 600 window with 50 parts (ms per repaint, best of 3)");
    L = bench::open_engine();
    // A 64 x 64 bitmap (four coloured quarters) for every picture; the background is stretched from it.
    std::string code = "main = window.new('main', 10, 10, rect.new_size(0, 0, 800, 600), 0)\n"
                       "bmp = bitmap.new(64, 64)\n"
                       "main:add_paint_part(rect.new(0, 0, 800, 600), image.new(bmp, 0, 0, 64, 64))\n";
    for (int i = 1; i < kParts; ++i) {
        const RECT r = part_rect(i);
        const std::string rs = "rect.new(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
                               std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
        if (i % 2)
            code += "main:add_paint_part(" + rs + ", image.new(bmp, 0, 0, 64, 64))\n";
        else
            code += "main:add(color_rect.new(" + rs + ", color.new(" + std::to_string(i * 5) + ", 120, 180)))\n";
    }
    run_or_die(code);
    run_or_die("main:create()");
    pump();
    lua_getglobal(L, "main");
    zin_window* w = static_cast<zin_window*>(lua_touserdata(L, -1));
    lua_getglobal(L, "bmp");
    bitmap* b = static_cast<bitmap*>(lua_touserdata(L, -1));
    lua_pop(L, 2);
    const rect all(0, 0, kWidth, kHeight);
    w->redraw_rect(all);
    const double engine = bench::best_of(3, [&] {
        bench::stopwatch clock;
        for (int i = 0; i < times; ++i) w->redraw_rect(all);
        return clock.elapsed_ns() / times;
    });
    // The same layers by hand: a back buffer of the window's size, the pictures tiled into it (as a
    // picture part draws its image), the rectangles filled, then one copy into the window.
    HWND window = w->get_hwnd();
    HDC window_dc = GetDC(window);
    HDC back = CreateCompatibleDC(window_dc);
    HBITMAP back_bitmap = CreateCompatibleBitmap(window_dc, kWidth, kHeight);
    HGDIOBJ old = SelectObject(back, back_bitmap);
    std::vector<HBRUSH> brushes;
    for (int i = 0; i < kParts; ++i) brushes.push_back(CreateSolidBrush(RGB(i * 5, 120, 180)));
    HDC source = b->get_dc();
    const double raw = bench::best_of(3, [&] {
        bench::stopwatch clock;
        for (int n = 0; n < times; ++n) {
            tile(back, RECT{0, 0, kWidth, kHeight}, source);
            for (int i = 1; i < kParts; ++i) {
                const RECT r = part_rect(i);
                if (i % 2)
                    tile(back, r, source);
                else
                    FillRect(back, &r, brushes[size_t(i)]);
            }
            BitBlt(window_dc, 0, 0, kWidth, kHeight, back, 0, 0, SRCCOPY);
        }
        GdiFlush();
        return clock.elapsed_ns() / times;
    });
    for (HBRUSH brush : brushes) DeleteObject(brush);
    SelectObject(back, old);
    DeleteObject(back_bitmap);
    DeleteDC(back);
    ReleaseDC(window, window_dc);
    std::printf("%-44s %10.3f\n", "engine: whole-window repaint", engine / 1e6);
    std::printf("%-44s %10.3f\n", "raw blits of the same layers", raw / 1e6);
    std::printf("%-44s %10.2f   (goal: at most 1.3)\n", "ratio", engine / raw);
}

// ---- 3. Callback ---------------------------------------------------------------------------------

void bench_callback(int calls) {
    bench::heading("3. A script callback (three bound methods) fired by the engine and by a bare lua_pcall");
    run_or_die("function cb() main:is_visible() main:is_visible() main:is_visible() end\n"
               "set_global_callback('OnSeek', cb)");
    auto fired = [&](bool tracing) {
        g_trace_calls = tracing;
        const double ns = bench::best_of(3, [&] {
            bench::stopwatch clock;
            for (int i = 0; i < calls; ++i) fire_global_callback(GCB_ON_SEEK);
            return clock.elapsed_ns() / calls;
        });
        g_trace_calls = false;
        return ns;
    };
    const double bare = bench::best_of(3, [&] {
        bench::stopwatch clock;
        for (int i = 0; i < calls; ++i) {
            lua_getglobal(L, "cb");
            lua_pcall(L, 0, 0, 0);
        }
        return clock.elapsed_ns() / calls;
    });
    const double off = fired(false);
    const double on_unread = fired(true);
    // With a reader (a hook that only counts) every trace line is built.
    const int traced_calls = calls / 100 > 0 ? calls / 100 : 1;
    g_trace_calls = true;
    zin_set_debug_output_hook(&count_debug_line, nullptr);
    const double on = bench::best_of(3, [&] {
        bench::stopwatch clock;
        for (int i = 0; i < traced_calls; ++i) fire_global_callback(GCB_ON_SEEK);
        return clock.elapsed_ns() / traced_calls;
    });
    zin_set_debug_output_hook(nullptr, nullptr);
    g_trace_calls = false;
    std::printf("%-44s %10s %10s\n", "", "us/call", "ratio");
    std::printf("%-44s %10.3f %10.2f\n", "bare lua_pcall of the function", bare / 1e3, 1.0);
    std::printf("%-44s %10.3f %10.2f\n", "engine, tracing off", off / 1e3, off / bare);
    std::printf("%-44s %10.3f %10.2f\n", "engine, tracing on, nobody reading", on_unread / 1e3, on_unread / bare);
    std::printf("%-44s %10.3f %10.2f\n", "engine, tracing on, 4 lines a call read", on / 1e3, on / bare);
    bench::close_engine();
    L = nullptr;
}

// ---- 4. Load/unload cycles -------------------------------------------------------------------------

using bench::private_bytes;

DWORD user_objects() {
    const DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return n != 0 ? n : bench::thread_windows();
}

void bench_cycles(int cycles) {
    bench::heading("4. Load/unload cycles of the default skin");
    if (!load_skin()) std::exit(1);
    pump();
    unload_skin();
    pump();
    const DWORD gdi = bench::gdi_objects(), user = user_objects();
    const SIZE_T bytes = private_bytes();
    for (int i = 0; i < cycles; ++i) {
        if (!load_skin()) std::exit(1);
        pump();
        unload_skin();
        pump();
    }
    std::printf("%-20s %12s %12s %14s\n", "", "GDI objects", "USER objects", "private KiB");
    std::printf("%-20s %12lu %12lu %14lu\n", "after one cycle", static_cast<unsigned long>(gdi),
                static_cast<unsigned long>(user), static_cast<unsigned long>(bytes / 1024));
    std::printf("%-20s %12lu %12lu %14lu\n", ("after " + std::to_string(cycles + 1)).c_str(),
                static_cast<unsigned long>(bench::gdi_objects()), static_cast<unsigned long>(user_objects()),
                static_cast<unsigned long>(private_bytes() / 1024));
    std::printf("GDI objects: %s\nUSER objects: %s\nprivate bytes: %s\n", bench::gdi_count_method(),
                GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS) ? "GetGuiResources"
                                                                     : "top-level windows (GetGuiResources gives 0 here)",
                bench::private_count_method());
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = bench::argument(argc, argv, 1, 15);
    const int repaints = bench::argument(argc, argv, 2, 200);
    const int calls = bench::argument(argc, argv, 3, 20000);
    std::printf("Ratios against bare work, measured side by side (wall clock, QueryPerformanceCounter)\n");
    const std::string profile = bench::open_host_less_engine("bench_ratios");
    bench_start_up(runs);
    bench_cycles(100);
    bench_repaint(repaints);
    bench_callback(calls);
    bench::remove_profile(profile);
    bench::close_reference_host_services();
    return 0;
}
