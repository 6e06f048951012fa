# The EchoLink node's own parsing of outside input: its configuration file, what stations send, WAV files
# and the calls on its socket. Built where the node is.
if(TARGET corvane_node_units)
    corvane_add_fuzz(fuzz_node_config SOURCES fuzz_node_config.cpp LIBS corvane_node_units)
    corvane_add_fuzz(fuzz_node_network SOURCES fuzz_node_network.cpp LIBS corvane_node_units)
    corvane_add_fuzz(fuzz_node_calls SOURCES fuzz_node_calls.cpp LIBS corvane_node_units)
    corvane_add_fuzz(fuzz_node_packets SOURCES fuzz_node_packets.cpp LIBS corvane_node_units)
endif()
