// Generated hostile skins, each run through the reference host and the real component while the
// demo playlist plays: script errors everywhere, hostile arguments to every script function,
// broken bitmaps, deep recursion, windows closed from their own callbacks, thousands of objects,
// names that are not ASCII, menus opened from inside a paint. Every run must end by itself,
// cleanly: exit code 0 (the skin ran) or 6 (its start-up failed), every host reference given back,
// and a configuration file the component reads again.
//
// 1. Write the bitmaps every skin folder shares (one good, many broken).
// 2. Generate the skins: header (SEED, MODE) + tests/hostile/hostile_body.lua, or a body cut short
//    or spoilt for the syntax errors.
// 3. Run them, several hosts at once, and check each as it ends.

#include "hostile_util.h"

#include <support/files.h>
#include <support/host_process.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace test_support;

// A BMP file: the file header, an info header and pixel bytes, each field given.
struct bmp_fields {
    std::int32_t width = 8, height = 8;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t header_size = 40;
    std::uint32_t colors_used = 0;
    std::uint32_t pixel_offset = 54;
    std::uint32_t pixel_bytes = 8 * 8 * 3;  // bytes actually written
};

std::string bmp(const bmp_fields& f) {
    std::string out;
    auto u16 = [&](std::uint16_t v) { out.append(reinterpret_cast<const char*>(&v), 2); };
    auto u32 = [&](std::uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    out += "BM";
    u32(54 + f.pixel_bytes);
    u32(0);
    u32(f.pixel_offset);
    u32(f.header_size);
    u32(std::uint32_t(f.width));
    u32(std::uint32_t(f.height));
    u16(1);
    u16(f.bits);
    u32(f.compression);
    u32(f.pixel_bytes);
    u32(2835);
    u32(2835);
    u32(f.colors_used);
    u32(0);
    for (std::uint32_t i = 0; i < f.pixel_bytes; ++i) out += char(i * 7);
    return out;
}

// 1. The broken bitmaps: cut, empty, not a bitmap, lying sizes and formats, one really large.
std::vector<std::string> broken_bitmaps() {
    std::vector<std::string> out;
    const std::string good = bmp(bmp_fields());
    out.push_back("");
    out.push_back("B");
    out.push_back(good.substr(0, 14));
    out.push_back(good.substr(0, 54));
    out.push_back(good.substr(0, 100));
    out.push_back("this is a text file, not a bitmap\n");
    out.push_back(std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, '\0'));
    bmp_fields f;
    f.width = 0x7FFFFFFF;
    out.push_back(bmp(f));
    f = bmp_fields();
    f.width = 30000;
    f.height = 30000;
    out.push_back(bmp(f));
    f = bmp_fields();
    f.width = -8;
    out.push_back(bmp(f));
    f = bmp_fields();
    f.height = -8;  // top-down: a valid bitmap
    out.push_back(bmp(f));
    f = bmp_fields();
    f.height = std::int32_t(0x80000000u);
    out.push_back(bmp(f));
    for (std::uint16_t bits : {0, 3, 64}) {
        f = bmp_fields();
        f.bits = bits;
        out.push_back(bmp(f));
    }
    f = bmp_fields();
    f.bits = 8;
    f.compression = 1;  // RLE8 over bytes that are not
    out.push_back(bmp(f));
    f = bmp_fields();
    f.bits = 8;
    f.colors_used = 0xFFFFFFFF;
    out.push_back(bmp(f));
    f = bmp_fields();
    f.header_size = 0xFFFFFFF0;
    out.push_back(bmp(f));
    f = bmp_fields();
    f.pixel_offset = 0x7FFFFFFF;
    out.push_back(bmp(f));
    f = bmp_fields();
    f.width = 2000;
    f.height = 1500;
    f.pixel_bytes = 2000 * 1500 * 3;  // large and real
    out.push_back(bmp(f));
    return out;
}

struct skin_case {
    std::string mode;  // a mode of the body, or "syntax"
    int seed;
    bool non_ascii_folder;
    // A mode that keeps the engine busy for ever (repaints, mouse handlers, player events, group
    // moves of docked windows): its timer must still be seen.
    bool busy() const {
        return mode == "paint" || mode == "dispatch" || mode == "answer" || mode == "dock_grid" ||
               mode == "life_cycle";
    }
    // The host's run time (--run-for), which starts before the skin: the busy skins run long enough
    // for their timer to be seen. The docked grid makes 300 windows first, which on a busy machine
    // takes many seconds: it quits by itself after a hundred group moves, its run time only a bound.
    // So does the life cycle after 150 ticks, which on a busy machine come slowly.
    const wchar_t* run_for() const {
        return mode == "dock_grid" ? L"40000" : mode == "life_cycle" ? L"6000" : busy() ? L"3000" : L"700";
    }
};

// 2. The skins, by mode and count.
std::vector<skin_case> skin_cases() {
    const struct {
        const char* mode;
        int count;
    } plan[] = {
        {"sweep", 120},         {"each_function", 45}, {"toplevel_error", 20}, {"callback_error", 40},
        {"recursion", 10},      {"destroy", 30},       {"thousands", 9},        {"non_ascii", 14},
        {"bitmaps", 12},        {"syntax", 20},        {"stack", 5},           {"paint", 6},
        {"dispatch", 4},        {"answer", 6},         {"closing", 3},         {"memory", 2},
        {"dock_grid", 2},       {"modal_draw", 3},      {"life_cycle", 8},
    };
    std::vector<skin_case> out;
    for (const auto& p : plan)
        for (int i = 0; i < p.count; ++i) out.push_back({p.mode, i + 1, i % 7 == 3});
    return out;
}

// A syntax error: the body cut at a seeded point, or with a seeded spoiler put into it.
std::string spoilt(const std::string& body, int seed) {
    hostile::random r{std::uint32_t(seed)};
    const size_t at = r.below(std::uint32_t(body.size()));
    static const char* const spoilers[] = {"end end", "= =", "function(", "[[", "\"", "local 1", "}", "..."};
    if (seed % 2 == 0) return body.substr(0, at);
    return body.substr(0, at) + " " + spoilers[r.below(8)] + " " + body.substr(at);
}

// modal_draw: no menu is dismissed for it (one shown at shutdown, after the host's message loop
// ended, would wait for ever), and its refusals are read from the debug lines.
void modal_draw_args(std::vector<std::wstring>& args) {
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != L"--menu-pick") continue;
        args.erase(args.begin() + std::ptrdiff_t(i), args.begin() + std::ptrdiff_t(i) + 2);
        break;
    }
    args.push_back(L"--debug-log");
}

// Menus asked for by a draw are refused, and said so: while the host runs and at its shutdown,
// when its playlist notifications draw the part once more.
void check_modal_draw(const std::string& log, const std::string& what) {
    EXPECT_TRUE(has(log, "main menu not shown: a paint is under way")) << what << "\n" << tail(log);
    EXPECT_TRUE(has(log, "context menu not shown: a paint is under way")) << what << "\n" << tail(log);
    const size_t ended = log.find("host: message loop ended");
    EXPECT_NE(ended, std::string::npos) << what << "\n" << tail(log);
    if (ended != std::string::npos) {
        EXPECT_TRUE(has(log.substr(ended), "main menu not shown: a paint is under way")) << what << "\n" << tail(log);
    }
}

TEST(hostile, SkinsEndCleanly) {
    const std::wstring work = temp_folder(L"hostile_skins");
    const std::string body = read_file(source_file("tests/hostile/hostile_body.lua"));
    ASSERT_FALSE(body.empty());
    const std::vector<std::string> bitmaps = broken_bitmaps();
    const std::vector<skin_case> cases = skin_cases();
    ASSERT_GE(cases.size(), 300u);
    std::vector<host_job> jobs;
    for (size_t i = 0; i < cases.size(); ++i) {
        const skin_case& c = cases[i];
        // The folder names that are not ASCII: one the ANSI code page can spell, one it cannot.
        const std::wstring name = std::to_wstring(i) + (!c.non_ascii_folder ? L"" : i % 2 ? L"_\u00e9t\u00e9" : L"_\u4e2d");
        const std::wstring dir = work + L"\\" + name;
        CreateDirectoryW(dir.c_str(), nullptr);
        // 1.
        ASSERT_TRUE(write_file(dir + L"\\good.bmp", bmp(bmp_fields())));
        ASSERT_TRUE(write_file(dir + L"\\broken.bmp", bitmaps[size_t(c.seed) % bitmaps.size()]));
        if (c.mode == "bitmaps") {
            for (size_t b = 0; b < bitmaps.size(); ++b)
                ASSERT_TRUE(write_file(dir + L"\\bad" + std::to_wstring(b) + L".bmp", bitmaps[b]));
        }
        // 2.
        const std::string header = "SEED = " + std::to_string(c.seed) + "\nMODE = \"" + c.mode +
                                   "\"\nBITMAPS = " + std::to_string(bitmaps.size()) + "\n";
        const std::string script = c.mode == "syntax" ? header + spoilt(body, c.seed) : header + body;
        ASSERT_TRUE(write_file(dir + L"\\skin.lua", script));
        // The skins that keep the engine busy run long enough for their timer to be seen.
        jobs.push_back({{L"--skin", dir + L"\\skin.lua", L"--answer", i % 3 ? L"ok" : L"cancel", L"--run-for",
                         c.run_for(), L"--menu-pick", L"(no such item)", L"--play", source_file("skins/default/demo.m3u")},
                        dir});
        if (c.mode == "closing") jobs.back().args.push_back(L"--debug-log");
        if (c.mode == "modal_draw") modal_draw_args(jobs.back().args);
    }
    // 3.
    size_t started_ui = 0;
    run_hosts(jobs, parallel_hosts(), 60000, [&](size_t i, const run_result& r, bool in_time) {
        const skin_case& c = cases[i];
        const std::string what = c.mode + " " + std::to_string(c.seed) + " (" + narrow(jobs[i].work) + ")";
        EXPECT_TRUE(in_time) << what << " hung\n" << tail(r.log);
        EXPECT_TRUE(r.exit_code == 0 || r.exit_code == 6) << what << ": exit code " << r.exit_code << "\n" << tail(r.log);
        EXPECT_TRUE(has(r.log, "host: all host references released")) << what << "\n" << tail(r.log);
        if (r.exit_code == 0) ++started_ui;
        // The skins that keep the engine busy leave its message loop running: their timer ticks.
        if (r.exit_code == 0 && c.busy()) {
            EXPECT_TRUE(has(r.log, "hostile: timer alive")) << what << "\n" << tail(r.log);
        }
        // Menus opened while the skin unloads are refused, and said so.
        if (c.mode == "closing") {
            EXPECT_TRUE(has(r.log, "menu not shown: the skin unloads")) << what << "\n" << tail(r.log);
        }
        if (c.mode == "modal_draw") check_modal_draw(r.log, what);
        EXPECT_FALSE(has(r.log, "hostile: life cycle broken")) << what << "\n" << tail(r.log);
        // Whatever the skin did, the configuration file it left is one the component reads again.
        const std::wstring profile = jobs[i].work + L"\\profile";
        if (GetFileAttributesW((profile + L"\\tro_ui_zin.cfg").c_str()) != INVALID_FILE_ATTRIBUTES) {
            EXPECT_TRUE(hostile::config_loads(profile)) << what;
        }
        EXPECT_EQ(GetFileAttributesW((profile + L"\\tro_ui_zin.cfg.bad").c_str()), INVALID_FILE_ATTRIBUTES) << what;
    });
    // Most skins get as far as their window: the suite tests more than the start-up.
    EXPECT_GT(started_ui, cases.size() / 2);
    if (!HasFailure()) remove_folder(work);
}

}  // namespace
