// array_t: index checks, copies, and moves as raw bytes.
#include <gtest/gtest.h>
#include <zut/array.h>
#include <zut/primitives.h>

#include <cwchar>
#include <string>

namespace {

bool file_ends_with(const wchar_t* p_tail) {
  const std::wstring file = zut::get_last_assert_file();
  const std::wstring tail = p_tail;
  return file.size() >= tail.size() && file.compare(file.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(ArrayIndex, InRangeIsSilent) {
  zut::array_t<int> a;
  a.set_size(3);
  a[0] = 1;
  a[2] = 3;
  const t_size before = zut::get_assert_count();
  EXPECT_EQ(a[0] + a[2], 4);
  EXPECT_EQ(zut::get_assert_count(), before);
}

TEST(ArrayIndex, OutOfRangeReportsArrayThenBlock) {
  zut::array_t<int> a;
  a.set_size(4);
  const t_size before = zut::get_assert_count();
  (void)a[4];
  EXPECT_EQ(zut::get_assert_count(), before + 2);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"p_index < m_size");
  EXPECT_EQ(zut::get_last_assert_line(), 147u);
  EXPECT_TRUE(file_ends_with(L"alloc.h"));
}

std::wstring g_first_expression;
std::wstring g_first_file;
unsigned g_first_line = 0;
int g_hook_calls = 0;
void first_report(const wchar_t* p_expression, const wchar_t* p_file, unsigned p_line) {
  if (g_hook_calls++ == 0) {
    g_first_expression = p_expression;
    g_first_file = p_file;
    g_first_line = p_line;
  }
}

TEST(ArrayIndex, ArrayCheckComesFirstWithItsLines) {
  zut::array_t<int> a;
  a.set_size(1);
  zut::assert_hook_t previous = zut::set_assert_hook(first_report);
  g_hook_calls = 0;
  (void)a[1];
  EXPECT_EQ(g_first_expression, L"p_index < get_size()");
  EXPECT_EQ(g_first_line, 89u);
  EXPECT_NE(g_first_file.find(L"array.h"), std::wstring::npos);
  const zut::array_t<int>& ca = a;
  g_hook_calls = 0;
  (void)ca[7];
  EXPECT_EQ(g_first_line, 88u);
  EXPECT_EQ(zut::get_last_assert_line(), 146u);
  zut::set_assert_hook(previous);
}

TEST(ArrayCopy, CopiesElements) {
  zut::array_t<int, zut::alloc_fast> a;
  a.set_size(5);
  for (t_size n = 0; n < 5; n++) a[n] = static_cast<int>(n * n);
  zut::array_t<int, zut::alloc_fast> b(a);
  EXPECT_EQ(b.get_size(), 5u);
  EXPECT_NE(b.get_ptr(), a.get_ptr());
  EXPECT_EQ(b[4], 16);
  zut::array_t<int, zut::alloc_fast> c;
  c = a;
  c = c;
  EXPECT_EQ(c[3], 9);
}

TEST(ArrayMove, RawByteMoveKeepsItUsable) {
  EXPECT_TRUE(zut::is_raw_movable<zut::array_t<int>>::value);
  alignas(zut::array_t<int, zut::alloc_fast>) unsigned char storage[sizeof(zut::array_t<int, zut::alloc_fast>)];
  {
    zut::array_t<int, zut::alloc_fast> original;
    original.set_size(3);
    original[2] = 42;
    std::memcpy(storage, static_cast<void*>(&original), sizeof(original));
    // The original's bytes now belong to the copy: forget them without destroying.
    new (&original) zut::array_t<int, zut::alloc_fast>();
  }
  zut::array_t<int, zut::alloc_fast>& moved = *reinterpret_cast<zut::array_t<int, zut::alloc_fast>*>(storage);
  EXPECT_EQ(moved[2], 42);
  moved.set_size(100);
  moved[99] = 7;
  EXPECT_EQ(moved[2], 42);
  moved.~array_t();
}

TEST(ArrayStandard, ResizeToZeroFrees) {
  zut::array_t<wchar_t> a;
  a.set_size(8);
  EXPECT_NE(a.get_ptr(), nullptr);
  a.set_size(0);
  EXPECT_EQ(a.get_ptr(), nullptr);
  EXPECT_EQ(a.get_size(), 0u);
}

}  // namespace
