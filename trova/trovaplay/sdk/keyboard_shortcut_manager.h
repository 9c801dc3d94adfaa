#pragma once
// The host's keyboard shortcuts: the manager service that runs the command bound to a key code, and
// the key code of a key press in a window.

#include <trovaplay/sdk/playlist_manager.h>  // handle_list_const
#include <trovaplay/sdk/service.h>

#include <windows.h>

#include <cstdint>

class keyboard_shortcut_manager : public service_base {
  TROVA_SERVICE_INTERFACE({0x95DE5842, 0x30F5, 0x4F72, {0xB4, 0x0C, 0x19, 0x16, 0x63, 0x78, 0x2F, 0x80}})
 public:
  // Shortcut types. The plain ones are tried in the order 0, 2, 3; type 1 is for the active
  // playlist's selection and goes only to slot 4.
  enum : std::uint32_t { type_main = 0, type_playlist = 1, type_context = 2, type_context_now_playing = 3 };
  // Modifier bits of a key code (bits 0-7: the virtual key).
  enum : std::uint32_t { key_shift = 0x100, key_ctrl = 0x200, key_alt = 0x400, key_win = 0x800 };

  // 3: true when a shortcut of that type took the key.
  virtual bool process_keydown(std::uint32_t p_type, const handle_list_const& p_data, std::uint32_t p_key) = 0;
  // 4: the same with the caller of the tracks.
  virtual bool process_keydown_ex(std::uint32_t p_type, const handle_list_const& p_data, std::uint32_t p_key,
                                  const GUID& p_caller) = 0;

 protected:
  keyboard_shortcut_manager() = default;
  ~keyboard_shortcut_manager() = default;
};

// The key code of virtual key p_key with the modifiers down at the time of the message handled now.
std::uint32_t make_key_code(WPARAM p_key);
// The plain shortcut types in order; true at the first that takes the key.
bool keyboard_shortcut_process(keyboard_shortcut_manager& p_manager, WPARAM p_key);
// The active playlist's selection first (when there is one), then the plain types.
bool keyboard_shortcut_process_playlist(keyboard_shortcut_manager& p_manager, WPARAM p_key);
