#pragma once
// The configuration store: the remembered skin path and the per-skin sections.
//
// For now only the skin path exists, held in memory; the configuration file and its sections come
// later (zin_config_stub.cpp says what each operation does meanwhile).

// The skin script's path (wide text on the heap); null or empty while no skin is chosen.
extern wchar_t* g_skin_path;

// Replaces g_skin_path by a copy of path (null: no path).
void set_skin_path(const wchar_t* path);

// Reads the configuration file; false when there is none to read.
bool load_config();
// Writes the configuration file; false when it was not written.
bool save_config();
// Makes this skin's section the current one.
void select_skin_section();
// Drops every section; none is current afterwards.
void clear_skin_sections();
// Stores the states of the skin's windows in the current section, then calls the script's OnUnload.
void remember_window_states();
