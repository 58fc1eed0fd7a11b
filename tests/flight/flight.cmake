vortavia_add_test(test_flight_model test_flight_model.cpp LIBS vortavia_sound_lib)
vortavia_add_test(test_controls test_controls.cpp)
vortavia_add_test(test_collision test_collision.cpp)
target_compile_definitions(test_collision PRIVATE VORTAVIA_GAME_DIR="${VORTAVIA_GAME_DIR}")
# The random flight is checked against the generator's own heightmap.
target_sources(test_collision PRIVATE ${PROJECT_SOURCE_DIR}/tools/worldgen/world.cpp)
target_include_directories(test_collision PRIVATE ${PROJECT_SOURCE_DIR}/tools)
