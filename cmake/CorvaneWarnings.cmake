# Warnings and sanitizers for our own targets only (never for Qt's headers, which come in as system includes).
function(corvane_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(CORVANE_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()
