# The EchoLink node on loopback: chat latency into the window and the keying delay (where the node is built).
if(TARGET corvane-echolinkd)
    corvane_add_bench(bench_node_loopback bench_node_loopback.cpp)
    target_link_libraries(bench_node_loopback PRIVATE corvane_app Qt6::Test)
    target_compile_definitions(bench_node_loopback PRIVATE
        CORVANE_NODE_PROGRAM="$<TARGET_FILE:corvane-echolinkd>"
        CORVANE_FAKE_DIRECTORY_PROGRAM="$<TARGET_FILE:fake-echolink-directory>")
    add_dependencies(bench_node_loopback corvane-echolinkd fake-echolink-directory)
endif()

# The node's CPU for one QSO and a conference of three library stations, next to SvxLink's where it is
# installed (where the interop peer is built).
if(TARGET corvane-echolinkd AND TARGET echolib-peer)
    corvane_add_bench(bench_node_conference bench_node_conference.cpp)
    target_link_libraries(bench_node_conference PRIVATE corvane_echolink corvane_node_units Qt6::Test)
    target_compile_definitions(bench_node_conference PRIVATE
        CORVANE_NODE_PROGRAM="$<TARGET_FILE:corvane-echolinkd>"
        CORVANE_FAKE_DIRECTORY_PROGRAM="$<TARGET_FILE:fake-echolink-directory>"
        CORVANE_ECHOLIB_PEER_PROGRAM="$<TARGET_FILE:echolib-peer>")
    add_dependencies(bench_node_conference corvane-echolinkd fake-echolink-directory echolib-peer)
    if(SVXLINK_PROGRAM)
        target_compile_definitions(bench_node_conference PRIVATE CORVANE_SVXLINK_PROGRAM="${SVXLINK_PROGRAM}")
    endif()
endif()
