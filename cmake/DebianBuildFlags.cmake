# DebianBuildFlags.cmake -- VORTAVIA_DEB_BUILDFLAGS: compile and link everything as a Debian package build does.
#
# The package's programs must pass hardening-check: fortified libc calls, a
# strong stack protector, full RELRO with immediate binding and PIE. Debian
# keeps those flags in dpkg-buildflags, so they are asked for here instead of
# being copied; a developer's build keeps its own flags with the option off.
# (Control-flow protection is out of reach on Debian 12: its C start files
# carry no IBT/SHSTK property, so the linker leaves it off every program.)
option(VORTAVIA_DEB_BUILDFLAGS "Build with dpkg-buildflags and DEB_BUILD_MAINT_OPTIONS=hardening=+all" OFF)
if(NOT VORTAVIA_DEB_BUILDFLAGS)
  return()
endif()

find_program(VORTAVIA_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT VORTAVIA_DPKG_BUILDFLAGS)
  message(FATAL_ERROR "VORTAVIA_DEB_BUILDFLAGS needs dpkg-buildflags (Debian package dpkg-dev)")
endif()
foreach(kind CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
  # From the source folder, so that its -ffile-prefix-map names this tree.
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${VORTAVIA_DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    OUTPUT_VARIABLE deb_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed (${status})")
  endif()
endforeach()
string(APPEND CMAKE_C_FLAGS " ${deb_CPPFLAGS} ${deb_CFLAGS}")
string(APPEND CMAKE_CXX_FLAGS " ${deb_CPPFLAGS} ${deb_CXXFLAGS}")
foreach(kind EXE SHARED MODULE)
  string(APPEND CMAKE_${kind}_LINKER_FLAGS " ${deb_LDFLAGS}")
endforeach()

# Debian's compilers make PIE by default, and dpkg-buildflags then adds
# nothing for it; asking CMake for it keeps it whatever the compiler's default.
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
message(STATUS "Debian build flags: ${CMAKE_CXX_FLAGS} | ${deb_LDFLAGS}")
