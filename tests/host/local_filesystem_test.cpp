// The host's file system for "file://" paths, driven through the SDK's filesystem statics as a
// component would: files written and read back, statistics, listings, copies (onto itself too),
// moves, removal, relative paths and the I/O exceptions of Win32 failures.
#include <gtest/gtest.h>

#include <host_object.h>
#include <local_filesystem.h>
#include <registry.h>
#include <text.h>

#include <trovaplay/sdk/core_api.h>
#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/filesystem.h>
#include <trovaplay/sdk/module_state.h>

#include <support/files.h>

namespace {

using test_support::temp_folder;

class LocalFileSystem : public ::testing::Test {
protected:
    void SetUp() override {
        filesystem* fs = host::make_local_filesystem();
        registry.add(filesystem::class_guid, fs, false);
        fs->service_release();
        g_api = &registry;
        trova_module::g_services_available = true;
        folder = temp_folder(L"local_fs");
        base = "file://" + host::to_utf8(folder) + "\\";
    }
    void TearDown() override {
        trova_module::g_services_available = false;
        g_api = nullptr;
        registry.release_all();
        EXPECT_EQ(host::live_host_objects(), 0);
    }
    void write(const std::string& path, const std::string& text) {
        filesystem::file_ptr f;
        filesystem::g_open_new(f, path.c_str(), abort);
        f->write(text.data(), std::uint32_t(text.size()), abort);
    }
    std::string read(const std::string& path) {
        filesystem::file_ptr f;
        filesystem::g_open(f, path.c_str(), filesystem::open_mode_read, abort);
        std::string text(std::size_t(f->get_known_size(abort)), '\0');
        if (!text.empty()) f->read_exact(&text[0], std::uint32_t(text.size()), abort);
        return text;
    }

    host::service_registry registry;
    trovaplay_io::abort_callback_impl abort;
    std::wstring folder;
    std::string base;
};

TEST_F(LocalFileSystem, WriteReadAndStats) {
    const std::string path = base + "a.txt";
    write(path, "hello");
    EXPECT_EQ(read(path), "hello");
    file_stats stats;
    bool writeable = false;
    filesystem::g_get_stats(path.c_str(), stats, writeable, abort);
    EXPECT_EQ(stats.m_size, 5u);
    EXPECT_NE(stats.m_timestamp, 0u);
    EXPECT_TRUE(writeable);
    EXPECT_TRUE(filesystem::g_exists(path.c_str(), abort));
    EXPECT_FALSE(filesystem::g_exists((base + "none.txt").c_str(), abort));
    EXPECT_FALSE(filesystem::g_is_remote(path.c_str()));

    // Seeking, resizing and the position helpers on a real file.
    filesystem::file_ptr f;
    filesystem::g_open(f, path.c_str(), 1, abort);
    f->seek_from(-2, 2, abort);
    EXPECT_EQ(f->remaining_bytes(abort), 2u);
    f->cut_at_position(abort);
    EXPECT_TRUE(f->at_end(abort));
    EXPECT_EQ(f->get_known_size(abort), 3u);
    f.release();
    EXPECT_EQ(read(path), "hel");
}

TEST_F(LocalFileSystem, FailuresAreIoExceptions) {
    filesystem::file_ptr f;
    EXPECT_THROW(filesystem::g_open(f, (base + "none.txt").c_str(), 0, abort), trovaplay_io::exception_io_not_found);
    EXPECT_THROW(filesystem::g_open(f, (base + "no\\dir.txt").c_str(), 0, abort),
                 trovaplay_io::exception_io_not_found);
    EXPECT_THROW(filesystem::g_remove((base + "none.txt").c_str(), abort), trovaplay_io::exception_io_not_found);
    // A file open for writing cannot be opened again.
    const std::string path = base + "busy.txt";
    filesystem::g_open_new(f, path.c_str(), abort);
    filesystem::file_ptr second;
    EXPECT_THROW(filesystem::g_open(second, path.c_str(), 0, abort), trovaplay_io::exception_io_sharing_violation);
    EXPECT_THROW(filesystem::g_open_retrying(second, path.c_str(), 0, 0.05, abort),
                 trovaplay_io::exception_io_sharing_violation);
    f.release();
    filesystem::g_open_retrying(second, path.c_str(), 0, 0.05, abort);
    EXPECT_THROW(filesystem::g_create_directory(base.substr(0, base.size() - 1).c_str(), abort),
                 trovaplay_io::exception_io_already_exists);
}

TEST_F(LocalFileSystem, ListingsCopiesAndMoves) {
    filesystem::g_create_directory((base + "src").c_str(), abort);
    filesystem::g_create_directory((base + "src\\sub").c_str(), abort);
    filesystem::g_create_directory((base + "dst").c_str(), abort);
    EXPECT_TRUE(filesystem::g_directory_is_empty((base + "src\\sub").c_str(), abort));
    write(base + "src\\one.txt", "1");
    write(base + "src\\sub\\two.txt", "22");
    EXPECT_FALSE(filesystem::g_directory_is_empty((base + "src").c_str(), abort));
    EXPECT_FALSE(filesystem::g_directory_is_valid((base + "missing").c_str(), abort));

    trovaplay_io::directory_callback_impl all(true);
    filesystem::g_list_directory((base + "src").c_str(), all, abort);
    ASSERT_EQ(all.get_count(), 2u);

    filesystem::g_copy_directory((base + "src").c_str(), (base + "dst").c_str(), abort);
    EXPECT_EQ(read(base + "dst\\one.txt"), "1");
    EXPECT_EQ(read(base + "dst\\sub\\two.txt"), "22");

    // Copying a file onto itself, by another spelling of its path, keeps its content.
    filesystem::g_copy((base + "dst\\one.txt").c_str(), (base + "dst\\sub\\..\\ONE.txt").c_str(), abort);
    EXPECT_EQ(read(base + "dst\\one.txt"), "1");

    filesystem::g_move((base + "dst\\one.txt").c_str(), (base + "dst\\moved.txt").c_str(), abort);
    EXPECT_FALSE(filesystem::g_exists((base + "dst\\one.txt").c_str(), abort));
    filesystem::g_remove((base + "dst\\moved.txt").c_str(), abort);
    EXPECT_FALSE(filesystem::g_exists((base + "dst\\moved.txt").c_str(), abort));
}

TEST_F(LocalFileSystem, PathForms) {
    zut::string8 out;
    filesystem::g_get_canonical_path((base + "x\\..\\y.txt").c_str(), out);
    EXPECT_EQ(std::string(out.get_ptr()), base + "y.txt");
    filesystem::g_get_display_path("file://C:\\music\\a.mp3", out);
    EXPECT_STREQ(out, "C:\\music\\a.mp3");
    EXPECT_TRUE(filesystem::g_make_relative_path("file://C:\\music\\sub\\a.mp3", "file://C:\\music\\list.m3u", out));
    EXPECT_STREQ(out, "sub\\a.mp3");
    EXPECT_FALSE(filesystem::g_make_relative_path("file://D:\\a.mp3", "file://C:\\music\\list.m3u", out));
    EXPECT_TRUE(filesystem::g_resolve_relative_path("sub\\a.mp3", "file://C:\\music\\list.m3u", out));
    EXPECT_STREQ(out, "file://C:\\music\\sub\\a.mp3");
    EXPECT_TRUE(filesystem::g_resolve_relative_path("D:\\b.mp3", "file://C:\\music\\list.m3u", out));
    EXPECT_STREQ(out, "file://D:\\b.mp3");
    EXPECT_FALSE(filesystem::g_resolve_relative_path("http://x/y", "file://C:\\music\\list.m3u", out));
    FILE* f = filesystem::g_open_cfile((base + "c.txt").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    EXPECT_TRUE(filesystem::g_exists((base + "c.txt").c_str(), abort));
}

}  // namespace
