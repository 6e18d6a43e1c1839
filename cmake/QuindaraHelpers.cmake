# SPDX-License-Identifier: GPL-3.0-or-later
# The warnings of every target of ours; CMAKE_COMPILE_WARNING_AS_ERROR makes them errors.
function(quindara_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# Makes the calling folder's headers reachable as "<folder>/x.h" (the folder's path in the source tree) for
# TARGET and what links it, and for nothing else: the include path is a folder of the build tree holding one
# link named after that path, so a library that does not link TARGET cannot reach its headers. With
# HEADERS_ONLY the link is a folder of links to the folder's own headers, so that the headers of a library in
# a sub-folder (common/ui inside common) stay out of reach of what links only this one.
function(quindara_export_folder target scope)
  cmake_parse_arguments(ARG "HEADERS_ONLY" "" "" ${ARGN})
  file(RELATIVE_PATH folder "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  set(root "${CMAKE_CURRENT_BINARY_DIR}/include")
  get_filename_component(parent "${root}/${folder}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  file(REMOVE_RECURSE "${root}/${folder}")
  if(ARG_HEADERS_ONLY)
    file(MAKE_DIRECTORY "${root}/${folder}")
    # A header added later makes the build configure again, and so gets its link.
    file(GLOB headers CONFIGURE_DEPENDS RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
    foreach(header ${headers})
      file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}/${header}" "${root}/${folder}/${header}" SYMBOLIC)
    endforeach()
  else()
    file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${root}/${folder}" SYMBOLIC)
  endif()
  target_include_directories(${target} ${scope} "${root}")
endfunction()

# A static library of the sources listed, its own headers (not those of sub-folders) included as
# "<folder>/x.h". LIBS are the libraries its public headers use, PRIVATE_LIBS those
# only its sources use. A CORE library may not use widgets: its include path puts a stand-in for QtWidgets'
# global header first, so that any Widgets header it reaches stops the build with a message.
function(quindara_library name)
  cmake_parse_arguments(ARG "CORE" "" "SOURCES;LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
  quindara_export_folder(${name} PUBLIC HEADERS_ONLY)
  if(ARG_CORE)
    target_include_directories(${name} BEFORE PRIVATE "${PROJECT_SOURCE_DIR}/cmake/no-widgets")
  endif()
  quindara_warnings(${name})
endfunction()

# Registers one Qt Test executable with CTest, running on the offscreen platform.
function(add_qt_test name source)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE Qt6::Test test_support ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE QUINDARA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             QUINDARA_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  quindara_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=es_ES.UTF-8;LC_ALL=C.UTF-8"
                                          TIMEOUT 120)
endfunction()

# One test executable per tst_*.cpp of the calling folder.
function(add_qt_tests_in_folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp")
  foreach(source ${tests})
    get_filename_component(base ${source} NAME_WE)
    add_qt_test(${base} ${source} LIBS ${ARG_LIBS})
  endforeach()
endfunction()

# One fuzz target, tests/fuzz/fuzz_<name>.cpp, defining LLVMFuzzerTestOneInput over the kept inputs in
# tests/fuzz/corpus/<name>/. Every build replays those inputs as the CTest test fuzz_<name>_replay; a
# build configured with QUINDARA_FUZZ=ON (clang) also makes the libFuzzer program fuzz_<name>.
function(quindara_fuzz_target name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  set(source "${CMAKE_CURRENT_SOURCE_DIR}/fuzz_${name}.cpp")
  set(corpus "${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name}")
  add_executable(fuzz_${name}_replay ${source} "${CMAKE_CURRENT_SOURCE_DIR}/replay.cpp")
  target_link_libraries(fuzz_${name}_replay PRIVATE ${ARG_LIBS})
  quindara_warnings(fuzz_${name}_replay)
  add_test(NAME fuzz_${name}_replay COMMAND fuzz_${name}_replay "${corpus}")
  set_tests_properties(fuzz_${name}_replay PROPERTIES ENVIRONMENT "LC_ALL=C.UTF-8" TIMEOUT 120)
  if(QUINDARA_FUZZ)
    add_executable(fuzz_${name} ${source})
    target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    quindara_warnings(fuzz_${name})
    add_dependencies(fuzzers fuzz_${name})
  endif()
endfunction()
