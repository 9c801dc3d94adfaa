#pragma once
// The file-system model: the `filesystem` service class with the statics that pick the service owning
// a path, archives and their paths ("unpack://<type>|<length>|<archive path>|<member>"), unpackers,
// the digest service, directory listing callbacks and temporary file names.

#include <trovaplay/sdk/file.h>
#include <trovaplay/sdk/service.h>
#include <zut/list.h>
#include <zut/string.h>

#include <cstdio>

class filesystem;

namespace trovaplay_io {

// Told of each entry of a listed directory; false stops the listing.
class directory_callback {
 public:
  virtual bool on_item(filesystem* p_owner, abort_callback& p_abort, const char* p_url, bool p_is_subdirectory,
                       const file_stats& p_stats) = 0;  // 0

 protected:
  directory_callback() = default;
  directory_callback(const directory_callback&) = default;
  directory_callback& operator=(const directory_callback&) = default;
  ~directory_callback() = default;
};

// Collects the files of a listing (and, with recursion, of its subdirectories).
class directory_callback_impl : public directory_callback {
 public:
  struct t_entry {
    zut::string8_t<zut::alloc_standard> m_path;
    file_stats m_stats;
  };

  explicit directory_callback_impl(bool p_recursive) : m_recursive(p_recursive) {}
  bool on_item(filesystem* p_owner, abort_callback& p_abort, const char* p_url, bool p_is_subdirectory,
               const file_stats& p_stats) override;

  t_size get_count() const { return m_entries.get_count(); }
  const char* get_item(t_size p_index) const { return m_entries[p_index]->m_path.get_ptr(); }
  const file_stats& get_item_stats(t_size p_index) const { return m_entries[p_index]->m_stats; }

 private:
  zut::list_t<zut::rc_container_ref<t_entry>> m_entries;
  bool m_recursive;
};

}  // namespace trovaplay_io

// Slots after the three of service_base. A service owns the paths for which owns_path is true.
class filesystem : public service_base {
  TROVA_SERVICE_INTERFACE({0x2FBCE1E5, 0x902E, 0x49E0, {0xB9, 0xCF, 0xCE, 0x0F, 0xBA, 0x76, 0x53, 0x48}})
 public:
  typedef trovaplay_io::abort_callback abort_callback;
  typedef service_ptr_t<trovaplay_io::file> file_ptr;

  // Open modes.
  static const std::uint32_t open_mode_read = 0;
  static const std::uint32_t open_mode_write_new = 2;  // created or emptied

  virtual bool get_canonical_path(const char* p_path, zut::string_base& p_out) = 0;      // 3
  virtual bool owns_path(const char* p_path) = 0;                                        // 4
  virtual bool get_display_path(const char* p_path, zut::string_base& p_out) = 0;        // 5
  virtual void open(file_ptr& p_out, const char* p_path, std::uint32_t p_mode, abort_callback& p_abort) = 0;  // 6
  virtual void remove(const char* p_path, abort_callback& p_abort) = 0;                  // 7
  virtual void move(const char* p_from, const char* p_to, abort_callback& p_abort) = 0;  // 8
  virtual bool is_remote(const char* p_path) = 0;                                        // 9
  virtual void get_stats(const char* p_path, file_stats& p_stats, bool& p_is_writeable,
                         abort_callback& p_abort) = 0;                                   // 10
  virtual bool make_relative_path(const char* p_file_path, const char* p_playlist_path,
                                  zut::string_base& p_out) = 0;                          // 11
  virtual bool resolve_relative_path(const char* p_relative_path, const char* p_playlist_path,
                                     zut::string_base& p_out) = 0;                       // 12
  virtual void create_directory(const char* p_path, abort_callback& p_abort) = 0;       // 13
  virtual void list_directory(const char* p_path, trovaplay_io::directory_callback& p_callback,
                              abort_callback& p_abort) = 0;                              // 14

  // ---- Statics. Those that need the owner of a path take the first service in enumeration order
  // whose owns_path is true; without one they throw exception_io_no_handler_for_path unless said.
  static bool g_find_service(service_ptr_t<filesystem>& p_out, const char* p_path);  // false: no owner
  // The first service that produces a canonical form; none: the path unchanged.
  static void g_get_canonical_path(const char* p_path, zut::string_base& p_out);
  // The owner's display form; no owner or no answer: the path unchanged.
  static void g_get_display_path(const char* p_path, zut::string_base& p_out);
  static void g_open(file_ptr& p_out, const char* p_path, std::uint32_t p_mode, abort_callback& p_abort);
  static void g_get_stats(const char* p_path, file_stats& p_stats, bool& p_is_writeable, abort_callback& p_abort);
  static void g_remove(const char* p_path, abort_callback& p_abort);
  static void g_create_directory(const char* p_path, abort_callback& p_abort);
  static void g_list_directory(const char* p_path, trovaplay_io::directory_callback& p_callback,
                               abort_callback& p_abort);
  // The first service that owns both paths; a move never crosses services.
  static void g_move(const char* p_from, const char* p_to, abort_callback& p_abort);
  // Opens for reading; a remote path throws exception_io_object_is_remote.
  static void g_open_read_local(file_ptr& p_out, const char* p_path, abort_callback& p_abort);
  static bool g_is_remote(const char* p_path);
  static bool g_is_remote_or_false(const char* p_path);  // no owner: false
  static bool g_is_remote_or_true(const char* p_path);   // no owner: true
  static bool g_has_owner(const char* p_path);
  // The owner of the file path answers; no owner: false.
  static bool g_make_relative_path(const char* p_file_path, const char* p_playlist_path, zut::string_base& p_out);
  // The first service that answers true; none: false.
  static bool g_resolve_relative_path(const char* p_relative_path, const char* p_playlist_path,
                                      zut::string_base& p_out);
  // Not found: false; other failures pass. g_exists_writable answers the writeable flag.
  static bool g_exists(const char* p_path, abort_callback& p_abort);
  static bool g_exists_writable(const char* p_path, abort_callback& p_abort);
  // Any I/O failure answers false.
  static bool g_directory_is_empty(const char* p_path, abort_callback& p_abort);
  static bool g_directory_is_valid(const char* p_path, abort_callback& p_abort);
  static void g_open_new(file_ptr& p_out, const char* p_path, abort_callback& p_abort);
  static void g_open_tempfile(file_ptr& p_out, abort_callback& p_abort);  // "tempfile://"
  static void g_open_tempmem(file_ptr& p_out, abort_callback& p_abort);   // "tempmem://"
  // Copies a file; a source and destination with the same canonical form leave the file alone.
  static void g_copy(const char* p_from, const char* p_to, abort_callback& p_abort);
  // Copies the files and subdirectories of a directory into an existing one.
  static void g_copy_directory(const char* p_from, const char* p_to, abort_callback& p_abort);
  // The same operations retried while they meet a sharing violation, until p_timeout seconds passed.
  static void g_open_retrying(file_ptr& p_out, const char* p_path, std::uint32_t p_mode, double p_timeout,
                              abort_callback& p_abort);
  static void g_remove_retrying(const char* p_path, double p_timeout, abort_callback& p_abort);
  static void g_move_retrying(const char* p_from, const char* p_to, double p_timeout, abort_callback& p_abort);
  static void g_copy_retrying(const char* p_from, const char* p_to, double p_timeout, abort_callback& p_abort);
  // A runtime-library stream of a local ("file://") path, or null.
  static FILE* g_open_cfile(const char* p_path, const char* p_mode);

 protected:
  filesystem() = default;
  ~filesystem() = default;
};

// A file system whose own paths are archive paths. Slots 15 and 16 are the host's own.
class archive : public filesystem {
 public:
  virtual void placeholder_15() {}
  virtual void placeholder_16() {}
  virtual const char* archive_type() = 0;  // 17
  virtual file_stats* get_member_stats(file_stats* p_out, const char* p_archive, const char* p_member,
                                       abort_callback& p_abort) = 0;  // 18
  virtual void open_member(file_ptr& p_out, const char* p_archive, const char* p_member,
                           abort_callback& p_abort) = 0;  // 19

  file_stats get_member_stats(const char* p_archive, const char* p_member, abort_callback& p_abort) {
    file_stats stats;
    return *get_member_stats(&stats, p_archive, p_member, p_abort);
  }

  // The path begins with "unpack://", this archive's type and "|".
  bool archive_owns_path(const char* p_path);
  // Splits an archive path; both outputs change only on success.
  static bool archive_parse_path(const char* p_path, zut::string_base& p_archive, zut::string_base& p_member);
  static void archive_make_path(zut::string_base& p_out, const char* p_archive, const char* p_member,
                                const char* p_type);

 protected:
  archive() = default;
  ~archive() = default;
};

// An archive whose file-system slots are made of its archive slots: read only, not listable. Where a
// path does not parse, the slots that answer bool answer false and the others throw
// exception_io_not_found.
class archive_impl : public archive {
 public:
  bool get_canonical_path(const char* p_path, zut::string_base& p_out) override;
  bool owns_path(const char* p_path) override { return archive_owns_path(p_path); }
  bool get_display_path(const char* p_path, zut::string_base& p_out) override;
  void open(file_ptr& p_out, const char* p_path, std::uint32_t p_mode, abort_callback& p_abort) override;
  void remove(const char* p_path, abort_callback& p_abort) override;
  void move(const char* p_from, const char* p_to, abort_callback& p_abort) override;
  bool is_remote(const char* p_path) override;
  void get_stats(const char* p_path, file_stats& p_stats, bool& p_is_writeable, abort_callback& p_abort) override;
  bool make_relative_path(const char* p_file_path, const char* p_playlist_path, zut::string_base& p_out) override;
  bool resolve_relative_path(const char* p_relative_path, const char* p_playlist_path,
                             zut::string_base& p_out) override;
  void create_directory(const char* p_path, abort_callback& p_abort) override;
  void list_directory(const char* p_path, trovaplay_io::directory_callback& p_callback,
                      abort_callback& p_abort) override;

 protected:
  archive_impl() = default;
  ~archive_impl() = default;
};

// Opens what a file holds (an archive member, say); throws exception_io_data for a source it does
// not recognise.
class file_unpacker : public service_base {
  TROVA_SERVICE_INTERFACE({0x9098AF12, 0x61A3, 0x4CAA, {0x8A, 0xA9, 0xBB, 0x95, 0xC2, 0xEF, 0x83, 0x46}})
 public:
  virtual void open(filesystem::file_ptr& p_out, const filesystem::file_ptr& p_source,
                    trovaplay_io::abort_callback& p_abort) = 0;  // 3

  // Offers the source to every unpacker in turn (reopened before each); none takes it:
  // exception_io_data.
  static void g_open(filesystem::file_ptr& p_out, const filesystem::file_ptr& p_source,
                     trovaplay_io::abort_callback& p_abort);

 protected:
  file_unpacker() = default;
  ~file_unpacker() = default;
};

// The host's 16-byte digest (exactly one service). The state lives on the caller's stack.
class digest_service : public service_base {
  TROVA_SERVICE_INTERFACE({0x4B897EC8, 0xA2F9, 0x478D, {0xA9, 0x5E, 0x1A, 0x21, 0x10, 0xA4, 0x00, 0x78}})
 public:
  struct state {
    unsigned char m_data[256];  // opaque: the service's own working record
  };
  virtual void initialize(state& p_state) = 0;                                          // 3
  virtual void process(state& p_state, const void* p_data, std::uint32_t p_size) = 0;  // 4
  virtual void get_result(unsigned char* p_out16, state& p_state) = 0;                 // 5

 protected:
  digest_service() = default;
  ~digest_service() = default;
};

// The directory of the file path, "temp-", the hexadecimal digest of the file path, extension and
// magic text, ".", the extension.
void make_temp_file_path(zut::string_base& p_out, const char* p_file_path, const char* p_extension,
                         const char* p_magic);
