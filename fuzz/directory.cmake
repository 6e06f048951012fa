# What the EchoLink directory sends: the login answer and the station list, and the station addresses in it.
if(TARGET corvane_echolink_directory)
    corvane_add_fuzz(fuzz_directory_list SOURCES fuzz_directory_list.cpp LIBS corvane_echolink_directory)
    corvane_add_fuzz(fuzz_directory_login SOURCES fuzz_directory_login.cpp LIBS corvane_echolink_directory)
endif()
