// The script state's allocator failing at the n-th request, for every n over the start-up (state,
// libraries, skin compile and run), a callback and the shutdown, against the recording fake host:
// nothing may crash or hang, and the engine must give back every host reference it took.

#include "../engine/startup_test_util.h"

#include <script_alloc.h>
#include <zin_window/callbacks.h>

#include <gtest/gtest.h>

#include <cstdio>

using namespace startup_test;

namespace {

class AllocFault : public host_fixture {};

const char kSkin[] =
    "w = window.new('main', 60, 40, rect.new(20, 20, 80, 60))\n"
    "w:add(color_rect.new(rect.new(0, 0, 60, 40), color.new(1, 2, 3)))\n"
    "t = timer.new(function() w:redraw() end)\n"
    "config.save('value ' .. string.rep('x', 100), 'note')\n"
    "set_global_callback('OnStop', function()\n"
    "  local parts = {}\n"
    "  for i = 1, 20 do parts[i] = rect.new(i, i, i + 5, i + 5) end\n"
    "  w:redraw(parts[3])\n"
    "  print('stopped ' .. table.getn(parts))\n"
    "end)\n"
    "w:create()\n";

TEST_F(AllocFault, EveryFailingRequestEndsCleanly) {
    const std::string skin = folder.write("alloc.lua", kSkin);
    const int control_before = control.count();
    const int playlists_before = playlists.count();
    // A run without a failure counts the requests the sweep must cover.
    script_alloc_fail_at(0);
    ASSERT_NE(init_with(skin), nullptr);
    fire_global_callback(GCB_ON_STOP);
    get_ui_zin().shutdown();
    const unsigned long total = script_alloc_requests();
    ASSERT_GT(total, 100u);
    ASSERT_TRUE(console_has("stopped 20"));

    // Every request of the state's creation and its libraries, then 150 spread evenly over the
    // rest (each case starts and stops a skin: every request would take minutes).
    const unsigned long step = total / 150 > 1 ? total / 150 : 1;
    std::printf("%lu requests for more memory; failing each of the first 150, then every %lu-th\n", total, step);
    unsigned long started = 0;
    for (unsigned long n = 1; n <= total; n += n < 150 ? 1 : step) {
        SCOPED_TRACE("failing request " + std::to_string(n));
        boxes().clear();
        script_alloc_fail_at(n);
        if (init_with(skin) != nullptr) ++started;
        fire_global_callback(GCB_ON_STOP);
        get_ui_zin().shutdown();
        script_alloc_fail_at(0);
        EXPECT_EQ(g_lua, nullptr);
        EXPECT_EQ(control.count(), control_before);
        EXPECT_EQ(playlists.count(), playlists_before);
        if (HasFailure()) break;  // one case is enough to read
    }
    // A failure late in the sweep (the callback, the shutdown) leaves the start-up whole.
    EXPECT_GT(started, 0u);
    EXPECT_LT(started, total);
}

}  // namespace
