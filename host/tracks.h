#pragma once
// Tracks of the reference host: handles (counted host objects) for files and playlist entries, with
// the track information they carry. What the host knows of a track (title, artist, length) comes
// from the playlist that named it or from its file name; only a track without a known length is
// looked at on disk (a WAV file's header gives one; a missing file or a folder cannot be played).
//
// A track's information is guarded by the process-wide track-information lock (metadb_lock /
// metadb_unlock, recursive); get_info_locked answers only to the thread that holds it.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include <trovaplay/sdk/file_info.h>
#include <trovaplay/sdk/metadb_handle.h>
#include <trovaplay/sdk/playable_location.h>

#include "host_object.h"

namespace host {

class title_script;

// A track's record: length, tag fields and technical fields.
class track_info final : public file_info {
public:
    track_info() = default;

    double get_length() const override { return m_length; }
    void set_length(double p_length) override;
    void set_replaygain(const replaygain_info& p_info) override { m_replaygain = p_info; }
    replaygain_info* get_replaygain(replaygain_info* p_out) const override { return &(*p_out = m_replaygain); }
    using file_info::get_replaygain;
    t_size meta_count() const override { return t_size(m_meta.size()); }
    const char* meta_name(t_size p_index) const override;
    t_size meta_value_count(t_size p_index) const override;
    const char* meta_value(t_size p_index, t_size p_value) const override;
    t_size meta_find_ex(const char* p_name, t_size p_name_length) const override;
    t_size meta_set_ex(const char* p_name, t_size p_name_length, const char* p_value,
                       t_size p_value_length) override;
    void meta_insert_value_ex(t_size p_index, t_size p_value, const char* p_text, t_size p_text_length) override;
    void meta_remove_mask(const bit_array& p_mask) override;
    void meta_remove_values(t_size p_index, const bit_array& p_mask) override;
    t_size info_count() const override { return t_size(m_info.size()); }
    const char* info_name(t_size p_index) const override;
    const char* info_value(t_size p_index) const override;
    t_size info_set_ex(const char* p_name, t_size p_name_length, const char* p_value,
                       t_size p_value_length) override;
    void info_remove_mask(const bit_array& p_mask) override;
    t_size info_find_ex(const char* p_name, t_size p_name_length) const override;
    void copy_meta(const file_info& p_source) override;
    void copy_info(const file_info& p_source) override;
    t_size meta_set_unchecked_ex(const char* p_name, t_size p_name_length, const char* p_value,
                                 t_size p_value_length) override {
        return meta_set_ex(p_name, p_name_length, p_value, p_value_length);
    }
    t_size info_set_unchecked_ex(const char* p_name, t_size p_name_length, const char* p_value,
                                 t_size p_value_length) override {
        return info_set_ex(p_name, p_name_length, p_value, p_value_length);
    }

    // Host-side shorthands: the first value of a tag field, "" when there is none.
    std::string meta(const char* name) const;

private:
    struct meta_field {
        std::string name;
        std::vector<std::string> values;
    };
    double m_length = 0.0;  // 0: unknown
    replaygain_info m_replaygain = replaygain_info_absent();
    std::vector<meta_field> m_meta;
    std::vector<std::pair<std::string, std::string>> m_info;
};

class track_location final : public playable_location {
public:
    track_location(std::string path, std::uint32_t subsong) : m_path(std::move(path)), m_subsong(subsong) {}
    const char* get_path() const override { return m_path.c_str(); }
    std::uint32_t get_subsong() const override { return m_subsong; }

private:
    std::string m_path;
    std::uint32_t m_subsong;
};

// What a playlist, a file name or a WAV file's header tells about a track.
struct track_facts {
    std::string path;    // UTF-8, as given
    std::string title;   // empty: taken from the file name
    std::string artist;  // may stay empty
    double length = 0;   // seconds; 0 (or less): unknown (a WAV header's is read then)
};

class track final : public host_object<metadb_handle> {
public:
    // A new track with one reference (the caller's).
    static track* make(const track_facts& facts);

    const playable_location& get_location() const override { return m_location; }
    bool format_title(titleformat_hook* p_hook, zut::string_base& p_out,
                      const service_ptr_t<titleformat_script>& p_script, titleformat_text_filter* p_filter) override;
    void metadb_lock() override;
    void metadb_unlock() override;
    file_stats* get_filestats(file_stats* p_out) const override;
    using metadb_handle::get_filestats;
    bool get_info_locked(const file_info*& p_out) const override;
    bool has_info() const override { return true; }

    // Formats with the caller's hook first, then `extra` (may be null), then the track's own fields;
    // takes the lock itself.
    void format_with(titleformat_hook* p_hook, titleformat_hook* extra, zut::string_base& p_out,
                     const title_script& p_script, titleformat_text_filter* p_filter);

    // Host-side reads (each takes the lock itself).
    double length() const;
    std::string title() const;
    std::string artist() const;
    // Why the track cannot be played; empty when it can. A known length, or an address that is no
    // local path, is played as it is known; otherwise the file must open.
    std::string unplayable_reason() const;

private:
    explicit track(const track_facts& facts);
    void destroy() override { delete this; }

    track_location m_location;
    track_info m_info;
};

// Title and artist read from a file name: the name without folder and extension, split at the first
// " - " into artist and title when it holds one.
void facts_from_file_name(const std::string& path, std::string& artist, std::string& title);

// The length, sample rate and channels a WAV file's header tells; false when the file is no
// readable WAV file (the outputs are left alone then).
bool read_wav_header(const std::string& path, double& length, unsigned& sample_rate, unsigned& channels,
                     unsigned& bits);

// The facts of a playlist title ("Artist - Title" or just "Title").
void split_artist_title(const std::string& text, std::string& artist, std::string& title);

}  // namespace host
