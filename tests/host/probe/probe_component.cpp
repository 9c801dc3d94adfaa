// host_probe.dll: a small component built from the real SDK layer, for the reference host's end-to-end
// tests. It offers a component version record ("host_probe") and keeps one configuration variable.
// When the host asks for the configuration (at exit, services still available) the variable checks
// the host's service registry through the SDK and prints each finding on the host's console as
// "probe: ..." lines. It also keeps one host reference until the module unloads, which the host must
// survive (its own services outlive the component).
#include <cstdio>
#include <string>

#include <trovaplay/sdk/cfg_var.h>
#include <trovaplay/sdk/componentversion.h>
#include <trovaplay/sdk/console.h>
#include <trovaplay/sdk/core_api.h>
#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/filesystem.h>
#include <trovaplay/sdk/service.h>

namespace {

componentversion_impl_simple_factory g_probe_version("host_probe", "1.0", "end-to-end probe of the host");

const GUID kUnknownClass = {0x6B1F3A52, 0x1D44, 0x4C0E, {0x9A, 0x11, 0x52, 0x7E, 0x3C, 0x80, 0x01, 0x77}};
const GUID kProbeVar = {0x0E5C9D31, 0x7A22, 0x4B4D, {0x8C, 0x3E, 0x11, 0x20, 0x9F, 0x45, 0x6A, 0x02}};

// Held from the first check to the module's unload.
service_ptr_t<console_receiver> g_kept_receiver;

void say(const std::string& text) { console::print(("probe: " + text).c_str()); }

std::string yes_no(bool v) { return v ? "yes" : "no"; }

class probe_var : public cfg_var {
 public:
  probe_var() : cfg_var(kProbeVar) {}

  void get_data_raw(trovaplay_io::stream_writer& p_stream, trovaplay_io::abort_callback& p_abort) override {
    run_checks();
    const char payload[] = "probe-blob-v1";
    p_stream.write(payload, sizeof payload - 1, p_abort);
  }

  void set_data_raw(trovaplay_io::stream_reader& p_stream, std::uint32_t p_size,
                    trovaplay_io::abort_callback& p_abort) override {
    m_previous.assign(p_size, '\0');
    if (p_size) p_stream.read_exact(&m_previous[0], p_size, p_abort);
  }

 private:
  void run_checks() {
    say("previous blob '" + m_previous + "'");

    const service_class_ref unknown = service_class_find(kUnknownClass);
    say("unknown class count " + std::to_string(service_class_get_count(unknown)));
    service_ptr_t<service_base> tmp;
    say("unknown class create 0 " + yes_no(service_class_create(tmp, unknown, 0)));

    const service_class_ref consoles = service_class_find(console_receiver::class_guid);
    const std::uint32_t n = service_class_get_count(consoles);
    say("console receivers " + std::to_string(n));
    say("create at last index ok " + yes_no(n > 0 && service_class_create(tmp, consoles, n - 1)));
    tmp.release();
    say("create past the end " + yes_no(service_class_create(tmp, consoles, n)));

    // Reference counts: the registry holds one, each creation hands out one more.
    service_ptr_t<console_receiver> a;
    service_create_first(a);
    const int added = a->service_add_ref();
    const int left = a->service_release();
    say("refcount add " + std::to_string(added) + " release " + std::to_string(left));
    a.release();
    service_create_first(g_kept_receiver);

    {
      service_enumerator_t<componentversion> e;
      service_ptr_t<componentversion> v;
      int count = 0;
      while (e.next(v)) ++count;
      say("componentversion services " + std::to_string(count));
    }

    const char* profile = core_api::get_profile_path();
    say(std::string("profile ") + (profile ? profile : "(null)"));
    say("main thread " + yes_no(core_api::is_main_thread()));
    say("main window " + yes_no(core_api::get_main_window() != nullptr));
    say("shutting down " + yes_no(core_api::is_shutting_down()));
    say("initializing " + yes_no(core_api::is_initializing()));
    say("library " + std::string(core_api::get_my_file_name()));
    check_files(profile ? profile : "");
    console::error("probe error line");
  }

  // The host's file system for the profile folder, through the SDK's statics.
  static void check_files(const std::string& p_profile) {
    try {
      trovaplay_io::abort_callback_impl abort;
      const std::string path = p_profile + "\\probe_file.txt";
      {
        filesystem::file_ptr f;
        filesystem::g_open_new(f, path.c_str(), abort);
        trovaplay_io::write_counted_string(*f.get_ptr(), "probe text", abort);
      }
      zut::string8 text;
      {
        filesystem::file_ptr f;
        filesystem::g_open_read_local(f, path.c_str(), abort);
        trovaplay_io::read_counted_string(*f.get_ptr(), text, abort);
      }
      say("file read back '" + std::string(text.get_ptr()) + "'");
      filesystem::g_remove(path.c_str(), abort);
      say("file exists after removal " + yes_no(filesystem::g_exists(path.c_str(), abort)));
    } catch (const std::exception& e) {
      say(std::string("file check failed: ") + e.what());
    }
  }

  std::string m_previous;
};

probe_var g_probe_var;

}  // namespace
