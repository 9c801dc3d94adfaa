// Reading and writing the configuration file "\tro_ui_zin.cfg".
//
// save_config
//   1. Debug line "saving config"; a missing skin path or profile folder is refused before any
//      file is touched.
//   2. A file that the last load could not read is first copied to "tro_ui_zin.cfg.bad" (said once
//      on the console); when that fails nothing is written over it.
//   3. The whole store is written into memory: version 8, the 64 colour bytes, the skin path, the
//      sections (key, named values, window states). A file that holds exactly these bytes already
//      is left as it is (most saves change nothing, and a write to disk costs milliseconds).
//   4. Otherwise the bytes go to "tro_ui_zin.cfg.tmp" beside the file; the flush, the commit and
//      the close are checked; the temporary file then replaces the file in one step (MoveFileEx,
//      replace existing, write through).
//   5. Any failure: debug line "!!saving of config failed", the temporary file is removed, the old
//      file stays as it was; false.
// load_config
//   1. Debug line "loading config".
//   2. Open; the version must be 8 ("config-file too old").
//   3. Colours, skin path and sections are read aside. Every count is checked against the bytes
//      left before anything is allocated; an unknown type name fails ("unknown config-item").
//   4. Success: the store takes all of it (the old sections are dropped); true.
//   5. Failure: debug line "!!loading of config failed"; nothing of the file is used, every section
//      is dropped and the skin path stays as it was. A file that exists but could not be read is
//      marked to be kept aside before the next save; false.

#include "zin_config.h"

#include "config_stream.h"

#include <tro_ui_zin.h>

#include <trovaplay/sdk/console.h>
#include <zut/string_conv.h>

#include <debug.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

COLORREF g_custom_colors[16];

namespace {

using namespace zin_config;

constexpr uint32_t CONFIG_VERSION = 8;

// The fewest bytes each element of an array takes in the file.
constexpr uint32_t MIN_SECTION_BYTES = 4 + 4 + 4;          // key count, two array counts
constexpr uint32_t MIN_NAMED_VALUE_BYTES = 1 + 4 + 4 + 1;  // flag, two string counts, a bool
constexpr uint32_t MIN_WINDOW_STATE_BYTES = 4 + 16 + 4;    // state, rect, name count

// The file on disk failed to load: it is kept aside before anything is written over it.
bool s_keep_unreadable = false;

// Sections read from the file, destroyed unless the store takes them.
struct section_list {
    CDynArray<skin_section> sections;
    ~section_list() { destroy_sections(sections); }
};

// Sizes list to count and builds every element empty before any is read, so that a failure midway
// leaves only whole elements to destroy.
template <class T, class Make>
void make_elements(CDynArray<T>& list, uint32_t count, Make make) {
    if (count == 0) return;
    if (!list.setSize(count)) throw std::bad_alloc();
    for (uint32_t i = 0; i < count; ++i) make(&list[i]);
}

void read_named_values(config_stream& s, CDynArray<named_value>& values) {
    make_elements(values, s.read_count(MIN_NAMED_VALUE_BYTES),
                  [](named_value* v) { new (v) named_value{nullptr, nullptr, true}; });
    for (uint32_t i = 0; i < values.getSize(); ++i) {
        named_value& v = values[i];
        v.show_in_prefs = read_1(s) != 0;
        v.name = read_string(s);
        std::unique_ptr<char[]> type(read_string(s));
        v.item = create_conf_by_type(type.get());
        if (!v.item) throw std::runtime_error("unknown config-item");
        v.item->load(s);
    }
}

void read_window_states(config_stream& s, CDynArray<window_state_record>& states) {
    make_elements(states, s.read_count(MIN_WINDOW_STATE_BYTES),
                  [](window_state_record* r) { new (r) window_state_record(); });
    for (uint32_t i = 0; i < states.getSize(); ++i) {
        window_state_record& r = states[i];
        r.state = read_4(s);
        read_16(s, r.rect);
        r.name.load(s);
    }
}

void read_sections(config_stream& s, CDynArray<skin_section>& sections) {
    make_elements(sections, s.read_count(MIN_SECTION_BYTES),
                  [](skin_section* section) { new (section) skin_section(nullptr); });
    for (uint32_t i = 0; i < sections.getSize(); ++i) {
        skin_section& section = sections[i];
        section.key.load(s);
        read_named_values(s, section.values);
        read_window_states(s, section.states);
    }
}

void write_named_values(config_stream& s, CDynArray<named_value>& values) {
    write_4(s, values.getSize());
    for (uint32_t i = 0; i < values.getSize(); ++i) {
        named_value& v = values[i];
        if (!v.item) throw std::runtime_error("error writing to file");
        write_1(s, v.show_in_prefs ? 1 : 0);
        write_string(s, v.name);
        write_string(s, v.item->get_type_name());
        v.item->save(s);
    }
}

void write_window_states(config_stream& s, CDynArray<window_state_record>& states) {
    write_4(s, states.getSize());
    for (uint32_t i = 0; i < states.getSize(); ++i) {
        window_state_record& r = states[i];
        write_4(s, r.state);
        write_16(s, r.rect);
        r.name.save(s);
    }
}

void write_sections(config_stream& s, CDynArray<skin_section>& sections) {
    write_4(s, sections.getSize());
    for (uint32_t i = 0; i < sections.getSize(); ++i) {
        skin_section& section = sections[i];
        section.key.save(s);
        write_named_values(s, section.values);
        write_window_states(s, section.states);
    }
}

// Whether the file at path holds exactly bytes (false when it cannot be read).
bool file_holds(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool same = GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) == bytes.size();
    char buffer[4096];
    for (size_t done = 0; same && done < bytes.size();) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, bytes.size() - done));
        same = ReadFile(file, buffer, want, &got, nullptr) && got == want &&
               memcmp(buffer, bytes.data() + done, want) == 0;
        done += want;
    }
    CloseHandle(file);
    return same;
}

bool file_exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// 2. Copies the unreadable file aside; false when it could not be kept.
bool keep_unreadable_file(const std::wstring& path) {
    if (!s_keep_unreadable) return true;
    if (file_exists(path)) {
        const std::wstring bad = path + L".bad";
        if (!CopyFileW(path.c_str(), bad.c_str(), FALSE)) return false;
        console::warning(("the configuration file could not be read; it was kept as " +
                          std::string(zut::utf8_from_wide(bad.c_str()).get_ptr()))
                             .c_str());
    }
    s_keep_unreadable = false;
    return true;
}

}  // namespace

std::wstring config_file_path() {
    if (!g_profile_dir) return std::wstring();
    return std::wstring(zut::wide_from_utf8(g_profile_dir).get_ptr()) + L"\\tro_ui_zin.cfg";
}

bool save_config() {
    // 1.
    zin_debug_output("saving config\n");
    if (!ZIN_CHECK_MSG(g_skin_path.get() != nullptr, "saving config without a skin path")) return false;
    const std::wstring path = config_file_path();
    // Without a profile folder no file is touched (a bare ".tmp" would lie in the working folder).
    if (path.empty()) {
        zin_debug_output("!!saving of config failed\n");
        return false;
    }
    const std::wstring temporary = path + L".tmp";
    try {
        // 2.
        if (!keep_unreadable_file(path)) throw std::runtime_error("error writing to file");
        // 3.
        config_stream image;
        image.open_memory();
        write_4(image, CONFIG_VERSION);
        write_colors(image, g_custom_colors);
        g_skin_path.save(image);
        write_sections(image, g_skin_sections);
        const std::string& bytes = image.memory();
        if (file_holds(path, bytes)) return true;
        // 4.
        config_stream stream;
        stream.open(temporary.c_str(), true);
        stream.write(bytes.data(), static_cast<uint32_t>(bytes.size()));
        stream.close();
        if (!MoveFileExW(temporary.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            throw std::runtime_error("error writing to file");
        return true;
    } catch (const std::exception&) {
        // 5. The stream has closed the temporary file by now.
        zin_debug_output("!!saving of config failed\n");
        if (file_exists(temporary)) DeleteFileW(temporary.c_str());
        return false;
    }
}

bool load_config() {
    // 1.
    zin_debug_output("loading config\n");
    const std::wstring path = config_file_path();
    try {
        // 2.
        config_stream stream;
        stream.open(path.empty() ? nullptr : path.c_str(), false);
        if (read_4(stream) != CONFIG_VERSION) throw std::runtime_error("config-file too old");
        // 3.
        COLORREF colors[16];
        read_colors(stream, colors);
        conf_string_base<wchar_t> skin_path;
        skin_path.load(stream);
        section_list loaded;
        read_sections(stream, loaded.sections);
        stream.close();
        // 4.
        memcpy(g_custom_colors, colors, sizeof colors);
        delete[] g_skin_path.get_string_ref();
        g_skin_path.set_string(skin_path.get_string_ref());
        skin_path.set_string(nullptr);
        clear_skin_sections();
        g_skin_sections = std::move(loaded.sections);
        s_keep_unreadable = false;
        return true;
    } catch (const std::exception&) {
        // 5.
        zin_debug_output("!!loading of config failed\n");
        clear_skin_sections();
        if (!path.empty() && file_exists(path)) s_keep_unreadable = true;
        return false;
    }
}
