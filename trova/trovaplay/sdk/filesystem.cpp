// The filesystem statics, directory listing callbacks, unpackers and temporary file names.
//
// Retrying on a sharing violation (the *_retrying statics):
//   1. start a tick timer;
//   2. run the operation;
//   3. on a sharing violation: past the time-out, rethrow; else sleep 10 ms on the abort callback
//      (which throws when aborted) and run it again (2).
//
// Copying a directory (directory_callback_impl_copy, per entry):
//   1. remember the destination base's length and append the entry's file name;
//   2. a file is copied there; a subdirectory is made there and listed into it, one level deeper;
//   3. cut the base back to its old length.

#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/file_time.h>
#include <trovaplay/sdk/filesystem.h>
#include <trovaplay/shared/shared.h>
#include <zut/string_conv.h>
#include <zut/string_utils.h>

#include <cstring>

using trovaplay_io::abort_callback;
using trovaplay_io::exception_io;

namespace {

// Stops at the first entry, remembering that there was one.
class directory_callback_isempty : public trovaplay_io::directory_callback {
 public:
  bool on_item(filesystem*, abort_callback&, const char*, bool, const file_stats&) override {
    m_empty = false;
    return false;
  }
  bool m_empty = true;
};

// Stops at the first entry.
class directory_callback_dummy : public trovaplay_io::directory_callback {
 public:
  bool on_item(filesystem*, abort_callback&, const char*, bool, const file_stats&) override { return false; }
};

// Copies each entry below a destination base that ends in a backslash.
class directory_callback_impl_copy : public trovaplay_io::directory_callback {
 public:
  explicit directory_callback_impl_copy(const char* p_base) : m_base(p_base) { m_base.end_with('\\'); }
  bool on_item(filesystem* p_owner, abort_callback& p_abort, const char* p_url, bool p_is_subdirectory,
               const file_stats&) override {
    // 1.
    const t_size base_length = m_base.get_length();
    m_base.add_string(p_url + zut::scan_filename(p_url));
    try {
      // 2.
      if (p_is_subdirectory) {
        filesystem::g_create_directory(m_base, p_abort);
        m_base.add_byte('\\');
        p_owner->list_directory(p_url, *this, p_abort);
      } else {
        filesystem::g_copy(p_url, m_base, p_abort);
      }
    } catch (...) {
      m_base.truncate(base_length);
      throw;
    }
    // 3.
    m_base.truncate(base_length);
    return true;
  }

 private:
  zut::string8_t<zut::alloc_standard> m_base;
};

// The owner of a path, or exception_io_no_handler_for_path.
service_ptr_t<filesystem> owner_of(const char* p_path) {
  service_ptr_t<filesystem> owner;
  if (!filesystem::g_find_service(owner, p_path)) throw trovaplay_io::exception_io_no_handler_for_path();
  return owner;
}

// Runs p_operation, again and again while it meets a sharing violation within the time-out.
template <typename F>
void retry_on_sharing_violation(double p_timeout, abort_callback& p_abort, F&& p_operation) {
  // 1.
  tick_timer timer;
  timer.start();
  for (;;) {
    try {
      // 2.
      p_operation();
      return;
    } catch (const trovaplay_io::exception_io_sharing_violation&) {
      // 3.
      if (timer.query() > p_timeout) throw;
    }
    p_abort.sleep(0.01);
  }
}

// g_get_stats; false when the object is not found, other failures pass.
bool stats_if_found(const char* p_path, bool& p_is_writeable, abort_callback& p_abort) {
  file_stats stats;
  try {
    filesystem::g_get_stats(p_path, stats, p_is_writeable, p_abort);
  } catch (const trovaplay_io::exception_io_not_found&) {
    return false;
  }
  return true;
}

// Local paths name the same file whatever their letter case; any other file system may tell
// "A" from "a", so its canonical forms must match byte for byte.
bool same_canonical_path(const char* p_a, const char* p_b) {
  static const char local_prefix[] = "file://";
  zut::string8_t<zut::alloc_fast_aggressive> a, b;
  filesystem::g_get_canonical_path(p_a, a);
  filesystem::g_get_canonical_path(p_b, b);
  const bool local = std::strncmp(a, local_prefix, sizeof(local_prefix) - 1) == 0 &&
                     std::strncmp(b, local_prefix, sizeof(local_prefix) - 1) == 0;
  return local ? stricmp_utf8(a, b) == 0 : std::strcmp(a, b) == 0;
}

}  // namespace

// ---- Directory listing.

namespace trovaplay_io {

bool directory_callback_impl::on_item(filesystem* p_owner, abort_callback& p_abort, const char* p_url,
                                      bool p_is_subdirectory, const file_stats& p_stats) {
  p_abort.check();
  if (p_is_subdirectory) {
    if (m_recursive) {
      try {
        p_owner->list_directory(p_url, *this, p_abort);
      } catch (const exception_io&) {
      }
    }
    return true;
  }
  zut::rc_container_ref<t_entry> entry;
  entry.create();
  entry->m_path = p_url;
  entry->m_stats = p_stats;
  m_entries.add_item(entry);
  return true;
}

}  // namespace trovaplay_io

// ---- Finding the owner.

bool filesystem::g_find_service(service_ptr_t<filesystem>& p_out, const char* p_path) {
  service_enumerator_t<filesystem> services;
  service_ptr_t<filesystem> candidate;
  while (services.next(candidate)) {
    if (candidate->owns_path(p_path)) {
      p_out = candidate;
      return true;
    }
  }
  return false;
}

bool filesystem::g_has_owner(const char* p_path) {
  service_ptr_t<filesystem> owner;
  return g_find_service(owner, p_path);
}

// ---- Paths.

void filesystem::g_get_canonical_path(const char* p_path, zut::string_base& p_out) {
  uCallStackTracker tracker("filesystem::g_get_canonical_path");
  service_enumerator_t<filesystem> services;
  service_ptr_t<filesystem> candidate;
  while (services.next(candidate)) {
    if (candidate->get_canonical_path(p_path, p_out)) return;
  }
  p_out.set_string(p_path);
}

void filesystem::g_get_display_path(const char* p_path, zut::string_base& p_out) {
  uCallStackTracker tracker("filesystem::g_get_display_path");
  service_ptr_t<filesystem> owner;
  if (!g_find_service(owner, p_path) || !owner->get_display_path(p_path, p_out)) p_out.set_string(p_path);
}

bool filesystem::g_make_relative_path(const char* p_file_path, const char* p_playlist_path, zut::string_base& p_out) {
  service_ptr_t<filesystem> owner;
  if (!g_find_service(owner, p_file_path)) return false;
  return owner->make_relative_path(p_file_path, p_playlist_path, p_out);
}

bool filesystem::g_resolve_relative_path(const char* p_relative_path, const char* p_playlist_path,
                                         zut::string_base& p_out) {
  service_enumerator_t<filesystem> services;
  service_ptr_t<filesystem> candidate;
  while (services.next(candidate)) {
    if (candidate->resolve_relative_path(p_relative_path, p_playlist_path, p_out)) return true;
  }
  return false;
}

// ---- Operations of the owner.

void filesystem::g_open(file_ptr& p_out, const char* p_path, std::uint32_t p_mode, abort_callback& p_abort) {
  uCallStackTracker tracker("filesystem::g_open");
  owner_of(p_path)->open(p_out, p_path, p_mode, p_abort);
}

void filesystem::g_get_stats(const char* p_path, file_stats& p_stats, bool& p_is_writeable, abort_callback& p_abort) {
  uCallStackTracker tracker("filesystem::g_get_stats");
  owner_of(p_path)->get_stats(p_path, p_stats, p_is_writeable, p_abort);
}

void filesystem::g_remove(const char* p_path, abort_callback& p_abort) { owner_of(p_path)->remove(p_path, p_abort); }

void filesystem::g_create_directory(const char* p_path, abort_callback& p_abort) {
  owner_of(p_path)->create_directory(p_path, p_abort);
}

void filesystem::g_list_directory(const char* p_path, trovaplay_io::directory_callback& p_callback,
                                  abort_callback& p_abort) {
  owner_of(p_path)->list_directory(p_path, p_callback, p_abort);
}

void filesystem::g_move(const char* p_from, const char* p_to, abort_callback& p_abort) {
  service_enumerator_t<filesystem> services;
  service_ptr_t<filesystem> candidate;
  while (services.next(candidate)) {
    if (candidate->owns_path(p_from) && candidate->owns_path(p_to)) {
      candidate->move(p_from, p_to, p_abort);
      return;
    }
  }
  throw trovaplay_io::exception_io_no_handler_for_path();
}

void filesystem::g_open_read_local(file_ptr& p_out, const char* p_path, abort_callback& p_abort) {
  service_ptr_t<filesystem> owner = owner_of(p_path);
  if (owner->is_remote(p_path)) throw trovaplay_io::exception_io_object_is_remote();
  owner->open(p_out, p_path, open_mode_read, p_abort);
}

bool filesystem::g_is_remote(const char* p_path) { return owner_of(p_path)->is_remote(p_path); }

bool filesystem::g_is_remote_or_false(const char* p_path) {
  service_ptr_t<filesystem> owner;
  return g_find_service(owner, p_path) && owner->is_remote(p_path);
}

bool filesystem::g_is_remote_or_true(const char* p_path) {
  service_ptr_t<filesystem> owner;
  return !g_find_service(owner, p_path) || owner->is_remote(p_path);
}

bool filesystem::g_exists(const char* p_path, abort_callback& p_abort) {
  bool writeable;
  return stats_if_found(p_path, writeable, p_abort);
}

bool filesystem::g_exists_writable(const char* p_path, abort_callback& p_abort) {
  bool writeable = false;
  return stats_if_found(p_path, writeable, p_abort) && writeable;
}

bool filesystem::g_directory_is_empty(const char* p_path, abort_callback& p_abort) {
  directory_callback_isempty callback;
  try {
    g_list_directory(p_path, callback, p_abort);
  } catch (const exception_io&) {
    return false;
  }
  return callback.m_empty;
}

bool filesystem::g_directory_is_valid(const char* p_path, abort_callback& p_abort) {
  directory_callback_dummy callback;
  try {
    g_list_directory(p_path, callback, p_abort);
  } catch (const exception_io&) {
    return false;
  }
  return true;
}

void filesystem::g_open_new(file_ptr& p_out, const char* p_path, abort_callback& p_abort) {
  g_open(p_out, p_path, open_mode_write_new, p_abort);
}

void filesystem::g_open_tempfile(file_ptr& p_out, abort_callback& p_abort) {
  g_open(p_out, "tempfile://", open_mode_write_new, p_abort);
}

void filesystem::g_open_tempmem(file_ptr& p_out, abort_callback& p_abort) {
  g_open(p_out, "tempmem://", open_mode_write_new, p_abort);
}

void filesystem::g_copy(const char* p_from, const char* p_to, abort_callback& p_abort) {
  // Opening the destination for writing would empty the source itself.
  if (same_canonical_path(p_from, p_to)) return;
  file_ptr source, dest;
  g_open(source, p_from, open_mode_read, p_abort);
  const std::uint64_t size = source->get_known_size(p_abort);
  g_open(dest, p_to, open_mode_write_new, p_abort);
  if (size > 0) trovaplay_io::file_transfer_exact(*source.get_ptr(), *dest.get_ptr(), size, p_abort);
}

void filesystem::g_copy_directory(const char* p_from, const char* p_to, abort_callback& p_abort) {
  directory_callback_impl_copy callback(p_to);
  g_list_directory(p_from, callback, p_abort);
}

void filesystem::g_open_retrying(file_ptr& p_out, const char* p_path, std::uint32_t p_mode, double p_timeout,
                                 abort_callback& p_abort) {
  retry_on_sharing_violation(p_timeout, p_abort, [&] { g_open(p_out, p_path, p_mode, p_abort); });
}

void filesystem::g_remove_retrying(const char* p_path, double p_timeout, abort_callback& p_abort) {
  retry_on_sharing_violation(p_timeout, p_abort, [&] { g_remove(p_path, p_abort); });
}

void filesystem::g_move_retrying(const char* p_from, const char* p_to, double p_timeout, abort_callback& p_abort) {
  retry_on_sharing_violation(p_timeout, p_abort, [&] { g_move(p_from, p_to, p_abort); });
}

void filesystem::g_copy_retrying(const char* p_from, const char* p_to, double p_timeout, abort_callback& p_abort) {
  retry_on_sharing_violation(p_timeout, p_abort, [&] { g_copy(p_from, p_to, p_abort); });
}

FILE* filesystem::g_open_cfile(const char* p_path, const char* p_mode) {
  static const char prefix[] = "file://";
  const t_size prefix_length = sizeof(prefix) - 1;
  zut::string8_t<zut::alloc_fast_aggressive> canonical;
  g_get_canonical_path(p_path, canonical);
  if (std::strncmp(canonical, prefix, prefix_length) != 0) return nullptr;
  zut::wide_from_utf8 wide_path(canonical.get_ptr() + prefix_length);
  zut::wide_from_utf8 wide_mode(p_mode);
  return _wfopen(wide_path.get_ptr(), wide_mode.get_ptr());
}

// ---- Unpackers.

void file_unpacker::g_open(filesystem::file_ptr& p_out, const filesystem::file_ptr& p_source,
                           trovaplay_io::abort_callback& p_abort) {
  service_enumerator_t<file_unpacker> unpackers;
  service_ptr_t<file_unpacker> unpacker;
  while (unpackers.next(unpacker)) {
    p_source->reopen(p_abort);
    try {
      unpacker->open(p_out, p_source, p_abort);
      return;
    } catch (const trovaplay_io::exception_io_data&) {
    }
  }
  throw trovaplay_io::exception_io_data();
}

// ---- Temporary file names.

void make_temp_file_path(zut::string_base& p_out, const char* p_file_path, const char* p_extension,
                         const char* p_magic) {
  single_service_ptr_t<digest_service> digest;
  digest_service::state state;
  digest->initialize(state);
  for (const char* part : {p_file_path, p_extension, p_magic}) {
    if (part) digest->process(state, part, static_cast<std::uint32_t>(std::strlen(part)));
  }
  unsigned char result[16];
  digest->get_result(result, state);

  zut::string8_t<zut::alloc_fast_aggressive> path;
  path.add_string(p_file_path, zut::scan_filename(p_file_path));
  path << "temp-" << zut::format_hexdump(result, sizeof(result), "") << "." << p_extension;
  p_out.set_string(path);
}
