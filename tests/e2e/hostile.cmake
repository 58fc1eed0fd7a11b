# Both programs against typed-ahead keys, closed descriptors, a console without a reader, FIFOs and oversized images.
vortavia_add_e2e(e2e_hostile test_hostile.py)
