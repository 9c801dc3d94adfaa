// Archives: their path text and the file-system slots made of the archive slots.
//
// Parsing "unpack://<type>|<length>|<archive path>|<member>":
//   1. find the first "|" (none: no archive path);
//   2. the decimal length after it must be at least 1;
//   3. skip to the next "|" (none: fail);
//   4. exactly that many bytes, none of them the terminator, are the archive path, followed by "|";
//   5. the rest is the member.

#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/filesystem.h>
#include <zut/string_utils.h>

#include <cstring>

namespace {

const char archive_prefix[] = "unpack://";

typedef zut::string8_t<zut::alloc_fast_aggressive> temp_string;

// The archive part and member of a path, or exception_io_not_found.
void parse_or_throw(const char* p_path, temp_string& p_archive, temp_string& p_member) {
  if (!archive::archive_parse_path(p_path, p_archive, p_member)) throw trovaplay_io::exception_io_not_found();
}

}  // namespace

bool archive::archive_owns_path(const char* p_path) {
  const t_size prefix_length = sizeof(archive_prefix) - 1;
  if (std::strncmp(p_path, archive_prefix, prefix_length) != 0) return false;
  const char* type = archive_type();
  const t_size type_length = static_cast<t_size>(std::strlen(type));
  return std::strncmp(p_path + prefix_length, type, type_length) == 0 && p_path[prefix_length + type_length] == '|';
}

bool archive::archive_parse_path(const char* p_path, zut::string_base& p_archive, zut::string_base& p_member) {
  // 1.
  const char* at = std::strchr(p_path, '|');
  if (at == nullptr) return false;
  // 2.
  at++;
  // The count is read without wrapping: a count past 32 bits can never be met by the bytes that
  // follow, and must not alias a small count.
  t_uint64 length = 0;
  for (const char* digit = at; *digit >= '0' && *digit <= '9'; ++digit) {
    length = length * 10 + t_uint64(*digit - '0');
    if (length > ~t_size(0)) return false;
  }
  if (length < 1) return false;
  // 3.
  at = std::strchr(at, '|');
  if (at == nullptr) return false;
  at++;
  // 4.
  const t_size count = static_cast<t_size>(length);
  if (zut::strlen_max(at, count) != count || at[count] != '|') return false;
  // 5.
  p_archive.set_string(at, count);
  p_member.set_string(at + count + 1);
  return true;
}

void archive::archive_make_path(zut::string_base& p_out, const char* p_archive, const char* p_member,
                                const char* p_type) {
  temp_string path;
  path << archive_prefix << p_type << "|" << static_cast<unsigned>(zut::strlen_max(p_archive)) << "|" << p_archive
       << "|" << p_member;
  p_out.set_string(path);
}

bool archive_impl::get_canonical_path(const char* p_path, zut::string_base& p_out) {
  temp_string archive_path, member, canonical;
  if (!owns_path(p_path) || !archive_parse_path(p_path, archive_path, member)) return false;
  filesystem::g_get_canonical_path(archive_path, canonical);
  archive_make_path(p_out, canonical, member, archive_type());
  return true;
}

bool archive_impl::get_display_path(const char* p_path, zut::string_base& p_out) {
  temp_string archive_path, member, display;
  if (!archive_parse_path(p_path, archive_path, member)) return false;
  filesystem::g_get_display_path(archive_path, display);
  display << "|" << member;
  p_out.set_string(display);
  return true;
}

void archive_impl::open(file_ptr& p_out, const char* p_path, std::uint32_t p_mode, abort_callback& p_abort) {
  if (p_mode != open_mode_read) throw trovaplay_io::exception_io_denied();
  temp_string archive_path, member;
  parse_or_throw(p_path, archive_path, member);
  open_member(p_out, archive_path, member, p_abort);
}

void archive_impl::remove(const char*, abort_callback&) { throw trovaplay_io::exception_io_denied(); }

void archive_impl::move(const char*, const char*, abort_callback&) { throw trovaplay_io::exception_io_denied(); }

void archive_impl::create_directory(const char*, abort_callback&) { throw trovaplay_io::exception_io_denied(); }

void archive_impl::list_directory(const char*, trovaplay_io::directory_callback&, abort_callback&) {
  throw trovaplay_io::exception_io_not_found();
}

bool archive_impl::is_remote(const char* p_path) {
  temp_string archive_path, member;
  if (!archive_parse_path(p_path, archive_path, member)) return false;
  return filesystem::g_is_remote(archive_path);
}

void archive_impl::get_stats(const char* p_path, file_stats& p_stats, bool& p_is_writeable, abort_callback& p_abort) {
  temp_string archive_path, member;
  parse_or_throw(p_path, archive_path, member);
  if (filesystem::g_is_remote(archive_path)) throw trovaplay_io::exception_io_object_is_remote();
  p_is_writeable = false;
  p_stats = get_member_stats(archive_path, member, p_abort);
}

bool archive_impl::make_relative_path(const char* p_file_path, const char* p_playlist_path, zut::string_base& p_out) {
  temp_string archive_path, member, relative;
  if (!archive_parse_path(p_file_path, archive_path, member)) return false;
  if (!filesystem::g_make_relative_path(archive_path, p_playlist_path, relative)) return false;
  archive_make_path(p_out, relative, member, archive_type());
  return true;
}

bool archive_impl::resolve_relative_path(const char* p_relative_path, const char* p_playlist_path,
                                         zut::string_base& p_out) {
  temp_string archive_path, member, resolved;
  if (!owns_path(p_relative_path) || !archive_parse_path(p_relative_path, archive_path, member)) return false;
  if (!filesystem::g_resolve_relative_path(archive_path, p_playlist_path, resolved)) return false;
  archive_make_path(p_out, resolved, member, archive_type());
  return true;
}
