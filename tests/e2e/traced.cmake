# Recorded GL calls of the real programs: sky hints, reshapes, and both ways out.
vortavia_add_e2e(e2e_traced test_traced.py)
