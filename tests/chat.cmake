# The chat command language and the memory-button texts.
corvane_add_test(SUITE units NAME TestCommandTable SOURCES unit/TestCommandTable.cpp LIBS corvane_chat_rules)
# The command decoder, the memory buttons and the away reply through the window.
corvane_add_test(SUITE window NAME TestCommandDecoder SOURCES gui/TestCommandDecoder.cpp LIBS corvane_app GUI)
corvane_add_test(SUITE window NAME TestMemoryButtons SOURCES gui/TestMemoryButtons.cpp LIBS corvane_app GUI)
corvane_add_test(SUITE window NAME TestAwayReply SOURCES gui/TestAwayReply.cpp LIBS corvane_app GUI)
corvane_add_test(SUITE window NAME TestCommandsEndToEnd SOURCES gui/TestCommandsEndToEnd.cpp LIBS corvane_app GUI)
