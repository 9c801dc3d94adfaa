#pragma once
// The play listener the component implements for the host: a service (first base service_base,
// primary slot 3 get_flags) that is also a play_callback (second base, its own table of ten slots).
// The host creates it through its factory and calls the play_callback slots for each playback event.

#include <trovaplay/sdk/service.h>

#include <cstdint>

class metadb_handle;  // a track known to the host
class file_info;      // track or stream information

// The listener table (slots 0 to 9), called by the host.
class play_callback {
 public:
  virtual void on_start(std::int32_t p_command, bool p_paused) = 0;  // 0
  virtual void on_new_track(metadb_handle* p_track) = 0;             // 1
  virtual void on_stop(std::int32_t p_reason) = 0;                   // 2
  virtual void on_seek(double p_time) = 0;                           // 3
  virtual void on_pause(bool p_state) = 0;                           // 4
  virtual void on_edited(metadb_handle* p_track) = 0;                // 5
  virtual void on_dynamic(const file_info& p_info) = 0;              // 6
  virtual void on_dynamic_track(const file_info& p_info) = 0;        // 7
  virtual void on_time(double p_time) = 0;                           // 8
  virtual void on_volume_change(float p_volume) = 0;                 // 9

 protected:
  play_callback() = default;
  play_callback(const play_callback&) = default;
  play_callback& operator=(const play_callback&) = default;
  ~play_callback() = default;
};

// Service class {8E4EED7A-C6B8-49C7-99FE-97E04AAA63A8}. get_flags: a bit per play event wanted
// (1023: all ten). The host reaches the listener table by converting the created service to
// play_callback_static* and then to play_callback*.
class play_callback_static : public service_base, public play_callback {
  TROVA_SERVICE_INTERFACE({0x8E4EED7A, 0xC6B8, 0x49C7, {0x99, 0xFE, 0x97, 0xE0, 0x4A, 0xAA, 0x63, 0xA8}})
 public:
  virtual std::uint32_t get_flags() = 0;  // 3

 protected:
  play_callback_static() = default;
  ~play_callback_static() = default;
};

// The factory of a play listener T (a singleton held by the factory).
template <typename T>
class play_callback_static_factory_t : public service_factory_single_t<T> {};
