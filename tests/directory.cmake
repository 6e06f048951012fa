# The EchoLink directory: its protocol and station list alone, and the client against the fake directory on
# an ephemeral loopback port (so no port is shared with other tests).
if(TARGET corvane_echolink_directory)
    corvane_add_test(NAME TestDirectoryProtocol SOURCES unit/TestDirectoryProtocol.cpp
                     LIBS corvane_echolink_directory)
endif()

if(TARGET corvane_echolink_directory AND TARGET fake-echolink-directory)
    corvane_add_test(NAME TestDirectoryClient TIMEOUT 90 SOURCES unit/TestDirectoryClient.cpp
                     LIBS corvane_echolink_directory Qt6::Network)
    target_compile_definitions(TestDirectoryClient PRIVATE
        CORVANE_FAKE_DIRECTORY_PROGRAM="$<TARGET_FILE:fake-echolink-directory>")
    add_dependencies(TestDirectoryClient fake-echolink-directory)
endif()

# The station directory: its list on the wire, the filter, and the window through real key events.
corvane_add_test(SUITE units NAME TestStationDirectory SOURCES unit/TestStationDirectory.cpp LIBS corvane_wire)
corvane_add_test(SUITE window NAME TestDirectoryWindow SOURCES gui/TestDirectoryWindow.cpp LIBS corvane_app GUI)
