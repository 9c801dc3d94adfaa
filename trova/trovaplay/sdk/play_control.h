#pragma once
// Host service class of the playback control: exactly one; the skin engine keeps it for its whole
// life. Slots 3 to 20 after the three of service_base; the placeholders are slots the component
// does not call yet.

#include <trovaplay/sdk/service.h>
#include <zut/string.h>

#include <cstdint>

class metadb_handle;  // a track known to the host
class titleformat_hook;
class titleformat_script;
class titleformat_text_filter;

class play_control : public service_base {
  TROVA_SERVICE_INTERFACE({0xBF803668, 0x2977, 0x4C71, {0xB9, 0xAB, 0x5C, 0x77, 0xC3, 0x38, 0xC9, 0x70}})
 public:
  // Commands of start.
  enum : std::uint32_t { track_command_play = 1, track_command_next = 2, track_command_prev = 3 };

  virtual bool get_now_playing(service_ptr_t<metadb_handle>& p_out) = 0;  // 3
  virtual void start(std::uint32_t p_command, bool p_paused) = 0;        // 4
  virtual void stop() = 0;                                                // 5
  virtual bool is_playing() = 0;                                          // 6
  virtual bool is_paused() = 0;                                           // 7
  virtual void pause(bool p_state) = 0;                                   // 8
  virtual void placeholder_9() {}
  virtual void placeholder_10() {}
  virtual void set_volume(float p_volume) = 0;                            // 11
  virtual float get_volume() = 0;                                         // 12
  virtual void placeholder_13() {}
  virtual void placeholder_14() {}
  virtual void placeholder_15() {}
  virtual void playback_seek(double p_seconds) = 0;                       // 16
  virtual void placeholder_17() {}
  virtual bool playback_can_seek() = 0;                                   // 18
  virtual double playback_get_position() = 0;                             // 19
  // 20: the now-playing track's text by a compiled script (hook and filter may be null) at a
  // display level (3: a status line). False, with p_out emptied, when nothing plays.
  virtual bool playback_format_title(titleformat_hook* p_hook, zut::string_base& p_out,
                                     const service_ptr_t<titleformat_script>& p_script,
                                     titleformat_text_filter* p_filter, std::uint32_t p_level) = 0;

 protected:
  play_control() = default;
  ~play_control() = default;
};

// ---- Wrappers used by the command table.
// Slot 4 with both arguments.
void play_control_start(play_control& p_control, std::uint32_t p_command, bool p_paused);
// While playing: toggle the pause; otherwise start playing (slot 4 with play, not paused).
void play_control_play_or_pause(play_control& p_control);
// Slot 8 with the negation of slot 7.
void play_control_toggle_pause(play_control& p_control);
// Slot 5.
void play_control_stop(play_control& p_control);
// The now-playing track's length in seconds; 0.0 when nothing plays.
double play_control_get_length(play_control& p_control);
