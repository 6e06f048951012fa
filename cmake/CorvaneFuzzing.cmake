# A libFuzzer build instruments everything it compiles, not only the harnesses: the parsers live in the
# libraries the fuzz targets link, and without coverage counters and sanitizer checks there the fuzzer
# runs blind. Compiling with fuzzer-no-link adds the coverage instrumentation without libFuzzer's main,
# so the programs and libraries still link as usual; only the fuzz targets link libFuzzer itself.
set(CORVANE_FUZZING OFF)
if(CORVANE_LIBFUZZER)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        set(CORVANE_FUZZING ON)
        add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                            -fno-omit-frame-pointer)
        add_link_options(-fsanitize=address,undefined)
    else()
        message(WARNING "CORVANE_LIBFUZZER needs clang (CXX=clang++); the fuzz targets use the replay driver")
    endif()
endif()
