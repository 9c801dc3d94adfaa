// The popup of the host's context menu.
//
// Popup:
//   1. The point: the one given, or the cursor position.
//   2. An empty popup; the manager's root built into it with first id 1 and no id limit.
//   3. Mnemonics for the whole menu.
//   4. Track it (right button, no notification, the command returned), then destroy it.
//   5. A picked id (at least 1) runs the node of id - 1, when the manager knows it.
// Building a node's children into a menu:
//   1. The label: the name with every '&' doubled.
//   2. A popup child: a submenu appended with the child's flags, then filled the same way.
//   3. A separator child: a separator.
//   4. A command child: first id + its id, unless the id is negative or at or above the limit.
//   5. Null children and other types add nothing.

#include <trovaplay/sdk/contextmenu_manager.h>

#include <trovaplay/sdk/menu_mnemonics.h>
#include <trovaplay/shared/shared.h>
#include <zut/string.h>

namespace {

// 3. The node's display flags as menu state.
UINT menu_state(std::uint32_t p_flags) {
  UINT state = 0;
  if (p_flags & contextmenu_node::flag_checked) state += MF_CHECKED;
  if (p_flags & contextmenu_node::flag_disabled) state += MF_DISABLED;
  if (p_flags & contextmenu_node::flag_grayed) state += MF_GRAYED;
  return state;
}

// 1. A label shows every '&' of the name itself, so no mnemonic is read from it.
void escape_label(const char* p_name, zut::string8& p_out) {
  p_out.reset();
  if (p_name == nullptr) return;
  for (const char* p = p_name; *p; ++p) {
    if (*p == '&') p_out.add_byte('&');
    p_out.add_byte(*p);
  }
}

}  // namespace

void contextmenu_build_menu(HMENU p_menu, contextmenu_node* p_node, std::uint32_t p_first_id,
                            std::int32_t p_id_limit) {
  if (p_node == nullptr || p_node->get_type() != contextmenu_node::type_popup) return;
  const t_size count = p_node->get_num_children();
  zut::string8 label;
  for (t_size i = 0; i < count; ++i) {
    contextmenu_node* child = p_node->get_child(i);
    if (child == nullptr) continue;
    switch (child->get_type()) {
      case contextmenu_node::type_popup: {
        // 2. Once appended the submenu belongs to p_menu; until then it is ours to destroy.
        escape_label(child->get_name(), label);
        menu_handle sub(CreatePopupMenu());
        if (sub.get() == nullptr) break;
        const HMENU submenu = sub.get();
        if (!uAppendMenu(p_menu, MF_POPUP | menu_state(child->get_display_flags()),
                         reinterpret_cast<UINT_PTR>(submenu), label))
          break;
        sub.release();
        contextmenu_build_menu(submenu, child, p_first_id, p_id_limit);
        break;
      }
      case contextmenu_node::type_separator:
        // 3.
        uAppendMenu(p_menu, MF_SEPARATOR, 0, nullptr);
        break;
      case contextmenu_node::type_command: {
        // 4.
        const std::int32_t id = child->get_id();
        if (id < 0 || (p_id_limit >= 0 && id >= p_id_limit)) break;
        escape_label(child->get_name(), label);
        uAppendMenu(p_menu, menu_state(child->get_display_flags()), p_first_id + std::uint32_t(id), label);
        break;
      }
      default:
        // 5.
        break;
    }
  }
}

void contextmenu_show_popup(contextmenu_manager& p_manager, HWND p_parent, const POINT* p_point) {
  // 1.
  POINT point = {0, 0};
  if (p_point)
    point = *p_point;
  else
    GetCursorPos(&point);
  // 2.
  menu_handle menu(CreatePopupMenu());
  if (menu.get() == nullptr) return;
  contextmenu_build_menu(menu.get(), p_manager.get_root(), 1, -1);
  // 3.
  mnemonic_manager::process_menu(menu.get());
  // 4.
  const int id = TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD, point.x, point.y, 0,
                                p_parent, nullptr);
  menu.destroy();
  // 5.
  if (id < 1) return;
  contextmenu_node* node = p_manager.find_by_id(std::uint32_t(id - 1));
  if (node) node->execute();
}

void contextmenu_run_on_items(HWND p_parent, const handle_list_const& p_data, const POINT* p_point,
                              std::uint32_t p_flags) {
  single_service_ptr_t<contextmenu_manager> manager;
  manager->init_context(p_data, p_flags);
  contextmenu_show_popup(*manager.get_ptr(), p_parent, p_point);
}

void contextmenu_run_on_playlist_selection(HWND p_parent, const POINT* p_point, std::uint32_t p_flags) {
  single_service_ptr_t<contextmenu_manager> manager;
  manager->init_context_playlist(p_flags);
  contextmenu_show_popup(*manager.get_ptr(), p_parent, p_point);
}
