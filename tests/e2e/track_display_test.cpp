// The default skin's display on the real screen: its texts show the playing track's
// "[%artist% - ]%title%" and its time, change when the track changes, and say "stopped" when
// playback stops; the title scrolls, and a real mouse drags it.

#include <support/files.h>
#include <support/host_process.h>
#include <support/png_read.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace test_support;

// Where skins/default/skin.lua puts its window and its two text fields (window coordinates).
constexpr int kLeft = 400, kTop = 300;
constexpr RECT kTitle = {70, 14, 286, 32};
constexpr RECT kTime = {70, 32, 286, 48};
constexpr POINT kNextButton = {170, 87};
constexpr POINT kStopButton = {134, 87};
constexpr POINT kCloseButton = {274, 87};
constexpr std::uint32_t kText = rgb(150, 235, 160);  // the display colour
constexpr int kTolerance = 40;                          // glyph cores; their smoothed edges differ

// Which pixels of a text field's rectangle on the screen show the text colour.
struct text_mask {
    std::vector<bool> lit;
    int count = 0;
    int first_column = -1;  // window x of the leftmost lit pixel
    int last_column = -1;   // window x of the rightmost lit pixel
    bool operator==(const text_mask& other) const { return lit == other.lit; }
};

text_mask read_mask(const RECT& field) {
    const int width = field.right - field.left, height = field.bottom - field.top;
    std::vector<std::uint32_t> pixels;
    text_mask mask;
    if (!screen_pixels(kLeft + field.left, kTop + field.top, width, height, pixels)) return mask;
    mask.lit.resize(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (!close_to(pixels[i], kText, kTolerance)) continue;
        mask.lit[i] = true;
        ++mask.count;
        const int column = field.left + static_cast<int>(i % width);
        if (mask.first_column < 0 || column < mask.first_column) mask.first_column = column;
        if (column > mask.last_column) mask.last_column = column;
    }
    return mask;
}

// Polls the screen until the field's mask satisfies done (bounded); the last mask read.
template <class Done>
text_mask wait_for_mask(const RECT& field, Done done) {
    const DWORD start = GetTickCount();
    text_mask mask = read_mask(field);
    while (!done(mask) && GetTickCount() - start < 20000) {
        Sleep(100);
        mask = read_mask(field);
    }
    return mask;
}

// A line of readable text is more than a few stray pixels.
constexpr int kSomeText = 40;

// "stopped" stands still at the left of the title field; a track's title runs through all of it.
bool is_stopped(const text_mask& m) {
    return m.count > kSomeText / 2 && m.first_column < kTitle.left + 4 && m.last_column < kTitle.left + 100;
}

// The host's arguments for the default skin playing the demo playlist, with its profile in work.
std::vector<std::wstring> playing_skin_args(const std::wstring& work, const std::wstring& log_file) {
    return {L"--skin", source_file("skins/default/skin.lua"), L"--profile", work + L"\\profile", L"--log",
            log_file, L"--debug-log", L"--run-for", L"60000", L"--play", source_file("skins/default/demo.m3u")};
}

// The host with the default skin playing the demo playlist: started, its main window found and
// track 1's title on the screen; closed by the skin's close button, ending cleanly.
class track_display : public ::testing::Test {
protected:
    void start(const wchar_t* name) {
        work = temp_folder(name);
        log_file = work + L"\\log.txt";
        host.reset(new host_process(playing_skin_args(work, log_file), work + L"\\stdout.txt"));
        ASSERT_TRUE(host->started()) << host->start_error();
        window = host->wait_for_window(L"zin_window_debug", L"main", 30000);
        ASSERT_NE(nullptr, window) << read_file(log_file);
        ASSERT_TRUE(wait_for_text(log_file, "host: playback: track 1", 20000)) << read_file(log_file);
        title = wait_for_mask(kTitle, [](const text_mask& m) { return m.count > kSomeText && !is_stopped(m); });
        ASSERT_GT(title.count, kSomeText) << "no title on screen\n" << read_file(log_file);
    }
    void close() {
        post_left_click(window, kCloseButton.x, kCloseButton.y);
        ASSERT_TRUE(host->wait(30000)) << read_file(log_file);
        const std::string log = read_file(log_file);
        EXPECT_EQ(0u, host->exit_code()) << log;
        EXPECT_EQ(std::vector<std::string>(), lines_containing(log, "ERROR")) << log;
        EXPECT_NE(std::string::npos, log.find("host: all host references released")) << log;
    }

    std::wstring work, log_file;
    std::unique_ptr<host_process> host;
    HWND window = nullptr;
    text_mask title;  // track 1's title as start found it
};

TEST_F(track_display, shows_the_playing_track_and_follows_it) {
    // Track 1 plays: the title line shows; the time line shows, ending at the field's right edge.
    ASSERT_NO_FATAL_FAILURE(start(L"track_display"));
    const text_mask first = title;
    const text_mask time = wait_for_mask(kTime, [](const text_mask& m) { return m.count > kSomeText / 2; });
    EXPECT_GT(time.count, kSomeText / 2) << "no time on screen";
    EXPECT_GE(time.last_column, kTime.right - 4);
    EXPECT_GT(time.first_column, kTime.left + 60) << "the time is right-aligned";

    // The next track: the same band, another title; the line changes.
    post_left_click(window, kNextButton.x, kNextButton.y);
    ASSERT_TRUE(wait_for_text(log_file, "host: playback: track 2", 20000)) << read_file(log_file);
    const text_mask second = wait_for_mask(kTitle, [&](const text_mask& m) { return m.count > kSomeText && !(m == first); });
    EXPECT_GT(second.count, kSomeText);
    EXPECT_FALSE(second == first) << "the title did not change with the track";

    // Stopped: nothing plays, the display says so, and the time line is empty.
    post_left_click(window, kStopButton.x, kStopButton.y);
    const text_mask stopped = wait_for_mask(kTitle, is_stopped);
    EXPECT_TRUE(is_stopped(stopped)) << "no \"stopped\" after stop: " << stopped.count << " pixels from "
                                     << stopped.first_column << " to " << stopped.last_column;
    EXPECT_EQ(0, wait_for_mask(kTime, [](const text_mask& m) { return m.count == 0; }).count);
    close();
}

// Whether the lit pixels of before, moved right by dx, are lit in after (where they stay inside
// the field; a few smoothed edge pixels may differ).
bool shifted_by(const text_mask& before, const text_mask& after, int dx) {
    const int width = kTitle.right - kTitle.left;
    int moved = 0, found = 0;
    for (size_t i = 0; i < before.lit.size() && i < after.lit.size(); ++i) {
        if (!before.lit[i] || static_cast<int>(i % width) + dx >= width) continue;
        ++moved;
        if (after.lit[i + dx]) ++found;
    }
    return moved > kSomeText && found * 10 >= moved * 9;
}

TEST_F(track_display, the_title_scrolls_and_a_real_mouse_drags_it) {
    ASSERT_NO_FATAL_FAILURE(start(L"title_scroll"));
    const text_mask shown = title;

    // It runs by itself.
    const text_mask later = wait_for_mask(kTitle, [&](const text_mask& m) { return m.count > kSomeText && !(m == shown); });
    EXPECT_FALSE(later == shown) << "the title stood still";

    // Pressed, it holds still; dragged 20 pixels to the right, it moves 20 pixels to the right.
    const int y = kTop + (kTitle.top + kTitle.bottom) / 2;
    ASSERT_TRUE(real_mouse_move(kLeft + 150, y));
    ASSERT_TRUE(real_left_button(true));
    ASSERT_TRUE(wait_for_text(log_file, "calling timer::stop(@timer)", 20000)) << read_file(log_file);
    text_mask held = read_mask(kTitle);
    const text_mask still = wait_for_mask(kTitle, [&](const text_mask& m) {
        const bool same = m == held;
        held = m;
        return same && m.count > kSomeText;
    });
    ASSERT_TRUE(still == held && still.count > kSomeText) << "the title did not hold still";
    ASSERT_TRUE(real_mouse_move(kLeft + 170, y));
    const text_mask dragged = wait_for_mask(kTitle, [&](const text_mask& m) { return shifted_by(still, m, 20); });
    EXPECT_TRUE(shifted_by(still, dragged, 20)) << "the title did not follow the mouse";
    // Let go, it runs again.
    ASSERT_TRUE(real_left_button(false));
    const text_mask running = wait_for_mask(kTitle, [&](const text_mask& m) { return !(m == dragged); });
    EXPECT_FALSE(running == dragged) << "the title did not run on after the drag";
    close();
}

}  // namespace
