#pragma once
// A plain file_info for the SDK layer's tests: fields in vectors, the shared defaults for finding
// and copying, and a log of the slots the layer called.

#include <trovaplay/sdk/file_info.h>
#include <trovaplay/sdk/metadb_handle.h>
#include <trovaplay/sdk/playable_location.h>

#include <string>
#include <utility>
#include <vector>

class fake_file_info : public file_info {
 public:
  struct field {
    std::string name;
    std::vector<std::string> values;
  };
  std::vector<field> meta;
  std::vector<std::pair<std::string, std::string>> info;
  double length = 0;
  replaygain_info replaygain = replaygain_info_absent();
  std::vector<int> slots;  // slots called, in order

  fake_file_info() = default;
  fake_file_info(const fake_file_info&) = default;
  fake_file_info& operator=(const fake_file_info&) = default;
  ~fake_file_info() = default;

  // Test set-up: a tag field with these values (appended as a new field).
  fake_file_info& tag(const std::string& name, std::vector<std::string> values) {
    meta.push_back({name, std::move(values)});
    return *this;
  }
  fake_file_info& tech(const std::string& name, const std::string& value) {
    info.emplace_back(name, value);
    return *this;
  }

  double get_length() const override { return length; }
  void set_length(double p_length) override { length = p_length; }
  void set_replaygain(const replaygain_info& p_info) override { slots.push_back(2), replaygain = p_info; }
  replaygain_info* get_replaygain(replaygain_info* p_out) const override { return &(*p_out = replaygain); }
  using file_info::get_replaygain;
  t_size meta_count() const override { return t_size(meta.size()); }
  const char* meta_name(t_size i) const override { return i < meta.size() ? meta[i].name.c_str() : nullptr; }
  t_size meta_value_count(t_size i) const override { return i < meta.size() ? t_size(meta[i].values.size()) : 0; }
  const char* meta_value(t_size i, t_size v) const override {
    return i < meta.size() && v < meta[i].values.size() ? meta[i].values[v].c_str() : nullptr;
  }
  t_size meta_find_ex(const char* p_name, t_size p_length) const override { return meta_find_ex_default(p_name, p_length); }
  t_size meta_set_ex(const char* n, t_size nl, const char* v, t_size vl) override {
    slots.push_back(9);
    return set_meta(n, nl, v, vl);
  }
  void meta_insert_value_ex(t_size i, t_size v, const char* text, t_size length) override {
    slots.push_back(10);
    if (i >= meta.size()) return;
    std::vector<std::string>& values = meta[i].values;
    values.insert(values.begin() + (v < values.size() ? v : values.size()), text_of(text, length));
  }
  void meta_remove_mask(const bit_array& mask) override {
    std::vector<field> kept;
    for (size_t i = 0; i < meta.size(); ++i)
      if (!mask.get(t_size(i))) kept.push_back(meta[i]);
    meta.swap(kept);
  }
  void meta_remove_values(t_size i, const bit_array& mask) override {
    if (i >= meta.size()) return;
    std::vector<std::string> kept;
    for (size_t v = 0; v < meta[i].values.size(); ++v)
      if (!mask.get(t_size(v))) kept.push_back(meta[i].values[v]);
    meta[i].values.swap(kept);
  }
  t_size info_count() const override { return t_size(info.size()); }
  const char* info_name(t_size i) const override { return i < info.size() ? info[i].first.c_str() : nullptr; }
  const char* info_value(t_size i) const override { return i < info.size() ? info[i].second.c_str() : nullptr; }
  t_size info_set_ex(const char* n, t_size nl, const char* v, t_size vl) override {
    slots.push_back(18);
    return set_info(n, nl, v, vl);
  }
  void info_remove_mask(const bit_array& mask) override {
    std::vector<std::pair<std::string, std::string>> kept;
    for (size_t i = 0; i < info.size(); ++i)
      if (!mask.get(t_size(i))) kept.push_back(info[i]);
    info.swap(kept);
  }
  t_size info_find_ex(const char* p_name, t_size p_length) const override { return info_find_ex_default(p_name, p_length); }
  void copy_meta(const file_info& p_source) override { copy_meta_default(p_source); }
  void copy_info(const file_info& p_source) override { copy_info_default(p_source); }
  t_size meta_set_unchecked_ex(const char* n, t_size nl, const char* v, t_size vl) override {
    slots.push_back(24);
    return set_meta(n, nl, v, vl);
  }
  t_size info_set_unchecked_ex(const char* n, t_size nl, const char* v, t_size vl) override {
    slots.push_back(25);
    return set_info(n, nl, v, vl);
  }

 private:
  static std::string text_of(const char* p, t_size length) {
    if (p == nullptr) return std::string();
    std::string s(p);
    return length < s.size() ? s.substr(0, length) : s;
  }
  t_size set_meta(const char* n, t_size nl, const char* v, t_size vl) {
    t_size i = meta_find_ex(n, nl);
    if (i == ~0u) {
      meta.push_back({text_of(n, nl), {}});
      i = t_size(meta.size() - 1);
    }
    meta[i].values.assign(1, text_of(v, vl));
    return i;
  }
  t_size set_info(const char* n, t_size nl, const char* v, t_size vl) {
    t_size i = info_find_ex(n, nl);
    if (i == ~0u) {
      info.emplace_back(text_of(n, nl), std::string());
      i = t_size(info.size() - 1);
    }
    info[i].second = text_of(v, vl);
    return i;
  }
};

class fake_location : public playable_location {
 public:
  fake_location(std::string path, std::uint32_t subsong) : m_path(std::move(path)), m_subsong(subsong) {}
  const char* get_path() const override { return m_path.c_str(); }
  std::uint32_t get_subsong() const override { return m_subsong; }

 private:
  std::string m_path;
  std::uint32_t m_subsong;
};

// A handle whose record can be withheld; it checks that the record is read under its lock.
class fake_handle final : public metadb_handle {
 public:
  explicit fake_handle(std::string path = "x.mp3", double length = 0) : location(std::move(path), 0) {
    info.length = length;
  }
  fake_file_info info;
  fake_location location;
  bool available = true;
  int locks = 0;
  int refs = 1;
  int service_release() override { return --refs; }
  int service_add_ref() override { return ++refs; }
  const playable_location& get_location() const override { return location; }
  // The "formatted" text is the track's path.
  bool format_title(titleformat_hook*, zut::string_base& p_out, const service_ptr_t<titleformat_script>&,
                    titleformat_text_filter*) override {
    p_out.set_string(location.get_path());
    return true;
  }
  void metadb_lock() override { ++locks; }
  void metadb_unlock() override { --locks; }
  file_stats stats{~0ull, 0};
  file_stats* get_filestats(file_stats* p_out) const override { return &(*p_out = stats); }
  using metadb_handle::get_filestats;
  bool get_info_locked(const file_info*& p_out) const override {
    if (locks != 1) return false;  // read only under the lock
    if (!available) return false;
    p_out = &info;
    return true;
  }
  bool has_info() const override { return available; }
};
