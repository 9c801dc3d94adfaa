#include <trovaplay/sdk/keyboard_shortcut_manager.h>

#include <trovaplay/sdk/contextmenu_item.h>  // contextmenu_callers
#include <trovaplay/sdk/metadb_handle_list.h>

namespace {

bool is_down(int p_key) { return GetKeyState(p_key) < 0; }

}  // namespace

std::uint32_t make_key_code(WPARAM p_key) {
  std::uint32_t code = std::uint32_t(p_key) & 0xFF;
  if (is_down(VK_CONTROL)) code |= keyboard_shortcut_manager::key_ctrl;
  if (is_down(VK_SHIFT)) code |= keyboard_shortcut_manager::key_shift;
  if (is_down(VK_MENU)) code |= keyboard_shortcut_manager::key_alt;
  if (is_down(VK_LWIN) || is_down(VK_RWIN)) code |= keyboard_shortcut_manager::key_win;
  return code;
}

bool keyboard_shortcut_process(keyboard_shortcut_manager& p_manager, WPARAM p_key) {
  const std::uint32_t key = make_key_code(p_key);
  static const std::uint32_t types[] = {keyboard_shortcut_manager::type_main, keyboard_shortcut_manager::type_context,
                                        keyboard_shortcut_manager::type_context_now_playing};
  for (std::uint32_t type : types) {
    metadb_handle_list_t none;
    if (p_manager.process_keydown(type, none, key)) return true;
  }
  return false;
}

bool keyboard_shortcut_process_playlist(keyboard_shortcut_manager& p_manager, WPARAM p_key) {
  metadb_handle_list_t selection;
  {
    single_service_ptr_t<playlist_manager> playlists;
    playlists->activeplaylist_get_selected_items(selection);
  }
  if (selection.get_count() != 0 &&
      p_manager.process_keydown_ex(keyboard_shortcut_manager::type_playlist, selection, make_key_code(p_key),
                                   contextmenu_callers::active_playlist_selection))
    return true;
  return keyboard_shortcut_process(p_manager, p_key);
}
