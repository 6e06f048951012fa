# Platform seams: the power-off and the sounds, through their test hooks only. No test switches the
# computer off or plays a sound.
corvane_add_test(SUITE units NAME TestPowerControl SOURCES unit/TestPowerControl.cpp LIBS corvane_platform)
corvane_add_test(SUITE units NAME TestSoundPlayer SOURCES unit/TestSoundPlayer.cpp LIBS corvane_platform)
# Whether a screen reader runs: the registry's focus listeners, against a real registry on a private bus.
corvane_add_test(SUITE units NAME TestScreenReaderPresence SOURCES unit/TestScreenReaderPresence.cpp LIBS corvane_platform)
