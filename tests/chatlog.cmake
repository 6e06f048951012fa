corvane_add_test(NAME TestChatLogFormat SOURCES unit/TestChatLogFormat.cpp LIBS corvane_chatlog_store)
corvane_add_test(NAME TestChatLog SOURCES unit/TestChatLog.cpp LIBS corvane_chatlog_store)
corvane_add_test(NAME TestChatLogIndex SOURCES unit/TestChatLogIndex.cpp LIBS corvane_chatlog_store)
corvane_add_test(NAME TestChatLogViewer SOURCES gui/TestChatLogViewer.cpp LIBS corvane_chatlog Qt6::PrintSupport GUI)
