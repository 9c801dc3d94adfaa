// The file-information hook of title formatting over a fake record: its fields and functions with
// their handled and found answers, and the splitter that chains two hooks.

#include "fake_file_info.h"
#include "fake_filesystem.h"
#include "fake_host.h"

#include <trovaplay/sdk/metadb_handle.h>
#include <trovaplay/sdk/titleformat.h>
#include <zut/primitives.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Collects what a hook writes; every piece of meta type is marked "{...}".
class out_text : public titleformat_text_out {
 public:
  std::string text;
  void write(const GUID& p_type, const char* p_text, t_size p_length) override {
    const std::string piece(p_text, zut::strlen_max(p_text, p_length));
    text += zut::guid_equal(p_type, titleformat_input_type_meta) ? "{" + piece + "}" : piece;
  }
};

struct answer {
  bool handled;
  bool found;
  std::string text;
};

answer field(const fake_location& where, const fake_file_info& info, const char* name) {
  titleformat_hook_impl_file_info hook(where, info);
  out_text out;
  answer a{};
  a.handled = hook.process_field(&out, name, zut::infinite_size, a.found);
  a.text = out.text;
  return a;
}

class params : public titleformat_function_params {
 public:
  explicit params(std::vector<std::string> args) : m_args(std::move(args)) {}
  t_size get_param_count() override { return t_size(m_args.size()); }
  void get_param(t_size i, const char*& p_text, t_size& p_length) override {
    p_text = m_args[i].data();
    p_length = t_size(m_args[i].size());
  }

 private:
  std::vector<std::string> m_args;
};

answer function(const fake_location& where, const fake_file_info& info, const char* name,
                std::vector<std::string> args) {
  titleformat_hook_impl_file_info hook(where, info);
  out_text out;
  params p(std::move(args));
  answer a{};
  a.handled = hook.process_function(&out, name, zut::infinite_size, &p, a.found);
  a.text = out.text;
  return a;
}

void expect(const answer& got, bool handled, bool found, const std::string& text, const char* what) {
  EXPECT_EQ(got.handled, handled) << what;
  EXPECT_EQ(got.found, found) << what;
  EXPECT_EQ(got.text, text) << what;
}

TEST(titleformat_hook, FieldsOfPathAndLength) {
  const fake_location where("C:\\music\\Album\\Song.flac", 3);
  fake_file_info info;
  info.length = 65.5;
  info.tech("samplerate", "44100");
  expect(field(where, info, "FileName"), true, true, "Song", "filename");
  expect(field(where, info, "_filename_ext"), true, true, "Song.flac", "filename_ext");
  expect(field(where, info, "filename_sort"), true, true, "Song|0000000003", "filename_sort");
  expect(field(where, info, "path_sort"), true, true, "C:\\music\\Album\\Song.flac|0000000003", "path_sort");
  expect(field(where, info, "directoryname"), true, true, "{Album}", "directoryname");
  expect(field(where, info, "subsong"), true, true, "3", "subsong");
  expect(field(where, info, "codec"), true, true, "{FLAC}", "codec from the extension");
  expect(field(where, info, "length"), true, true, "1:06", "length");
  expect(field(where, info, "length_ex"), true, true, "1:05.500", "length_ex");
  expect(field(where, info, "length_seconds"), true, true, "65", "length_seconds");
  expect(field(where, info, "length_seconds_fp"), true, true, "65.5000000", "length_seconds_fp");
  expect(field(where, info, "length_samples"), true, true, "2888550", "length_samples");
  expect(field(where, info, "title"), true, true, "{Song}", "title from the file name");
  expect(field(where, info, "_PATH_RAW"), true, true, "C:\\music\\Album\\Song.flac", "extra field");
  expect(field(where, info, "_unknown"), false, false, "", "unknown extra field");

  fake_file_info none;
  none.length = 0;
  for (const char* name : {"length", "length_ex", "length_seconds", "length_samples"})
    expect(field(where, none, name), false, false, "", name);
  none.length = std::nan("");
  expect(field(where, none, "length"), false, false, "", "length that is not a number");
  // A path without a file name shows the whole path as the title.
  expect(field(fake_location("C:\\music\\", 0), none, "title"), true, true, "{C:\\music\\}", "no file name");
  expect(field(fake_location("", 0), none, "path"), true, true, "n/a", "empty path");
  expect(field(fake_location("song", 0), none, "directoryname"), true, false, "", "no folder");
}

TEST(titleformat_hook, FieldsOfTags) {
  const fake_location where("C:\\m\\x.mp3", 0);
  fake_file_info info;
  info.tag("artist", {"X", "Y"}).tag("tracknumber", {"7"}).tag("discnumber", {""}).tag("album artist", {"X", "Y"});
  info.tech("channels", "0").tech("codec", "MP3").tech("bitrate", "").tech("secret", "v");
  info.tech("bitrate_dynamic", "").tech("replaygain_dummy", "1");
  expect(field(where, info, "ARTIST"), true, true, "{X}{, }{Y}", "artist over two values");
  expect(field(where, info, "tracknumber"), true, true, "{0}{7}", "tracknumber filled");
  expect(field(where, info, "disc"), true, true, "{0}", "empty disc value");
  expect(field(where, info, "totaltracks"), true, false, "", "no totaltracks");
  expect(field(where, info, "channels"), true, false, "{N/A}", "0 channels: written, not found");
  expect(field(where, info, "codec"), true, true, "{MP3}", "codec field");
  expect(field(where, info, "bitrate"), false, false, "", "empty bitrates");
  expect(field(where, info, "track artist"), false, false, "", "album artist equals artist");
  expect(field(where, info, "album"), false, false, "", "no album nor venue");
  expect(field(where, info, "__replaygain_track_gain"), false, false, "", "no replay gain");
  expect(field(where, info, "__secret"), true, true, "{v}", "a technical field by __name");

  fake_file_info more;
  more.tag("track", {"123"}).tag("composer", {"C"}).tag("artist", {"A"}).tag("album artist", {"B"}).tag("venue", {"V"});
  more.tech("channels", "6").tech("bitrate", "320");
  more.replaygain.m_track_gain = 1.5f;
  expect(field(where, more, "tracknumber"), true, true, "{123}", "answered from the tag track");
  expect(field(where, more, "channels"), true, true, "{6}{ch}", "6 channels");
  expect(field(where, more, "bitrate"), true, true, "{320}", "bitrate");
  expect(field(where, more, "track artist"), true, true, "{A}", "artist differing from album artist");
  expect(field(where, more, "album"), true, true, "{V}", "album from venue");
  expect(field(where, more, "__replaygain_track_gain"), true, true, "{+1.50 dB}", "track gain");
}

TEST(titleformat_hook, Functions) {
  const fake_location where("C:\\m\\x.ogg", 0);
  fake_file_info info;
  info.tag("genre", {"X", "Y", "Z"}).tag("tracknumber", {"7"}).tech("samplerate", "48000");
  expect(function(where, info, "meta", {"genre"}), true, true, "{X}{, }{Y}{, }{Z}", "meta");
  expect(function(where, info, "meta", {"genre", "1"}), true, true, "{Y}", "meta index");
  expect(function(where, info, "meta", {"genre", "3"}), true, false, "", "meta index past the end");
  expect(function(where, info, "meta_sep", {"genre", "+", "&"}), true, true, "{X}{+}{Y}{&}{Z}", "meta_sep");
  expect(function(where, info, "meta_test", {"genre", "tracknumber"}), true, true, "{1}", "meta_test");
  expect(function(where, info, "meta_test", {"genre", "album"}), true, false, "", "meta_test missing");
  expect(function(where, info, "meta_num", {"album"}), true, false, "{0}", "meta_num absent");
  expect(function(where, info, "info", {"samplerate"}), true, true, "{48000}", "info");
  expect(function(where, info, "codec", {}), true, true, "{OGG}", "codec");
  expect(function(where, info, "tracknumber", {"3"}), true, true, "{0}{0}{7}", "tracknumber width");
  expect(function(where, info, "extra", {"path_raw"}), true, true, "C:\\m\\x.ogg", "extra");
  expect(function(where, info, "meta", {}), false, false, "", "wrong argument count");
  expect(function(where, info, "nosuch", {"x"}), false, false, "", "unknown function");
  // A width beyond reason is cut instead of filling gigabytes.
  const answer wide = function(where, info, "tracknumber", {"4000000000"});
  EXPECT_TRUE(wide.found);
  EXPECT_EQ(wide.text.size(), 64u * 3);  // 63 "{0}" and "{7}"
}

// Knows only the field "mine".
class own_hook : public titleformat_hook {
 public:
  bool process_field(titleformat_text_out* p_out, const char* p_name, t_size, bool& p_found) override {
    if (strcmp(p_name, "mine") != 0) {
      p_found = true;  // a stray flag must not leak out of an unhandled answer
      return false;
    }
    p_out->write(titleformat_input_type_other, "M");
    p_found = true;
    return true;
  }
  bool process_function(titleformat_text_out*, const char*, t_size, titleformat_function_params*, bool& p_found) override {
    p_found = true;
    return false;
  }
};

TEST(titleformat_hook, SplitterAsksFirstThenSecond) {
  const fake_location where("C:\\m\\x.mp3", 0);
  fake_file_info info;
  info.tag("artist", {"A"});
  titleformat_hook_impl_file_info file_hook(where, info);
  own_hook mine;
  titleformat_hook_impl_splitter both(&file_hook, &mine);
  out_text out;
  bool found = true;
  EXPECT_TRUE(both.process_field(&out, "artist", ~0u, found));
  EXPECT_TRUE(found);
  EXPECT_TRUE(both.process_field(&out, "mine", ~0u, found));
  EXPECT_FALSE(both.process_field(&out, "nothing", ~0u, found));
  EXPECT_FALSE(found);
  params none({});
  EXPECT_FALSE(both.process_function(&out, "nothing", ~0u, &none, found));
  EXPECT_FALSE(found);
  titleformat_hook_impl_splitter empty(nullptr, nullptr);
  EXPECT_FALSE(empty.process_field(&out, "artist", ~0u, found));
  EXPECT_EQ(out.text, "{A}M");
}

// The version comes from the host's one core_version_info service.
class fake_version : public core_version_info {
 public:
  int service_release() override { return m_counted.release(); }
  int service_add_ref() override { return m_counted.add_ref(); }
  const char* get_version_string() override { return "host 9.9"; }
  int count() const { return m_counted.count(); }

 private:
  fake_service_base m_counted{"core_version_info"};
};

TEST(titleformat_hook, PathFieldsShowTheDisplayPathOfTheOwningFileSystem) {
  fake_host host;
  mem_fs fs{"mem://"};  // shows its paths without the prefix
  host.offer(filesystem::class_guid, &fs);
  start_services(host);
  const fake_location where("mem://music\\Album\\Song.flac", 0);
  fake_file_info info;
  expect(field(where, info, "path"), true, true, "music\\Album\\Song.flac", "path");
  expect(field(where, info, "_path_raw"), true, true, "mem://music\\Album\\Song.flac", "path_raw");
  zut::string8 text;
  playable_location_text(where, text);
  EXPECT_STREQ(text, "\"music\\Album\\Song.flac\"");
  // An owner that gives no display form: the path as stored.
  fs.display = false;
  expect(field(where, info, "directoryname"), true, true, "{Album}", "directoryname");
  expect(field(where, info, "path"), true, true, "mem://music\\Album\\Song.flac", "no display form");
  EXPECT_EQ(fs.refs, 1);
  reset_module_state();
  // A module without services (the host links this layer for its formatter): the path as stored,
  // without a single debug report.
  const t_size reports = zut::get_assert_count();
  expect(field(where, info, "filename_ext"), true, true, "Song.flac", "no services");
  expect(field(where, info, "path"), true, true, "mem://music\\Album\\Song.flac", "no services");
  EXPECT_EQ(zut::get_assert_count(), reports);
}

TEST(titleformat_hook, VersionFieldAsksTheHost) {
  fake_host host;
  fake_version version;
  host.offer(core_version_info::class_guid, &version);
  start_services(host);
  const fake_location where("x.mp3", 0);
  fake_file_info info;
  expect(field(where, info, "_trovaplay_version"), true, true, "host 9.9", "version");
  EXPECT_EQ(version.count(), 1);
  // A second one makes the lookup fail: the exception reaches the caller.
  fake_version second;
  host.offer(core_version_info::class_guid, &second);
  EXPECT_THROW(get_core_version_text(), exception_service_duplicated);
  EXPECT_EQ(version.count(), 1);
  // The hook, which the host's formatter calls, reports it and leaves the field unhandled.
  answer failed{};
  EXPECT_NO_THROW(failed = field(where, info, "_trovaplay_version"));
  expect(failed, false, false, "", "version lookup failed");
  EXPECT_EQ(version.count(), 1);
  reset_module_state();
}

}  // namespace
