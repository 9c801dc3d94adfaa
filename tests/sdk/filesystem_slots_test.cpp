// Slot positions of the file-system interfaces: each fake records the slot it answers as, and is
// called through its virtual table by slot number, as a host built by another compiler would.

#include <gtest/gtest.h>
#include <trovaplay/sdk/filesystem.h>

#include <vector>

#include "slot_call.h"

namespace {

using trovaplay_io::abort_callback;
typedef void(THISCALL* path_fn)(void*, const char*, abort_callback&);

std::vector<int> g_log;

class recording_archive : public archive {
 public:
  int service_release() override { return 1; }
  int service_add_ref() override { return 1; }
  bool get_canonical_path(const char*, zut::string_base&) override { return hit(3); }
  bool owns_path(const char*) override { return hit(4); }
  bool get_display_path(const char*, zut::string_base&) override { return hit(5); }
  void open(file_ptr&, const char*, std::uint32_t, abort_callback&) override { hit(6); }
  void remove(const char*, abort_callback&) override { hit(7); }
  void move(const char*, const char*, abort_callback&) override { hit(8); }
  bool is_remote(const char*) override { return hit(9); }
  void get_stats(const char*, file_stats&, bool&, abort_callback&) override { hit(10); }
  bool make_relative_path(const char*, const char*, zut::string_base&) override { return hit(11); }
  bool resolve_relative_path(const char*, const char*, zut::string_base&) override { return hit(12); }
  void create_directory(const char*, abort_callback&) override { hit(13); }
  void list_directory(const char*, trovaplay_io::directory_callback&, abort_callback&) override { hit(14); }
  const char* archive_type() override {
    hit(17);
    return "t";
  }
  file_stats* get_member_stats(file_stats* p_out, const char*, const char*, abort_callback&) override {
    hit(18);
    return &(*p_out = {1, 2});
  }
  void open_member(file_ptr&, const char*, const char*, abort_callback&) override { hit(19); }

 private:
  static bool hit(int p_slot) {
    g_log.push_back(p_slot);
    return true;
  }
};

class recording_file : public trovaplay_io::file {
 public:
  int service_release() override { return 1; }
  int service_add_ref() override { return 1; }
  std::uint32_t read(void*, std::uint32_t, abort_callback&) override { return hit(100); }
  void write(const void*, std::uint32_t, abort_callback&) override { hit(200); }
  std::uint64_t get_size(abort_callback&) override { return hit(3); }
  std::uint64_t get_position(abort_callback&) override { return hit(4); }
  void resize(std::uint64_t, abort_callback&) override { hit(5); }
  void seek(std::uint64_t, abort_callback&) override { hit(6); }
  bool can_seek() override { return hit(8); }
  std::uint64_t get_timestamp(abort_callback&) override { return hit(12); }
  void reopen(abort_callback&) override { hit(13); }

 private:
  static int hit(int p_slot) {
    g_log.push_back(p_slot);
    return 1;
  }
};

TEST(FileSystemSlots, FilesystemAndArchive) {
  g_log.clear();
  recording_archive a;
  filesystem* fs = &a;
  void* obj = fs;
  trovaplay_io::abort_callback_impl abort;
  zut::string8 out;
  filesystem::file_ptr f;
  file_stats stats;
  bool writeable;
  trovaplay_io::directory_callback_impl list(false);
  slot<bool(THISCALL*)(void*, const char*, zut::string_base&)>(obj, 3)(obj, "p", out);
  slot<bool(THISCALL*)(void*, const char*)>(obj, 4)(obj, "p");
  slot<bool(THISCALL*)(void*, const char*, zut::string_base&)>(obj, 5)(obj, "p", out);
  slot<void(THISCALL*)(void*, filesystem::file_ptr&, const char*, std::uint32_t, abort_callback&)>(obj, 6)(
      obj, f, "p", 0, abort);
  slot<path_fn>(obj, 7)(obj, "p", abort);
  slot<void(THISCALL*)(void*, const char*, const char*, abort_callback&)>(obj, 8)(obj, "p", "q", abort);
  slot<bool(THISCALL*)(void*, const char*)>(obj, 9)(obj, "p");
  slot<void(THISCALL*)(void*, const char*, file_stats&, bool&, abort_callback&)>(obj, 10)(obj, "p", stats,
                                                                                        writeable, abort);
  slot<bool(THISCALL*)(void*, const char*, const char*, zut::string_base&)>(obj, 11)(obj, "p", "q", out);
  slot<bool(THISCALL*)(void*, const char*, const char*, zut::string_base&)>(obj, 12)(obj, "p", "q", out);
  slot<path_fn>(obj, 13)(obj, "p", abort);
  slot<void(THISCALL*)(void*, const char*, trovaplay_io::directory_callback&, abort_callback&)>(obj, 14)(
      obj, "p", list, abort);
  slot<const char*(THISCALL*)(void*)>(obj, 17)(obj);
  EXPECT_EQ((slot<file_stats*(THISCALL*)(void*, file_stats*, const char*, const char*, abort_callback&)>(obj, 18)(
                obj, &stats, "a", "m", abort)),
            &stats);
  EXPECT_EQ(stats.m_timestamp, 2u);
  slot<void(THISCALL*)(void*, filesystem::file_ptr&, const char*, const char*, abort_callback&)>(obj, 19)(
      obj, f, "a", "m", abort);
  EXPECT_EQ(g_log, (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 17, 18, 19}));
}

TEST(FileSystemSlots, FileAndItsStreamBases) {
  g_log.clear();
  recording_file rf;
  trovaplay_io::file* file = &rf;
  void* obj = file;
  trovaplay_io::abort_callback_impl abort;
  slot<std::uint64_t(THISCALL*)(void*, abort_callback&)>(obj, 3)(obj, abort);
  slot<std::uint64_t(THISCALL*)(void*, abort_callback&)>(obj, 4)(obj, abort);
  slot<void(THISCALL*)(void*, std::uint64_t, abort_callback&)>(obj, 5)(obj, 1, abort);
  slot<void(THISCALL*)(void*, std::uint64_t, abort_callback&)>(obj, 6)(obj, 1, abort);
  slot<bool(THISCALL*)(void*)>(obj, 8)(obj);
  slot<std::uint64_t(THISCALL*)(void*, abort_callback&)>(obj, 12)(obj, abort);
  slot<void(THISCALL*)(void*, abort_callback&)>(obj, 13)(obj, abort);
  // The reader and writer parts, each with its own table, in the order of the bases.
  trovaplay_io::stream_reader* reader = file;
  trovaplay_io::stream_writer* writer = file;
  EXPECT_GT(static_cast<void*>(reader), obj);
  EXPECT_GT(static_cast<void*>(writer), static_cast<void*>(reader));
  char buffer[4];
  void* r = reader;
  void* w = writer;
  slot<std::uint32_t(THISCALL*)(void*, void*, std::uint32_t, abort_callback&)>(r, 0)(r, buffer, 4, abort);
  slot<void(THISCALL*)(void*, const void*, std::uint32_t, abort_callback&)>(w, 0)(w, buffer, 4, abort);
  EXPECT_EQ(g_log, (std::vector<int>{3, 4, 5, 6, 8, 12, 13, 100, 200}));
}

}  // namespace
