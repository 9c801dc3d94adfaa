// Loads the real tro_ui_zin.dll from this program's folder through LoadLibrary / GetProcAddress, as a
// host does, and checks the entry, the client object and the factory list.

#include <gtest/gtest.h>
#include <trovaplay/sdk/client.h>
#include <trovaplay/sdk/componentversion.h>
#include <zut/string.h>

#include <string>

#include "fake_host.h"

namespace {

std::wstring dll_path() {
  wchar_t exe[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring path(exe, n);
  path.erase(path.find_last_of(L"\\/") + 1);
  return path + L"tro_ui_zin.dll";
}

class RealDll : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_call_log().clear();
    module = LoadLibraryW(dll_path().c_str());
    ASSERT_NE(module, nullptr) << "LoadLibrary failed: " << GetLastError();
    entry = reinterpret_cast<trovaplay_get_interface_t>(
        reinterpret_cast<void*>(GetProcAddress(module, TROVAPLAY_ENTRY_NAME)));
    ASSERT_NE(entry, nullptr);
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
  }
  HMODULE module = nullptr;
  trovaplay_get_interface_t entry = nullptr;
  fake_host host;
};

TEST_F(RealDll, ExportedByNameAtOrdinalOne) {
  FARPROC by_ordinal = GetProcAddress(module, MAKEINTRESOURCEA(1));
  EXPECT_EQ(reinterpret_cast<void*>(by_ordinal), reinterpret_cast<void*>(entry));
}

TEST_F(RealDll, EntryAndClient) {
  trovaplay_client* client = entry(&host, module);
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(entry(&host, module), client);  // the same static object
  EXPECT_EQ(client->get_version(), 71u);
  EXPECT_TRUE(client->is_debug());
  EXPECT_TRUE(fake_call_log().empty());
}

TEST_F(RealDll, FactoryListAndComponentVersion) {
  trovaplay_client* client = entry(&host, module);
  client->set_library_path("C:\\trovaplay\\components\\tro_ui_zin.dll", "tro_ui_zin");
  client->services_init(true);

  // The factories registered so far: the component version record at least (the list grows with the
  // engine's user interface, listeners and preferences page). Every one is of a class the component
  // offers, and none appears twice.
  const GUID offered[] = {
      {0x8E4EED7A, 0xC6B8, 0x49C7, {0x99, 0xFE, 0x97, 0xE0, 0x4A, 0xAA, 0x63, 0xA8}},
      {0x95E9F11B, 0x4C99, 0x4D0A, {0xAB, 0x9F, 0x36, 0x71, 0x96, 0xB1, 0x09, 0x25}},
      {0x7255E8D0, 0x3FCF, 0x4781, {0xB9, 0x3B, 0xD0, 0x6C, 0xB8, 0x8D, 0xFA, 0xFA}},
      componentversion::class_guid,
      {0x1ADD4DC4, 0xB278, 0x4A0C, {0xA1, 0x05, 0x26, 0x29, 0xF4, 0xB3, 0x12, 0xF4}},
  };
  int seen[5] = {0, 0, 0, 0, 0};
  service_factory_base* version_factory = nullptr;
  for (service_factory_base* f = client->get_service_list(); f; f = f->get_next()) {
    int which = -1;
    for (int n = 0; n < 5; n++)
      if (zut::guid_equal(f->get_class_guid(), offered[n])) which = n;
    ASSERT_GE(which, 0) << "a factory of a class the component does not offer";
    ++seen[which];
    if (which == 3) version_factory = f;
  }
  for (int n = 0; n < 5; n++) EXPECT_LE(seen[n], 1) << "class " << n << " registered twice";
  ASSERT_NE(version_factory, nullptr);

  service_ptr_t<service_base> svc;
  version_factory->instance_create(svc);
  ASSERT_TRUE(svc.is_valid());
  EXPECT_EQ(svc->service_add_ref(), 1);
  EXPECT_EQ(svc->service_release(), 1);
  service_ptr_t<service_base> queried;
  ASSERT_TRUE(svc->service_query(queried, componentversion::class_guid));
  const GUID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  service_ptr_t<service_base> none;
  EXPECT_FALSE(svc->service_query(none, other));
  EXPECT_TRUE(none.is_empty());

  componentversion* cv = static_cast<componentversion*>(queried.get_ptr());
  zut::string8_t<zut::alloc_standard> text;
  cv->get_component_name(text);
  EXPECT_STREQ(text.get_ptr(), "zin_window_debug");
  cv->get_component_version(text);
  EXPECT_STREQ(text.get_ptr(), "0.1");
  cv->get_about_message(text);
  EXPECT_STREQ(text.get_ptr(), "skinnable ui for trovaplay");
  cv->get_file_name(text);
  EXPECT_STREQ(text.get_ptr(), "tro_ui_zin");

  svc.release();
  queried.release();
  client->services_init(false);
}

TEST_F(RealDll, ConfigBlobThroughTheClient) {
  // No configuration variable in the component: get_config writes an empty blob.
  trovaplay_client* client = entry(&host, module);
  client->services_init(true);
  class mem_writer : public trovaplay_io::stream_writer {
   public:
    void write(const void*, std::uint32_t n, trovaplay_io::abort_callback&) override { bytes += n; }
    std::uint32_t bytes = 0;
  } w;
  trovaplay_io::abort_callback_impl abort;
  client->get_config(w, abort);
  EXPECT_EQ(w.bytes, 0u);
  client->services_init(false);
}

}  // namespace
