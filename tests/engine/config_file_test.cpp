// The configuration file against hand-built bytes: every item type read and written back byte for
// byte, the refused files (old version, unknown type, cut or hostile), the atomic replace that keeps
// the old file when a save fails, the unreadable file kept aside, and a non-ASCII profile folder.

#include "config_test_util.h"

#include "fake_host.h"

#include <trovaplay/sdk/console.h>

#include <random>

namespace {

using config_test::bytes;

const wchar_t kSkin[] = L"C:\\skins\\a.lua";

// Version, colours (i * 0x010203, or all 0), skin path and the section count.
bytes header(const std::wstring& skin_path, uint32_t sections, bool colours = true) {
    bytes b;
    b.u32(8);
    for (uint32_t i = 0; i < 16; ++i) b.u32(colours ? 0x00010203u * i : 0);
    return b.wstr(skin_path).u32(sections);
}

bytes logfont(int32_t height, int32_t weight, uint8_t italic, const std::string& face) {
    bytes b;
    b.i32(height).i32(0).i32(0).i32(0).i32(weight);
    b.u8(italic).u8(0).u8(0).u8(1).u8(0).u8(0).u8(0).u8(0);
    std::string name = face;
    name.resize(32, '\0');
    return b.raw(name.data(), 32);
}

// One value of every type, a string with two choices, one with none, two window states and a
// second section without anything.
bytes full_file() {
    bytes b = header(kSkin, 2);
    b.wstr(kSkin).u32(7);
    b.u8(1).str("volume").str("number").f64(0.75);
    b.u8(0).str("shuffle").str("bool").u8(1);
    b.u8(1).str("accent").str("color").u32(0x00112233);
    b.u8(1).str("title font").str("font").append(logfont(-12, 700, 1, "Arial"));
    b.u8(1).str("area").str("rect").rect(-5, 10, 300, 400);
    b.u8(1).str("mode").str("string").wstr(L"wide").u32(2).wstr(L"narrow").wstr(L"wide \u00e9");
    b.u8(1).str("empty").str("string").wstr(L"").u32(0);
    b.u32(2);
    b.u32(1).rect(100, 200, 400, 310).str("main");
    b.u32(0).rect(0, 0, 50, 60).str("playlist");
    b.wstr(L"D:\\other.lua").u32(0).u32(0);
    return b;
}

class ConfigFile : public config_test::profile_fixture {
protected:
    // The store as after start-up: a skin path and no sections.
    void expect_untouched_store(const wchar_t* path) {
        EXPECT_EQ(0u, g_skin_sections.getSize());
        EXPECT_EQ(nullptr, g_current_section);
        ASSERT_NE(nullptr, g_skin_path.get());
        EXPECT_EQ(std::wstring(path), g_skin_path.get());
    }
};

TEST_F(ConfigFile, AStoreWithoutSectionsIsVersionColoursPathAndAZeroCount) {
    set_skin_path(kSkin);
    for (uint32_t i = 0; i < 16; ++i) g_custom_colors[i] = 0x00010203u * i;
    ASSERT_TRUE(save_config());
    const std::string written = cfg_bytes();
    EXPECT_EQ(header(kSkin, 0).data, written);
    EXPECT_EQ(4u + 64 + 4 + 2 * wcslen(kSkin) + 4, written.size());
    EXPECT_FALSE(config_test::exists(cfg() + L".tmp"));
}

TEST_F(ConfigFile, EveryItemTypeLoadsAndIsWrittenBackByteForByte) {
    const bytes file = full_file();
    ASSERT_TRUE(write_cfg(file));
    ASSERT_TRUE(load_config());

    EXPECT_EQ(std::wstring(kSkin), g_skin_path.get());
    EXPECT_EQ(0x00010203u * 5, g_custom_colors[5]);
    ASSERT_EQ(2u, g_skin_sections.getSize());
    skin_section& s = g_skin_sections[0];
    EXPECT_EQ(std::wstring(kSkin), s.key.get());
    ASSERT_EQ(7u, s.values.getSize());
    EXPECT_EQ(0.75, static_cast<zin_config::conf_number*>(find_named_value(s, "VOLUME")->item)->value());
    named_value* shuffle = find_named_value(s, "shuffle");
    EXPECT_FALSE(shuffle->show_in_prefs);
    EXPECT_TRUE(static_cast<zin_config::conf_bool*>(shuffle->item)->value());
    EXPECT_EQ(0x00112233u, static_cast<zin_config::conf_color*>(find_named_value(s, "accent")->item)->value());
    const LOGFONTA& lf = static_cast<zin_config::conf_font*>(find_named_value(s, "title font")->item)->value();
    EXPECT_EQ(-12, lf.lfHeight);
    EXPECT_EQ(700, lf.lfWeight);
    EXPECT_EQ(1, lf.lfItalic);
    EXPECT_STREQ("Arial", lf.lfFaceName);
    const RECT& area = static_cast<zin_config::conf_rect*>(find_named_value(s, "area")->item)->value();
    EXPECT_EQ(-5, area.left);
    EXPECT_EQ(400, area.bottom);
    auto* mode = static_cast<zin_config::conf_string*>(find_named_value(s, "mode")->item);
    EXPECT_STREQ(L"wide", mode->get());
    ASSERT_EQ(2u, mode->m_choices.getSize());
    EXPECT_STREQ(L"wide \u00e9", mode->m_choices[1].get());
    EXPECT_STREQ(L"", static_cast<zin_config::conf_string*>(find_named_value(s, "empty")->item)->get());
    ASSERT_EQ(2u, s.states.getSize());
    EXPECT_EQ(1u, s.states[0].state);
    EXPECT_STREQ("main", s.states[0].name.get());
    EXPECT_EQ(310, s.states[0].rect.bottom);
    EXPECT_STREQ("playlist", s.states[1].name.get());
    EXPECT_EQ(std::wstring(L"D:\\other.lua"), g_skin_sections[1].key.get());

    ASSERT_TRUE(DeleteFileW(cfg().c_str()));
    ASSERT_TRUE(save_config());
    EXPECT_EQ(file.data, cfg_bytes());
}

TEST_F(ConfigFile, OldVersionsUnknownTypesAndCutFilesAreRefusedWhole) {
    // Version 7: nothing of the file is used.
    std::string old_version = full_file().data;
    old_version[0] = 7;
    set_skin_path(L"C:\\keep.lua");
    ASSERT_TRUE(config_test::write_whole(cfg(), old_version));
    EXPECT_FALSE(load_config());
    expect_untouched_store(L"C:\\keep.lua");
    EXPECT_EQ(0u, g_custom_colors[5]);

    // A value of type "bitmap".
    bytes bitmap = header(kSkin, 1);
    bitmap.wstr(kSkin).u32(1).u8(1).str("picture").str("bitmap").u32(0).u32(0);
    ASSERT_TRUE(write_cfg(bitmap));
    EXPECT_FALSE(load_config());
    expect_untouched_store(L"C:\\keep.lua");
    EXPECT_EQ(0u, g_custom_colors[5]);  // not even the colours read before the failure

    // Cut anywhere: at every length short of the whole.
    const std::string whole = full_file().data;
    for (size_t length = 0; length < whole.size(); ++length) {
        ASSERT_TRUE(config_test::write_whole(cfg(), whole.substr(0, length)));
        EXPECT_FALSE(load_config()) << "cut at " << length;
        expect_untouched_store(L"C:\\keep.lua");
    }
    // A missing file too.
    DeleteFileW(cfg().c_str());
    EXPECT_FALSE(load_config());
    expect_untouched_store(L"C:\\keep.lua");
}

TEST_F(ConfigFile, HugeCountsFailBeforeAnythingIsAllocated) {
    set_skin_path(L"C:\\keep.lua");
    std::vector<bytes> files;
    files.push_back(header(L"", 0xFFFFFFFFu));                         // sections
    bytes path = header(L"", 0);
    path.data.replace(68, 4, std::string("\xFF\xFF\xFF\x7F", 4));    // skin path length
    files.push_back(path);
    files.push_back(header(kSkin, 1).u32(0xFFFFFFF0u));               // key length
    files.push_back(header(kSkin, 1).wstr(kSkin).u32(0x40000000u));   // named values
    files.push_back(header(kSkin, 1).wstr(kSkin).u32(1).u8(1).u32(0xFFFFFFFFu));  // name length
    files.push_back(header(kSkin, 1).wstr(kSkin).u32(1).u8(1).str("m").str("string").wstr(L"x").u32(0xFFFFFFFFu));
    files.push_back(header(kSkin, 1).wstr(kSkin).u32(0).u32(0x10000000u));  // window states
    for (size_t i = 0; i < files.size(); ++i) {
        ASSERT_TRUE(write_cfg(files[i]));
        EXPECT_FALSE(load_config()) << "file " << i;
        expect_untouched_store(L"C:\\keep.lua");
    }
}

TEST_F(ConfigFile, ALengthOfAllOnesInAFileOfMoreThan4GiBIsRefused) {
    set_skin_path(L"C:\\keep.lua");
    // The name's length passes the check against the bytes left only in a file that large; the
    // file is sparse, so it takes no room on the disk.
    ASSERT_TRUE(write_cfg(header(kSkin, 1).wstr(kSkin).u32(1).u8(1).u32(0xFFFFFFFFu)));
    HANDLE file = CreateFileW(cfg().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 0x100000100LL;
    EXPECT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
    EXPECT_FALSE(load_config());
    expect_untouched_store(L"C:\\keep.lua");
    // A file that loads again, so that no later save keeps the huge one aside.
    ASSERT_TRUE(write_cfg(header(kSkin, 0)));
    EXPECT_TRUE(load_config());
}

TEST_F(ConfigFile, RandomBytesInEveryFieldNeverCrashAndWhatLoadsSavesAgain) {
    const std::string whole = full_file().data;
    std::mt19937 random(1234);
    int loaded = 0;
    for (size_t at = 0; at < whole.size(); ++at) {
        // Every byte once, alternately a random value and all bits set (the largest counts).
        std::string changed = whole;
        changed[at] = at % 2 == 0 ? static_cast<char>(random() & 0xFF) : '\xFF';
        ASSERT_TRUE(config_test::write_whole(cfg(), changed));
        set_skin_path(L"C:\\keep.lua");
        if (load_config()) {
            ++loaded;
            ASSERT_TRUE(save_config()) << "byte " << at;
            clear_skin_sections();
            EXPECT_TRUE(load_config()) << "byte " << at;
        } else {
            expect_untouched_store(L"C:\\keep.lua");
        }
        clear_skin_sections();
    }
    EXPECT_GT(loaded, 0);
}

TEST_F(ConfigFile, BoolBytesAreNormalisedAndFaceNamesTerminated) {
    bytes b = header(kSkin, 1);
    b.wstr(kSkin).u32(2);
    b.u8(0x40).str("flag").str("bool").u8(0x7F);
    b.u8(1).str("f").str("font").append(logfont(10, 400, 0, std::string(32, 'A')));
    b.u32(0);
    ASSERT_TRUE(write_cfg(b));
    ASSERT_TRUE(load_config());
    skin_section& s = g_skin_sections[0];
    EXPECT_TRUE(s.values[0].show_in_prefs);
    EXPECT_EQ(31u, strlen(static_cast<zin_config::conf_font*>(s.values[1].item)->value().lfFaceName));
    ASSERT_TRUE(save_config());
    bytes expected = header(kSkin, 1);
    expected.wstr(kSkin).u32(2);
    expected.u8(1).str("flag").str("bool").u8(1);
    expected.u8(1).str("f").str("font").append(logfont(10, 400, 0, std::string(31, 'A')));
    expected.u32(0);
    EXPECT_EQ(expected.data, cfg_bytes());
}

TEST_F(ConfigFile, AFailedSaveLeavesThePreviousFileAsItWas) {
    const std::string previous = full_file().data;
    ASSERT_TRUE(config_test::write_whole(cfg(), previous));
    ASSERT_TRUE(load_config());
    set_skin_path(L"C:\\changed.lua");
    // The temporary file cannot be made: a folder stands in its place.
    const std::wstring temporary = cfg() + L".tmp";
    ASSERT_TRUE(CreateDirectoryW(temporary.c_str(), nullptr));
    EXPECT_FALSE(save_config());
    EXPECT_EQ(previous, cfg_bytes());
    ASSERT_TRUE(RemoveDirectoryW(temporary.c_str()));
    EXPECT_TRUE(save_config());
    EXPECT_NE(previous, cfg_bytes());
    EXPECT_FALSE(config_test::exists(temporary));

    // Without a skin path nothing is written and the file stays.
    const std::string saved = cfg_bytes();
    set_skin_path(nullptr);
    EXPECT_FALSE(save_config());
    EXPECT_EQ(saved, cfg_bytes());

    // Without a profile folder no file is touched, not even one named ".tmp" in the working folder.
    const std::wstring bare = profile + L"\\.tmp";
    ASSERT_TRUE(config_test::write_whole(bare, "kept"));
    wchar_t previous_dir[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous_dir);
    ASSERT_TRUE(SetCurrentDirectoryW(profile.c_str()));
    set_skin_path(L"C:\\changed.lua");
    g_profile_dir = nullptr;
    EXPECT_FALSE(save_config());
    SetCurrentDirectoryW(previous_dir);
    EXPECT_EQ("kept", config_test::read_whole(bare));
    DeleteFileW(bare.c_str());
}

TEST_F(ConfigFile, ASaveThatChangesNothingLeavesTheFileAloneAndADifferentFileIsReplaced) {
    const std::string previous = full_file().data;
    ASSERT_TRUE(config_test::write_whole(cfg(), previous));
    ASSERT_TRUE(load_config());
    // With a folder in the temporary file's place any write would fail: none is needed.
    const std::wstring temporary = cfg() + L".tmp";
    ASSERT_TRUE(CreateDirectoryW(temporary.c_str(), nullptr));
    EXPECT_TRUE(save_config());
    EXPECT_EQ(previous, cfg_bytes());
    // The same length with one byte changed on disk, and a cut file: both are written over.
    for (const std::string& on_disk : {std::string(previous).replace(100, 1, "\x7f"), previous.substr(0, 50)}) {
        ASSERT_TRUE(config_test::write_whole(cfg(), on_disk));
        EXPECT_FALSE(save_config());
        EXPECT_EQ(on_disk, cfg_bytes());
    }
    ASSERT_TRUE(RemoveDirectoryW(temporary.c_str()));
    EXPECT_TRUE(save_config());
    EXPECT_EQ(previous, cfg_bytes());
    // A missing file is written.
    ASSERT_TRUE(DeleteFileW(cfg().c_str()));
    EXPECT_TRUE(save_config());
    EXPECT_EQ(previous, cfg_bytes());
}

TEST_F(ConfigFile, AProfileFolderWithNonAsciiCharactersWorks) {
    const std::wstring name = L"zin_cfg_\u00e9\u0416\u4e2d";
    use_profile(name);
    set_skin_path(L"C:\\sk\u00e9ns\\\u0416.lua");
    ASSERT_TRUE(save_config());
    ASSERT_TRUE(config_test::exists(cfg()));
    set_skin_path(nullptr);
    ASSERT_TRUE(load_config());
    EXPECT_EQ(std::wstring(L"C:\\sk\u00e9ns\\\u0416.lua"), g_skin_path.get());
}

class ConfigFileConsole : public ConfigFile {
protected:
    fake_host host;
    fake_console_receiver receiver{0};
    void SetUp() override {
        ConfigFile::SetUp();
        reset_module_state();
        host.offer(console_receiver::class_guid, &receiver);
        start_services(host);
    }
    void TearDown() override {
        reset_module_state();
        ConfigFile::TearDown();
    }
};

TEST_F(ConfigFileConsole, AnUnreadableFileIsKeptAsideBeforeItIsReplaced) {
    const std::string broken = "not a configuration file at all";
    ASSERT_TRUE(config_test::write_whole(cfg(), broken));
    EXPECT_FALSE(load_config());
    set_skin_path(kSkin);
    ASSERT_TRUE(save_config());
    EXPECT_EQ(broken, config_test::read_whole(cfg() + L".bad"));
    EXPECT_EQ(header(kSkin, 0, false).data, cfg_bytes());
    ASSERT_EQ(1u, receiver.lines.size());
    EXPECT_EQ("WARNING : the configuration file could not be read; it was kept as " +
                  profile_utf8 + "\\tro_ui_zin.cfg.bad",
              receiver.lines[0]);
    // Said once: the next save has nothing to keep.
    ASSERT_TRUE(save_config());
    EXPECT_EQ(1u, receiver.lines.size());
    EXPECT_EQ(broken, config_test::read_whole(cfg() + L".bad"));

    // A missing file is nothing to keep.
    ASSERT_TRUE(DeleteFileW((cfg() + L".bad").c_str()));
    ASSERT_TRUE(DeleteFileW(cfg().c_str()));
    EXPECT_FALSE(load_config());
    ASSERT_TRUE(save_config());
    EXPECT_FALSE(config_test::exists(cfg() + L".bad"));
}

}  // namespace
