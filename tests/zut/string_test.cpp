// UTF-8 string classes: the interface's slots, string8_t's text and block rules, self-overlapping
// appends and sets, fixed strings, string_printf and plain_string.
#include <gtest/gtest.h>
#include <zut/string.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

typedef zut::string8_t<zut::alloc_standard> str_std;
typedef zut::string8_t<zut::alloc_fast_aggressive> str_fast;

// ---------------------------------------------------------------------------------------------
// The interface: seven slots, no destructor slot.
// ---------------------------------------------------------------------------------------------

// The table slot of a virtual member function (GCC: the pointer is 1 + byte offset in the table).
template <typename F>
int slot_of(F p_member) {
  struct raw { std::uintptr_t ptr; std::ptrdiff_t adj; };
  static_assert(sizeof(F) == sizeof(raw), "member pointer layout");
  raw r;
  std::memcpy(&r, &p_member, sizeof(r));
  if ((r.ptr & 1) == 0) return -1;  // not virtual
  return static_cast<int>((r.ptr - 1) / sizeof(void*));
}

struct probe : public zut::string_base {
  virtual int extra() { return 0; }
};

TEST(StringInterface, SevenSlotsInOrder) {
  EXPECT_EQ(slot_of(&zut::string_receiver::add_string), 0);
  EXPECT_EQ(slot_of(&zut::string_base::add_string), 0);
  EXPECT_EQ(slot_of(&zut::string_base::get_ptr), 1);
  EXPECT_EQ(slot_of(&zut::string_base::set_string), 2);
  EXPECT_EQ(slot_of(&zut::string_base::truncate), 3);
  EXPECT_EQ(slot_of(&zut::string_base::get_length), 4);
  EXPECT_EQ(slot_of(&zut::string_base::lock_buffer), 5);
  EXPECT_EQ(slot_of(&zut::string_base::unlock_buffer), 6);
  EXPECT_EQ(slot_of(&probe::extra), 7);  // so there are exactly seven, and no destructor slot
  EXPECT_EQ(sizeof(zut::string_base), sizeof(void*));
  EXPECT_FALSE(std::has_virtual_destructor<zut::string_base>::value);
  EXPECT_FALSE(std::has_virtual_destructor<str_std>::value);
}

TEST(StringInterface, LayoutOfString8) {
  // The table pointer, the array (data, size, capacity), the length.
  EXPECT_EQ(sizeof(str_std), sizeof(void*) + 3 * 4 + 4);
  EXPECT_EQ(sizeof(zut::string_fixed_t<64>), sizeof(void*) + 4 + 64);
}

// A string kind that only implements the abstract slots, to exercise the base versions.
class recording_string : public zut::string_base {
 public:
  recording_string() { m_text[0] = 0; }
  void add_string(const char* p, t_size len = zut::infinite_size) override {
    log += "add;";
    t_size n = zut::strlen_max(p, len);
    t_size at = std::strlen(m_text);
    std::memcpy(m_text + at, p, n);
    m_text[at + n] = 0;
  }
  const char* get_ptr() const override { return m_text; }
  void truncate(t_size len) override {
    log += "truncate;";
    if (len < std::strlen(m_text)) m_text[len] = 0;
  }
  char* lock_buffer(t_size) override { return m_text; }
  void unlock_buffer() override {}
  std::string log;
  char m_text[256];
};

TEST(StringInterface, BaseVersions) {
  recording_string s;
  static_cast<zut::string_base&>(s) = "hello";
  EXPECT_EQ(s.log, "truncate;add;");
  EXPECT_EQ(s.get_length(), 5u);
  EXPECT_EQ(s.length(), 5u);
  s.reset();
  EXPECT_TRUE(s.is_empty());
}

// ---------------------------------------------------------------------------------------------
// string8_t text rules.
// ---------------------------------------------------------------------------------------------

TEST(String8, EmptyGivesSharedText) {
  str_std a;
  str_fast b;
  EXPECT_EQ(a.get_ptr(), b.get_ptr());
  EXPECT_STREQ(a.get_ptr(), "");
  EXPECT_EQ(a.get_length(), 0u);
  a = "text";
  a.reset();
  EXPECT_EQ(a.get_ptr(), b.get_ptr());  // emptied: the shared text again, though a block exists
  EXPECT_GT(a.get_block_size(), 0u);
  EXPECT_TRUE(a.is_empty());
}

TEST(String8, AppendStopsAtNul) {
  str_std s("x");
  s.add_string("a", 2);
  EXPECT_STREQ(s, "xa");
  s.add_string("bcdef", 3);
  EXPECT_STREQ(s, "xabcd");
  s.add_string(nullptr, 5);
  s.set_string(nullptr, 3);
  EXPECT_STREQ(s, "");
}

TEST(String8, SelfOverlappingAppend) {
  str_std s("abc");
  s.add_string(s.get_ptr() + 1, 2);
  EXPECT_STREQ(s, "abcbc");
  // Appending the whole text to itself, repeatedly, while the block grows.
  str_fast f("0123456789");
  for (int i = 0; i < 6; i++) f += f.get_ptr();
  EXPECT_EQ(f.get_length(), 640u);
  EXPECT_EQ(std::string(f.get_ptr() + 630), "0123456789");
  f.add_string(f.get_ptr() + 635, zut::infinite_size);
  EXPECT_EQ(f.get_length(), 645u);
  EXPECT_EQ(std::string(f.get_ptr() + 635), "5678956789");
}

TEST(String8, SelfOverlappingSet) {
  str_std s("hello world");
  s.set_string(s.get_ptr() + 6, zut::infinite_size);
  EXPECT_STREQ(s, "world");
  s.set_string(s.get_ptr() + 1, 3);
  EXPECT_STREQ(s, "orl");
  s = s.get_ptr();
  EXPECT_STREQ(s, "orl");
  s = s;
  EXPECT_STREQ(s, "orl");
  str_fast big;
  big.lock_buffer(200);
  big.unlock_buffer();
  big = "abcdefghij";
  big.set_string(big.get_ptr() + 2, 4);
  EXPECT_STREQ(big, "cdef");
}

TEST(String8, Truncate) {
  str_std s("abc");
  s.truncate(10);
  EXPECT_STREQ(s, "abc");
  s.truncate(1);
  EXPECT_STREQ(s, "a");
  EXPECT_EQ(s.get_length(), 1u);
}

TEST(String8, StandardBlockSizes) {
  str_std s;
  s.add_string("", 0);
  EXPECT_EQ(s.get_block_size(), 17u);  // an empty append still makes room
  const std::string hundred(100, 'h');
  s = hundred.c_str();
  EXPECT_EQ(s.get_block_size(), 117u);
  EXPECT_EQ(s.get_block_capacity(), 117u);
  s.truncate(90);
  EXPECT_EQ(s.get_block_size(), 117u);
  s = hundred.c_str();
  s.truncate(50);
  EXPECT_EQ(s.get_block_size(), 51u);
  EXPECT_EQ(s.get_block_capacity(), 51u);
  EXPECT_EQ(s.get_length(), 50u);
}

TEST(String8, AggressiveBlockOnlyGrows) {
  str_fast s;
  const std::string hundred(100, 'h');
  s = hundred.c_str();
  EXPECT_EQ(s.get_block_size(), 117u);
  EXPECT_EQ(s.get_block_capacity(), 128u);
  s.truncate(10);
  EXPECT_EQ(s.get_block_size(), 11u);
  EXPECT_EQ(s.get_block_capacity(), 128u);
}

TEST(String8, RepeatedSmallAppendsGrowWithSlack) {
  str_std s;
  t_size reallocations = 0;
  t_size last = 0;
  for (int i = 0; i < 160; i++) {
    s.add_byte('x');
    if (s.get_block_size() != last) reallocations++;
    last = s.get_block_size();
  }
  EXPECT_EQ(s.get_length(), 160u);
  EXPECT_EQ(reallocations, 10u);  // every 17 bytes or so, not every byte
}

TEST(String8, LockBuffer) {
  str_std s("old");
  char* buffer = s.lock_buffer(10);
  ASSERT_NE(buffer, nullptr);
  EXPECT_NE(buffer, zut::string8_empty_text);
  EXPECT_EQ(buffer[0], 0);  // the whole block is cleared
  buffer[0] = 'h';
  buffer[1] = 'i';
  s.unlock_buffer();
  EXPECT_EQ(s.get_length(), 2u);
  EXPECT_STREQ(s, "hi");
  str_std empty;
  empty.unlock_buffer();
  EXPECT_EQ(empty.get_length(), 0u);

  // A small buffer asked of a long text: the old length still fits the block while it is locked.
  str_std long_text(std::string(100, 'x').c_str());
  long_text.lock_buffer(10);
  EXPECT_EQ(long_text.get_length(), 100u);
  EXPECT_GE(long_text.get_block_size(), 101u);
  long_text.truncate(50);  // writes at index 50
  long_text.unlock_buffer();
  EXPECT_EQ(long_text.get_length(), 0u);
}

TEST(String8, UnlockWithoutNulKeepsEveryByte) {
  str_std s;
  char* buffer = s.lock_buffer(4);
  const t_size size = s.get_block_size();
  std::memset(buffer, 'z', size);
  s.unlock_buffer();
  EXPECT_EQ(s.get_length(), size);
  EXPECT_EQ(std::strlen(s.get_ptr()), size);
}

TEST(String8, Overflow) {
  str_std s("abc");
  EXPECT_THROW(s.lock_buffer(zut::infinite_size), std::bad_alloc);
  EXPECT_STREQ(s, "abc");
  EXPECT_THROW(s.lock_buffer(0xFFFFFF00u), std::bad_alloc);
}

TEST(String8, MovedWithMemcpyStaysUsable) {
  EXPECT_TRUE(zut::is_raw_movable<str_std>::value);
  alignas(str_std) unsigned char storage[sizeof(str_std)];
  {
    str_std original("moved text");
    std::memcpy(storage, static_cast<void*>(&original), sizeof(original));
    new (&original) str_std();  // the bytes now belong to the copy
  }
  str_std& moved = *reinterpret_cast<str_std*>(storage);
  EXPECT_STREQ(moved, "moved text");
  zut::string_base& through_table = moved;
  through_table.add_string(" and more", zut::infinite_size);
  through_table.add_string(moved.get_ptr(), 5);  // self-overlap after the move
  EXPECT_STREQ(moved, "moved text and moremoved");
  std::string long_text(1000, 'q');
  moved = long_text.c_str();
  EXPECT_EQ(moved.get_length(), 1000u);
  moved.~str_std();
}

TEST(String8, CopiesAreIndependent) {
  str_std a("one");
  str_std b(a);
  b += "two";
  EXPECT_STREQ(a, "one");
  EXPECT_STREQ(b, "onetwo");
  str_fast c(b);
  a = c;
  EXPECT_STREQ(a, "onetwo");
  a += c;
  EXPECT_STREQ(a, "onetwoonetwo");
}

// ---------------------------------------------------------------------------------------------
// Non-virtual helpers.
// ---------------------------------------------------------------------------------------------

TEST(StringHelpers, AddChar) {
  str_std s;
  s.add_char('A');
  s.add_char(0xE9);
  s.add_char(0x20AC);
  s.add_char(0x1F600);
  EXPECT_STREQ(s, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  s.reset();
  s.add_char(0);
  s.add_char(0x80000000u);
  EXPECT_TRUE(s.is_empty());
  s.add_char(0x7FFFFFFF);
  EXPECT_STREQ(s, "\xFD\xBF\xBF\xBF\xBF\xBF");
  s.reset();
  s.add_char(0x200000);
  EXPECT_STREQ(s, "\xF8\x88\x80\x80\x80");
  s.reset();
  s.add_chars('-', 3);
  EXPECT_STREQ(s, "---");
}

TEST(StringHelpers, NumbersAndEndings) {
  str_std s;
  s.add_uint(0);
  s.add_byte(' ');
  s.add_uint(4294967295u);
  EXPECT_STREQ(s, "0 4294967295");
  s.end_with(' ');
  s.end_with(' ');
  EXPECT_STREQ(s, "0 4294967295 ");
  str_std e;
  e.end_with('\\');
  EXPECT_STREQ(e, "\\");
  str_fast out;
  out << "n=" << -12 << "," << 7u << "," << static_cast<long long>(INT64_MIN) << ","
      << static_cast<unsigned long long>(UINT64_MAX);
  EXPECT_STREQ(out, "n=-12,7,-9223372036854775808,18446744073709551615");
}

TEST(StringHelpers, ScanFilename) {
  EXPECT_EQ(str_std("c:\\dir\\file.txt").scan_filename(), 7u);
  EXPECT_EQ(str_std("file.txt").scan_filename(), 0u);
  EXPECT_EQ(str_std("a/b|c:d").scan_filename(), 6u);
  EXPECT_EQ(str_std("dir\\").scan_filename(), 4u);
}

// ---------------------------------------------------------------------------------------------
// Fixed strings.
// ---------------------------------------------------------------------------------------------

TEST(FixedString, CapacityAndOverflow) {
  zut::string_fixed_t<64> s;
  EXPECT_STREQ(s, "");
  EXPECT_NE(s.get_ptr(), zut::string8_empty_text);
  const std::string text63(63, 'a');
  s = text63.c_str();
  EXPECT_EQ(s.get_length(), 63u);
  try {
    s.add_byte('b');
    FAIL() << "no overflow";
  } catch (const zut::exception_overflow& e) {
    EXPECT_STREQ(e.what(), "Overflow");
  }
  EXPECT_EQ(std::string(s.get_ptr()), text63);
  EXPECT_NO_THROW(s.add_string("", 0));
}

TEST(FixedString, EmptyAppendAtCapacityIsFine) {
  zut::string_fixed_t<32> s;
  const std::string text31(31, 'c');
  s = text31.c_str();
  s.add_string("", 0);
  s.add_string(nullptr, 4);
  EXPECT_EQ(s.get_length(), 31u);
  EXPECT_THROW(s.add_byte('d'), zut::exception_overflow);
  // A set is a reset and an append: an overlong text leaves the string empty.
  EXPECT_THROW(s = std::string(32, 'x').c_str(), zut::exception_overflow);
  EXPECT_STREQ(s, "");
  EXPECT_EQ(s.get_length(), 0u);
}

TEST(FixedString, Truncate) {
  zut::string_fixed_t<64> s;
  const std::string text63(63, 'a');
  s = text63.c_str();
  s.truncate(static_cast<t_size>(-1));
  EXPECT_EQ(s.get_length(), 63u);
  s.truncate(1000);
  EXPECT_EQ(s.get_length(), 63u);
  s.truncate(3);
  EXPECT_STREQ(s, "aaa");
  s.truncate(10);
  EXPECT_STREQ(s, "aaa");
}

TEST(FixedString, LockBuffer) {
  zut::string_fixed_t<64> s("abc");
  EXPECT_EQ(s.lock_buffer(64), nullptr);
  EXPECT_STREQ(s, "abc");
  char* buffer = s.lock_buffer(63);
  ASSERT_NE(buffer, nullptr);
  std::strcpy(buffer, "xy");
  s.unlock_buffer();
  EXPECT_EQ(s.get_length(), 2u);
  buffer = s.lock_buffer(10);
  std::memset(buffer, 'm', 64);  // no NUL at all
  s.unlock_buffer();
  EXPECT_EQ(s.get_length(), 63u);
}

TEST(FixedString, SetFromOwnBufferKeepsText) {
  zut::string_fixed_t<32> s("hello world");
  s.set_string(s.get_ptr() + 6, zut::infinite_size);
  EXPECT_STREQ(s, "world");
  s = s.get_ptr();
  EXPECT_STREQ(s, "world");
  s.set_string(s.get_ptr(), 2);
  EXPECT_STREQ(s, "wo");
  s.add_string(s.get_ptr(), zut::infinite_size);
  EXPECT_STREQ(s, "wowo");
}

TEST(FixedString, ThroughTheInterface) {
  zut::string_fixed_t<32> s;
  zut::string_base& base = s;
  base.add_uint(123);
  base.add_char(0xE9);
  EXPECT_STREQ(s, "123\xC3\xA9");
  zut::string_fixed_t<32> copy(s);
  EXPECT_STREQ(copy, "123\xC3\xA9");
}

// ---------------------------------------------------------------------------------------------
// string_printf.
// ---------------------------------------------------------------------------------------------

struct printf_case {
  const char* expected;
  std::string actual;
};

TEST(StringPrintf, Table) {
  EXPECT_STREQ(zut::string_printf("%05d", -42), "00-42");
  EXPECT_STREQ(zut::string_printf("%+3u", 7u), "+  7");
  EXPECT_STREQ(zut::string_printf("%X", 255u), "FF");
  EXPECT_STREQ(zut::string_printf("%x", 0xABCDEFu), "abcdef");
  EXPECT_STREQ(zut::string_printf("%q"), "q");
  EXPECT_STREQ(zut::string_printf("%5q"), "q");
  EXPECT_STREQ(zut::string_printf("100%%"), "100%");
  EXPECT_STREQ(zut::string_printf("%d|%i|%D|%I", 1, -2, 3, INT_MIN), "1|-2|3|-2147483648");
  EXPECT_STREQ(zut::string_printf("%u", 4294967295u), "4294967295");
  EXPECT_STREQ(zut::string_printf("%+d,%+d,%+d", 5, 0, -5), "+5,0,-5");
  EXPECT_STREQ(zut::string_printf("%+x", 0x80000000u), "80000000");  // negative as signed
  EXPECT_STREQ(zut::string_printf("%+05d", 42), "+00042");
  EXPECT_STREQ(zut::string_printf("%3d", 12345), "12345");
  EXPECT_STREQ(zut::string_printf("[%5s]", "ab"), "[   ab]");
  EXPECT_STREQ(zut::string_printf("[%05s]", "ab"), "[000ab]");
  EXPECT_STREQ(zut::string_printf("[%1S]", "abc"), "[abc]");
  EXPECT_STREQ(zut::string_printf("%c%C", 'h', 'i'), "hi");
  EXPECT_STREQ(zut::string_printf("<%c>", 200), "<>");
  EXPECT_STREQ(zut::string_printf("<%c>", 0x141), "<A>");  // the low byte
  EXPECT_STREQ(zut::string_printf("<%c>", 0), "<>");
  EXPECT_STREQ(zut::string_printf("plain"), "plain");
  EXPECT_STREQ(zut::string_printf(""), "");
}

TEST(StringPrintf, FormatEndingInsideAConversion) {
  EXPECT_STREQ(zut::string_printf("abc%"), "abc");
  EXPECT_STREQ(zut::string_printf("abc%5"), "abc");
  EXPECT_STREQ(zut::string_printf("abc%+"), "abc");
  EXPECT_STREQ(zut::string_printf("abc%+07"), "abc");
  EXPECT_STREQ(zut::string_printf("abc%0"), "abc");
}

TEST(StringPrintf, HugeWidthIsBounded) {
  zut::string_printf s("%99999999999d", 1);
  EXPECT_LE(s.get_length(), (1u << 20) + 1);
  EXPECT_EQ(s.get_ptr()[s.get_length() - 1], '1');
}

TEST(StringPrintf, IntoAnyString) {
  zut::string_fixed_t<32> fixed("old");
  zut::string_printf::run(fixed, "%s=%03u", "v", 7u);
  EXPECT_STREQ(fixed, "v=007");
  zut::string_fixed_t<8> tiny;
  EXPECT_THROW(zut::string_printf::run(tiny, "%s", "too long a text"), zut::exception_overflow);
  zut::string_printf copy("%d", 12);
  str_fast as_string(copy);
  EXPECT_STREQ(as_string, "12");
  copy += "!";
  EXPECT_STREQ(copy, "12!");
}

// ---------------------------------------------------------------------------------------------
// plain_string.
// ---------------------------------------------------------------------------------------------

TEST(PlainString, ExactlySized) {
  zut::plain_string p;
  EXPECT_STREQ(p.get_ptr(), "");
  p = "module.dll";
  EXPECT_STREQ(p, "module.dll");
  EXPECT_EQ(p.get_array().get_size(), 11u);
  EXPECT_EQ(p.get_array().get_size_total(), 11u);
  p.set("abcdef", 3);
  EXPECT_STREQ(p, "abc");
  EXPECT_EQ(p.get_array().get_size(), 4u);
  p.set(nullptr, 10);
  EXPECT_STREQ(p, "");
  EXPECT_EQ(p.get_length(), 0u);
}

TEST(PlainString, SetFromOwnText) {
  zut::plain_string p("c:\\path\\name.dll");
  p.set(p.get_ptr() + 8, zut::infinite_size);
  EXPECT_STREQ(p, "name.dll");
  p = p.get_ptr();
  EXPECT_STREQ(p, "name.dll");
}

}  // namespace
