#pragma once
// Host service class of the playlist manager: exactly one; the skin engine keeps it for its whole
// life. Playlist and item indices are unsigned 32-bit, ~0 meaning "none". Slots 3 to 56 after the
// three of service_base; the placeholders are slots whose operations the component does not call
// yet (their arguments need types of later parts of the SDK layer).

#include <trovaplay/sdk/service.h>

#include <cstdint>

class playlist_manager : public service_base {
  TROVA_SERVICE_INTERFACE({0xD8D51855, 0xD79D, 0x49B8, {0x97, 0xA8, 0x06, 0x57, 0x85, 0xFA, 0x24, 0x26}})
 public:
  static constexpr std::uint32_t none = ~std::uint32_t(0);

  virtual std::uint32_t get_playlist_count() = 0;  // 3: number of playlists
  virtual std::uint32_t get_active_playlist() = 0;  // 4: the active playlist, ~0 when none
  virtual void set_active_playlist(std::uint32_t p_playlist) = 0;  // 5
  virtual void placeholder_6() {}
  virtual void placeholder_7() {}
  virtual void placeholder_8() {}
  // 9: name length ~0: up to the NUL; index ~0: at the end. The index of the new playlist.
  virtual std::uint32_t create_playlist(const char* p_name, std::uint32_t p_name_length,
                                        std::uint32_t p_index) = 0;
  virtual void placeholder_10() {}
  virtual std::uint32_t playlist_get_item_count(std::uint32_t p_playlist) = 0;  // 11
  virtual void placeholder_12() {}
  virtual std::uint32_t playlist_get_focus_item(std::uint32_t p_playlist) = 0;  // 13: ~0 when none
  virtual void placeholder_14() {}
  virtual void placeholder_15() {}
  virtual void placeholder_16() {}
  virtual void placeholder_17() {}
  virtual void placeholder_18() {}
  virtual void playlist_set_focus_item(std::uint32_t p_playlist, std::uint32_t p_item) = 0;  // 19
  virtual void placeholder_20() {}
  virtual void placeholder_21() {}
  virtual void placeholder_22() {}
  virtual void placeholder_23() {}
  virtual void placeholder_24() {}
  virtual void placeholder_25() {}
  virtual void placeholder_26() {}
  virtual void placeholder_27() {}
  virtual void placeholder_28() {}
  virtual void placeholder_29() {}
  virtual void placeholder_30() {}
  virtual void placeholder_31() {}
  virtual void placeholder_32() {}
  virtual void placeholder_33() {}
  virtual void placeholder_34() {}
  virtual void placeholder_35() {}
  virtual void placeholder_36() {}
  virtual void placeholder_37() {}
  virtual void placeholder_38() {}
  virtual std::uint32_t playback_order_get_count() = 0;  // 39
  virtual const char* playback_order_get_name(std::uint32_t p_order) = 0;  // 40: UTF-8
  virtual void placeholder_41() {}
  virtual std::uint32_t playback_order_get_active() = 0;  // 42
  virtual void playback_order_set_active(std::uint32_t p_order) = 0;  // 43
  virtual void placeholder_44() {}
  virtual void placeholder_45() {}
  virtual void placeholder_46() {}
  virtual void placeholder_47() {}
  virtual void placeholder_48() {}
  virtual void placeholder_49() {}
  virtual void placeholder_50() {}
  virtual void placeholder_51() {}
  virtual void placeholder_52() {}
  virtual void placeholder_53() {}
  virtual void placeholder_54() {}
  virtual void placeholder_55() {}
  // 56: the default action on an item (play it).
  virtual bool playlist_execute_default_action(std::uint32_t p_playlist, std::uint32_t p_item) = 0;

  // The focus item of the active playlist; none when no playlist is active (slot 4, then 13).
  std::uint32_t activeplaylist_get_focus_item() {
    const std::uint32_t playlist = get_active_playlist();
    return playlist == none ? none : playlist_get_focus_item(playlist);
  }

 protected:
  playlist_manager() = default;
  ~playlist_manager() = default;
};
