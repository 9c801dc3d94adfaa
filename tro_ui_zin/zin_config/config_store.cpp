// The configuration store in memory: the skin path, the sections, the current section and the
// window states kept in it.

#include "zin_config.h"

#include <zin_window/callbacks.h>
#include <zin_window/zin_window.h>

#include <tro_ui_zin.h>

#include <debug.h>

#include <cstring>
#include <cwchar>
#include <new>

using zin_config::conf_string_base;

conf_string_base<wchar_t> g_skin_path;
CDynArray<skin_section> g_skin_sections;
skin_section* g_current_section = nullptr;

skin_section::~skin_section() {
    for (uint32_t i = 0; i < values.getSize(); ++i) {
        delete[] values[i].name;
        delete values[i].item;
    }
    for (uint32_t i = 0; i < states.getSize(); ++i) states[i].~window_state_record();
}

void destroy_sections(CDynArray<skin_section>& sections) {
    for (uint32_t i = 0; i < sections.getSize(); ++i) sections[i].~skin_section();
    sections.clear();
}

void set_skin_path(const wchar_t* path) { g_skin_path.assign(path); }

bool has_skin_path() { return g_skin_path.get() && g_skin_path.get()[0]; }

void select_skin_section() {
    const wchar_t* path = g_skin_path.get();
    g_current_section = nullptr;
    if (!ZIN_CHECK_MSG(path != nullptr, "g_skin_path")) return;
    for (uint32_t i = 0; i < g_skin_sections.getSize(); ++i) {
        const wchar_t* key = g_skin_sections[i].key.get();
        if (key && wcscmp(key, path) == 0) {
            g_current_section = &g_skin_sections[i];
            return;
        }
    }
    // The key is copied before the list grows: a copy that fails must not leave unbuilt bytes in
    // the list, which would be destroyed as a section later.
    conf_string_base<wchar_t> key(path);
    skin_section* section = g_skin_sections.pushNew();
    if (!ZIN_CHECK_MSG(section != nullptr, "new skin section")) return;
    g_current_section = new (section) skin_section(nullptr);
    section->key.set_string(key.get_string_ref());
    key.set_string(nullptr);
}

void clear_skin_sections() {
    g_current_section = nullptr;
    destroy_sections(g_skin_sections);
}

void drop_current_section() {
    skin_section* section = g_current_section;
    g_current_section = nullptr;
    if (!ZIN_CHECK_MSG(section != nullptr, "g_current_section")) return;
    section->~skin_section();
    g_skin_sections.remove(section);
}

named_value* find_named_value(skin_section& section, const char* name) {
    for (uint32_t i = 0; i < section.values.getSize(); ++i)
        if (_stricmp(section.values[i].name, name) == 0) return &section.values[i];
    return nullptr;
}

void store_window_state(skin_section& section, zin_window* w) {
    uint32_t state = window_state_record::closed;
    for (uint32_t i = 0; i < g_window_handles.getSize(); ++i)
        if (g_window_handles[i].window == w) state = window_state_record::open;
    if (state == window_state_record::closed && g_pending_windows.find(w, 0))
        state = window_state_record::waiting;
    window_state_record* record = section.states.pushNew();
    if (!ZIN_CHECK_MSG(record != nullptr, "new window state")) return;
    new (record) window_state_record();
    record->state = state;
    record->rect = w->mRect.to_RECT();
    record->name.assign(w->mName ? w->mName : "");
}

void remember_window_states() {
    if (ZIN_CHECK_MSG(g_current_section != nullptr, "g_current_section")) {
        skin_section& section = *g_current_section;
        for (uint32_t i = 0; i < section.states.getSize(); ++i)
            section.states[i].~window_state_record();
        section.states.clear();
        for (uint32_t i = 0; i < g_windows.getSize(); ++i) store_window_state(section, g_windows[i]);
    }
    // Where a skin saves its values at the end: the section is still current.
    fire_global_callback(GCB_ON_UNLOAD);
}

bool saved_window_rect(const char* name, rect* out) {
    if (!g_config_enabled || !g_current_section || !name) return false;
    const CDynArray<window_state_record>& states = g_current_section->states;
    for (uint32_t i = 0; i < states.getSize(); ++i) {
        const window_state_record& record = states[i];
        if (record.name.get() && strcmp(record.name.get(), name) == 0) {
            *out = rect(record.rect.left, record.rect.top, record.rect.right, record.rect.bottom);
            return true;
        }
    }
    return false;
}
