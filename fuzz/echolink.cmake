# Outside input of the EchoLink link: protocol lines on both sides and the stand-in's control commands.
corvane_add_fuzz(fuzz_wire SOURCES fuzz_wire.cpp LIBS corvane_wire)
corvane_add_fuzz(fuzz_wire_standin SOURCES fuzz_wire_standin.cpp LIBS corvane_standin)
corvane_add_fuzz(fuzz_wire_control SOURCES fuzz_wire_control.cpp LIBS corvane_standin)
