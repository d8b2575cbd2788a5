# Installs the build into a scratch prefix and checks that a Linux desktop
# finds the programs there: binaries, desktop entry, hicolor icons, AppStream
# metadata, manual pages and the copyright file. The Debian package is made
# from the same install() rules; its test compares the two file lists.
# Run as: cmake -DBUILD=<build dir> -DPREFIX=<scratch dir> -P app_install_check.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc})")
endif()
foreach(f bin/ottomix bin/ottomix-cli share/applications/ottomix.desktop
          share/icons/hicolor/48x48/apps/ottomix.png share/icons/hicolor/128x128/apps/ottomix.png
          share/metainfo/example.mirrowen.ottomix.metainfo.xml
          share/man/man1/ottomix.1.gz share/man/man1/ottomix-cli.1.gz
          share/doc/ottomix/copyright)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/ottomix.desktop" entry)
if(NOT "Exec=ottomix %f" IN_LIST entry OR NOT "Icon=ottomix" IN_LIST entry)
  message(FATAL_ERROR "the desktop entry does not start bin/ottomix on a file with its icon")
endif()
foreach(page ottomix ottomix-cli)
  file(READ "${PREFIX}/share/man/man1/${page}.1.gz" magic LIMIT 2 HEX)
  if(NOT magic STREQUAL "1f8b")
    message(FATAL_ERROR "share/man/man1/${page}.1.gz is not gzipped")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
