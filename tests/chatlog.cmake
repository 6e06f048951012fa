corvane_add_test(SUITE units NAME TestChatLogFormat SOURCES unit/TestChatLogFormat.cpp LIBS corvane_chatlog_store)
corvane_add_test(SUITE units NAME TestChatLog SOURCES unit/TestChatLog.cpp LIBS corvane_chatlog_store)
corvane_add_test(SUITE units NAME TestChatLogIndex SOURCES unit/TestChatLogIndex.cpp LIBS corvane_chatlog_store)
corvane_add_test(SUITE window NAME TestChatLogViewer SOURCES gui/TestChatLogViewer.cpp LIBS corvane_chatlog Qt6::PrintSupport GUI)
