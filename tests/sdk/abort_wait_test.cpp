// The abort callback and its waits, time-out conversion, time stamps and the tick timer.

#include <gtest/gtest.h>
#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/sdk/file_stats.h>
#include <trovaplay/sdk/file_time.h>
#include <trovaplay/sdk/stream.h>

#include <cmath>
#include <limits>
#include <string>
#include <thread>

namespace {

using trovaplay_io::timeout_to_milliseconds;

TEST(AbortWait, TimeoutConversion) {
  EXPECT_EQ(timeout_to_milliseconds(0.0004), 1u);
  EXPECT_EQ(timeout_to_milliseconds(-1), INFINITE);
  EXPECT_EQ(timeout_to_milliseconds(0), 0u);
  EXPECT_EQ(timeout_to_milliseconds(std::nan("")), 0u);
  EXPECT_EQ(timeout_to_milliseconds(0.0016), 2u);
  EXPECT_EQ(timeout_to_milliseconds(1.5), 1500u);
  // Waits too long for 32 bits clamp to the longest finite wait instead of wrapping.
  EXPECT_EQ(timeout_to_milliseconds(1e12), INFINITE - 1);
  EXPECT_EQ(timeout_to_milliseconds(std::numeric_limits<double>::infinity()), INFINITE - 1);
  EXPECT_EQ(timeout_to_milliseconds(4294967.3), INFINITE - 1);
}

TEST(AbortWait, WaitsAndAbort) {
  trovaplay_io::abort_callback_impl abort;
  EXPECT_FALSE(abort.is_aborted());
  EXPECT_NO_THROW(abort.check());
  EXPECT_TRUE(abort.wait_or_abort(0));  // the time ran out
  EXPECT_NO_THROW(abort.sleep(0.001));
  EXPECT_FALSE(trovaplay_io::wait_event_seconds(abort.abort_event(), 0));

  // Signalled from another thread while waiting without a limit.
  std::thread other([&] { abort.abort(); });
  EXPECT_FALSE(abort.wait_or_abort(-1));
  other.join();
  EXPECT_TRUE(abort.is_aborted());
  EXPECT_THROW(abort.check(), trovaplay_io::exception_aborted);
  EXPECT_THROW(abort.sleep(10), trovaplay_io::exception_aborted);
  EXPECT_TRUE(trovaplay_io::wait_event_seconds(abort.abort_event(), 0));
}

TEST(AbortWait, AFailedWaitThrowsTheWin32Error) {
  try {
    trovaplay_io::wait_event_seconds(nullptr, 0);
    FAIL() << "no exception";
  } catch (const exception_win32& e) {
    EXPECT_EQ(e.get_code(), static_cast<std::uint32_t>(ERROR_INVALID_HANDLE));
  }
}

TEST(FileTime, FormatsLocalTime) {
  // The current time, formatted, has the shape "YYYY-MM-DD hh:mm:ss".
  const std::string now = format_file_time(current_file_time()).get_ptr();
  ASSERT_EQ(now.size(), 19u) << now;
  EXPECT_EQ(now[4], '-');
  EXPECT_EQ(now[10], ' ');
  EXPECT_EQ(now[13], ':');
  // A day apart from a midday time stamp differs in the day field.
  SYSTEMTIME st = {};
  st.wYear = 2024;
  st.wMonth = 2;
  st.wDay = 28;
  st.wHour = 12;
  FILETIME utc;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &utc));
  const std::uint64_t t = std::uint64_t(utc.dwHighDateTime) << 32 | utc.dwLowDateTime;
  const std::string day = format_file_time(t).get_ptr();
  EXPECT_EQ(day.substr(0, 8), "2024-02-");
  EXPECT_EQ(std::string(format_file_time(~std::uint64_t(0)).get_ptr()), "<invalid timestamp>");
}

TEST(FileTime, TickTimerCountsUp) {
  tick_timer timer;
  timer.start();
  const double first = timer.query();
  EXPECT_GE(first, 0.0);
  const DWORD begin = GetTickCount();
  while (GetTickCount() - begin < 20) Sleep(1);  // bounded: the tick counter moves
  EXPECT_GT(timer.query(), first);
}

TEST(FileStats, ReloadRules) {
  const file_stats old_stats = {100, 5000};
  // An unknown new time stamp answers the fresh flag.
  EXPECT_TRUE(needs_reload(old_stats, {100, 0}, true));
  EXPECT_FALSE(needs_reload(old_stats, {200, 0}, false));
  // Not fresh: only a later time stamp.
  EXPECT_FALSE(needs_reload(old_stats, {100, 5000}, false));
  EXPECT_FALSE(needs_reload(old_stats, {999, 4000}, false));
  EXPECT_TRUE(needs_reload(old_stats, {100, 5001}, false));
  // Fresh: any difference.
  EXPECT_FALSE(needs_reload(old_stats, {100, 5000}, true));
  EXPECT_TRUE(needs_reload(old_stats, {101, 5000}, true));
  EXPECT_TRUE(needs_reload(old_stats, {100, 4000}, true));
  EXPECT_TRUE(file_stats_differ({0, 1ull << 32}, {0, 0}));
  EXPECT_FALSE(file_stats_differ({7, 8}, {7, 8}));
}

}  // namespace
