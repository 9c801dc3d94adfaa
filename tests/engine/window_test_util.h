#pragma once
// Helpers of the window tests: a script state with the window and value classes, the window class
// of the skin windows, and a paint part that records what it is asked to do.

#include "engine_test_util.h"

#include <zin_classes/zin_classes.h>
#include <zin_window/zin_window.h>
#include <tro_ui_zin.h>

#include <gtest/gtest.h>

#include <cstring>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace window_test {

// The host hook of the tests: handles nothing unless told to swallow one message.
struct hook_state {
    UINT swallow = 0;
    int calls = 0;
};
inline hook_state& hook() {
    static hook_state state;
    return state;
}
inline BOOL TROVA_HOOK_CALL test_hook(HWND, UINT msg, WPARAM, LPARAM, LRESULT* result) {
    ++hook().calls;
    if (hook().swallow != 0 && msg == hook().swallow) {
        *result = 77;
        return TRUE;
    }
    return FALSE;
}

// Delivers what is waiting in the thread's queue (posted messages, paints), but never a window
// drag: a posted WM_NCLBUTTONDOWN is taken out and counted instead.
inline int pump(HWND drag_window = nullptr) {
    int drags = 0;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_NCLBUTTONDOWN) {
            if (!drag_window || msg.hwnd == drag_window) ++drags;
            continue;
        }
        DispatchMessageW(&msg);
    }
    return drags;
}

// A paint part of the tests: fills what it is asked to paint with its colour, records its draws
// and its mouse events, and answers them as told.
class probe_part final : public class_base {
public:
    COLORREF colour = RGB(0, 255, 0);
    bool fill = true;            // paints its clip (else draws nothing)
    bool handles = false;        // answer to message
    bool activate_on_press = false;  // joins the active parts on a left press, leaves on release
    std::vector<rect> clips;     // clip of every draw, in the drawn device context
    std::vector<rect> rects;     // rect of every draw
    std::vector<UINT> messages;  // every mouse message received
    std::vector<point> positions;
    std::function<void()> on_draw;

    probe_part(lua_State* L, const rect& r) : class_base(make_rect_arg(L, r), -1) { lua_pop(L, 1); }
    ~probe_part() = default;

    void draw(HDC dc, const rect& r, const rect& clip) override {
        clips.push_back(clip);
        rects.push_back(r);
        if (fill) {
            const HBRUSH brush = CreateSolidBrush(colour);
            const RECT area = clip.to_RECT();
            FillRect(dc, &area, brush);
            DeleteObject(brush);
        }
        if (on_draw) on_draw();
    }
    bool message(const struct mouse_event& event) override {
        messages.push_back(event.msg);
        positions.push_back(event.pos);
        if (activate_on_press && mpWin) {
            if (event.msg == WM_LBUTTONDOWN) mpWin->add_active(this);
            if (event.msg == WM_LBUTTONUP) mpWin->remove_active(this);
        }
        return handles;
    }

private:
    static lua_State* make_rect_arg(lua_State* L, const rect& r) {
        push_rect(L, r);
        return L;
    }
};

// A script state with the classes the windows need, the window class and the paint lock; torn
// down in the order of a skin unload.
class window_fixture : public ::testing::Test {
protected:
    lua_State* L = nullptr;

    void SetUp() override {
        L = engine_test::new_state();
        lua_class::binding<point>::register_type(L, &point_member_access);
        lua_class::binding<rect>::register_type(L, &rect_member_access);
        lua_class::binding<color>::register_type(L);
        lua_class::binding<bitmap>::register_type(L);
        lua_class::binding<image>::register_type(L, &image_member_access);
        lua_class::binding<color_rect>::register_type(L);
        zin_window::register_script_class(L);
        g_lua = L;
        g_trace_calls = false;
        hook() = hook_state{};
        g_quitting = false;
        // The start-up's own step: the window class, the host hook and the paint lock.
        register_window_class(&test_hook);
    }

    void TearDown() override {
        pump();
        clear_window_lists();
        lua_close(L);
        g_lua = nullptr;
        g_reg_free_slots.clear();
        delete_paint_lock();
        g_host_hook = nullptr;
        pump();
    }

    // Runs script text; "" or the error.
    std::string run(const std::string& code) { return engine_test::run(L, code); }

    // The entries of the script's global table log joined by sep; the log is emptied.
    std::string take_log(const char* sep = ",") {
        const std::string text = engine_test::eval(L, std::string("table.concat(log, '") + sep + "')");
        run("log = {}");
        return text;
    }

    // The window in the script global of that name.
    zin_window* window(const char* global) {
        lua_getglobal(L, global);
        // Stack: [value]
        zin_window* w = nullptr;
        if (strcmp(lua_class::get_name(L, -1), "window") == 0)
            w = static_cast<zin_window*>(lua_touserdata(L, -1));
        lua_pop(L, 1);
        return w;
    }

    // A new window from script: <name> = window.new(...) with a rect at left, top, width x height.
    zin_window* new_window(const char* name, int left, int top, int width, int height,
                           int resize_mode = 0, int min_w = 10, int min_h = 10) {
        const std::string code = std::string(name) + " = window.new(\"" + name + "\", " +
                                 std::to_string(min_w) + ", " + std::to_string(min_h) +
                                 ", rect.new_size(" + std::to_string(left) + ", " +
                                 std::to_string(top) + ", " + std::to_string(width) + ", " +
                                 std::to_string(height) + "), " + std::to_string(resize_mode) + ")";
        EXPECT_EQ("", run(code));
        return window(name);
    }

    // A probe part filed in w (kept alive by the fixture, not by the script).
    probe_part* add_probe(zin_window* w, const rect& r) {
        probes.push_back(std::make_unique<probe_part>(L, r));
        probe_part* p = probes.back().get();
        w->add_part(p, "probe");
        return p;
    }

    // Sends a mouse message at client position x, y.
    static void mouse(HWND hwnd, UINT msg, int x, int y, WPARAM keys = 0) {
        SendMessageW(hwnd, msg, keys, MAKELPARAM(x, y));
    }

    std::vector<std::unique_ptr<probe_part>> probes;
};

// Pixel of the back buffer at window coordinates x, y.
inline COLORREF back_pixel(int x, int y) { return GetPixel(g_back_buffer.getDC(), x, y); }

}  // namespace window_test
