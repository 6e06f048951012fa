# EchoLink session link: the wire protocol, the stand-in and the socket session.
corvane_add_test(NAME TestEchoLinkWire SOURCES unit/TestEchoLinkWire.cpp LIBS corvane_wire)
corvane_add_test(NAME TestStandInControl SOURCES unit/TestStandInControl.cpp LIBS corvane_standin)
corvane_add_test(NAME TestStandInStation SOURCES unit/TestStandInStation.cpp LIBS corvane_standin)
corvane_add_test(NAME TestSocketSession SOURCES unit/TestSocketSession.cpp LIBS corvane_echolink Qt6::Network)
# The session tests start the real stand-in.
add_dependencies(TestSocketSession EchoLink.exe)
# What the alarm-log monitor and the talker display read from EchoLink's texts.
corvane_add_test(NAME TestAlarmLogParse SOURCES unit/TestAlarmLogParse.cpp LIBS corvane_echolink_rules)
corvane_add_test(NAME TestStationTextSplit SOURCES unit/TestStationTextSplit.cpp LIBS corvane_echolink_rules)
corvane_add_test(NAME TestStandInSend SOURCES unit/TestStandInSend.cpp LIBS Qt6::Core)
add_dependencies(TestStandInSend EchoLink.exe)
