#pragma once
// Host service class of the context-menu commands that apply to tracks: any number of services,
// each with commands numbered from 0. Each command may describe itself as a tree of nodes (slot 4),
// which the display queries below walk.

#include <trovaplay/sdk/playlist_manager.h>  // handle_list_const
#include <trovaplay/sdk/service.h>
#include <zut/string.h>

#include <cstdint>

// A node of a command's tree: owned by whoever asked for it, freed through slot 9 with 1.
class contextmenu_item_node {
 public:
  enum { type_popup = 0 };
  // 0: the node's label and display flags (bit 0 checked) for these tracks; false: not shown.
  virtual bool get_display_data(zut::string_base& p_out, std::uint32_t& p_display_flags,
                                const handle_list_const& p_data, const GUID& p_caller) = 0;
  virtual std::uint32_t get_type() = 0;  // 1: type_popup for a node with children
  virtual void placeholder_2() {}
  virtual void placeholder_3() {}
  virtual t_size get_children_count() = 0;                 // 4
  virtual contextmenu_item_node* get_child(t_size p_index) = 0;  // 5: owned by this node
  virtual void placeholder_6() {}
  // 7: writes the node's GUID to p_out; a node without one leaves it untouched. No result.
  virtual void get_guid(GUID& p_out) = 0;
  virtual void placeholder_8() {}
  // 9: frees the node and its children when p_flags has bit 0 (the deleting destructor's role).
  virtual void destroy(std::uint32_t p_flags) = 0;

 protected:
  contextmenu_item_node() = default;
  ~contextmenu_item_node() = default;
};

class contextmenu_item : public service_base {
  TROVA_SERVICE_INTERFACE({0x1C0802F7, 0xCF24, 0x49EF, {0xB9, 0x14, 0x8B, 0x98, 0x66, 0xF1, 0x97, 0x79}})
 public:
  virtual std::uint32_t get_num_items() = 0;  // 3
  // 4: the command's node tree for these tracks (the caller frees it), or null.
  virtual contextmenu_item_node* instantiate_item(std::uint32_t p_index, const handle_list_const& p_data,
                                                  const GUID& p_caller) = 0;
  virtual GUID* get_item_guid(GUID* p_out, std::uint32_t p_index) = 0;                     // 5
  virtual void get_item_name(std::uint32_t p_index, zut::string_base& p_out) = 0;          // 6
  virtual void get_item_default_path(std::uint32_t p_index, zut::string_base& p_out) = 0;  // 7
  virtual bool get_item_description(std::uint32_t p_index, zut::string_base& p_out) = 0;   // 8
  virtual void placeholder_9() {}
  // 10: runs the command (or its sub-command; the null GUID: the command itself) on the tracks.
  virtual void item_execute_simple(std::uint32_t p_index, const GUID& p_subcommand, const handle_list_const& p_data,
                                   const GUID& p_caller) = 0;

  GUID get_item_guid(std::uint32_t p_index) {
    GUID guid;
    return *get_item_guid(&guid, p_index);
  }

 protected:
  contextmenu_item() = default;
  ~contextmenu_item() = default;
};

// Callers named to the commands.
namespace contextmenu_callers {
constexpr GUID none = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr GUID active_playlist_selection = {0x47502BA1, 0x816D, 0x4A3E, {0xAD, 0xE5, 0xA7, 0xA9, 0x86, 0x0A, 0x67, 0xDB}};
constexpr GUID now_playing = {0x994C0D0E, 0x319E, 0x45F3, {0x92, 0xFC, 0x51, 0x86, 0x16, 0xE7, 0x3A, 0xDC}};
}  // namespace contextmenu_callers

// ---- Display queries over a command's node tree. Every tree asked for is freed before returning.
// The root's label and flags; false when there is no root or it is not shown.
bool item_query_root_display(contextmenu_item& p_item, zut::string_base& p_out, std::uint32_t& p_display_flags,
                             std::uint32_t p_index, const handle_list_const& p_data, const GUID& p_caller);
// The same for the node that carries p_node (searched depth first); false when none does.
bool item_query_node_display(contextmenu_item& p_item, zut::string_base& p_out, std::uint32_t& p_display_flags,
                             std::uint32_t p_index, const GUID& p_node, const handle_list_const& p_data,
                             const GUID& p_caller);
// The node carrying p_guid: p_node itself, or (for a popup) the first match among its children,
// depth first; null when none.
contextmenu_item_node* find_node_by_guid(const GUID& p_guid, contextmenu_item_node* p_node);
