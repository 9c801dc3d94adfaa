// Repaint and compositing: draw modes against the pixels of the back buffer, what is asked to draw,
// and repaints asked for during a repaint.

#include "window_test_util.h"

#include <stdexcept>

using namespace window_test;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

// Runs the message loop until done() holds or a generous limit has passed (deferred repaints come
// from a timer).
template <class F>
void pump_until(F done) {
    for (int i = 0; i < 200 && !done(); ++i) {
        Sleep(5);
        pump();
    }
}

bool near_colour(COLORREF a, COLORREF b, int tolerance) {
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

class compositing : public window_fixture {
protected:
    zin_window* w = nullptr;
    probe_part* under = nullptr;  // red, the whole window
    probe_part* part = nullptr;   // green, 20..60 x 10..40

    void SetUp() override {
        window_fixture::SetUp();
        w = new_window("main", 100, 100, 100, 60);
        under = add_probe(w, rect(0, 0, 100, 60));
        under->colour = kRed;
        part = add_probe(w, rect(20, 10, 60, 40));
        part->colour = kGreen;
        EXPECT_EQ("", run("main:create()"));
        pump();
        for (probe_part* p : {under, part}) {
            p->clips.clear();
            p->rects.clear();
        }
    }
};

struct draw_mode_case {
    int32_t mode;
    COLORREF expected;  // inside the part, over red
    int tolerance;
};

TEST_F(compositing, draw_modes_over_red) {
    const draw_mode_case cases[] = {
        {0, kRed, 0},                        // not drawn at all
        {-1, kGreen, 0},                     // direct
        {255, kGreen, 0},                    // opaque blend
        {128, RGB(127, 128, 0), 2},          // half-way
        {-4, RGB(255, 255, 0), 0},           // SRCINVERT: green drawn on black, xor red
        {-14, RGB(0, 0, 0), 0},              // BLACKNESS over the whole overlap
        {-15, RGB(255, 255, 255), 0},        // WHITENESS
    };
    for (const draw_mode_case& c : cases) {
        SCOPED_TRACE(c.mode);
        part->mDrawMode = c.mode;
        part->clips.clear();
        w->redraw_rect(rect(0, 0, 100, 60));
        EXPECT_TRUE(near_colour(back_pixel(30, 20), c.expected, c.tolerance))
            << std::hex << back_pixel(30, 20);
        EXPECT_EQ(kRed, back_pixel(10, 5)) << "outside the part";
        EXPECT_EQ(kRed, back_pixel(60, 40)) << "right and bottom are exclusive";
        EXPECT_EQ(c.mode == 0 ? 0u : 1u, part->clips.size());
    }
}

TEST_F(compositing, raster_code_zero_is_passed_and_stays_inside_the_part) {
    for (int32_t mode : {-16, -17}) {
        part->mDrawMode = mode;
        w->redraw_rect(rect(0, 0, 100, 60));
        EXPECT_EQ(kRed, back_pixel(10, 5));
        EXPECT_EQ(kRed, back_pixel(70, 50));
    }
}

TEST_F(compositing, alpha_part_leaves_undrawn_pixels_alone) {
    // A blended part that draws nothing leaves what lies beneath, whatever its alpha.
    part->mDrawMode = 128;
    part->fill = false;
    w->redraw_rect(rect(0, 0, 100, 60));
    EXPECT_EQ(kRed, back_pixel(30, 20));
    EXPECT_EQ(1u, part->clips.size());
    // One that draws is blended by its alpha.
    part->fill = true;
    part->mDrawMode = 77;
    w->redraw_rect(rect(0, 0, 100, 60));
    EXPECT_TRUE(near_colour(back_pixel(30, 20), RGB(178, 77, 0), 2)) << std::hex << back_pixel(30, 20);
}

TEST_F(compositing, background_shows_where_no_part_is) {
    under->mDrawMode = 0;
    w->redraw_rect(rect(70, 45, 90, 55));
    EXPECT_EQ(ZIN_BACKGROUND_COLOR, back_pixel(80, 50));
    EXPECT_TRUE(part->clips.empty());
}

TEST_F(compositing, parts_are_drawn_only_inside_the_rectangle) {
    // Partial overlap: the part is asked for its overlap only, in its own coordinates (direct) ...
    w->redraw_rect(rect(40, 30, 100, 60));
    ASSERT_EQ(1u, part->clips.size());
    EXPECT_EQ(40, part->clips[0].left);
    EXPECT_EQ(30, part->clips[0].top);
    EXPECT_EQ(60, part->clips[0].right);
    EXPECT_EQ(40, part->clips[0].bottom);
    EXPECT_EQ(20, part->rects[0].left);
    // ... or shifted into the scratch bitmap (other modes).
    part->mDrawMode = 200;
    w->redraw_rect(rect(40, 30, 100, 60));
    ASSERT_EQ(2u, part->clips.size());
    EXPECT_EQ(0, part->clips[1].left);
    EXPECT_EQ(20, part->clips[1].right);
    EXPECT_EQ(10, part->clips[1].bottom);
    EXPECT_EQ(-20, part->rects[1].left);
    EXPECT_EQ(-20, part->rects[1].top);
    // A part entirely outside is never asked.
    w->redraw_rect(rect(70, 0, 100, 60));
    EXPECT_EQ(2u, part->clips.size());
}

TEST_F(compositing, rectangle_is_cut_to_the_window) {
    w->redraw_rect(rect(-50, -50, 500, 500));
    ASSERT_EQ(1u, under->clips.size());
    EXPECT_EQ(0, under->clips[0].left);
    EXPECT_EQ(0, under->clips[0].top);
    EXPECT_EQ(100, under->clips[0].right);
    EXPECT_EQ(60, under->clips[0].bottom);
    w->redraw_rect(rect(200, 200, 300, 300));
    EXPECT_EQ(1u, under->clips.size());
}

TEST_F(compositing, repaint_inside_a_repaint_is_deferred_and_merged) {
    int depth = 0;
    int max_depth = 0;
    int asked = 0;
    part->on_draw = [&] {
        ++depth;
        max_depth = std::max(max_depth, depth);
        if (asked < 2) {
            ++asked;
            w->redraw_rect(rect(0, 0, 5, 5));
            w->redraw_rect(rect(90, 50, 100, 60));
        }
        --depth;
    };
    w->redraw_rect(rect(0, 0, 100, 60));
    // Nothing of it is done before the message loop runs again.
    EXPECT_EQ(1u, part->clips.size());
    pump_until([&] { return part->clips.size() >= 3; });
    EXPECT_EQ(1, max_depth);
    // The two requests of the first draw become one repaint of their union, which draws the part
    // again and asks twice more; those merge into a third repaint.
    EXPECT_EQ(3u, part->clips.size());
    EXPECT_EQ(3u, under->clips.size());
    ASSERT_GE(under->clips.size(), 2u);
    EXPECT_EQ(0, under->clips[1].left);
    EXPECT_EQ(100, under->clips[1].right);
    EXPECT_EQ(60, under->clips[1].bottom);
}

TEST_F(compositing, a_draw_that_throws_gives_back_the_lock_and_the_clip) {
    part->on_draw = [] { throw std::runtime_error("draw failed"); };
    EXPECT_THROW(w->redraw_rect(rect(0, 0, 100, 60)), std::runtime_error);
    EXPECT_EQ(0, g_paint_lock.RecursionCount);
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(0, GetClipRgn(g_back_buffer.getDC(), probe));  // no clip region left selected
    DeleteObject(probe);
    // The next repaint runs normally.
    part->on_draw = nullptr;
    part->clips.clear();
    w->redraw_rect(rect(0, 0, 100, 60));
    EXPECT_EQ(1u, part->clips.size());
}

// The paint under way, for which menus and dialogs are refused: through every draw of a repaint and
// of a deferred one, and over once the repaint ends, however it ends.
TEST_F(compositing, a_paint_is_under_way_through_every_draw_and_over_however_it_ends) {
    std::vector<bool> seen;
    EXPECT_FALSE(paint_under_way());
    under->on_draw = [&] { seen.push_back(paint_under_way()); };
    part->on_draw = [&] {
        seen.push_back(paint_under_way());
        if (seen.size() < 3) w->redraw_rect(rect(20, 10, 30, 20));  // deferred: the timer paints it
    };
    w->redraw_rect(rect(0, 0, 100, 60));
    EXPECT_FALSE(paint_under_way());
    pump_until([&] { return seen.size() >= 4; });
    EXPECT_EQ(std::vector<bool>({true, true, true, true}), seen);
    EXPECT_FALSE(paint_under_way());
    {
        engine_test::debug_capture capture;
        EXPECT_TRUE(modal_ui_allowed("probe"));
        EXPECT_TRUE(capture.containing("probe").empty());
    }
    // A draw that throws ends the paint too; one asked for inside is refused, with its line.
    part->on_draw = [&] {
        engine_test::debug_capture capture;
        seen.push_back(modal_ui_allowed("probe"));
        seen.push_back(capture.contains("!!probe not shown: a paint is under way\n"));
        throw std::runtime_error("draw failed");
    };
    seen.clear();
    EXPECT_THROW(w->redraw_rect(rect(0, 0, 100, 60)), std::runtime_error);
    EXPECT_EQ(std::vector<bool>({true, false, true}), seen);
    EXPECT_FALSE(paint_under_way());
    EXPECT_TRUE(modal_ui_allowed("probe"));
}

TEST_F(compositing, a_deferred_repaint_of_a_window_gone_meanwhile_is_dropped) {
    zin_window* other = new_window("other", 300, 0, 50, 50);
    probe_part* p = add_probe(other, rect(0, 0, 50, 50));
    EXPECT_EQ("", run("other:create()"));
    pump();
    p->clips.clear();
    part->on_draw = [&] {
        other->redraw_rect(rect(0, 0, 50, 50));  // deferred
        g_windows.removeValue(other);             // as when its object is destroyed
    };
    w->redraw_rect(rect(0, 0, 100, 60));
    part->on_draw = nullptr;
    pump_until([&] { return false; });
    EXPECT_TRUE(p->clips.empty());
    g_windows.push(other);
}

TEST_F(compositing, window_without_native_window_is_not_painted) {
    zin_window* hidden = new_window("hidden", 0, 0, 50, 50);
    probe_part* p = add_probe(hidden, rect(0, 0, 50, 50));
    hidden->redraw_rect(rect(0, 0, 50, 50));
    EXPECT_TRUE(p->clips.empty());
}

TEST_F(compositing, first_show_paints_the_window_from_the_non_client_paint) {
    zin_window* shown = new_window("shown", 300, 100, 40, 30);
    probe_part* p = add_probe(shown, rect(0, 0, 40, 30));
    ASSERT_EQ("", run("shown:create()"));
    pump();
    ASSERT_FALSE(p->clips.empty());
    EXPECT_EQ(40, p->clips[0].right);
    EXPECT_EQ(30, p->clips[0].bottom);
    // The window shows what the back buffer held.
    EXPECT_EQ(RGB(0, 255, 0), GetPixel(shown->mDC, 10, 10));
}

TEST_F(compositing, host_hook_that_handles_the_paint_keeps_the_engine_out) {
    hook().swallow = WM_NCPAINT;
    RECT all{0, 0, 100, 60};
    InvalidateRect(w->mWnd, &all, FALSE);
    EXPECT_EQ(77, SendMessageW(w->mWnd, WM_NCPAINT, 1, 0));
    EXPECT_TRUE(part->clips.empty());
    hook().swallow = 0;
    // With an empty update rectangle the engine paints nothing.
    ValidateRect(w->mWnd, nullptr);
    EXPECT_EQ(0, SendMessageW(w->mWnd, WM_NCPAINT, 1, 0));
    EXPECT_TRUE(part->clips.empty());
}

}  // namespace
