#pragma once
// The script table `config`: a skin's typed values saved under names in its own section of the
// configuration store, and its windows reopened as they were left. A class without constructor: a
// plain table of traced functions.
//
//   config.load(default, name)                        -> the saved value, or default
//   config.save(value, name [, show_in_prefs [, choices]])
//   config.enable(flag)
//   config.load_windows()                              -> whether saved windows were opened or queued
//
// Values can be read and written only while a section is current (the main script at a load, the
// OnUnload callback, the preferences page).

#include <lua_class/lua_class.h>

struct config_table {
    static const char* get_name() { return "config"; }
    static lua_class::method_table get_methods();
    static constexpr bool lua_has_new = false;
};

// Registers the table `config` (in its place of the script interface's fixed order).
void register_config_table(lua_State* L);

// The configuration type name of the script value at index: "bool", "number", "string", or the
// class name of a full userdata with a registered metatable ("color", "font", "rect", but also
// "bitmap" and the like); null for any other value.
const char* lua_value_type_name(lua_State* L, int index);
