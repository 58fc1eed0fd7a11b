vortavia_add_e2e(e2e_keyboard test_keyboard.py)
vortavia_add_e2e(e2e_game_mode test_gamemode.py)
