#pragma once
// The host's main menu: the command services that make it up, the manager that builds it into a
// Windows menu, and running its commands by name or GUID.

#include <trovaplay/sdk/service.h>
#include <zut/string.h>

#include <windows.h>

#include <cstdint>

// Any number of services, each a numbered group of commands with a GUID and a name.
class mainmenu_commands : public service_base {
  TROVA_SERVICE_INTERFACE({0x35077B8C, 0x6E70, 0x47BA, {0xB9, 0xDD, 0xD5, 0x15, 0x00, 0xE1, 0x2F, 0x2E}})
 public:
  // The host's preferences.
  static constexpr GUID guid_preferences = {0x11213A01, 0x9F36, 0x4E69, {0xA1, 0xBB, 0x7A, 0x72, 0xF4, 0x18, 0xDE, 0x3A}};

  virtual std::uint32_t get_command_count() = 0;                             // 3
  virtual GUID* get_command(GUID* p_out, std::uint32_t p_index) = 0;         // 4
  virtual void get_name(std::uint32_t p_index, zut::string_base& p_out) = 0;  // 5: UTF-8
  virtual void placeholder_6() {}
  virtual void placeholder_7() {}
  virtual void placeholder_8() {}
  virtual void placeholder_9() {}
  // 10: runs the command; the callback (may be null) comes with a reference the command releases.
  virtual void execute(std::uint32_t p_index, service_base* p_callback) = 0;

  GUID get_command(std::uint32_t p_index) {
    GUID guid;
    return *get_command(&guid, p_index);
  }
  void execute(std::uint32_t p_index, service_ptr_t<service_base> p_callback) {
    execute(p_index, p_callback.detach());
  }

 protected:
  mainmenu_commands() = default;
  ~mainmenu_commands() = default;
};

// Exactly one: builds a group of the main menu into a popup and runs what was picked in it.
class mainmenu_manager : public service_base {
  TROVA_SERVICE_INTERFACE({0x350B3EA8, 0x6B3E, 0x4346, {0xB6, 0xD2, 0x79, 0x9E, 0x9E, 0xFC, 0x92, 0x0E}})
 public:
  // The whole main menu.
  static constexpr GUID group_main = {0x8F487F1F, 0x419F, 0x47A7, {0x8E, 0xCF, 0xEC, 0x44, 0xAF, 0x44, 0x49, 0xA3}};

  // 3: builds the menu group named by the GUID (an unknown group is empty).
  virtual void instantiate(const GUID& p_group) = 0;
  // 4: appends the group to p_menu; item ids are p_first_id + command id, at most p_last_id.
  virtual void generate_menu_win32(HMENU p_menu, std::uint32_t p_first_id, std::uint32_t p_last_id,
                                   std::uint32_t p_flags) = 0;
  // 5: runs the command of that id (counted from 0); false when there is none. The callback (may be
  // null) comes with a reference the manager releases.
  virtual bool execute_command(std::uint32_t p_id, service_base* p_callback) = 0;

  bool execute_command(std::uint32_t p_id, service_ptr_t<service_base> p_callback) {
    return execute_command(p_id, p_callback.detach());
  }

 protected:
  mainmenu_manager() = default;
  ~mainmenu_manager() = default;
};

// The GUID of the first command (services in the host's order, then by index) whose name equals
// p_name without regard to case; false (p_out unchanged) when none has it.
bool mainmenu_find_command_by_name(const char* p_name, GUID& p_out);
// Runs the first command with that GUID; false when none has it.
bool mainmenu_run_command(const GUID& p_command, const service_ptr_t<service_base>& p_callback);
// The same without a callback.
bool mainmenu_execute_by_guid(const GUID& p_command);
// Opens the host's preferences.
void show_preferences();
