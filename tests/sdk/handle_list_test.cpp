// Lists of track handles: the counted handle pointer moves as raw memory, so growing and
// reordering a list makes no host calls, and a release that throws while the list destroys its
// handles is ignored.

#include <gtest/gtest.h>
#include <trovaplay/sdk/metadb_handle.h>
#include <zut/bit_array.h>
#include <zut/list.h>

#include <stdexcept>

namespace {

// A track handle that records the reference calls the host object receives; its release can be
// made to throw.
class recording_handle : public metadb_handle {
 public:
  int service_release() override {
    ++releases;
    --count;
    if (throw_on_release) throw std::runtime_error("release failed");
    return count;
  }
  int service_add_ref() override {
    ++add_refs;
    return ++count;
  }
  const playable_location& get_location() const override { throw std::logic_error("unused"); }
  bool format_title(titleformat_hook*, zut::string_base&, const service_ptr_t<titleformat_script>&,
                    titleformat_text_filter*) override {
    return false;
  }
  void metadb_lock() override {}
  void metadb_unlock() override {}
  file_stats* get_filestats(file_stats* p_out) const override { return &(*p_out = file_stats()); }
  bool get_info_locked(const file_info*&) const override { return false; }
  bool has_info() const override { return false; }

  int calls() const { return add_refs + releases; }

  int count = 1;  // the creator's reference
  int add_refs = 0;
  int releases = 0;
  bool throw_on_release = false;
};

using handle_list = zut::list_t<service_ptr_t<metadb_handle>, zut::alloc_fast>;

TEST(HandleList, GrowingAndReorderingMakeNoHostCalls) {
  recording_handle handles[40];
  service_ptr_t<metadb_handle> pointers[40];
  for (int i = 0; i < 40; ++i) pointers[i] = &handles[i];
  for (recording_handle& h : handles) h.add_refs = 0;
  {
    handle_list list;
    // Each append takes one reference; the reallocations as the list grows take none.
    for (const service_ptr_t<metadb_handle>& p : pointers) list.add_item(p);
    for (const recording_handle& h : handles) {
      EXPECT_EQ(h.add_refs, 1);
      EXPECT_EQ(h.releases, 0);
    }
    for (recording_handle& h : handles) h.add_refs = 0;
    // Moving items around: swaps, partial reorders, insertion of a list, removal by mask.
    list.swap_items(0, 39);
    const t_size order[] = {2, 0, 1};
    list.reorder_partial(5, order, 3);
    {
      handle_list front;
      front.add_item(pointers[7]);
      handles[7].add_refs = 0;
      list.insert_items(front, 0);  // the copy into the list is its one reference
      EXPECT_EQ(handles[7].add_refs, 1);
    }
    handles[7].add_refs = handles[7].releases = 0;
    list.remove_mask(bit_array_one(0));  // drops the inserted copy: one release
    EXPECT_EQ(handles[7].releases, 1);
    handles[7].releases = 0;
    for (const recording_handle& h : handles) EXPECT_EQ(h.calls(), 0);
    EXPECT_EQ(list.get_item(0).get_ptr(), &handles[39]);
    EXPECT_EQ(list.get_item(5).get_ptr(), &handles[7]);
    for (recording_handle& h : handles) h.add_refs = h.releases = 0;
  }
  // Destroying the lists released every handle once.
  for (const recording_handle& h : handles) {
    EXPECT_EQ(h.releases, 1);
    EXPECT_EQ(h.count, 2);  // the creator's and the one of pointers[]
  }
}

// Fills the list with the handles, handing each creator's reference to the list without a call.
void fill(handle_list& p_list, recording_handle* p_handles, t_size p_count) {
  for (t_size i = 0; i < p_count; ++i) {
    service_ptr_t<metadb_handle> p;
    p.attach(&p_handles[i]);
    p_list.add_item(service_ptr_t<metadb_handle>());
    p_list.swap_item_with(i, p);
  }
}

TEST(HandleList, AReleaseThatThrowsWhileTheListIsDestroyedIsIgnored) {
  recording_handle handles[3];
  {
    handle_list list;
    fill(list, handles, 3);
    handles[1].throw_on_release = true;
  }
  // Every handle was released once, the throwing one too, and the next one was still released.
  for (const recording_handle& h : handles) EXPECT_EQ(h.releases, 1);
  // Shrinking a list releases the surplus handles the same way.
  recording_handle more[3];
  handle_list list;
  fill(list, more, 3);
  more[0].throw_on_release = true;
  list.remove_mask(bit_array_true());
  EXPECT_EQ(list.get_count(), 0u);
  for (const recording_handle& h : more) EXPECT_EQ(h.releases, 1);
}

}  // namespace
