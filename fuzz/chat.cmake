# The chat command decoder: typed and received command text.
corvane_add_fuzz(fuzz_commands SOURCES fuzz_commands.cpp LIBS corvane_chat_rules)
