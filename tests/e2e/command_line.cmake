# Both programs' options: --help, --version, bad options, answers given ahead of time.
vortavia_add_e2e(e2e_command_line test_command_line.py)
