# The EchoLink directory: its protocol and station list alone, and the client against the fake directory on
# an ephemeral loopback port (so no port is shared with other tests).
if(TARGET corvane_echolink_directory)
    corvane_add_test(NAME TestDirectoryProtocol SOURCES unit/TestDirectoryProtocol.cpp
                     LIBS corvane_echolink_directory)
endif()
