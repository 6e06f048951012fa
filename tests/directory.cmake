# The station directory: its list on the wire, the filter, and the window through real key events.
corvane_add_test(NAME TestStationDirectory SOURCES unit/TestStationDirectory.cpp LIBS corvane_wire)
corvane_add_test(NAME TestDirectoryWindow SOURCES gui/TestDirectoryWindow.cpp LIBS corvane_app GUI)
