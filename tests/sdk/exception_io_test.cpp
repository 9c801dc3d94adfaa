// The I/O exception family: the Win32 code mapping, the texts, deep copies of formatted texts, and
// the tree that catch sites rely on.

#include <gtest/gtest.h>
#include <trovaplay/sdk/exception_io.h>
#include <zut/primitives.h>

#include <functional>
#include <string>
#include <type_traits>
#include <typeinfo>

namespace {

// The dynamic type and text of what throw_io_for_win32_error throws for a code.
struct thrown {
  std::string type;
  std::string text;
};

thrown map_code(std::uint32_t p_code) {
  try {
    throw_io_for_win32_error(p_code);
  } catch (const trovaplay_io::exception_io& e) {
    return {typeid(e).name(), e.what()};
  }
  return {"nothing", ""};
}

template <typename T>
std::string type_of() {
  return typeid(T).name();
}

std::string win32_ex_text(unsigned p_code) { return "I/O error (win32 #" + std::to_string(p_code) + ")"; }

TEST(ExceptionIo, Win32CodesMapToTheirClasses) {
  using namespace trovaplay_io;
  const struct {
    std::uint32_t code;
    std::string type;
    const char* text;
  } rows[] = {
      {2, type_of<exception_io_not_found>(), "Object not found"},
      {3, type_of<exception_io_not_found>(), "Object not found"},
      {5, type_of<exception_io_denied>(), "Access denied"},
      {65, type_of<exception_io_denied>(), "Access denied"},
      {15, type_of<exception_io_invalid_drive>(), "Drive not found"},
      {19, type_of<exception_io_write_protected>(), "The media is write protected"},
      {21, type_of<exception_io_device_not_ready>(), "Device not ready"},
      {23, type_of<exception_io_file_corrupted>(), "The file is corrupted"},
      {1392, type_of<exception_io_file_corrupted>(), "The file is corrupted"},
      {1393, type_of<exception_io_file_corrupted>(), "The file is corrupted"},
      {32, type_of<exception_io_sharing_violation>(), "Sharing violation"},
      {33, type_of<exception_io_sharing_violation>(), "Sharing violation"},
      {148, type_of<exception_io_sharing_violation>(), "Sharing violation"},
      {170, type_of<exception_io_sharing_violation>(), "Sharing violation"},
      {39, type_of<exception_io_device_full>(), "Device full"},
      {112, type_of<exception_io_device_full>(), "Device full"},
      {64, type_of<exception_io_network_not_reachable>(), "Network not reachable"},
      {1231, type_of<exception_io_network_not_reachable>(), "Network not reachable"},
      {80, type_of<exception_io_already_exists>(), "Object already exists"},
      {183, type_of<exception_io_already_exists>(), "Object already exists"},
      {109, type_of<exception_io_no_data>(), "The process receiving or sending data has terminated"},
      {232, type_of<exception_io_no_data>(), "The process receiving or sending data has terminated"},
      {111, type_of<exception_io_buffer_overflow>(), "The file name is too long"},
  };
  for (const auto& row : rows) {
    const thrown t = map_code(row.code);
    EXPECT_EQ(t.type, row.type) << row.code;
    EXPECT_EQ(t.text, row.text) << row.code;
  }
}

TEST(ExceptionIo, CodesWithoutAClassGiveTheGenericTextWithTheCode) {
  for (std::uint32_t code : {0u, 1u, 4u, 233u, 1230u, 1394u, 0xFFFFFFFFu}) {
    const thrown t = map_code(code);
    EXPECT_EQ(t.type, type_of<exception_io_win32_ex>()) << code;
    EXPECT_EQ(t.text, win32_ex_text(code)) << code;
  }
}

TEST(ExceptionIo, CopiesOwnTheirTexts) {
  exception_io_win32_ex* original = new exception_io_win32_ex(1230);
  exception_io_win32_ex copy(*original);
  delete original;  // the copy's text must not point into the original
  EXPECT_STREQ(copy.what(), "I/O error (win32 #1230)");

  exception_win32* system = new exception_win32(0xDEADBEEF);
  const std::string text = system->what();
  exception_win32 system_copy(*system);
  delete system;
  EXPECT_EQ(system_copy.what(), text);
  EXPECT_EQ(system_copy.get_code(), 0xDEADBEEFu);
  EXPECT_EQ(text, "Unknown error code (3735928559)");
}

TEST(ExceptionIo, Win32ExceptionCarriesTheSystemText) {
  exception_win32 e(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(e.get_code(), 2u);
  EXPECT_GT(std::string(e.what()).size(), 0u);
  EXPECT_EQ(std::string(e.what()).find("Unknown error code"), std::string::npos);
}

TEST(ExceptionIo, CatchSitesFollowTheTree) {
  using namespace trovaplay_io;
  EXPECT_THROW(throw_io_for_win32_error(15), exception_io_not_found);
  EXPECT_THROW(throw_io_for_win32_error(19), exception_io_denied);
  EXPECT_THROW(throw exception_io_data_truncation(), exception_io_data);
  try {
    throw exception_io_data_truncation();
  } catch (const exception_io_data& e) {
    EXPECT_STREQ(e.what(), "Unsupported format or corrupted file");
  }
  EXPECT_THROW(throw_io_for_win32_error(9999), exception_io);
  // The abort and Win32 exceptions are outside the I/O family.
  bool caught_as_io = false;
  try {
    try {
      throw exception_aborted();
    } catch (const exception_io&) {
      caught_as_io = true;
    }
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "User abort");
  }
  EXPECT_FALSE(caught_as_io);
  EXPECT_FALSE((std::is_base_of<exception_io, exception_win32>::value));
}

TEST(ExceptionIo, DynamicAssertReportsAndThrows) {
  zut::reset_assert_count();
  EXPECT_NO_THROW(zut::dynamic_assert(true));
  EXPECT_EQ(zut::get_assert_count(), 0u);
  try {
    zut::dynamic_assert(false);
    FAIL() << "no throw";
  } catch (const zut::exception_dynamic_assert& e) {
    EXPECT_STREQ(e.what(), "dynamic_assert failure");
  }
  EXPECT_EQ(zut::get_assert_count(), 1u);
  EXPECT_STREQ(zut::get_last_assert_expression(), L"0");
  EXPECT_STREQ(zut::get_last_assert_file(), L"primitives");
  EXPECT_EQ(zut::get_last_assert_line(), 233u);
}

}  // namespace
