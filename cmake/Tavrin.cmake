# Shared build settings and the helpers that every subsystem folder uses.

set(TAVRIN_WARNINGS -Wall -Wextra -Wformat-security)

add_library(tavrin_options INTERFACE)
target_compile_options(tavrin_options INTERFACE ${TAVRIN_WARNINGS})
target_include_directories(tavrin_options INTERFACE ${PROJECT_SOURCE_DIR})
if(TAVRIN_SANITIZE)
  target_compile_options(tavrin_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tavrin_options INTERFACE -fsanitize=address,undefined)
endif()
if(TAVRIN_FUZZ)
  target_compile_options(tavrin_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(tavrin_options INTERFACE -fsanitize=address,undefined)
endif()

# tavrin_library(NAME DIRS dir... DEPS target...)
# One static library per subsystem folder, made of every .cpp below its folders
# and their sub-folders (a folder listed with its parent counts once).
function(tavrin_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS" ${ARGN})
  set(sources)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB_RECURSE dir_sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    list(APPEND sources ${dir_sources})
  endforeach()
  list(REMOVE_DUPLICATES sources)
  if(NOT sources)
    set(stub ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${stub} "// this subsystem has no sources yet\n")
    set(sources ${stub})
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC tavrin_options ${ARG_DEPS})
endfunction()
