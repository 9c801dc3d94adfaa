// The boundary seen from code built with the Microsoft C++ ABI (ms_abi_side.cpp, compiled by clang):
// it drives every service of a copy of tro_ui_zin.dll that stands alone in a folder, and it
// implements the host services whose slots return records or take counted pointers, which the SDK
// layer calls here. Also: what the DLL imports.

#include <gtest/gtest.h>
#include <trovaplay/sdk/client.h>
#include <trovaplay/sdk/contextmenu_item.h>
#include <trovaplay/sdk/filesystem.h>
#include <trovaplay/sdk/file_info.h>
#include <trovaplay/sdk/mainmenu.h>
#include <trovaplay/sdk/menu_helpers.h>
#include <trovaplay/sdk/metadb_handle.h>
#include <trovaplay/sdk/metadb_handle_list.h>

#include <string>

#include "../sdk/fake_host.h"

extern "C" {
void* ms_mainmenu_commands_service();
void* ms_mainmenu_manager_service();
void* ms_contextmenu_item_service();
void* ms_metadb_handle_service();
void* ms_file_info_record();
void* ms_archive_service();
std::uint32_t ms_mainmenu_executed(void** p_callback);
std::uint32_t ms_manager_executed(void** p_callback);
std::uint32_t ms_item_executed(GUID* p_caller);
int ms_nodes_destroyed();
bool ms_archive_paths_seen();
const char* ms_drive_component(trovaplay_get_interface_t p_entry, void* p_api, void* p_instance, void* p_parent,
                               void** p_page_window, int* p_failures);
}

namespace {

std::wstring program_folder() {
  wchar_t exe[MAX_PATH];
  std::wstring path(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
  return path.erase(path.find_last_of(L"\\/") + 1);
}

// The DLL copied alone into a folder of its own, loaded by its full path. shared.dll is found in this
// program's folder, as in a host's.
class AloneDll : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring folder = program_folder() + L"abi_alone";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\tro_ui_zin.dll";
    ASSERT_TRUE(CopyFileW((program_folder() + L"tro_ui_zin.dll").c_str(), path.c_str(), FALSE));
    module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr) << "LoadLibrary failed: " << GetLastError();
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
  }
  HMODULE module = nullptr;
};

// Every module in the import table is shared.dll or a DLL of the system folder (the Windows DLLs and
// the C runtime): no runtime of the compiler that a host's folder would not hold.
TEST_F(AloneDll, ImportsOnlySharedDllAndSystemDlls) {
  const char* base = reinterpret_cast<const char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  ASSERT_NE(dir.VirtualAddress, 0u);
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  int modules = 0;
  for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d, ++modules) {
    const std::string name = base + d->Name;
    if (_stricmp(name.c_str(), "shared.dll") == 0) continue;
    const std::wstring in_system = std::wstring(system) + L"\\" + std::wstring(name.begin(), name.end());
    EXPECT_NE(GetFileAttributesW(in_system.c_str()), INVALID_FILE_ATTRIBUTES) << name << " is no system DLL";
  }
  EXPECT_GT(modules, 3);
}

TEST_F(AloneDll, EveryComponentServiceCalledFromMicrosoftAbiCode) {
  auto entry = reinterpret_cast<trovaplay_get_interface_t>(
      reinterpret_cast<void*>(GetProcAddress(module, TROVAPLAY_ENTRY_NAME)));
  ASSERT_NE(entry, nullptr);
  fake_host host;
  const HWND parent = CreateWindowW(L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                    nullptr, nullptr);
  void* page = nullptr;
  int failures = -1;
  const char* report = ms_drive_component(entry, &host, module, parent, &page, &failures);
  EXPECT_EQ(failures, 0) << report;
  if (page) DestroyWindow(static_cast<HWND>(page));
  DestroyWindow(parent);
}

const GUID kItem = {0xB2, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
const GUID kChild = {0xC3, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};

template <typename T>
T* ms_object(void* p_service) {
  return static_cast<T*>(static_cast<service_base*>(p_service));
}

TEST(MicrosoftAbiHost, ServicesThatReturnRecordsOrTakeCountedPointers) {
  reset_module_state();
  fake_host host;
  host.offer(mainmenu_commands::class_guid, ms_object<service_base>(ms_mainmenu_commands_service()));
  host.offer(contextmenu_item::class_guid, ms_object<service_base>(ms_contextmenu_item_service()));
  start_services(host);
  fake_plain_service callback(1);
  void* seen = nullptr;

  // Main-menu commands: the GUID by value (slot 4), the callback by value (slot 10).
  GUID command = {};
  EXPECT_TRUE(mainmenu_find_command_by_name("PREFERENCES", command));
  EXPECT_TRUE(zut::guid_equal(command, mainmenu_commands::guid_preferences));
  EXPECT_TRUE(mainmenu_run_command(command, service_ptr_t<service_base>(&callback)));
  EXPECT_EQ(ms_mainmenu_executed(&seen), 1u);
  EXPECT_EQ(seen, static_cast<service_base*>(&callback));
  EXPECT_EQ(callback.count(), 1);  // the command's copy released its reference

  // The main-menu manager: the callback by value (slot 5) and the bool result.
  mainmenu_manager* manager = ms_object<mainmenu_manager>(ms_mainmenu_manager_service());
  EXPECT_TRUE(manager->execute_command(7, service_ptr_t<service_base>(&callback)));
  EXPECT_EQ(ms_manager_executed(&seen), 7u);
  EXPECT_EQ(seen, static_cast<service_base*>(&callback));
  EXPECT_FALSE(manager->execute_command(3, service_ptr_t<service_base>()));
  EXPECT_EQ(ms_manager_executed(&seen), 3u);
  EXPECT_EQ(seen, nullptr);
  EXPECT_EQ(callback.count(), 1);

  // Context-menu items and nodes: the item GUID by value (slot 5); a node's GUID written without a
  // result (slot 7), where the root writes none.
  metadb_handle_list_t none;
  EXPECT_TRUE(menu_helpers::run_command(kItem, GUID{}, none, contextmenu_callers::now_playing));
  GUID caller = {};
  EXPECT_EQ(ms_item_executed(&caller), 0u);
  EXPECT_TRUE(zut::guid_equal(caller, contextmenu_callers::now_playing));
  contextmenu_item* item = ms_object<contextmenu_item>(ms_contextmenu_item_service());
  zut::string8 label;
  std::uint32_t flags = 0;
  EXPECT_TRUE(item_query_node_display(*item, label, flags, 0, kChild, none, GUID{}));
  EXPECT_STREQ(label.get_ptr(), "Child");
  EXPECT_EQ(flags, 1u);
  EXPECT_FALSE(item_query_node_display(*item, label, flags, 0, GUID{}, none, GUID{}));
  EXPECT_EQ(ms_nodes_destroyed(), 2);

  // A track's file statistics (slot 7), a record's length (a double, slot 0) and replay gain (slot 3),
  // an archive member's statistics (slot 18).
  const metadb_handle* handle = ms_object<metadb_handle>(ms_metadb_handle_service());
  EXPECT_EQ(handle->stats_size(), 0x123456789ull);
  EXPECT_EQ(handle->stats_timestamp(), 0x1D9000000000001ull);
  EXPECT_FALSE(handle->needs_reload(file_stats{0x123456789ull, 0x1D9000000000001ull}, true));
  const file_info* info = static_cast<const file_info*>(ms_file_info_record());
  EXPECT_EQ(info->get_length(), 187.25);
  const replaygain_info gain = info->get_replaygain();
  EXPECT_EQ(gain.m_album_gain, -6.5f);
  EXPECT_EQ(gain.m_track_gain, 1.25f);
  EXPECT_EQ(gain.m_album_peak, 0.875f);
  EXPECT_EQ(gain.m_track_peak, 0.5f);
  trovaplay_io::abort_callback_impl abort;
  const file_stats member = ms_object<archive>(ms_archive_service())->get_member_stats("a.zip", "m.txt", abort);
  EXPECT_EQ(member.m_size, 42u);
  EXPECT_EQ(member.m_timestamp, 7u);
  EXPECT_TRUE(ms_archive_paths_seen());
  reset_module_state();
}

}  // namespace
