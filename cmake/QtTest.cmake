# quarn_add_qt_test(<name> SOURCES <files...> LIBRARIES <targets...>)
# Builds a Qt Test program and registers it with ctest on the offscreen
# platform, with its configuration and runtime folders inside the build tree.
function(quarn_add_qt_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} Qt6::Test quarn::warnings)
  set(home ${CMAKE_CURRENT_BINARY_DIR}/${name}.home)
  file(MAKE_DIRECTORY ${home}/config ${home}/runtime)
  file(CHMOD ${home}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${home}/config;XDG_RUNTIME_DIR=${home}/runtime"
    WORKING_DIRECTORY ${home})
endfunction()
