#pragma once
// Helpers over the host's context-menu commands (contextmenu_item services): find a command by
// GUID, name or menu path, run it on tracks, read its name, description and checked state, and two
// lookup tables (GUID to name, name to GUID) built on first use and searched by halving.

#include <trovaplay/sdk/contextmenu_item.h>
#include <zut/array.h>
#include <zut/string.h>

#include <cstdint>

namespace menu_helpers {

// Each runs the first command (services in the host's order, then by index) whose GUID is
// p_command; true when one ran.
bool run_command(const GUID& p_command, const GUID& p_subcommand, const handle_list_const& p_data,
                 const GUID& p_caller);
bool run_command(const GUID& p_command, const GUID& p_subcommand, const handle_list_const& p_data);
bool run_command_on_playlist_selection(const GUID& p_command, const GUID& p_subcommand);
// False when nothing is playing.
bool run_command_on_now_playing(const GUID& p_command, const GUID& p_subcommand);

// Bit 0 of the display flags of the first matching command that is shown; false when none is.
// A null sub-command asks the command's root node, any other the node that carries it.
bool is_command_checked(const GUID& p_command, const GUID& p_subcommand, const handle_list_const& p_data,
                        const GUID& p_caller);
bool is_command_checked(const GUID& p_command, const GUID& p_subcommand, const handle_list_const& p_data);
bool is_command_checked_on_playlist_selection(const GUID& p_command, const GUID& p_subcommand);

bool command_exists(const GUID& p_command);
bool get_command_name(const GUID& p_command, zut::string_base& p_out);
// The command's description; p_out is emptied when the command has none. False also when not found.
bool get_description(const GUID& p_command, zut::string_base& p_out);
// By name (case ignored; p_name_length ~0: up to the NUL).
bool find_command_by_name(const char* p_name, t_size p_name_length, GUID& p_out);
// The command itself (commands may share a GUID, so its GUID need not find it again).
bool find_command_by_name(const char* p_name, t_size p_name_length, service_ptr_t<contextmenu_item>& p_service,
                          std::uint32_t& p_index);
// By "default path/name" ("name" alone when the path is empty), case ignored.
bool find_command_by_path(const char* p_full_name, service_ptr_t<contextmenu_item>& p_service,
                          std::uint32_t& p_index);
bool find_command_guid_by_path(const char* p_full_name, GUID& p_out);

// The names and GUIDs of every command, copied once (on the first search) and sorted.
class command_table {
 public:
  command_table() : m_built(false) {}
  ~command_table();
  command_table(const command_table&) = delete;
  command_table& operator=(const command_table&) = delete;

 protected:
  struct entry {
    char* name;  // heap copy, UTF-8
    GUID guid;
  };
  // Copies every command and sorts the copies by p_order; the table is built only when all of it
  // succeeded. p_fill_line and p_end_line are the lines its two checks report.
  void build(unsigned p_fill_line, unsigned p_end_line, int (*p_order)(const entry&, const entry&));
  bool is_built() const { return m_built; }

  zut::array_t<entry> m_data;

 private:
  void free_names();
  bool m_built;
};

class guid_to_name_table : public command_table {
 public:
  // The command's name, null when no command has the GUID.
  const char* search(const GUID& p_command);
};

class name_to_guid_table : public command_table {
 public:
  bool search(const char* p_name, t_size p_name_length, GUID& p_out);
};

}  // namespace menu_helpers
