#include "app.h"

#include <shlobj.h>

#include <cstdio>
#include <utility>
#include <vector>

#include <trovaplay/sdk/client.h>
#include <trovaplay/sdk/componentversion.h>
#include <trovaplay/sdk/console_receiver.h>
#include <trovaplay/sdk/filesystem.h>
#include <trovaplay/sdk/location_filter.h>
#include <trovaplay/sdk/titleformat.h>
#include <trovaplay/sdk/titleformat_config.h>
#include <trovaplay/sdk/play_callback.h>
#include <trovaplay/sdk/playlist_callback.h>
#include <trovaplay/sdk/play_control.h>
#include <trovaplay/sdk/preferences_page.h>
#include <trovaplay/sdk/playlist_manager.h>
#include <trovaplay/sdk/service.h>
#include <trovaplay/sdk/user_interface.h>
#include <zut/string.h>

#include "blob.h"
#include "console.h"
#include "debug_capture.h"
#include "guard.h"
#include "host_object.h"
#include "host_window.h"
#include "local_filesystem.h"
#include "log.h"
#include "menus.h"
#include "preferences_window.h"
#include "screenshot.h"
#include "text.h"

namespace host {

namespace {

const wchar_t kWindowClass[] = L"trovaplay_host";
const UINT_PTR kRunForTimer = 1;
const UINT kRunOverRepeatMs = 100;  // how often a modal loop is ended once --run-for is over
bool g_run_over = false;
const wchar_t kDefaultComponent[] = L"tro_ui_zin.dll";
const wchar_t kBlobFile[] = L"\\trovaplay_blob_tro_ui_zin.bin";

std::string guid_text(const GUID& g) {
    wchar_t buf[64] = {};
    StringFromGUID2(g, buf, 64);
    return to_utf8(buf);
}

// Names of the service classes the host knows, for its log.
const char* class_name(const GUID& g) {
    struct known {
        GUID guid;
        const char* name;
    };
    static const known table[] = {
        {play_callback_static::class_guid, "play_callback_static"},
        {playlist_callback_single_static::class_guid, "playlist_callback_single_static"},
        {preferences_page::class_guid, "preferences_page"},
        {componentversion::class_guid, "componentversion"},
        {user_interface::class_guid, "user_interface"},
        {console_receiver::class_guid, "console_receiver"},
    };
    for (const known& k : table)
        if (zut::guid_equal(k.guid, g)) return k.name;
    return "unknown class";
}

// --fault: the host's services by name.
bool host_service_class(const std::string& name, GUID& out) {
    struct known {
        const char* name;
        GUID guid;
    };
    static const known table[] = {
        {"console_receiver", console_receiver::class_guid},
        {"filesystem", filesystem::class_guid},
        {"playlist_manager", playlist_manager::class_guid},
        {"play_control", play_control::class_guid},
        {"titleformat_config", titleformat_config::class_guid},
        {"titleformat_compiler", titleformat_compiler::class_guid},
        {"core_version_info", core_version_info::class_guid},
        {"location_filter", location_filter::class_guid},
    };
    for (const known& k : table)
        if (name == k.name) {
            out = k.guid;
            return true;
        }
    return false;
}

// The host's hook procedure, offered every message of the user interface's windows first. The
// reference host leaves them all to the user interface.
BOOL TROVA_HOOK_CALL host_hook(HWND, UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

// Makes the folder and its parents. True when it exists afterwards.
bool make_folder(const std::wstring& folder) {
    const int r = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (r == ERROR_SUCCESS || r == ERROR_ALREADY_EXISTS || r == ERROR_FILE_EXISTS) {
        const DWORD attr = GetFileAttributesW(folder.c_str());
        return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
    }
    return false;
}

std::wstring default_profile() {
    wchar_t buf[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, buf)))
        return std::wstring(buf) + L"\\trovaplay";
    return folder_of(module_path()) + L"\\profile";
}

}  // namespace

// Paths from the command line are made absolute at once: the component changes the working
// directory to its skin folder.
app::app(const options& opts)
    : m_options(opts), m_automation(opts.skin.empty() ? opts.skin : full_path(opts.skin), opts.answer, opts.menu_pick) {
    if (!m_options.screenshot.empty()) m_options.screenshot = full_path(m_options.screenshot);
}

app::~app() {
    m_automation.stop();
    debug_capture_stop();
    if (m_debug_reader) CloseHandle(m_debug_reader);
    if (m_window) DestroyWindow(m_window);
}

int app::run() {
    if (!m_options.fault_name.empty()) {
        const std::string name = to_utf8(m_options.fault_name);
        GUID guid;
        if (name == "host_api" && m_options.fault_slot >= 0) {
            m_api_fault.reset(new fault_proxy(&m_registry, unsigned(m_options.fault_slot)));
        } else if (host_service_class(name, guid)) {
            m_registry.set_fault(guid, m_options.fault_slot);
        } else {
            log_host("ERROR : --fault names no service of the host that can fail so: " + name);
            return exit_bad_command_line;
        }
    }
    const int code = run_all();
    if (!m_options.fault_name.empty())
        log_host("--fault " + to_utf8(m_options.fault_name) + ": " + std::to_string(faults_thrown()) + " faults injected");
    return code;
}

int app::run_all() {
    if (!prepare()) return exit_no_profile;
    if (!load_component()) {
        release_host_services();
        return exit_no_component;
    }
    start_component();
    start_run_for();
    start_ui();
    m_registry.set_initializing(false);
    if (m_options.play) m_player.play();
    if (m_options.show_prefs && m_ui != nullptr && !m_ui_failed) open_preferences(m_registry);
    message_loop();
    // A screenshot of a failed start would show whatever else is on the screen: none is taken.
    if (!m_options.screenshot.empty() && m_ui_failed)
        log_host("no screenshot: the user interface did not start");
    const bool shot_saved = m_options.screenshot.empty() || m_ui_failed ||
                            save_screenshot(m_options.screenshot, m_options.full_screen);
    m_registry.set_shutting_down(true);
    m_player.stop_for_exit();  // the user interface still hears the stop
    close_preferences();       // the page goes while the user interface still runs
    stop_ui();
    stop_component();
    if (!release_host_services()) return exit_references_left;
    if (m_ui_failed) return exit_no_ui;
    return shot_saved ? exit_ok : exit_no_screenshot;
}

// 1. Log, profile, registry, main window.
bool app::prepare() {
    if (!m_options.log_file.empty() && !log_open(full_path(m_options.log_file)))
        log_host("ERROR : cannot open the log file " + to_utf8(m_options.log_file) + "; logging to standard output only");

    // Debug output and dialogs of the component are caught from its first moment on.
    log_show_debug(m_options.debug_log);
    // The component writes debug lines only when a reader announces itself, as a debug monitor does.
    if (m_options.debug_log) m_debug_reader = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
    debug_capture_start();
    if (!m_automation.start()) log_host("ERROR : cannot install the dialog automation; dialogs wait for a person");

    m_profile = full_path(m_options.profile.empty() ? default_profile() : m_options.profile);
    while (m_profile.size() > 3 && (m_profile.back() == L'\\' || m_profile.back() == L'/')) m_profile.pop_back();
    if (!make_folder(m_profile)) {
        log_host("ERROR : cannot use the profile folder " + to_utf8(m_profile));
        return false;
    }
    m_registry.set_profile_folder(m_profile);
    log_host("profile " + std::string(m_registry.get_profile_path()));

    console_receiver* console = make_console_receiver();
    m_registry.add(console_receiver::class_guid, console, false);
    console->service_release();  // the registry holds it now
    filesystem* local_files = make_local_filesystem();
    m_registry.add(filesystem::class_guid, local_files, false);
    local_files->service_release();
    m_player.register_services(m_registry);
    register_menu_services(m_registry);
    m_player.add_items(m_options.items);

    m_window = create_host_window(kWindowClass, &app::window_proc, nullptr, this);
    if (m_window == nullptr)
        log_host("ERROR : no usable display: cannot create the host window (error " + std::to_string(GetLastError()) +
                 "); is DISPLAY a running X display?");
    else SetWindowTextW(m_window, L"trovaplay");
    m_registry.set_main_window(m_window);
    return true;
}

// 2. LoadLibrary + GetProcAddress + the entry.
bool app::load_component() {
    const std::wstring path =
        full_path(m_options.component.empty() ? folder_of(module_path()) + L"\\" + kDefaultComponent : m_options.component);
    m_module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (m_module == nullptr) {
        log_host("ERROR : cannot load " + to_utf8(path) + " (error " + std::to_string(GetLastError()) + ")");
        return false;
    }
    auto entry = reinterpret_cast<trovaplay_get_interface_t>(
        reinterpret_cast<void*>(GetProcAddress(m_module, TROVAPLAY_ENTRY_NAME)));
    if (entry == nullptr) {
        log_host("ERROR : " + to_utf8(path) + " has no " TROVAPLAY_ENTRY_NAME);
        FreeLibrary(m_module);
        m_module = nullptr;
        return false;
    }
    host_api* api = m_api_fault ? static_cast<host_api*>(m_api_fault->object()) : &m_registry;
    guarded("the module entry", [&] { m_client = entry(api, m_module); });
    if (m_client == nullptr) {
        log_host("ERROR : the module entry of " + to_utf8(path) + " returned no client");
        FreeLibrary(m_module);
        m_module = nullptr;
        return false;
    }
    std::uint32_t version = 0;
    guarded("get_version", [&] { version = m_client->get_version(); });
    if (version != trovaplay_client_version) {
        log_host("ERROR : " + to_utf8(path) + " speaks interface version " + std::to_string(version) + ", not " +
                 std::to_string(trovaplay_client_version));
        m_client = nullptr;
        FreeLibrary(m_module);
        m_module = nullptr;
        return false;
    }
    log_host("loaded " + to_utf8(path) + " (interface version " + std::to_string(version) + ")");
    return true;
}

// 3. Library path, saved blob, services on, the component's services registered.
void app::start_component() {
    const std::string full = to_utf8(module_path(m_module));
    const size_t slash = full.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? full : full.substr(slash + 1);
    guarded("set_library_path", [&] { m_client->set_library_path(full.c_str(), name.c_str()); });

    std::vector<std::uint8_t> blob;
    if (read_file(blob_path(), blob)) {
        memory_reader reader(blob);
        host_abort abort;
        if (guarded("set_config", [&] { m_client->set_config(reader, abort); }))
            log_host("configuration blob handed back (" + std::to_string(blob.size()) + " bytes from " +
                     to_utf8(blob_path()) + ")");
    }

    guarded("services_init(true)", [&] { m_client->services_init(true); });

    service_factory_base* factory = nullptr;
    guarded("get_service_list", [&] { factory = m_client->get_service_list(); });
    unsigned count = 0;
    for (; factory != nullptr; factory = factory->get_next()) {
        service_ptr_t<service_base> instance;
        guarded("instance_create", [&] { factory->instance_create(instance); });
        const GUID& guid = factory->get_class_guid();
        if (instance.is_empty()) {
            log_host("ERROR : the factory of " + guid_text(guid) + " created nothing");
            continue;
        }
        m_registry.add(guid, instance.get_ptr(), true);
        ++count;
        log_host(std::string("registered ") + class_name(guid) + " " + guid_text(guid));
    }
    log_host("the component offers " + std::to_string(count) + " services");
    log_component_version();
}

void app::log_component_version() {
    for (std::uint32_t i = 0;; ++i) {
        service_base* s = m_registry.get(componentversion::class_guid, i);
        if (s == nullptr) break;
        componentversion* v = static_cast<componentversion*>(s);
        zut::string8_t<> file, name, version, about;
        guarded("componentversion", [&] {
            v->get_file_name(file);
            v->get_component_name(name);
            v->get_component_version(version);
            v->get_about_message(about);
        });
        log_host(std::string("component ") + name.get_ptr() + " " + version.get_ptr() + " (" + file.get_ptr() +
                 "): " + about.get_ptr());
        s->service_release();
    }
}

// 4. The user interface: the first user_interface service offered. Its main window becomes the
// host's main window; without one (the skin failed or no skin was chosen) the host goes on to exit.
// Without a display (prepare said so) none is started.
void app::start_ui() {
    if (m_window == nullptr) {
        m_ui_failed = true;
        log_host("the user interface is not started: no display");
        return;
    }
    const std::uint32_t n = m_registry.count_of(user_interface::class_guid);
    service_base* s = n == 0 ? nullptr : m_registry.get(user_interface::class_guid, 0);
    if (s == nullptr) {
        log_host("no user interface offered; running without one");
        return;
    }
    m_ui = static_cast<user_interface*>(s);  // get() added a reference: stop_ui gives it back
    const char* name = nullptr;
    guarded("user interface get_name", [&] { name = m_ui->get_name(); });
    log_host(std::string("starting the user interface ") + (name ? name : "(no name)") +
             (n > 1 ? " (the first of " + std::to_string(n) + " offered)" : std::string()));
    HWND main_window = nullptr;
    guarded("user interface init", [&] { main_window = m_ui->init(&host_hook); });
    if (main_window == nullptr) {
        m_ui_failed = true;
        const std::string why = last_message_box().empty() ? "its start-up failed or was cancelled"
                                                           : "its last message: " + last_message_box();
        log_host("ERROR : the user interface gave no main window: " + why);
        return;
    }
    m_registry.set_main_window(main_window);
    log_host("user interface started");
}

// 6. Counterpart of start_ui: shutdown also after a failed init (it unloads whatever was made).
void app::stop_ui() {
    if (!m_options.skin.empty() && !m_automation.skin_given())
        log_host("--skin was not used: the component did not ask for a skin (it remembered one) or did not take it");
    if (m_ui == nullptr) return;
    guarded("user interface shutdown", [&] { m_ui->shutdown(); });
    m_ui->service_release();
    m_ui = nullptr;
    m_registry.set_main_window(m_window);
    log_host("user interface stopped");
}

// 4. The --run-for clock starts before the user interface: a skin may open modal UI while it starts.
void app::start_run_for() {
    if (!m_options.run_for_set || m_options.run_for_ms == 0 || m_window == nullptr) return;
    m_run_for_start = GetTickCount();
    m_run_for_timer = SetTimer(m_window, kRunForTimer, m_options.run_for_ms, nullptr) != 0;
}

// 5. The message loop, until WM_QUIT or the end of --run-for. Without a running user interface and
// without --run-for there is nothing to wait for.
void app::message_loop() {
    bool deadline = false;
    if (m_ui_failed) {
        PostQuitMessage(0);
    } else if (m_options.run_for_set) {
        if (!m_run_for_timer) PostQuitMessage(0);
        deadline = m_run_for_timer;
    } else if (m_ui == nullptr) {
        log_host("no user interface and no --run-for: quitting");
        PostQuitMessage(0);
    }
    MSG msg;
    for (;;) {
        const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
        if (r == 0 || r == -1) break;
        if (msg.message == WM_TIMER && msg.hwnd == m_window && msg.wParam == kRunForTimer) deadline = false;
        if (!preferences_dialog_message(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        // Timer messages and the quit message come only when nothing else waits: a skin that keeps
        // the queue full (one that starts playback again at every playback event, say) must not
        // keep the host from ending.
        if (deadline && (g_run_over || GetTickCount() - m_run_for_start >= m_options.run_for_ms)) {
            if (!g_run_over) log_host("--run-for time is over");
            break;
        }
    }
    if (m_window) KillTimer(m_window, kRunForTimer);
    log_host("message loop ended");
}

LRESULT CALLBACK app::window_proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER:
            if (wp == kRunForTimer) {
                // A modal loop of the user interface (a popup menu, say, even one the skin opens
                // while it starts) may be running this, and a popup menu's loop swallows the quit
                // message: the menu is ended, and the timer goes on ending the modal loops opened
                // after it until the main loop sees the time is over.
                if (!g_run_over) {
                    g_run_over = true;
                    log_host("--run-for time is over");
                    SetTimer(wnd, kRunForTimer, kRunOverRepeatMs, nullptr);
                }
                EndMenu();
                PostQuitMessage(0);
                return 0;
            }
            break;
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

// 7. Blob saved, services off, pointers into the component released, module unloaded.
void app::stop_component() {
    if (m_client == nullptr) return;
    std::vector<std::uint8_t> blob;
    memory_writer writer(blob);
    host_abort abort;
    if (guarded("get_config", [&] { m_client->get_config(writer, abort); })) {
        // The component may keep its settings elsewhere (in a file of its own): the line names the
        // store the host keeps for it.
        if (write_file_atomic(blob_path(), blob))
            log_host("configuration blob saved (" + std::to_string(blob.size()) + " bytes to " + to_utf8(blob_path()) +
                     ")");
        else
            log_host("ERROR : cannot save the configuration to " + to_utf8(blob_path()));
    }
    guarded("services_init(false)", [&] { m_client->services_init(false); });
    m_registry.release_component_services();
    m_client = nullptr;
    FreeLibrary(m_module);
    m_module = nullptr;
    log_host("component unloaded");
}

// 8. The host's own services go last: the component's static objects may release host references
// while the module unloads.
bool app::release_host_services() {
    m_player.release();
    m_registry.release_all();
    const long left = live_host_objects();
    if (left != 0) {
        log_host("ERROR : " + std::to_string(left) + " host objects still referenced at exit");
        return false;
    }
    log_host("all host references released");
    return true;
}

std::wstring app::blob_path() const { return m_profile + kBlobFile; }

}  // namespace host
