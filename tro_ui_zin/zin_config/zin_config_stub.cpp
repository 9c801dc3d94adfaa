// Stand-in for the configuration store until the configuration file exists.
//
// NOTE: nothing is read or written yet. The skin path lives only in memory, so every start asks for
// the skin in the open-file dialog; load_config reports that there is no configuration (callers
// ignore that, as they do for a missing file); sections are not kept, so selecting, saving and
// dropping them does nothing. Window states are not stored: remember_window_states only gives the
// script its OnUnload call, which it expects before every unload that follows a save.

#include "zin_config.h"

#include <zin_window/callbacks.h>

#include <debug.h>

#include <cstdlib>
#include <cwchar>

wchar_t* g_skin_path = nullptr;

void set_skin_path(const wchar_t* path) {
    // The copy is made first: path may be the current g_skin_path itself.
    wchar_t* copy = path ? wcsdup(path) : nullptr;
    free(g_skin_path);
    g_skin_path = copy;
}

bool load_config() {
    zin_debug_output("loading config\n");
    return false;
}

bool save_config() { return false; }

void select_skin_section() {}

void clear_skin_sections() {}

void remember_window_states() { fire_global_callback(GCB_ON_UNLOAD); }
