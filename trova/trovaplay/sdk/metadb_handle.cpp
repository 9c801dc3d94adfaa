// Track handles: the length read under the track-information lock, and locations compared and
// written as text.

#include "metadb_handle.h"

#include <trovaplay/sdk/file_info.h>
#include <trovaplay/sdk/play_control.h>
#include <trovaplay/sdk/playable_location.h>
#include <trovaplay/sdk/titleformat.h>
#include <zut/string_utils.h>

#include <cstring>

namespace {

// Holds the host's track-information lock through a handle, with a reference of its own, and
// unlocks in every case.
class metadb_lock_scope {
 public:
  explicit metadb_lock_scope(metadb_handle* p_handle) : m_handle(p_handle) { m_handle->metadb_lock(); }
  ~metadb_lock_scope() { m_handle->metadb_unlock(); }
  metadb_lock_scope(const metadb_lock_scope&) = delete;
  metadb_lock_scope& operator=(const metadb_lock_scope&) = delete;

 private:
  service_ptr_t<metadb_handle> m_handle;
};

}  // namespace

double metadb_handle::get_length() {
  double length = 0.0;
  metadb_lock_scope lock(this);
  const file_info* info = nullptr;
  if (get_info_locked(info) && info != nullptr) length = info->get_length();
  return length;
}

std::uint64_t metadb_handle::stats_size() const { return get_filestats().m_size; }

std::uint64_t metadb_handle::stats_timestamp() const { return get_filestats().m_timestamp; }

bool metadb_handle::needs_reload(const file_stats& p_new, bool p_fresh) const {
  if (!has_info()) return true;
  return ::needs_reload(get_filestats(), p_new, p_fresh);
}

bool metadb_handle::format_title_from_text(titleformat_hook* p_hook, zut::string_base& p_out, const char* p_spec,
                                           titleformat_text_filter* p_filter) {
  service_ptr_t<titleformat_script> script;
  if (!titleformat_compile(script, p_spec)) {
    p_out.reset();
    return false;
  }
  return format_title(p_hook, p_out, script, p_filter);
}

int compare_playable_location(const char* p_a, const char* p_b) {
  return strcmp(p_a ? p_a : "", p_b ? p_b : "");
}

int compare_playable_location(const playable_location& p_a, const playable_location& p_b) {
  const int paths = compare_playable_location(p_a.get_path(), p_b.get_path());
  if (paths != 0) return paths < 0 ? -1 : 1;
  const std::uint32_t a = p_a.get_subsong(), b = p_b.get_subsong();
  return a < b ? -1 : (a > b ? 1 : 0);
}

bool playable_location_equal(const playable_location& p_a, const playable_location& p_b) {
  return compare_playable_location(p_a, p_b) == 0;
}

void playable_location_text(const playable_location& p_location, zut::string_base& p_out) {
  zut::string8_fast path;
  titleformat_display_path(p_location.get_path(), path);
  p_out.set_string("\"");
  p_out.add_string(path);
  p_out.add_string("\"");
  const std::uint32_t index = p_location.get_subsong();
  if (index != 0) {
    p_out.add_string(" / index: ");
    p_out.add_string(zut::format_uint(index));
  }
}

double play_control_get_length(play_control& p_control) {
  service_ptr_t<metadb_handle> track;
  if (!p_control.get_now_playing(track) || track.is_empty()) return 0.0;
  return track->get_length();
}
