#pragma once
// A page of the host's preferences dialog, offered by a component. The host lists the pages under
// their parent pages, calls create with its own window as the parent when the page is shown, and
// destroys the window it got back when the page is left.

#include <trovaplay/sdk/service.h>

namespace zut {
class string_base;
}

// Slots 3 to 9 after the three of service_base.
class preferences_page : public service_base {
  TROVA_SERVICE_INTERFACE({0x7255E8D0, 0x3FCF, 0x4781, {0xB9, 0x3B, 0xD0, 0x6C, 0xB8, 0x8D, 0xFA, 0xFA}})
 public:
  virtual HWND create(HWND p_parent) = 0;  // 3: the page's window (a child of p_parent), or null
  virtual const char* get_name() = 0;      // 4: UTF-8
  virtual GUID* get_guid(GUID* p_out) = 0;         // 5: the page's own GUID
  virtual GUID* get_parent_guid(GUID* p_out) = 0;  // 6: the page it is listed under
  virtual bool reset_query() = 0;          // 7: whether the page can be reset
  virtual void reset() = 0;                // 8
  // 9: the address of the page's help: the host's help address, its version text,
  // "/preferences/", the page's GUID, "/" and its name. Always true.
  virtual bool get_help_url(zut::string_base& p_out);

  GUID get_guid() {
    GUID guid;
    return *get_guid(&guid);
  }
  GUID get_parent_guid() {
    GUID guid;
    return *get_parent_guid(&guid);
  }

 protected:
  preferences_page() = default;
  ~preferences_page() = default;
};

// The factory of a preferences page T (a singleton held by the factory).
template <typename T>
class preferences_page_factory_t : public service_factory_single_t<T> {};
