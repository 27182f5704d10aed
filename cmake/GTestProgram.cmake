# quarn_add_gtest(<name> SOURCES <files...> [LIBRARIES <targets...>]
#                 [DEFINITIONS <definitions...>] [DEPENDS <targets...>]
#                 [PROPERTIES <test properties...>])
# Builds a GoogleTest program with the test support (quarn::test_support)
# and the warnings, and registers each of its tests with ctest. The tests are
# listed when ctest starts (PRE_TEST), not at build time, so a cross build
# never has to run the program while it builds. DEPENDS names programs the
# tests start (quarnctl, quarnsim), built before the test program;
# PROPERTIES go to every test, as in gtest_discover_tests (TIMEOUT,
# RUN_SERIAL, ENVIRONMENT...); no value may be a list, as
# gtest_discover_tests keeps only its first item: set one variable with
# ENVIRONMENT and any others with ENVIRONMENT_MODIFICATION. Sources and libraries that depend on the
# platform or a build switch are added afterwards with target_sources and
# target_link_libraries.
#
# GTest::gtest_main is linked directly: the Windows cross build finds the
# test programs by it (cmake/toolchains/windows-build.cmake).
function(quarn_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;DEFINITIONS;DEPENDS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} quarn::test_support GTest::gtest_main quarn::warnings)
  if(ARG_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${ARG_DEFINITIONS})
  endif()
  if(ARG_DEPENDS)
    add_dependencies(${name} ${ARG_DEPENDS})
  endif()
  if(ARG_PROPERTIES)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ${ARG_PROPERTIES})
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
  endif()
endfunction()
