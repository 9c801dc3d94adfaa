#pragma once
// Host service class that turns locations (UTF-8 paths, as dropped on a window) into track handles:
// the host decides which of them are playable. The component takes the first service of the class
// (no count check); without one, adding locations fails quietly.

#include <trovaplay/sdk/metadb_handle_list.h>
#include <trovaplay/sdk/playlist_manager.h>

#include <windows.h>

#include <cstdint>

typedef zut::list_base_const_t<const char*> location_list_const;

class location_filter : public service_base {
  TROVA_SERVICE_INTERFACE({0xEB8FA333, 0xF365, 0x46AD, {0x86, 0x21, 0x34, 0x56, 0x71, 0x56, 0x7B, 0xAA}})
 public:
  // 3: fills p_out (through its own slots) with the tracks of the locations; true when the host
  // produced the list.
  virtual bool process_locations(const location_list_const& p_locations, metadb_handle_list_base& p_out) = 0;
  // 4: as slot 3, with a flag, two values (the component passes true, 0, 0) and a parent window.
  virtual bool process_locations_ex(const location_list_const& p_locations, metadb_handle_list_base& p_out,
                                    bool p_flag, std::uint32_t p_value1, std::uint32_t p_value2,
                                    HWND p_parent) = 0;

  // One location through slot 4.
  bool process_location(const char* p_location, metadb_handle_list_base& p_out, bool p_flag,
                        std::uint32_t p_value1, std::uint32_t p_value2, HWND p_parent);

 protected:
  location_filter() = default;
  ~location_filter() = default;
};
