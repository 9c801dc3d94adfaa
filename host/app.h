#pragma once
// The reference host's run, from start-up to exit.
//
// 1. Prepare: log file, profile folder, service registry with the host's own services, the host's
//    hidden main window.
// 2. Load the component: LoadLibrary, GetProcAddress("trovaplay_get_interface"), call the entry.
// 3. Start it: set_library_path, set_config (the blob saved last time, if any), services_init(true),
//    walk the factory list and register every service the component offers.
// 4. Start the user interface: the first user_interface service gets its init call with the host's
//    hook; the window it returns becomes the host's main window. No window, or no display for one
//    (the host's own window could not be made): the host says why in one line and goes on to exit
//    (with exit_no_ui).
// 5. Run the message loop until WM_QUIT or until --run-for is over; then the --screenshot (none
//    after a failed start).
// 6. Stop the user interface (its shutdown call).
// 7. Stop the component: get_config (saved to the profile), services_init(false), release every
//    pointer into the component, FreeLibrary.
// 8. Release the host's own services and check that every reference was given back.
#include <windows.h>

#include <memory>
#include <string>

#include "automation.h"
#include "fault_proxy.h"
#include "options.h"
#include "player.h"
#include "registry.h"

class trovaplay_client;
class user_interface;

namespace host {

// Exit codes of the reference host.
enum exit_code : int {
    exit_ok = 0,
    exit_bad_command_line = 1,
    exit_no_component = 2,
    exit_references_left = 3,
    exit_no_profile = 4,
    exit_no_screenshot = 5,  // everything else went well, but --screenshot could not be saved
    exit_no_ui = 6,          // the component offered a user interface, but it did not start
};

class app {
public:
    explicit app(const options& opts);
    ~app();
    app(const app&) = delete;
    app& operator=(const app&) = delete;

    int run();

    service_registry& registry() { return m_registry; }
    HWND host_window() const { return m_window; }

private:
    int run_all();                  // 1-8
    bool prepare();                 // 1
    bool load_component();          // 2
    void start_component();         // 3
    void start_run_for();           // 4, before the user interface starts
    void start_ui();                // 4
    void message_loop();            // 5
    void stop_ui();                 // 6
    void stop_component();          // 7
    bool release_host_services();   // 8

    void log_component_version();
    std::wstring blob_path() const;
    static LRESULT CALLBACK window_proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

    options m_options;
    service_registry m_registry;
    player m_player;             // playlist, playback control and their engine
    std::wstring m_profile;      // absolute profile folder
    HWND m_window = nullptr;     // the host's hidden main window
    HMODULE m_module = nullptr;  // the component
    automation m_automation;     // answers the component's dialogs
    user_interface* m_ui = nullptr;  // the started user interface (a reference held)
    bool m_ui_failed = false;        // its init gave no main window
    bool m_run_for_timer = false;    // the --run-for timer runs
    DWORD m_run_for_start = 0;       // when it started
    trovaplay_client* m_client = nullptr;
    HANDLE m_debug_reader = nullptr;  // --debug-log: the event that announces a debug-output reader
    std::unique_ptr<fault_proxy> m_api_fault;  // --fault host_api:SLOT: the API object handed out
};

}  // namespace host
