# The sound-throttle edition from the console to Escape, capturing from ALSA file devices.
vortavia_add_e2e(e2e_sound test_sound.py)
set_property(TEST e2e_sound APPEND PROPERTY LABELS sound)
