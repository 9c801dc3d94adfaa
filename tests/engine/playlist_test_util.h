#pragma once
// Helpers of the playlist view and mirror tests: the window fixture with the playlist classes, a
// recording playlist manager as the host's (its changes reach the engine's listener at once), the
// global callbacks, and a view made by script.

#include "playlist_model.h"
#include "window_test_util.h"

#include <zin_classes/playlist.h>
#include <zin_window/callbacks.h>
#include <zin_window/playlist_events.h>

namespace playlist_test {

constexpr COLORREF kText = RGB(255, 255, 255);
constexpr COLORREF kBack = RGB(0, 0, 0);
constexpr COLORREF kSelBack = RGB(0, 0, 160);
constexpr COLORREF kFocus = RGB(255, 0, 0);
constexpr COLORREF kBeneath = RGB(0, 200, 0);  // the part beneath the view

class playlist_fixture : public window_test::window_fixture {
protected:
    playlist_model model;
    zin_window* w = nullptr;
    playlist* view = nullptr;
    HWND hwnd = nullptr;

    void SetUp() override {
        window_fixture::SetUp();
        lua_class::binding<font>::register_type(L);
        lua_class::binding<playlist>::register_type(L);
        lua_register(L, "set_global_callback", &set_global_callback);
        g_pl_oper = &model;
        model.listener = &g_playlist_callback_factory.get_static_instance();
        g_skin_running = true;
        playlist_init_selection(playlist_manager::none);
        ASSERT_EQ("", run("log = {}\n"
                          "function note(s) table.insert(log, s) end\n"
                          "set_global_callback('OnPlaylistCountChanged', function() note('count') end)\n"
                          "set_global_callback('OnOrderChange', function() note('order') end)"));
    }

    void TearDown() override {
        model.listener = nullptr;
        playlist_unload();
        clear_global_callbacks();
        window_fixture::TearDown();
        g_pl_oper = nullptr;
        g_skin_running = false;
    }

    // A view at 0, 0 of a 200 x 200 window, cut to `rows` whole rows; the window opened when asked.
    void make_view(int rows, bool open = true, const std::string& scroll = "nil") {
        w = new_window("main", 50, 50, 200, 200);
        add_probe(w, rect(0, 0, 200, 200))->colour = kBeneath;
        ASSERT_EQ("", run("v = playlist.new(rect.new(0, 0, 200, 150), font.new('Tahoma', 13, 0, 400),\n"
                          "  color.new(255, 255, 255), color.new(0, 0, 0), color.new(0, 0, 160),\n"
                          "  color.new(255, 0, 0), " + scroll + ")\n"
                          "main:add(v)"));
        lua_getglobal(L, "v");
        // Stack: [v]
        view = static_cast<playlist*>(lua_touserdata(L, -1));
        lua_pop(L, 1);
        // Stack: []
        ASSERT_NE(nullptr, view);
        view->mRect.bottom = rows * view->mRowHeight;
        view->size();
        ASSERT_EQ(rows, view->mRows);
        if (open) open_window();
    }

    void open_window() {
        ASSERT_EQ("", run("main:create()"));
        hwnd = w->get_hwnd();
        ASSERT_NE(nullptr, hwnd);
        window_test::pump();
    }

    std::string take_log() {
        const std::string text = engine_test::eval(L, "table.concat(log, ',')");
        run("log = {}");
        return text;
    }

    // The client y of the middle of an item's row.
    int row_y(int item) const { return (item - view->mTop) * view->mRowHeight + view->mRowHeight / 2; }
};

}  // namespace playlist_test
