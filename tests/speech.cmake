# Speech: phonetics, the volume-tag reader, our queue with a fake engine, the transcript hook, the
# voice choice and the generated warning sound. No test starts a real speech engine.
corvane_add_test(SUITE units NAME TestPhonetics SOURCES unit/TestPhonetics.cpp LIBS corvane_speech)
corvane_add_test(SUITE units NAME TestVoiceMarkup SOURCES unit/TestVoiceMarkup.cpp LIBS corvane_speech)
corvane_add_test(SUITE units NAME TestSpeechQueue SOURCES unit/TestSpeechQueue.cpp mock/FakeSpeechEngine.h LIBS corvane_speech)
corvane_add_test(SUITE units NAME TestSpeechdEngine SOURCES unit/TestSpeechdEngine.cpp LIBS corvane_speech)
corvane_add_test(SUITE units NAME TestQueuedVoice SOURCES unit/TestQueuedVoice.cpp mock/FakeSpeechEngine.h LIBS corvane_speech)
corvane_add_test(SUITE units NAME TestTranscriptVoice SOURCES unit/TestTranscriptVoice.cpp LIBS corvane_speech)
corvane_add_test(SUITE units NAME TestVoiceFactory SOURCES unit/TestVoiceFactory.cpp LIBS corvane_speech)
corvane_add_test(SUITE units NAME TestReconnectingVoice SOURCES unit/TestReconnectingVoice.cpp mock/FakeVoice.h LIBS corvane_speech)
corvane_add_test(SUITE units NAME TestWarningTone SOURCES unit/TestWarningTone.cpp LIBS corvane_warning_tone)
# The keyboard and display rules: key echo names, Backspace feedback, the function-key map, the colour
# schemes and the clocks. Plain functions; no window, no voice.
corvane_add_test(SUITE units NAME TestKeyNames SOURCES unit/TestKeyNames.cpp LIBS corvane_speech)
corvane_add_test(SUITE units NAME TestKeyMap SOURCES unit/TestKeyMap.cpp LIBS corvane_speech)
corvane_add_test(SUITE units NAME TestColorSchemes SOURCES unit/TestColorSchemes.cpp LIBS corvane_speech)
corvane_add_test(SUITE units NAME TestClocks SOURCES unit/TestClocks.cpp LIBS corvane_speech)
# Corvane and a second client (playing the screen reader) on a real speech-dispatcher that the test starts
# with its own socket, configuration and a stand-in output module whose log is the evidence.
corvane_add_test(SUITE window NAME TestSharedSpeech SOURCES gui/TestSharedSpeech.cpp LIBS corvane_app GUI TIMEOUT 300)
