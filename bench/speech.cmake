# Speech: latency of our queue to the engine, and espeak-ng's first sample through the backend vs direct.
corvane_add_bench(bench_speech_queue bench_speech_queue.cpp)
target_link_libraries(bench_speech_queue PRIVATE corvane_speech)

corvane_add_bench(bench_speech_espeak bench_speech_espeak.cpp)
target_include_directories(bench_speech_espeak SYSTEM PRIVATE ${ESPEAK_NG_INCLUDE_DIR})
target_link_libraries(bench_speech_espeak PRIVATE corvane_speech ${ESPEAK_NG_LIBRARY})

# Sharing a real speech-dispatcher with a screen reader: the delay after Tab and station events cut.
corvane_add_bench(bench_shared_speech bench_shared_speech.cpp)
target_link_libraries(bench_shared_speech PRIVATE corvane_app Qt6::Test)
