# Installs the build into a scratch prefix and checks that a Linux desktop
# finds the program there: binary, desktop entry and the hicolor icons.
# Run as: cmake -DBUILD=<build dir> -DPREFIX=<scratch dir> -P app_install_check.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc})")
endif()
foreach(f bin/ottomix share/applications/ottomix.desktop
          share/icons/hicolor/48x48/apps/ottomix.png share/icons/hicolor/128x128/apps/ottomix.png)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/ottomix.desktop" entry)
if(NOT "Exec=ottomix %f" IN_LIST entry OR NOT "Icon=ottomix" IN_LIST entry)
  message(FATAL_ERROR "the desktop entry does not start bin/ottomix on a file with its icon")
endif()
file(REMOVE_RECURSE "${PREFIX}")
