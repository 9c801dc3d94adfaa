# Lua 5.1.5 from Debian's source package (fetched by tools/setup.sh into .cache/), compiled as C++ so
# that script errors unwind as C++ exceptions, and with SSE2 so that numbers become integers by
# truncation, as skins written for Lua 5.0 expect. Only the core, the auxiliary library and the base,
# table, string and math libraries are built.
set(LUA_SOURCE_DIR ${CMAKE_SOURCE_DIR}/.cache/lua5.1/src)
if(NOT EXISTS ${LUA_SOURCE_DIR}/lua.h)
  message(FATAL_ERROR "Lua sources missing in ${LUA_SOURCE_DIR}: run tools/setup.sh first")
endif()
set(lua_core lapi lcode ldebug ldo ldump lfunc lgc llex lmem lobject lopcodes lparser lstate lstring
             ltable ltm lundump lvm lzio lauxlib lbaselib ltablib lstrlib lmathlib)
set(lua_sources)
foreach(f ${lua_core})
  list(APPEND lua_sources ${LUA_SOURCE_DIR}/${f}.c)
endforeach()
set_source_files_properties(${lua_sources} PROPERTIES LANGUAGE CXX)
add_library(lua STATIC ${lua_sources})
target_include_directories(lua SYSTEM PUBLIC ${LUA_SOURCE_DIR})
target_compile_options(lua PRIVATE -w -x c++ -msse2 -mfpmath=sse)
target_compile_definitions(lua PUBLIC LUA_COMPAT_ALL)
