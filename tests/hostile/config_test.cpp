// Corrupt configuration files, each in the profile of a reference host that starts a good skin:
// every run must end cleanly (exit code 0, or 6 when the file named a skin that is not there),
// every host reference given back, and the user's file kept: a file the component could not read
// is kept beside it as "tro_ui_zin.cfg.bad", byte for byte, and the file written in its place is
// one the component reads.
//
// 1. A good run writes the file every corrupt one is made from.
// 2. Generate the corrupt files: every truncation, a lying 32-bit field at every offset, seeded
//    byte changes, garbage with and without the version, junk appended, a huge count.
// 3. Run them, several hosts at once, and check each as it ends.

#include "hostile_util.h"

#include <support/files.h>
#include <support/host_process.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace test_support;

// Values of every kind, and a window state.
const char kSkin[] =
    "w = window.new('keeper', 40, 30, rect.new(420, 330, 520, 400))\n"
    "config.save(config.load(0, 'runs') + 1, 'runs')\n"
    "config.save('a text \\233', 'note')\n"
    "config.save(true, 'flag')\n"
    "config.save(0.25, 'volume')\n"
    "if not config.load_windows() then w:create() end\n";

std::vector<std::string> corrupt_files(const std::string& base) {
    std::vector<std::string> out;
    hostile::random r(21);
    // Every truncation.
    for (size_t n = 0; n < base.size(); ++n) out.push_back(base.substr(0, n));
    // A lying 32-bit field at every offset.
    const std::uint32_t lies[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x40000000u, 0u, std::uint32_t(base.size())};
    for (size_t at = 0; at + 4 <= base.size(); ++at) {
        std::string s = base;
        const std::uint32_t v = lies[at % 6];
        memcpy(&s[at], &v, 4);
        out.push_back(s);
    }
    // Garbage, half of it behind the right version.
    for (int i = 0; i < 100; ++i) {
        std::string s(r.below(4096), '\0');
        for (char& c : s) c = char(r.next());
        if (i % 2 && s.size() >= 4) s.replace(0, 4, base, 0, 4);
        out.push_back(s);
    }
    // Junk after a good file, and a huge count after the colours.
    for (int i = 0; i < 20; ++i) out.push_back(base + std::string(1 + r.below(64), char(r.next())));
    std::string huge = base.substr(0, std::min<size_t>(base.size(), 68));
    const std::uint32_t count = 0x10000000u;
    huge.append(reinterpret_cast<const char*>(&count), 4);
    huge.append(2 << 20, 'x');
    out.push_back(huge);
    // Seeded byte changes, up to well over a thousand files.
    while (out.size() < 1100) {
        std::string s = base;
        for (std::uint32_t k = 1 + r.below(3); k > 0 && !s.empty(); --k) s[r.below(std::uint32_t(s.size()))] = char(r.next());
        out.push_back(s);
    }
    return out;
}

TEST(hostile, CorruptConfigurationFilesAreKeptAndReplaced) {
    const std::wstring work = temp_folder(L"hostile_config");
    const std::wstring skin = work + L"\\keeper.lua";
    ASSERT_TRUE(write_file(skin, kSkin));
    // 1.
    const std::wstring base_dir = work + L"\\base";
    CreateDirectoryW(base_dir.c_str(), nullptr);
    const run_result first = run_host({L"--skin", skin, L"--run-for", L"300"}, base_dir);
    ASSERT_EQ(first.exit_code, 0u) << first.log;
    const std::string base = read_file(base_dir + L"\\profile\\tro_ui_zin.cfg");
    ASSERT_GT(base.size(), 68u);
    // 2.
    const std::vector<std::string> files = corrupt_files(base);
    ASSERT_GE(files.size(), 1000u);
    std::vector<host_job> jobs;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::wstring dir = work + L"\\" + std::to_wstring(i);
        CreateDirectoryW(dir.c_str(), nullptr);
        CreateDirectoryW((dir + L"\\profile").c_str(), nullptr);
        ASSERT_TRUE(write_file(dir + L"\\profile\\tro_ui_zin.cfg", files[i]));
        jobs.push_back({{L"--skin", skin, L"--run-for", L"0", L"--debug-log"}, dir});
    }
    // 3.
    size_t unreadable = 0;
    run_hosts(jobs, parallel_hosts(), 60000, [&](size_t i, const run_result& r, bool in_time) {
        const std::string what = "file " + std::to_string(i) + " (" + narrow(jobs[i].work) + ")";
        EXPECT_TRUE(in_time) << what << " hung\n" << tail(r.log);
        EXPECT_TRUE(r.exit_code == 0 || r.exit_code == 6) << what << ": exit code " << r.exit_code << "\n" << tail(r.log);
        EXPECT_TRUE(has(r.log, "host: all host references released")) << what << "\n" << tail(r.log);
        const std::wstring profile = jobs[i].work + L"\\profile";
        if (has(r.log, "debug: !!loading of config failed")) {
            ++unreadable;
            EXPECT_EQ(read_file(profile + L"\\tro_ui_zin.cfg.bad"), files[i]) << what << " was not kept\n" << tail(r.log);
        }
        EXPECT_TRUE(hostile::config_loads(profile)) << what << ": the file left behind does not load\n" << tail(r.log);
    });
    EXPECT_GT(unreadable, files.size() / 2);  // most of them are really broken
    if (!HasFailure()) remove_folder(work);
}

}  // namespace
