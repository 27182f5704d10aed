# Warnings shared by every target of the project.
add_library(quarn_warnings INTERFACE)
add_library(quarn::warnings ALIAS quarn_warnings)
if(MSVC)
  target_compile_options(quarn_warnings INTERFACE /W4 /permissive-)
else()
  target_compile_options(quarn_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Wunused -Woverloaded-virtual -Wnull-dereference -Wformat=2)
endif()

# Off by default, so that another compiler version's new warnings never stop
# a user's build; the presets that make test and make test-windows build
# switch it on, so that no warning lands unnoticed.
option(QUARN_WARNINGS_AS_ERRORS "Treat the project's compiler warnings as errors" OFF)
if(QUARN_WARNINGS_AS_ERRORS)
  if(MSVC)
    target_compile_options(quarn_warnings INTERFACE /WX)
  else()
    target_compile_options(quarn_warnings INTERFACE -Werror)
  endif()
endif()
