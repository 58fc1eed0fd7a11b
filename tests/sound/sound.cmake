# The wave-in layer on real ALSA, and the sound-throttle edition's rules.
vortavia_add_test(test_wavein_alsa test_wavein_alsa.cpp alsa_devices.cpp LIBS vortavia_sound_lib)
vortavia_add_test(test_sound_throttle test_sound_throttle.cpp alsa_devices.cpp LIBS vortavia_sound_lib)
set_property(TEST test_wavein_alsa test_sound_throttle APPEND PROPERTY LABELS sound)
# Mesa's rasterizer threads are not instrumented and confuse ThreadSanitizer;
# the GL test draws on its main thread alone.
set_property(TEST test_sound_throttle APPEND PROPERTY ENVIRONMENT LP_NUM_THREADS=0)
