#pragma once
// The host's context menu for tracks: the manager service that builds the menu tree of every
// context-menu command for a set of tracks, and the popup that shows that tree over a window.

#include <trovaplay/sdk/playlist_manager.h>  // handle_list_const
#include <trovaplay/sdk/service.h>

#include <windows.h>

#include <cstdint>

// A node of the manager's tree: owned by the manager, valid while the manager is held.
class contextmenu_node {
 public:
  enum : std::uint32_t { type_popup = 0, type_command = 1, type_separator = 2 };
  enum : std::uint32_t { flag_checked = 1, flag_disabled = 2, flag_grayed = 4 };

  virtual std::uint32_t get_type() = 0;                    // 0
  virtual const char* get_name() = 0;                      // 1: UTF-8
  virtual t_size get_num_children() = 0;                   // 2
  virtual contextmenu_node* get_child(t_size p_index) = 0;  // 3: may be null
  virtual std::uint32_t get_display_flags() = 0;           // 4
  virtual std::int32_t get_id() = 0;                       // 5: negative = none
  virtual void execute() = 0;                              // 6

 protected:
  contextmenu_node() = default;
  ~contextmenu_node() = default;
};

// Exactly one; every instance is a fresh menu tree.
class contextmenu_manager : public service_base {
  TROVA_SERVICE_INTERFACE({0xD3BD5F53, 0xA6D6, 0x4346, {0x99, 0x1F, 0xCF, 0x14, 0xDF, 0xAD, 0x2B, 0x3A}})
 public:
  virtual void init_context(const handle_list_const& p_data, std::uint32_t p_flags) = 0;  // 3
  virtual void init_context_playlist(std::uint32_t p_flags) = 0;  // 4: the active playlist's selection
  virtual contextmenu_node* get_root() = 0;                       // 5
  virtual contextmenu_node* find_by_id(std::uint32_t p_id) = 0;   // 6: null when none

 protected:
  contextmenu_manager() = default;
  ~contextmenu_manager() = default;
};

// The context menu of these tracks over `p_parent` at the screen point (null: the cursor); the
// picked command runs. Host failures pass to the caller; the menu is destroyed on every path.
void contextmenu_run_on_items(HWND p_parent, const handle_list_const& p_data, const POINT* p_point,
                              std::uint32_t p_flags);
// The same for the active playlist's selection.
void contextmenu_run_on_playlist_selection(HWND p_parent, const POINT* p_point, std::uint32_t p_flags);

// ---- The steps, for callers that hold a manager of their own.
// Builds the children of `p_node` (a popup) into `p_menu`: command ids become p_first_id + id;
// ids at or above p_id_limit (when it is not negative) and negative ids are left out.
void contextmenu_build_menu(HMENU p_menu, contextmenu_node* p_node, std::uint32_t p_first_id,
                            std::int32_t p_id_limit);
// Shows the manager's tree as a popup (mnemonics added) and runs the picked node.
void contextmenu_show_popup(contextmenu_manager& p_manager, HWND p_parent, const POINT* p_point);

// Owns a menu handle and destroys it (with its submenus) when it goes out of scope.
class menu_handle {
 public:
  explicit menu_handle(HMENU p_menu) : m_menu(p_menu) {}
  ~menu_handle() { destroy(); }
  menu_handle(const menu_handle&) = delete;
  menu_handle& operator=(const menu_handle&) = delete;
  HMENU get() const { return m_menu; }
  // Hands the menu over (to a parent menu that now owns it).
  HMENU release() {
    const HMENU menu = m_menu;
    m_menu = nullptr;
    return menu;
  }
  void destroy() {
    if (m_menu) DestroyMenu(m_menu);
    m_menu = nullptr;
  }

 private:
  HMENU m_menu;
};
