# The window and its start-up, driven through the real widgets with fake EchoLink, voice, desktop and clock.
set(CORVANE_FORM_TEST_LIBS corvane_app)

corvane_add_test(SUITE units NAME TestClock SOURCES unit/TestClock.cpp LIBS corvane_time)
corvane_add_test(SUITE units NAME TestProcesses SOURCES unit/TestProcesses.cpp LIBS corvane_platform)
corvane_add_test(SUITE window NAME TestStartUp SOURCES gui/TestStartUp.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestSpeechOperations SOURCES gui/TestSpeechOperations.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestChatLine SOURCES gui/TestChatLine.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestConnectionControl SOURCES gui/TestConnectionControl.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestSettingsApply SOURCES gui/TestSettingsApply.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestMainWindow SOURCES gui/TestMainWindow.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestDisplaySettings SOURCES gui/TestDisplaySettings.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestFocusAnnouncements SOURCES gui/TestFocusAnnouncements.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestStandInEndToEnd SOURCES gui/TestStandInEndToEnd.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestHostileText SOURCES gui/TestHostileText.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestShutDown SOURCES gui/TestShutDown.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestCloseEndToEnd SOURCES gui/TestCloseEndToEnd.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestStationMonitor SOURCES gui/TestStationMonitor.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestTransmitControl SOURCES gui/TestTransmitControl.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestChatLogFailure SOURCES gui/TestChatLogFailure.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
# The key preview and the function-key map through the real widgets.
corvane_add_test(SUITE window NAME TestKeyPreview SOURCES gui/TestKeyPreview.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
corvane_add_test(SUITE window NAME TestKeyboardMap SOURCES gui/TestKeyboardMap.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
# The program itself on a private X server, keys typed on the X keyboard and pixels read from the screen. It
# starts the built program and stand-in as processes, so it links no part of Corvane.
add_executable(TestScreenEndToEnd gui/TestScreenEndToEnd.cpp)
target_include_directories(TestScreenEndToEnd PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(TestScreenEndToEnd PRIVATE Qt6::Test Qt6::Gui)
corvane_target_defaults(TestScreenEndToEnd)
add_dependencies(TestScreenEndToEnd corvane EchoLink.exe)
add_test(NAME TestScreenEndToEnd
         COMMAND ${CMAKE_SOURCE_DIR}/tests/util/run-on-x.sh ${CMAKE_SOURCE_DIR}/tests/util/run-isolated.sh
                 $<TARGET_FILE:TestScreenEndToEnd>)
set_tests_properties(TestScreenEndToEnd PROPERTIES
    ENVIRONMENT "CORVANE_PROGRAM=$<TARGET_FILE:corvane>;CORVANE_STANDIN=$<TARGET_FILE:EchoLink.exe>"
    SKIP_RETURN_CODE 77 TIMEOUT 120)
# The EchoLink account set-up: its file and password store alone, and the dialog through its widgets, with
# its check against the fake directory on an ephemeral loopback port.
corvane_add_test(SUITE units NAME TestAccountFile SOURCES unit/TestAccountFile.cpp LIBS corvane_account Qt6::DBus)
if(TARGET corvane_node_units)
    target_link_libraries(corvane_tests_units PRIVATE corvane_node_units)
    target_compile_definitions(corvane_tests_units PRIVATE CORVANE_HAVE_NODE_CONFIG)
endif()
corvane_add_test(SUITE window NAME TestAccountDialog SOURCES gui/TestAccountDialog.cpp
                 LIBS ${CORVANE_FORM_TEST_LIBS} corvane_account_ui GUI)
if(TARGET fake-echolink-directory)
    add_dependencies(corvane_tests_window fake-echolink-directory)
    set_property(TEST TestAccountDialog APPEND PROPERTY ENVIRONMENT
                 "CORVANE_FAKE_DIRECTORY=$<TARGET_FILE:fake-echolink-directory>")
endif()
# Beside a screen reader: echo left to it, station events still spoken, the volume bar and transmit time as read.
corvane_add_test(SUITE window NAME TestScreenReaderSharing SOURCES gui/TestScreenReaderSharing.cpp LIBS ${CORVANE_FORM_TEST_LIBS} GUI)
