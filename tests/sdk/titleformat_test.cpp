// Title formatting's compile step with its fallback (against a recording fake compiler whose
// references must balance), running over a record, text output helpers and character filters.

#include "fake_file_info.h"
#include "fake_host.h"

#include <trovaplay/sdk/titleformat.h>
#include <zut/exception.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A compiled "script": writes its text with the hook's answer for the field named by it.
class fake_script final : public titleformat_script {
 public:
  explicit fake_script(std::string spec) : m_spec(std::move(spec)) {}
  int service_release() override { return m_counted.release(); }
  int service_add_ref() override { return m_counted.add_ref(); }
  bool run(titleformat_hook* p_hook, zut::string_base& p_out, titleformat_text_filter*) override {
    titleformat_text_out_impl_string out(p_out);
    p_out.reset();
    bool found = false;
    if (!p_hook || !p_hook->process_field(&out, m_spec.c_str(), ~0u, found)) p_out.set_string("?");
    return true;
  }
  int count() const { return m_counted.count(); }
  const std::string& spec() const { return m_spec; }

 private:
  std::string m_spec;
  fake_service_base m_counted{"titleformat_script"};
};

// Accepts only the texts in `good`; hands out one script object per text, kept for the test.
class fake_compiler : public titleformat_compiler {
 public:
  std::vector<std::string> good;
  std::vector<std::string> asked;
  std::vector<fake_script*> made;
  ~fake_compiler() {
    for (fake_script* s : made) delete s;
  }
  int service_release() override { return m_counted.release(); }
  int service_add_ref() override { return m_counted.add_ref(); }
  bool compile(service_ptr_t<titleformat_script>& p_out, const char* p_spec) override {
    asked.push_back(p_spec);
    for (const std::string& g : good) {
      if (g != p_spec) continue;
      made.push_back(new fake_script(g));
      p_out.attach(made.back());  // its first reference is the caller's
      return true;
    }
    return false;
  }
  int count() const { return m_counted.count(); }

 private:
  fake_service_base m_counted{"titleformat_compiler"};
};

TEST(titleformat, CompileSafeFallsBackToTheFileName) {
  fake_compiler compiler;
  compiler.good = {"%title%", "%filename%"};
  service_ptr_t<titleformat_script> script;
  titleformat_compile_safe(compiler, script, "%title%");
  ASSERT_TRUE(script.is_valid());
  EXPECT_EQ(static_cast<fake_script*>(script.get_ptr())->spec(), "%title%");
  titleformat_compile_safe(compiler, script, "$broken(");
  EXPECT_EQ(static_cast<fake_script*>(script.get_ptr())->spec(), "%filename%");
  EXPECT_EQ(compiler.asked, (std::vector<std::string>{"%title%", "$broken(", "%filename%"}));
  script.release();
  for (fake_script* s : compiler.made) EXPECT_EQ(s->count(), 0) << s->spec();

  compiler.good.clear();
  EXPECT_THROW(titleformat_compile_safe(compiler, script, "x"), zut::exception_bug_check);
  EXPECT_TRUE(script.is_empty());
  EXPECT_EQ(compiler.count(), 1);
}

TEST(titleformat, CompileSafeLooksUpTheCompilerAndGivesItBack) {
  fake_host host;
  fake_compiler compiler;
  compiler.good = {"%filename%"};
  host.offer(titleformat_compiler::class_guid, &compiler);
  start_services(host);
  {
    service_ptr_t<titleformat_script> script;
    titleformat_compile_safe(script, "bad");
    EXPECT_TRUE(script.is_valid());
  }
  EXPECT_EQ(compiler.count(), 1);
  for (fake_script* s : compiler.made) EXPECT_EQ(s->count(), 0);
  // A second compiler: the lookup's exception reaches the caller, nothing is left held.
  fake_compiler second;
  host.offer(titleformat_compiler::class_guid, &second);
  service_ptr_t<titleformat_script> none;
  EXPECT_THROW(titleformat_compile_safe(none, "x"), exception_service_duplicated);
  EXPECT_EQ(compiler.count(), 1);
  EXPECT_EQ(second.count(), 1);
  reset_module_state();
}

TEST(titleformat, HandleFormatsFromText) {
  fake_host host;
  fake_compiler compiler;
  compiler.good = {"%title%"};
  host.offer(titleformat_compiler::class_guid, &compiler);
  start_services(host);
  fake_handle track("C:\\a.mp3");
  zut::string8 out("old");
  EXPECT_TRUE(track.format_title_from_text(nullptr, out, "%title%", nullptr));
  EXPECT_STREQ(out.get_ptr(), "C:\\a.mp3");  // the handle's own answer
  out = "old";
  EXPECT_FALSE(track.format_title_from_text(nullptr, out, "$broken(", nullptr));
  EXPECT_STREQ(out.get_ptr(), "");
  EXPECT_EQ(compiler.count(), 1);
  for (fake_script* s : compiler.made) EXPECT_EQ(s->count(), 0);
  EXPECT_EQ(track.refs, 1);
  reset_module_state();
}

TEST(titleformat, CompileAndRunAndRunWithFileInfo) {
  fake_compiler compiler;
  compiler.good = {"artist"};
  zut::string8 out;
  titleformat_compile_and_run(compiler, nullptr, out, "nothing");
  EXPECT_STREQ(out.get_ptr(), "[COMPILATION ERROR]");

  fake_file_info info;
  info.tag("artist", {"A"});
  const fake_location where("C:\\x.mp3", 0);
  titleformat_hook_impl_file_info hook(where, info);
  titleformat_compile_and_run(compiler, &hook, out, "artist");
  EXPECT_STREQ(out.get_ptr(), "A");

  fake_script script("artist");
  titleformat_run_simple_with_file_info(script, where, info, out);
  EXPECT_STREQ(out.get_ptr(), "A");
  fake_script unknown("album");
  titleformat_run_with_file_info(unknown, where, info, nullptr, out, nullptr);
  EXPECT_STREQ(out.get_ptr(), "?");
  for (fake_script* s : compiler.made) EXPECT_EQ(s->count(), 0);
}

TEST(titleformat, TextOutputNumbers) {
  zut::string8 text;
  titleformat_text_out_impl_string out(text);
  out.write_int(titleformat_input_type_other, -42);
  out.write(titleformat_input_type_other, "|abcdef", 3);
  out.write_int_padded(titleformat_input_type_other, 7, 100);
  out.write(titleformat_input_type_other, "|");
  out.write_int_padded(titleformat_input_type_other, 12345, 99);  // keeps the last digits
  out.write(titleformat_input_type_other, "|");
  out.write_int_padded(titleformat_input_type_other, 5, 0);
  EXPECT_STREQ(text.get_ptr(), "-42|ab007|45|5");
  EXPECT_STREQ(zut::format_time_ex(65.5, 3), "1:05.500");
  EXPECT_STREQ(zut::format_time_ex(65.5, 0), "1:05");
  EXPECT_STREQ(zut::format_time_ex(-3, 2), "0:00.00");
  EXPECT_EQ(zut::rint64(2.5), 3);
  EXPECT_EQ(zut::rint64(-2.5), -2);
  EXPECT_EQ(zut::rint64(1e300), INT64_MAX);
}

TEST(titleformat, FiltersAndColourMarks) {
  zut::string8 out("keep:");
  filter_reserved_chars(out, "a/b\\cΩd", ~0u, "/\\Ω");
  EXPECT_STREQ(out.get_ptr(), "keep:a_b_c_d");
  filter_reserved_chars_set(out, "a/b", 2, "/");
  EXPECT_STREQ(out.get_ptr(), "a_");
  filter_reserved_chars_set(out, "a/b", ~0u, "");
  EXPECT_STREQ(out.get_ptr(), "a/b");
  filter_reserved_chars_set(out, "ab\xFF/c", ~0u, "/");  // a broken byte ends the text
  EXPECT_STREQ(out.get_ptr(), "ab");

  remove_color_marks("a\x03" "FF0000\x03" "b\x03\x03" "c", out);
  EXPECT_STREQ(out.get_ptr(), "abc");
  remove_color_marks("a\x03open", out);
  EXPECT_STREQ(out.get_ptr(), "a");

  reserved_char_text_filter filter("/");
  zut::string8 filtered;
  filter.write(titleformat_input_type_meta, filtered, "a/b", ~0u);
  filter.write(titleformat_input_type_other, filtered, "c/d", ~0u);
  EXPECT_STREQ(filtered.get_ptr(), "a_bc/d");
  titleformat_text_out_impl_string inner(filtered);
  reserved_char_filter_text_out outer(inner, "/");
  outer.write(titleformat_input_type_other, "/x", ~0u);
  EXPECT_STREQ(filtered.get_ptr(), "a_bc/d_x");
}

}  // namespace
