# Packaging.cmake -- install rules (programs, data, launchers, manual page, menu entries, icons, metainfo) and the Debian packages.
#
# The programs read their files from the working directory, so the installed
# tree keeps the data in one folder and each launcher changes into it first.
# Layout under the prefix, after Debian's games conventions:
#   games/vortavia, games/vortavia-sound      the launchers
#   lib/games/vortavia/                       the programs (architecture-dependent)
#   share/games/vortavia/                     every data file, large/ included
#
# Every rule belongs to one of two components, the two Debian packages:
# "game" (vortavia) and "data" (vortavia-data, the same on every
# architecture). A plain cmake --install puts both into one tree; rules
# marked EXCLUDE_FROM_ALL only matter to a Debian package and are left out.
include(GNUInstallDirs)

set(VORTAVIA_MAINTAINER "VORTAVIA 3D developers <vortavia@example.org>" CACHE STRING
    "Maintainer of the Debian packages and their changelog: a name and an e-mail address")
set(VORTAVIA_DEB_RELEASE 1)
set(VORTAVIA_DEB_VERSION ${PROJECT_VERSION}-${VORTAVIA_DEB_RELEASE})

set(VORTAVIA_INSTALL_GAMESDIR "games" CACHE STRING
    "Launchers, relative to the install prefix")
set(VORTAVIA_INSTALL_PROGRAMDIR "lib/games/vortavia" CACHE STRING
    "The two programs, relative to the install prefix")
set(VORTAVIA_INSTALL_DATADIR "share/games/vortavia" CACHE STRING
    "The data folder the programs run in, relative to the install prefix")
foreach(dir VORTAVIA_INSTALL_GAMESDIR VORTAVIA_INSTALL_PROGRAMDIR VORTAVIA_INSTALL_DATADIR)
  if(IS_ABSOLUTE "${${dir}}")
    # The launchers find the other folders from their own place.
    message(FATAL_ERROR "${dir} must be relative to the install prefix, not ${${dir}}")
  endif()
endforeach()

# Relative paths from the launchers' folder, whatever the prefix turns out to be
# (cmake --install --prefix, DESTDIR, or the package's /usr).
file(RELATIVE_PATH VORTAVIA_REL_DATA
     /prefix/${VORTAVIA_INSTALL_GAMESDIR} /prefix/${VORTAVIA_INSTALL_DATADIR})
file(RELATIVE_PATH VORTAVIA_REL_PROGRAMS
     /prefix/${VORTAVIA_INSTALL_GAMESDIR} /prefix/${VORTAVIA_INSTALL_PROGRAMDIR})

set(pkg_src ${CMAKE_CURRENT_LIST_DIR}/../packaging)
set(pkg_out ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${pkg_out})

# ---- programs and launchers --------------------------------------------------
# pkg_add_edition(TARGET LAUNCHER): the program, its launcher and its menu entry.
function(pkg_add_edition target launcher)
  install(TARGETS ${target} RUNTIME DESTINATION ${VORTAVIA_INSTALL_PROGRAMDIR} COMPONENT game)
  # A stripped install (cpack, cmake --install --strip) also drops what
  # Debian's dh_strip drops: the compilers' version strings and .note.
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VORTAVIA_INSTALL_PROGRAMDIR}/${target}\"
                      RESULT_VARIABLE status)
      if(NOT status EQUAL 0)
        message(FATAL_ERROR \"strip failed on ${target}\")
      endif()
    endif()" COMPONENT game)
  set(VORTAVIA_LAUNCHER ${launcher})
  set(VORTAVIA_PROGRAM ${target})
  configure_file(${pkg_src}/launcher.sh.in ${pkg_out}/${launcher} @ONLY)
  install(PROGRAMS ${pkg_out}/${launcher} DESTINATION ${VORTAVIA_INSTALL_GAMESDIR} COMPONENT game)
  # The menu entry names the launcher by its full installed path, since a
  # prefix such as ~/.local is not on a menu's PATH; the prefix is only
  # known when installing (cpack installs under /usr whatever was configured).
  install(CODE "
    set(pkg_launcher_path \"\${CMAKE_INSTALL_PREFIX}/${VORTAVIA_INSTALL_GAMESDIR}/${launcher}\")
    set(pkg_entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/applications/${launcher}.desktop\")
    message(STATUS \"Installing: \${pkg_entry}\")
    configure_file(\"${pkg_src}/${launcher}.desktop.in\" \"\${pkg_entry}\" @ONLY)" COMPONENT game)
endfunction()

pkg_add_edition(vortavia vortavia)
if(TARGET vortavia_sound)
  pkg_add_edition(vortavia_sound vortavia-sound)
endif()

# ---- data ---------------------------------------------------------------------
# Whatever the generators have put into the game folder by install time.
install(DIRECTORY ${VORTAVIA_GAME_DIR}/
        DESTINATION ${VORTAVIA_INSTALL_DATADIR}
        COMPONENT data
        FILES_MATCHING PATTERN "*.bmp" PATTERN "*.txt"
        PATTERN "CMakeFiles" EXCLUDE)

# ---- manual page, icons, metainfo ----------------------------------------------
# Installed compressed, as Debian wants it; -n keeps the archive free of a
# name and a time stamp, so rebuilding gives the same bytes.
set(pkg_man ${pkg_src}/vortavia.6)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${pkg_man})
find_program(VORTAVIA_GZIP gzip)
set(pkg_mandir ${CMAKE_INSTALL_MANDIR}/man6)
if(VORTAVIA_GZIP)
  execute_process(COMMAND ${VORTAVIA_GZIP} -9 -n -c
                  INPUT_FILE ${pkg_man} OUTPUT_FILE ${pkg_out}/vortavia.6.gz)
  install(FILES ${pkg_out}/vortavia.6.gz DESTINATION ${pkg_mandir} COMPONENT game)
  set(pkg_man_suffix .gz)
else()
  install(FILES ${pkg_man} DESTINATION ${pkg_mandir} COMPONENT game)
  set(pkg_man_suffix "")
endif()
if(TARGET vortavia_sound)
  # One page tells both editions; the second name is a link to it.
  file(CREATE_LINK vortavia.6${pkg_man_suffix} ${pkg_out}/vortavia-sound.6${pkg_man_suffix} SYMBOLIC)
  install(FILES ${pkg_out}/vortavia-sound.6${pkg_man_suffix} DESTINATION ${pkg_mandir} COMPONENT game)
endif()
# The hicolor PNGs and SVG come from tools/icongen; the XPM is for menus
# that only read share/pixmaps.
get_property(pkg_icons GLOBAL PROPERTY VORTAVIA_ICON_DIR)
if(pkg_icons)
  install(DIRECTORY ${pkg_icons}/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons COMPONENT game)
endif()
install(FILES ${pkg_src}/vortavia.xpm DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/pixmaps COMPONENT game)
set(pkg_metainfo org.example.vortavia.metainfo.xml)
configure_file(${pkg_src}/${pkg_metainfo}.in ${pkg_out}/${pkg_metainfo} @ONLY)
install(FILES ${pkg_out}/${pkg_metainfo} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo COMPONENT game)

# ---- licence, changelog, lintian overrides ---------------------------------------
# Each package has its own doc folder, as Debian wants even for a package
# built from the same source; the plain install keeps the licence only.
set(pkg_docroot ${CMAKE_INSTALL_DATAROOTDIR}/doc)
install(FILES ${pkg_src}/copyright DESTINATION ${pkg_docroot}/vortavia COMPONENT game)
install(FILES ${pkg_src}/copyright DESTINATION ${pkg_docroot}/vortavia-data
        COMPONENT data EXCLUDE_FROM_ALL)
configure_file(${pkg_src}/changelog.Debian.in ${pkg_out}/changelog.Debian @ONLY)
if(VORTAVIA_GZIP)
  execute_process(COMMAND ${VORTAVIA_GZIP} -9 -n -c
                  INPUT_FILE ${pkg_out}/changelog.Debian OUTPUT_FILE ${pkg_out}/changelog.Debian.gz)
  install(FILES ${pkg_out}/changelog.Debian.gz DESTINATION ${pkg_docroot}/vortavia
          COMPONENT game EXCLUDE_FROM_ALL)
  install(FILES ${pkg_out}/changelog.Debian.gz DESTINATION ${pkg_docroot}/vortavia-data
          COMPONENT data EXCLUDE_FROM_ALL)
endif()
foreach(pair game:vortavia data:vortavia-data)
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES ${pkg_src}/${package}.lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
          RENAME ${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

# ---- Debian packages (cpack -G DEB) ---------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vortavia)
set(CPACK_PACKAGE_VENDOR "the VORTAVIA 3D developers")
set(CPACK_PACKAGE_CONTACT "${VORTAVIA_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game data)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VORTAVIA_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VORTAVIA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SOURCE vortavia)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_GAME_PACKAGE_NAME vortavia)
set(CPACK_DEBIAN_DATA_PACKAGE_NAME vortavia-data)
set(CPACK_DEBIAN_DATA_PACKAGE_ARCHITECTURE all)
# vortavia depends on vortavia-data of exactly its own version.
set(CPACK_COMPONENT_GAME_DEPENDS data)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

# The first line is each package's summary; CPack indents the rest as Debian
# wants it.
set(CPACK_DEBIAN_GAME_DESCRIPTION "small real-time 3D flight demo in OpenGL
VORTAVIA 3D flies a jet over a textured canyon under a sky, in
fixed-function OpenGL with GLU and freeglut. A cockpit image of the jet
tilts as it banks, a text line shows the frame rate and the speed, and
the canyon walls bounce the jet back.

A short console dialogue chooses the texture quality, the display mode
and the sky before the window opens. Two editions are included:
vortavia, steered and throttled with the arrow keys, and vortavia-sound,
whose throttle is the level of the sound captured from the microphone.")
set(CPACK_DEBIAN_DATA_DESCRIPTION "data files of the VORTAVIA 3D flight demo
The terrain, sky and cockpit textures of VORTAVIA 3D, in a small and a
large set, and the canyon's collision points. They are the same on every
architecture; the programs are in the package vortavia.")

find_program(VORTAVIA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VORTAVIA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_GAME_PACKAGE_SHLIBDEPS ON)
else()
  # Without dpkg-dev, the libraries the programs link, by their Debian 12 names.
  set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS
      "libc6, libstdc++6, libgcc-s1, libglut3.12, libglu1-mesa | libglu1, libgl1, libsdl2-2.0-0")
  if(TARGET vortavia_sound)
    string(APPEND CPACK_DEBIAN_GAME_PACKAGE_DEPENDS ", libasound2")
  endif()
endif()

# Build trees and the repository's history stay out of a source package.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/__pycache__/")
include(CPack)
