// Context-menu command helpers.
//
// Every helper walks the contextmenu_item services in the host's order and, within each, the
// commands from index 0 (service_find_item); the first match wins.
//
// Building a lookup table (on a search while it is not built; a build that a host exception cut
// short leaves it unbuilt, and the next search builds it anew):
//   1. n = the sum of every service's command count; the array gets n entries.
//   2. Each command's name (a heap copy) and GUID fills the next entry; a walk that finds more
//      commands than it counted reports it and stores no more.
//   3. A walk that found fewer reports it; the table keeps the entries it filled.
//   4. Sort: by the GUID's 16 bytes (GUID table) or by the names, case ignored (name table). Only
//      now is the table built.
//   5. Search by halving.

#include <trovaplay/sdk/menu_helpers.h>

#include <trovaplay/sdk/metadb_handle_list.h>
#include <trovaplay/sdk/play_control.h>
#include <trovaplay/sdk/service_items.h>
#include <trovaplay/shared/shared.h>
#include <zut/sort.h>
#include <zut/string_utils.h>

#include <cstdlib>
#include <cstring>

namespace menu_helpers {

namespace {

const wchar_t kSourceFile[] = L"menu_helpers";

template <typename F>
bool find_command(F match, service_ptr_t<contextmenu_item>& p_service, std::uint32_t& p_index) {
  return service_find_item(&contextmenu_item::get_num_items, match, p_service, p_index);
}

bool find_command_by_guid(const GUID& p_command, service_ptr_t<contextmenu_item>& p_service,
                          std::uint32_t& p_index) {
  return find_command(
      [&](contextmenu_item& s, std::uint32_t i) { return zut::guid_equal(s.get_item_guid(i), p_command); },
      p_service, p_index);
}

bool is_null_guid(const GUID& p_guid) { return zut::guid_equal(p_guid, contextmenu_callers::none); }

int compare_guid_bytes(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)); }

void get_active_playlist_selection(metadb_handle_list_base& p_out) {
  single_service_ptr_t<playlist_manager> playlists;
  playlists->activeplaylist_get_selected_items(p_out);
}

}  // namespace

bool run_command(const GUID& p_command, const GUID& p_subcommand, const handle_list_const& p_data,
                 const GUID& p_caller) {
  service_ptr_t<contextmenu_item> service;
  std::uint32_t index = 0;
  if (!find_command_by_guid(p_command, service, index)) return false;
  uCallStackTracker tracker("menu_helpers::run_command(), by GUID");
  service->item_execute_simple(index, p_subcommand, p_data, p_caller);
  return true;
}

bool run_command(const GUID& p_command, const GUID& p_subcommand, const handle_list_const& p_data) {
  return run_command(p_command, p_subcommand, p_data, contextmenu_callers::none);
}

bool run_command_on_playlist_selection(const GUID& p_command, const GUID& p_subcommand) {
  metadb_handle_list_t selection;
  get_active_playlist_selection(selection);
  return run_command(p_command, p_subcommand, selection, contextmenu_callers::active_playlist_selection);
}

bool run_command_on_now_playing(const GUID& p_command, const GUID& p_subcommand) {
  service_ptr_t<metadb_handle> playing;
  {
    single_service_ptr_t<play_control> control;
    if (!control->get_now_playing(playing)) return false;
  }
  metadb_handle_list_t tracks;
  tracks.add_item(playing);
  return run_command(p_command, p_subcommand, tracks, contextmenu_callers::now_playing);
}

bool is_command_checked(const GUID& p_command, const GUID& p_subcommand, const handle_list_const& p_data,
                        const GUID& p_caller) {
  zut::string8 label;
  std::uint32_t flags = 0;
  service_ptr_t<contextmenu_item> service;
  std::uint32_t index = 0;
  const bool found = find_command(
      [&](contextmenu_item& s, std::uint32_t i) {
        if (!zut::guid_equal(s.get_item_guid(i), p_command)) return false;
        if (is_null_guid(p_subcommand)) return item_query_root_display(s, label, flags, i, p_data, p_caller);
        return item_query_node_display(s, label, flags, i, p_subcommand, p_data, p_caller);
      },
      service, index);
  return found && (flags & 1) != 0;
}

bool is_command_checked(const GUID& p_command, const GUID& p_subcommand, const handle_list_const& p_data) {
  return is_command_checked(p_command, p_subcommand, p_data, contextmenu_callers::none);
}

bool is_command_checked_on_playlist_selection(const GUID& p_command, const GUID& p_subcommand) {
  metadb_handle_list_t selection;
  get_active_playlist_selection(selection);
  return is_command_checked(p_command, p_subcommand, selection, contextmenu_callers::active_playlist_selection);
}

bool command_exists(const GUID& p_command) {
  service_ptr_t<contextmenu_item> service;
  std::uint32_t index = 0;
  return find_command_by_guid(p_command, service, index);
}

bool get_command_name(const GUID& p_command, zut::string_base& p_out) {
  service_ptr_t<contextmenu_item> service;
  std::uint32_t index = 0;
  if (!find_command_by_guid(p_command, service, index)) return false;
  service->get_item_name(index, p_out);
  return true;
}

bool get_description(const GUID& p_command, zut::string_base& p_out) {
  service_ptr_t<contextmenu_item> service;
  std::uint32_t index = 0;
  if (!find_command_by_guid(p_command, service, index)) return false;
  if (service->get_item_description(index, p_out)) return true;
  p_out.reset();
  return false;
}

bool find_command_by_name(const char* p_name, t_size p_name_length, service_ptr_t<contextmenu_item>& p_service,
                          std::uint32_t& p_index) {
  zut::string8 name;
  return find_command(
      [&](contextmenu_item& s, std::uint32_t i) {
        s.get_item_name(i, name);
        return stricmp_utf8_ex(name, ~0u, p_name, p_name_length) == 0;
      },
      p_service, p_index);
}

bool find_command_by_name(const char* p_name, t_size p_name_length, GUID& p_out) {
  service_ptr_t<contextmenu_item> service;
  std::uint32_t index = 0;
  if (!find_command_by_name(p_name, p_name_length, service, index)) return false;
  p_out = service->get_item_guid(index);
  return true;
}

bool find_command_by_path(const char* p_full_name, service_ptr_t<contextmenu_item>& p_service,
                          std::uint32_t& p_index) {
  zut::string8 path, name;
  return find_command(
      [&](contextmenu_item& s, std::uint32_t i) {
        s.get_item_default_path(i, path);
        if (!path.is_empty()) path.add_byte('/');
        s.get_item_name(i, name);
        path += name;
        return stricmp_utf8(path, p_full_name) == 0;
      },
      p_service, p_index);
}

bool find_command_guid_by_path(const char* p_full_name, GUID& p_out) {
  service_ptr_t<contextmenu_item> service;
  std::uint32_t index = 0;
  if (!find_command_by_path(p_full_name, service, index)) return false;
  p_out = service->get_item_guid(index);
  return true;
}

// ---- Lookup tables

command_table::~command_table() { free_names(); }

void command_table::free_names() {
  for (t_size i = 0; i < m_data.get_size(); ++i) std::free(m_data[i].name);
  m_data.set_size(0);
}

void command_table::build(unsigned p_fill_line, unsigned p_end_line, int (*p_order)(const entry&, const entry&)) {
  // What an earlier build that failed midway filled.
  free_names();
  // 1.
  t_size total = 0;
  {
    service_enumerator_t<contextmenu_item> services;
    service_ptr_t<contextmenu_item> service;
    while (services.next(service)) total += service->get_num_items();
  }
  m_data.set_size(total);
  for (t_size i = 0; i < total; ++i) m_data[i].name = nullptr;
  // 2.
  t_size dataptr = 0;
  zut::string8 name;
  service_enumerator_t<contextmenu_item> services;
  service_ptr_t<contextmenu_item> service;
  bool full = false;
  while (!full && services.next(service)) {
    const std::uint32_t count = service->get_num_items();
    for (std::uint32_t i = 0; i < count; ++i) {
      if (!(dataptr < m_data.get_size())) {
        TROVA_SERVICE_ASSERT(dataptr < m_data.get_size(), kSourceFile, p_fill_line);
        full = true;
        break;
      }
      service->get_item_name(i, name);
      m_data[dataptr].name = zut::strdup_n(name, ~t_size(0));
      if (m_data[dataptr].name == nullptr) throw std::bad_alloc();
      m_data[dataptr].guid = service->get_item_guid(i);
      ++dataptr;
    }
  }
  // 3. Entries that were never filled are dropped.
  if (!full) {
    TROVA_SERVICE_ASSERT(dataptr == m_data.get_size(), kSourceFile, p_end_line);
    m_data.set_size(dataptr);
  }
  // 4.
  zut::sort_callback_impl_simple_wrap_t<zut::array_t<entry>, int (*)(const entry&, const entry&)> order(m_data,
                                                                                                     p_order);
  zut::sort(order, m_data.get_size());
  m_built = true;
}

const char* guid_to_name_table::search(const GUID& p_command) {
  if (!is_built()) build(206, 214, [](const entry& a, const entry& b) { return compare_guid_bytes(a.guid, b.guid); });
  // 5.
  t_size found = 0;
  if (!zut::bsearch_t(m_data.get_size(), m_data,
                      [](const entry& e, const GUID& key) { return compare_guid_bytes(e.guid, key); }, p_command,
                      found))
    return nullptr;
  return m_data[found].name;
}

bool name_to_guid_table::search(const char* p_name, t_size p_name_length, GUID& p_out) {
  if (!is_built()) build(274, 282, [](const entry& a, const entry& b) { return stricmp_utf8(a.name, b.name); });
  // 5.
  struct key {
    const char* name;
    t_size length;
  };
  t_size found = 0;
  if (!zut::bsearch_t(m_data.get_size(), m_data,
                      [](const entry& e, const key& k) { return stricmp_utf8_ex(e.name, ~0u, k.name, k.length); },
                      key{p_name, p_name_length}, found))
    return false;
  p_out = m_data[found].guid;
  return true;
}

}  // namespace menu_helpers
