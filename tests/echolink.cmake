# EchoLink session link: the wire protocol, the stand-in and the socket session.
corvane_add_test(SUITE units NAME TestEchoLinkWire SOURCES unit/TestEchoLinkWire.cpp LIBS corvane_wire)
corvane_add_test(SUITE units NAME TestStandInControl SOURCES unit/TestStandInControl.cpp LIBS corvane_standin)
corvane_add_test(SUITE units NAME TestStandInStation SOURCES unit/TestStandInStation.cpp LIBS corvane_standin)
corvane_add_test(SUITE units NAME TestSocketSession SOURCES unit/TestSocketSession.cpp LIBS corvane_echolink Qt6::Network)
# What the alarm-log monitor and the talker display read from EchoLink's texts.
corvane_add_test(SUITE units NAME TestAlarmLogParse SOURCES unit/TestAlarmLogParse.cpp LIBS corvane_echolink_rules)
corvane_add_test(SUITE units NAME TestStationTextSplit SOURCES unit/TestStationTextSplit.cpp LIBS corvane_echolink_rules)
corvane_add_test(SUITE units NAME TestStandInSend SOURCES unit/TestStandInSend.cpp LIBS Qt6::Core)
corvane_add_test(SUITE units NAME TestConnectionStates SOURCES unit/TestConnectionStates.cpp LIBS corvane_echolink_control)
corvane_add_test(SUITE units NAME TestTransmitRules SOURCES unit/TestTransmitRules.cpp LIBS corvane_echolink_control)
