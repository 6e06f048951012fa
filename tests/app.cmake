# The window and its start-up, driven through the real widgets with fake EchoLink, voice, desktop and clock.
set(CORVANE_FORM_TEST_LIBS corvane_app)

corvane_add_test(NAME TestClock SOURCES unit/TestClock.cpp LIBS corvane_time)
corvane_add_test(NAME TestProcesses SOURCES unit/TestProcesses.cpp LIBS corvane_platform)
corvane_add_test(NAME TestStartUp SOURCES gui/TestStartUp.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(NAME TestSpeechOperations SOURCES gui/TestSpeechOperations.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(NAME TestChatLine SOURCES gui/TestChatLine.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(NAME TestConnectionControl SOURCES gui/TestConnectionControl.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(NAME TestSettingsApply SOURCES gui/TestSettingsApply.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(NAME TestMainWindow SOURCES gui/TestMainWindow.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(NAME TestStandInEndToEnd SOURCES gui/TestStandInEndToEnd.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
add_dependencies(TestStandInEndToEnd EchoLink.exe)
corvane_add_test(NAME TestHostileText SOURCES gui/TestHostileText.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
