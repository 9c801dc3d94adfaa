# Lua 5.1.5 from Debian's source package (fetched by tools/setup.sh into .cache/), compiled as C++ so
# that script errors unwind as C++ exceptions, and with SSE2 so that numbers become integers by
# truncation, as skins written for Lua 5.0 expect. Only the core, the auxiliary library and the base,
# table, string and math libraries are built.
#
# Skins see Lua 5.0.2: cmake/lua-5.0-behaviour.patch (the luaconf.h settings included) is applied to
# a fresh copy of the sources in the build folder whenever the patch changes; .cache/ is never
# written.
set(LUA_ORIGINAL_DIR ${CMAKE_SOURCE_DIR}/.cache/lua5.1/src)
if(NOT EXISTS ${LUA_ORIGINAL_DIR}/lua.h)
  message(FATAL_ERROR "Lua sources missing in ${LUA_ORIGINAL_DIR}: run tools/setup.sh first")
endif()
find_program(PATCH_PROGRAM patch REQUIRED)
set(LUA_PATCH ${CMAKE_SOURCE_DIR}/cmake/lua-5.0-behaviour.patch)
set(LUA_PATCHED_ROOT ${CMAKE_BINARY_DIR}/lua5.1-patched)
set(LUA_SOURCE_DIR ${LUA_PATCHED_ROOT}/src)

set(lua_core lapi lcode ldebug ldo ldump lfunc lgc llex lmem lobject lopcodes lparser lstate lstring
             ltable ltm lundump lvm lzio lauxlib lbaselib ltablib lstrlib lmathlib)
set(lua_headers lapi.h lauxlib.h lcode.h ldebug.h ldo.h lfunc.h lgc.h llex.h llimits.h lmem.h
                lobject.h lopcodes.h lparser.h lstate.h lstring.h ltable.h ltm.h lua.h luaconf.h
                lualib.h lundump.h lvm.h lzio.h)
set(lua_sources)
set(lua_originals)
foreach(f ${lua_core})
  list(APPEND lua_sources ${LUA_SOURCE_DIR}/${f}.c)
  list(APPEND lua_originals ${LUA_ORIGINAL_DIR}/${f}.c)
endforeach()
set(lua_patched_headers)
foreach(f ${lua_headers})
  list(APPEND lua_patched_headers ${LUA_SOURCE_DIR}/${f})
  list(APPEND lua_originals ${LUA_ORIGINAL_DIR}/${f})
endforeach()

# A fresh copy each time, so that applying the patch never meets an already patched file.
add_custom_command(
  OUTPUT ${lua_sources} ${lua_patched_headers}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${LUA_PATCHED_ROOT}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${LUA_ORIGINAL_DIR} ${LUA_SOURCE_DIR}
  COMMAND ${PATCH_PROGRAM} -s -p1 -d ${LUA_PATCHED_ROOT} -i ${LUA_PATCH}
  COMMAND ${CMAKE_COMMAND} -E touch ${lua_sources} ${lua_patched_headers}
  DEPENDS ${LUA_PATCH} ${lua_originals}
  COMMENT "Applying the Lua 5.0 behaviour patch to a copy of the Lua sources"
  VERBATIM)

set_source_files_properties(${lua_sources} PROPERTIES LANGUAGE CXX)
add_library(lua STATIC ${lua_sources} ${lua_patched_headers})
target_include_directories(lua SYSTEM PUBLIC ${LUA_SOURCE_DIR})
target_compile_options(lua PRIVATE -w -x c++ -msse2 -mfpmath=sse)
