// The bundled default skin in the reference host, on the real screen: it loads without errors, its
// window shows where the skin puts it, clicks on its buttons drive the player, whose events come
// back to the script and onto the screen, and its sliders follow a real mouse.

#include <support/files.h>
#include <support/host_process.h>
#include <support/png_read.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace test_support;

// Where skins/default/skin.lua puts its window (clear of where the other tests put theirs), and
// what tools/make_skin_art.py paints there (window coordinates).
constexpr int kLeft = 400, kTop = 300;
constexpr POINT kLamp = {31, 34};        // centre of the status lamp
constexpr POINT kPlayButton = {62, 87};  // centre of the play button (its glyph)
constexpr POINT kPauseButton = {98, 87};
constexpr POINT kCloseButton = {274, 87};
constexpr std::uint32_t kBevel = rgb(120, 130, 150);  // the panel's top-left edge
constexpr std::uint32_t kWell = rgb(8, 14, 10);       // inside the display well
constexpr std::uint32_t kGlyph = rgb(230, 236, 245);  // button glyphs
constexpr std::uint32_t kStopped = rgb(220, 40, 40);
constexpr std::uint32_t kPaused = rgb(240, 170, 30);
constexpr std::uint32_t kKnob = rgb(120, 200, 255);        // face of the slider knobs
constexpr std::uint32_t kSeekGroove = rgb(40, 52, 46);     // under the seek bar
constexpr std::uint32_t kVolumeGroove = rgb(20, 22, 28);  // under the volume slider
// The seek bar lies at 16,48 .. 284,56 (knob 12 x 8), the volume slider at 196,61 .. 286,73 (knob
// 8 x 12), both running from left to right.
constexpr POINT kSeekStart = {22, 52};       // the seek knob's centre at offset 0
constexpr POINT kVolumeFull = {282, 67};     // the volume knob's centre at full volume
constexpr POINT kVolumeQuiet = {200, 67};    // ... at -100 dB
constexpr int kTolerance = 8;

struct skin_run {
    std::wstring work;
    std::wstring log_file;
    std::wstring shot_file;
    std::vector<std::wstring> args;

    explicit skin_run(const wchar_t* name) : work(temp_folder(name)) {
        log_file = work + L"\\log.txt";
        shot_file = work + L"\\shot.png";
        // Every run ends by the skin's close button; the time limit only guards against a hang.
        args = {L"--skin", source_file("skins/default/skin.lua"), L"--profile", work + L"\\profile",
                L"--log", log_file, L"--debug-log", L"--screenshot", shot_file, L"--full-screen",
                L"--run-for", L"45000"};
    }
    std::string log() const { return read_file(log_file); }
    std::wstring stdout_file() const { return work + L"\\stdout.txt"; }
};

// The skin's main window once the host shows it; null (a failure said) when it never does.
HWND wait_for_main(host_process& host, const skin_run& run) {
    if (!host.started()) {
        ADD_FAILURE() << host.start_error();
        return nullptr;
    }
    const HWND window = host.wait_for_window(L"zin_window_debug", L"main", 30000);
    if (!window) ADD_FAILURE() << "the skin's main window did not show\n" << run.log();
    return window;
}

void expect_clean_exit(const host_process& host, const std::string& log) {
    EXPECT_EQ(0u, host.exit_code()) << log;
    EXPECT_EQ(std::vector<std::string>(), lines_containing(log, "ERROR")) << log;
    EXPECT_EQ(std::vector<std::string>(), lines_containing(log, "WARNING")) << log;
    EXPECT_NE(std::string::npos, log.find("host: all host references released")) << log;
    // The only dialog is the skin's open-file dialog, answered with the skin.
    for (const std::string& line : lines_containing(log, "msgbox: "))
        EXPECT_NE(std::string::npos, line.find("open-file dialog -> ")) << line;
}

// The skin's close button ends the host, cleanly. Returns the run's log; empty when the host did not
// end.
std::string close_by_button(host_process& host, HWND window, const skin_run& run) {
    post_left_click(window, kCloseButton.x, kCloseButton.y);
    if (!host.wait(30000)) {
        ADD_FAILURE() << "the close button did not end the host\n" << run.log();
        return std::string();
    }
    const std::string log = run.log();
    expect_clean_exit(host, log);
    return log;
}

// The screenshot's pixel at a window position.
std::uint32_t pixel(const png_image& shot, POINT at) {
    return shot.pixel(static_cast<std::uint32_t>(kLeft + at.x), static_cast<std::uint32_t>(kTop + at.y));
}

void expect_color(const png_image& shot, POINT at, std::uint32_t expected, const char* what) {
    const std::uint32_t got = pixel(shot, at);
    EXPECT_TRUE(close_to(got, expected, kTolerance))
        << what << " at (" << at.x << ", " << at.y << "): " << colour_text(got) << ", expected "
        << colour_text(expected);
}

// Waits until the screen shows the colour at a window position (however slowly the host paints).
bool on_screen(POINT at, std::uint32_t expected) {
    return wait_for_screen_colour(kLeft + at.x, kTop + at.y, expected, kTolerance, 20000);
}

bool load_shot(const std::wstring& file, png_image& shot) {
    const std::string error = decode_png(read_bytes(file), shot);
    EXPECT_EQ("", error) << "screenshot " << narrow(file);
    return error.empty();
}

// Index of the first line containing text at or after from; npos when none.
size_t find_after(const std::string& log, const std::string& text, size_t from) {
    return from == std::string::npos ? std::string::npos : log.find(text, from);
}

TEST(default_skin, loads_without_errors_and_shows_its_window_stopped) {
    skin_run run(L"show");
    host_process host(run.args, run.stdout_file());
    const HWND window = wait_for_main(host, run);
    ASSERT_NE(nullptr, window);
    // The screenshot is taken as the host quits: close once the first paint has reached the screen.
    EXPECT_TRUE(on_screen(kLamp, kStopped)) << "the stopped lamp never reached the screen\n" << run.log();
    const std::string log = close_by_button(host, window, run);
    ASSERT_FALSE(log.empty());
    EXPECT_NE(std::string::npos, log.find("host: user interface started")) << log;
    EXPECT_NE(std::string::npos, log.find("debug: loading \"main\"")) << log;
    // Nothing played: no play event reached the script.
    EXPECT_EQ(std::string::npos, log.find("console: OnStart")) << log;

    png_image shot;
    if (!load_shot(run.shot_file, shot)) return;
    expect_color(shot, {0, 0}, kBevel, "panel edge");
    expect_color(shot, {150, 56}, kWell, "display well");
    expect_color(shot, kPlayButton, kGlyph, "play glyph");
    expect_color(shot, kCloseButton, kGlyph, "close glyph");
    expect_color(shot, kLamp, kStopped, "status lamp");
    // Outside the window's right edge the panel does not go on.
    EXPECT_FALSE(close_to(pixel(shot, {305, 30}), kWell, kTolerance));
}

TEST(default_skin, play_pause_and_close_buttons_drive_the_player) {
    skin_run run(L"click");
    run.args.push_back(source_file("skins/default/demo.m3u"));
    host_process host(run.args, run.stdout_file());
    const HWND window = wait_for_main(host, run);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(std::string::npos, run.log().find("host: playback: track")) << "played before the click";

    // Play: the host starts the first track and the script hears of it.
    post_left_click(window, kPlayButton.x, kPlayButton.y);
    EXPECT_TRUE(wait_for_text(run.log_file, "console: OnNewTrack", 20000)) << run.log();
    // Pause: the toggle pauses what plays.
    post_left_click(window, kPauseButton.x, kPauseButton.y);
    EXPECT_TRUE(wait_for_text(run.log_file, "console: OnPause", 20000)) << run.log();
    // Close: the skin quits the host, which takes its screenshot at once. Wine copies a window's
    // drawing to the screen a moment after it is made: wait for the paused lamp to get there.
    EXPECT_TRUE(on_screen(kLamp, kPaused)) << "the paused lamp never reached the screen\n" << run.log();
    const std::string log = close_by_button(host, window, run);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(std::string::npos, log.find("--run-for time is over")) << log;
    // The road in order: the button's command, the host plays, the script's callbacks.
    size_t at = find_after(log, "calling trova::play()", 0);
    at = find_after(log, "host: playback: track 1: Demo Band - Demo Track 1", at);
    at = find_after(log, "console: OnStart", at);
    at = find_after(log, "console: OnNewTrack", at);
    at = find_after(log, "calling trova::pause()", at);
    at = find_after(log, "console: OnPause", at);
    at = find_after(log, "calling trova::quit()", at);
    EXPECT_NE(std::string::npos, at) << log;

    // The lamp shows what the script last heard: paused.
    png_image shot;
    if (!load_shot(run.shot_file, shot)) return;
    expect_color(shot, kLamp, kPaused, "status lamp");
    expect_color(shot, {150, 56}, kWell, "display well");
}

// Moves the real mouse to a window position (the window lies at kLeft, kTop).
bool move_to(POINT at) { return real_mouse_move(kLeft + at.x, kTop + at.y); }

TEST(default_skin, seek_bar_and_volume_slider_follow_a_real_mouse) {
    skin_run run(L"sliders");
    host_process host(run.args, run.stdout_file());
    const HWND window = wait_for_main(host, run);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(on_screen(kVolumeFull, kKnob)) << "the volume knob is not at full volume\n" << run.log();
    ASSERT_TRUE(on_screen(kSeekStart, kKnob)) << "the seek knob is not at the start\n" << run.log();

    // Volume: press on the knob, drag it to the middle (c = 45: offset 41 of 82, -50 dB), then on
    // below the window (the knob stops at the left end), and let go there.
    ASSERT_TRUE(move_to(kVolumeFull));
    ASSERT_TRUE(real_left_button(true));
    ASSERT_TRUE(move_to({241, 67}));
    EXPECT_TRUE(wait_for_text(run.log_file, "console: OnVolumeChange -50", 20000)) << run.log();
    EXPECT_TRUE(on_screen({241, 67}, kKnob)) << run.log();
    ASSERT_TRUE(move_to({150, 200}));
    EXPECT_TRUE(wait_for_text(run.log_file, "console: OnVolumeChange -100", 20000)) << run.log();
    ASSERT_TRUE(real_left_button(false));
    EXPECT_TRUE(on_screen(kVolumeQuiet, kKnob)) << run.log();
    EXPECT_TRUE(on_screen(kVolumeFull, kVolumeGroove)) << "the old knob was not painted away";

    // Seek: the knob follows the mouse along the bar; with nothing playing there is nowhere to
    // seek, and on release it goes back to the start.
    ASSERT_TRUE(move_to(kSeekStart));
    ASSERT_TRUE(real_left_button(true));
    ASSERT_TRUE(move_to({150, 52}));
    EXPECT_TRUE(on_screen({150, 52}, kKnob)) << "the seek knob did not follow the mouse\n" << run.log();
    EXPECT_TRUE(on_screen(kSeekStart, kSeekGroove));
    ASSERT_TRUE(real_left_button(false));
    EXPECT_TRUE(on_screen(kSeekStart, kKnob)) << run.log();
    EXPECT_TRUE(on_screen({150, 52}, kSeekGroove)) << run.log();

    const std::string log = close_by_button(host, window, run);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(std::string::npos, log.find("calling trova::seek")) << log;
}

TEST(default_skin, seek_bar_seeks_the_playing_track) {
    skin_run run(L"seek");
    run.args.insert(run.args.end(), {L"--play", source_file("skins/default/demo.m3u")});
    host_process host(run.args, run.stdout_file());
    const HWND window = wait_for_main(host, run);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(wait_for_text(run.log_file, "host: playback: track 1", 20000)) << run.log();

    // Track 1 lasts 12 s (max 120): a press at x 150 puts the knob at offset 128 of 256, position
    // 60; the release seeks to 6 s.
    ASSERT_TRUE(move_to({150, 52}));
    ASSERT_TRUE(real_left_button(true));
    EXPECT_TRUE(on_screen({150, 52}, kKnob)) << run.log();
    ASSERT_TRUE(real_left_button(false));
    EXPECT_TRUE(wait_for_text(run.log_file, "calling trova::seek(6)", 20000)) << run.log();
    EXPECT_TRUE(wait_for_text(run.log_file, "console: OnSeek", 20000)) << run.log();

    EXPECT_FALSE(close_by_button(host, window, run).empty());
}

// The skin in a folder whose name the ANSI code page cannot hold (the test runs under a UTF-8
// locale, so that wine can name it on disk), chosen as a script of such a name that runs the
// skin with dofile: it loads, and its bitmaps load from that folder.
TEST(default_skin, loads_from_a_folder_the_code_page_cannot_spell) {
    skin_run run(L"wide");
    const std::wstring folder = run.work + L"\\\u76ae\u80a4_\u30b9\u30ad\u30f3_\U0001F3B5";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring source = source_file("skins/default");
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW((source + L"\\*.*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            CopyFileW((source + L"\\" + found.cFileName).c_str(), (folder + L"\\" + found.cFileName).c_str(), FALSE);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    const std::wstring script = folder + L"\\\u30b9\u30ad\u30f3.lua";
    ASSERT_TRUE(write_file(script, "dofile('skin.lua')\n"));
    run.args[1] = script;
    host_process host(run.args, run.stdout_file());
    const HWND window = wait_for_main(host, run);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(on_screen(kLamp, kStopped)) << "the stopped lamp never reached the screen\n" << run.log();
    EXPECT_TRUE(on_screen(kPlayButton, kGlyph)) << run.log();
    EXPECT_FALSE(close_by_button(host, window, run).empty());
}

}  // namespace
