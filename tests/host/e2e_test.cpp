// End to end: starts trovaplay.exe (beside this test program) as its own process and reads its log
// file and its standard output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <text.h>

#include <support/files.h>
#include <support/host_process.h>

namespace {

using namespace test_support;

TEST(e2e, RealComponentLoadsRegistersAndExitsCleanly) {
    const std::wstring work = temp_folder(L"e2e_real");
    const run_result r = run_host({L"--run-for", L"500"}, work);
    EXPECT_EQ(r.exit_code, 6u) << r.log;  // the user interface did not start
    EXPECT_TRUE(has(r.log, "host: loaded ")) << r.log;
    EXPECT_TRUE(has(r.log, "(interface version 71)")) << r.log;
    EXPECT_TRUE(has(r.log, "host: registered componentversion {10BB3EBD-DDF7-4975-A3CC-23084829453E}")) << r.log;
    EXPECT_TRUE(has(r.log, "host: component zin_window_debug 0.1 (tro_ui_zin.dll): skinnable ui for trovaplay"))
        << r.log;
    // No skin was given: the user interface's open-file dialog was cancelled and the host went on
    // to exit without waiting for --run-for.
    EXPECT_TRUE(has(r.log, "host: ERROR : the user interface gave no main window: its last message: Open: "
                           "open-file dialog -> cancel (no --skin)\n")) << r.log;
    EXPECT_TRUE(has(r.log, "host: component unloaded")) << r.log;
    EXPECT_TRUE(has(r.log, "host: all host references released")) << r.log;
    EXPECT_EQ(r.log.find("ERROR"), r.log.rfind("ERROR")) << r.log;  // that line alone
    // Every log line went to standard output too.
    EXPECT_EQ(r.out, r.log);
    // The component's blob was saved to the profile.
    EXPECT_NE(GetFileAttributesW((work + L"\\profile\\trovaplay_blob_tro_ui_zin.bin").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST(e2e, ProbeSeesTheRegistryAndItsConsoleLinesReachTheLog) {
    const std::wstring work = temp_folder(L"e2e_probe");
    const std::vector<std::wstring> args = {L"--run-for", L"100", L"--component", beside_this_program(L"host_probe.dll")};
    const run_result first = run_host(args, work);
    EXPECT_EQ(first.exit_code, 0u) << first.log;
    const std::string& log = first.log;
    EXPECT_TRUE(has(log, "host: component host_probe 1.0 (host_probe.dll): end-to-end probe of the host")) << log;
    EXPECT_TRUE(has(log, "console: probe: previous blob ''\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: unknown class count 0\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: unknown class create 0 no\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: console receivers 1\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: create at last index ok yes\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: create past the end no\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: refcount add 3 release 2\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: componentversion services 1\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: profile file://")) << log;
    EXPECT_TRUE(has(log, "console: probe: main thread yes\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: main window yes\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: shutting down yes\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: initializing no\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: library host_probe.dll\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: file read back 'probe text'\n")) << log;
    EXPECT_TRUE(has(log, "console: probe: file exists after removal no\n")) << log;
    // The probe offers no user interface: the host runs until --run-for is over.
    EXPECT_TRUE(has(log, "host: no user interface offered; running without one\n")) << log;
    EXPECT_TRUE(has(log, "host: --run-for time is over\n")) << log;
    EXPECT_TRUE(has(log, "console: ERROR : probe error line\n")) << log;
    // The probe kept a console receiver until its module unloaded: still every reference balanced.
    EXPECT_TRUE(has(log, "host: all host references released")) << log;

    // The blob saved at the first exit is handed back at the second start.
    const run_result second = run_host(args, work);
    EXPECT_EQ(second.exit_code, 0u) << second.log;
    EXPECT_TRUE(has(second.log, "host: configuration blob handed back (33 bytes from ")) << second.log;
    EXPECT_TRUE(has(second.log, "console: probe: previous blob 'probe-blob-v1'\n")) << second.log;
}

TEST(e2e, PlaysAPlaylistGivenOnTheCommandLine) {
    const std::wstring work = temp_folder(L"e2e_play");
    const std::wstring list = work + L"\\list.m3u";
    ASSERT_TRUE(
        write_file(list, "#EXTM3U\r\n#EXTINF:60,Band - Song One\r\none.mp3\r\n#EXTINF:bad,Two\r\ntwo.mp3\r\n"));
    // A folder and a missing file come first: they cannot be played, and playback goes on past them.
    const run_result r = run_host(
        {L"--run-for", L"300", L"--play", work, work + L"\\gone.mp3", list, work + L"\\missing.m3u"}, work);
    EXPECT_EQ(r.exit_code, 6u) << r.log;  // no skin was given: the user interface did not start
    EXPECT_TRUE(has(r.log, "host: WARNING : " + host::to_utf8(list) + ": line 4: bad length \"bad\"")) << r.log;
    EXPECT_TRUE(has(r.log, "host: ERROR : playlist: cannot open ")) << r.log;
    EXPECT_TRUE(has(r.log, "host: playlist: 4 tracks")) << r.log;
    const std::vector<std::string> unplayable = lines_containing(untimed(r.log), "cannot be played");
    ASSERT_EQ(unplayable.size(), 2u) << r.log;
    EXPECT_TRUE(has(unplayable[0], "host: ERROR : playback: track 1 cannot be played: ") &&
                has(unplayable[0], " is a folder")) << unplayable[0];
    EXPECT_EQ(unplayable[1], "host: ERROR : playback: track 2 cannot be played: no such file: " +
                                 host::to_utf8(work) + "\\gone.mp3");
    EXPECT_TRUE(has(r.log, "host: playback: track 3: Band - Song One\n")) << r.log;
    EXPECT_TRUE(has(r.log, "host: playback: stopped (the host is quitting)\n")) << r.log;  // stopped for the exit
    EXPECT_TRUE(has(r.log, "host: all host references released")) << r.log;
}

// Playlist, profile, log and screenshot in a folder named in several scripts. The skin's own folder
// passes the ANSI code page at the script boundary: its name keeps to Western letters.
TEST(e2e, RunsOverPathsInAnyLanguage) {
    const std::wstring top = temp_folder(L"e2e_names");
    const std::wstring work = top + L"\\\u00DCn\u00EFc\u00F8d\u00E9 \u97F3\u697D";
    const std::wstring skin = top + L"\\\u00DCn\u00EFc\u00F8d\u00E9";
    ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(skin.c_str(), nullptr));
    ASSERT_TRUE(write_file(skin + L"\\skin.lua",
                           "main = window.new('main', 50, 50, rect.new(100, 100, 300, 250))\n"
                           "main:add(color_rect.new(rect.new(0, 0, 200, 150), color.new(255, 0, 0)))\n"
                           "main:create()\n"));
    ASSERT_TRUE(write_file(work + L"\\list.m3u", "#EXTINF:60,Band - Song\r\nsong.mp3\r\n"));
    const std::wstring shot = work + L"\\shot.png";
    const run_result r = run_host({L"--skin", skin + L"\\skin.lua", L"--run-for", L"1500", L"--play", L"--screenshot",
                                   shot, work + L"\\list.m3u"},
                                  work);
    EXPECT_EQ(r.exit_code, 0u) << r.log;
    EXPECT_EQ(lines_containing(r.log, "ERROR"), std::vector<std::string>()) << r.log;
    EXPECT_TRUE(has(r.log, "host: playback: track 1: Band - Song\n")) << r.log;
    EXPECT_TRUE(has(r.log, "host: screenshot 200x150 at (100, 100) saved to " + host::to_utf8(shot))) << r.log;
    EXPECT_NE(GetFileAttributesW((work + L"\\profile\\tro_ui_zin.cfg").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(e2e, BadCommandLineAndMissingComponent) {
    const std::wstring work = temp_folder(L"e2e_bad");
    const run_result bad = run_host({L"--no-such-option"}, work);
    EXPECT_EQ(bad.exit_code, 1u);
    EXPECT_TRUE(has(bad.out, "host: ERROR : unknown option: --no-such-option")) << bad.out;
    const run_result help = run_host({L"--help"}, work);
    EXPECT_EQ(help.exit_code, 0u);
    EXPECT_EQ(help.out.compare(0, 7, "usage: "), 0) << help.out;  // plain lines: no time, no mark

    const run_result missing = run_host({L"--run-for", L"0", L"--component", work + L"\\nothing.dll"}, work);
    EXPECT_EQ(missing.exit_code, 2u) << missing.log;
    EXPECT_TRUE(has(missing.log, "host: ERROR : cannot load ")) << missing.log;
    EXPECT_TRUE(has(missing.log, "host: all host references released")) << missing.log;
}

}  // namespace
