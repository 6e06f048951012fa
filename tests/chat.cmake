# The chat command language and the memory-button texts.
corvane_add_test(NAME TestCommandTable SOURCES unit/TestCommandTable.cpp LIBS corvane_chat_rules)
