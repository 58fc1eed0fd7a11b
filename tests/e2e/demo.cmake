# --record and --timedemo: exact replay, every way out, ignored keys and bad files; then the sound edition's replay.
vortavia_add_e2e(e2e_demo test_demo.py)
vortavia_add_e2e(e2e_demo_sound test_demo.py --sound)
set_property(TEST e2e_demo_sound APPEND PROPERTY LABELS sound)
