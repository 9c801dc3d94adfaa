// --screenshot: the skin's windows (or with --full-screen the whole screen) as a PNG, taken while
// the skin's window is still on it.
#include <gtest/gtest.h>

#include <support/files.h>
#include <support/host_process.h>
#include <support/png_read.h>

namespace {

using namespace test_support;

// A red window at (100, 100) - (300, 250) with a blue square at (20, 20) - (60, 60) inside.
const char kSkin[] =
    "main = window.new('main', 50, 50, rect.new(100, 100, 300, 250))\n"
    "main:add(color_rect.new(rect.new(0, 0, 200, 150), color.new(255, 0, 0)))\n"
    "main:add(color_rect.new(rect.new(20, 20, 60, 60), color.new(0, 0, 255)))\n"
    "main:create()\n";

TEST(screenshot, HoldsJustTheSkinWindow) {
    const std::wstring work = temp_folder(L"screenshot_crop");
    const std::wstring skin = work + L"\\skin.lua";
    ASSERT_TRUE(write_file(skin, kSkin));
    const std::wstring shot = work + L"\\shot.png";
    const run_result r = run_host({L"--skin", skin, L"--run-for", L"1500", L"--screenshot", shot}, work);
    EXPECT_EQ(r.exit_code, 0u) << r.log;
    EXPECT_TRUE(has(r.log, "host: screenshot 200x150 at (100, 100) saved to ")) << r.log;
    png_image img;
    ASSERT_EQ(decode_png(read_bytes(shot), img), "");
    ASSERT_EQ(img.width, 200u);
    ASSERT_EQ(img.height, 150u);
    EXPECT_EQ(img.pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(img.pixel(199, 149), 0xFF0000u);
    EXPECT_EQ(img.pixel(20, 20), 0x0000FFu);
    EXPECT_EQ(img.pixel(59, 59), 0x0000FFu);
}

TEST(screenshot, FullScreenShowsTheSkinWindowWhereTheSkinPutIt) {
    const std::wstring work = temp_folder(L"screenshot");
    const std::wstring skin = work + L"\\skin.lua";
    ASSERT_TRUE(write_file(skin, kSkin));
    const std::wstring shot = work + L"\\shot.png";
    const run_result r =
        run_host({L"--skin", skin, L"--run-for", L"1500", L"--screenshot", shot, L"--full-screen"}, work);
    EXPECT_EQ(r.exit_code, 0u) << r.log;
    EXPECT_TRUE(has(r.log, "host: screenshot ")) << r.log;

    png_image img;
    ASSERT_EQ(decode_png(read_bytes(shot), img), "");
    EXPECT_EQ(img.width, std::uint32_t(GetSystemMetrics(SM_CXVIRTUALSCREEN)));
    EXPECT_EQ(img.height, std::uint32_t(GetSystemMetrics(SM_CYVIRTUALSCREEN)));
    ASSERT_GE(img.width, 400u);
    ASSERT_GE(img.height, 300u);
    EXPECT_EQ(img.pixel(100, 100), 0xFF0000u);  // the window's corners
    EXPECT_EQ(img.pixel(299, 249), 0xFF0000u);
    EXPECT_EQ(img.pixel(200, 200), 0xFF0000u);
    EXPECT_EQ(img.pixel(120, 120), 0x0000FFu);  // the square
    EXPECT_EQ(img.pixel(159, 159), 0x0000FFu);
    EXPECT_EQ(img.pixel(160, 160), 0xFF0000u);
    EXPECT_NE(img.pixel(99, 99), 0xFF0000u);    // just outside
    EXPECT_NE(img.pixel(300, 250), 0xFF0000u);
}

TEST(screenshot, AnUnwritablePathIsAnErrorNotACrash) {
    const std::wstring work = temp_folder(L"screenshot_bad");
    const run_result r = run_host({L"--component", beside_this_program(L"host_probe.dll"), L"--run-for", L"0",
                                   L"--screenshot", work + L"\\missing\\shot.png"},
                                  work);
    EXPECT_EQ(r.exit_code, 5u) << r.log;  // the run still ends in order, but does not claim success
    EXPECT_TRUE(has(r.log, "host: ERROR : cannot write the screenshot ")) << r.log;
    EXPECT_TRUE(has(r.log, "host: all host references released")) << r.log;
}

}  // namespace
