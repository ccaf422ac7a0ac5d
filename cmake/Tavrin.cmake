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

# How long any one test may run, in seconds. A guard against a blow-up whose
# limit is undone would otherwise run on until the CI job is killed; with
# this it ends as a timeout that names it. The slowest test, the game suite
# run whole under the sanitizers, takes three and a half minutes on an idle
# machine: this leaves room for one about nine times as busy, while a hang
# in both the plain and the sanitizer tree, half an hour each, still ends
# the test command within the CI job's ninety minutes.
set(TAVRIN_TEST_TIMEOUT 1800)

# tavrin_test_timeouts()
# Gives every test of the calling folder that has no limit of its own the
# common one; call it once the folder's tests are added. Tests that
# gtest_discover_tests adds at run time are not seen here: they take the
# limit through its PROPERTIES.
function(tavrin_test_timeouts)
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(test IN LISTS tests)
    get_test_property(${test} TIMEOUT limit)
    if(NOT limit)
      set_tests_properties(${test} PROPERTIES TIMEOUT ${TAVRIN_TEST_TIMEOUT})
    endif()
  endforeach()
endfunction()
