// The script state's allocator failing at the n-th request, for every n over the start-up (state,
// libraries, skin compile and run), a callback and the shutdown, against the recording fake host:
// nothing may crash or hang, and the engine must give back every host reference it took. The same
// for the engine's own heap (operator new and the C allocation functions, wrapped by the linker for
// this program) over a skin that uses the newer classes, a click, a deferred repaint and the unload.

#include "../engine/startup_test_util.h"

#include <script_alloc.h>
#include <zin_window/callbacks.h>
#include <zin_window/zin_window.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstddef>
#include <new>

using namespace startup_test;

// ---- The failing heap ------------------------------------------------------------------------------
// While armed, the n-th request fails. The script allocator's own requests (realloc called from
// script_alloc) are the other sweep's: they are told apart by their caller and never counted.
namespace {
bool g_heap_armed = false;
unsigned long g_heap_fail_at = 0;
unsigned long g_heap_requests = 0;

bool heap_request_fails() {
    if (!g_heap_armed) return false;
    return ++g_heap_requests == g_heap_fail_at;
}

// (script_alloc uses realloc's result, so the call is never a tail call that would hide it.)
bool from_script_alloc(const void* caller) {
    const char* start = reinterpret_cast<const char*>(&script_alloc);
    const char* at = static_cast<const char*>(caller);
    return at >= start && at < start + 256;
}

void arm_heap(unsigned long fail_at) {
    g_heap_fail_at = fail_at;
    g_heap_requests = 0;
    g_heap_armed = true;
}
}  // namespace

extern "C" {
void* __real_malloc(size_t);
void* __real_calloc(size_t, size_t);
void* __real_realloc(void*, size_t);
void __real_free(void*);
void __wrap_free(void* p) { __real_free(p); }
wchar_t* __real__wcsdup(const wchar_t*);
wchar_t* __real_wcsdup(const wchar_t*);
void* __wrap_malloc(size_t n) { return heap_request_fails() ? nullptr : __real_malloc(n); }
void* __wrap_calloc(size_t n, size_t size) { return heap_request_fails() ? nullptr : __real_calloc(n, size); }
void* __wrap_realloc(void* p, size_t n) {
    if (n != 0 && !from_script_alloc(__builtin_return_address(0)) && heap_request_fails()) return nullptr;
    return __real_realloc(p, n);
}
wchar_t* __wrap__wcsdup(const wchar_t* s) { return heap_request_fails() ? nullptr : __real__wcsdup(s); }
wchar_t* __wrap_wcsdup(const wchar_t* s) { return heap_request_fails() ? nullptr : __real_wcsdup(s); }
}

void* operator new(size_t n) {
    void* p = heap_request_fails() ? nullptr : __real_malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new[](size_t n) { return operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return heap_request_fails() ? nullptr : __real_malloc(n ? n : 1); }
void* operator new[](size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { __real_free(p); }
void operator delete[](void* p) noexcept { __real_free(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete[](p); }

namespace {

class AllocFault : public host_fixture {};

const char kSkin[] =
    "w = window.new('main', 60, 40, rect.new(20, 20, 80, 60))\n"
    "w:add(color_rect.new(rect.new(0, 0, 60, 40), color.new(1, 2, 3)))\n"
    "t = timer.new(function() w:redraw() end)\n"
    "config.save('value ' .. string.rep('x', 100), 'note')\n"
    "set_global_callback('OnStop', function()\n"
    "  local parts = {}\n"
    "  for i = 1, 20 do parts[i] = rect.new(i, i, i + 5, i + 5) end\n"
    "  w:redraw(parts[3])\n"
    "  print('stopped ' .. table.getn(parts))\n"
    "end)\n"
    "w:create()\n";

TEST_F(AllocFault, EveryFailingRequestEndsCleanly) {
    const std::string skin = folder.write("alloc.lua", kSkin);
    const int control_before = control.count();
    const int playlists_before = playlists.count();
    // A run without a failure counts the requests the sweep must cover.
    script_alloc_fail_at(0);
    ASSERT_NE(init_with(skin), nullptr);
    fire_global_callback(GCB_ON_STOP);
    get_ui_zin().shutdown();
    const unsigned long total = script_alloc_requests();
    ASSERT_GT(total, 100u);
    ASSERT_TRUE(console_has("stopped 20"));

    // Every request of the state's creation and its libraries, then 150 spread evenly over the
    // rest (each case starts and stops a skin: every request would take minutes).
    const unsigned long step = total / 150 > 1 ? total / 150 : 1;
    std::printf("%lu requests for more memory; failing each of the first 150, then every %lu-th\n", total, step);
    unsigned long started = 0;
    for (unsigned long n = 1; n <= total; n += n < 150 ? 1 : step) {
        SCOPED_TRACE("failing request " + std::to_string(n));
        boxes().clear();
        script_alloc_fail_at(n);
        if (init_with(skin) != nullptr) ++started;
        fire_global_callback(GCB_ON_STOP);
        get_ui_zin().shutdown();
        script_alloc_fail_at(0);
        EXPECT_EQ(g_lua, nullptr);
        EXPECT_EQ(control.count(), control_before);
        EXPECT_EQ(playlists.count(), playlists_before);
        if (HasFailure()) break;  // one case is enough to read
    }
    // A failure late in the sweep (the callback, the shutdown) leaves the start-up whole.
    EXPECT_GT(started, 0u);
    EXPECT_LT(started, total);
}

// The newer classes: text fields, scrolling text, a slider, a playlist view, a script part that
// asks for a repaint from its draw, docking, a tray icon, the playlist colours file, preferences
// items, the player commands.
const char kNewerSkin[] =
    "local function try(f) pcall(f) end\n"
    "f = font.new('Tahoma', 12, 0, 400) c = color.new(10, 20, 30) r = rect.new(0, 0, 60, 40)\n"
    "w = window.new('main', 60, 40, rect.new(20, 20, 140, 100), 1)\n"
    "w:add(color_rect.new(r, c))\n"
    "try(function() w:add(textfield.new(rect.new(0, 0, 60, 12), '%title% [%artist%]', 0, f, c)) end)\n"
    "try(function() w:add(text_scroll.new(rect.new(0, 12, 60, 24), 'scrolling text', 2, f, c, function() end)) end)\n"
    "try(function() local b = bitmap.new(60, 10) w:add(progbar.new(rect.new(0, 24, 60, 30), image.new(b, 0, 0, 10, 10), 100)) end)\n"
    "try(function() w:add(playlist.new(rect.new(0, 30, 60, 40), f, c)) end)\n"
    "Part = new_base_class(false)\n"
    "function Part.create(self, a, b) self.sum = a + b end\n"
    "function Part.draw(self, r, clip) if not self.drawn then self.drawn = true w:redraw(r) end end\n"
    "function Part.message(self, code) return true end\n"
    "try(function() w:add(Part.new(rect.new(-20, 0, 60, 10), 1, 2)) end)\n"
    "try(function() docking.add_window(w) end)\n"
    "try(function() add_tray_icon('good.bmp', 0, function() end) end)\n"
    "try(function() get_winamp_pl_info('pledit.txt', color.new(0, 0, 0), color.new(0, 0, 0), color.new(0, 0, 0), font.new('Arial', 9, 0, 400)) end)\n"
    "try(function() config.save(c, 'colour', true) config.save(f, 'font', true) config.save('a ' .. string.rep('x', 50), 'text', true, {'a', 'b'}) end)\n"
    "try(function() local o = trova.get_orders() trova.set_volume(-3) end)\n"
    "set_global_callback('OnStop', function() w:redraw(r) w:set_pos(rect.new(30, 30, 200, 120)) print('stopped') end)\n"
    "w:create()\n";

// A move, a right press and release over the first open window, through its window procedure
// (a left press nobody handles would start the modal move loop).
void click_first_window() {
    if (g_window_handles.getSize() == 0) return;
    const HWND hwnd = g_window_handles[0].handle;
    for (UINT msg : {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP}) SendMessageW(hwnd, msg, 0, MAKELPARAM(5, 5));
}

void pump_messages() {
    MSG msg;
    for (int i = 0; i < 3; ++i) {
        Sleep(USER_TIMER_MINIMUM);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

TEST_F(AllocFault, EveryFailingHeapRequestEndsCleanly) {
    const std::string skin = folder.write("newer.lua", kNewerSkin);
    folder.write("good.bmp", std::string("BM", 2));
    folder.write("pledit.txt", "[Text]\r\nNormal=#00FF00\r\nNormalBG=#000000\r\nSelectedBG=#0000FF\r\nFont=Arial\r\n");
    const int control_before = control.count();
    const int playlists_before = playlists.count();
    // One run of what the sweep fails: start-up, a player event, a click, the messages left (the
    // deferred repaint), the shutdown.
    auto run_skin = [&](unsigned long fail_at) {
        boxes().clear();
        arm_heap(fail_at);
        const bool started = init_with(skin) != nullptr;
        fire_global_callback(GCB_ON_STOP);
        click_first_window();
        pump_messages();
        get_ui_zin().shutdown();
        g_heap_armed = false;
        return started;
    };
    ASSERT_TRUE(run_skin(0));
    const unsigned long total = g_heap_requests;
    ASSERT_TRUE(console_has("stopped"));
    ASSERT_GT(total, 50u);
    // Every request of the start-up's first part, then 300 spread evenly over the rest.
    const unsigned long step = total / 300 > 1 ? total / 300 : 1;
    std::printf("%lu heap requests; failing each of the first 150, then every %lu-th\n", total, step);
    unsigned long started = 0;
    for (unsigned long n = 1; n <= total; n += n < 150 ? 1 : step) {
        SCOPED_TRACE("failing heap request " + std::to_string(n));
        if (run_skin(n)) ++started;
        EXPECT_EQ(g_lua, nullptr);
        EXPECT_EQ(control.count(), control_before);
        EXPECT_EQ(playlists.count(), playlists_before);
        if (HasFailure()) break;
    }
    EXPECT_GT(started, 0u);
}

}  // namespace
