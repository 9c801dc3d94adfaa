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
#include "playlist_model.h"

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

// The playlist listener: slot 3 get_flags on the service side, slots 0 to 14 of the listener table
// reached as a host reaches them (service_base* -> playlist_callback_single_static* ->
// playlist_callback_single*).
class recording_playlist_listener : public playlist_callback_single_static {
 public:
  std::uint32_t get_flags() override { return log(-3), ~0u; }
  void on_items_added(t_size, const handle_list_const&, const bit_array&) override { log(0); }
  void on_items_reordered(const t_size*, t_size) override { log(1); }
  void on_items_removing(const bit_array&, t_size, t_size) override { log(2); }
  void on_items_removed(const bit_array&, t_size, t_size) override { log(3); }
  void on_items_selection_change(const bit_array&, const bit_array&) override { log(4); }
  void on_item_focus_change(t_size, t_size) override { log(5); }
  void on_items_modified(const bit_array&) override { log(6); }
  void on_items_modified_2(const bit_array&, std::uint32_t) override { log(7); }
  void on_items_replaced(const bit_array&, const handle_list_const&) override { log(8); }
  void on_item_ensure_visible(t_size) override { log(9); }
  void on_playlist_switch() override { log(10); }
  void on_playlist_renamed(const char*, t_size) override { log(11); }
  void on_playlist_locked(bool) override { log(12); }
  void on_titles_invalidated() override { log(13); }
  void on_playback_order_changed(t_size) override { log(14); }
  void log(int n) { fake_log("playlist_listener", n); }
};

TEST(Slots, PlaylistCallback) {
  fake_call_log().clear();
  static service_factory_single_t<recording_playlist_listener> factory;
  service_ptr_t<service_base> svc;
  factory.instance_create(svc);
  void* primary = svc.get_ptr();
  EXPECT_EQ(slot<std::uint32_t(THISCALL*)(void*)>(primary, 3)(primary), ~0u);
  playlist_callback_single* listener = static_cast<playlist_callback_single_static*>(svc.get_ptr());
  void* obj = listener;
  const bit_array_true all;
  const zut::list_t<service_ptr_t<metadb_handle>> none;
  const handle_list_const& no_items = none;
  const t_size order[1] = {0};
  using mask_fn = void(THISCALL*)(void*, const bit_array&);
  using counts_fn = void(THISCALL*)(void*, const bit_array&, t_size, t_size);
  slot<void(THISCALL*)(void*, t_size, const handle_list_const&, const bit_array&)>(obj, 0)(obj, 0, no_items, all);
  slot<void(THISCALL*)(void*, const t_size*, t_size)>(obj, 1)(obj, order, 1);
  slot<counts_fn>(obj, 2)(obj, all, 1, 0);
  slot<counts_fn>(obj, 3)(obj, all, 1, 0);
  slot<void(THISCALL*)(void*, const bit_array&, const bit_array&)>(obj, 4)(obj, all, all);
  slot<void(THISCALL*)(void*, t_size, t_size)>(obj, 5)(obj, 0, 1);
  slot<mask_fn>(obj, 6)(obj, all);
  slot<void(THISCALL*)(void*, const bit_array&, std::uint32_t)>(obj, 7)(obj, all, 0);
  slot<void(THISCALL*)(void*, const bit_array&, const handle_list_const&)>(obj, 8)(obj, all, no_items);
  slot<void(THISCALL*)(void*, t_size)>(obj, 9)(obj, 0);
  slot<void(THISCALL*)(void*)>(obj, 10)(obj);
  slot<void(THISCALL*)(void*, const char*, t_size)>(obj, 11)(obj, "x", 1);
  slot<void(THISCALL*)(void*, bool)>(obj, 12)(obj, true);
  slot<void(THISCALL*)(void*)>(obj, 13)(obj);
  slot<void(THISCALL*)(void*, t_size)>(obj, 14)(obj, 1);
  EXPECT_EQ(fake_slots_of("playlist_listener"),
            (std::vector<int>{-3, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
}

// Slots called by number through the table, as a host built by another compiler lays it out.
TEST(Slots, PlaylistManager) {
    playlist_model m(3);
    playlist_manager* iface = &m;
    void* obj = iface;
    using u32_of_void = std::uint32_t(THISCALL*)(void*);
    using u32_of_u32 = std::uint32_t(THISCALL*)(void*, std::uint32_t);
    using bool_of_u32 = bool(THISCALL*)(void*, std::uint32_t);
    m.calls.clear();
    EXPECT_EQ(1u, slot<u32_of_void>(obj, 3)(obj));
    EXPECT_EQ(0u, slot<u32_of_void>(obj, 4)(obj));
    EXPECT_EQ(100u, slot<u32_of_u32>(obj, 7)(obj, 0));
    EXPECT_EQ(3u, slot<u32_of_u32>(obj, 11)(obj, 0));
    slot<u32_of_u32>(obj, 13)(obj, 0);
    slot<void(THISCALL*)(void*, std::uint32_t, std::uint32_t)>(obj, 19)(obj, 0, 1);
    slot<u32_of_u32>(obj, 23)(obj, 0);
    for (int n = 24; n <= 27; ++n) slot<bool_of_u32>(obj, n)(obj, 0);
    slot<u32_of_u32>(obj, 38)(obj, 0);
    slot<u32_of_void>(obj, 39)(obj);
    slot<u32_of_void>(obj, 42)(obj);
    EXPECT_TRUE((slot<bool(THISCALL*)(void*, std::uint32_t, std::uint32_t)>(obj, 56)(obj, 0, 2)));
    EXPECT_EQ((std::vector<int>{3, 4, 7, 11, 13, 19, 23, 24, 25, 26, 27, 38, 39, 42, 56}), m.slots());
}

}  // namespace
