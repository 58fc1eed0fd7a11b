vortavia_add_test(test_flight_model test_flight_model.cpp)
vortavia_add_test(test_controls test_controls.cpp)
vortavia_add_test(test_collision test_collision.cpp)
target_compile_definitions(test_collision PRIVATE VORTAVIA_GAME_DIR="${VORTAVIA_GAME_DIR}")
