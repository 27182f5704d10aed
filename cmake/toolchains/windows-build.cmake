# Included by the `windows` preset right after the top-level project()
# (CMAKE_PROJECT_quarn-tools_INCLUDE):
# provides, for the cross build, what the build machine's packages provide
# natively (GoogleTest, CLI11, nlohmann/json) and runs test programs under
# wine.
if(NOT WIN32 OR NOT CMAKE_CROSSCOMPILING)
  return()
endif()

# The packages below are answered by config files written into the
# redirection folder, which find_package() reads before anything else when it
# looks for config files first.
set(_quarn_redirects ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR})
set(CMAKE_FIND_PACKAGE_PREFER_CONFIG TRUE)

# CLI11 and nlohmann/json are header-only. The compiler must not see the
# build machine's /usr/include (its C library headers would be taken for
# Windows ones), so a folder with links to just these two stands in for it.
set(_quarn_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${_quarn_headers})
foreach(_dir IN ITEMS CLI nlohmann)
  if(NOT EXISTS /usr/include/${_dir})
    message(FATAL_ERROR "/usr/include/${_dir} is missing: run scripts/install-deps.sh")
  endif()
  if(NOT EXISTS ${_quarn_headers}/${_dir})
    file(CREATE_LINK /usr/include/${_dir} ${_quarn_headers}/${_dir} SYMBOLIC)
  endif()
endforeach()

set(_quarn_json_version 3)
foreach(_header IN ITEMS /usr/include/nlohmann/detail/abi_macros.hpp /usr/include/nlohmann/json.hpp)
  if(EXISTS ${_header})
    file(STRINGS ${_header} _line REGEX "#define NLOHMANN_JSON_VERSION_MAJOR [0-9]+")
    if(_line)
      string(REGEX REPLACE ".*MAJOR ([0-9]+).*" "\\1" _quarn_json_version "${_line}")
      break()
    endif()
  endif()
endforeach()

file(WRITE ${_quarn_redirects}/cli11-config.cmake "
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES \"${_quarn_headers}\")
endif()
")
file(WRITE ${_quarn_redirects}/nlohmann_json-config.cmake "
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES \"${_quarn_headers}\")
endif()
")
file(WRITE ${_quarn_redirects}/nlohmann_json-config-version.cmake "
set(PACKAGE_VERSION ${_quarn_json_version})
if(PACKAGE_FIND_VERSION_MAJOR STREQUAL \"\" OR PACKAGE_FIND_VERSION_MAJOR EQUAL ${_quarn_json_version})
  set(PACKAGE_VERSION_COMPATIBLE TRUE)
endif()
")

# GoogleTest, compiled for Windows from the sources Debian ships.
if(BUILD_TESTING)
  if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
    message(FATAL_ERROR "/usr/src/googletest is missing: run scripts/install-deps.sh")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(_lib IN ITEMS gtest gtest_main)
    if(NOT TARGET GTest::${_lib})
      add_library(GTest::${_lib} ALIAS ${_lib})
    endif()
  endforeach()
  file(WRITE ${_quarn_redirects}/gtest-config.cmake "# GoogleTest is part of this build.\n")
endif()

# Test programs run under wine, in a wine prefix of their own inside the
# build tree.
find_program(QUARN_WINE wine REQUIRED)
set(QUARN_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/windows/wine-run.sh ${QUARN_WINE_PREFIX})

# Starting wine costs a second or more, so under wine each GoogleTest program
# runs once as a whole ("wine.<program>") instead of once per test, and the
# per-test listing that gtest_discover_tests would run under wine at every
# ctest start is dropped. Done when the whole tree is read, so that every
# test program exists by then.
set(QUARN_NATIVE_QUARNSIM ${PROJECT_SOURCE_DIR}/build/default/bin/quarnsim
    CACHE FILEPATH "quarnsim built for this machine, the peer of quarnctl.exe in the round trip")

function(_quarn_collect_gtest_programs dir out)
  set(found)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(libraries ${target} LINK_LIBRARIES)
    if(type STREQUAL "EXECUTABLE" AND "GTest::gtest_main" IN_LIST libraries)
      list(APPEND found ${target})
    endif()
  endforeach()
  get_property(includes DIRECTORY ${dir} PROPERTY TEST_INCLUDE_FILES)
  list(FILTER includes EXCLUDE REGEX "_include\\.cmake$")
  set_property(DIRECTORY ${dir} PROPERTY TEST_INCLUDE_FILES ${includes})
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _quarn_collect_gtest_programs(${sub} more)
    list(APPEND found ${more})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(_quarn_add_wine_tests)
  if(NOT BUILD_TESTING)
    return()
  endif()
  _quarn_collect_gtest_programs(${PROJECT_SOURCE_DIR} programs)
  foreach(program IN LISTS programs)
    add_test(NAME wine.${program} COMMAND ${program} --gtest_brief=1)
  endforeach()
  if(TARGET quarnctl)
    add_test(NAME wine.quarnctl_round_trip
             COMMAND ${PROJECT_SOURCE_DIR}/tests/windows/quarnctl-round-trip.sh
                     ${QUARN_WINE_PREFIX} $<TARGET_FILE:quarnctl> ${QUARN_NATIVE_QUARNSIM}
                     ${PROJECT_SOURCE_DIR}/tests/document/fixtures/office.xml)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL _quarn_add_wine_tests)
