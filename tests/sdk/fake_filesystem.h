#pragma once
// Fakes of the host's file-system side for the SDK layer's tests: a memory file, a file system over
// a map of paths ("<prefix>dir\name"), an archive over a map of members, unpackers and a digest.
// Every fake counts its references; each test checks that they balance.

#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/filesystem.h>

#include <cstring>
#include <list>
#include <map>
#include <set>
#include <string>
#include <vector>

// A file over a text held elsewhere. Counted, never deleted by its count (the owner keeps it).
class mem_file : public trovaplay_io::file {
 public:
  explicit mem_file(std::string& p_data) : m_data(p_data) {}
  int service_release() override { return --refs; }
  int service_add_ref() override { return ++refs; }

  std::uint32_t read(void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback&) override {
    reads.push_back(p_bytes);
    const std::uint64_t left = position < m_data.size() ? m_data.size() - position : 0;
    const std::uint32_t n = p_bytes < left ? p_bytes : static_cast<std::uint32_t>(left);
    std::memcpy(p_buffer, m_data.data() + position, n);
    position += n;
    return n;
  }
  void write(const void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback&) override {
    if (m_data.size() < position + p_bytes) m_data.resize(position + p_bytes);
    std::memcpy(&m_data[position], p_buffer, p_bytes);
    position += p_bytes;
  }
  std::uint64_t get_size(trovaplay_io::abort_callback&) override { return no_size ? filesize_invalid : m_data.size(); }
  std::uint64_t get_position(trovaplay_io::abort_callback&) override { return position; }
  void resize(std::uint64_t p_size, trovaplay_io::abort_callback&) override {
    resizes.push_back(p_size);
    m_data.resize(p_size);
  }
  void seek(std::uint64_t p_position, trovaplay_io::abort_callback&) override { position = p_position; }
  bool can_seek() override { return seekable; }
  std::uint64_t get_timestamp(trovaplay_io::abort_callback&) override { return timestamp; }
  void reopen(trovaplay_io::abort_callback&) override {
    reopens++;
    position = 0;
  }
  const std::string& data() const { return m_data; }

  int refs = 0;
  std::uint64_t position = 0;
  bool no_size = false;
  bool seekable = true;
  std::uint64_t timestamp = 0x01D0000000000000ull;
  int reopens = 0;
  std::vector<std::uint64_t> resizes;
  std::vector<std::uint32_t> reads;

 private:
  std::string& m_data;
};

// A file system owning the paths that begin with its prefix. Directories are the paths in `dirs`;
// files the keys of `files`. Every open makes a new mem_file over the stored text.
class mem_fs : public filesystem {
 public:
  explicit mem_fs(std::string p_prefix) : prefix(std::move(p_prefix)) {}
  int service_release() override { return --refs; }
  int service_add_ref() override { return ++refs; }

  bool get_canonical_path(const char* p_path, zut::string_base& p_out) override {
    if (!owns_path(p_path)) return false;
    std::string path = p_path;
    for (std::size_t n = prefix.size(); n < path.size(); n++)
      if (path[n] == '/') path[n] = '\\';
    p_out = path.c_str();
    return true;
  }
  bool owns_path(const char* p_path) override { return std::strncmp(p_path, prefix.c_str(), prefix.size()) == 0; }
  bool get_display_path(const char* p_path, zut::string_base& p_out) override {
    if (!display) return false;
    p_out = p_path + prefix.size();
    return true;
  }
  void open(file_ptr& p_out, const char* p_path, std::uint32_t p_mode, abort_callback&) override {
    log.push_back("open " + std::string(p_path) + " " + std::to_string(p_mode));
    if (sharing_failures > 0) {
      sharing_failures--;
      throw trovaplay_io::exception_io_sharing_violation();
    }
    if (p_mode == open_mode_write_new) {
      files[p_path].clear();
    } else if (!files.count(p_path)) {
      throw trovaplay_io::exception_io_not_found();
    }
    opened.emplace_back(files[p_path]);
    p_out = &opened.back();
  }
  void remove(const char* p_path, abort_callback&) override {
    if (sharing_failures > 0) {
      sharing_failures--;
      throw trovaplay_io::exception_io_sharing_violation();
    }
    if (!files.erase(p_path)) throw trovaplay_io::exception_io_not_found();
  }
  void move(const char* p_from, const char* p_to, abort_callback&) override {
    log.push_back("move " + std::string(p_from) + " " + p_to);
    files[p_to] = files.at(p_from);
    files.erase(p_from);
  }
  bool is_remote(const char*) override { return remote; }
  void get_stats(const char* p_path, file_stats& p_stats, bool& p_is_writeable, abort_callback&) override {
    if (!files.count(p_path)) throw trovaplay_io::exception_io_not_found();
    p_stats = {files[p_path].size(), 1234};
    p_is_writeable = writeable;
  }
  bool make_relative_path(const char* p_file_path, const char* p_playlist_path, zut::string_base& p_out) override {
    const std::string file = p_file_path, list = p_playlist_path;
    const std::string dir = list.substr(0, list.rfind('\\') + 1);
    if (dir.empty() || file.compare(0, dir.size(), dir) != 0) return false;
    p_out = file.substr(dir.size()).c_str();
    return true;
  }
  bool resolve_relative_path(const char* p_relative_path, const char* p_playlist_path,
                             zut::string_base& p_out) override {
    const std::string list = p_playlist_path;
    if (std::strstr(p_relative_path, "://") || !owns_path(p_playlist_path)) return false;
    p_out = (list.substr(0, list.rfind('\\') + 1) + p_relative_path).c_str();
    return true;
  }
  void create_directory(const char* p_path, abort_callback&) override { dirs.insert(p_path); }
  void list_directory(const char* p_path, trovaplay_io::directory_callback& p_callback,
                      abort_callback& p_abort) override {
    const std::string base = std::string(p_path) + "\\";
    if (!dirs.count(p_path)) throw trovaplay_io::exception_io_not_found();
    for (const std::string& d : dirs)
      if (is_child(base, d) && !p_callback.on_item(this, p_abort, d.c_str(), true, file_stats{filesize_invalid, 0}))
        return;
    for (const auto& f : files) {
      if (!is_child(base, f.first)) continue;
      if (!p_callback.on_item(this, p_abort, f.first.c_str(), false, file_stats{f.second.size(), 77})) return;
    }
  }

  std::string prefix;
  int refs = 1;
  bool remote = false;
  bool writeable = true;
  bool display = true;
  int sharing_failures = 0;
  std::map<std::string, std::string> files;
  std::set<std::string> dirs;
  std::list<mem_file> opened;
  std::vector<std::string> log;

  // Every file handed out has been released.
  bool files_released() const {
    for (const mem_file& f : opened)
      if (f.refs != 0) return false;
    return true;
  }

 private:
  static bool is_child(const std::string& p_base, const std::string& p_path) {
    return p_path.size() > p_base.size() && p_path.compare(0, p_base.size(), p_base) == 0 &&
           p_path.find('\\', p_base.size()) == std::string::npos;
  }
};

// An archive of type "zip" whose members are kept in a map by "<archive>|<member>".
class mem_archive : public archive_impl {
 public:
  int service_release() override { return --refs; }
  int service_add_ref() override { return ++refs; }
  const char* archive_type() override { return "zip"; }
  file_stats* get_member_stats(file_stats* p_out, const char* p_archive, const char* p_member,
                               abort_callback&) override {
    const std::string key = std::string(p_archive) + "|" + p_member;
    if (!members.count(key)) throw trovaplay_io::exception_io_not_found();
    return &(*p_out = {members[key].size(), 99});
  }
  using archive::get_member_stats;
  void open_member(file_ptr& p_out, const char* p_archive, const char* p_member, abort_callback&) override {
    const std::string key = std::string(p_archive) + "|" + p_member;
    if (!members.count(key)) throw trovaplay_io::exception_io_not_found();
    opened.emplace_back(members[key]);
    p_out = &opened.back();
  }

  int refs = 1;
  std::map<std::string, std::string> members;
  std::list<mem_file> opened;
};
