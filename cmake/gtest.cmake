# GoogleTest from Debian's googletest sources, built with the cross compiler.
set(GTEST_SOURCE_DIR /usr/src/googletest)
if(NOT EXISTS ${GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources missing in ${GTEST_SOURCE_DIR}: run tools/setup.sh first")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

# Debug information is most of a test program's size (14 of its 15 MB) and slows building and
# linking: the test programs, their helpers and the benchmarks go without it unless asked for. The
# product's own libraries, programs and DLLs keep the build type's.
option(ZIN_TEST_DEBUG_INFO "Debug information in the test programs and benchmarks" OFF)

# zin_test_debug_info(target...): the debug information of a test program, test helper or benchmark.
function(zin_test_debug_info)
  if(ZIN_TEST_DEBUG_INFO)
    return()
  endif()
  foreach(target ${ARGN})
    target_compile_options(${target} PRIVATE -g0)
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "STATIC_LIBRARY")
      # The product's libraries bring theirs: leave it out of the file.
      target_link_options(${target} PRIVATE -s)
    endif()
  endforeach()
endfunction()
zin_test_debug_info(gtest gtest_main)

# zin_add_test(name sources... LIBS libs...): one test program, run by CTest under wine.
function(zin_add_test name)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main gtest)
  target_compile_options(${name} PRIVATE ${ZIN_WARNINGS})
  zin_test_debug_info(${name})
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endfunction()

# zin_add_test_dir(prefix LIBS libs...): every *_test.cpp of the calling folder becomes its own test
# program <prefix>_<file>, so that one failing file never hides the others.
function(zin_add_test_dir prefix)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(t ${tests})
    get_filename_component(n ${t} NAME_WE)
    string(REGEX REPLACE "_test$" "" n ${n})
    zin_add_test(${prefix}_${n} ${t} LIBS ${T_LIBS})
  endforeach()
endfunction()
