# Platform seams: the power-off and the sounds, through their test hooks only. No test switches the
# computer off or plays a sound.
corvane_add_test(SUITE units NAME TestPowerControl SOURCES unit/TestPowerControl.cpp LIBS corvane_platform)
corvane_add_test(SUITE units NAME TestSoundPlayer SOURCES unit/TestSoundPlayer.cpp LIBS corvane_platform)
