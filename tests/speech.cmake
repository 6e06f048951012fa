# Speech: phonetics, the volume-tag reader, our queue with a fake engine, the transcript hook, the
# voice choice and the generated warning sound. No test starts a real speech engine.
corvane_add_test(NAME TestPhonetics SOURCES unit/TestPhonetics.cpp LIBS corvane_speech)
corvane_add_test(NAME TestVoiceMarkup SOURCES unit/TestVoiceMarkup.cpp LIBS corvane_speech)
corvane_add_test(NAME TestSpeechQueue SOURCES unit/TestSpeechQueue.cpp mock/FakeSpeechEngine.h LIBS corvane_speech)
corvane_add_test(NAME TestQueuedVoice SOURCES unit/TestQueuedVoice.cpp mock/FakeSpeechEngine.h LIBS corvane_speech)
corvane_add_test(NAME TestTranscriptVoice SOURCES unit/TestTranscriptVoice.cpp LIBS corvane_speech)
corvane_add_test(NAME TestVoiceFactory SOURCES unit/TestVoiceFactory.cpp LIBS corvane_speech)
corvane_add_test(NAME TestWarningTone SOURCES unit/TestWarningTone.cpp LIBS corvane_warning_tone)
