#pragma once
// A track known to the host: a counted host object that stands for one playable_location and gives
// access to the track's file information. The information is read under the host's
// track-information lock: lock (slot 5), get_info_locked (slot 10), unlock (slot 6).

#include <trovaplay/sdk/file_stats.h>
#include <trovaplay/sdk/service.h>
#include <zut/string.h>

#include <cstdint>

class playable_location;
class file_info;
class titleformat_hook;
class titleformat_text_filter;
class titleformat_script;

// Slots 3 to 11 after the three of service_base.
class metadb_handle : public service_base {
 public:
  virtual const playable_location& get_location() const = 0;  // 3: valid while the handle lives
  // 4: the track's text by a compiled script; hook and filter may be null.
  virtual bool format_title(titleformat_hook* p_hook, zut::string_base& p_out,
                            const service_ptr_t<titleformat_script>& p_script,
                            titleformat_text_filter* p_filter) = 0;
  virtual void metadb_lock() = 0;                              // 5
  virtual void metadb_unlock() = 0;                            // 6
  virtual file_stats* get_filestats(file_stats* p_out) const = 0;  // 7
  virtual void placeholder_8() {}
  virtual void placeholder_9() {}
  // 10: the track's record while the calling thread holds the lock; false (p_out untouched) else.
  virtual bool get_info_locked(const file_info*& p_out) const = 0;
  virtual bool has_info() const = 0;                           // 11

  file_stats get_filestats() const {
    file_stats stats;
    return *get_filestats(&stats);
  }

  // The track's length in seconds, read under the lock; 0.0 when the record is not available.
  double get_length();

  // The size and the time stamp of slot 7.
  std::uint64_t stats_size() const;
  std::uint64_t stats_timestamp() const;
  // Whether the information must be read again now that the file shows p_new: always when none is
  // loaded (slot 11); else the free needs_reload of slot 7's stats against p_new.
  bool needs_reload(const file_stats& p_new, bool p_fresh) const;
  // Compiles p_spec with the one titleformat_compiler service and formats this track with it
  // (slot 4, its answer). A text that does not compile empties p_out and answers false. Service
  // look-up failures pass as their exceptions.
  bool format_title_from_text(titleformat_hook* p_hook, zut::string_base& p_out, const char* p_spec,
                              titleformat_text_filter* p_filter);

 protected:
  metadb_handle() = default;
  ~metadb_handle() = default;
};

// ---- Locations ---------------------------------------------------------------------------------

// Byte-wise comparison of two paths (unsigned bytes, strcmp order): negative, 0 or positive.
int compare_playable_location(const char* p_a, const char* p_b);
// Path first, then the sub-song index: -1, 0 or 1.
int compare_playable_location(const playable_location& p_a, const playable_location& p_b);
bool playable_location_equal(const playable_location& p_a, const playable_location& p_b);
// The location for messages: the display path in double quotes, then " / index: N" when the
// sub-song index is not 0. Replaces p_out's text.
void playable_location_text(const playable_location& p_location, zut::string_base& p_out);
