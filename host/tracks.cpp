#include "tracks.h"

#include <atomic>
#include <cmath>
#include <cstring>

#include <trovaplay/shared/shared.h>

#include <trovaplay/sdk/titleformat.h>
#include <zut/string_utils.h>

#include "guard.h"
#include "text.h"
#include "title_format.h"

namespace host {

namespace {

// The track-information lock: one for all tracks, recursive, alive for the whole process.
struct info_lock {
    CRITICAL_SECTION cs;
    std::atomic<DWORD> owner{0};  // thread that holds it, 0 when free; written only by the holder
    unsigned depth = 0;           // read and written only by the holder
    info_lock() { InitializeCriticalSection(&cs); }
};

info_lock& the_lock() {
    static info_lock lock;  // built on first use, never destroyed before the tracks that use it
    return lock;
}

struct locked {
    explicit locked(const track& t) : m_track(const_cast<track&>(t)) { m_track.metadb_lock(); }
    ~locked() { m_track.metadb_unlock(); }
    track& m_track;
};

std::string text_of(const char* p, t_size length) {
    if (p == nullptr) return std::string();
    if (length == zut::infinite_size) return std::string(p);
    return std::string(p, strnlen(p, length));
}

bool same_name(const std::string& a, const char* b, t_size b_length) {
    if (b == nullptr) return false;
    return stricmp_utf8_ex(a.c_str(), std::uint32_t(a.size()), b, b_length) == 0;
}

}  // namespace

// ---- track_info

void track_info::set_length(double p_length) {
    m_length = (std::isfinite(p_length) && p_length > 0) ? p_length : 0.0;
}

const char* track_info::meta_name(t_size p_index) const {
    return p_index < m_meta.size() ? m_meta[p_index].name.c_str() : nullptr;
}

t_size track_info::meta_value_count(t_size p_index) const {
    return p_index < m_meta.size() ? t_size(m_meta[p_index].values.size()) : 0;
}

const char* track_info::meta_value(t_size p_index, t_size p_value) const {
    if (p_index >= m_meta.size() || p_value >= m_meta[p_index].values.size()) return nullptr;
    return m_meta[p_index].values[p_value].c_str();
}

t_size track_info::meta_find_ex(const char* p_name, t_size p_name_length) const {
    for (size_t i = 0; i < m_meta.size(); ++i)
        if (same_name(m_meta[i].name, p_name, p_name_length)) return t_size(i);
    return zut::infinite_size;
}

t_size track_info::meta_set_ex(const char* p_name, t_size p_name_length, const char* p_value,
                               t_size p_value_length) {
    const std::string name = text_of(p_name, p_name_length);
    if (name.empty() || p_value == nullptr) return zut::infinite_size;
    t_size index = meta_find_ex(name.c_str(), zut::infinite_size);
    if (index == zut::infinite_size) {
        m_meta.push_back(meta_field{name, {}});
        index = t_size(m_meta.size() - 1);
    }
    m_meta[index].values.assign(1, text_of(p_value, p_value_length));
    return index;
}

void track_info::meta_insert_value_ex(t_size p_index, t_size p_value, const char* p_text, t_size p_text_length) {
    if (p_index >= m_meta.size() || p_text == nullptr) return;
    std::vector<std::string>& values = m_meta[p_index].values;
    const size_t at = p_value < values.size() ? p_value : values.size();
    values.insert(values.begin() + at, text_of(p_text, p_text_length));
}

void track_info::meta_remove_mask(const bit_array& p_mask) {
    std::vector<meta_field> kept;
    for (size_t i = 0; i < m_meta.size(); ++i)
        if (!p_mask.get(t_size(i))) kept.push_back(m_meta[i]);
    m_meta.swap(kept);
}

void track_info::meta_remove_values(t_size p_index, const bit_array& p_mask) {
    if (p_index >= m_meta.size()) return;
    std::vector<std::string> kept;
    const std::vector<std::string>& values = m_meta[p_index].values;
    for (size_t i = 0; i < values.size(); ++i)
        if (!p_mask.get(t_size(i))) kept.push_back(values[i]);
    if (kept.empty()) m_meta.erase(m_meta.begin() + p_index);  // a field keeps at least one value
    else m_meta[p_index].values.swap(kept);
}

const char* track_info::info_name(t_size p_index) const {
    return p_index < m_info.size() ? m_info[p_index].first.c_str() : nullptr;
}

const char* track_info::info_value(t_size p_index) const {
    return p_index < m_info.size() ? m_info[p_index].second.c_str() : nullptr;
}

t_size track_info::info_set_ex(const char* p_name, t_size p_name_length, const char* p_value,
                               t_size p_value_length) {
    const std::string name = text_of(p_name, p_name_length);
    if (name.empty() || p_value == nullptr) return zut::infinite_size;
    t_size index = info_find_ex(name.c_str(), zut::infinite_size);
    if (index == zut::infinite_size) {
        m_info.emplace_back(name, std::string());
        index = t_size(m_info.size() - 1);
    }
    m_info[index].second = text_of(p_value, p_value_length);
    return index;
}

void track_info::info_remove_mask(const bit_array& p_mask) {
    std::vector<std::pair<std::string, std::string>> kept;
    for (size_t i = 0; i < m_info.size(); ++i)
        if (!p_mask.get(t_size(i))) kept.push_back(m_info[i]);
    m_info.swap(kept);
}

t_size track_info::info_find_ex(const char* p_name, t_size p_name_length) const {
    for (size_t i = 0; i < m_info.size(); ++i)
        if (same_name(m_info[i].first, p_name, p_name_length)) return t_size(i);
    return zut::infinite_size;
}

void track_info::copy_meta(const file_info& p_source) {
    if (&p_source == this) return;
    m_meta.clear();
    for (t_size i = 0; i < p_source.meta_count(); ++i) {
        const char* name = p_source.meta_name(i);
        if (name == nullptr) continue;
        meta_field field{name, {}};
        for (t_size v = 0; v < p_source.meta_value_count(i); ++v) {
            const char* value = p_source.meta_value(i, v);
            if (value) field.values.emplace_back(value);
        }
        if (!field.values.empty()) m_meta.push_back(field);
    }
}

void track_info::copy_info(const file_info& p_source) {
    if (&p_source == this) return;
    m_info.clear();
    for (t_size i = 0; i < p_source.info_count(); ++i) {
        const char* name = p_source.info_name(i);
        const char* value = p_source.info_value(i);
        if (name && value) m_info.emplace_back(name, value);
    }
}

std::string track_info::meta(const char* name) const {
    const t_size index = meta_find_ex(name, zut::infinite_size);
    const char* value = index == zut::infinite_size ? nullptr : meta_value(index, 0);
    return value ? std::string(value) : std::string();
}

// ---- track

track::track(const track_facts& facts) : m_location(facts.path, 0) {
    std::string artist = facts.artist;
    std::string title = facts.title;
    if (title.empty()) {
        std::string file_artist;
        facts_from_file_name(facts.path, file_artist, title);
        if (artist.empty()) artist = file_artist;
    }
    if (!title.empty()) m_info.meta_set_ex("title", zut::infinite_size, title.c_str(), zut::infinite_size);
    if (!artist.empty()) m_info.meta_set_ex("artist", zut::infinite_size, artist.c_str(), zut::infinite_size);
    m_info.set_length(facts.length);
    double wav_length = 0;
    unsigned rate = 0, channels = 0, bits = 0;
    if (read_wav_header(facts.path, wav_length, rate, channels, bits)) {
        if (!(facts.length > 0)) m_info.set_length(wav_length);
        m_info.info_set_int("samplerate", rate);
        m_info.info_set_int("channels", channels);
        m_info.info_set_int("bitspersample", bits);
        m_info.info_set("codec", "PCM");
        m_info.info_set("encoding", "lossless");
    }
}

track* track::make(const track_facts& facts) { return new track(facts); }

void track::metadb_lock() {
    info_lock& lock = the_lock();
    EnterCriticalSection(&lock.cs);
    if (lock.depth++ == 0) lock.owner = GetCurrentThreadId();
}

void track::metadb_unlock() {
    info_lock& lock = the_lock();
    if (lock.owner != GetCurrentThreadId() || lock.depth == 0) return;  // not held by this thread: a caller's bug
    if (--lock.depth == 0) lock.owner = 0;
    LeaveCriticalSection(&lock.cs);
}

bool track::get_info_locked(const file_info*& p_out) const {
    const info_lock& lock = the_lock();
    if (lock.owner != GetCurrentThreadId() || lock.depth == 0) return false;
    p_out = &m_info;
    return true;
}

file_stats* track::get_filestats(file_stats* p_out) const {
    *p_out = file_stats{~std::uint64_t(0), 0};  // never opened
    return p_out;
}

bool track::format_title(titleformat_hook* p_hook, zut::string_base& p_out, const service_ptr_t<titleformat_script>& p_script,
                         titleformat_text_filter* p_filter) {
    p_out.set_string("");
    const title_script* script = title_script::from(p_script.get_ptr());
    if (script == nullptr) return false;  // not one of ours: the host knows no other formatter
    return guarded("metadb_handle format_title", [&] { format_with(p_hook, nullptr, p_out, *script, p_filter); });
}

void track::format_with(titleformat_hook* p_hook, titleformat_hook* extra, zut::string_base& p_out,
                        const title_script& p_script, titleformat_text_filter* p_filter) {
    locked hold(*this);
    titleformat_hook_impl_file_info fields(m_location, m_info);
    titleformat_hook_impl_splitter host_hooks(extra, &fields);
    p_script.format(p_hook, &host_hooks, p_out, p_filter);
}

double track::length() const {
    locked hold(*this);
    return m_info.get_length();
}

std::string track::title() const {
    locked hold(*this);
    return m_info.meta("title");
}

std::string track::artist() const {
    locked hold(*this);
    return m_info.meta("artist");
}

std::string track::unplayable_reason() const {
    if (length() > 0) return std::string();
    const std::string path = m_location.get_path();
    if (path.find("://") != std::string::npos) return std::string();
    const std::wstring wide = to_wide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return path + " is a folder";
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return "no such file: " + path;
        return "cannot open " + path + " (error " + std::to_string(error) + ")";
    }
    CloseHandle(file);
    return std::string();
}

// ---- names

void split_artist_title(const std::string& text, std::string& artist, std::string& title) {
    const size_t dash = text.find(" - ");
    if (dash == std::string::npos || dash == 0 || dash + 3 >= text.size()) {
        artist.clear();
        title = text;
        return;
    }
    artist = text.substr(0, dash);
    title = text.substr(dash + 3);
}

void facts_from_file_name(const std::string& path, std::string& artist, std::string& title) {
    std::string name = path;
    const size_t query = name.find_first_of("?#", name.find("://") == std::string::npos ? name.size() : 0);
    if (query != std::string::npos) name.resize(query);  // an address's query part is not its name
    while (!name.empty() && (name.back() == '\\' || name.back() == '/')) name.pop_back();
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    split_artist_title(name, artist, title);
    if (title.empty()) title = path;  // no name part at all: show what was given
}

}  // namespace host

namespace host {

bool read_wav_header(const std::string& path, double& length, unsigned& sample_rate, unsigned& channels,
                     unsigned& bits) {
    // RIFF header, then chunks: "fmt " (format, channels, rate, byte rate, block align, bits) and
    // "data" (its size gives the length).
    if (path.find("://") != std::string::npos) return false;
    HANDLE file = CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    unsigned char head[4096];
    DWORD got = 0;
    const bool read = ReadFile(file, head, sizeof head, &got, nullptr) != 0;
    CloseHandle(file);
    if (!read || got < 12 || memcmp(head, "RIFF", 4) != 0 || memcmp(head + 8, "WAVE", 4) != 0) return false;
    auto u32 = [&](size_t at) {
        return std::uint32_t(head[at]) | std::uint32_t(head[at + 1]) << 8 | std::uint32_t(head[at + 2]) << 16 |
               std::uint32_t(head[at + 3]) << 24;
    };
    auto u16 = [&](size_t at) { return unsigned(head[at]) | unsigned(head[at + 1]) << 8; };
    std::uint32_t byte_rate = 0, data_size = 0;
    unsigned rate = 0, chans = 0, depth = 0;
    bool have_format = false, have_data = false;
    for (size_t at = 12; at + 8 <= got && !have_data;) {
        const std::uint32_t size = u32(at + 4);
        if (memcmp(head + at, "fmt ", 4) == 0 && size >= 16 && at + 8 + 16 <= got) {
            chans = u16(at + 10);
            rate = u32(at + 12);
            byte_rate = u32(at + 16);
            depth = u16(at + 22);
            have_format = true;
        } else if (memcmp(head + at, "data", 4) == 0) {
            data_size = size;
            have_data = true;
        }
        if (size > got) break;  // a chunk beyond the part read: no later chunk to find
        at += 8 + size + (size & 1);
    }
    if (!have_format || !have_data || byte_rate == 0 || rate == 0) return false;
    length = double(data_size) / double(byte_rate);
    sample_rate = rate;
    channels = chans;
    bits = depth;
    return true;
}

}  // namespace host
