// Archive paths (parse and make round trips, malformed counts) and the file-system slots of an
// archive over fake file systems.

#include <gtest/gtest.h>
#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/filesystem.h>

#include "fake_filesystem.h"
#include "fake_host.h"

namespace {

using trovaplay_io::abort_callback_impl;

bool parse(const char* p_path, std::string& p_archive, std::string& p_member) {
  zut::string8 a("unchanged"), m("unchanged");
  const bool ok = archive::archive_parse_path(p_path, a, m);
  p_archive = a.get_ptr();
  p_member = m.get_ptr();
  return ok;
}

TEST(ArchivePath, RoundTrips) {
  for (const char* archive_path : {"mem://d\\a.zip", "x", "mem://we|ird|name.zip", "unpack://zip|3|abc|inner"}) {
    for (const char* member : {"song.wav", "", "dir\\x|y"}) {
      zut::string8 path;
      archive::archive_make_path(path, archive_path, member, "zip");
      std::string a, m;
      ASSERT_TRUE(parse(path, a, m)) << path.get_ptr();
      EXPECT_EQ(a, archive_path);
      EXPECT_EQ(m, member);
    }
  }
  zut::string8 path;
  archive::archive_make_path(path, "abcde", "m", "rar");
  EXPECT_STREQ(path, "unpack://rar|5|abcde|m");
}

TEST(ArchivePath, MalformedPathsFailAndLeaveTheOutputs) {
  std::string a, m;
  EXPECT_TRUE(parse("unpack://zip|5|abcde|m", a, m));
  EXPECT_EQ(a, "abcde");
  const char* bad[] = {
      "no bar at all",
      "unpack://zip|0|abcde|m",     // a count of 0
      "unpack://zip|x|abcde|m",     // no digits
      "unpack://zip|5abcde|m",      // the bar after the count is missing: the counted bytes run out
      "unpack://zip|5|abcdef|m",    // no "|" right after the counted bytes
      "unpack://zip|5|abc",         // the terminator among them
      "unpack://zip|9999999999|a|", // a count far past the end
      "unpack://zip|4294967297|a|m", // a count past 32 bits is not read as its low bits (1)
      "unpack://zip|18446744073709551617|a|m", // nor past 64 bits
      "unpack://zip|5",             // nothing after the count
  };
  for (const char* path : bad) {
    EXPECT_FALSE(parse(path, a, m)) << path;
    EXPECT_EQ(a, "unchanged") << path;
    EXPECT_EQ(m, "unchanged") << path;
  }
}

class Archive : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_module_state();
    host.offer(filesystem::class_guid, &zip);
    host.offer(filesystem::class_guid, &local_fs);
    host.offer(filesystem::class_guid, &remote_fs);
    start_services(host);
    remote_fs.remote = true;
    zut::string8 p;
    archive::archive_make_path(p, "mem://d/a.zip", "inner\\song.wav", "zip");
    path = p.get_ptr();
    zip.members["mem://d/a.zip|inner\\song.wav"] = "member data";
  }
  void TearDown() override {
    EXPECT_EQ(zip.refs, 1);
    EXPECT_EQ(local_fs.refs, 1);
    for (const mem_file& f : zip.opened) EXPECT_EQ(f.refs, 0);
    reset_module_state();
  }
  fake_host host;
  mem_archive zip;
  mem_fs local_fs{"mem://"};
  mem_fs remote_fs{"net://"};
  abort_callback_impl abort;
  std::string path;
};

TEST_F(Archive, OwnsOnlyItsType) {
  EXPECT_TRUE(zip.owns_path(path.c_str()));
  EXPECT_FALSE(zip.owns_path("unpack://rar|1|a|b"));
  EXPECT_FALSE(zip.owns_path("unpack://zipx|1|a|b"));
  EXPECT_FALSE(zip.owns_path("mem://d/a.zip"));
}

TEST_F(Archive, PathsGoThroughTheArchivePart) {
  zut::string8 out;
  filesystem::g_get_canonical_path(path.c_str(), out);
  EXPECT_STREQ(out, "unpack://zip|13|mem://d\\a.zip|inner\\song.wav");
  filesystem::g_get_display_path(path.c_str(), out);
  EXPECT_STREQ(out, "d/a.zip|inner\\song.wav");
  EXPECT_FALSE(zip.get_canonical_path("unpack://zip|0|x|y", out));
  EXPECT_FALSE(zip.make_relative_path(path.c_str(), "mem://d/list.m3u", out));  // the fake splits at "\\" only
  EXPECT_TRUE(zip.make_relative_path("unpack://zip|9|mem://d\\a|m", "mem://d\\list.m3u", out));
  EXPECT_STREQ(out, "unpack://zip|1|a|m");
  EXPECT_FALSE(zip.resolve_relative_path("a|m", "mem://d\\list.m3u", out));
}

TEST_F(Archive, OpensMembersForReadingOnly) {
  filesystem::file_ptr f;
  filesystem::g_open(f, path.c_str(), 0, abort);
  char buf[32] = {};
  f->read(buf, sizeof buf, abort);
  EXPECT_STREQ(buf, "member data");
  f.release();
  EXPECT_THROW(filesystem::g_open(f, path.c_str(), 2, abort), trovaplay_io::exception_io_denied);
  EXPECT_THROW(filesystem::g_open(f, "unpack://zip|99|x|y", 0, abort), trovaplay_io::exception_io_not_found);
  EXPECT_THROW(filesystem::g_remove(path.c_str(), abort), trovaplay_io::exception_io_denied);
  EXPECT_THROW(filesystem::g_move(path.c_str(), path.c_str(), abort), trovaplay_io::exception_io_denied);
  EXPECT_THROW(filesystem::g_create_directory(path.c_str(), abort), trovaplay_io::exception_io_denied);
  trovaplay_io::directory_callback_impl list(false);
  EXPECT_THROW(filesystem::g_list_directory(path.c_str(), list, abort), trovaplay_io::exception_io_not_found);
}

TEST_F(Archive, StatsOfMembers) {
  file_stats stats = {};
  bool writeable = true;
  filesystem::g_get_stats(path.c_str(), stats, writeable, abort);
  EXPECT_EQ(stats.m_size, 11u);
  EXPECT_EQ(stats.m_timestamp, 99u);
  EXPECT_FALSE(writeable);
  EXPECT_FALSE(filesystem::g_is_remote(path.c_str()));
  zut::string8 remote;
  archive::archive_make_path(remote, "net://a.zip", "m", "zip");
  EXPECT_TRUE(filesystem::g_is_remote(remote));
  EXPECT_THROW(filesystem::g_get_stats(remote, stats, writeable, abort), trovaplay_io::exception_io_object_is_remote);
  EXPECT_FALSE(filesystem::g_exists("unpack://zip|9|mem://d\\a|missing", abort));
  EXPECT_FALSE(zip.is_remote("unpack://zip|bad"));
}

}  // namespace
