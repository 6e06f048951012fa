# The chat command language and the memory-button texts.
corvane_add_test(NAME TestCommandTable SOURCES unit/TestCommandTable.cpp LIBS corvane_chat_rules)
# The command decoder, the memory buttons and the away reply through the window.
corvane_add_test(NAME TestCommandDecoder SOURCES gui/TestCommandDecoder.cpp LIBS corvane_app GUI)
corvane_add_test(NAME TestMemoryButtons SOURCES gui/TestMemoryButtons.cpp LIBS corvane_app GUI)
corvane_add_test(NAME TestAwayReply SOURCES gui/TestAwayReply.cpp LIBS corvane_app GUI)
corvane_add_test(NAME TestCommandsEndToEnd SOURCES gui/TestCommandsEndToEnd.cpp LIBS corvane_app GUI)
add_dependencies(TestCommandsEndToEnd EchoLink.exe)
