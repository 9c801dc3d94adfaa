// Console output against the recording fake host: prefixes, receiver order, dropping while services
// are unavailable, and a reference ledger that balances.

#include <gtest/gtest.h>
#include <trovaplay/sdk/client.h>
#include <trovaplay/sdk/console.h>

#include <stdexcept>

#include "fake_file_info.h"
#include "fake_filesystem.h"
#include "fake_host.h"

namespace {

class Console : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_module_state();
    host.offer(console_receiver::class_guid, &r0);
    host.offer(console_receiver::class_guid, &r1);
    start_services(host);
    fake_call_log().clear();
  }
  void TearDown() override {
    EXPECT_EQ(r0.count(), 1);  // the ledger balances
    EXPECT_EQ(r1.count(), 1);
    reset_module_state();
  }
  fake_host host;
  fake_console_receiver r0{0}, r1{1};
};

TEST_F(Console, PrintGoesToEveryReceiverInIndexOrder) {
  console::print("hello");
  EXPECT_EQ(r0.lines, (std::vector<std::string>{"hello"}));
  EXPECT_EQ(r1.lines, (std::vector<std::string>{"hello"}));
  EXPECT_EQ(r0.lengths, (std::vector<std::uint32_t>{0xFFFFFFFFu}));
  std::vector<std::string> order;
  for (const fake_call& c : fake_call_log())
    if (c.slot == 3) order.push_back(c.who);
  EXPECT_EQ(order, (std::vector<std::string>{"console_receiver#0", "console_receiver#1"}));
  // Enumeration until creation fails at index 2.
  EXPECT_EQ(fake_slots_of("host_api"), (std::vector<int>{0, 1, 1, 1}));
}

TEST_F(Console, ErrorAndWarningPrefixes) {
  console::error("x");
  console::warning("");
  EXPECT_EQ(r0.lines, (std::vector<std::string>{"ERROR : x", "WARNING : "}));
  EXPECT_EQ(r1.lines, r0.lines);
}

TEST_F(Console, EmptyTextIsPrintedByPrintAndInfo) {
  console::print("");
  console::info("");
  EXPECT_EQ(r0.lines, (std::vector<std::string>{"", ""}));
}

TEST_F(Console, InfoIsPrint) {
  console::info("some text");
  EXPECT_EQ(r1.lines, (std::vector<std::string>{"some text"}));
}

TEST_F(Console, FormatterPrintsOnDestructionUnlessEmpty) {
  { console::formatter f; }
  EXPECT_TRUE(r0.lines.empty());
  {
    console::formatter f;
    f << "a" << 12 << "b";
    EXPECT_TRUE(r0.lines.empty());
  }
  EXPECT_EQ(r0.lines, (std::vector<std::string>{"a12b"}));
}

TEST_F(Console, Printf) {
  console::printf("%s=%d", "n", 42);
  EXPECT_EQ(r0.lines, (std::vector<std::string>{"n=42"}));
}

TEST_F(Console, NullTextReachesReceiversAsEmptyText) {
  console::print(nullptr);
  console::error(nullptr);
  EXPECT_EQ(r0.lines, (std::vector<std::string>{"", "ERROR : "}));
  for (const fake_call& c : fake_call_log()) EXPECT_NE(c.text, "<null>") << c.who;
}

TEST_F(Console, PrintfWithAHugePrecisionFromTheArguments) {
  // A zero-fill that large is cut, never an allocation of gigabytes.
  EXPECT_NO_THROW(console::printf("%.*d|", 0x7FFFFFFF, 7));
  ASSERT_EQ(r0.lines.size(), 1u);
  EXPECT_LE(r0.lines[0].size(), 100002u);
  EXPECT_EQ(r0.lines[0].substr(r0.lines[0].size() - 3), "07|");
}

TEST_F(Console, NothingWhileServicesAreUnavailable) {
  trovaplay_get_interface(&host, nullptr)->services_init(false);
  console::print("a");
  console::error("b");
  console::printf("%d", 1);
  EXPECT_TRUE(r0.lines.empty());
  EXPECT_TRUE(fake_call_log().empty());  // no receiver was created or called
}

TEST_F(Console, NoReceiverAtAll) {
  fake_host empty;
  reset_module_state();
  start_services(empty);
  EXPECT_NO_THROW(console::error("nobody listens"));
  EXPECT_TRUE(r0.lines.empty());
  reset_module_state();
}

// A receiver that throws: the formatter's destructor keeps the exception in.
class throwing_receiver : public console_receiver {
 public:
  int service_release() override { return --count; }
  int service_add_ref() override { return ++count; }
  void print(const char*, std::uint32_t) override { throw std::runtime_error("receiver failed"); }
  int count = 1;
};

TEST_F(Console, FormatterDestructorLetsNoExceptionOut) {
  fake_host h;
  throwing_receiver bad;
  h.offer(console_receiver::class_guid, &bad);
  reset_module_state();
  start_services(h);
  EXPECT_NO_THROW({
    console::formatter f;
    f << "boom";
  });
  EXPECT_NO_THROW(console::warning("again"));
  EXPECT_EQ(bad.count, 1);  // released on the way out
  EXPECT_THROW(console::print("direct"), std::runtime_error);  // print itself does not catch
  EXPECT_EQ(bad.count, 1);
  reset_module_state();
}

TEST_F(Console, ReportErrorNeverThrows) {
  console::report_error("where", "what");
  EXPECT_EQ(r0.lines, (std::vector<std::string>{"ERROR : where: what"}));
}

TEST_F(Console, InfoLocationPrintsTheDisplayPathAndSubSong) {
  mem_fs files("mem://");
  host.offer(filesystem::class_guid, &files);
  console::info_location(fake_location("mem://dir\\a.mp3", 0));
  console::info_location(fake_location("odd:b.mp3", 3));  // nobody owns it: as stored
  fake_handle handle("mem://c.mp3");
  console::info_location(service_ptr_t<metadb_handle>(&handle));
  console::info_location(service_ptr_t<metadb_handle>());  // no handle, no line
  EXPECT_EQ(r0.lines, (std::vector<std::string>{"\"dir\\a.mp3\"", "\"odd:b.mp3\" / index: 3", "\"c.mp3\""}));
  EXPECT_EQ(r1.lines, r0.lines);
  EXPECT_EQ(files.refs, 1);
  EXPECT_EQ(handle.refs, 1);
}

}  // namespace
