vortavia_add_e2e(e2e_world test_world.py)
