# Warnings as errors for every target of ours.
function(quindara_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()

# A static library made of every source of one folder.
function(quindara_library name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  quindara_warnings(${name})
endfunction()

# Registers one Qt Test executable with CTest, running on the offscreen platform.
function(add_qt_test name source)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
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
