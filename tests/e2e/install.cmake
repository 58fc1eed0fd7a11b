# The installed tree (cmake --install into a scratch prefix) and the Debian package, each started for real.
vortavia_add_e2e(e2e_install test_install.py --build-dir ${CMAKE_BINARY_DIR})
vortavia_add_e2e(e2e_package test_install.py --build-dir ${CMAKE_BINARY_DIR} --package)
