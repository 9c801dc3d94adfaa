#include <trovaplay/sdk/contextmenu_item.h>

namespace {

// Frees a command's node tree when it goes out of scope, also when a host call throws.
class node_tree {
 public:
  explicit node_tree(contextmenu_item_node* p_root) : m_root(p_root) {}
  ~node_tree() {
    if (m_root) m_root->destroy(1);
  }
  node_tree(const node_tree&) = delete;
  node_tree& operator=(const node_tree&) = delete;
  contextmenu_item_node* get() const { return m_root; }

 private:
  contextmenu_item_node* m_root;
};

}  // namespace

contextmenu_item_node* find_node_by_guid(const GUID& p_guid, contextmenu_item_node* p_node) {
  if (p_node == nullptr) return nullptr;
  // Slot 7 answers nothing: a node without a GUID leaves the buffer as it was. The buffer starts
  // different from the wanted GUID, so that only a node that wrote p_guid matches.
  GUID guid = p_guid;
  guid.Data1 = ~p_guid.Data1;
  p_node->get_guid(guid);
  if (zut::guid_equal(guid, p_guid)) return p_node;
  if (p_node->get_type() != contextmenu_item_node::type_popup) return nullptr;
  const t_size count = p_node->get_children_count();
  for (t_size i = 0; i < count; ++i) {
    contextmenu_item_node* found = find_node_by_guid(p_guid, p_node->get_child(i));
    if (found) return found;
  }
  return nullptr;
}

bool item_query_root_display(contextmenu_item& p_item, zut::string_base& p_out, std::uint32_t& p_display_flags,
                             std::uint32_t p_index, const handle_list_const& p_data, const GUID& p_caller) {
  node_tree tree(p_item.instantiate_item(p_index, p_data, p_caller));
  if (tree.get() == nullptr) return false;
  return tree.get()->get_display_data(p_out, p_display_flags, p_data, p_caller);
}

bool item_query_node_display(contextmenu_item& p_item, zut::string_base& p_out, std::uint32_t& p_display_flags,
                             std::uint32_t p_index, const GUID& p_node, const handle_list_const& p_data,
                             const GUID& p_caller) {
  node_tree tree(p_item.instantiate_item(p_index, p_data, p_caller));
  contextmenu_item_node* node = find_node_by_guid(p_node, tree.get());
  if (node == nullptr) return false;
  return node->get_display_data(p_out, p_display_flags, p_data, p_caller);
}
