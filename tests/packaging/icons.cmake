# The menu icons icongen writes into the build tree, as they are installed.
get_property(VORTAVIA_ICON_DIR GLOBAL PROPERTY VORTAVIA_ICON_DIR)
get_property(VORTAVIA_ICON_SIZES GLOBAL PROPERTY VORTAVIA_ICON_SIZES)
if(TARGET icongen)
  add_test(NAME icons
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/test_icons.py
                   --icon-dir ${VORTAVIA_ICON_DIR} --icongen $<TARGET_FILE:icongen> ${VORTAVIA_ICON_SIZES})
  set_tests_properties(icons PROPERTIES TIMEOUT 120 LABELS unit)
endif()
