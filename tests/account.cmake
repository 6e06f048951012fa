# The EchoLink account set-up: its file and its dialog through real key events.
corvane_add_test(NAME TestAccountFile SOURCES unit/TestAccountFile.cpp LIBS corvane_account)
corvane_add_test(NAME TestAccountDialog SOURCES gui/TestAccountDialog.cpp LIBS corvane_app GUI)
# Where the node is built, what the dialog writes is read back by the node's own configuration reader.
if(TARGET corvane_node_units)
    target_link_libraries(TestAccountFile PRIVATE corvane_node_units)
    target_compile_definitions(TestAccountFile PRIVATE CORVANE_WITH_NODE_CONFIG)
endif()
