# The EchoLink directory's station list: parsing a list of the real network's size and the largest allowed.
if(TARGET corvane_echolink_directory)
    corvane_add_bench(bench_directory_list bench_directory_list.cpp)
    target_link_libraries(bench_directory_list PRIVATE corvane_echolink_directory)
endif()

# The station directory window: filtering per keystroke and opening on a large list.
corvane_add_bench(bench_directory bench_directory.cpp)
target_link_libraries(bench_directory PRIVATE corvane_directory Qt6::Test)
