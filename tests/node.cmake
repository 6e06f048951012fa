# The EchoLink node (built only where the EchoLink protocol library is installed): its plain units, and
# two nodes with the fake directory on loopback. The loopback tests share fixed ports (the directory's
# 5200 and the nodes' 5198-5199), so they never run at the same time as one another.
if(TARGET corvane-echolinkd)
    corvane_add_test(NAME TestNodeConfig SOURCES unit/TestNodeConfig.cpp LIBS corvane_node_units)
    corvane_add_test(NAME TestNodeText SOURCES unit/TestNodeText.cpp LIBS corvane_node_units)
    corvane_add_test(NAME TestEchoLinkPackets SOURCES unit/TestEchoLinkPackets.cpp LIBS corvane_node_units)
    corvane_add_test(NAME TestEchoLinkQso SOURCES unit/TestEchoLinkQso.cpp LIBS corvane_node_units)
    corvane_add_test(NAME TestNodeServer SOURCES unit/TestNodeServer.cpp LIBS corvane_node_stack)
    corvane_add_test(NAME TestNodeLoopback TIMEOUT 90 SOURCES node/TestNodeLoopback.cpp node/NodeHarness.h
                     LIBS corvane_echolink corvane_node_units)
    target_compile_definitions(TestNodeLoopback PRIVATE
        CORVANE_NODE_PROGRAM="$<TARGET_FILE:corvane-echolinkd>"
        CORVANE_FAKE_DIRECTORY_PROGRAM="$<TARGET_FILE:fake-echolink-directory>")
    add_dependencies(TestNodeLoopback corvane-echolinkd fake-echolink-directory)
    set_tests_properties(TestNodeLoopback PROPERTIES RESOURCE_LOCK echolink_loopback_ports)

    corvane_add_test(NAME TestNodeEndToEnd TIMEOUT 60 SOURCES node/TestNodeEndToEnd.cpp node/NodeHarness.h
                     LIBS corvane_app corvane_node_units GUI)
    target_compile_definitions(TestNodeEndToEnd PRIVATE
        CORVANE_NODE_PROGRAM="$<TARGET_FILE:corvane-echolinkd>"
        CORVANE_FAKE_DIRECTORY_PROGRAM="$<TARGET_FILE:fake-echolink-directory>")
    add_dependencies(TestNodeEndToEnd corvane-echolinkd fake-echolink-directory)
    set_tests_properties(TestNodeEndToEnd PROPERTIES RESOURCE_LOCK echolink_loopback_ports)

    corvane_add_test(NAME TestNodeHostile TIMEOUT 120 SOURCES node/TestNodeHostile.cpp node/NodeHarness.h
                     LIBS corvane_echolink corvane_node_units)
    target_compile_definitions(TestNodeHostile PRIVATE
        CORVANE_NODE_PROGRAM="$<TARGET_FILE:corvane-echolinkd>"
        CORVANE_FAKE_DIRECTORY_PROGRAM="$<TARGET_FILE:fake-echolink-directory>")
    add_dependencies(TestNodeHostile corvane-echolinkd fake-echolink-directory)
    set_tests_properties(TestNodeHostile PROPERTIES RESOURCE_LOCK echolink_loopback_ports)
endif()

# Interop with a station on Debian's EchoLink library, where that library is installed: it is no part of
# the product, only this peer's.
if(TARGET corvane-echolinkd AND CORVANE_ECHOLIB_PEER)
    add_executable(echolib-peer node/peer/echolib_peer.cpp)
    target_include_directories(echolib-peer SYSTEM PRIVATE ${ECHOLIB_INCLUDE_DIR})
    target_compile_definitions(echolib-peer PRIVATE INTERNAL_SAMPLE_RATE=8000)
    target_link_libraries(echolib-peer PRIVATE ${ECHOLIB_LIBRARY} ${ASYNCCPP_LIBRARY} ${ASYNCCORE_LIBRARY}
        ${ASYNCAUDIO_LIBRARY} PkgConfig::SIGCXX)
    corvane_add_test(NAME TestNodeInterop TIMEOUT 120 SOURCES node/TestNodeInterop.cpp node/NodeHarness.h
                     LIBS corvane_echolink corvane_node_units)
    target_compile_definitions(TestNodeInterop PRIVATE
        CORVANE_NODE_PROGRAM="$<TARGET_FILE:corvane-echolinkd>"
        CORVANE_FAKE_DIRECTORY_PROGRAM="$<TARGET_FILE:fake-echolink-directory>"
        CORVANE_ECHOLIB_PEER_PROGRAM="$<TARGET_FILE:echolib-peer>")
    add_dependencies(TestNodeInterop corvane-echolinkd fake-echolink-directory echolib-peer)
    set_tests_properties(TestNodeInterop PROPERTIES RESOURCE_LOCK echolink_loopback_ports)
endif()

# Interop with SvxLink's EchoLink module (Debian's svxlink-server), where it is installed.
find_program(SVXLINK_PROGRAM svxlink PATHS /usr/bin)
if(TARGET corvane-echolinkd AND SVXLINK_PROGRAM)
    corvane_add_test(NAME TestNodeSvxLink TIMEOUT 120 SOURCES node/TestNodeSvxLink.cpp node/NodeHarness.h
                     LIBS corvane_echolink corvane_node_units)
    target_compile_definitions(TestNodeSvxLink PRIVATE
        CORVANE_NODE_PROGRAM="$<TARGET_FILE:corvane-echolinkd>"
        CORVANE_FAKE_DIRECTORY_PROGRAM="$<TARGET_FILE:fake-echolink-directory>"
        CORVANE_SVXLINK_PROGRAM="${SVXLINK_PROGRAM}")
    add_dependencies(TestNodeSvxLink corvane-echolinkd fake-echolink-directory)
    set_tests_properties(TestNodeSvxLink PROPERTIES RESOURCE_LOCK echolink_loopback_ports)
    if(TARGET echolib-peer)
        target_compile_definitions(TestNodeSvxLink PRIVATE CORVANE_ECHOLIB_PEER_PROGRAM="$<TARGET_FILE:echolib-peer>")
        add_dependencies(TestNodeSvxLink echolib-peer)
    endif()
endif()
