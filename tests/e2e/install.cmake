# The installed tree (cmake --install into a scratch prefix) and the Debian packages, each started for real.
vortavia_add_e2e(e2e_install test_install.py --build-dir ${CMAKE_BINARY_DIR} --source-dir ${CMAKE_SOURCE_DIR})
# The package test builds a tree of its own with Debian's flags, whatever
# this build's; under the sanitizers it would only run the same again.
if(NOT VORTAVIA_SANITIZE)
  vortavia_add_e2e(e2e_package test_install.py --build-dir ${CMAKE_BINARY_DIR} --source-dir ${CMAKE_SOURCE_DIR} --package)
  # Not root: the packages are built and checked, but not installed.
  set_tests_properties(e2e_package PROPERTIES SKIP_RETURN_CODE 77)
endif()
