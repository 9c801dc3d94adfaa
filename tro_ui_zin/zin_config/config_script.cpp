// The script table `config`.
//
// config.load (default, name)
//   1. Config disabled: default.
//   2. No current section: a console warning, default.
//   3. name must be a string; the type of default must be one the store knows of.
//   4. No value of that name: default.
//   5. A value of another type: a console warning, default.
//   6. number, string (wide -> system ANSI code page), bool: the value; color, font, rect: copied
//      into the default object itself, which is returned.
// config.save (value, name [, show_in_prefs [, choices]])
//   1. Config disabled: nothing.
//   2. No current section: a console error, nothing else.
//   3. name must be a string; the value's type.
//   4. A new name needs a type the store can keep; an existing one the same type as before.
//   5. show_in_prefs (a boolean) and, for a string, choices (a table of strings) are checked
//      before anything changes, so that a refused call leaves the section as it was (never a
//      value-less item). Other types ignore argument 4, whatever it is.
//   6. A new name is appended with show_in_prefs true; show_in_prefs given replaces the flag.
//   7. The value is stored; a string (system ANSI code page -> wide) also replaces the choices.
// config.load_windows ()
//   1. False without a current section holding window states and windows the skin defined.
//   2. The waiting list is emptied.
//   3. The windows saved open are queued and created now: true when the skin defines any of them.
//   4. Otherwise the windows saved waiting are queued and left waiting: true when there are any.
//   A window is never queued twice, nor queued while it is open (an open one still counts).

#include "config_script.h"

#include "zin_config.h"

#include <zin_window/zin_window.h>

#include <tro_ui_zin.h>

#include <trovaplay/sdk/console.h>
#include <zut/string_conv.h>

#include <misc.h>

#include <cstring>
#include <memory>

using namespace zin_config;

namespace {

// Pushes the text of a stored wide string in the system ANSI code page.
void push_wide_as_ansi(lua_State* L, const wchar_t* text) {
    zut::codepage_from_wide ansi(text ? text : L"");
    lua_pushstring(L, ansi.get_ptr());
}

// The string at index (a number is taken as its text) as a new[] wide string in which the system
// ANSI code page was read.
wchar_t* wide_of(lua_State* L, int index) {
    lua_pushvalue(L, index);
    // Stack: [..., copy]
    const char* text = lua_tostring(L, -1);
    wchar_t* wide = toWide(text ? text : "");
    lua_pop(L, 1);
    // Stack: [...]
    return wide;
}

bool is_text(lua_State* L, int index) {
    const int type = lua_type(L, index);
    return type == LUA_TSTRING || type == LUA_TNUMBER;
}

// 5. Every value of the choices table must be a string.
void check_choices(lua_State* L, int index) {
    lua_pushnil(L);
    // Stack: [..., nil]
    while (lua_next(L, index) != 0) {
        // Stack: [..., key, value]
        if (!is_text(L, -1)) {
            const char* message =
                lua_pushfstring(L, "string expected in the choices, got %s", luaL_typename(L, -1));
            luaL_argerror(L, index, message);
        }
        lua_pop(L, 1);
        // Stack: [..., key]
    }
    // Stack: [...]
}

void store_choices(lua_State* L, int index, conf_string& item) {
    lua_pushnil(L);
    // Stack: [..., nil]
    while (lua_next(L, index) != 0) {
        // Stack: [..., key, value]
        std::unique_ptr<wchar_t[]> choice(wide_of(L, -1));
        item.add_choice(choice.get());
        lua_pop(L, 1);
        // Stack: [..., key]
    }
    // Stack: [...]
}

int config_load(lua_State* L) {
    // 1.
    if (!g_config_enabled) return lua_settop(L, 1), 1;
    // 2.
    if (!g_current_section) {
        console::warning("loading only possible in main-script & unload-callback");
        return lua_settop(L, 1), 1;
    }
    // 3.
    const char* name = luaL_checkstring(L, 2);
    const char* type = lua_value_type_name(L, 1);
    if (!type) luaL_argerror(L, 1, "error getting type or not savable");
    // 4.
    named_value* value = find_named_value(*g_current_section, name);
    if (!value) return lua_settop(L, 1), 1;
    // 5.
    conf_base* item = value->item;
    if (strcmp(item->get_type_name(), type) != 0) {
        console::warning("cannot load value with different type");
        return lua_settop(L, 1), 1;
    }
    // 6.
    if (is_number_type(type)) {
        lua_pushnumber(L, static_cast<conf_number*>(item)->value());
    } else if (is_string_type(type)) {
        push_wide_as_ansi(L, static_cast<conf_string*>(item)->get());
    } else if (is_bool_type(type)) {
        lua_pushboolean(L, static_cast<conf_bool*>(item)->value());
    } else {
        item->get(lua_touserdata(L, 1));
        lua_pushvalue(L, 1);
    }
    return 1;
}

int config_save(lua_State* L) {
    // 1.
    if (!g_config_enabled) return 0;
    // 2.
    if (!g_current_section) {
        console::error("saving only possible in main-script & unload-callback");
        return 0;
    }
    // 3.
    const char* name = luaL_checkstring(L, 2);
    const char* type = lua_value_type_name(L, 1);
    // 4.
    named_value* value = find_named_value(*g_current_section, name);
    std::unique_ptr<conf_base> new_item;
    if (!value) {
        new_item.reset(type ? create_conf_by_type(type) : nullptr);
        if (!new_item) luaL_argerror(L, 1, "not able to save this type");
    } else if (!type || strcmp(value->item->get_type_name(), type) != 0) {
        luaL_argerror(L, 1, "cannot overwrite value with different type");
    }
    conf_base* item = value ? value->item : new_item.get();
    // 5. Present means given, also as nil. Only a string has choices: a save helper that always
    // passes four arguments still saves numbers, booleans, colours, fonts and rects.
    const bool has_flag = !lua_isnone(L, 3);
    if (has_flag) luaL_checktype(L, 3, LUA_TBOOLEAN);
    const bool has_choices = is_string_type(type) && !lua_isnone(L, 4);
    if (has_choices) {
        luaL_checktype(L, 4, LUA_TTABLE);
        check_choices(L, 4);
    }
    std::unique_ptr<wchar_t[]> text;
    if (is_string_type(type)) text.reset(wide_of(L, 1));
    // 6. Everything the new value needs is made before it joins the section: a value there is whole.
    if (!value) {
        const size_t length = strlen(name);
        std::unique_ptr<char[]> name_copy(new char[length + 1]);
        memcpy(name_copy.get(), name, length + 1);
        value = g_current_section->values.pushNew();
        if (!value) throw std::bad_alloc();
        *value = named_value{name_copy.release(), new_item.release(), true};
    }
    if (has_flag) value->show_in_prefs = lua_toboolean(L, 3) != 0;
    // 7.
    if (is_number_type(type)) {
        static_cast<conf_number*>(item)->value() = lua_tonumber(L, 1);
    } else if (is_bool_type(type)) {
        static_cast<conf_bool*>(item)->value() = lua_toboolean(L, 1) != 0;
    } else if (is_string_type(type)) {
        conf_string* string_item = static_cast<conf_string*>(item);
        delete[] string_item->get_string_ref();
        string_item->set_string(text.release());
        string_item->clear_choices();
        if (has_choices) store_choices(L, 4, *string_item);
    } else {
        item->set(lua_touserdata(L, 1));
    }
    return 0;
}

int config_enable(lua_State* L) {
    luaL_checktype(L, 1, LUA_TBOOLEAN);
    g_config_enabled = lua_toboolean(L, 1) != 0;
    return 0;
}

// The first defined window of that name (exact comparison), or null.
zin_window* defined_window(const char* name) {
    for (uint32_t i = 0; i < g_windows.getSize(); ++i) {
        zin_window* w = g_windows[i];
        if (w->mName && name && strcmp(w->mName, name) == 0) return w;
    }
    return nullptr;
}

// Queues the windows saved in that state (but those open already); whether any record of that
// state names a defined window, open or not.
bool queue_saved_windows(uint32_t state) {
    const CDynArray<window_state_record>& states = g_current_section->states;
    bool found = false;
    for (uint32_t i = 0; i < states.getSize(); ++i) {
        if (states[i].state != state) continue;
        zin_window* w = defined_window(states[i].name.get());
        if (!w) continue;
        found = true;
        if (!w->mWnd) queue_window(w);
    }
    return found;
}

int config_load_windows(lua_State* L) {
    // 1.
    if (!g_current_section || g_current_section->states.getSize() == 0 || g_windows.getSize() == 0) {
        lua_pushboolean(L, 0);
        return 1;
    }
    // 2.
    g_pending_windows.clear();
    // 3.
    if (queue_saved_windows(window_state_record::open)) {
        create_queued_windows();
        lua_pushboolean(L, 1);
        return 1;
    }
    // 4.
    lua_pushboolean(L, queue_saved_windows(window_state_record::waiting));
    return 1;
}

const luaL_Reg kFunctions[] = {
    {"load", &config_load},
    {"save", &config_save},
    {"enable", &config_enable},
    {"load_windows", &config_load_windows},
};

}  // namespace

const char* lua_value_type_name(lua_State* L, int index) {
    switch (lua_type(L, index)) {
    case LUA_TBOOLEAN:
        return "bool";
    case LUA_TNUMBER:
        return "number";
    case LUA_TSTRING:
        return "string";
    case LUA_TUSERDATA: {
        // lua_class::get_name answers "error" for a userdata whose metatable no class registered.
        if (!lua_getmetatable(L, index)) return nullptr;
        // Stack: [..., metatable]
        lua_pop(L, 1);
        // Stack: [...]
        const char* name = lua_class::get_name(L, index);
        return strcmp(name, "error") == 0 ? nullptr : name;
    }
    default:
        return nullptr;
    }
}

lua_class::method_table config_table::get_methods() {
    return {kFunctions, static_cast<int>(sizeof kFunctions / sizeof kFunctions[0])};
}

void register_config_table(lua_State* L) { lua_class::binding<config_table>::register_type(L); }
