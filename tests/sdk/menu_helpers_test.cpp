// Menu helpers and main-menu commands against recording fake command services: lookups by GUID,
// name and path, running with the right caller, checked states, the two lookup tables (also when
// the host's counts change between their walks), and main-menu commands by name and GUID.

#include <gtest/gtest.h>
#include <trovaplay/sdk/mainmenu.h>
#include <trovaplay/sdk/menu_helpers.h>
#include <trovaplay/sdk/metadb_handle_list.h>
#include <zut/primitives.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "fake_host.h"
#include "slot_call.h"

namespace {

GUID make_guid(unsigned char n) { return {0x10000000u + n, 0, 0, {0, 0, 0, 0, 0, 0, 0, n}}; }

struct command {
  std::string name;
  std::string path;
  GUID guid;
  std::uint32_t flags = 0;  // display flags; bit 31: not shown
};

// A tree of one node: the command itself.
class fake_item_node final : public contextmenu_item_node {
 public:
  explicit fake_item_node(const command& c, int& freed) : m_command(c), m_freed(freed) {}
  bool get_display_data(zut::string_base& p_out, std::uint32_t& p_flags, const handle_list_const&,
                        const GUID&) override {
    if (m_command.flags & 0x80000000u) return false;
    p_out = m_command.name.c_str();
    p_flags = m_command.flags;
    return true;
  }
  std::uint32_t get_type() override { return 1; }
  t_size get_children_count() override { return 0; }
  contextmenu_item_node* get_child(t_size) override { return nullptr; }
  void get_guid(GUID& p_out) override { p_out = m_command.guid; }
  void destroy(std::uint32_t p_flags) override {
    if (p_flags & 1) {
      ++m_freed;
      delete this;
    }
  }

 private:
  const command& m_command;
  int& m_freed;
};

class fake_items : public contextmenu_item {
 public:
  explicit fake_items(std::vector<command> c) : commands(std::move(c)) {}
  int service_release() override { return 1; }
  int service_add_ref() override { return 1; }
  std::uint32_t get_num_items() override {
    const std::uint32_t n = std::uint32_t(commands.size());
    if (!counts.empty()) {
      const std::uint32_t answer = counts.front();
      counts.erase(counts.begin());
      return answer;
    }
    return n;
  }
  contextmenu_item_node* instantiate_item(std::uint32_t i, const handle_list_const&, const GUID&) override {
    return new fake_item_node(commands[i], freed);
  }
  GUID* get_item_guid(GUID* p_out, std::uint32_t i) override { return &(*p_out = commands[i].guid); }
  void get_item_name(std::uint32_t i, zut::string_base& p_out) override {
    if (failing_names > 0 && --failing_names == 0) throw std::runtime_error("host failure");
    p_out = commands[i].name.c_str();
  }
  void get_item_default_path(std::uint32_t i, zut::string_base& p_out) override { p_out = commands[i].path.c_str(); }
  bool get_item_description(std::uint32_t i, zut::string_base& p_out) override {
    if (commands[i].path.empty()) return false;
    p_out = ("about " + commands[i].name).c_str();
    return true;
  }
  void item_execute_simple(std::uint32_t i, const GUID&, const handle_list_const& p_data, const GUID& p_caller) override {
    runs.push_back(commands[i].name + "/" + std::to_string(p_data.get_count()));
    caller = p_caller;
  }
  std::vector<command> commands;
  std::vector<std::uint32_t> counts;  // answers of get_num_items before the real count
  int failing_names = 0;              // the name asked for this many calls from now throws
  std::vector<std::string> runs;
  GUID caller = {};
  int freed = 0;
};

class MenuHelpers : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_module_state();
    host.offer(contextmenu_item::class_guid, &a);
    host.offer(contextmenu_item::class_guid, &b);
    start_services(host);
  }
  void TearDown() override { reset_module_state(); }
  fake_host host;
  fake_items a{{{"Zeta", "", make_guid(9)}, {"alpha", "Tools", make_guid(3), 1}}};
  fake_items b{{{"Mid", "", make_guid(5), 0x80000000u},
                {"Beta", "Tools/More", make_guid(1)},
                {"Mid", "", make_guid(5), 1}}};
};

TEST_F(MenuHelpers, FindByGuidNameAndPath) {
  zut::string8 text;
  EXPECT_TRUE(menu_helpers::command_exists(make_guid(1)));
  EXPECT_FALSE(menu_helpers::command_exists(make_guid(7)));
  EXPECT_TRUE(menu_helpers::get_command_name(make_guid(1), text));
  EXPECT_STREQ(text.get_ptr(), "Beta");
  GUID g = {};
  EXPECT_TRUE(menu_helpers::find_command_by_name("ALPHA", ~t_size(0), g));
  EXPECT_TRUE(zut::guid_equal(g, make_guid(3)));
  EXPECT_TRUE(menu_helpers::find_command_by_name("Betamax", 4, g));
  EXPECT_TRUE(zut::guid_equal(g, make_guid(1)));
  // A command with a path is found only by path and name; one without by its name.
  EXPECT_FALSE(menu_helpers::find_command_guid_by_path("Beta", g));
  EXPECT_TRUE(menu_helpers::find_command_guid_by_path("tools/more/beta", g));
  EXPECT_TRUE(zut::guid_equal(g, make_guid(1)));
  EXPECT_TRUE(menu_helpers::find_command_guid_by_path("Zeta", g));
  EXPECT_TRUE(zut::guid_equal(g, make_guid(9)));
}

TEST_F(MenuHelpers, DescriptionIsEmptiedWhenThereIsNone) {
  zut::string8 text("old");
  EXPECT_TRUE(menu_helpers::get_description(make_guid(3), text));
  EXPECT_STREQ(text.get_ptr(), "about alpha");
  EXPECT_FALSE(menu_helpers::get_description(make_guid(9), text));
  EXPECT_STREQ(text.get_ptr(), "");
  text = "kept";
  EXPECT_FALSE(menu_helpers::get_description(make_guid(7), text));
  EXPECT_STREQ(text.get_ptr(), "kept");
}

TEST_F(MenuHelpers, RunFirstMatchWithTheCaller) {
  metadb_handle_list_t tracks;
  tracks.add_item(service_ptr_t<metadb_handle>());
  const GUID caller = make_guid(42);
  EXPECT_TRUE(menu_helpers::run_command(make_guid(5), GUID{}, tracks, caller));
  EXPECT_EQ(b.runs, (std::vector<std::string>{"Mid/1"}));  // the first of the two
  EXPECT_TRUE(zut::guid_equal(b.caller, caller));
  EXPECT_TRUE(menu_helpers::run_command(make_guid(3), GUID{}, tracks));
  EXPECT_TRUE(zut::guid_equal(a.caller, GUID{}));
  EXPECT_FALSE(menu_helpers::run_command(make_guid(7), GUID{}, tracks));
}

TEST_F(MenuHelpers, CheckedStateOfTheFirstShownCommand) {
  metadb_handle_list_t none;
  EXPECT_TRUE(menu_helpers::is_command_checked(make_guid(3), GUID{}, none));
  EXPECT_FALSE(menu_helpers::is_command_checked(make_guid(9), GUID{}, none));
  // The first "Mid" is not shown: the second decides.
  EXPECT_TRUE(menu_helpers::is_command_checked(make_guid(5), GUID{}, none));
  // By node GUID: the tree's own node; an unknown node is not found.
  EXPECT_TRUE(menu_helpers::is_command_checked(make_guid(3), make_guid(3), none));
  EXPECT_FALSE(menu_helpers::is_command_checked(make_guid(3), make_guid(4), none));
  EXPECT_EQ(a.freed, 4);  // every tree asked for was freed
}

TEST_F(MenuHelpers, TablesHoldEveryCommandSortedForSearch) {
  menu_helpers::guid_to_name_table by_guid;
  EXPECT_STREQ(by_guid.search(make_guid(1)), "Beta");  // the fourth command
  EXPECT_STREQ(by_guid.search(make_guid(9)), "Zeta");
  EXPECT_EQ(by_guid.search(make_guid(2)), nullptr);
  menu_helpers::name_to_guid_table by_name;
  GUID g = {};
  EXPECT_TRUE(by_name.search("ZETA", ~t_size(0), g));
  EXPECT_TRUE(zut::guid_equal(g, make_guid(9)));
  EXPECT_TRUE(by_name.search("alphabet", 5, g));
  EXPECT_TRUE(zut::guid_equal(g, make_guid(3)));
  EXPECT_FALSE(by_name.search("Gamma", ~t_size(0), g));
}

TEST_F(MenuHelpers, TablesStayInsideTheirArraysWhenTheHostsCountsChange) {
  // Counted as 1 + 3, then walked as 2 + 3: the last command, one too many, is reported and left out.
  a.counts = {1};
  menu_helpers::guid_to_name_table more;
  const t_size before = zut::get_assert_count();
  EXPECT_STREQ(more.search(make_guid(3)), "alpha");
  EXPECT_EQ(zut::get_assert_count() - before, 1u);
  EXPECT_STREQ(more.search(make_guid(1)), "Beta");
  // Counted as 2 + 3, walked as 2 + 1: the missing entries are reported and dropped.
  b.counts = {3, 1};
  menu_helpers::name_to_guid_table fewer;
  GUID g = {};
  EXPECT_TRUE(fewer.search("Zeta", ~t_size(0), g));
  EXPECT_EQ(zut::get_assert_count() - before, 2u);
  EXPECT_FALSE(fewer.search("Beta", ~t_size(0), g));
}

// A host exception during the first build leaves no half-built table: the next search builds it.
TEST_F(MenuHelpers, ATableWhoseBuildFailedIsBuiltAgain) {
  menu_helpers::guid_to_name_table by_guid;
  menu_helpers::name_to_guid_table by_name;
  b.failing_names = 2;
  EXPECT_THROW(by_guid.search(make_guid(1)), std::runtime_error);
  EXPECT_STREQ(by_guid.search(make_guid(1)), "Beta");
  EXPECT_STREQ(by_guid.search(make_guid(9)), "Zeta");
  b.failing_names = 3;
  GUID g = {};
  EXPECT_THROW(by_name.search("Zeta", ~t_size(0), g), std::runtime_error);
  EXPECT_TRUE(by_name.search("Mid", ~t_size(0), g));
  EXPECT_TRUE(by_name.search("Zeta", ~t_size(0), g));
  EXPECT_TRUE(zut::guid_equal(g, make_guid(9)));
}

// ---- Main-menu commands

class fake_commands : public mainmenu_commands {
 public:
  fake_commands(std::vector<std::string> n, unsigned char first) : names(std::move(n)), first_guid(first) {}
  int service_release() override { return 1; }
  int service_add_ref() override { return 1; }
  std::uint32_t get_command_count() override { return std::uint32_t(names.size()); }
  GUID* get_command(GUID* p_out, std::uint32_t i) override {
    *p_out = names[i] == "Preferences" ? guid_preferences : make_guid(std::uint8_t(first_guid + i));
    return p_out;
  }
  void get_name(std::uint32_t i, zut::string_base& p_out) override { p_out = names[i].c_str(); }
  void execute(std::uint32_t i, service_base* p_callback) override {
    runs.push_back(names[i] + (p_callback ? "+callback" : ""));
    if (p_callback) p_callback->service_release();  // the reference that came with it
  }
  std::vector<std::string> names;
  unsigned char first_guid;
  std::vector<std::string> runs;
};

class MainMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_module_state();
    host.offer(mainmenu_commands::class_guid, &empty);
    host.offer(mainmenu_commands::class_guid, &first);
    host.offer(mainmenu_commands::class_guid, &second);
    start_services(host);
  }
  void TearDown() override { reset_module_state(); }
  fake_host host;
  fake_commands empty{{}, 0};
  fake_commands first{{"Play", "About", "about"}, 10};
  fake_commands second{{"About", "Preferences"}, 20};
};

TEST_F(MainMenu, ByNameTheEarlierServiceAndLowerIndexWin) {
  GUID g = {};
  EXPECT_TRUE(mainmenu_find_command_by_name("ABOUT", g));
  EXPECT_TRUE(zut::guid_equal(g, make_guid(11)));
  EXPECT_TRUE(mainmenu_run_command(g, service_ptr_t<service_base>()));
  EXPECT_EQ(first.runs, (std::vector<std::string>{"About"}));
  EXPECT_TRUE(second.runs.empty());
  const GUID untouched = make_guid(99);
  g = untouched;
  EXPECT_FALSE(mainmenu_find_command_by_name("Abou", g));
  EXPECT_TRUE(zut::guid_equal(g, untouched));
}

TEST_F(MainMenu, ByGuidWithAndWithoutCallback) {
  fake_plain_service callback(1);
  EXPECT_TRUE(mainmenu_run_command(make_guid(20), service_ptr_t<service_base>(&callback)));
  EXPECT_EQ(second.runs, (std::vector<std::string>{"About+callback"}));
  EXPECT_EQ(callback.count(), 1);  // every reference given back
  EXPECT_FALSE(mainmenu_execute_by_guid(make_guid(30)));
  show_preferences();
  EXPECT_EQ(second.runs, (std::vector<std::string>{"About+callback", "Preferences"}));
  EXPECT_TRUE(first.runs.empty());
}

// Slot positions of the command interfaces, called by number.
TEST(MenuSlots, CommandServices) {
  fake_items items{{{"One", "Path", make_guid(1)}}};
  void* obj = static_cast<contextmenu_item*>(&items);
  EXPECT_EQ(slot<std::uint32_t(THISCALL*)(void*)>(obj, 3)(obj), 1u);
  metadb_handle_list_t none;
  contextmenu_item_node* node =
      slot<contextmenu_item_node*(THISCALL*)(void*, std::uint32_t, const handle_list_const&, const GUID&)>(obj, 4)(
          obj, 0, none, GUID{});
  void* n = node;
  GUID g = {};
  slot<void(THISCALL*)(void*, GUID&)>(n, 7)(n, g);
  EXPECT_TRUE(zut::guid_equal(g, make_guid(1)));
  slot<void(THISCALL*)(void*, std::uint32_t)>(n, 9)(n, 1);
  EXPECT_EQ(items.freed, 1);
  zut::string8 text;
  slot<void(THISCALL*)(void*, std::uint32_t, zut::string_base&)>(obj, 6)(obj, 0, text);
  EXPECT_STREQ(text.get_ptr(), "One");
  slot<void(THISCALL*)(void*, std::uint32_t, zut::string_base&)>(obj, 7)(obj, 0, text);
  EXPECT_STREQ(text.get_ptr(), "Path");
  EXPECT_TRUE((slot<bool(THISCALL*)(void*, std::uint32_t, zut::string_base&)>(obj, 8)(obj, 0, text)));
  slot<void(THISCALL*)(void*, std::uint32_t, const GUID&, const handle_list_const&, const GUID&)>(obj, 10)(
      obj, 0, GUID{}, none, GUID{});
  EXPECT_EQ(items.runs, (std::vector<std::string>{"One/0"}));

  fake_commands commands{{"Play"}, 30};
  void* c = static_cast<mainmenu_commands*>(&commands);
  EXPECT_EQ(slot<std::uint32_t(THISCALL*)(void*)>(c, 3)(c), 1u);
  slot<void(THISCALL*)(void*, std::uint32_t, zut::string_base&)>(c, 5)(c, 0, text);
  EXPECT_STREQ(text.get_ptr(), "Play");
  slot<void(THISCALL*)(void*, std::uint32_t, service_base*)>(c, 10)(c, 0, nullptr);
  EXPECT_EQ(commands.runs, (std::vector<std::string>{"Play"}));
}

}  // namespace
