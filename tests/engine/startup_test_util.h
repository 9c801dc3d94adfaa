#pragma once
// Helpers of the start-up tests: fake playback control and playlist manager for the recording fake
// host, a folder of skin files, and recorders for the message boxes and the open-file dialog.

#include "engine_test_util.h"
#include "fake_host.h"
#include "playlist_manager_stub.h"

#include <tro_ui_zin.h>
#include <zin_config/zin_config.h>

#include <lua_class/lua_load.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace startup_test {

class fake_play_control : public play_control {
public:
    explicit fake_play_control(int id) : m_counted("play_control#" + std::to_string(id)) {}
    int service_release() override { return m_counted.release(); }
    int service_add_ref() override { return m_counted.add_ref(); }
    bool get_now_playing(service_ptr_t<metadb_handle>&) override { return log(3), false; }
    void start(std::uint32_t, bool) override { log(4); }
    void stop() override { log(5); }
    bool is_playing() override { return log(6), false; }
    bool is_paused() override { return log(7), false; }
    void pause(bool) override { log(8); }
    void set_volume(float) override { log(11); }
    float get_volume() override { return log(12), 0.0f; }
    void playback_seek(double) override { log(16); }
    bool playback_can_seek() override { return log(18), false; }
    double playback_get_position() override { return log(19), 0.0; }
    bool playback_format_title(titleformat_hook*, zut::string_base& p_out, const service_ptr_t<titleformat_script>&,
                               titleformat_text_filter*, std::uint32_t) override {
        log(20);
        p_out.set_string("");
        return false;
    }
    int count() const { return m_counted.count(); }

private:
    void log(int slot) { fake_log(m_counted.who(), slot); }
    fake_service_base m_counted;
};

class fake_playlist_manager : public playlist_manager_stub {
public:
    explicit fake_playlist_manager(int id) : m_counted("playlist_manager#" + std::to_string(id)) {}
    int service_release() override { return m_counted.release(); }
    int service_add_ref() override { return m_counted.add_ref(); }
    std::uint32_t get_playlist_count() override { return log(3), 1; }
    std::uint32_t get_active_playlist() override { return log(4), active; }
    void set_active_playlist(std::uint32_t) override { log(5); }
    std::uint32_t create_playlist(const char*, std::uint32_t, std::uint32_t) override {
        return log(9), none;
    }
    std::uint32_t playlist_get_item_count(std::uint32_t) override { return log(11), 0; }
    std::uint32_t playlist_get_focus_item(std::uint32_t) override { return log(13), 2; }
    void playlist_set_focus_item(std::uint32_t, std::uint32_t) override { log(19); }
    std::uint32_t playback_order_get_count() override { return log(39), 0; }
    const char* playback_order_get_name(std::uint32_t) override { return log(40), ""; }
    std::uint32_t playback_order_get_active() override { return log(42), 0; }
    void playback_order_set_active(std::uint32_t) override { log(43); }
    bool playlist_execute_default_action(std::uint32_t, std::uint32_t) override {
        return log(56), false;
    }
    int count() const { return m_counted.count(); }
    std::uint32_t active = 0;

private:
    void log(int slot) { fake_log(m_counted.who(), slot); }
    std::uint32_t other_slot(int slot) override { return log(slot), 0; }
    fake_service_base m_counted;
};

struct message_box_record {
    std::wstring text;
    std::wstring caption;
    unsigned type;
};
inline std::vector<message_box_record>& boxes() {
    static std::vector<message_box_record> records;
    return records;
}
// The buttons the next message boxes answer with, first to last; IDOK once they are used up.
inline std::vector<int>& box_answers() {
    static std::vector<int> answers;
    return answers;
}
inline int record_message_box(const wchar_t* text, const wchar_t* caption, unsigned type) {
    boxes().push_back({text ? text : L"", caption ? caption : L"", type});
    if (box_answers().empty()) return IDOK;
    const int answer = box_answers().front();
    box_answers().erase(box_answers().begin());
    return answer;
}

// The open-file dialog: records what it was asked and answers with answer (empty: cancel).
struct dialog_state {
    std::wstring answer;
    int calls = 0;
    DWORD struct_size = 0;
    HWND owner = nullptr;
    std::wstring filter;  // its NUL separators shown as '|'
    std::wstring initial_dir;
    DWORD buffer_length = 0;
    DWORD flags = 0;
};
inline dialog_state& dialog() {
    static dialog_state state;
    return state;
}
inline BOOL answer_dialog(OPENFILENAMEW* ofn) {
    dialog_state& d = dialog();
    ++d.calls;
    d.struct_size = ofn->lStructSize;
    d.owner = ofn->hwndOwner;
    d.filter.clear();
    for (const wchar_t* f = ofn->lpstrFilter; f && *f; f += wcslen(f) + 1)
        d.filter += f + std::wstring(L"|");
    d.initial_dir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : L"";
    d.buffer_length = ofn->nMaxFile;
    d.flags = ofn->Flags;
    if (d.answer.empty() || d.answer.size() >= ofn->nMaxFile) return FALSE;
    wcscpy(ofn->lpstrFile, d.answer.c_str());
    return TRUE;
}

inline std::wstring widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// A fresh folder under the temporary folder for one test's files; removed with them.
class skin_folder {
public:
    explicit skin_folder(const std::string& name) {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_temp = temp;
        m_dir = m_temp + name + "_" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(m_dir.c_str(), nullptr);
    }
    ~skin_folder() {
        SetCurrentDirectoryA(m_temp.c_str());  // a folder in use cannot be removed
        for (auto it = m_files.rbegin(); it != m_files.rend(); ++it) {
            DeleteFileA(it->c_str());
            RemoveDirectoryA(it->c_str());
        }
        RemoveDirectoryA(m_dir.c_str());
    }
    skin_folder(const skin_folder&) = delete;
    skin_folder& operator=(const skin_folder&) = delete;

    std::string write(const std::string& name, const std::string& text) {
        const std::string path = m_dir + name;
        FILE* f = fopen(path.c_str(), "wb");
        if (f) {
            fwrite(text.data(), 1, text.size(), f);
            fclose(f);
        }
        m_files.push_back(path);
        return path;
    }
    std::string subfolder(const std::string& name) {
        const std::string path = m_dir + name;
        CreateDirectoryA(path.c_str(), nullptr);
        m_files.push_back(path);
        return path + "\\";
    }
    const std::string& dir() const { return m_dir; }
    const std::string& temp() const { return m_temp; }

private:
    std::string m_temp;
    std::string m_dir;
    std::vector<std::string> m_files;
};

// The script of a skin that defines one window and opens none.
inline std::string one_window_skin(const std::string& extra = "") {
    return "w = window.new('main', 10, 10, rect.new(20, 20, 120, 80))\n" + extra;
}

inline BOOL TROVA_HOOK_CALL host_hook(HWND, UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

// The engine started through the service's init against the recording fake host, with the message
// boxes recorded and the open-file dialog answered; shut down and reset after each test.
class host_fixture : public ::testing::Test {
protected:
    void SetUp() override {
        reset_module_state();
        host.offer(console_receiver::class_guid, &console);
        host.offer(play_control::class_guid, &control);
        host.offer(playlist_manager::class_guid, &playlists);
        start_services(host);
        boxes().clear();
        box_answers().clear();
        dialog() = dialog_state();
        previous_box = skin_load::set_message_box(&record_message_box);
        previous_dialog = set_open_file_dialog(&answer_dialog);
        set_skin_path(nullptr);
    }
    void TearDown() override {
        get_ui_zin().shutdown();
        set_open_file_dialog(previous_dialog);
        skin_load::set_message_box(previous_box);
        set_skin_path(nullptr);
        lua_compat::set_skin_dir(nullptr);
        reset_module_state();
    }
    // init with the skin file answered in the dialog.
    HWND init_with(const std::string& skin_path) {
        dialog().answer = widen(skin_path);
        return get_ui_zin().init(&host_hook);
    }
    // A profile folder of the skin folder ("profile\\"), handed to the host as a file:// address;
    // called before SetUp.
    void use_profile_folder() {
        profile = folder.subfolder("profile");
        profile_address = "file://" + profile.substr(0, profile.size() - 1);
        host.profile_path = profile_address.c_str();
    }
    bool console_has(const std::string& line) const {
        for (const std::string& l : console.lines)
            if (l == line) return true;
        return false;
    }

    fake_host host;
    fake_console_receiver console{0};
    fake_play_control control{0};
    fake_playlist_manager playlists{0};
    skin_folder folder{"zin_startup"};
    std::string profile;          // with its trailing backslash; empty without use_profile_folder
    std::string profile_address;
    skin_load::message_box_function previous_box = nullptr;
    open_file_dialog_function previous_dialog = nullptr;
};

}  // namespace startup_test
