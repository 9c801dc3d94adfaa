#pragma once
// The configuration store and its file "\tro_ui_zin.cfg" in the host's profile folder: the custom
// colours of the colour dialog, the remembered skin path, and one section per skin script ever run
// with the skin's named values and the last states of its windows.
//
// The file is read and written whole. Writing replaces it atomically; a file that cannot be read
// is kept beside it as "tro_ui_zin.cfg.bad" before anything is written over it.

#include "conf_items.h"

#include <array.h>

#include <windows.h>

#include <cstdint>
#include <string>

class zin_window;
struct rect;

// A value the skin saved under a name.
struct named_value {
    char* name;                 // new[] copy of the script's name
    zin_config::conf_base* item;  // owned
    bool show_in_prefs;         // whether the preferences page lists it (true by default)
};

// The last state of one of the skin's windows.
struct window_state_record {
    enum : uint32_t { closed = 0, open = 1, waiting = 2 };
    uint32_t state = closed;
    RECT rect = {0, 0, 0, 0};
    zin_config::conf_string_base<char> name;
};

// One skin script's settings. Sections live in g_skin_sections as raw bytes: they are built in place
// and destroyed by clear_skin_sections.
struct skin_section {
    zin_config::conf_string_base<wchar_t> key;  // the skin script's path
    CDynArray<named_value> values;
    CDynArray<window_state_record> states;

    explicit skin_section(const wchar_t* path) : key(path) {}
    ~skin_section();  // frees the values' names and items and the window states
    skin_section(const skin_section&) = delete;
    skin_section& operator=(const skin_section&) = delete;
};

// Destroys every section of the list and empties it.
void destroy_sections(CDynArray<skin_section>& sections);

// ---- The store -----------------------------------------------------------------------------------
extern COLORREF g_custom_colors[16];
// The skin script's path; no value (null) or empty while no skin is chosen.
extern zin_config::conf_string_base<wchar_t> g_skin_path;
extern CDynArray<skin_section> g_skin_sections;
// The section the script's config table works on; null while none is selected.
extern skin_section* g_current_section;

// Replaces the skin path by a copy of path (null: no path).
void set_skin_path(const wchar_t* path);
// A skin path is set and not empty.
bool has_skin_path();

// ---- The file ------------------------------------------------------------------------------------
// The file's path: the profile folder (g_profile_dir, UTF-8) and "\tro_ui_zin.cfg".
std::wstring config_file_path();
// Reads the file into the store (colours, skin path, sections). False when there is no file or it
// cannot be read: then no section is left and the skin path is the one from before.
bool load_config();
// Writes the store. False when it was not written; the previous file is then untouched.
bool save_config();

// ---- Sections and window states ------------------------------------------------------------------
// Makes the skin's section (keyed by the exact skin path) current, appending it when missing.
void select_skin_section();
// Drops every section; none is current afterwards.
void clear_skin_sections();
// Destroys the current section and removes it from the list; none is current afterwards.
void drop_current_section();
// The named value of that name in the section (without regard to case), or null.
named_value* find_named_value(skin_section& section, const char* name);
// Appends the window's state (open, waiting or closed), rectangle and name to the section.
void store_window_state(skin_section& section, zin_window* w);
// Replaces the current section's window states by those of every defined window, then calls the
// script's OnUnload.
void remember_window_states();
// The saved rectangle of the window of that name (exact comparison) in the current section, when
// the config is enabled and a section is current.
bool saved_window_rect(const char* name, rect* out);
