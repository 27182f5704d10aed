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
