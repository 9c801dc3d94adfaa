// Slot positions: every boundary interface is called through its virtual table by slot NUMBER (as a
// host built by another compiler would), and the recording fakes log which operation answered.

#include <gtest/gtest.h>
#include <trovaplay/sdk/client.h>
#include <trovaplay/sdk/componentversion.h>
#include <trovaplay/sdk/console_receiver.h>
#include <trovaplay/sdk/play_callback.h>
#include <trovaplay/sdk/stream.h>
#include <zut/string.h>

#include "fake_host.h"
#include "slot_call.h"

namespace {

TEST(Slots, ServiceBaseAndConsoleReceiver) {
  fake_call_log().clear();
  fake_console_receiver r(3);
  console_receiver* iface = &r;
  void* obj = iface;
  EXPECT_EQ(slot<int(THISCALL*)(void*)>(obj, 1)(obj), 2);  // add-ref
  EXPECT_EQ(slot<int(THISCALL*)(void*)>(obj, 0)(obj), 1);  // release
  service_ptr_t<service_base> out;
  EXPECT_TRUE((slot<bool(THISCALL*)(void*, service_ptr_t<service_base>&, const GUID&)>(obj, 2)(
      obj, out, console_receiver::class_guid)));
  out.release();
  slot<void(THISCALL*)(void*, const char*, std::uint32_t)>(obj, 3)(obj, "line", ~0u);
  EXPECT_EQ(fake_slots_of("console_receiver#3"), (std::vector<int>{1, 0, 2, 1, 0, 3}));
  EXPECT_EQ(r.lines, (std::vector<std::string>{"line"}));
}

TEST(Slots, HostApi) {
  fake_call_log().clear();
  fake_host h;
  host_api* iface = &h;
  void* obj = iface;
  service_class_ref ref = slot<service_class_ref(THISCALL*)(void*, const GUID&)>(obj, 0)(obj, console_receiver::class_guid);
  service_ptr_t<service_base> out;
  EXPECT_FALSE((slot<bool(THISCALL*)(void*, service_ptr_t<service_base>&, service_class_ref, std::uint32_t)>(obj, 1)(
      obj, out, ref, 0)));
  EXPECT_EQ((slot<std::uint32_t(THISCALL*)(void*, service_class_ref)>(obj, 2)(obj, ref)), 0u);
  EXPECT_EQ(slot<HWND(THISCALL*)(void*)>(obj, 3)(obj), h.main_window);
  slot<bool(THISCALL*)(void*)>(obj, 4)(obj);
  slot<bool(THISCALL*)(void*)>(obj, 5)(obj);
  slot<bool(THISCALL*)(void*)>(obj, 6)(obj);
  EXPECT_STREQ(slot<const char*(THISCALL*)(void*)>(obj, 7)(obj), h.profile_path);
  slot<bool(THISCALL*)(void*)>(obj, 8)(obj);
  EXPECT_EQ(fake_slots_of("host_api"), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

// The client object's slots, proved by what each one does.
TEST(Slots, Client) {
  reset_module_state();
  fake_host h;
  void* obj = trovaplay_get_interface(&h, nullptr);
  EXPECT_EQ(slot<std::uint32_t(THISCALL*)(void*)>(obj, 0)(obj), 71u);
  EXPECT_EQ(slot<service_factory_base*(THISCALL*)(void*)>(obj, 1)(obj), service_factory_base::get_list_head());
  slot<void(THISCALL*)(void*, const char*, const char*)>(obj, 4)(obj, "C:\\x\\tro_ui_zin.dll", "tro_ui_zin");
  EXPECT_STREQ(core_api::get_my_file_name(), "tro_ui_zin");
  slot<void(THISCALL*)(void*, bool)>(obj, 5)(obj, true);
  EXPECT_TRUE(core_api::are_services_available());
  EXPECT_TRUE(slot<bool(THISCALL*)(void*)>(obj, 6)(obj));
  slot<void(THISCALL*)(void*, bool)>(obj, 5)(obj, false);
  EXPECT_FALSE(core_api::are_services_available());
  reset_module_state();
}

// Recording stream fakes for client slots 2 and 3.
class recording_writer : public trovaplay_io::stream_writer {
 public:
  void write(const void*, std::uint32_t p_bytes, trovaplay_io::abort_callback&) override { bytes += p_bytes; }
  std::uint32_t bytes = 0;
};

class recording_reader : public trovaplay_io::stream_reader {
 public:
  std::uint32_t read(void*, std::uint32_t, trovaplay_io::abort_callback&) override {
    ++reads;
    return 0;
  }
  int reads = 0;
};

TEST(Slots, ClientConfig) {
  reset_module_state();
  fake_host h;
  void* obj = trovaplay_get_interface(&h, nullptr);
  trovaplay_io::abort_callback_impl abort;
  recording_writer w;
  slot<void(THISCALL*)(void*, trovaplay_io::stream_writer&, trovaplay_io::abort_callback&)>(obj, 2)(obj, w, abort);
  EXPECT_EQ(w.bytes, 0u);  // no configuration variable: an empty blob
  recording_reader r;
  slot<void(THISCALL*)(void*, trovaplay_io::stream_reader&, trovaplay_io::abort_callback&)>(obj, 3)(obj, r, abort);
  EXPECT_EQ(r.reads, 1);  // one read of 16 bytes finds the end
  reset_module_state();
}

TEST(Slots, StreamReaderAndAbortCallback) {
  class reader : public trovaplay_io::stream_reader {
   public:
    std::uint32_t read(void*, std::uint32_t p_bytes, trovaplay_io::abort_callback&) override {
      log.push_back(p_bytes);
      return 0;
    }
    std::vector<std::uint32_t> log;
  } r;
  trovaplay_io::abort_callback_impl abort;
  trovaplay_io::stream_reader* iface = &r;
  void* obj = iface;
  char buf[4];
  EXPECT_EQ((slot<std::uint32_t(THISCALL*)(void*, void*, std::uint32_t, trovaplay_io::abort_callback&)>(obj, 0)(
                obj, buf, 4, abort)),
            0u);
  EXPECT_EQ((slot<std::uint64_t(THISCALL*)(void*, std::uint64_t, trovaplay_io::abort_callback&)>(obj, 2)(obj, 300, abort)),
            0u);
  EXPECT_EQ(r.log, (std::vector<std::uint32_t>{4, 256}));
  trovaplay_io::abort_callback* a = &abort;
  void* aobj = a;
  EXPECT_FALSE(slot<bool(THISCALL*)(void*)>(aobj, 0)(aobj));
  EXPECT_EQ(slot<HANDLE(THISCALL*)(void*)>(aobj, 1)(aobj), abort.abort_event());
}

// The component version record: slots 3 to 6.
TEST(Slots, ComponentVersion) {
  reset_module_state();
  fake_host h;
  trovaplay_get_interface(&h, nullptr)->set_library_path("C:\\x\\tro_ui_zin.dll", "tro_ui_zin");
  service_impl_single_t<componentversion_impl_simple> cv("name", "1.2", nullptr);
  componentversion* iface = &cv;
  void* obj = iface;
  zut::string8_t<zut::alloc_standard> out;
  typedef void(THISCALL * getter)(void*, zut::string_base&);
  slot<getter>(obj, 3)(obj, out);
  EXPECT_STREQ(out.get_ptr(), "tro_ui_zin");
  slot<getter>(obj, 4)(obj, out);
  EXPECT_STREQ(out.get_ptr(), "name");
  slot<getter>(obj, 5)(obj, out);
  EXPECT_STREQ(out.get_ptr(), "1.2");
  slot<getter>(obj, 6)(obj, out);
  EXPECT_STREQ(out.get_ptr(), "");
  EXPECT_EQ(slot<int(THISCALL*)(void*)>(obj, 0)(obj), 1);
  EXPECT_EQ(slot<int(THISCALL*)(void*)>(obj, 1)(obj), 1);
  reset_module_state();
}

// The play listener: primary table (service side, slot 3 get_flags) and the play_callback table
// reached the way a host reaches it (service_base* -> play_callback_static* -> play_callback*).
class recording_listener : public play_callback_static {
 public:
  std::uint32_t get_flags() override { return log(-3), 1023; }
  void on_start(std::int32_t, bool) override { log(0); }
  void on_new_track(metadb_handle*) override { log(1); }
  void on_stop(std::int32_t) override { log(2); }
  void on_seek(double) override { log(3); }
  void on_pause(bool) override { log(4); }
  void on_edited(metadb_handle*) override { log(5); }
  void on_dynamic(const file_info&) override { log(6); }
  void on_dynamic_track(const file_info&) override { log(7); }
  void on_time(double) override { log(8); }
  void on_volume_change(float) override { log(9); }
  void log(int n) { fake_log("listener", n); }
};

TEST(Slots, PlayCallback) {
  fake_call_log().clear();
  static service_factory_single_t<recording_listener> factory;  // the factory builds the singleton
  service_ptr_t<service_base> svc;
  factory.instance_create(svc);
  void* primary = svc.get_ptr();
  EXPECT_EQ(slot<int(THISCALL*)(void*)>(primary, 0)(primary), 1);
  EXPECT_EQ(slot<int(THISCALL*)(void*)>(primary, 1)(primary), 1);
  service_ptr_t<service_base> q;
  EXPECT_TRUE((slot<bool(THISCALL*)(void*, service_ptr_t<service_base>&, const GUID&)>(primary, 2)(
      primary, q, play_callback_static::class_guid)));
  EXPECT_EQ(slot<std::uint32_t(THISCALL*)(void*)>(primary, 3)(primary), 1023u);
  play_callback* listener = static_cast<play_callback_static*>(svc.get_ptr());
  void* obj = listener;
  slot<void(THISCALL*)(void*, std::int32_t, bool)>(obj, 0)(obj, 0, false);
  slot<void(THISCALL*)(void*, metadb_handle*)>(obj, 1)(obj, nullptr);
  slot<void(THISCALL*)(void*, std::int32_t)>(obj, 2)(obj, 0);
  slot<void(THISCALL*)(void*, double)>(obj, 3)(obj, 1.0);
  slot<void(THISCALL*)(void*, bool)>(obj, 4)(obj, true);
  slot<void(THISCALL*)(void*, metadb_handle*)>(obj, 5)(obj, nullptr);
  slot<void(THISCALL*)(void*, const file_info*)>(obj, 6)(obj, nullptr);
  slot<void(THISCALL*)(void*, const file_info*)>(obj, 7)(obj, nullptr);
  slot<void(THISCALL*)(void*, double)>(obj, 8)(obj, 2.0);
  slot<void(THISCALL*)(void*, float)>(obj, 9)(obj, 0.5f);
  EXPECT_EQ(fake_slots_of("listener"), (std::vector<int>{-3, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

}  // namespace
