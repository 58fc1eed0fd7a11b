# web.cmake -- the web edition's platform files, GL layer and program (Emscripten builds only).
add_library(vortavia_platform STATIC
  platform/file_posix.cpp
  platform/web/clock_web.cpp
  platform/web/console_web.cpp
  platform/web/console_out_web.cpp
  platform/web/glut_web.cpp
  platform/web/keyboard_web.cpp
  platform/web/process_web.cpp
  platform/web/signals_web.cpp)
# GL/freeglut.h is the web's own; GL/gl.h and GL/glu.h are Emscripten's.
target_include_directories(vortavia_platform PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}
                           ${CMAKE_CURRENT_SOURCE_DIR}/platform/web/include)
add_subdirectory(platform/webgl)
target_link_libraries(vortavia_platform PUBLIC vortavia_webgl)
add_library(vortavia_gamepad STATIC platform/web/gamepad_web.cpp)
target_include_directories(vortavia_gamepad PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

# The page's files side by side: the program, its data, the page itself.
set(VORTAVIA_WEB_DIR ${CMAKE_BINARY_DIR}/web)
set(VORTAVIA_WEB_LIBRARY ${CMAKE_CURRENT_SOURCE_DIR}/platform/web/web_library.js)
set(VORTAVIA_WEB_PAGE ${CMAKE_CURRENT_SOURCE_DIR}/platform/web/index.html)
add_executable(vortavia_web app/main_keyboard.cpp)
target_link_libraries(vortavia_web PRIVATE vortavia_core)
set_target_properties(vortavia_web PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VORTAVIA_WEB_DIR} SUFFIX .js
                      LINK_DEPENDS "${VORTAVIA_WEB_LIBRARY}")
# The dialogue's key reads and the frames' turns wait for the browser
# without leaving the game's code (asyncify); the game's exit status
# reaches the page (exit runtime); the data files are read from the
# program's working directory, as natively.
target_link_options(vortavia_web PRIVATE
  -sASYNCIFY=1 "-sASYNCIFY_IMPORTS=['webConsoleNextByte','webGiveTurn']"
  -sEXIT_RUNTIME=1 -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web -sASYNCIFY_STACK_SIZE=65536
  "-sEXPORTED_RUNTIME_METHODS=['FS','ENV','addRunDependency','removeRunDependency']"
  "SHELL:--js-library ${VORTAVIA_WEB_LIBRARY}"
  "SHELL:--preload-file ${VORTAVIA_HOST_DIR}/game@/"
  "SHELL:--exclude-file ${VORTAVIA_HOST_DIR}/game/vortavia*")
add_custom_command(OUTPUT ${VORTAVIA_WEB_DIR}/index.html
  COMMAND ${CMAKE_COMMAND} -E copy ${VORTAVIA_WEB_PAGE} ${VORTAVIA_WEB_DIR}/index.html
  DEPENDS ${VORTAVIA_WEB_PAGE})
add_custom_target(vortavia_web_page DEPENDS ${VORTAVIA_WEB_DIR}/index.html)
add_dependencies(vortavia_web vortavia_web_page)
