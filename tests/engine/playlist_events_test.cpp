// The title mirror and the playlist listener: the mirror in step with additions, removals,
// reorders, modifications and switches; scrolling to items the host wants shown; the global
// callbacks; the listener's service and factory.

#include "playlist_test_util.h"

using namespace playlist_test;

namespace {

class playlist_events : public playlist_fixture {
protected:
    playlist::tvp_callbacks& listener() { return g_playlist_callback_factory.get_static_instance(); }

    // Every mirrored title formatted, with a text that a new formatting never gives. The views
    // repaint at once and format the rows they show again, so an emptied title shows as a title
    // that is no longer stale.
    void format_all() {
        for (uint32_t i = 0; i < g_items.getSize(); ++i) g_items[i] = "stale";
    }
    int stale() const {
        int n = 0;
        for (uint32_t i = 0; i < g_items.getSize(); ++i) n += strcmp(g_items[i].get_ptr(), "stale") == 0;
        return n;
    }
};

TEST_F(playlist_events, AdditionsGrowTheMirrorAndEmptyEveryTitle) {
    model.add(10);
    make_view(5);
    ASSERT_EQ(10u, g_items.getSize());
    format_all();
    engine_test::debug_capture debug;
    zut::list_t<service_ptr_t<metadb_handle>> three;
    for (int i = 0; i < 3; ++i) three.add_item(service_ptr_t<metadb_handle>());
    model.activeplaylist_add_items(three, bit_array_false());
    EXPECT_EQ(13u, g_items.getSize());
    EXPECT_EQ(0, stale());
    EXPECT_EQ("count", take_log());
    EXPECT_TRUE(debug.contains("added: 10+3->13\r\n"));
    EXPECT_EQ(1u, debug.containing("DRAWALL!").size());
}

TEST_F(playlist_events, WithoutAShownViewCountChangesStillFire) {
    model.add(4);
    make_view(5, false);
    zut::list_t<service_ptr_t<metadb_handle>> one;
    one.add_item(service_ptr_t<metadb_handle>());
    model.activeplaylist_add_items(one, bit_array_false());
    EXPECT_EQ(0u, g_items.getSize());
    EXPECT_EQ("count", take_log());
    // Removals tell the script too (as additions do), so a count shown without a view stays true.
    model.activeplaylist_remove_items(bit_array_one(0));
    EXPECT_EQ("count", take_log());
    EXPECT_EQ(0u, g_items.getSize());
}

TEST_F(playlist_events, RemovalsShrinkTheMirrorAndClampEveryTop) {
    model.add(30);
    make_view(10);
    view->set_top(20);
    format_all();
    model.activeplaylist_remove_items(bit_array_range(0, 25));
    EXPECT_EQ(5u, g_items.getSize());
    EXPECT_EQ(0, stale());
    EXPECT_EQ(0, view->mTop);
    EXPECT_EQ("count", take_log());
}

// While the skin's script first runs no callback fires, but a shown view must not keep rows the
// host no longer has.
TEST_F(playlist_events, BeforeTheSkinRunsRemovalsStillShrinkTheMirror) {
    model.add(30);
    make_view(10);
    view->set_top(20);
    g_skin_running = false;
    model.activeplaylist_remove_items(bit_array_range(0, 25));
    EXPECT_EQ(5u, g_items.getSize());
    EXPECT_EQ(0, view->mTop);
    EXPECT_EQ("", take_log());
}

TEST_F(playlist_events, AMirrorOutOfStepIsBroughtToTheTrueCount) {
    model.add(8);
    make_view(5);
    playlist_mirror_resize(3);  // as if an event had been missed
    model.activeplaylist_remove_items(bit_array_one(0));
    EXPECT_EQ(7u, g_items.getSize());
    model.listener->on_playlist_switch();
    EXPECT_EQ(7u, g_items.getSize());
}

TEST_F(playlist_events, ModificationsEmptyOnlyTheirTitles) {
    model.add(6);
    make_view(5);
    format_all();
    listener().on_items_modified(bit_array_one(4));
    EXPECT_EQ(5, stale());
    EXPECT_STREQ("item 4", g_items[4].get_ptr()) << "the shown row was painted again";
    listener().on_items_modified_2(bit_array_range(0, 2), 0);
    EXPECT_EQ(3, stale());
    listener().on_items_modified(bit_array_true());
    EXPECT_EQ(0, stale());
}

TEST_F(playlist_events, ReordersAndInvalidationEmptyEveryTitle) {
    model.add(6);
    make_view(5);
    format_all();
    model.items[1].selected = true;
    model.activeplaylist_move_selection(2);
    EXPECT_EQ(0, stale());
    format_all();
    listener().on_titles_invalidated();
    EXPECT_EQ(0, stale());
    EXPECT_EQ(6u, g_items.getSize());
}

TEST_F(playlist_events, EnsureVisibleCentresTheItemUnlessShownOrSuppressed) {
    model.add(100);
    make_view(10);
    model.activeplaylist_ensure_visible(50);
    EXPECT_EQ(45, view->mTop);
    model.activeplaylist_ensure_visible(52);
    EXPECT_EQ(45, view->mTop);
    g_ensure_visible_suppressed = true;
    model.activeplaylist_ensure_visible(2);
    EXPECT_EQ(45, view->mTop);
    g_ensure_visible_suppressed = false;
    model.activeplaylist_ensure_visible(99);
    EXPECT_EQ(90, view->mTop);
}

TEST_F(playlist_events, SwitchRebuildsTheMirrorAndClampsTop) {
    model.add(40);
    make_view(10);
    view->set_top(30);
    format_all();
    model.names.push_back("other");
    model.set_active_playlist(1);  // empty
    EXPECT_EQ(0u, g_items.getSize());
    EXPECT_EQ(0, view->mTop);
    model.set_active_playlist(0);
    EXPECT_EQ(40u, g_items.getSize());
    EXPECT_EQ(0, stale());
}

TEST_F(playlist_events, OrderChangesFireWithoutAView) {
    listener().on_playback_order_changed(2);
    EXPECT_EQ("order", take_log());
}

TEST_F(playlist_events, TheMirrorFollowsTheWindowsThatShowViews) {
    model.add(5);
    make_view(5, false);
    EXPECT_FALSE(g_playlist_mirror);
    open_window();
    EXPECT_TRUE(g_playlist_mirror);
    EXPECT_TRUE(view->mVisible);
    EXPECT_EQ(5u, g_items.getSize());
    ASSERT_EQ("", run("main:close()"));
    window_test::pump();
    EXPECT_FALSE(view->mVisible);
    EXPECT_FALSE(g_playlist_mirror);
    EXPECT_EQ(0u, g_items.getSize());
}

TEST_F(playlist_events, TheListenerIsAServiceForEveryEvent) {
    service_ptr_t<service_base> service;
    g_playlist_callback_factory.instance_create(service);
    ASSERT_TRUE(service.is_valid());
    EXPECT_TRUE(zut::guid_equal(g_playlist_callback_factory.get_class_guid(),
                                   playlist_callback_single_static::class_guid));
    auto* listener = static_cast<playlist_callback_single_static*>(service.get_ptr());
    EXPECT_EQ(~uint32_t(0), listener->get_flags());
    EXPECT_EQ(1, listener->service_add_ref());
    EXPECT_EQ(1, listener->service_release());
    service_ptr_t<service_base> queried;
    EXPECT_TRUE(listener->service_query(queried, playlist_callback_single_static::class_guid));
    EXPECT_FALSE(listener->service_query(queried, play_callback_static::class_guid));
    bool listed = false;
    for (service_factory_base* f = service_factory_base::get_list_head(); f; f = f->get_next())
        listed = listed || f == &g_playlist_callback_factory;
    EXPECT_TRUE(listed);
}

}  // namespace
