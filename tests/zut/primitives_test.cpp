// Assertion reporter, exceptions, raw swapping, in-place helpers, critical section and counted
// references.
#include <gtest/gtest.h>
#include <zut/primitives.h>

#include <windows.h>

#include <cwchar>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// The assertion reporter logs and returns.
// ---------------------------------------------------------------------------------------------

std::vector<std::wstring> g_hook_log;
void record_hook(const wchar_t* p_expression, const wchar_t* p_file, unsigned p_line) {
  g_hook_log.push_back(std::wstring(p_expression) + L"|" + p_file + L"|" + std::to_wstring(p_line));
}

bool ends_with(const std::wstring& p_text, const std::wstring& p_tail) {
  return p_text.size() >= p_tail.size() &&
         p_text.compare(p_text.size() - p_tail.size(), p_tail.size(), p_tail) == 0;
}

TEST(Assertion, ReporterReturnsAndIsObservable) {
  g_hook_log.clear();
  zut::assert_hook_t previous = zut::set_assert_hook(record_hook);
  const t_size before = zut::get_assert_count();
  zut::assert_failed(L"x == 1", L"file.h", 42);
  EXPECT_EQ(zut::get_assert_count(), before + 1);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"x == 1");
  EXPECT_STREQ(zut::get_last_assert_file(), L"file.h");
  EXPECT_EQ(zut::get_last_assert_line(), 42u);
  ASSERT_EQ(g_hook_log.size(), 1u);
  EXPECT_EQ(g_hook_log[0], L"x == 1|file.h|42");
  zut::set_assert_hook(previous);
}

void record_output(const wchar_t* p_text, void* p_context) {
  static_cast<std::vector<std::wstring>*>(p_context)->push_back(p_text);
}

// Reports reach the one debug-output routine, whose hook sees every line once.
TEST(Assertion, ReportLineGoesThroughTheDebugOutputRoutine) {
  std::vector<std::wstring> lines;
  void* previous_context = nullptr;
  const zut::debug_output_hook_t previous =
      zut::set_debug_output_hook(record_output, &lines, &previous_context);
  EXPECT_TRUE(zut::debug_output_wanted());  // the hook reads every line
  zut::assert_failed(L"n < 3", L"list.h", 7);
  zut::debug_output(nullptr);  // writes nothing
  zut::debug_output(L"plain line\n");
  zut::set_debug_output_hook(previous, previous_context);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], L"Assertion failed: n < 3, file list.h, line 7\n");
  EXPECT_EQ(lines[1], L"plain line\n");
}

TEST(Assertion, MacroReportsOnlyFailedChecks) {
  const t_size before = zut::get_assert_count();
  int value = 3;
  ZUT_ASSERT(value == 3);
  EXPECT_EQ(zut::get_assert_count(), before);
  ZUT_ASSERT(value == 4);
  EXPECT_EQ(zut::get_assert_count(), before + 1);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"value == 4");
  EXPECT_TRUE(ends_with(zut::get_last_assert_file(), L"primitives_test.cpp"));
  ZUT_ASSERT_AT(value < 0, 131);
  EXPECT_EQ(zut::get_last_assert_line(), 131u);
  ZUT_ASSERT_NOBREAK(value > 10);
  EXPECT_EQ(zut::get_assert_count(), before + 3);
}

TEST(Assertion, NullTextsAreHarmless) {
  const t_size before = zut::get_assert_count();
  zut::assert_failed(nullptr, nullptr, 0);
  EXPECT_EQ(zut::get_assert_count(), before + 1);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"");
}

TEST(Assertion, LongTextsAreCut) {
  std::wstring long_text(2000, L'a');
  zut::assert_failed(long_text.c_str(), L"f", 1);
  EXPECT_EQ(std::wcslen(zut::get_last_assert_expression()), 511u);
}

TEST(Assertion, ResetCount) {
  zut::assert_failed(L"a", L"b", 1);
  zut::reset_assert_count();
  EXPECT_EQ(zut::get_assert_count(), 0u);
}

// ---------------------------------------------------------------------------------------------
// Exceptions' messages.
// ---------------------------------------------------------------------------------------------

TEST(Exceptions, Messages) {
  EXPECT_STREQ(zut::exception_bug_check().what(), "Bug check");
  EXPECT_STREQ(zut::exception_bug_check("broken").what(), "broken");
  zut::exception_bug_check original("copied");
  zut::exception_bug_check copy(original);
  EXPECT_STREQ(copy.what(), "copied");
  EXPECT_STREQ(zut::exception_dynamic_assert("dyn").what(), "dyn");
  EXPECT_STREQ(zut::exception_overflow().what(), "Overflow");
  zut::exception_overflow overflow;
  zut::exception_overflow overflow_copy(overflow);
  EXPECT_STREQ(overflow_copy.what(), "Overflow");
}

TEST(Exceptions, Hierarchy) {
  try {
    throw zut::exception_dynamic_assert("check");
  } catch (const zut::exception_bug_check& e) {
    EXPECT_STREQ(e.what(), "check");
  }
  try {
    throw zut::exception_overflow();
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Overflow");
  }
}

TEST(Exceptions, BadAllocText) {
  try {
    zut::throw_bad_alloc();
    FAIL() << "no exception";
  } catch (const std::bad_alloc& e) {
    EXPECT_STREQ(e.what(), "bad allocation");
  }
}

// ---------------------------------------------------------------------------------------------
// swap_t and swap_void.
// ---------------------------------------------------------------------------------------------

// A fake counted reference: copying adds a reference, destroying releases one.
struct counted_target {
  int add_refs = 0;
  int releases = 0;
};
struct counted_ref {
  counted_target* target;
  explicit counted_ref(counted_target* p) : target(p) { target->add_refs++; }
  counted_ref(const counted_ref& p) : target(p.target) { target->add_refs++; }
  counted_ref& operator=(const counted_ref& p) {
    p.target->add_refs++;
    target->releases++;
    target = p.target;
    return *this;
  }
  ~counted_ref() { target->releases++; }
};

TEST(Swap, CountedReferencesWithoutAddRefOrRelease) {
  counted_target a, b;
  {
    counted_ref ra(&a), rb(&b);
    zut::swap_t(ra, rb);
    EXPECT_EQ(ra.target, &b);
    EXPECT_EQ(rb.target, &a);
    EXPECT_EQ(a.add_refs, 1);
    EXPECT_EQ(b.add_refs, 1);
    EXPECT_EQ(a.releases, 0);
    EXPECT_EQ(b.releases, 0);
  }
  EXPECT_EQ(a.releases, 1);
  EXPECT_EQ(b.releases, 1);
}

TEST(Swap, WordAndByteSizedItems) {
  struct three { char c[3]; };
  three x = {{'a', 'b', 'c'}}, y = {{'x', 'y', 'z'}};
  zut::swap_t(x, y);
  EXPECT_EQ(std::string(x.c, 3), "xyz");
  EXPECT_EQ(std::string(y.c, 3), "abc");
  struct twelve { unsigned v[3]; };
  twelve p = {{1, 2, 3}}, q = {{4, 5, 6}};
  zut::swap_t(p, q);
  EXPECT_EQ(p.v[0], 4u);
  EXPECT_EQ(p.v[2], 6u);
  EXPECT_EQ(q.v[1], 2u);
  double d1 = 1.5, d2 = -2.25;
  zut::swap_t(d1, d2);
  EXPECT_EQ(d1, -2.25);
  EXPECT_EQ(d2, 1.5);
}

TEST(Swap, WithItselfUnchanged) {
  struct twelve { unsigned v[3]; };
  twelve p = {{7, 8, 9}};
  zut::swap_t(p, p);
  EXPECT_EQ(p.v[0], 7u);
  EXPECT_EQ(p.v[1], 8u);
  EXPECT_EQ(p.v[2], 9u);
  char c = 'q';
  zut::swap_t(c, c);
  EXPECT_EQ(c, 'q');
}

TEST(Swap, SwapVoidBytes) {
  char a[] = "hello", b[] = "world";
  zut::swap_void(a, b, 5);
  EXPECT_STREQ(a, "world");
  EXPECT_STREQ(b, "hello");
  zut::swap_void(a, b, 0);
  EXPECT_STREQ(a, "world");
}

// ---------------------------------------------------------------------------------------------
// In-place helpers.
// ---------------------------------------------------------------------------------------------

int g_constructed = 0;
int g_destroyed = 0;
struct tracked {
  int value;
  tracked() : value(5) { g_constructed++; }
  tracked(const tracked& p) : value(p.value) {
    if (p.value == -1) throw std::runtime_error("copy refused");
    g_constructed++;
  }
  ~tracked() { g_destroyed++; }
};

TEST(InPlace, PlainTypesAreNotTouched) {
  alignas(int) unsigned char storage[sizeof(int)];
  std::memset(storage, 0xAB, sizeof(storage));
  zut::construct_in_place(*reinterpret_cast<int*>(storage));
  EXPECT_EQ(storage[0], 0xAB);
  EXPECT_EQ(storage[3], 0xAB);
}

TEST(InPlace, ClassTypesAreConstructedAndDestroyed) {
  g_constructed = g_destroyed = 0;
  alignas(tracked) unsigned char storage[sizeof(tracked) * 3];
  tracked* items = reinterpret_cast<tracked*>(storage);
  for (int i = 0; i < 3; i++) zut::construct_in_place(items[i]);
  EXPECT_EQ(g_constructed, 3);
  EXPECT_EQ(items[2].value, 5);
  zut::destroy_in_place(items, 3);
  EXPECT_EQ(g_destroyed, 3);
}

TEST(InPlace, CopyArrayUndoesOnThrow) {
  g_constructed = g_destroyed = 0;
  tracked source[4];
  source[2].value = -1;  // the third copy throws
  alignas(tracked) unsigned char storage[sizeof(tracked) * 4];
  tracked* dest = reinterpret_cast<tracked*>(storage);
  g_constructed = g_destroyed = 0;
  EXPECT_THROW(zut::copy_construct_array(dest, 4, source), std::runtime_error);
  EXPECT_EQ(g_constructed, 2);
  EXPECT_EQ(g_destroyed, 2);
}

struct throwing_release {
  static int calls;
  ~throwing_release() noexcept(false) {
    calls++;
    if (calls == 1) throw std::runtime_error("release failed");
  }
};
int throwing_release::calls = 0;

TEST(InPlace, DestroyGoesOnAfterAThrowingItem) {
  alignas(throwing_release) unsigned char storage[sizeof(throwing_release) * 3];
  throwing_release* items = reinterpret_cast<throwing_release*>(storage);
  for (int i = 0; i < 3; i++) new (&items[i]) throwing_release();
  zut::destroy_in_place(items, 3);
  EXPECT_EQ(throwing_release::calls, 3);
}

TEST(InPlace, RawMovableTrait) {
  EXPECT_TRUE(zut::is_raw_movable<char>::value);
  EXPECT_TRUE(zut::is_raw_movable<const char*>::value);
  EXPECT_TRUE(zut::is_raw_movable<zut::rc_container_ref<int>>::value);
  EXPECT_FALSE(zut::is_raw_movable<tracked>::value);
}

// ---------------------------------------------------------------------------------------------
// Critical section and scoped lock.
// ---------------------------------------------------------------------------------------------

TEST(CriticalSection, CountsNesting) {
  zut::critical_section section;
  EXPECT_EQ(section.enter(), 1u);
  EXPECT_EQ(section.enter(), 2u);
  EXPECT_EQ(section.leave(), 1u);
  EXPECT_EQ(section.leave(), 0u);
}

DWORD WINAPI try_enter_thread(LPVOID p_param) {
  zut::critical_section* section = static_cast<zut::critical_section*>(p_param);
  // Another thread can enter only when the section is free.
  if (section->get_count() != 0) return 2;
  section->enter();
  section->leave();
  return 1;
}

TEST(CriticalSection, ScopedLockLeavesOnThrow) {
  zut::critical_section section;
  try {
    zut::scoped_lock lock(section);
    EXPECT_EQ(section.get_count(), 1u);
    throw std::runtime_error("guarded code failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(section.get_count(), 0u);
  HANDLE thread = CreateThread(nullptr, 0, try_enter_thread, &section, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  // No time limit: the thread only enters a free section, and it must end before the section does.
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  EXPECT_EQ(code, 1u);
}

// ---------------------------------------------------------------------------------------------
// Counted references.
// ---------------------------------------------------------------------------------------------

int g_items_alive = 0;
struct ledger_item {
  int value;
  explicit ledger_item(int v = 0) : value(v) { g_items_alive++; }
  ~ledger_item() { g_items_alive--; }
};

TEST(RcContainer, SelfAssignKeepsCount) {
  g_items_alive = 0;
  {
    zut::rc_container_ref<ledger_item> ref = zut::rc_container_ref<ledger_item>::make(7);
    ASSERT_TRUE(ref.is_valid());
    EXPECT_EQ(ref.get_container()->get_count(), 1);
    zut::rc_container_ref<ledger_item>& same = ref;
    ref = same;
    EXPECT_TRUE(ref.is_valid());
    EXPECT_EQ(ref.get_container()->get_count(), 1);
    EXPECT_EQ(ref->value, 7);
    EXPECT_EQ(g_items_alive, 1);
  }
  EXPECT_EQ(g_items_alive, 0);
}

TEST(RcContainer, CopyOfEmptyIsEmpty) {
  zut::rc_container_ref<ledger_item> empty;
  zut::rc_container_ref<ledger_item> copy(empty);
  EXPECT_TRUE(copy.is_empty());
  EXPECT_EQ(copy.get_ptr(), nullptr);
  zut::rc_container_ref<ledger_item> assigned;
  assigned = empty;
  EXPECT_TRUE(assigned.is_empty());
}

TEST(RcContainer, LastReleaseDestroys) {
  g_items_alive = 0;
  zut::rc_container_ref<ledger_item> a;
  a.create(3);
  zut::rc_container_ref<ledger_item> b(a);
  zut::rc_container_ref<ledger_item> c;
  c = b;
  EXPECT_EQ(a.get_container()->get_count(), 3);
  EXPECT_EQ(&*a, &*c);
  a.release();
  EXPECT_TRUE(a.is_empty());
  EXPECT_EQ(g_items_alive, 1);
  b.release();
  EXPECT_EQ(g_items_alive, 1);
  EXPECT_EQ(c.get_container()->get_count(), 1);
  c.release();
  EXPECT_EQ(g_items_alive, 0);
}

TEST(RcContainer, AssignDropsThePreviousReference) {
  g_items_alive = 0;
  zut::rc_container_ref<ledger_item> a = zut::rc_container_ref<ledger_item>::make(1);
  zut::rc_container_ref<ledger_item> b = zut::rc_container_ref<ledger_item>::make(2);
  EXPECT_EQ(g_items_alive, 2);
  a = b;
  EXPECT_EQ(g_items_alive, 1);
  EXPECT_EQ(a->value, 2);
  EXPECT_EQ(b.get_container()->get_count(), 2);
}

TEST(RcContainer, SwapKeepsCounts) {
  zut::rc_container_ref<ledger_item> a = zut::rc_container_ref<ledger_item>::make(1);
  zut::rc_container_ref<ledger_item> b = zut::rc_container_ref<ledger_item>::make(2);
  zut::swap_t(a, b);
  EXPECT_EQ(a->value, 2);
  EXPECT_EQ(b->value, 1);
  EXPECT_EQ(a.get_container()->get_count(), 1);
  EXPECT_EQ(b.get_container()->get_count(), 1);
}

TEST(Primitives, SizeTypeIs32Bits) {
  EXPECT_EQ(sizeof(t_size), 4u);
  EXPECT_EQ(zut::infinite_size, 0xFFFFFFFFu);
}

}  // namespace
