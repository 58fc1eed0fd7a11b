# About a minute of random flight in all: 30 s for each edition.
vortavia_add_e2e(e2e_soak test_soak.py --seconds 30)
set_tests_properties(e2e_soak PROPERTIES TIMEOUT 600)
