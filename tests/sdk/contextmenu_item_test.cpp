// Node trees of context-menu commands: the depth-first search by GUID and the display queries of
// the root and of a node, with every tree freed whatever the answer.

#include <gtest/gtest.h>
#include <trovaplay/sdk/contextmenu_item.h>
#include <trovaplay/sdk/metadb_handle_list.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

GUID make_guid(unsigned char n) { return {0x20000000u + n, 0, 0, {0, 0, 0, 0, 0, 0, 0, n}}; }

int g_live_nodes = 0;

// A node with an optional GUID and owned children; freeing it frees them.
class tree_node final : public contextmenu_item_node {
 public:
  tree_node(std::string label, int guid, std::uint32_t type = type_popup)
      : m_label(std::move(label)), m_guid(guid), m_type(type) {
    ++g_live_nodes;
  }
  tree_node* add(tree_node* p_child) {
    m_children.push_back(p_child);
    return this;
  }
  bool get_display_data(zut::string_base& p_out, std::uint32_t& p_flags, const handle_list_const&,
                        const GUID&) override {
    if (m_label == "throws") throw std::runtime_error("host failed");
    if (m_label.empty()) return false;
    p_out = m_label.c_str();
    p_flags = 1;
    return true;
  }
  std::uint32_t get_type() override { return m_type; }
  t_size get_children_count() override { return t_size(m_children.size()); }
  contextmenu_item_node* get_child(t_size p_index) override { return m_children[p_index]; }
  void get_guid(GUID& p_out) override {
    if (m_guid >= 0) p_out = make_guid(static_cast<unsigned char>(m_guid));
  }
  void destroy(std::uint32_t p_flags) override {
    for (tree_node* child : m_children) child->destroy(p_flags);
    --g_live_nodes;
    if (p_flags & 1) delete this;
  }

 private:
  std::string m_label;
  int m_guid;  // -1: none
  std::uint32_t m_type;
  std::vector<tree_node*> m_children;
};

// root(1, popup) -> [ command(2, with a child 9 it must not search), popup(-) -> [ leaf(3), leaf(4) ],
//                     leaf(3, second) ]
tree_node* make_tree() {
  tree_node* inner = (new tree_node("inner", -1))->add(new tree_node("first 3", 3, 1))->add(new tree_node("", 4, 1));
  tree_node* command = (new tree_node("command", 2, 1))->add(new tree_node("hidden", 9, 1));
  return (new tree_node("root", 1))->add(command)->add(inner)->add(new tree_node("second 3", 3, 1));
}

class fake_item final : public contextmenu_item {
 public:
  int service_release() override { return 1; }
  int service_add_ref() override { return 1; }
  std::uint32_t get_num_items() override { return 2; }
  // Item 0 has a tree; item 1 none.
  contextmenu_item_node* instantiate_item(std::uint32_t p_index, const handle_list_const&, const GUID&) override {
    if (p_index != 0) return nullptr;
    return root_label.empty() ? make_tree() : new tree_node(root_label, 1);
  }
  GUID* get_item_guid(GUID* p_out, std::uint32_t) override { return &(*p_out = GUID{}); }
  void get_item_name(std::uint32_t, zut::string_base&) override {}
  void get_item_default_path(std::uint32_t, zut::string_base&) override {}
  bool get_item_description(std::uint32_t, zut::string_base&) override { return false; }
  void item_execute_simple(std::uint32_t, const GUID&, const handle_list_const&, const GUID&) override {}
  std::string root_label;  // non-empty: a one-node tree with this label
};

std::string label_of(contextmenu_item_node* p_node) {
  if (p_node == nullptr) return "<none>";
  zut::string8 text;
  std::uint32_t flags = 0;
  metadb_handle_list_t none;
  p_node->get_display_data(text, flags, none, GUID{});
  return text.get_ptr();
}

TEST(contextmenu_item, SearchIsDepthFirstAndStopsAtCommands) {
  tree_node* root = make_tree();
  EXPECT_EQ(label_of(find_node_by_guid(make_guid(1), root)), "root");  // the root itself, children or not
  EXPECT_EQ(label_of(find_node_by_guid(make_guid(3), root)), "first 3");  // inside the popup, before its sibling
  EXPECT_EQ(label_of(find_node_by_guid(make_guid(2), root)), "command");
  EXPECT_EQ(find_node_by_guid(make_guid(9), root), nullptr);  // below a command: never looked at
  EXPECT_EQ(find_node_by_guid(make_guid(7), root), nullptr);
  EXPECT_EQ(find_node_by_guid(make_guid(1), nullptr), nullptr);
  root->destroy(1);
  EXPECT_EQ(g_live_nodes, 0);
}

TEST(contextmenu_item, DisplayQueriesFreeEveryTree) {
  fake_item item;
  metadb_handle_list_t none;
  zut::string8 text;
  std::uint32_t flags = 0;
  EXPECT_TRUE(item_query_root_display(item, text, flags, 0, none, GUID{}));
  EXPECT_STREQ(text.get_ptr(), "root");
  EXPECT_EQ(flags, 1u);
  EXPECT_TRUE(item_query_node_display(item, text, flags, 0, make_guid(3), none, GUID{}));
  EXPECT_STREQ(text.get_ptr(), "first 3");
  // A node that is not shown, a GUID no node carries, an item without a tree.
  EXPECT_FALSE(item_query_node_display(item, text, flags, 0, make_guid(4), none, GUID{}));
  EXPECT_FALSE(item_query_node_display(item, text, flags, 0, make_guid(7), none, GUID{}));
  EXPECT_FALSE(item_query_root_display(item, text, flags, 1, none, GUID{}));
  EXPECT_FALSE(item_query_node_display(item, text, flags, 1, make_guid(1), none, GUID{}));
  EXPECT_EQ(g_live_nodes, 0);
  // A node that fails inside the host: the failure passes, the tree is still freed.
  item.root_label = "throws";
  EXPECT_THROW(item_query_root_display(item, text, flags, 0, none, GUID{}), std::runtime_error);
  EXPECT_THROW(item_query_node_display(item, text, flags, 0, make_guid(1), none, GUID{}), std::runtime_error);
  EXPECT_EQ(g_live_nodes, 0);
}

}  // namespace
