# What `cmake --install` puts under the prefix, and the Debian package made from it
# with CPack. Every destination is relative to the prefix, so any prefix works; the
# artwork the window draws stays compiled into the program, the files here are for the
# desktop's menus, software centres and manuals.
include(GNUInstallDirs)

set(QUILLMOR_APP_ID org.quillmor.Quillmor)

# Manual pages go in compressed (-n: no timestamp, so a rebuild gives the same bytes).
# Written at configure time: editing a page re-runs the configure step.
function(quillmor_man_page name)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${name}.1)
  configure_file(doc/${name}.1.in ${page} @ONLY)
  execute_process(COMMAND gzip -9 -n -c INPUT_FILE ${page} OUTPUT_FILE ${page}.gz
                  COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

install(TARGETS quillmor-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
quillmor_man_page(quillmor-cli)

if(QUILLMOR_BUILD_GUI)
  install(TARGETS quillmor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The sound module the editor loads on its first sound, found relative to the program.
  install(TARGETS quillmor_sound LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/quillmor)
  file(RELATIVE_PATH _soundFromBin ${CMAKE_INSTALL_FULL_BINDIR}
       ${CMAKE_INSTALL_FULL_LIBDIR}/quillmor)
  target_compile_definitions(quillmor_gui PRIVATE
    QUILLMOR_SOUND_MODULE_FROM_BIN="${_soundFromBin}")
  quillmor_man_page(quillmor)
  install(FILES resources/${QUILLMOR_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(resources/${QUILLMOR_APP_ID}.metainfo.xml.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${QUILLMOR_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${QUILLMOR_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES resources/icons/quillmor-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME quillmor.png)
  endforeach()
endif()

# The files every Debian package carries in its doc folder.
set(QUILLMOR_PACKAGE_MAINTAINER "The Quillmor developers <quillmor@packages.invalid>"
    CACHE STRING "Maintainer of the Debian package: a name and an e-mail address")
# The changelog's date is in RFC 2822 form, which wants the weekday (Sakamoto's method).
if(NOT QUILLMOR_RELEASE_DATE MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
  message(FATAL_ERROR "QUILLMOR_RELEASE_DATE must be YYYY-MM-DD")
endif()
set(_day ${CMAKE_MATCH_3})
math(EXPR _year "${CMAKE_MATCH_1}")
math(EXPR _monthIndex "${CMAKE_MATCH_2} - 1")
set(_y ${_year})
if(_monthIndex LESS 2)
  math(EXPR _y "${_y} - 1")
endif()
set(_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
list(GET _offsets ${_monthIndex} _offset)
math(EXPR _weekday "(${_y} + ${_y} / 4 - ${_y} / 100 + ${_y} / 400 + ${_offset} + ${_day}) % 7")
set(_weekdays Sun Mon Tue Wed Thu Fri Sat)
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET _weekdays ${_weekday} _weekdayName)
list(GET _months ${_monthIndex} _monthName)
set(QUILLMOR_RELEASE_DATE_RFC2822 "${_weekdayName}, ${_day} ${_monthName} ${_year} 00:00:00 +0000")
configure_file(packaging/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog @ONLY)
execute_process(COMMAND gzip -9 -n -c INPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog
                OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz
                COMMAND_ERROR_IS_FATAL ANY)
install(FILES packaging/copyright ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package: cpack -G DEB in a build folder (cmake --workflow --preset package
# does configure, build and package in one go).
if(QUILLMOR_BUILD_GUI)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME quillmor)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_VENDOR "The Quillmor developers")
  set(CPACK_PACKAGE_CONTACT "${QUILLMOR_PACKAGE_MAINTAINER}")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor of an online game's macros, chat colours and settings")
  set(CPACK_PACKAGE_DESCRIPTION
      "Quillmor (クイルモア) edits a game character's macro files and keeps their\n"
      "digests correct, shows how each macro will look in the game's chat log, sets\n"
      "the chat log's colours and the game's graphics and sound options, backs macro\n"
      "sets up to text files and takes screenshots of the game's window. The window\n"
      "is in Japanese.\n"
      "\n"
      "quillmor-cli does the macro folder operations from a shell.")
  string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The libraries the programs link come from dpkg-shlibdeps (Qt's multimedia plugins
  # come with its library); what Qt loads at run time is named here: the X11 platform
  # plugin, Qt's Japanese translations and the CJK font the window and the preview draw
  # with. The pictures are PNG, BMP and JPEG, which Qt's own library reads and writes;
  # the extra image format plugins (TIFF, WebP ...) would only be loaded by the folder
  # picker for nothing.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "fonts-noto-cjk, qt6-qpa-plugins, qt6-translations-l10n")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine")
  include(CPack)
endif()
