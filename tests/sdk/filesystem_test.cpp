// The filesystem statics against fake file systems: picking the owner, paths nobody owns, copies
// (onto itself among them), retries on sharing violations, directory listings and copies, unpackers
// and temporary file names. Every reference handed out must come back.

#include <gtest/gtest.h>
#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/filesystem.h>
#include <trovaplay/shared/shared.h>
#include <zut/string_conv.h>

#include "fake_filesystem.h"
#include "fake_host.h"

namespace {

using trovaplay_io::abort_callback_impl;

// Accepts sources whose text begins with `magic`; hands out the rest of the text as the content.
class fake_unpacker : public file_unpacker {
 public:
  explicit fake_unpacker(std::string p_magic) : magic(std::move(p_magic)) {}
  int service_release() override { return --refs; }
  int service_add_ref() override { return ++refs; }
  void open(filesystem::file_ptr& p_out, const filesystem::file_ptr& p_source,
            trovaplay_io::abort_callback& p_abort) override {
    char head[8] = {};
    const std::uint32_t got = p_source->read(head, static_cast<std::uint32_t>(magic.size()), p_abort);
    if (std::string(head, got) != magic) throw trovaplay_io::exception_io_data();
    opened.emplace_back(content);
    p_out = &opened.back();
  }
  std::string magic;
  std::string content = "unpacked";
  int refs = 1;
  std::list<mem_file> opened;
};

// Records what it digests; the result is the bytes 0x00 to 0x0F.
class fake_digest : public digest_service {
 public:
  int service_release() override { return --refs; }
  int service_add_ref() override { return ++refs; }
  void initialize(state& p_state) override {
    std::memset(&p_state, 0, sizeof(p_state));
    fed.clear();
  }
  void process(state&, const void* p_data, std::uint32_t p_size) override {
    fed.append(static_cast<const char*>(p_data), p_size);
  }
  void get_result(unsigned char* p_out16, state&) override {
    for (int n = 0; n < 16; n++) p_out16[n] = static_cast<unsigned char>(n);
  }
  std::string fed;
  int refs = 1;
};

class FileSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_module_state();
    host.offer(filesystem::class_guid, &remote_fs);
    host.offer(filesystem::class_guid, &local_fs);
    host.offer(filesystem::class_guid, &zip);
    start_services(host);
    remote_fs.remote = true;
    local_fs.dirs.insert("mem://d");
  }
  void TearDown() override {
    EXPECT_EQ(local_fs.refs, 1);
    EXPECT_EQ(remote_fs.refs, 1);
    EXPECT_EQ(zip.refs, 1);
    EXPECT_TRUE(local_fs.files_released());
    EXPECT_TRUE(remote_fs.files_released());
    reset_module_state();
  }
  std::string text(const char* p_path) {
    zut::string8 out;
    filesystem::g_get_canonical_path(p_path, out);
    return out.get_ptr();
  }

  fake_host host;
  mem_fs remote_fs{"net://"};
  mem_fs local_fs{"mem://"};
  mem_archive zip;
  abort_callback_impl abort;
};

TEST_F(FileSystem, PathsNobodyOwns) {
  EXPECT_EQ(text("odd:thing/x"), "odd:thing/x");
  zut::string8 display;
  filesystem::g_get_display_path("odd:thing", display);
  EXPECT_STREQ(display, "odd:thing");
  filesystem::file_ptr f;
  EXPECT_THROW(filesystem::g_open(f, "odd:thing", 0, abort), trovaplay_io::exception_io_no_handler_for_path);
  EXPECT_THROW(filesystem::g_is_remote("odd:thing"), trovaplay_io::exception_io_no_handler_for_path);
  EXPECT_FALSE(filesystem::g_is_remote_or_false("odd:thing"));
  EXPECT_TRUE(filesystem::g_is_remote_or_true("odd:thing"));
  EXPECT_FALSE(filesystem::g_has_owner("odd:thing"));
  EXPECT_THROW(filesystem::g_exists("odd:thing", abort), trovaplay_io::exception_io_no_handler_for_path);
  zut::string8 rel;
  EXPECT_FALSE(filesystem::g_make_relative_path("odd:thing", "mem://d\\list", rel));
  EXPECT_THROW(filesystem::g_move("mem://a", "net://b", abort), trovaplay_io::exception_io_no_handler_for_path);
  // The call-stack tracker scope ended with the call.
  EXPECT_EQ(uCallStackTrackerDepth(), 0u);
}

TEST_F(FileSystem, TheOwnerAnswers) {
  EXPECT_EQ(text("mem://d/x"), "mem://d\\x");
  zut::string8 display;
  filesystem::g_get_display_path("mem://d\\x", display);
  EXPECT_STREQ(display, "d\\x");
  local_fs.display = false;
  filesystem::g_get_display_path("mem://d\\x", display);
  EXPECT_STREQ(display, "mem://d\\x");
  EXPECT_TRUE(filesystem::g_is_remote("net://x"));
  EXPECT_FALSE(filesystem::g_is_remote("mem://x"));

  local_fs.files["mem://d\\a"] = "abc";
  EXPECT_TRUE(filesystem::g_exists("mem://d\\a", abort));
  EXPECT_FALSE(filesystem::g_exists("mem://d\\nothing", abort));
  local_fs.writeable = false;
  EXPECT_FALSE(filesystem::g_exists_writable("mem://d\\a", abort));

  zut::string8 rel, resolved;
  EXPECT_TRUE(filesystem::g_make_relative_path("mem://d\\a", "mem://d\\list.m3u", rel));
  EXPECT_STREQ(rel, "a");
  EXPECT_TRUE(filesystem::g_resolve_relative_path("a", "mem://d\\list.m3u", resolved));
  EXPECT_STREQ(resolved, "mem://d\\a");

  filesystem::g_move("mem://d\\a", "mem://d\\b", abort);
  EXPECT_EQ(local_fs.files.count("mem://d\\b"), 1u);
  filesystem::g_remove("mem://d\\b", abort);
  EXPECT_TRUE(local_fs.files.empty());
}

TEST_F(FileSystem, OpenReadLocalRefusesRemotePaths) {
  remote_fs.files["net://f"] = "x";
  filesystem::file_ptr f;
  EXPECT_THROW(filesystem::g_open_read_local(f, "net://f", abort), trovaplay_io::exception_io_object_is_remote);
  local_fs.files["mem://f"] = "x";
  filesystem::g_open_read_local(f, "mem://f", abort);
  EXPECT_EQ(local_fs.log.back(), "open mem://f 0");
}

TEST_F(FileSystem, CopyMovesTheBytes) {
  local_fs.files["mem://d\\src"] = std::string(3000, 's');
  local_fs.files["mem://d\\dst"] = "old";
  filesystem::g_copy("mem://d\\src", "mem://d\\dst", abort);
  EXPECT_EQ(local_fs.files["mem://d\\dst"], std::string(3000, 's'));
  // The destination was grown once before the copy.
  EXPECT_EQ(local_fs.opened.back().resizes, (std::vector<std::uint64_t>{3000}));
  // An empty source makes an empty destination.
  local_fs.files["mem://d\\empty"] = "";
  filesystem::g_copy("mem://d\\empty", "mem://d\\dst", abort);
  EXPECT_EQ(local_fs.files["mem://d\\dst"], "");
}

TEST_F(FileSystem, CopyOntoItselfLeavesTheFileAlone) {
  local_fs.files["mem://d\\same"] = "precious";
  filesystem::g_copy("mem://d\\same", "mem://d/same", abort);
  EXPECT_EQ(local_fs.files["mem://d\\same"], "precious");
  EXPECT_TRUE(local_fs.log.empty());
  // Outside local paths letter case tells objects apart: that copy is made.
  filesystem::g_copy("mem://d\\same", "mem://d\\SAME", abort);
  EXPECT_EQ(local_fs.files["mem://d\\SAME"], "precious");
}

TEST_F(FileSystem, RetriesWhileSharingIsViolated) {
  local_fs.files["mem://f"] = "x";
  local_fs.sharing_failures = 2;
  filesystem::file_ptr f;
  filesystem::g_open_retrying(f, "mem://f", 0, 5.0, abort);
  EXPECT_EQ(local_fs.log.size(), 3u);
  f.release();
  // With no time left, the violation passes.
  local_fs.sharing_failures = 1000;
  EXPECT_THROW(filesystem::g_copy_retrying("mem://f", "mem://g", -1.0, abort),
               trovaplay_io::exception_io_sharing_violation);
  // An abort ends the waiting.
  abort.abort();
  EXPECT_THROW(filesystem::g_remove_retrying("mem://f", 5.0, abort), trovaplay_io::exception_aborted);
}

TEST_F(FileSystem, DirectoryQueries) {
  EXPECT_TRUE(filesystem::g_directory_is_valid("mem://d", abort));
  EXPECT_TRUE(filesystem::g_directory_is_empty("mem://d", abort));
  EXPECT_FALSE(filesystem::g_directory_is_valid("mem://none", abort));
  EXPECT_FALSE(filesystem::g_directory_is_empty("mem://none", abort));
  local_fs.files["mem://d\\a"] = "1";
  EXPECT_FALSE(filesystem::g_directory_is_empty("mem://d", abort));
}

TEST_F(FileSystem, ListingCollectsFilesAndRecurses) {
  local_fs.dirs.insert("mem://d\\sub");
  local_fs.files["mem://d\\a"] = "1";
  local_fs.files["mem://d\\sub\\b"] = "22";
  trovaplay_io::directory_callback_impl flat(false);
  filesystem::g_list_directory("mem://d", flat, abort);
  ASSERT_EQ(flat.get_count(), 1u);
  EXPECT_STREQ(flat.get_item(0), "mem://d\\a");
  EXPECT_EQ(flat.get_item_stats(0).m_size, 1u);
  trovaplay_io::directory_callback_impl deep(true);
  filesystem::g_list_directory("mem://d", deep, abort);
  ASSERT_EQ(deep.get_count(), 2u);
  EXPECT_STREQ(deep.get_item(0), "mem://d\\sub\\b");
  EXPECT_STREQ(deep.get_item(1), "mem://d\\a");
}

TEST_F(FileSystem, CopyDirectoryCopiesTheTree) {
  local_fs.dirs.insert("mem://d\\sub");
  local_fs.files["mem://d\\a"] = "1";
  local_fs.files["mem://d\\sub\\b"] = "22";
  local_fs.dirs.insert("mem://e");
  filesystem::g_copy_directory("mem://d", "mem://e", abort);
  EXPECT_EQ(local_fs.files["mem://e\\a"], "1");
  EXPECT_EQ(local_fs.files["mem://e\\sub\\b"], "22");
  EXPECT_EQ(local_fs.dirs.count("mem://e\\sub"), 1u);
}

TEST_F(FileSystem, OpenCFileOnlyForLocalPaths) {
  EXPECT_EQ(filesystem::g_open_cfile("mem://x", "rb"), nullptr);
  // A "file://" path that no service owns keeps its form and is opened by the runtime.
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring wide = std::wstring(folder) + L"zin_cfile_test.txt";
  const std::string path = "file://" + std::string(zut::utf8_from_wide(wide.c_str()).get_ptr());
  FILE* f = filesystem::g_open_cfile(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fputs("hi", f);
  fclose(f);
  EXPECT_TRUE(DeleteFileW(wide.c_str()));
}

TEST_F(FileSystem, UnpackersAreTriedInTurn) {
  fake_unpacker no("ZZ"), yes("PK");
  host.offer(file_unpacker::class_guid, &no);
  host.offer(file_unpacker::class_guid, &yes);
  local_fs.files["mem://z"] = "PKdata";
  {
    filesystem::file_ptr source, unpacked;
    filesystem::g_open(source, "mem://z", 0, abort);
    file_unpacker::g_open(unpacked, source, abort);
    EXPECT_EQ(local_fs.opened.back().reopens, 2);
    char buf[16] = {};
    EXPECT_EQ(unpacked->read(buf, sizeof buf, abort), 8u);
    EXPECT_STREQ(buf, "unpacked");

    local_fs.files["mem://plain"] = "text";
    filesystem::g_open(source, "mem://plain", 0, abort);
    EXPECT_THROW(file_unpacker::g_open(unpacked, source, abort), trovaplay_io::exception_io_data);
  }
  EXPECT_EQ(no.refs, 1);
  EXPECT_EQ(yes.refs, 1);
  EXPECT_EQ(yes.opened.front().refs, 0);
}

TEST_F(FileSystem, TempFilePathFromTheDigest) {
  fake_digest digest;
  host.offer(digest_service::class_guid, &digest);
  zut::string8 out;
  make_temp_file_path(out, "mem://d\\song.wav", "tmp", "magic");
  EXPECT_STREQ(out, "mem://d\\temp-000102030405060708090A0B0C0D0E0F.tmp");
  EXPECT_EQ(digest.fed, "mem://d\\song.wavtmpmagic");
  EXPECT_EQ(digest.refs, 1);
  // Two digest services break the single-service rule.
  fake_digest second;
  host.offer(digest_service::class_guid, &second);
  EXPECT_THROW(make_temp_file_path(out, "a", "b", "c"), exception_service_duplicated);
}

}  // namespace
