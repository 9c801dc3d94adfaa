// The host's context menu as a Windows popup: building from the node tree (escaped labels, flags,
// separators, submenus, skipped ids), mnemonics per level, tracking with scripted choices, key codes
// with modifier states, and the shortcut types in their order. Against the recording fake host.

#include <gtest/gtest.h>
#include <trovaplay/sdk/contextmenu_manager.h>
#include <trovaplay/sdk/keyboard_shortcut_manager.h>
#include <trovaplay/sdk/menu_mnemonics.h>
#include <trovaplay/shared/shared.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_host.h"
#include "menu_keys.h"
#include "playlist_model.h"
#include "slot_call.h"

namespace {

struct fake_node : contextmenu_node {
  std::uint32_t type = type_command;
  std::string name;
  std::uint32_t flags = 0;
  std::int32_t id = -1;
  std::vector<fake_node*> children;
  int runs = 0;
  std::uint32_t get_type() override { return type; }
  const char* get_name() override { return name.c_str(); }
  t_size get_num_children() override { return t_size(children.size()); }
  contextmenu_node* get_child(t_size i) override { return children[i]; }
  std::uint32_t get_display_flags() override { return flags; }
  std::int32_t get_id() override { return id; }
  void execute() override { ++runs; }
};

// A tree made of nodes it owns.
struct tree {
  std::vector<std::unique_ptr<fake_node>> nodes;
  fake_node* add(fake_node* parent, std::uint32_t type, const std::string& name, std::int32_t id = -1,
                 std::uint32_t flags = 0) {
    nodes.emplace_back(new fake_node());
    fake_node* n = nodes.back().get();
    n->type = type;
    n->name = name;
    n->id = id;
    n->flags = flags;
    if (parent) parent->children.push_back(n);
    return n;
  }
  fake_node* root() { return nodes.empty() ? add(nullptr, contextmenu_node::type_popup, "") : nodes[0].get(); }
};

std::string label(HMENU menu, UINT position) {
  zut::string8 text;
  if (!uGetMenuString(menu, position, text, MF_BYPOSITION)) return "<none>";
  return text.get_ptr();
}

class fake_manager : public contextmenu_manager {
 public:
  int service_release() override { return 1; }
  int service_add_ref() override { return 1; }
  void init_context(const handle_list_const& p_data, std::uint32_t p_flags) override {
    calls.push_back("init_context(" + std::to_string(p_data.get_count()) + "," + std::to_string(p_flags) + ")");
  }
  void init_context_playlist(std::uint32_t p_flags) override {
    calls.push_back("init_context_playlist(" + std::to_string(p_flags) + ")");
  }
  contextmenu_node* get_root() override {
    if (throw_on_root) throw std::runtime_error("host failure");
    return items.root();
  }
  contextmenu_node* find_by_id(std::uint32_t p_id) override {
    calls.push_back("find_by_id(" + std::to_string(p_id) + ")");
    for (auto& n : items.nodes)
      if (n->type == contextmenu_node::type_command && n->id == std::int32_t(p_id)) return n.get();
    return nullptr;
  }
  tree items;
  std::vector<std::string> calls;
  bool throw_on_root = false;
};

TEST(ContextMenuBuild, LabelsFlagsSeparatorsAndSkippedIds) {
  tree t;
  fake_node* root = t.root();
  t.add(root, contextmenu_node::type_command, "Rock & Roll", 0, contextmenu_node::flag_checked);
  t.add(root, contextmenu_node::type_separator, "");
  t.add(root, contextmenu_node::type_command, "Gone", -1);
  t.add(root, contextmenu_node::type_command, "Too high", 7);
  t.add(root, 9, "Other type", 1);
  root->children.push_back(nullptr);
  fake_node* sub = t.add(root, contextmenu_node::type_popup, "Sub & more", -1, contextmenu_node::flag_grayed);
  t.add(sub, contextmenu_node::type_command, "Deep", 3, contextmenu_node::flag_disabled);
  menu_handle menu(CreatePopupMenu());
  contextmenu_build_menu(menu.get(), root, 10, 5);
  ASSERT_EQ(GetMenuItemCount(menu.get()), 3);
  EXPECT_EQ(label(menu.get(), 0), "Rock && Roll");
  EXPECT_EQ(GetMenuItemID(menu.get(), 0), 10u);
  EXPECT_TRUE(GetMenuState(menu.get(), 0, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_NE(uGetMenuItemType(menu.get(), 1) & MFT_SEPARATOR, 0u);
  EXPECT_EQ(label(menu.get(), 2), "Sub && more");
  EXPECT_TRUE(GetMenuState(menu.get(), 2, MF_BYPOSITION) & MF_GRAYED);
  const HMENU deep = GetSubMenu(menu.get(), 2);
  ASSERT_NE(deep, nullptr);
  EXPECT_EQ(GetMenuItemID(deep, 0), 13u);
  EXPECT_TRUE(GetMenuState(deep, 0, MF_BYPOSITION) & MF_DISABLED);
  // A command node is no popup: nothing is built from it.
  menu_handle other(CreatePopupMenu());
  contextmenu_build_menu(other.get(), sub->children[0], 1, -1);
  EXPECT_EQ(GetMenuItemCount(other.get()), 0);
}

TEST(ContextMenuMnemonics, FirstFreeLetterPerLevelAndExistingOnesReserved) {
  menu_handle menu(CreatePopupMenu());
  const char* labels[] = {"Play", "Pause", "Previous", "Open file\tCtrl+O", "Zoom &all", "Rock && Roll", "11"};
  UINT id = 1;
  for (const char* l : labels) uAppendMenu(menu.get(), MF_STRING, id++, l);
  menu_handle sub(CreatePopupMenu());
  uAppendMenu(sub.get(), MF_STRING, 20, "Play again");
  const HMENU submenu = sub.release();
  uAppendMenu(menu.get(), MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(submenu), "Options");
  uAppendMenu(menu.get(), MF_SEPARATOR, 0, nullptr);
  uAppendMenu(menu.get(), MF_STRING, 30, "\xC3\xA9t\xC3\xA9");  // no ASCII letter is free for it
  mnemonic_manager::process_menu(menu.get());
  EXPECT_EQ(label(menu.get(), 0), "&Play");
  EXPECT_EQ(label(menu.get(), 1), "Pa&use");  // 'p' taken, 'a' reserved by "Zoom &all"
  EXPECT_EQ(label(menu.get(), 2), "P&revious");
  EXPECT_EQ(label(menu.get(), 3), "&Open file\tCtrl+O");
  EXPECT_EQ(label(menu.get(), 4), "Zoom &all");  // had one already
  EXPECT_EQ(label(menu.get(), 5), "Ro&ck && Roll");  // 'r' and 'o' taken; "&&" starts no word
  EXPECT_EQ(label(menu.get(), 6), "&11");
  // The submenu item keeps its submenu and its state; its level has its own set.
  EXPECT_EQ(label(menu.get(), 7), "Op&tions");
  EXPECT_EQ(GetSubMenu(menu.get(), 7), submenu);
  EXPECT_TRUE(GetMenuState(menu.get(), 7, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_EQ(label(submenu, 0), "&Play again");
  EXPECT_EQ(label(menu.get(), 9), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(GetMenuItemID(menu.get(), 0), 1u);
}

TEST(ContextMenuMnemonics, LabelRules) {
  mnemonic_manager m;
  zut::string8 out("unchanged");
  EXPECT_TRUE(m.check_string("Fi&le"));
  EXPECT_TRUE(m.check_string("Trailing &"));  // counts although nothing follows
  EXPECT_FALSE(m.check_string("A && B"));
  EXPECT_FALSE(m.process_string("&Has one", out));
  EXPECT_EQ(std::string(out.get_ptr()), "unchanged");
  EXPECT_TRUE(m.process_string("  Lazy  fox", out));  // 'l' is used: the next word start
  EXPECT_EQ(std::string(out.get_ptr()), "  Lazy  &fox");
  EXPECT_FALSE(m.process_string("\tLFx", out));  // only text before the tab counts
}

class ContextMenuTracking : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_module_state();
    host.offer(contextmenu_manager::class_guid, &manager);
    start_services(host);
    tree& t = manager.items;
    fake_node* root = t.root();
    first = t.add(root, contextmenu_node::type_command, "First", 0);
    t.add(root, contextmenu_node::type_separator, "");
    second = t.add(root, contextmenu_node::type_command, "Second", 1);
    owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                            nullptr);
  }
  void TearDown() override {
    DestroyWindow(owner);
    reset_module_state();
  }
  fake_host host;
  fake_manager manager;
  fake_node* first = nullptr;
  fake_node* second = nullptr;
  HWND owner = nullptr;
};

TEST_F(ContextMenuTracking, PickedItemRunsItsNode) {
  menu_keys::choose({VK_DOWN, VK_DOWN, VK_RETURN});  // the separator is passed over
  metadb_handle_list_t tracks;
  tracks.add_item(service_ptr_t<metadb_handle>());
  const POINT at = {40, 40};
  contextmenu_run_on_items(owner, tracks, &at, 0);
  EXPECT_EQ(manager.calls, (std::vector<std::string>{"init_context(1,0)", "find_by_id(1)"}));
  EXPECT_EQ(first->runs, 0);
  EXPECT_EQ(second->runs, 1);
}

TEST_F(ContextMenuTracking, DismissedMenuRunsNothing) {
  menu_keys::choose({VK_ESCAPE});
  contextmenu_run_on_playlist_selection(owner, nullptr, 1);
  EXPECT_EQ(manager.calls, (std::vector<std::string>{"init_context_playlist(1)"}));
  EXPECT_EQ(first->runs + second->runs, 0);
}

TEST_F(ContextMenuTracking, HostFailurePassesToTheCaller) {
  manager.throw_on_root = true;
  EXPECT_THROW(contextmenu_run_on_playlist_selection(owner, nullptr, 0), std::runtime_error);
}

// ---- Keys

void set_keys(std::initializer_list<int> down) {
  BYTE state[256] = {};
  for (int k : down) state[k] = 0x80;
  SetKeyboardState(state);
}

TEST(KeyCodes, ModifiersFromTheKeyState) {
  set_keys({VK_CONTROL, VK_SHIFT});
  EXPECT_EQ(make_key_code('A'), 0x341u);
  set_keys({VK_RWIN});
  EXPECT_EQ(make_key_code('A'), 0x841u);
  set_keys({VK_MENU, VK_LWIN});
  EXPECT_EQ(make_key_code(0x1FF), 0xCFFu);  // only the low 8 bits of the key
  set_keys({});
  EXPECT_EQ(make_key_code(VK_F5), std::uint32_t(VK_F5));
}

class fake_shortcuts : public keyboard_shortcut_manager {
 public:
  int service_release() override { return 1; }
  int service_add_ref() override { return 1; }
  bool process_keydown(std::uint32_t p_type, const handle_list_const& p_data, std::uint32_t p_key) override {
    calls.push_back("3:" + std::to_string(p_type) + "," + std::to_string(p_data.get_count()) + "," + std::to_string(p_key));
    return p_type == takes;
  }
  bool process_keydown_ex(std::uint32_t p_type, const handle_list_const& p_data, std::uint32_t p_key,
                          const GUID& p_caller) override {
    calls.push_back("4:" + std::to_string(p_type) + "," + std::to_string(p_data.get_count()) + "," + std::to_string(p_key));
    caller = p_caller;
    return p_type == takes;
  }
  std::uint32_t takes = 99;
  std::vector<std::string> calls;
  GUID caller = {};
};

TEST(Shortcuts, PlainTypesInOrderUntilOneTakesTheKey) {
  set_keys({});
  fake_shortcuts m;
  EXPECT_FALSE(keyboard_shortcut_process(m, 'Q'));
  EXPECT_EQ(m.calls, (std::vector<std::string>{"3:0,0,81", "3:2,0,81", "3:3,0,81"}));
  m.calls.clear();
  m.takes = 2;
  EXPECT_TRUE(keyboard_shortcut_process(m, 'Q'));
  EXPECT_EQ(m.calls, (std::vector<std::string>{"3:0,0,81", "3:2,0,81"}));
}

TEST(Shortcuts, PlaylistSelectionFirstThenThePlainTypes) {
  set_keys({});
  reset_module_state();
  fake_host host;
  playlist_model playlists(3);
  host.offer(playlist_manager::class_guid, &playlists);
  start_services(host);
  fake_shortcuts m;
  // Nothing selected: only the plain types.
  EXPECT_FALSE(keyboard_shortcut_process_playlist(m, 'Q'));
  EXPECT_EQ(m.calls, (std::vector<std::string>{"3:0,0,81", "3:2,0,81", "3:3,0,81"}));
  // Two selected: slot 4 with type 1 and the selection's caller.
  playlists.items[0].selected = playlists.items[2].selected = true;
  m.calls.clear();
  m.takes = 1;
  EXPECT_TRUE(keyboard_shortcut_process_playlist(m, 'Q'));
  EXPECT_EQ(m.calls, (std::vector<std::string>{"4:1,2,81"}));
  const GUID selection = {0x47502BA1, 0x816D, 0x4A3E, {0xAD, 0xE5, 0xA7, 0xA9, 0x86, 0x0A, 0x67, 0xDB}};
  EXPECT_TRUE(zut::guid_equal(m.caller, selection));
  reset_module_state();
}

// Slot positions of the manager interfaces, called by number.
TEST(ContextMenuSlots, ManagerNodeAndShortcuts) {
  fake_manager m;
  void* obj = static_cast<contextmenu_manager*>(&m);
  metadb_handle_list_t none;
  slot<void(THISCALL*)(void*, const handle_list_const&, std::uint32_t)>(obj, 3)(obj, none, 5);
  slot<void(THISCALL*)(void*, std::uint32_t)>(obj, 4)(obj, 6);
  fake_node* root = static_cast<fake_node*>(slot<contextmenu_node*(THISCALL*)(void*)>(obj, 5)(obj));
  EXPECT_EQ(root, m.items.root());
  slot<contextmenu_node*(THISCALL*)(void*, std::uint32_t)>(obj, 6)(obj, 7);
  EXPECT_EQ(m.calls, (std::vector<std::string>{"init_context(0,5)", "init_context_playlist(6)", "find_by_id(7)"}));

  fake_node n;
  n.type = 2;
  n.name = "x";
  n.flags = 4;
  n.id = 9;
  n.children.push_back(&n);
  void* node = static_cast<contextmenu_node*>(&n);
  EXPECT_EQ(slot<std::uint32_t(THISCALL*)(void*)>(node, 0)(node), 2u);
  EXPECT_STREQ(slot<const char*(THISCALL*)(void*)>(node, 1)(node), "x");
  EXPECT_EQ(slot<t_size(THISCALL*)(void*)>(node, 2)(node), 1u);
  EXPECT_EQ(slot<contextmenu_node*(THISCALL*)(void*, t_size)>(node, 3)(node, 0), &n);
  EXPECT_EQ(slot<std::uint32_t(THISCALL*)(void*)>(node, 4)(node), 4u);
  EXPECT_EQ(slot<std::int32_t(THISCALL*)(void*)>(node, 5)(node), 9);
  slot<void(THISCALL*)(void*)>(node, 6)(node);
  EXPECT_EQ(n.runs, 1);

  fake_shortcuts k;
  void* keys = static_cast<keyboard_shortcut_manager*>(&k);
  slot<bool(THISCALL*)(void*, std::uint32_t, const handle_list_const&, std::uint32_t)>(keys, 3)(keys, 0, none, 1);
  slot<bool(THISCALL*)(void*, std::uint32_t, const handle_list_const&, std::uint32_t, const GUID&)>(keys, 4)(
      keys, 1, none, 2, k.caller);
  EXPECT_EQ(k.calls, (std::vector<std::string>{"3:0,0,1", "4:1,0,2"}));
}

}  // namespace
