# Build settings shared by every target of ours (not by third-party code).
option(MORVANE_WERROR "Treat compiler warnings as errors" OFF)
option(MORVANE_SANITIZE "Build the native code with AddressSanitizer and UBSan" OFF)

function(morvane_target_settings target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Wformat=2
        -Wnon-virtual-dtor -Wold-style-cast)
    if(MORVANE_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    if(WIN32)
        # The ANSI ("A") Win32 calls, a recent enough API, and a C library whose
        # printf knows %llu and %zu.
        target_compile_definitions(${target} PUBLIC
            _WIN32_WINNT=0x0601 WINVER=0x0601 __USE_MINGW_ANSI_STDIO=1 NOMINMAX
            WIN32_LEAN_AND_MEAN STRICT)
    endif()
    if(MORVANE_SANITIZE AND NOT WIN32)
        target_compile_options(${target} PUBLIC -fsanitize=address,undefined -fno-omit-frame-pointer)
        target_link_options(${target} PUBLIC -fsanitize=address,undefined)
    endif()
endfunction()

# Windows programs carry no DLL of the compiler's beside them.
function(morvane_executable_settings target)
    morvane_target_settings(${target})
    if(WIN32)
        target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    endif()
endfunction()
