#pragma once
// A recording fake host for the SDK layer's tests: a host_api with a service registry, counted fake
// services, one call log ("who", slot) for every call the component makes into the host, and a
// reference ledger that must balance at the end of each test.

#include <trovaplay/sdk/console_receiver.h>
#include <trovaplay/sdk/core_api.h>
#include <trovaplay/sdk/host_api.h>
#include <trovaplay/sdk/service.h>

#include <string>
#include <vector>

struct fake_call {
  std::string who;  // "host_api", "console_receiver#<id>", "service#<id>"
  int slot;
  std::string text;  // argument text, where there is one
};

// The call log, shared by the fake host and every fake service.
std::vector<fake_call>& fake_call_log();
void fake_log(const std::string& who, int slot, const std::string& text = std::string());
// Slots by which `who` was called, in order.
std::vector<int> fake_slots_of(const std::string& who);

// A counted host service that logs every slot it is called through. Its count starts at 1 (the
// host's own reference) and it records add-ref and release calls in the ledger.
class fake_service_base {
 public:
  explicit fake_service_base(const std::string& who) : m_who(who) {}
  int add_ref() {
    fake_log(m_who, 1);
    return ++m_count;
  }
  int release() {
    fake_log(m_who, 0);
    return --m_count;
  }
  int count() const { return m_count; }
  const std::string& who() const { return m_who; }

 private:
  std::string m_who;
  int m_count = 1;
};

class fake_console_receiver : public console_receiver {
 public:
  explicit fake_console_receiver(int id) : m_counted("console_receiver#" + std::to_string(id)) {}
  int service_release() override { return m_counted.release(); }
  int service_add_ref() override { return m_counted.add_ref(); }
  bool service_query(service_ptr_t<service_base>& p_out, const GUID& p_guid) override {
    fake_log(m_counted.who(), 2);
    return console_receiver::service_query(p_out, p_guid);
  }
  void print(const char* p_text, std::uint32_t p_length) override {
    fake_log(m_counted.who(), 3, p_text ? std::string(p_text) : std::string("<null>"));
    lengths.push_back(p_length);
    lines.push_back(p_text ? p_text : "");
  }
  int count() const { return m_counted.count(); }
  std::vector<std::string> lines;
  std::vector<std::uint32_t> lengths;

 private:
  fake_service_base m_counted;
};

// A plain counted service of some class (no interface of its own beyond service_base).
class fake_plain_service : public service_base {
 public:
  explicit fake_plain_service(int id) : m_counted("service#" + std::to_string(id)) {}
  int service_release() override { return m_counted.release(); }
  int service_add_ref() override { return m_counted.add_ref(); }
  bool service_query(service_ptr_t<service_base>&, const GUID&) override {
    fake_log(m_counted.who(), 2);
    return false;
  }
  int count() const { return m_counted.count(); }

 private:
  fake_service_base m_counted;
};

class fake_host : public host_api {
 public:
  fake_host();
  // Offers `p_service` under `p_guid` (appended: its index is the number offered before).
  void offer(const GUID& p_guid, service_base* p_service);
  // Makes enum_create at any index of the class fail although the count says otherwise.
  void break_creation(const GUID& p_guid);

  service_class_ref enum_find_class(const GUID& p_guid) override;
  bool enum_create(service_ptr_t<service_base>& p_out, service_class_ref p_class, std::uint32_t p_index) override;
  std::uint32_t enum_get_count(service_class_ref p_class) override;
  HWND get_main_window() override;
  bool is_main_thread() override;
  bool query_yes_no() override;
  bool is_shutting_down() override;
  const char* get_profile_path() override;
  bool is_initializing() override;

  // Answers of slots 3 to 8.
  HWND main_window = reinterpret_cast<HWND>(0x1234);
  bool main_thread = true;
  bool yes_no = false;
  bool shutting_down = false;
  const char* profile_path = "file://C:\\profile";
  bool initializing = false;

 private:
  struct service_class {
    GUID guid;
    std::vector<service_base*> services;
    bool broken = false;
  };
  service_class* find(service_class_ref p_class);
  std::vector<service_class> m_classes;
};

// Resets the SDK layer's module state (g_api, instance, path, name, availability flags).
void reset_module_state();
// Entry + services_init(true) with `p_host`.
void start_services(fake_host& p_host);
