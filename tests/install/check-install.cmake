# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch prefix and checks what lands there: programs, shipped tree, launchers,
# icons (square: the agenda's drawing is wider than tall), AppStream data, manual pages; the validators run when they are installed. Then the installed agenda
# answers --version and --help without a display, and fills a new data folder from the installed tree.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" RESULT_VARIABLE result
                OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
    bin/quindara
    bin/tallimo
    share/quindara/fondo.jpg
    "share/quindara/santoral/1 de ENERO.txt"
    share/quindara/tallimo/configuracion/inicio.txt
    share/quindara/tallimo/operaciones
    share/quindara/dias
    share/applications/org.example.quindara.quindara.desktop
    share/applications/org.example.quindara.tallimo.desktop
    etc/xdg/autostart/quindara-avisos.desktop
    share/metainfo/org.example.quindara.quindara.metainfo.xml
    share/metainfo/org.example.quindara.tallimo.metainfo.xml
    share/icons/hicolor/scalable/apps/org.example.quindara.quindara.svg
    share/icons/hicolor/scalable/apps/org.example.quindara.tallimo.svg
    share/icons/hicolor/16x16/apps/org.example.quindara.quindara.png
    share/icons/hicolor/256x256/apps/org.example.quindara.tallimo.png
    share/man/man1/quindara.1.gz
    share/man/man1/tallimo.1.gz
    share/doc/quindara/copyright
    share/doc/quindara/README.md
    share/lintian/overrides/quindara)
foreach(path IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "missing after install: ${path}")
  endif()
endforeach()
# The installed README is the users' guide: how to start the programs and their options, not how to build
# them, and no picture that is not installed.
file(READ "${PREFIX}/share/doc/quindara/README.md" readme)
foreach(option --folder --search --export-ics --import-ics --export-vcf --import-vcf --sync --sync-setup
               QUINDARA_DIR)
  if(NOT readme MATCHES "${option}")
    message(FATAL_ERROR "the installed README does not tell ${option}")
  endif()
endforeach()
if(readme MATCHES "make test|cmake |!\\[")
  message(FATAL_ERROR "the installed README is the developers' one")
endif()
file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/org.example.quindara.quindara.svg" icon LIMIT 200)
if(NOT icon MATCHES "viewBox=\"[-0-9.]+ [-0-9.]+ ([0-9.]+) ([0-9.]+)\"" OR NOT CMAKE_MATCH_1 STREQUAL CMAKE_MATCH_2)
  message(FATAL_ERROR "the agenda's icon is not square: ${icon}")
endif()
file(GLOB_RECURSE placeholders "${PREFIX}/share/quindara/*.keep")
if(placeholders)
  message(FATAL_ERROR "placeholders installed: ${placeholders}")
endif()

find_program(desktop_file_validate desktop-file-validate)
if(desktop_file_validate)
  file(GLOB entries "${PREFIX}/share/applications/*.desktop" "${PREFIX}/etc/xdg/autostart/*.desktop")
  execute_process(COMMAND "${desktop_file_validate}" ${entries} RESULT_VARIABLE result OUTPUT_VARIABLE output
                  ERROR_VARIABLE output)
  if(NOT result EQUAL 0 OR output MATCHES "error:")
    message(FATAL_ERROR "desktop-file-validate: ${output}")
  endif()
endif()
find_program(appstreamcli appstreamcli)
if(appstreamcli)
  file(GLOB metainfo "${PREFIX}/share/metainfo/*.xml")
  execute_process(COMMAND "${appstreamcli}" validate --no-net ${metainfo} RESULT_VARIABLE result
                  OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate: ${output}")
  endif()
endif()

# A command-line answer needs no display: no platform plugin is available here.
execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=none "${PREFIX}/bin/quindara" --version
                RESULT_VARIABLE result OUTPUT_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output MATCHES "quindara [0-9]" OR NOT output MATCHES "GPL-3.0")
  message(FATAL_ERROR "quindara --version: ${result} ${output}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=none "${PREFIX}/bin/tallimo" --help
                RESULT_VARIABLE result OUTPUT_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output MATCHES "--folder" OR NOT output MATCHES "Opciones")
  message(FATAL_ERROR "tallimo --help: ${result} ${output}")
endif()

# First start on a new folder: filled from the installed tree around what is already there. The agenda
# keeps running, so it is stopped after a while.
set(data "${PREFIX}/datos")
file(WRITE "${data}/santoral/1 de ENERO.txt" "mío")
execute_process(COMMAND timeout 10 "${PREFIX}/bin/quindara" --folder "${data}" RESULT_VARIABLE result
                OUTPUT_QUIET ERROR_QUIET)
file(READ "${data}/santoral/1 de ENERO.txt" mine)
if(NOT mine STREQUAL "mío")
  message(FATAL_ERROR "the first start overwrote a saint file")
endif()
foreach(path "santoral/2 de ENERO.txt" fondo.jpg tallimo/configuracion/inicio.txt dias)
  if(NOT EXISTS "${data}/${path}")
    message(FATAL_ERROR "not filled on the first start: ${path} (${result})")
  endif()
endforeach()
