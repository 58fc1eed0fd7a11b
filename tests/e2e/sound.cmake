# The sound-throttle edition from the console to Escape, capturing from ALSA file devices.
vortavia_add_e2e(e2e_sound test_sound.py)
set_property(TEST e2e_sound APPEND PROPERTY LABELS sound)
# The same edition through private PulseAudio and PipeWire servers, by ALSA's pulse plugin.
vortavia_add_e2e(e2e_sound_servers test_sound_servers.py)
