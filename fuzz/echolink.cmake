# Outside input of the EchoLink link: protocol lines on both sides and the stand-in's control commands.
corvane_add_fuzz(fuzz_wire SOURCES fuzz_wire.cpp LIBS corvane_wire)
corvane_add_fuzz(fuzz_wire_standin SOURCES fuzz_wire_standin.cpp LIBS corvane_standin)
corvane_add_fuzz(fuzz_wire_control SOURCES fuzz_wire_control.cpp LIBS corvane_standin)
# EchoLink's own texts: the alarm log and the station text.
corvane_add_fuzz(fuzz_alarmlog SOURCES fuzz_alarmlog.cpp LIBS corvane_echolink_rules)
corvane_add_fuzz(fuzz_stationtext SOURCES fuzz_stationtext.cpp LIBS corvane_echolink_rules)
